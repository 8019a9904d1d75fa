#pragma once

#include "document/document.h"
#include "files/file_operations.h"
#include "files/opened_file.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kestrix {

class DocumentRecovery;
struct LeftJournal;

// What the window tells or asks after a step of the file session: the session
// words it, the window gives it its title and buttons.
struct FileNotice {
    enum class Kind {
        None,             // nothing to tell
        JournalProblem,   // the recovery journal stopped; the editor works on: Ok
        JournalRefused,   // a left journal cannot be applied and was kept aside: Ok
        JournalCut,       // a left journal was recovered but for its last step, cut short: Ok
        NoBackup,         // a save wanted a backup and could keep none: Ok
        FileGone,         // the open file was deleted or moved away meanwhile: Ok
        OverwriteChanged, // before a save: Overwrite, Reload, or Cancel
        OverwriteGone,    // before a save: Overwrite, or Cancel
        ReloadChanged,    // coming back to the editor: Reload, or Keep
        Recover,          // a left journal: Recover, or Discard
    };
    Kind kind = Kind::None;
    std::string text;
};

// All that a step of the file session has to tell, in the order to tell it:
// why it was not done, then what it met on the way (a backup not kept, the
// recovery journal stopped) and the question it ends with, if any.
struct FileStep {
    std::string failure; // the step was not done: the reason, naming the file
    std::vector<FileNotice> notices;

    bool Done() const { return failure.empty(); }
    // The step ends with this question: the answer to it decides what comes next.
    bool Asks(FileNotice::Kind kind) const { return !notices.empty() && notices.back().kind == kind; }
};

// The user as the offer of left journals meets them: Ask tells or asks a
// notice and gives true for its first choice (Recover); Busy(true) and
// Busy(false) go around the reading of a journal's file.
struct FileAsker {
    std::function<bool(const FileNotice&)> Ask;
    std::function<void(bool)> Busy = [](bool) {};
};

// The document's file on disk: reading and saving it, what another program
// did to it meanwhile, and the edits an editor that did not close left
// unsaved. The session asks nothing itself: each step returns what happened
// and what to tell or ask, and the window asks and hands the answer back as
// the next step; only the offer of left journals, whose answers lead from
// one journal to the next, asks through the asker it is given.
class FileSession {
  public:
    explicit FileSession(Document& doc, FileOperations& files = SystemFiles());
    FileSession(const FileSession&) = delete;
    FileSession& operator=(const FileSession&) = delete;
    ~FileSession();

    // Reads path into the document; again: the open file read anew (a revert),
    // which keeps the backup of its opening.
    FileStep Read(const std::string& path, bool again);
    // Before a save to path: the question when another program changed or
    // removed the file since it was read or saved here; None otherwise.
    FileNotice OverwriteQuestion(const std::string& path) const;
    // The lines of the cars at these rows as a save keeping the layout writes
    // them: as the file holds them, in the editor's form where changed.
    std::string CarLinesText(const std::vector<int>& rows) const;
    // Writes the document to path as settings say, and takes path as the
    // document's file. A save that wanted a backup and could keep none (the
    // folder takes no new file, so the file was written in place) tells so
    // once per file.
    FileStep Save(const std::string& path, const SaveSettings& settings);
    // The open file as it is on disk, as one step that undo takes back.
    FileStep Reload();
    // Coming back to the editor: a file another program changed is offered for
    // reading again (ReloadChanged), once for each change.
    FileStep ReloadOffer();
    // After edits made between the steps (the windows' commits, undo, redo):
    // what stopped the recovery journal while it recorded them.
    FileStep AfterEdits();

    // Where recovery journals are kept from the next read or save on; none when empty.
    void SetRecoveryFolder(std::string folder);
    // Offers the edits of the journals left for file, or for any file when it
    // is null, oldest first: Recover reads the journal's file when another is
    // open and applies the edits to it, unsaved and undoable, or none of them;
    // Discard removes the journal; one that cannot be used is kept aside and
    // told. After a recovery the other journals wait for the next start.
    // Returns the files it read into the document, in turn.
    std::vector<std::string> OfferLeftJournals(const std::string* file, const FileAsker& asker);
    // A clean close: nothing is left to recover.
    void Close();

  private:
    bool Recover(const LeftJournal& journal, const FileAsker& asker, std::vector<std::string>& read);
    FileNotice Refuse(const LeftJournal& journal, const std::string& why);
    // Adds what stopped the recovery journal since last told.
    FileStep& WithJournalProblem(FileStep& step);

    Document& doc_;
    FileOperations& files_;
    std::unique_ptr<OpenedFile> file_;
    std::unique_ptr<DocumentRecovery> recovery_;
    std::set<std::string> backupTold_; // the files whose missing backup was told
};

} // namespace kestrix
