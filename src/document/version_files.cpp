#include "document/version_files.h"

#include "document/cars_in.h"
#include "files/file_read.h"
#include "files/file_save.h"

#include <utility>

namespace kestrix {

namespace {

// How each version is read: the base keeps its lines for the others, which
// take its rows where their lines have the same bytes; ours keeps its layout.
void ReadAs(MergeSide side, MergeVersions& versions, HandlingTextReader& reader) {
    if (side == MergeSide::Base) {
        reader.KnowLines(versions.baseLines, true);
        return;
    }
    reader.ShareRowsWith(versions.files[static_cast<std::size_t>(MergeSide::Base)].Cars, &versions.baseLines);
    if (side == MergeSide::Ours)
        reader.KnowLines(versions.oursLines, false);
}

} // namespace

MergeVersions ParseMergeVersions(std::array<std::string, 3> bytes, const std::array<std::string, 3>& names) {
    MergeVersions versions;
    versions.baseText = std::make_unique<const std::string>(std::move(bytes[0]));
    for (const MergeSide side : kMergeSides) {
        const auto i = static_cast<std::size_t>(side);
        const std::string_view text = side == MergeSide::Base ? *versions.baseText : bytes[i];
        HandlingTextReader reader;
        reader.ExpectBytes(text.size());
        ReadAs(side, versions, reader);
        LayoutCollector collector;
        if (side == MergeSide::Ours)
            reader.Listen(collector);
        if (text.size() <= kMaxFileBytes)
            reader.Read(text);
        ParseResult read = reader.Finish();
        if (text.size() > kMaxFileBytes)
            read.error = TooLargeReason();
        if (!read.error.empty()) {
            versions.error = "Cannot read \"" + names[i] + "\": " + read.error;
            return versions;
        }
        if (side == MergeSide::Ours)
            versions.oursLayout = collector.Finish(ParsedHandlingFile(read.file), reader.ByteOrderMark());
        versions.files[i] = std::move(read.file);
    }
    return versions;
}

MergeVersions ReadMergeVersions(const std::array<std::string, 3>& paths, FileOperations& files) {
    MergeVersions versions;
    const CarTable& base = versions.files[static_cast<std::size_t>(MergeSide::Base)].Cars;
    for (const MergeSide side : kMergeSides) {
        const auto i = static_cast<std::size_t>(side);
        HandlingFileRead read = side == MergeSide::Base ? ReadKeptHandlingFile(paths[i], files)
                                : side == MergeSide::Ours
                                    ? ReadHandlingFileKeepingLayout(paths[i], versions.oursLayout, files,
                                                                    &base, &versions.baseLines)
                                    : ReadHandlingFile(paths[i], files, &base, &versions.baseLines);
        if (!read.error.empty()) {
            versions.error = std::move(read.error);
            return versions;
        }
        versions.files[i] = std::move(read.file);
        if (side == MergeSide::Base) {
            versions.baseText = std::move(read.text);
            versions.baseLines = std::move(read.lines);
        } else if (side == MergeSide::Ours) {
            versions.oursLines = std::move(read.lines);
        }
    }
    return versions;
}

std::string MergedCarsRefusal(const HandlingDocument& merged) {
    return CarLimitRefusal(merged.Cars.size(), "Cannot merge: the merged file");
}

std::string WriteMergedFile(const std::string& path, const HandlingDocument& merged,
                            const MergeVersions* versions, const std::vector<int>& oursRows,
                            FileOperations& files) {
    if (std::string refusal = MergedCarsRefusal(merged); !refusal.empty())
        return refusal;
    const bool layout = versions && !versions->oursLayout.empty();
    const std::string text =
        layout ? WriteKeepingLayout(versions->oursLayout, merged, oursRows) : WriteHandlingText(merged);
    // A car of ours written as it was read takes its line, which may be known.
    KnownLines known;
    if (layout) {
        const CarTable& ours = versions->files[static_cast<std::size_t>(MergeSide::Ours)].Cars;
        known.resize(merged.Cars.size());
        for (std::size_t car = 0; car < known.size() && car < oursRows.size(); ++car) {
            const auto row = static_cast<std::size_t>(oursRows[car]);
            if (oursRows[car] >= 0 && row < versions->oursLines.size() && merged.Cars[car].Shares(ours[row]))
                known[car] = versions->oursLines[row];
        }
    }
    const std::string backup = BackupPathFor(path, files);
    FileStatus status;
    const bool hadBackup = files.Status(backup, status) == 0;
    const std::string error =
        ReplaceFileContents(path, text, {.readsBackAs = &merged, .files = &files, .knownLines = &known});
    if (!hadBackup)
        files.Remove(backup);
    return error;
}

} // namespace kestrix
