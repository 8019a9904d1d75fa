#pragma once

#include "handling_file/layout.h"
#include "model/up.h"

#include <QString>
