#include "bench_files.h"
#include "files/recovery_journal.h"
#include "platform/qt/qt_services.h"
#include "sample_cars.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace kestrix;
using platform::qt::QtServices;

namespace {

constexpr int kLargestFile = 32767;

// As many cars, each too heavy: the error list is full.
const std::string& FullListFilePath() {
    return bench::TemporaryFile("kestrix-gui-bench-full-list.cfg", [] {
        std::string text;
        for (int i = 0; i < kLargestFile; ++i)
            text +=
                test::CarLine("CAR_" + std::to_string(100000 + i), std::to_string(50001 + i % 700)) + "\r\n";
        return text;
    });
}

struct PaintCounter : QObject {
    explicit PaintCounter(QWidget& window) : window_(window) { window.installEventFilter(this); }
    ~PaintCounter() override { window_.removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
    QWidget& window_;
};

// The editor as main starts it, on the large file.
struct Editor {
    explicit Editor(const std::string& path = bench::LargeHandlingFile(), std::string stateFolder = {})
        : services{"\"" + path + "\"", ".", ".", std::move(stateFolder)} {}
    Document doc;
    QtServices services;
    frmMain form{doc, services};
    std::unique_ptr<platform::qt::WindowFrame> view;

    // Until the window has painted itself once.
    void Start() {
        views::RegisterViews(services);
        view = services.CreateFrame(form);
        form.Form_Load();
        PaintCounter painted(*view);
        view->show();
        view->activateWindow();
        while (painted.count == 0)
            QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    QLineEdit& Field(int column) { return *view->findChild<QLineEdit*>(QString("txtStat%1").arg(column)); }
};

void OpenFileUntilPainted(benchmark::State& state) {
    bench::LargeHandlingFile();
    for (auto _ : state) {
        auto editor = std::make_unique<Editor>();
        editor->Start();
        state.PauseTiming();
        if (editor->form.cboCars.ListCount() != kLargestFile)
            state.SkipWithError("the file did not open");
        editor.reset();
        state.ResumeTiming();
    }
}

// Each move of the focus leaves a field: copy back, whole check, error list, repaint.
void LeaveStatField(benchmark::State& state) {
    Editor editor;
    editor.Start();
    editor.form.tabGeneral.SetTab(1);
    QLineEdit* fields[] = {&editor.Field(1), &editor.Field(2)};
    int next = 0;
    for (auto _ : state) {
        fields[next]->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        if (!editor.form.txtStat[static_cast<std::size_t>(next + 1)].HasFocus()) {
            state.SkipWithError("the focus did not move");
            break;
        }
        next = 1 - next;
    }
    state.counters["error_rows"] = editor.form.lvErrors.RowCount();
}

// A new value typed, then the field left: the value reaches the car, its
// errors come and go in the list, the window repaints. Argument 0: the large
// file (a few hundred errors, the mass changes between good and too high);
// 1: a file with one error per car, the list full and sorted by its messages
// (the mass changes between two values too high, so it stays full). The second
// argument: steps already in the undo history; the third: 1 when the recovery
// journal is kept, in the user's state folder as the editor keeps it.
void LeaveEditedStatField(benchmark::State& state) {
    const bool fullList = state.range(0) == 1;
    Editor editor(fullList ? FullListFilePath() : bench::LargeHandlingFile(),
                  state.range(2) == 1 ? StateFolder() + "/bench" : std::string());
    editor.Start();
    for (int i = 0; i < state.range(1); ++i)
        editor.doc.Commit(
            ValuesChange(editor.doc.Cars(), {{i % 1000, 25, std::to_string(20000 + i)}}, "Edit"));
    QApplication::processEvents();
    if (fullList)
        editor.form.lvErrors.UserClicksHeader(2);
    editor.form.tabGeneral.SetTab(1);
    QLineEdit* fields[] = {&editor.Field(1), &editor.Field(2)};
    fields[0]->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const std::string masses[] = {fullList ? "99998" : "1500", "99999"};
    int next = 1;
    for (auto _ : state) {
        editor.form.txtStat[1].UserTypes(masses[next % 2]);
        fields[1]->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        state.PauseTiming();
        fields[0]->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        state.ResumeTiming();
        ++next;
    }
    if (!editor.form.txtStat[1].HasFocus())
        state.SkipWithError("the focus did not move");
    state.counters["error_rows"] = editor.form.lvErrors.RowCount();
    // Beside the user's journals, on the same disk, and never offered to the user.
    std::filesystem::remove_all(StateFolder() + "/bench");
}

} // namespace

BENCHMARK(OpenFileUntilPainted)->Unit(benchmark::kMillisecond);
BENCHMARK(LeaveStatField)->Unit(benchmark::kMillisecond);
BENCHMARK(LeaveEditedStatField)
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 10000, 0})
    ->Args({0, 0, 1})
    ->Args({0, 10000, 1})
    ->Unit(benchmark::kMillisecond);
