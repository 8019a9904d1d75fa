#include "files/opened_file.h"

#include "files/file_save.h"

namespace kestrix {

DiskStamp StampOf(const std::string& path, FileOperations& files) {
    FileStatus status;
    if (files.TargetStatus(path, status) != 0)
        return {};
    return DiskStamp{true, status.identity, status.size, status.modified};
}

HandlingFileRead OpenedFile::Read(const std::string& path) {
    // The stamp first: a change while the file is read then shows as one since.
    const DiskStamp stamp = StampOf(path, files_);
    FileLayout layout;
    HandlingFileRead result = ReadHandlingFileKeepingLayout(path, layout, files_);
    if (!result.error.empty())
        return result;
    layout_ = std::move(layout);
    stamp_ = stamp;
    if (path != path_)
        backedUp_.clear();
    path_ = path;
    return result;
}

HandlingFileRead OpenedFile::Open(const std::string& path) {
    HandlingFileRead result = Read(path);
    if (result.error.empty())
        backedUp_.clear();
    return result;
}

HandlingFileRead OpenedFile::Reread(const std::string& path) {
    return Read(path);
}

std::string OpenedFile::TextOf(const HandlingDocument& doc, const SaveSettings& settings,
                               const std::vector<int>* origins) const {
    // A document that was never read has no layout to keep.
    if (settings.keepLayout && !layout_.empty())
        return origins ? WriteKeepingLayout(layout_, doc, *origins) : WriteKeepingLayout(layout_, doc);
    return WriteHandlingText(doc);
}

std::string OpenedFile::Save(const std::string& path, const HandlingDocument& doc,
                             const SaveSettings& settings, bool* backupMissed,
                             const std::vector<int>* origins) {
    const std::string bytes = TextOf(doc, settings, origins);
    const BackupMode backup =
        !settings.keepBackup || backedUp_ == path ? BackupMode::Keep : BackupMode::Replace;
    if (std::string error = ReplaceFileContents(path, bytes, {backup, &doc, &files_, backupMissed});
        !error.empty())
        return error;
    backedUp_ = path;
    path_ = path;
    stamp_ = StampOf(path, files_);
    // The next save keeps the layout of the file as it now is.
    layout_ = ReadKeepingLayout(bytes).layout;
    layout_.ShareRows(doc.Cars);
    return {};
}

OpenedFile::DiskChange OpenedFile::ChangeOnDisk(const std::string& path) const {
    if (path_.empty() || path != path_)
        return DiskChange::None;
    const DiskStamp now = StampOf(path, files_);
    if (now == stamp_)
        return DiskChange::None;
    return now.exists || !stamp_.exists ? DiskChange::Changed : DiskChange::Gone;
}

bool OpenedFile::OfferReload(const std::string& path) {
    if (!ChangedOnDisk(path))
        return false;
    const DiskStamp now = StampOf(path, files_);
    if (now == offered_)
        return false;
    offered_ = now;
    return true;
}

void OpenedFile::AcceptDiskState(const std::string& path) {
    if (path == path_)
        stamp_ = StampOf(path, files_);
}

} // namespace kestrix
