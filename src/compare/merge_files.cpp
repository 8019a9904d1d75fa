#include "compare/merge_files.h"

#include "handling_file/file_read.h"
#include "handling_file/file_save.h"

#include <utility>

namespace kestrix {

MergeVersions ParseMergeVersions(std::array<std::string, 3> bytes, const std::array<std::string, 3>& names) {
    MergeVersions versions;
    for (const MergeSide side : kMergeSides) {
        const auto i = static_cast<std::size_t>(side);
        std::string error;
        if (side == MergeSide::Ours) {
            LayoutRead read = ReadKeepingLayout(std::move(bytes[i]));
            versions.files[i] = std::move(read.file);
            versions.oursLayout = std::move(read.layout);
            error = std::move(read.error);
        } else {
            ParseResult read = ParseHandlingText(bytes[i]);
            versions.files[i] = std::move(read.file);
            error = std::move(read.error);
        }
        if (!error.empty()) {
            versions.error = "Cannot read \"" + names[i] + "\": " + error;
            return versions;
        }
    }
    return versions;
}

MergeVersions ReadMergeVersions(const std::array<std::string, 3>& paths, FileOperations& files) {
    std::array<std::string, 3> bytes;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        FileRead read = ReadFileBytes(paths[i], files);
        if (!read.error.empty()) {
            MergeVersions failed;
            failed.error = std::move(read.error);
            return failed;
        }
        bytes[i] = std::move(read.bytes);
    }
    return ParseMergeVersions(std::move(bytes), paths);
}

std::string MergedCarsRefusal(const HandlingDocument& merged) {
    if (const std::size_t cars = merged.Cars.size(); cars > static_cast<std::size_t>(kMaxCars))
        return "Cannot merge: the merged file would hold " + std::to_string(cars) +
               " cars, and a file can hold at most " + std::to_string(kMaxCars);
    return {};
}

std::string WriteMergedFile(const std::string& path, const HandlingDocument& merged, const FileLayout* layout,
                            FileOperations& files) {
    if (std::string refusal = MergedCarsRefusal(merged); !refusal.empty())
        return refusal;
    const std::string text =
        layout && !layout->empty() ? WriteKeepingLayout(*layout, merged) : WriteHandlingText(merged);
    const std::string backup = BackupPathFor(path, files);
    FileStatus status;
    const bool hadBackup = files.Status(backup, status) == 0;
    const std::string error = ReplaceFileContents(path, text, {.readsBackAs = &merged, .files = &files});
    if (!hadBackup)
        files.Remove(backup);
    return error;
}

} // namespace kestrix
