#include "app/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#if defined(__GLIBC__)
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace kestrix {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

void UseBinaryOutput() {}

void UseLargePagesForTheHeap() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    constexpr int kReserve = 8 << 20;
    // The heap's next growth takes the reserve at once, and a trim keeps it.
    if (::mallopt(M_TOP_PAD, kReserve) == 0)
        return;
    // Setting the pad stops the allocator from raising its thresholds as large
    // blocks come and go; they are set where it would raise them, so that a
    // save's text or a bulk edit's journal record reuses the heap instead of
    // mapping fresh memory each time.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
    // Blocks under the size the allocator maps apart come from the heap: a few make it grow.
    const auto end = [] { return reinterpret_cast<std::uintptr_t>(::sbrk(0)); };
    const std::uintptr_t before = end();
    void* probes[8] = {};
    for (void*& probe : probes)
        if (end() == before)
            probe = std::malloc(std::size_t{120} << 10);
    const std::uintptr_t first = (before + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = end() & ~(kLargePage - 1);
    if (first < last)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    for (void* probe : probes)
        std::free(probe);
#endif
}

// The editor takes this process's place, so its status is this program's.
int RunEditor(const std::string& name, char** argv) {
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    if (length <= 0) {
        std::fprintf(stderr, "kestrix: cannot find the program's folder: %s\n", std::strerror(errno));
        return 2;
    }
    self.resize(static_cast<std::size_t>(length));
    const std::string editor = self.substr(0, self.rfind('/') + 1) + name;
    ::execv(editor.c_str(), argv);
    std::fprintf(stderr, "kestrix: cannot start the editor \"%s\": %s\n", editor.c_str(),
                 std::strerror(errno));
    return 2;
}

} // namespace kestrix
