#include "app/command_line.h"
#include "compare/car_match.h"
#include "compare/file_compare.h"
#include "files/file_save.h"
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
        benchmark::DoNotOptimize(RunCommandLineMode({"--diff", before, after}, Output(sink), sink));
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
        benchmark::DoNotOptimize(
            RunCommandLineMode({"--merge", "-o", out, base, ours, theirs}, Output(sink), sink));
    std::fclose(sink);
    for (const std::string& path : {base, ours, theirs, out})
        std::filesystem::remove(path);
}

// Cars matched where names repeat: 32767 cars under range(0) names, every eleventh
// car gone from the other file, so each name's cars are aligned by their values.
void MatchRepeatedNames(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    CarTable all;
    CarTable thinned;
    for (int i = 0; i < kLargestFile; ++i) {
        CarRow car;
        car.Set(0, "CAR_" + std::to_string(i % names));
        car.Set(1, std::to_string(1000 + i));
        car.Set(13, std::to_string(i % 250));
        all.push_back(car);
        if (i % 11 != 3)
            thinned.push_back(std::move(car));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(MatchCars(all, thinned));
}

} // namespace

BENCHMARK(MatchRepeatedNames)->Arg(32767)->Arg(1000)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(DiffCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(MergeCommand)->Unit(benchmark::kMillisecond);
