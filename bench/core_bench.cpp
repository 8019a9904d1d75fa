#include "app/command_line.h"
#include "files/file_read.h"
#include "files/file_save.h"
#include "files/recovery_journal.h"
#include "handling_file/layout.h"
#include "sample_cars.h"
#include "validation/error_check.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace kestrix;

namespace {

constexpr int kLargestFile = 32767;

const std::string& LargeText() {
    static const std::string text = test::GeneratedHandlingText(kLargestFile);
    return text;
}

HandlingDocument LargeDocument() {
    HandlingDocument doc;
    ApplyToDocument(ParseHandlingText(LargeText()).file, doc);
    return doc;
}

void Read(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseHandlingText(LargeText()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * LargeText().size()));
}

void Validate(benchmark::State& state) {
    const HandlingDocument doc = LargeDocument();
    ErrorRegister errors;
    for (auto _ : state)
        ErrorCheck(doc.Cars, errors, NumberFormat{});
    state.counters["rows"] = static_cast<double>(errors.Rows().size());
}

void Write(benchmark::State& state) {
    const HandlingDocument doc = LargeDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteHandlingText(doc));
}

// The layout-keeping writer over the largest file: unchanged (Arg 0), every
// car changed (1), every other car deleted with as many added (2), and every
// tenth car moved to the end (3).
void WriteKeepingTheLayout(benchmark::State& state) {
    const LayoutRead read = ReadKeepingLayout(LargeText());
    HandlingDocument doc;
    ApplyToDocument(ParsedHandlingFile(read.file), doc);
    std::vector<int> origins = SameRows(read.layout, doc);
    if (state.range(0) == 1) {
        for (CarRow& car : doc.Cars)
            car.Set(1, "1700");
    } else if (state.range(0) == 2) {
        for (std::size_t i = 0; i < doc.Cars.size() / 2; ++i) {
            doc.Cars.erase(doc.Cars.begin() + static_cast<long>(i));
            origins.erase(origins.begin() + static_cast<long>(i));
        }
        while (doc.Cars.size() < read.file.Cars.size()) {
            doc.Cars.push_back(doc.Cars.front());
            origins.push_back(-1);
        }
    } else if (state.range(0) == 3) {
        CarTable staying;
        std::vector<int> stayingOrigins;
        for (std::size_t i = 0; i < doc.Cars.size(); ++i)
            if (i % 10 != 0) {
                staying.push_back(doc.Cars[i]);
                stayingOrigins.push_back(origins[i]);
            }
        for (std::size_t i = 0; i < doc.Cars.size(); i += 10) {
            staying.push_back(doc.Cars[i]);
            stayingOrigins.push_back(origins[i]);
        }
        doc.Cars = std::move(staying);
        origins = std::move(stayingOrigins);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteKeepingLayout(read.layout, doc, origins));
}

// One committed change into the recovery journal, flushed to disk, in the
// user's state folder: part of every commit.
void JournalAppend(benchmark::State& state) {
    RecoveryJournal journal;
    if (const std::string error = journal.Start(StateFolder(), "/bench/Handling.cfg"); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string record(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state)
        journal.Append(record);
    journal.Remove();
}

// The test the save runs first: a file of cars without gaps is the longest scan.
void ValueGapScan(benchmark::State& state) {
    const HandlingDocument doc = LargeDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(FirstValueGap(doc.Cars));
}

// The check before a file is replaced: the written text read back and compared.
void ReadBackCheck(benchmark::State& state) {
    const HandlingDocument doc = LargeDocument();
    const std::string text = WriteHandlingText(doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadBackDifference(text, doc));
}

// A whole save of the largest file, unchecked (0) as before and checked (1)
// as the editor saves now: written, flushed and put in place.
void SaveToDisk(benchmark::State& state) {
    const HandlingDocument doc = LargeDocument();
    const std::string path = std::filesystem::temp_directory_path() / "kestrix-bench-save.cfg";
    const bool checked = state.range(0) != 0;
    for (auto _ : state) {
        const std::string text = WriteHandlingText(doc);
        const std::string error = ReplaceFileContents(path, text, {.readsBackAs = checked ? &doc : nullptr});
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::filesystem::remove(path);
    std::filesystem::remove(BackupPathFor(path));
}

// Reading the file from disk: one open, through a small buffer, parsed as it comes.
void ReadFromDisk(benchmark::State& state) {
    const std::string path = std::filesystem::temp_directory_path() / "kestrix-bench-read.cfg";
    if (const std::string error = ReplaceFileContents(path, LargeText()); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    // Arg 1: with the file's layout, as the editor opens it.
    for (auto _ : state) {
        FileLayout layout;
        benchmark::DoNotOptimize(state.range(0) ? ReadHandlingFileKeepingLayout(path, layout)
                                                : ReadHandlingFile(path));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * LargeText().size()));
    std::filesystem::remove(path);
    std::filesystem::remove(BackupPathFor(path));
}

// The whole --check: reading the file from disk, validating and printing.
void CheckCommand(benchmark::State& state) {
    const std::string path = std::filesystem::temp_directory_path() / "kestrix-bench-Handling.cfg";
    if (const std::string error = ReplaceFileContents(path, LargeText()); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state)
        benchmark::DoNotOptimize(RunCommandLineMode({"--check", path}, Output(sink), sink));
    std::fclose(sink);
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(Read)->Unit(benchmark::kMillisecond);
BENCHMARK(JournalAppend)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteKeepingTheLayout)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Validate)->Unit(benchmark::kMillisecond);
BENCHMARK(Write)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBackCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveToDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ValueGapScan)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFromDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(CheckCommand)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
