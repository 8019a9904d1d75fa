// Writes the benchmarks' file of 32767 cars, for timing whole processes on it:
//   kestrix_large_file /tmp/large.cfg
//   perf stat -r 30 build/kestrix --check /tmp/large.cfg >/dev/null
//   perf stat -r 30 awk -f bench/check.awk /tmp/large.cfg >/dev/null
#include "files/file_save.h"
#include "model/handling_document.h"
#include "sample_cars.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: kestrix_large_file OUT\n", stderr);
        return 2;
    }
    const std::string error =
        kestrix::ReplaceFileContents(argv[1], kestrix::test::GeneratedHandlingText(kestrix::kMaxCars));
    if (!error.empty()) {
        std::fprintf(stderr, "kestrix_large_file: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
