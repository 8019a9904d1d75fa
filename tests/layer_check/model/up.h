#pragma once

#include "document/document.h"
