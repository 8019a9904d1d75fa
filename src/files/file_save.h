#pragma once

#include "files/file_operations.h"
#include "handling_file/handling_format.h"
#include "model/handling_document.h"

#include <string>
#include <string_view>

namespace kestrix {

// Whether a save puts the file it replaces into the backup, or leaves the
// backup as it is: the first save after a file was opened keeps the file as
// it was opened, and later saves must not replace that with their own. Keep
// is also the save of a user who wants no backup: none is made.
enum class BackupMode { Replace, Keep };

struct SaveOptions {
    BackupMode backup = BackupMode::Replace;
    // When set, the bytes are saved only once they are found to read back as
    // this document (ReadBackDifference); otherwise nothing is written, and the
    // error names the path and what would come back instead.
    const HandlingDocument* readsBackAs = nullptr;
    FileOperations* files = &SystemFiles();
    // Set when a backup was asked for and none could be kept: the folder
    // takes no new file, and the file was written in place.
    bool* backupMissed = nullptr;
    // With readsBackAs: per car, a line known to read as it, which the check
    // takes without reading it again where the bytes saved hold it.
    const KnownLines* knownLines = nullptr;
};

// Saves bytes to path as a plain write would, without its risks.
// - A link is followed: its final target is saved, and the link stays.
// - A regular file is replaced at once: the bytes go to a temporary file
//   beside it, flushed to disk, with the file's mode, owner and group, and a
//   rename puts it in place. The previous file is first kept as
//   BackupPathFor(target); when that cannot be made the save is refused.
// - A file the process may not write is refused ("Permission denied").
// - A file with several hard links, or in a folder the process may not
//   write, is written in place once the backup (where the folder allows
//   one) is made, so that every link sees the new contents; should that
//   write fail, the previous contents are written back.
// - A FIFO or a character device is written into; any other kind of file,
//   and a folder, is refused.
// Leftover temporary files of a killed save of the same file are removed.
// Returns an error that names the path and the reason, or empty text.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes,
                                const SaveOptions& options = {});

// The previous contents of path are kept here at each save: path with
// ".bak" added, its name shortened first where the folder's name limit
// leaves no room for the four characters.
std::string BackupPathFor(const std::string& path, FileOperations& files = SystemFiles());

} // namespace kestrix
