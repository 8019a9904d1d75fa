#pragma once

#include "files/fine.h"
#include "model/up.h"
