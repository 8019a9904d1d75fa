#include "bench_files.h"
#include "platform/qt/qt_services.h"
#include "sample_cars.h"
#include "shown_editor.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace kestrix;
using platform::qt::QtServices;

namespace {

// 32767 cars whose mass and top speed spread over the plot, so that no two
// points share a pixel by luck of the data: the most the scatter ever paints.
const std::string& SpreadFile() {
    return bench::TemporaryFile("kestrix-bench-Spread.cfg", [] {
        std::string text;
        for (long i = 0; i < 32767; ++i)
            text += test::CarLine("CAR_" + std::to_string(100000 + i),
                                  std::to_string(500 + (i * 7919) % 20000), "R P 1 2001 1 1",
                                  std::to_string(100 + (i * 104729) % 300) + "." + std::to_string(i % 10)) +
                    "\r\n";
        return text;
    });
}

// The editor on the spread file, its main window shown.
struct Editor : bench::ShownEditor {
    Editor() : ShownEditor(SpreadFile()) {}

    // Tools > Stat Chart, the scatter of Mass against Max Velocity shown and painted.
    QWidget* OpenChart() {
        form.mnuChart.UserChooses();
        QApplication::processEvents();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->windowTitle() == QStringLiteral("Stat Chart")) {
                window->repaint();
                // What assistive tools hear of it says that every car is drawn.
                const auto* chart = window->findChild<QWidget*>(QStringLiteral("chtStats"));
                return chart && chart->accessibleDescription().endsWith(QStringLiteral(", 32767 cars"))
                           ? window
                           : nullptr;
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
    const long before = bench::ResidentKilobytes();
    QWidget* chart = nullptr;
    for (auto _ : state)
        chart = editor.OpenChart();
    state.counters["chart_kB"] = static_cast<double>(bench::ResidentKilobytes() - before);
    if (!chart)
        state.SkipWithError("the chart did not open");
}

} // namespace

BENCHMARK(ShowScatterFromTheMenu)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(EditOneCar)->ArgName("chart")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(ChartMemory)->Iterations(1);
