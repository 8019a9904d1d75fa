#include "document/file_session.h"

#include "compare/car_paste.h"

#include "document/recovery.h"
#include "files/opened_file.h"
#include "handling_file/handling_format.h"

#include <utility>

namespace kestrix {

FileSession::FileSession(Document& doc, FileOperations& files)
    : doc_(doc), file_(std::make_unique<OpenedFile>(files)),
      recovery_(std::make_unique<DocumentRecovery>(doc)) {}

FileSession::~FileSession() = default;

std::string FileSession::Read(const std::string& path, bool again) {
    HandlingFileRead read = again ? file_->Reread(path) : file_->Open(path);
    if (!read.error.empty())
        return read.error;
    HandlingDocument data;
    data.FilePath = path;
    ApplyToDocument(std::move(read.file), data);
    doc_.Read(std::move(data));
    return {};
}

FileNotice FileSession::OverwriteQuestion(const std::string& path) const {
    const OpenedFile::DiskChange change = file_->ChangeOnDisk(path);
    if (change == OpenedFile::DiskChange::None)
        return {};
    const bool gone = change == OpenedFile::DiskChange::Gone;
    return {gone ? FileNotice::Kind::OverwriteGone : FileNotice::Kind::OverwriteChanged,
            "The file \"" + path + "\" " +
                (gone ? "was deleted or moved away" : "was changed by another program") +
                " since it was opened or last saved.\r" +
                (gone ? "Write it again with the document as it is here?"
                      : "Overwrite it with the document as it is here, or reload it? Your "
                        "edits stay undoable after a reload.")};
}

std::string FileSession::CarLinesText(const std::vector<int>& rows) const {
    const std::vector<int> origins = doc_.SavedRows();
    return CarLinesOf(file_->TextOf(doc_.Data(), {}, &origins), rows);
}

std::string FileSession::Save(const std::string& path, const SaveSettings& settings) {
    bool missed = false;
    const std::vector<int> origins = doc_.SavedRows();
    if (std::string error = file_->Save(path, doc_.Data(), settings, &missed, &origins); !error.empty())
        return error;
    if (missed)
        backupMissed_ = path;
    doc_.Saved(path);
    return {};
}

FileNotice FileSession::TakeBackupNotice() {
    const std::string path = std::exchange(backupMissed_, {});
    if (path.empty() || !backupTold_.insert(path).second)
        return {};
    return {FileNotice::Kind::NoBackup,
            "\"" + path + "\" was saved, but no backup was kept: its folder takes no new file, so the " +
                "file was written in place.\rThe file as it was opened is not kept beside it."};
}

std::string FileSession::Reload() {
    HandlingFileRead read = file_->Reread(doc_.FilePath());
    if (!read.error.empty())
        return read.error;
    HandlingDocument data;
    ApplyToDocument(std::move(read.file), data);
    doc_.Commit(ReplacementChange(doc_.Data(), data, "Reload from Disk"));
    doc_.Saved(doc_.FilePath());
    return {};
}

FileNotice FileSession::ReloadOffer() {
    const std::string& path = doc_.FilePath();
    if (path.empty() || !file_->OfferReload(path))
        return {};
    if (file_->ChangeOnDisk(path) == OpenedFile::DiskChange::Gone)
        return {FileNotice::Kind::FileGone,
                "The file \"" + path +
                    "\" was deleted or moved away by another program.\rThe document "
                    "stays open here; a save writes the file again."};
    return {
        FileNotice::Kind::ReloadChanged,
        "The file \"" + path + "\" was changed by another program.\rRead it again? " +
            (doc_.Modified() ? "Your unsaved edits stay undoable." : "The document has no unsaved edits.")};
}

void FileSession::SetRecoveryFolder(std::string folder) {
    recovery_->SetFolder(std::move(folder));
}

void FileSession::FindLeftJournals(const std::string* file) {
    left_ = recovery_->LeftJournals(file);
    next_ = 0;
}

FileNotice FileSession::NextRecoveryOffer() {
    if (next_ >= left_.size())
        return {};
    const LeftJournal& journal = left_[next_++];
    if (!journal.error.empty())
        return Refuse(journal,
                      "The recovery journal \"" + journal.path + "\" cannot be used: " + journal.error);
    return {FileNotice::Kind::Recover,
            "Kestrix 3 ended without closing \"" + journal.file +
                "\", which had unsaved edits.\rRecover them? They are applied to the "
                "file as it is on disk, and nothing is saved."};
}

const LeftJournal& FileSession::Offered() const {
    return left_.at(next_ - 1);
}

const std::string& FileSession::OfferedFile() const {
    return Offered().file;
}

FileNotice FileSession::RecoverOffered() {
    const LeftJournal& journal = Offered();
    if (const std::string error = ReplayJournal(doc_, journal.records); !error.empty())
        return Refuse(journal, "The unsaved edits of \"" + journal.file + "\" cannot be recovered: " + error +
                                   ".\rThe file is open as it is on disk.");
    DiscardJournal(journal);
    if (std::string lost = LostInJournal(journal); !lost.empty())
        return {FileNotice::Kind::JournalCut, std::move(lost)};
    return {};
}

FileNotice FileSession::RefuseOffered(const std::string& readFailure) {
    return Refuse(Offered(),
                  "The unsaved edits of \"" + OfferedFile() + "\" cannot be recovered: " + readFailure);
}

void FileSession::DiscardOffered() {
    DiscardJournal(Offered());
}

// A journal that cannot be applied is never applied in part, and never lost.
FileNotice FileSession::Refuse(const LeftJournal& journal, const std::string& why) {
    const std::string aside = SetJournalAside(journal);
    return {FileNotice::Kind::JournalRefused, why + "\rThe journal is kept as \"" + aside + "\"."};
}

// A journal that cannot be kept is told once; the editor works on without it.
FileNotice FileSession::TakeJournalProblem() {
    const std::string problem = recovery_->TakeProblem();
    if (problem.empty())
        return {};
    return {FileNotice::Kind::JournalProblem,
            problem + ".\rThe editor works on, but its unsaved edits cannot be recovered after a crash."};
}

void FileSession::Close() {
    recovery_->Close();
}

} // namespace kestrix
