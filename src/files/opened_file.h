#pragma once

#include "files/file_read.h"
#include "handling_file/layout.h"

#include <string>
#include <vector>

namespace kestrix {

// How the editor saves, as the user chose in the preferences.
struct SaveSettings {
    bool keepLayout = true; // write into the file's own layout instead of the editor's form
    bool keepBackup = true; // the first save after opening keeps the file as opened in NAME.bak
};

// The file on disk as the editor last read or wrote it, to notice when
// another program changed it since.
struct DiskStamp {
    bool exists = false;
    FileIdentity identity;
    std::uint64_t size = 0;
    FileTime modified;
    friend bool operator==(const DiskStamp&, const DiskStamp&) = default;
};
// The stamp of the file at the end of path's links; exists is false when there is none.
DiskStamp StampOf(const std::string& path, FileOperations& files = SystemFiles());

// What the editor knows of its open file beyond the document: the layout as
// read, for a save that keeps its layout; whether this opening's first save
// has put the file as it was opened into the backup; and the stamp of the
// file as last read or written.
class OpenedFile {
  public:
    explicit OpenedFile(FileOperations& files = SystemFiles()) : files_(files) {}
    // Reads path as ReadHandlingFile does and, when it is accepted, takes it
    // as the file now open: its first save will make the backup.
    HandlingFileRead Open(const std::string& path);
    // Reads the open file again (a revert, a reload): the backup made since
    // it was opened stays the file as it was opened.
    HandlingFileRead Reread(const std::string& path);
    // Saves doc to path: the first save to a path after it was opened
    // replaces the backup, later ones leave it. origins: per car of doc, its
    // row in the file as last read or saved, or -1 (WriteKeepingLayout); none:
    // every car stands at the row it was read at. Returns the refusal or empty
    // text; backupMissed tells a save that wanted a backup and could make none.
    std::string Save(const std::string& path, const HandlingDocument& doc, const SaveSettings& settings,
                     bool* backupMissed = nullptr, const std::vector<int>* origins = nullptr);
    // The bytes a save writes, as it would write them.
    std::string TextOf(const HandlingDocument& doc, const SaveSettings& settings,
                       const std::vector<int>* origins = nullptr) const;

    // How the file at path differs from the one last read or saved there.
    enum class DiskChange { None, Changed, Gone };
    DiskChange ChangeOnDisk(const std::string& path) const;
    bool ChangedOnDisk(const std::string& path) const { return ChangeOnDisk(path) != DiskChange::None; }
    // Whether to offer a reload when the window comes to the front: the file
    // changed, and not into what it was when a reload was last offered.
    bool OfferReload(const std::string& path);
    // Takes the file as it is now as seen (the user chose to overwrite it).
    void AcceptDiskState(const std::string& path);

  private:
    HandlingFileRead Read(const std::string& path);

    FileOperations& files_;
    std::string path_;
    FileLayout layout_;
    DiskStamp stamp_;
    DiskStamp offered_;    // the file as it was when a reload was last offered
    std::string backedUp_; // the path whose backup this opening made
};

} // namespace kestrix
