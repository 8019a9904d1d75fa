#pragma once

#include "document/document.h"
#include "files/file_operations.h"
#include "files/opened_file.h"

#include <cstddef>
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

// The document's file on disk: reading and saving it, what another program
// did to it meanwhile, and the edits an editor that did not close left
// unsaved. The session asks nothing: each step says what happened and what
// to tell or ask; the window asks and hands the answer back as the next step.
class FileSession {
  public:
    explicit FileSession(Document& doc, FileOperations& files = SystemFiles());
    FileSession(const FileSession&) = delete;
    FileSession& operator=(const FileSession&) = delete;
    ~FileSession();

    // Reads path into the document; again: the open file read anew (a revert),
    // which keeps the backup of its opening. Returns the failure or empty text.
    std::string Read(const std::string& path, bool again);
    // Before a save to path: the question when another program changed or
    // removed the file since it was read or saved here; None otherwise.
    FileNotice OverwriteQuestion(const std::string& path) const;
    // The lines of the cars at these rows as a save keeping the layout writes
    // them: as the file holds them, in the editor's form where changed.
    std::string CarLinesText(const std::vector<int>& rows) const;
    // Writes the document to path as settings say, and takes path as the
    // document's file. Returns the failure or empty text.
    std::string Save(const std::string& path, const SaveSettings& settings);
    // After a save that wanted a backup and could keep none (the folder takes
    // no new file, so the file was written in place): told once per file.
    FileNotice TakeBackupNotice();
    // The open file as it is on disk, as one step that undo takes back.
    // Returns the failure or empty text.
    std::string Reload();
    // Coming back to the editor: a file another program changed is offered for
    // reading again, once for each change; None when there is nothing to tell.
    FileNotice ReloadOffer();

    // Where recovery journals are kept from the next read or save on; none when empty.
    void SetRecoveryFolder(std::string folder);
    // Takes the journals left for file, or for any file when it is null, to offer them in turn.
    void FindLeftJournals(const std::string* file);
    // The next of them: the question Recover, or JournalRefused for one that
    // cannot be used (kept aside already); None when none is left.
    FileNotice NextRecoveryOffer();
    // The file whose edits the journal offered last holds.
    const std::string& OfferedFile() const;
    // Recover, the document holding the offered file as it is on disk: applies
    // the edits, unsaved and undoable, or none of them. Returns JournalRefused
    // when they no longer apply, None when they were applied.
    FileNotice RecoverOffered();
    // The offered file could not be read: the journal is kept aside.
    FileNotice RefuseOffered(const std::string& readFailure);
    // Discard: the offered journal goes.
    void DiscardOffered();
    // What stopped the recovery journal since last asked, told once.
    FileNotice TakeJournalProblem();
    // A clean close: nothing is left to recover.
    void Close();

  private:
    const LeftJournal& Offered() const;
    FileNotice Refuse(const LeftJournal& journal, const std::string& why);

    Document& doc_;
    std::unique_ptr<OpenedFile> file_;
    std::unique_ptr<DocumentRecovery> recovery_;
    std::vector<LeftJournal> left_;
    std::string backupMissed_;         // the file whose last save kept no backup
    std::set<std::string> backupTold_; // the files whose missing backup was told
    std::size_t next_ = 0;             // the journal offered next; the one before it was offered last
};

} // namespace kestrix
