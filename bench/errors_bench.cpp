#include "handling_file/handling_format.h"
#include "validation/error_check.h"
#include "windows/frmErrors.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace kestrix;

namespace {

constexpr int kFullList = ErrorRegister::kMaxRows;

// A file in which every car has one error, so the list is full: names in no
// order, errors in three columns with many different values.
std::string AllWrongText() {
    std::string text;
    for (int i = 0; i < kFullList; ++i) {
        const int id = (i * 7919) % kFullList;
        const std::string mass = i % 3 == 0 ? std::to_string(50001 + id) : "1650";
        const std::string speed = i % 3 == 1 ? std::to_string(301 + id % 700) : "160";
        const std::string gears = i % 3 == 2 ? std::to_string(6 + id % 9) : "5";
        text += (id % 2 ? "car_" : "CAR_") + std::to_string(id) + " " + mass +
                " 2.4 5.1 1.5 0 0.15 -0.25 75 1.05 0.82 0.51 " + gears + " " + speed +
                " 28.5 R P 9.4 0.53 1 32 1.8 0.12 0.25 1.1 24000 0.28 -0.17 0.5 2001 1 1\r\n";
    }
    return text;
}

// The main window's list as a full check leaves it.
std::vector<std::string> FullListCells() {
    HandlingDocument doc;
    ApplyToDocument(ParseHandlingText(AllWrongText()).file, doc);
    ErrorRegister errors;
    ErrorCheck(doc.Cars, errors, NumberFormat{});
    std::vector<std::string> cells;
    for (const ErrorRecord& row : errors.Rows()) {
        cells.push_back(FirstCellText(row.ErrorNumber));
        cells.push_back(row.CarString);
        cells.push_back(row.ExplanationString);
    }
    return cells;
}

// A header click on a list in the order the check found the rows.
void SortErrorList(benchmark::State& state) {
    const std::vector<std::string> cells = FullListCells();
    platform::ColumnList list("lvErrors", {"", "Car", "Error"});
    for (auto _ : state) {
        state.PauseTiming();
        list.SetSort(false, 0, platform::ColumnList::Order::Ascending);
        list.SetRows(cells);
        state.ResumeTiming();
        list.SetSort(true, static_cast<int>(state.range(0)), platform::ColumnList::Order::Ascending);
    }
    state.counters["rows"] = list.RowCount();
}

// Header clicks on the sorted column, each reversing the order.
void ReverseErrorList(benchmark::State& state) {
    platform::ColumnList list("lvErrors", {"", "Car", "Error"});
    list.SetRows(FullListCells());
    bool descending = false;
    for (auto _ : state) {
        descending = !descending;
        list.SetSort(true, static_cast<int>(state.range(0)),
                     descending ? platform::ColumnList::Order::Descending
                                : platform::ColumnList::Order::Ascending);
    }
    state.counters["rows"] = list.RowCount();
}

// The window asks nothing of the desktop while it is filled.
class NoServices : public platform::Services {
  public:
    platform::Answer ShowMessage(const platform::MessageBox&) override { return platform::Answer::Ok; }
    std::string ChooseOpenFile(const platform::FileDialog&) override { return {}; }
    std::string ChooseSaveFile(const platform::FileDialog&) override { return {}; }
    void SetBusy(bool) override {}
    void ShowModal(platform::Window&) override {}
    void ShowBeside(std::shared_ptr<platform::Window>) override {}
    void ShowPopupMenu(platform::MenuEntry&) override {}
    void OpenWithDesktop(const std::string&) override {}
    std::string CommandLine() override { return {}; }
    std::string ProgramFolder() override { return {}; }
    std::string HomeFolder() override { return {}; }
    std::string ReadSetting(const std::string&) override { return {}; }
    void WriteSetting(const std::string&, const std::string&) override {}
    std::optional<std::string> ClipboardText() override { return std::string(); }
    void SetClipboardText(const std::string&) override {}
};

// "View all errors ...": a new window filled from the sorted main list.
void CopyToAllErrorsWindow(benchmark::State& state) {
    platform::ColumnList list("lvErrors", {"", "Car", "Error"});
    list.SetRows(FullListCells());
    list.SetSort(true, 1, platform::ColumnList::Order::Descending);
    NoServices services;
    for (auto _ : state) {
        frmErrors errors(services);
        errors.CopyRows(list);
        benchmark::DoNotOptimize(errors.lvErrors.RowCount());
    }
    state.counters["rows"] = list.RowCount();
}

} // namespace

BENCHMARK(SortErrorList)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(ReverseErrorList)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyToAllErrorsWindow)->Unit(benchmark::kMillisecond);
