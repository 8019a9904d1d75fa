#include "document/document.h"
#include "handling_file/handling_format.h"
#include "model/stat_catalogue.h"
#include "multiply_all.h"
#include "sample_cars.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK(HistoryMemory)->Iterations(1);
BENCHMARK(UndoRedoMultiplyAllInTheDocument)->Unit(benchmark::kMillisecond);
