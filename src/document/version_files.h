#pragma once

#include "compare/merge.h"
#include "files/file_operations.h"
#include "handling_file/layout.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// Reads path into file, with the limits and messages of File > Open: the
// refusal, or empty text.
std::string ReadPackedFile(const std::string& path, PackedFile& file, FileOperations& files = SystemFiles());

// The three versions of a file a merge starts from, by MergeSide, with our
// side's layout, which the merged file is written into.
struct MergeVersions {
    std::array<ParsedHandlingFile, 3> files;
    FileLayout oursLayout;
    std::string error; // names the file and the reason; empty when all three were read

    FileContents Contents(MergeSide side) const { return ContentsOf(files[static_cast<std::size_t>(side)]); }
    MergeOutcome Merge() const {
        return MergeFiles(Contents(MergeSide::Base), Contents(MergeSide::Ours), Contents(MergeSide::Theirs));
    }
};

// The versions from their bytes (as a version-control system hands them
// over); a refusal names the version by its name.
MergeVersions ParseMergeVersions(std::array<std::string, 3> bytes, const std::array<std::string, 3>& names);
// The versions read from these files, with the limits and messages of File > Open.
MergeVersions ReadMergeVersions(const std::array<std::string, 3>& paths,
                                FileOperations& files = SystemFiles());

// The merge of two mods that changed values only: every car of the three
// versions stands under the same name at the same place, and their side left
// the comments and the author as they were. Only the cars a side changed are
// merged, as MergeFiles merges them, into our side's text as
// WriteKeepingLayout writes it, with no table of the whole files. Nothing
// when the versions are not such, a merged car shares its name with another,
// or the text would not read back as merged: the whole merge decides those.
struct ValueMerge {
    std::string text;                     // the merged file
    std::vector<MergeConflict> conflicts; // to be listed: their slots are not rows of the file
};
std::optional<ValueMerge> MergeValuesOnly(const std::array<std::string, 3>& paths,
                                          FileOperations& files = SystemFiles());

// Why the merged file cannot be kept: both sides may add cars to a full file,
// and the reader would refuse the result. Empty text when it can.
std::string MergedCarsRefusal(const HandlingDocument& merged);

// Writes the merged file to path, into the lines of layout where one is given
// (else in the editor's own form), with the checked save. A version-control
// system hands a merge files in its working folder, so no backup copy is left
// there. Refuses a file of more cars than a file can hold. Returns the
// refusal, or empty text.
std::string WriteMergedFile(const std::string& path, const HandlingDocument& merged, const FileLayout* layout,
                            FileOperations& files = SystemFiles());
// Writes a merged text found to read back as merged, as WriteMergedFile writes.
std::string WriteMergedText(const std::string& path, std::string_view text,
                            FileOperations& files = SystemFiles(),
                            const HandlingDocument* readsBackAs = nullptr);

} // namespace kestrix
