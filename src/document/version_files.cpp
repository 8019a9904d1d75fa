#include "document/version_files.h"

#include "document/cars_in.h"
#include "files/file_read.h"
#include "files/file_save.h"

#include <utility>

namespace kestrix {

MergeVersions ParseMergeVersions(std::array<std::string, 3> bytes, const std::array<std::string, 3>& names) {
    MergeVersions versions;
    const CarTable& base = versions.files[static_cast<std::size_t>(MergeSide::Base)].Cars;
    for (const MergeSide side : kMergeSides) {
        const auto i = static_cast<std::size_t>(side);
        const CarTable* like = side == MergeSide::Base ? nullptr : &base;
        std::string error;
        if (side == MergeSide::Ours) {
            LayoutRead read = ReadKeepingLayout(bytes[i], like);
            versions.files[i] = std::move(read.file);
            versions.oursLayout = std::move(read.layout);
            error = std::move(read.error);
        } else {
            ParseResult read = ParseHandlingText(bytes[i], nullptr, like);
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
    MergeVersions versions;
    const CarTable& base = versions.files[static_cast<std::size_t>(MergeSide::Base)].Cars;
    for (const MergeSide side : kMergeSides) {
        const auto i = static_cast<std::size_t>(side);
        const CarTable* like = side == MergeSide::Base ? nullptr : &base;
        HandlingFileRead read =
            side == MergeSide::Ours
                ? ReadHandlingFileKeepingLayout(paths[i], versions.oursLayout, files, like)
                : ReadHandlingFile(paths[i], files, like);
        if (!read.error.empty()) {
            versions.error = std::move(read.error);
            return versions;
        }
        versions.files[i] = std::move(read.file);
    }
    return versions;
}

std::string MergedCarsRefusal(const HandlingDocument& merged) {
    return CarLimitRefusal(merged.Cars.size(), "Cannot merge: the merged file");
}

std::string WriteMergedFile(const std::string& path, const HandlingDocument& merged, const FileLayout* layout,
                            const std::vector<int>& oursRows, FileOperations& files) {
    if (std::string refusal = MergedCarsRefusal(merged); !refusal.empty())
        return refusal;
    const std::string text = layout && !layout->empty() ? WriteKeepingLayout(*layout, merged, oursRows)
                                                        : WriteHandlingText(merged);
    const std::string backup = BackupPathFor(path, files);
    FileStatus status;
    const bool hadBackup = files.Status(backup, status) == 0;
    const std::string error = ReplaceFileContents(path, text, {.readsBackAs = &merged, .files = &files});
    if (!hadBackup)
        files.Remove(backup);
    return error;
}

} // namespace kestrix
