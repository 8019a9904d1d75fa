#include "windows/frmCompareFiles.h"

#include "document/change.h"
#include "files/paths.h"
#include "windows/file_dialogs.h"

#include <algorithm>
#include <limits>

namespace kestrix {

namespace {

constexpr const char* kDiffers = "*";

// A comment block in one cell.
std::string BlockCell(const FileContents& contents, DocumentText block) {
    std::string text(TextIn(contents, block));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

} // namespace

frmCompareFiles::frmCompareFiles(Document& doc, platform::Services& services, ParsedHandlingFile other,
                                 std::string otherPath)
    : Window("frmCompareFiles"),
      lvDifferences("lvDifferences", {"Car", "", "Stat", "Open file", "Other file"}), doc_(doc),
      services_(services), other_(std::move(other)), otherPath_(std::move(otherPath)) {
    SetResizable(true);
    chkDifferent.SetCaption("Only stats that &differ");
    chkDifferent.SetValue(1);
    cmdTakeValue.SetCaption("Take &Value");
    cmdTakeCar.SetCaption("Take &Car");
    cmdTakeAll.SetCaption("Take &All");
    cmdClose.SetCaption("Close");
    CancelButton = &cmdClose;
    chkDifferent.Click = [this] { chkDifferent_Click(); };
    lvDifferences.DblClick = [this] { lvDifferences_DblClick(); };
    cmdTakeValue.Click = [this] { cmdTakeValue_Click(); };
    cmdTakeCar.Click = [this] { cmdTakeCar_Click(); };
    cmdTakeAll.Click = [this] { cmdTakeAll_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    Focus.Join({&lvDifferences, &chkDifferent, &cmdTakeValue, &cmdTakeCar, &cmdTakeAll, &cmdClose});
    doc_.Observe(*this);
}

void frmCompareFiles::Form_Load() {
    SetCaption("Compare with File");
    lblFiles.SetCaption("The open file compared with " + otherPath_);
    Compare();
}

frmCompareFiles::~frmCompareFiles() {
    doc_.Forget(*this);
}

void frmCompareFiles::DocumentChanged(const DocumentEvent& event) {
    if (!taking_ && event.kind != DocumentEvent::Kind::Show)
        Compare();
}

void frmCompareFiles::Compare() {
    difference_ = CompareFiles(ContentsOf(doc_.Data()), ContentsOf(other_));
    Fill();
}

void frmCompareFiles::Fill() {
    const bool onlyDifferent = chkDifferent.Value() != 0;
    const int selected = lvDifferences.SelectedRow();
    std::vector<std::string> cells;
    lines_.clear();
    cells.reserve(difference_.stats.size() * 10);
    lines_.reserve(difference_.stats.size() * 2);
    // The cars of the open document in its order, then those only in the other file.
    const std::vector<StatDifference>& stats = difference_.stats;
    const std::vector<int>& removed = difference_.removed;
    std::size_t stat = 0;
    std::size_t gone = 0;
    constexpr int kNone = std::numeric_limits<int>::max();
    std::vector<int> differing;
    while (stat < stats.size() || gone < removed.size()) {
        const int statRow = stat < stats.size() ? stats[stat].oldRow : kNone;
        const int goneRow = gone < removed.size() ? removed[gone] : kNone;
        if (goneRow < statRow) {
            AddCar(cells, goneRow, -1, "(only in the open file)", {}, onlyDifferent);
            ++gone;
            continue;
        }
        const int otherRow = stats[stat].newRow;
        differing.clear();
        for (; stat < stats.size() && stats[stat].oldRow == statRow; ++stat)
            differing.push_back(stats[stat].column);
        AddCar(cells, statRow, otherRow,
               "(" + CountText(differing.size(), "value differs", "values differ") + ")", differing,
               onlyDifferent);
    }
    for (const int row : difference_.added)
        AddCar(cells, -1, row, "(only in the other file)", {}, onlyDifferent);
    AddBlocks(cells);
    lvDifferences.SetRows(std::move(cells));
    if (selected >= 0 && lvDifferences.RowCount() > 0)
        lvDifferences.SetSelectedRow(std::min(selected, lvDifferences.RowCount() - 1));

    std::size_t changedCars = 0;
    for (const Line& line : lines_)
        changedCars += line.column < 0 && line.docRow >= 0 && line.otherRow >= 0;
    lblSummary.SetCaption(difference_.Empty()
                              ? "The files hold the same cars, comments and author."
                              : CountText(changedCars, "car with other values", "cars with other values") +
                                    ", " + std::to_string(removed.size()) + " only in the open file, " +
                                    std::to_string(difference_.added.size()) + " only in the other file");
    // Only the other file's values and cars can be taken.
    const bool takeable = !difference_.stats.empty() || !difference_.added.empty();
    for (platform::Button* take : {&cmdTakeValue, &cmdTakeCar, &cmdTakeAll})
        take->SetEnabled(takeable);
}

void frmCompareFiles::AddCar(std::vector<std::string>& cells, int docRow, int otherRow,
                             std::string_view status, const std::vector<int>& differing, bool onlyDifferent) {
    const CarRow* docCar = docRow >= 0 ? &doc_.Cars()[static_cast<std::size_t>(docRow)] : nullptr;
    const CarRow* otherCar = otherRow >= 0 ? &other_.Cars[static_cast<std::size_t>(otherRow)] : nullptr;
    const std::string_view name = docCar ? (*docCar)[0] : (*otherCar)[0];
    cells.insert(cells.end(), {std::string(name), "", std::string(status), "", ""});
    lines_.push_back({docRow, otherRow, -1, !docCar || !otherCar});
    // A car on one side only is its heading line, unless every value is asked for.
    const bool oneSided = !docCar || !otherCar;
    if (oneSided && onlyDifferent)
        return;
    for (int column = 1; column < kStatCount; ++column) {
        const bool differs =
            oneSided || std::find(differing.begin(), differing.end(), column) != differing.end();
        if (onlyDifferent && !differs)
            continue;
        cells.insert(cells.end(), {"", differs ? kDiffers : "", StatLabel(column),
                                   docCar ? std::string((*docCar)[column]) : std::string(),
                                   otherCar ? std::string((*otherCar)[column]) : std::string()});
        lines_.push_back({docRow, otherRow, column, differs});
    }
}

void frmCompareFiles::AddBlocks(std::vector<std::string>& cells) {
    if (difference_.reordered) {
        cells.insert(cells.end(), {"(order of the cars)", kDiffers, "(changed)", "", ""});
        lines_.push_back({.differs = true});
    }
    const FileContents open = ContentsOf(doc_.Data());
    const FileContents other = ContentsOf(other_);
    for (const DocumentText block : difference_.blocks) {
        cells.insert(cells.end(), {std::string(BlockLabel(block)), kDiffers, "", BlockCell(open, block),
                                   BlockCell(other, block)});
        lines_.push_back({.column = static_cast<int>(block), .differs = true});
    }
}

const frmCompareFiles::Line* frmCompareFiles::SelectedLine() const {
    const int row = lvDifferences.SelectedRow();
    return row >= 0 && row < static_cast<int>(lines_.size()) ? &lines_[static_cast<std::size_t>(row)]
                                                             : nullptr;
}

void frmCompareFiles::chkDifferent_Click() {
    lvDifferences.SetSelectedRow(-1);
    Fill();
}

void frmCompareFiles::lvDifferences_DblClick() {
    const Line* line = SelectedLine();
    if (line && line->docRow >= 0)
        doc_.AskToShow(line->docRow, std::max(line->column, 0));
}

CarIn frmCompareFiles::TakenCar(int docRow, int otherRow, int only) const {
    const CarRow& docCar = doc_.Cars()[static_cast<std::size_t>(docRow)];
    CarIn car{other_.Cars[static_cast<std::size_t>(otherRow)], docRow, {}};
    for (int column = 1; column < kStatCount; ++column)
        if ((only < 0 || column == only) && docCar[column] != car.car[column])
            car.columns.push_back(column);
    return car;
}

void frmCompareFiles::Take(std::vector<CarIn> cars) {
    std::size_t values = 0;
    for (const CarIn& car : cars)
        values += car.row < 0 ? kStatCount : car.columns.size();
    if (values == 0)
        return;
    doc_.CommitPendingEdits();
    const std::string file = NameOf(otherPath_, kSystemPathStyle);
    // One step however much is taken.
    CarsInResult in =
        CarsInChange(doc_.Data(), {CountedCaption("Take from " + file, values), std::move(cars), {}, {}});
    if (!in.refusal.empty()) {
        ReportFailure(services_, in.refusal);
        return;
    }
    std::vector<Line> following;
    for (std::size_t row = static_cast<std::size_t>(lvDifferences.SelectedRow() + 1); row < lines_.size();
         ++row) {
        if (lines_[row].differs)
            following.push_back(lines_[row]);
    }
    taking_ = true;
    doc_.Commit(std::move(in.change));
    taking_ = false;
    Compare();
    SelectNextDifference(following);
}

void frmCompareFiles::SelectNextDifference(const std::vector<Line>& following) {
    for (const Line& wanted : following) {
        for (std::size_t row = 0; row < lines_.size(); ++row) {
            if (lines_[row].differs && lines_[row].SamePlace(wanted)) {
                lvDifferences.SetSelectedRow(static_cast<int>(row));
                return;
            }
        }
    }
    lvDifferences.SetSelectedRow(-1);
}

void frmCompareFiles::TakeSelected(bool wholeCar) {
    const Line* line = SelectedLine();
    if (!line || line->otherRow < 0)
        return;
    // A car only in the other file comes whole, whichever was asked.
    if (line->docRow < 0) {
        Take({{other_.Cars[static_cast<std::size_t>(line->otherRow)], -1, {}}});
        return;
    }
    if (!wholeCar && line->column < 1)
        return; // a heading holds no value
    Take({TakenCar(line->docRow, line->otherRow, wholeCar ? -1 : line->column)});
}

void frmCompareFiles::cmdTakeValue_Click() {
    TakeSelected(false);
}

void frmCompareFiles::cmdTakeCar_Click() {
    TakeSelected(true);
}

void frmCompareFiles::cmdTakeAll_Click() {
    std::vector<CarIn> cars;
    int last = -1;
    for (const StatDifference& stat : difference_.stats) {
        if (stat.oldRow != last)
            cars.push_back(TakenCar(stat.oldRow, stat.newRow, -1));
        last = stat.oldRow;
    }
    for (const int row : difference_.added)
        cars.push_back({other_.Cars[static_cast<std::size_t>(row)], -1, {}});
    Take(std::move(cars));
}

void frmCompareFiles::cmdClose_Click() {
    Unload();
}

} // namespace kestrix
