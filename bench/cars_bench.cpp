#include "document/car_commands.h"
#include "document/cars_in.h"
#include "handling_file/handling_format.h"
#include "sample_cars.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace kestrix;

namespace {

constexpr int kFullFile = 32767;

const std::string& FullText() {
    static const std::string text = test::GeneratedHandlingText(kFullFile);
    return text;
}

HandlingDocument FullDocument() {
    HandlingDocument doc;
    ApplyToDocument(ParseHandlingText(FullText()).file, doc);
    return doc;
}

std::vector<std::string> AllNames(const CarTable& cars) {
    std::vector<std::string> names;
    names.reserve(cars.size());
    for (const CarRow& car : cars)
        names.emplace_back(car[0]);
    return names;
}

std::string TemporaryPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// Every car of a full file over a full document of the same names: each one
// an overwrite, the worst case for finding the rows.
void MergeAllCars(benchmark::State& state) {
    HandlingDocument doc = FullDocument();
    const CarTable imported = FullDocument().Cars;
    const std::vector<std::string> names = AllNames(imported);
    for (auto _ : state) {
        const CarsInResult result = ImportChange(doc, imported, names);
        benchmark::DoNotOptimize(result);
    }
}

// The import as the user meets it: reading the other file, then the merge.
void ImportAllCarsFromFile(benchmark::State& state) {
    const std::string path = TemporaryPath("kestrix-bench-import.cfg");
    if (const std::string error = ReplaceFileContents(path, FullText()); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    HandlingDocument doc = FullDocument();
    const std::vector<std::string> names = AllNames(doc.Cars);
    for (auto _ : state) {
        const ImportRead read = ReadImportFile(path);
        benchmark::DoNotOptimize(ImportChange(doc, read.rows, names));
    }
    std::filesystem::remove(path);
    std::filesystem::remove(BackupPathFor(path));
}

void ExportAllCarsText(benchmark::State& state) {
    const HandlingDocument doc = FullDocument();
    const std::vector<std::string> names = AllNames(doc.Cars);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportText(doc, names));
}

// Including the safe replace: the flush to disk and the backup of the previous export.
void ExportAllCarsToFile(benchmark::State& state) {
    const HandlingDocument doc = FullDocument();
    const std::vector<std::string> names = AllNames(doc.Cars);
    const std::string path = TemporaryPath("kestrix-bench-export.cfg");
    for (auto _ : state) {
        if (const std::string error = ExportCars(path, doc, names); !error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::filesystem::remove(path);
    std::filesystem::remove(BackupPathFor(path));
}

} // namespace

BENCHMARK(MergeAllCars)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportAllCarsFromFile)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportAllCarsText)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportAllCarsToFile)->Unit(benchmark::kMillisecond);
