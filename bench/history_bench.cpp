#include "document/document.h"
#include "document/recovery.h"
#include "handling_file/handling_format.h"
#include "model/stat_catalogue.h"
#include "multiply_all.h"
#include "sample_cars.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace kestrix;

namespace {

constexpr int kFullFile = 32767;

void ReadFull(Document& doc) {
    HandlingDocument data;
    ApplyToDocument(ParseHandlingText(test::GeneratedHandlingText(kFullFile)).file, data);
    data.FilePath = "Handling.cfg";
    doc.Read(std::move(data));
}

// What the history holds: 10,000 single values, then one step over every
// number cell of a full file, beside the bytes of the values that step changed.
void HistoryMemory(benchmark::State& state) {
    Document doc;
    ReadFull(doc);
    for (int i = 0; i < 10000; ++i)
        doc.Commit(
            ValuesChange(doc.Cars(), {{i % kFullFile, 25, std::to_string(20000 + i % 7 + i)}}, "Edit"));
    const std::size_t singles = doc.HistoryBytes();
    Change all = bench::MultiplyAll(doc.Cars());
    std::size_t values = 0;
    for (const CellChange& cell : all.cells)
        values += sizeof(CellChange) + cell.before.size() + cell.after.size();
    const std::size_t cells = all.cells.size();
    doc.Commit(std::move(all));
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.HistoryBytes());
    state.counters["singles_10000_bytes"] = static_cast<double>(singles);
    state.counters["multiply_step_bytes"] = static_cast<double>(doc.HistoryBytes() - singles);
    state.counters["multiply_values_bytes"] = static_cast<double>(values);
    state.counters["multiply_cells"] = static_cast<double>(cells);
}

// The document alone, without windows: undo and redo of that step.
void UndoRedoMultiplyAllInTheDocument(benchmark::State& state) {
    Document doc;
    ReadFull(doc);
    doc.Commit(bench::MultiplyAll(doc.Cars()));
    for (auto _ : state) {
        doc.Undo();
        doc.Redo();
    }
}

// A committed value with the recovery journal kept, after as many steps as
// the first argument; with the second, every commit also writes the journal
// anew from all its steps, as the commit that compacts it does.
void CommitWithJournal(benchmark::State& state) {
    const std::string folder = StateFolder() + "/bench";
    Document doc;
    DocumentRecovery recovery(doc);
    recovery.SetFolder(folder);
    ReadFull(doc);
    for (int i = 0; i < state.range(0); ++i)
        doc.Commit(ValuesChange(doc.Cars(), {{i % kFullFile, 25, std::to_string(20000 + i)}}, "Edit"));
    int next = 0;
    for (auto _ : state) {
        doc.Commit(ValuesChange(doc.Cars(), {{7, 1, std::to_string(1000 + next++ % 2)}}, "Edit Mass"));
        if (state.range(1) == 1)
            recovery.Compact();
    }
    if (!recovery.Journal().Active())
        state.SkipWithError(recovery.TakeProblem().c_str());
    state.counters["journal_bytes"] = static_cast<double>(recovery.Journal().Bytes());
    std::filesystem::remove_all(folder);
}

// A step over every number cell of a full file committed without (0) and
// with (1) the recovery journal, which then writes the whole step after the
// same step undone; with (2) the journal, each time into an empty journal.
void CommitMultiplyAll(benchmark::State& state) {
    const std::string folder = StateFolder() + "/bench";
    Document doc;
    DocumentRecovery recovery(doc);
    if (state.range(0) != 0)
        recovery.SetFolder(folder);
    ReadFull(doc);
    for (auto _ : state) {
        state.PauseTiming();
        Change all = bench::MultiplyAll(doc.Cars());
        state.ResumeTiming();
        doc.Commit(std::move(all));
        state.PauseTiming();
        doc.Undo();
        if (state.range(0) == 2)
            doc.Saved(doc.FilePath());
        state.ResumeTiming();
    }
    state.counters["journal_bytes"] = static_cast<double>(recovery.Journal().Bytes());
    std::filesystem::remove_all(folder);
}

} // namespace

BENCHMARK(CommitWithJournal)
    ->Args({0, 0})
    ->Args({10000, 0})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CommitMultiplyAll)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(HistoryMemory)->Iterations(1);
BENCHMARK(UndoRedoMultiplyAllInTheDocument)->Unit(benchmark::kMillisecond);
