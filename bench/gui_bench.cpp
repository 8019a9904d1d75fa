#include "handling_file/file_io.h"
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

const std::string& LargeFilePath() {
    static const std::string path = [] {
        const std::string target = std::filesystem::temp_directory_path() / "kestrix-gui-bench-Handling.cfg";
        ReplaceFileContents(target, test::GeneratedHandlingText(kLargestFile));
        return target;
    }();
    return path;
}

// The editor as main starts it, on the large file.
struct Editor {
    HandlingDocument doc;
    QtServices services{"\"" + LargeFilePath() + "\"", ".", "."};
    frmMain form{doc, services, NumberFormat{}};
    std::unique_ptr<platform::qt::WindowFrame> view;

    void Start() {
        views::RegisterViews(services);
        view = services.CreateFrame(form);
        form.Form_Load();
        view->show();
        view->activateWindow();
        QApplication::processEvents();
    }
    QLineEdit& Field(int column) { return *view->findChild<QLineEdit*>(QString("txtStat%1").arg(column)); }
};

void OpenFileUntilShown(benchmark::State& state) {
    LargeFilePath();
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

} // namespace

BENCHMARK(OpenFileUntilShown)->Unit(benchmark::kMillisecond);
BENCHMARK(LeaveStatField)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(LargeFilePath());
    return 0;
}
