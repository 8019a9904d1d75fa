#pragma once

// Reading and saving files through the file seam, for callers that do both.
#include "handling_file/file_read.h"
#include "handling_file/file_save.h"
