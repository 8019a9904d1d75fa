#include "app/command_line.h"
#include "handling_file/file_io.h"
#include "sample_cars.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace kestrix;

namespace {

constexpr int kLargestFile = 32767;

// The large file with every step-th car's value of a column changed, the
// first car gone and a new one at the end: a mod of it.
std::string ModdedText(int step, int column, const std::string& value) {
    HandlingDocument doc;
    ApplyToDocument(ParseHandlingText(test::GeneratedHandlingText(kLargestFile)).file, doc);
    for (std::size_t row = 0; row < doc.Cars.size(); row += static_cast<std::size_t>(step))
        doc.Cars[row].Set(column, value);
    doc.Cars.erase(doc.Cars.begin());
    CarRow added;
    const std::string line = test::CarLine("MOD_" + std::to_string(step));
    SplitCarLine(line, added);
    doc.Cars.push_back(added);
    return WriteHandlingText(doc);
}

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
    const std::string after = WriteTemporary("new", ModdedText(7, 1, "1700"));
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
    const std::string ours = WriteTemporary("ours", ModdedText(7, 1, "1700"));
    const std::string theirs = WriteTemporary("theirs", ModdedText(5, 13, "222"));
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
