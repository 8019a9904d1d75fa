// The car exchange through its windows, with their real Qt views, on full files:
// the two lists must stay quick with 32767 names, and a whole import or export,
// and the preview of a whole file pasted back and its apply, must each take less
// than a second.
#include "bench_files.h"
#include "bench_services.h"
#include "files/file_save.h"
#include "sample_cars.h"
#include "windows/frmCompareFiles.h"
#include "windows/frmImportExport.h"
#include "windows/frmMain.h"
#include "windows/frmPasteCars.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <memory>

using namespace kestrix;

namespace {

constexpr int kFullFile = 32767;

std::string TemporaryPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void ChooseAll(platform::ListBox& list) {
    list.UserClicks(0);
    list.UserClicks(list.ListCount() - 1, platform::ListBox::Pick::Range);
}

// Every name of the left list chosen and committed, as a user with Shift would.
void CommitAll(platform::Window& window) {
    auto& form = static_cast<frmImportExport&>(window);
    ChooseAll(form.lvLeft);
    form.cmdCopyRight.UserClicks();
    form.cmdSave.UserClicks();
}

// The editor on a full file, with its window.
struct Editor {
    bench::BenchServices services;
    Document doc;
    frmMain form{doc, services};
    std::unique_ptr<platform::qt::WindowFrame> view = services.Frame(form);
    Editor() {
        form.Form_Load();
        view->show();
        QApplication::processEvents();
    }
};

// A full file imported over a full document of the same names: every car an overwrite.
void ImportAllCarsThroughTheWindow(benchmark::State& state) {
    Editor editor;
    editor.services.chosenPath = bench::LargeHandlingFile();
    editor.services.onModal = CommitAll;
    for (auto _ : state) {
        editor.form.mnuImportCarStats.UserChooses();
        if (editor.doc.Cars().size() != static_cast<std::size_t>(kFullFile)) {
            state.SkipWithError("the import did not happen");
            break;
        }
    }
}

void ExportAllCarsThroughTheWindow(benchmark::State& state) {
    Editor editor;
    const std::string target = TemporaryPath("kestrix-exchange-bench-export.cfg");
    editor.services.chosenPath = target;
    editor.services.onModal = CommitAll;
    for (auto _ : state) {
        editor.form.mnuExportCarStats.UserChooses();
        state.PauseTiming();
        if (editor.form.Exchange.ExportPath != target || !std::filesystem::exists(target))
            state.SkipWithError("the export did not happen");
        state.ResumeTiming();
    }
    std::filesystem::remove(target);
    std::filesystem::remove(BackupPathFor(target));
}

// The lists alone: filling the left one, choosing every name, moving them over and back.
void FillAndMoveAllNames(benchmark::State& state) {
    bench::BenchServices services;
    Document doc;
    frmMain main{doc, services};
    CarExchange exchange;
    std::vector<std::string> names;
    for (int i = kFullFile; i > 0; --i)
        names.push_back("CAR_" + std::to_string(100000 + i));
    for (auto _ : state) {
        frmImportExport form(doc, exchange, services);
        const auto frame = services.Frame(form);
        frame->show();
        form.lvLeft.AddItems(names);
        QApplication::processEvents();
        ChooseAll(form.lvLeft);
        form.cmdCopyRight.UserClicks();
        QApplication::processEvents();
        form.lvRight.UserDoubleClicks(0); // one back by itself
        ChooseAll(form.lvRight);
        form.cmdCopyLeft.UserClicks();
        QApplication::processEvents();
        if (form.lvLeft.ListCount() != kFullFile) {
            state.SkipWithError("names were lost");
            break;
        }
    }
}

// One Ctrl+click in a full list, shown: what each choice of a name costs.
void ToggleOneNameInAFullList(benchmark::State& state) {
    bench::BenchServices services;
    Document doc;
    frmMain main{doc, services};
    CarExchange exchange;
    frmImportExport form(doc, exchange, services);
    const auto frame = services.Frame(form);
    frame->show();
    std::vector<std::string> names;
    for (int i = 0; i < kFullFile; ++i)
        names.push_back("CAR_" + std::to_string(100000 + i));
    form.lvLeft.AddItems(std::move(names));
    ChooseAll(form.lvLeft);
    QApplication::processEvents();
    int position = 0;
    for (auto _ : state) {
        form.lvLeft.UserClicks(position, platform::ListBox::Pick::Toggle);
        QApplication::processEvents();
        position = (position + 997) % kFullFile;
    }
}

// File > Compare with File... on a mod of the full file (every n-th car
// changed, one gone, one added) until the window has painted itself once.
void OpenCompareWindow(benchmark::State& state) {
    const int step = static_cast<int>(state.range(0));
    Editor editor;
    editor.services.chosenPath =
        bench::TemporaryFile("kestrix-bench-Modded-" + std::to_string(step) + ".cfg",
                             [step] { return test::ModdedHandlingText(kFullFile, step, 0, "MOD"); });
    for (auto _ : state) {
        editor.form.mnuCompareFile.UserChooses();
        const auto* compare = dynamic_cast<frmCompareFiles*>(editor.services.beside.get());
        if (!compare || compare->lvDifferences.RowCount() < kFullFile / step * 2) {
            state.SkipWithError("the comparison did not open");
            break;
        }
        state.PauseTiming();
        editor.services.besideFrame.reset();
        editor.services.beside.reset();
        state.ResumeTiming();
    }
}

// Edit > Paste Car Lines... with the whole file on the clipboard, every car's
// mass changed: the preview opens and paints (Arg 0), or opens and applies
// every car as one step (Arg 1), which the loop undoes untimed.
void PasteTheWholeFileBack(benchmark::State& state) {
    const bool apply = state.range(0) == 1;
    Editor editor;
    editor.services.clipboard = test::ModdedHandlingText(kFullFile, 1, -1, "");
    editor.services.onModal = [apply](platform::Window& window) {
        auto& preview = static_cast<frmPasteCars&>(window);
        (apply ? preview.cmdApply : preview.cmdCancel).UserClicks();
    };
    for (auto _ : state) {
        editor.form.mnuPasteCars.UserChooses();
        state.PauseTiming();
        if (apply != editor.doc.Modified() || (apply && editor.doc.Cars()[0][1] != "1700"))
            state.SkipWithError("the paste did not do what was asked");
        if (apply) {
            // What the history keeps of the step, against the values it changes.
            state.counters["step bytes"] = static_cast<double>(HeldBytes(*editor.doc.NextUndo()));
            editor.form.mnuUndo.UserChooses();
        }
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(PasteTheWholeFileBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenCompareWindow)->Arg(7)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ToggleOneNameInAFullList)->Unit(benchmark::kMicrosecond);
BENCHMARK(ImportAllCarsThroughTheWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportAllCarsThroughTheWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(FillAndMoveAllNames)->Unit(benchmark::kMillisecond);
