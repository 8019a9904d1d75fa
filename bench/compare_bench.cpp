#include "app/command_line.h"
#include "handling_file/file_save.h"
#include "sample_cars.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace kestrix;

namespace {

constexpr int kLargestFile = 32767;

std::string WriteTemporary(const std::string& name, const std::string& text) {
    const std::string path = std::filesystem::temp_directory_path() / ("kestrix-bench-" + name + ".cfg");
    if (!ReplaceFileContents(path, text).empty())
        return {};
    std::filesystem::remove(BackupPathFor(path));
    return path;
}

// The whole --diff of two files of 32767 cars, from disk, printed.
void DiffCommand(benchmark::State& state) {
    const std::string before = WriteTemporary("old", test::GeneratedHandlingText(kLargestFile));
    const std::string after = WriteTemporary("new", test::ModdedHandlingText(kLargestFile, 7, 0, "MOD_7"));
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state)
        benchmark::DoNotOptimize(RunCommandLineMode({"--diff", before, after}, sink, sink));
    std::fclose(sink);
    std::filesystem::remove(before);
    std::filesystem::remove(after);
}

// The whole --merge of two mods of a file of 32767 cars, written with the safe replace.
void MergeCommand(benchmark::State& state) {
    const std::string base = WriteTemporary("base", test::GeneratedHandlingText(kLargestFile));
    const std::string ours = WriteTemporary("ours", test::ModdedHandlingText(kLargestFile, 7, 0, "MOD_7"));
    const std::string theirs =
        WriteTemporary("theirs", test::ModdedHandlingText(kLargestFile, 5, 1, "MOD_5"));
    const std::string out = std::filesystem::temp_directory_path() / "kestrix-bench-merged.cfg";
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state)
        benchmark::DoNotOptimize(RunCommandLineMode({"--merge", "-o", out, base, ours, theirs}, sink, sink));
    std::fclose(sink);
    for (const std::string& path : {base, ours, theirs, out})
        std::filesystem::remove(path);
}

} // namespace

BENCHMARK(DiffCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(MergeCommand)->Unit(benchmark::kMillisecond);
