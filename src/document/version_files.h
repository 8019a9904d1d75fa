#pragma once

#include "compare/merge.h"
#include "files/file_operations.h"
#include "handling_file/layout.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// The three versions of a file a merge starts from, by MergeSide, with our
// side's layout, which the merged file is written into.
struct MergeVersions {
    std::array<ParsedHandlingFile, 3> files;
    FileLayout oursLayout;
    std::string error; // names the file and the reason; empty when all three were read
    // The base's bytes, kept so that the lines of the other two and of the
    // merged file that are the same bytes as a base car's line need no reading.
    std::unique_ptr<const std::string> baseText;
    KnownLines baseLines; // per car of the base, its line in baseText
    KnownLines oursLines; // per car of ours, the base's line of the same bytes, if any

    FileContents Contents(MergeSide side) const { return ContentsOf(files[static_cast<std::size_t>(side)]); }
    // The versions but the base share the base's rows for the cars they left as they were.
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

// Why the merged file cannot be kept: both sides may add cars to a full file,
// and the reader would refuse the result. Empty text when it can.
std::string MergedCarsRefusal(const HandlingDocument& merged);

// Writes the merged file to path, into the lines of ours where the versions
// are given (oursRows: per merged car, the car of ours whose line it takes,
// or -1; MergeOutcome::mergedOursRows), else in the editor's own form, with
// the checked save. A version-control system hands a merge files in its
// working folder, so no backup copy is left there. Refuses a file of more
// cars than a file can hold. Returns the refusal, or empty text.
std::string WriteMergedFile(const std::string& path, const HandlingDocument& merged,
                            const MergeVersions* versions, const std::vector<int>& oursRows,
                            FileOperations& files = SystemFiles());

} // namespace kestrix
