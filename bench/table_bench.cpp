#include "bench_files.h"
#include "multiply_all.h"
#include "platform/qt/qt_services.h"
#include "sample_cars.h"
#include "shown_editor.h"
#include "views/qt/views.h"
#include "windows/frmCarTable.h"
#include "windows/frmMain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace kestrix;
using platform::qt::QtServices;

namespace {

constexpr int kLargestFile = 32767;

// The editor on the large file, its main window shown.
struct Editor : bench::ShownEditor {
    Editor() : ShownEditor(bench::LargeHandlingFile()) {}

    // The table as Ctrl+T opens it, shown and painted.
    std::unique_ptr<platform::qt::WindowFrame> OpenTable(std::shared_ptr<frmCarTable>& table) {
        table = std::make_shared<frmCarTable>(doc, services);
        table->Form_Load();
        auto frame = services.CreateFrame(*table);
        frame->show();
        QApplication::processEvents();
        return frame;
    }
};

void OpenTableUntilShown(benchmark::State& state) {
    Editor editor;
    for (auto _ : state) {
        std::shared_ptr<frmCarTable> table;
        auto frame = editor.OpenTable(table);
        state.PauseTiming();
        if (table->grdCars.RowCount() != kLargestFile)
            state.SkipWithError("the table does not show every car");
        frame.reset();
        table.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void SortByNumberColumn(benchmark::State& state) {
    Editor editor;
    std::shared_ptr<frmCarTable> table;
    auto frame = editor.OpenTable(table);
    for (auto _ : state) {
        table->grdCars.UserClicksHeader(13); // each click reverses the order
        QApplication::processEvents();
    }
}

// Typing a value and Enter: the change, the whole check, the error marks, the repaint.
void CommitCell(benchmark::State& state) {
    Editor editor;
    std::shared_ptr<frmCarTable> table;
    auto frame = editor.OpenTable(table);
    int next = 0;
    for (auto _ : state) {
        table->grdCars.UserEdits(5, 1, next++ % 2 ? "1500" : "1600");
        QApplication::processEvents();
    }
    if (editor.doc.Cars()[5][1] != "1600" && editor.doc.Cars()[5][1] != "1500")
        state.SkipWithError("the commit did not reach the document");
}

// A Multiply over every number cell of every car, then its undo (or redo) with
// the main window and the open table brought up to date and repainted.
void UndoOrRedoMultiplyAll(benchmark::State& state) {
    const bool redo = state.range(0) == 1;
    Editor editor;
    std::shared_ptr<frmCarTable> table;
    auto frame = editor.OpenTable(table);
    Change all = bench::MultiplyAll(editor.doc.Cars());
    const std::size_t cells = all.cells.size();
    editor.doc.Commit(std::move(all));
    QApplication::processEvents();
    for (auto _ : state) {
        if (redo) {
            state.PauseTiming();
            editor.form.mnuUndo.UserChooses();
            QApplication::processEvents();
            state.ResumeTiming();
            editor.form.mnuRedo.UserChooses();
        } else {
            editor.form.mnuUndo.UserChooses();
        }
        QApplication::processEvents();
        state.PauseTiming();
        if (!redo) {
            editor.form.mnuRedo.UserChooses();
            QApplication::processEvents();
        }
        state.ResumeTiming();
    }
    state.counters["cells"] = static_cast<double>(cells);
}

// What the open table adds to the memory of the editor with its main window.
void TableMemory(benchmark::State& state) {
    bench::LargeHandlingFile();
    const long before = bench::ResidentKilobytes();
    Editor editor;
    const long withMain = bench::ResidentKilobytes();
    std::shared_ptr<frmCarTable> table;
    auto frame = editor.OpenTable(table);
    for (auto _ : state)
        benchmark::DoNotOptimize(table->grdCars.RowCount());
    const long withTable = bench::ResidentKilobytes();
    state.counters["main_window_kB"] = static_cast<double>(withMain - before);
    state.counters["table_kB"] = static_cast<double>(withTable - withMain);
}

} // namespace

// First, while the process has not yet grown for the others.
BENCHMARK(TableMemory)->Iterations(1);
BENCHMARK(OpenTableUntilShown)->Unit(benchmark::kMillisecond);
BENCHMARK(SortByNumberColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(CommitCell)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoOrRedoMultiplyAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
