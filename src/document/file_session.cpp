#include "document/file_session.h"

#include "compare/car_paste.h"

#include "document/recovery.h"
#include "files/opened_file.h"
#include "handling_file/handling_format.h"

#include <utility>

namespace kestrix {

namespace {

// "12 steps, the last "Multiply by 1.1 (240 values)"": what a recovery brings back.
std::string StepsText(const JournalSteps& steps) {
    if (steps.done == 0)
        return ", all of them undone";
    std::string text = ": " + std::to_string(steps.done) + (steps.done == 1 ? " step" : " steps");
    if (!steps.last.empty())
        text += (steps.done == 1 ? ", \"" : ", the last \"") + steps.last + "\"";
    return text;
}

FileNotice RecoverQuestion(const LeftJournal& journal) {
    return {FileNotice::Kind::Recover,
            "Kestrix 3 ended without closing \"" + journal.file + "\", which had unsaved edits" +
                StepsText(StepsDoneIn(journal.records)) +
                ".\rRecover them? They are applied to the file as it is on disk, and nothing is saved."};
}

} // namespace

FileSession::FileSession(Document& doc, FileOperations& files)
    : doc_(doc), files_(files), file_(std::make_unique<OpenedFile>(files)),
      recovery_(std::make_unique<DocumentRecovery>(doc, files)) {}

FileSession::~FileSession() = default;

FileStep FileSession::Read(const std::string& path, bool again) {
    FileStep step;
    HandlingFileRead read = again ? file_->Reread(path) : file_->Open(path);
    if (read.error.empty()) {
        HandlingDocument data;
        data.FilePath = path;
        ApplyToDocument(std::move(read.file), data);
        doc_.Read(std::move(data));
    }
    step.failure = std::move(read.error);
    return WithJournalProblem(step);
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

FileStep FileSession::Save(const std::string& path, const SaveSettings& settings) {
    FileStep step;
    bool missed = false;
    const std::vector<int> origins = doc_.SavedRows();
    step.failure = file_->Save(path, doc_.Data(), settings, &missed, &origins);
    if (step.Done())
        doc_.Saved(path);
    if (step.Done() && missed && backupTold_.insert(path).second)
        step.notices.push_back(
            {FileNotice::Kind::NoBackup,
             "\"" + path + "\" was saved, but no backup was kept: its folder takes no new file, so the " +
                 "file was written in place.\rThe file as it was opened is not kept beside it."});
    return WithJournalProblem(step);
}

FileStep FileSession::Reload() {
    FileStep step;
    HandlingFileRead read = file_->Reread(doc_.FilePath());
    if (read.error.empty()) {
        HandlingDocument data;
        ApplyToDocument(std::move(read.file), data);
        doc_.Commit(ReplacementChange(doc_.Data(), data, "Reload from Disk"));
        doc_.Saved(doc_.FilePath());
    }
    step.failure = std::move(read.error);
    return WithJournalProblem(step);
}

FileStep FileSession::ReloadOffer() {
    FileStep step;
    WithJournalProblem(step);
    const std::string& path = doc_.FilePath();
    if (path.empty() || !file_->OfferReload(path))
        return step;
    if (file_->ChangeOnDisk(path) == OpenedFile::DiskChange::Gone)
        step.notices.push_back(
            {FileNotice::Kind::FileGone, "The file \"" + path +
                                             "\" was deleted or moved away by another program.\rThe document "
                                             "stays open here; a save writes the file again."});
    else
        step.notices.push_back({FileNotice::Kind::ReloadChanged,
                                "The file \"" + path + "\" was changed by another program.\rRead it again? " +
                                    (doc_.Modified() ? "Your unsaved edits stay undoable."
                                                     : "The document has no unsaved edits.")});
    return step;
}

FileStep FileSession::AfterEdits() {
    FileStep step;
    return WithJournalProblem(step);
}

void FileSession::SetRecoveryFolder(std::string folder) {
    recovery_->SetFolder(std::move(folder));
}

std::vector<std::string> FileSession::OfferLeftJournals(const std::string* file, const FileAsker& asker) {
    std::vector<std::string> read;
    for (const LeftJournal& journal : recovery_->LeftJournals(file)) {
        const std::string unusable =
            "The recovery journal \"" + journal.path + "\" cannot be used: " + journal.error;
        if (journal.newer)
            asker.Ask({FileNotice::Kind::JournalRefused,
                       unusable + ".\rIt is left where it is, for that version to recover."});
        else if (!journal.error.empty())
            asker.Ask(Refuse(journal, unusable));
        else if (!asker.Ask(RecoverQuestion(journal)))
            DiscardJournal(journal, files_);
        else if (Recover(journal, asker, read))
            break; // one document at a time
    }
    return read;
}

// The journal's file, read first when another is open, with the journal's edits.
bool FileSession::Recover(const LeftJournal& journal, const FileAsker& asker,
                          std::vector<std::string>& read) {
    const std::string cannot = "The unsaved edits of \"" + journal.file + "\" cannot be recovered: ";
    if (doc_.FilePath() != journal.file) {
        asker.Busy(true);
        const FileStep opened = Read(journal.file, false);
        asker.Busy(false);
        for (const FileNotice& notice : opened.notices)
            asker.Ask(notice);
        if (!opened.Done()) {
            asker.Ask(Refuse(journal, cannot + opened.failure));
            return false;
        }
        read.push_back(journal.file);
    }
    if (const std::string error = ReplayJournal(doc_, journal.records); !error.empty()) {
        asker.Ask(Refuse(journal, cannot + error + ".\rThe file is open as it is on disk."));
        return false;
    }
    DiscardJournal(journal, files_);
    FileStep step;
    if (std::string lost = LostInJournal(journal); !lost.empty())
        step.notices.push_back({FileNotice::Kind::JournalCut, std::move(lost)});
    for (const FileNotice& notice : WithJournalProblem(step).notices)
        asker.Ask(notice);
    return true;
}

// A journal that cannot be applied is never applied in part, and never lost.
FileNotice FileSession::Refuse(const LeftJournal& journal, const std::string& why) {
    const std::string aside = SetJournalAside(journal, files_);
    return {FileNotice::Kind::JournalRefused, why + "\rThe journal is kept as \"" + aside + "\"."};
}

// A journal that cannot be kept is told once; the editor works on without it.
FileStep& FileSession::WithJournalProblem(FileStep& step) {
    if (const std::string problem = recovery_->TakeProblem(); !problem.empty())
        step.notices.push_back(
            {FileNotice::Kind::JournalProblem,
             problem + ".\rThe editor works on, but its unsaved edits cannot be recovered after a crash."});
    return step;
}

void FileSession::Close() {
    recovery_->Close();
}

} // namespace kestrix
