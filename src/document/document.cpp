#include "document/document.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace kestrix {

Document::Document(NumberFormat numbers) : numbers_(std::move(numbers)) {}

void Document::Observe(DocumentObserver& observer) {
    observers_.push_back(&observer);
}

void Document::Forget(DocumentObserver& observer) {
    std::erase(observers_, &observer);
}

void Document::Notify(const DocumentEvent& event) {
    // An observer may come or go while the others hear of the change.
    const std::vector<DocumentObserver*> observers = observers_;
    for (DocumentObserver* observer : observers)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->DocumentChanged(event);
}

void Document::CommitPendingEdits() {
    if (settling_)
        return;
    settling_ = true;
    const std::vector<DocumentObserver*> observers = observers_;
    for (DocumentObserver* observer : observers)
        observer->CommitPendingEdits();
    settling_ = false;
}

void Document::AskToShow(int row, int column) {
    if (row >= 0 && row < static_cast<int>(data_.Cars.size()))
        Notify({DocumentEvent::Kind::Show, nullptr, false, {}, false, row, column});
}

void Document::Rebase() {
    saved_ = data_.Cars;
    savedRowOfId_.assign(nextId_, -1);
    idOfSavedRow_ = ids_;
    for (std::size_t row = 0; row < ids_.size(); ++row)
        savedRowOfId_[ids_[row]] = static_cast<int>(row);
    changedValues_ = 0;
    savedPosition_ = position_;
    typing_ = false;
    UpdateModified();
}

void Document::Read(HandlingDocument data) {
    data_ = std::move(data);
    history_.clear();
    position_ = 0;
    ids_.resize(data_.Cars.size());
    std::iota(ids_.begin(), ids_.end(), 0u);
    nextId_ = static_cast<std::uint32_t>(ids_.size());
    Rebase();
    if (recorder_)
        recorder_->Based(*this);
    CheckWhole(DocumentEvent::Kind::Read);
}

void Document::SetCheckRules(CheckRules rules) {
    if (rules == rules_)
        return;
    rules_ = rules;
    CheckWhole(DocumentEvent::Kind::Checked);
}

// Every row of the error lists is replaced by the whole check of the cars.
void Document::CheckWhole(DocumentEvent::Kind kind) {
    const int oldErrors = static_cast<int>(errors_.Rows().size());
    ErrorCheck(data_.Cars, errors_, numbers_, rules_);
    Notify({kind, nullptr, false, {0, oldErrors, static_cast<int>(errors_.Rows().size())}, false, -1, -1});
}

void Document::Saved(std::string path) {
    data_.FilePath = std::move(path);
    Rebase();
    if (recorder_)
        recorder_->Based(*this);
    Notify({DocumentEvent::Kind::State, nullptr, false, {}, false, -1, -1});
}

void Document::SetPath(std::string path) {
    data_.FilePath = std::move(path);
    Notify({DocumentEvent::Kind::State, nullptr, false, {}, false, -1, -1});
}

void Document::NoteTyping() {
    SetTyping(true);
}

void Document::DropTyping() {
    SetTyping(false);
}

// Typing alone moves only the star; the observers hear of it when it does.
void Document::SetTyping(bool typing) {
    if (typing_ == typing)
        return;
    typing_ = typing;
    const bool was = data_.Modified;
    UpdateModified();
    if (was != data_.Modified)
        Notify({DocumentEvent::Kind::State, nullptr, false, {}, false, -1, -1});
}

void Document::UpdateModified() {
    data_.Modified = typing_ || position_ != savedPosition_;
}

void Document::Commit(Change change) {
    if (change.Empty())
        return;
    if (JoinsLastMove(change)) {
        JoinLastMove(std::move(change));
        return;
    }
    history_.resize(position_);
    if (savedPosition_ != kNoSavedPosition && savedPosition_ > position_)
        savedPosition_ = kNoSavedPosition; // the saved state was undone and is now out of reach
    // The history holds what the step changed and no spare room.
    change.cells.shrink_to_fit();
    history_.push_back({std::move(change), nextStep_++, {}, {}});
    ++position_;
    Apply(history_.back(), false, false);
}

