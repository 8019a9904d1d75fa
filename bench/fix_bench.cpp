// Fixing every value out of range and a formula over every number cell,
// through the windows with their real Qt views, on the largest file there is.
#include "bench_files.h"
#include "bench_services.h"
#include "handling_file/handling_format.h"
#include "sample_cars.h"
#include "windows/frmAskNumber.h"
#include "windows/frmCarTable.h"
#include "windows/frmFixRange.h"
#include "windows/frmMain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace kestrix;

namespace {

constexpr int kFullFile = 32767;

// 32767 cars whose every number lies beyond its stat's highest value.
const std::string& AllOutOfRangeFile() {
    return bench::TemporaryFile("kestrix-bench-all-out-of-range.cfg", [] {
        CarRow car;
        SplitCarLine(test::CarLine("CAR"), car);
        std::string values;
        for (int column = 1; column < kStatCount; ++column)
            values += " " + (StatCatalogue::Instance()[column].IsText ? std::string(car[column]) : "999999");
        std::string text;
        for (int i = 0; i < kFullFile; ++i)
            text += "CAR_" + std::to_string(100000 + i) + values + "\r\n";
        return text;
    });
}

struct Editor {
    explicit Editor(const std::string& file, const std::string& stateFolder = {}) {
        services.file = file;
        services.stateFolder = stateFolder;
        form.Form_Load();
        view->show();
        QApplication::processEvents();
    }
    bench::BenchServices services;
    Document doc;
    frmMain form{doc, services};
    std::unique_ptr<platform::qt::WindowFrame> view = services.Frame(form);
};

// Tools > Fix Out-of-Range Values... on 819,175 values out of range, until its
// window has painted itself.
void OpenFixPreview(benchmark::State& state) {
    Editor editor(AllOutOfRangeFile());
    int rows = 0;
    editor.services.onModal = [&rows](platform::Window& window) {
        rows = static_cast<frmFixRange&>(window).grdFixes.RowCount();
    };
    for (auto _ : state)
        editor.form.mnuFixRange.UserChooses();
    if (rows != kFullFile * 25)
        state.SkipWithError("the window does not list every value");
    state.counters["rows"] = rows;
}

// "Set to..." with a formula over every number cell of every car, from the
// click to the windows brought up to date; with the recovery journal or without.
void FormulaOverAllCells(benchmark::State& state) {
    const std::string journals = (std::filesystem::temp_directory_path() / "kestrix-bench-journals").string();
    Editor editor(bench::LargeHandlingFile(), state.range(0) ? journals : std::string());
    editor.form.mnuCarTable.UserChooses();
    auto& table = static_cast<frmCarTable&>(*editor.services.beside);
    table.grdCars.UserSelects({{0, 0, kFullFile - 1, kStatCount - 1}}, {0, 1});
    editor.services.onModal = [](platform::Window& window) {
        auto& ask = static_cast<frmAskNumber&>(window);
        ask.txtNumber.UserTypes("=min(x * 1.1, hi)");
        ask.cmdOK.UserClicks();
    };
    for (auto _ : state) {
        table.cmdSetTo.UserClicks();
        QApplication::processEvents();
        state.PauseTiming();
        if (!editor.doc.CanUndo())
            state.SkipWithError("the formula changed nothing");
        editor.form.mnuUndo.UserChooses();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(journals);
}

} // namespace

BENCHMARK(OpenFixPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(FormulaOverAllCells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
