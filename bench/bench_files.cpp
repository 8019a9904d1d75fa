#include "bench_files.h"

#include "files/file_save.h"
#include "sample_cars.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace kestrix::bench {

namespace {

// Removes what the benchmarks wrote, with the backups their saves left.
struct WrittenFiles {
    std::map<std::string, std::string> paths;
    ~WrittenFiles() {
        std::error_code ignored;
        for (const auto& [name, path] : paths) {
            std::filesystem::remove(path, ignored);
            std::filesystem::remove(BackupPathFor(path), ignored);
        }
    }
};

} // namespace

const std::string& TemporaryFile(const std::string& name, const std::function<std::string()>& text) {
    static WrittenFiles written;
    auto [place, added] = written.paths.try_emplace(name);
    if (added) {
        place->second = (std::filesystem::temp_directory_path() / name).string();
        ReplaceFileContents(place->second, text());
    }
    return place->second;
}

const std::string& LargeHandlingFile() {
    return TemporaryFile("kestrix-bench-Handling.cfg", [] { return test::GeneratedHandlingText(32767); });
}

// The resident memory of the process, in kB.
long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    return 0;
}

} // namespace kestrix::bench