// A move joins the step before it when that is a move of the same cars the same way, done since
// the file was last read or saved. The steps undone past it go, as at any commit: the journal
// replays the joined step where it stands.
bool Document::JoinsLastMove(const Change& change) const {
    return position_ > 0 && savedPosition_ != position_ &&
           ContinuesMove(history_[position_ - 1].change, change);
}

// The journal hears the last step undone and the joined one done: what it
// replays is the one step the history holds.
void Document::JoinLastMove(Change change) {
    history_.resize(position_);
    if (savedPosition_ != kNoSavedPosition && savedPosition_ > position_)
        savedPosition_ = kNoSavedPosition;
    Step move{std::move(change), 0, {}, {}};
    const RowSplice splice = Carry(move, false);
    Step& last = history_.back();
    if (recorder_)
        recorder_->Stepped(last.change, last.number, true);
    last.change = JoinedMoves(last.change, move.change);
    last.number = nextStep_++;
    if (recorder_)
        recorder_->Stepped(last.change, last.number, false);
    Notify({DocumentEvent::Kind::Changed, &move.change, false, splice, false, -1, -1});
}

void Document::Undo() {
    if (!CanUndo())
        return;
    --position_;
    Apply(history_[position_], true, true);
}

void Document::Redo() {
    if (!CanRedo())
        return;
    ++position_;
    Apply(history_[position_ - 1], false, true);
}

void Document::RestoreUndone(Change change) {
    if (CanUndo() || change.Empty())
        return;
    Step step{std::move(change), nextStep_++, {}, {}};
    // The cars it added are those at its rows now; those it removed come back as new ones, but for
    // the cars a move takes back.
    for (const RowChange& added : step.change.added)
        step.addedIds.push_back(ids_.at(static_cast<std::size_t>(added.row)));
    if (step.change.kind == Change::Kind::Move)
        step.removedIds = step.addedIds;
    else
        for (std::size_t i = 0; i < step.change.removed.size(); ++i)
            step.removedIds.push_back(nextId_++);
    history_.insert(history_.begin(), std::move(step));
    if (savedPosition_ != kNoSavedPosition)
        ++savedPosition_;
    Apply(history_.front(), true, true);
}

std::size_t Document::HistoryBytes() const {
    std::size_t bytes = history_.capacity() * sizeof(Step);
    for (const Step& step : history_)
        bytes += HeldBytes(step.change) +
                 (step.removedIds.capacity() + step.addedIds.capacity()) * sizeof(std::uint32_t);
    return bytes;
}

int Document::SavedRowOfId(std::uint32_t id) const {
    return id < savedRowOfId_.size() ? savedRowOfId_[id] : -1;
}

int Document::SavedRowOf(int row) const {
    return SavedRowOfId(ids_.at(static_cast<std::size_t>(row)));
}

std::vector<int> Document::SavedRows() const {
    std::vector<int> rows;
    rows.reserve(ids_.size());
    for (const std::uint32_t id : ids_)
        rows.push_back(SavedRowOfId(id));
    return rows;
}

std::size_t Document::ChangedIn(const CarRow& car, std::uint32_t id) const {
    const int origin = SavedRowOfId(id);
    if (origin < 0)
        return 0;
    const CarRow& saved = saved_[static_cast<std::size_t>(origin)];
    std::size_t changed = 0;
    for (int column = 0; column < kStatCount; ++column)
        changed += car[column] != saved[column];
    return changed;
}

bool Document::IsChangedValue(int row, int column) const {
    const int origin = SavedRowOf(row);
    return origin >= 0 && data_.Cars[static_cast<std::size_t>(row)][column] !=
                              saved_[static_cast<std::size_t>(origin)][column];
}

bool Document::SavedCarGone(int savedRow) const {
    if (savedRow < 0 || savedRow >= static_cast<int>(idOfSavedRow_.size()))
        return false;
    return std::find(ids_.begin(), ids_.end(), idOfSavedRow_[static_cast<std::size_t>(savedRow)]) ==
           ids_.end();
}

std::vector<int> Document::DeletedSavedRows() const {
    std::vector<bool> present(saved_.size());
    for (const std::uint32_t id : ids_)
        if (const int origin = SavedRowOfId(id); origin >= 0)
            present[static_cast<std::size_t>(origin)] = true;
    std::vector<int> deleted;
    for (std::size_t row = 0; row < present.size(); ++row)
        if (!present[row])
            deleted.push_back(static_cast<int>(row));
    return deleted;
}

