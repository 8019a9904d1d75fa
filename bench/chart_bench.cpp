#include "bench_files.h"
#include "platform/qt/qt_services.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

using namespace kestrix;
using platform::qt::QtServices;

namespace {

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

// The editor on the large file (32767 cars), its main window shown.
struct Editor {
    Document doc;
    QtServices services{"\"" + bench::LargeHandlingFile() + "\"", ".", "."};
    frmMain form{doc, services};
    std::unique_ptr<platform::qt::WindowFrame> view;
    Editor() {
        views::RegisterViews(services);
        view = services.CreateFrame(form);
        form.Form_Load();
        view->show();
        QApplication::processEvents();
    }
    // Tools > Stat Chart, the scatter of Mass against Max Velocity shown and painted.
    QWidget* OpenChart() {
        form.mnuChart.UserChooses();
        QApplication::processEvents();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->windowTitle() == QStringLiteral("Stat Chart")) {
                window->repaint();
                return window;
            }
        return nullptr;
    }
};

void ShowScatterFromTheMenu(benchmark::State& state) {
    Editor editor;
    for (auto _ : state) {
        QWidget* chart = editor.OpenChart();
        state.PauseTiming();
        if (!chart)
            state.SkipWithError("the chart did not open");
        else
            chart->close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// A committed edit of one car's mass in the main window, until every window
// has shown it and the chart has moved its point and painted; and the same
// without the chart, for what the chart adds.
void EditOneCar(benchmark::State& state) {
    Editor editor;
    QWidget* chart = state.range(0) ? editor.OpenChart() : nullptr;
    platform::TextField& mass = editor.form.txtStat[1];
    int step = 0;
    for (auto _ : state) {
        mass.SetFocus();
        mass.UserTypes(std::to_string(1000 + step++ % 500));
        mass.UserPressesEnter();
        QApplication::processEvents();
        if (chart)
            chart->repaint();
    }
}

// What the open scatter of every car adds to the editor's memory.
void ChartMemory(benchmark::State& state) {
    Editor editor;
    const long before = ResidentKilobytes();
    QWidget* chart = nullptr;
    for (auto _ : state)
        chart = editor.OpenChart();
    state.counters["chart_kB"] = static_cast<double>(ResidentKilobytes() - before);
    if (!chart)
        state.SkipWithError("the chart did not open");
}

} // namespace

BENCHMARK(ShowScatterFromTheMenu)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(EditOneCar)->ArgName("chart")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(ChartMemory)->Iterations(1);
