#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise is a finding: the target stops with what was broken.
inline void Require(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "kestrix_fuzz: %s\n", what);
    std::abort();
}
