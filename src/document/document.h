#pragma once

#include "document/change.h"
#include "model/handling_document.h"
#include "validation/error_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

// What an observer learns after the document changed.
struct DocumentEvent {
    enum class Kind {
        Read,    // another file was read, or the document emptied: everything is new
        Changed, // a change was done, undone or redone
        State,   // only the path or the modified state changed (a save, typing)
        Show,    // a window asks that the car at row be shown, at this column
        Checked, // the cars were checked again under other rules: the error register is new
    };
    Kind kind = Kind::Read;
    // Changed: the change, whether it was undone, and whether by undo or redo (not a first commit).
    const Change* change = nullptr;
    bool undone = false;
    // The rows of the error register that were replaced.
    RowSplice errors;
    bool replayed = false;
    // Show: the car and column asked for.
    int row = -1;
    int column = -1;

    bool RowsChanged() const { return kind == Kind::Read || (change && change->ChangesRows()); }
};

class DocumentObserver {
  public:
    virtual void DocumentChanged(const DocumentEvent& event) = 0;
    // Before a change from elsewhere: an observer commits what the user typed
    // there first, so that the change knows the values it replaces.
    virtual void CommitPendingEdits() {}

  protected:
    ~DocumentObserver() = default;
};

class Document;

// Hears of every step before the observers do, so that the step is on record
// before anything else reacts to it: the recovery journal.
class DocumentRecorder {
  public:
    // The document is its file as just read or saved: no step is unsaved.
    virtual void Based(const Document& doc) = 0;
    // A step was done (also a redo) or undone; a step keeps its number through undo and redo.
    virtual void Stepped(const Change& change, std::uint64_t step, bool undone) = 0;

  protected:
    ~DocumentRecorder() = default;
};

// The open document: the cars, comments, author, path and modified state, the
// error register of the last check and the undo history. Every change goes
// through Commit, Undo and Redo; the document checks the cars the change
// touched and tells every observer what changed.
class Document {
  public:
    explicit Document(NumberFormat numbers = {});
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const HandlingDocument& Data() const { return data_; }
    const CarTable& Cars() const { return data_.Cars; }
    const std::string& FilePath() const { return data_.FilePath; }
    bool Modified() const { return data_.Modified; }
    const ErrorRegister& Errors() const { return errors_; }
    const NumberFormat& Numbers() const { return numbers_; }
    CheckRules Rules() const { return rules_; }
    // The strict checks on or off: the whole document is checked again when the rules change.
    void SetCheckRules(CheckRules rules);

    void Observe(DocumentObserver& observer);
    void Forget(DocumentObserver& observer);
    // One recorder at a time; nullptr for none.
    void SetRecorder(DocumentRecorder* recorder) { recorder_ = recorder; }

    // A document read from a file (or an empty one): no history, nothing modified, checked whole.
    void Read(HandlingDocument data);
    // The document now is the file at this path; the saved state for the star and the marks.
    void Saved(std::string path);
    // Typing not yet committed: the title shows the star until a commit or undo settles it.
    void NoteTyping();
    // The typing was taken back.
    void DropTyping();
    // For a document not read from a file (the path a failed open leaves, a test's own document).
    void SetPath(std::string path);

    // Does the change, checks, records it for undo and tells the observers. An empty change does nothing.
    // A move of the cars the last step moved, the same way, joins that step (ContinuesMove); the
    // observers hear of the move alone.
    void Commit(Change change);
    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < history_.size(); }
    // The step Undo or Redo would take; nullptr when there is none.
    const Change* NextUndo() const { return CanUndo() ? &history_[position_ - 1].change : nullptr; }
    const Change* NextRedo() const { return CanRedo() ? &history_[position_].change : nullptr; }
    void Undo();
    void Redo();
    // A step the document holds done from before its history began (a step of
    // the saved file that a recovered editor had undone) joins the history at
    // its start and is undone, so that Redo does it again. Only while nothing
    // can be undone.
    void RestoreUndone(Change change);
    // The bytes the history holds beyond the steps' own size.
    std::size_t HistoryBytes() const;

    // Before a window builds a change: every observer commits what the user typed.
    void CommitPendingEdits();
    // Asks the windows to show a car (and a column of it; -1 for none).
    void AskToShow(int row, int column);

    // The values that differ from the file as last read or saved.
    std::size_t ChangedValueCount() const { return changedValues_; }
    bool IsChangedValue(int row, int column) const;
    // The row of the saved file a car came from; -1 for a car added since.
    int SavedRowOf(int row) const;
    // The same for every car, in row order.
    std::vector<int> SavedRows() const;
    const CarTable& SavedCars() const { return saved_; }
    // The saved cars no longer in the document, by saved row.
    std::vector<int> DeletedSavedRows() const;

  private:
    // A change in the history, with who the cars are that it removed and added.
    struct Step {
        Change change;
        std::uint64_t number = 0;
        std::vector<std::uint32_t> removedIds;
        std::vector<std::uint32_t> addedIds; // given when first done, kept for redo
    };
    void Apply(Step& step, bool undo, bool replayed);
    // Does or undoes a step's change to the cars, their identities and the errors: the error rows replaced.
    RowSplice Carry(Step& step, bool undo);
    bool JoinsLastMove(const Change& change) const;
    void JoinLastMove(Change change);
    void MarkCells(const Change& change, bool undo);
    void Notify(const DocumentEvent& event);
    void SetTyping(bool typing);
    void UpdateModified();
    void Rebase();
    void CheckWhole(DocumentEvent::Kind kind);
    std::size_t ChangedIn(const CarRow& car, std::uint32_t id) const;
    int SavedRowOfId(std::uint32_t id) const;
    bool SavedCarGone(int savedRow) const;

    HandlingDocument data_;
    NumberFormat numbers_;
    CheckRules rules_ = CheckRules::Standard;
    ErrorRegister errors_;
    std::vector<DocumentObserver*> observers_;
    DocumentRecorder* recorder_ = nullptr;
    std::uint64_t nextStep_ = 1;
    std::vector<Step> history_;
    std::size_t position_ = 0;
    static constexpr std::size_t kNoSavedPosition = static_cast<std::size_t>(-1);
    std::size_t savedPosition_ = 0;
    bool typing_ = false;
    bool settling_ = false;
    // Every car that ever entered the document has its own number, so that a car
    // keeps its place in the saved file whatever came or went before it.
    std::vector<std::uint32_t> ids_; // per row
    std::uint32_t nextId_ = 0;
    // The cars as last read or saved, each car's number's row there (or -1),
    // and how many values differ from it.
    CarTable saved_; // sharing the rows that have not changed since
    std::vector<int> savedRowOfId_;
    std::vector<std::uint32_t> idOfSavedRow_;
    std::size_t changedValues_ = 0;
};

} // namespace kestrix
