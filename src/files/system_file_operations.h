#pragma once

// The file system calls of the system the program is built for, for those
// that put some of their own in place of the real ones (the tests).
#ifdef _WIN32
#include "files/win32_file_operations.h"
namespace kestrix {
using SystemFileOperations = Win32FileOperations;
}
#else
#include "files/posix_file_operations.h"
namespace kestrix {
using SystemFileOperations = PosixFileOperations;
}
#endif
