// The merge window on two versions of a file of 32767 cars with 1,000
// conflicts: it must open in under a second and answer each choice at once.
#include "bench_files.h"
#include "document/version_files.h"
#include "platform/qt/qt_services.h"
#include "sample_cars.h"
#include "views/qt/views.h"
#include "windows/frmMerge.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kestrix;

namespace {

constexpr int kFullFile = 32767;
constexpr int kConflicts = 1000;

// Every 32nd car, up to the thousandth, weighs differently on each side;
// theirs also makes every 7th car faster, ours drops the last car, theirs adds one.
std::string Version(int side) {
    std::string text = "; merge benchmark\r\n";
    for (int i = 0; i < kFullFile; ++i) {
        if (side == 1 && i == kFullFile - 1)
            continue;
        const bool conflict = i % 32 == 0 && i / 32 < kConflicts;
        const std::string mass = !conflict || side == 0 ? "1650" : side == 1 ? "1700" : "1750";
        const std::string velocity = side == 2 && i % 7 == 0 ? "210" : "200";
        text += test::CarLine("CAR_" + std::to_string(100000 + i), mass, "R P 1 2001 1 1", velocity) + "\r\n";
    }
    if (side == 2)
        text += test::CarLine("THEIRS_NEW") + "\r\n";
    return text;
}

const std::array<std::string, 3>& VersionFiles() {
    static const std::array<std::string, 3> paths{
        bench::TemporaryFile("kestrix-bench-merge-base.cfg", [] { return Version(0); }),
        bench::TemporaryFile("kestrix-bench-merge-local.cfg", [] { return Version(1); }),
        bench::TemporaryFile("kestrix-bench-merge-remote.cfg", [] { return Version(2); })};
    return paths;
}

// The merge window as kestrix --mergetool opens it, from the files to the first paint.
struct OpenMerge {
    OpenMerge() : versions(ReadMergeVersions(VersionFiles())) {
        views::RegisterViews(services);
        form = std::make_unique<frmMerge>(
            services, MergeResolution(versions.Merge()), "Handling.cfg",
            [](const HandlingDocument&, const std::vector<int>&) { return std::string(); });
        frame = services.CreateFrame(*form);
        form->Form_Load();
        frame->show();
        QApplication::processEvents();
    }
    platform::qt::QtServices services{"", ".", "."};
    MergeVersions versions;
    std::unique_ptr<frmMerge> form;
    std::unique_ptr<platform::qt::WindowFrame> frame;
};

void OpenMergeWindow(benchmark::State& state) {
    VersionFiles();
    for (auto _ : state) {
        OpenMerge open;
        if (open.form->lvConflicts.RowCount() != kConflicts) {
            state.SkipWithError("not the conflicts expected");
            break;
        }
        state.PauseTiming();
        open.form.reset(); // the frame goes first in the real program too, without asking
        state.ResumeTiming();
    }
}

// One row settled, ours and theirs in turn, the list shown anew.
void ChooseOneRow(benchmark::State& state) {
    OpenMerge open;
    frmMerge& form = *open.form;
    int round = 0;
    for (auto _ : state) {
        form.lvConflicts.UserClicks(500);
        (++round % 2 ? form.cmdTakeTheirs : form.cmdTakeOurs).UserClicks();
        QApplication::processEvents();
    }
}

void TakeTheirsForAll(benchmark::State& state) {
    OpenMerge open;
    for (auto _ : state) {
        open.form->cmdTheirsForAll.UserClicks();
        QApplication::processEvents();
    }
}

// The merged file built from the choices and written in LOCAL's layout, checked.
void SaveMerged(benchmark::State& state) {
    OpenMerge open;
    open.form->cmdTheirsForAll.UserClicks();
    const std::string out = bench::TemporaryFile("kestrix-bench-merged.cfg", [] { return std::string(); });
    for (auto _ : state) {
        const std::string error =
            WriteMergedFile(out, open.form->Merge().Result(), &open.versions, open.form->Merge().OursRows());
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}

} // namespace

BENCHMARK(OpenMergeWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(ChooseOneRow)->Unit(benchmark::kMillisecond);
BENCHMARK(TakeTheirsForAll)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveMerged)->Unit(benchmark::kMillisecond);