// Keeps the count of values that differ from the saved file, cell by cell.
void Document::MarkCells(const Change& change, bool undo) {
    for (const CellChange& cell : change.cells) {
        const int origin = SavedRowOf(cell.row);
        if (origin < 0)
            continue;
        const std::string_view saved = saved_[static_cast<std::size_t>(origin)][cell.column];
        const std::string& from = undo ? cell.after : cell.before;
        const std::string& to = undo ? cell.before : cell.after;
        changedValues_ = changedValues_ - (from != saved) + (to != saved);
    }
}

namespace {

// A move changes only the rows from the first car it moves to the last place it moves a car to:
// each car there is another one now, and the same number of cars stands before and after.
std::vector<int> MovedSpan(const Change& move) {
    int first = INT_MAX;
    int last = -1;
    for (const auto* rows : {&move.removed, &move.added})
        for (const RowChange& row : *rows) {
            first = std::min(first, row.row);
            last = std::max(last, row.row);
        }
    std::vector<int> span(static_cast<std::size_t>(std::max(0, last - first + 1)));
    std::iota(span.begin(), span.end(), first);
    return span;
}

} // namespace

void Document::Apply(Step& step, bool undo, bool replayed) {
    const RowSplice splice = Carry(step, undo);
    if (recorder_)
        recorder_->Stepped(step.change, step.number, undo);
    Notify({DocumentEvent::Kind::Changed, &step.change, undo, splice, replayed, -1, -1});
}

RowSplice Document::Carry(Step& step, bool undo) {
    const Change& change = step.change;
    const int oldErrors = static_cast<int>(errors_.Rows().size());
    if (!undo) {
        MarkCells(change, false);
        step.removedIds.assign(change.removed.size(), 0);
        for (std::size_t i = change.removed.size(); i-- > 0;) {
            const auto at = ids_.begin() + change.removed[i].row;
            step.removedIds[i] = *at;
            changedValues_ -= ChangedIn(change.removed[i].car, *at);
            ids_.erase(at);
        }
        if (change.kind == Change::Kind::Move)
            step.addedIds = step.removedIds; // the cars that went come back as themselves
        else if (step.addedIds.empty())
            for (const RowChange& added : change.added)
                step.addedIds.push_back(SavedCarGone(added.savedRow)
                                            ? idOfSavedRow_[static_cast<std::size_t>(added.savedRow)]
                                            : nextId_++);
        for (std::size_t i = 0; i < change.added.size(); ++i) {
            ids_.insert(ids_.begin() + change.added[i].row, step.addedIds[i]);
            changedValues_ += ChangedIn(change.added[i].car, step.addedIds[i]);
        }
        // The document's own changes are made from it: they always apply.
        DoChange(data_, change);
    } else {
        for (std::size_t i = change.added.size(); i-- > 0;) {
            changedValues_ -= ChangedIn(change.added[i].car, step.addedIds[i]);
            ids_.erase(ids_.begin() + change.added[i].row);
        }
        for (std::size_t i = 0; i < change.removed.size(); ++i) {
            ids_.insert(ids_.begin() + change.removed[i].row, step.removedIds[i]);
            changedValues_ += ChangedIn(change.removed[i].car, step.removedIds[i]);
        }
        MarkCells(change, true);
        UndoChange(data_, change);
    }
    typing_ = false;
    UpdateModified();

    if (change.kind == Change::Kind::Move)
        return RecheckCars(data_.Cars, MovedSpan(change), errors_, numbers_, rules_);
    if (change.ChangesRows()) {
        ErrorCheck(data_.Cars, errors_, numbers_, rules_);
        return {0, oldErrors, static_cast<int>(errors_.Rows().size())};
    }
    if (change.cells.empty())
        return {};
    std::vector<int> rows;
    rows.reserve(change.cells.size());
    for (const CellChange& cell : change.cells)
        if (rows.empty() || rows.back() != cell.row)
            rows.push_back(cell.row);
    return RecheckCars(data_.Cars, std::move(rows), errors_, numbers_, rules_);
}

} // namespace kestrix
