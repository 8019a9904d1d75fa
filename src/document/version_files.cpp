#include "document/version_files.h"

#include "document/cars_in.h"
#include "files/file_read.h"
#include "files/file_save.h"

#include <unordered_set>
#include <utility>

namespace kestrix {

std::string ReadPackedFile(const std::string& path, PackedFile& file, FileOperations& files) {
    HandlingFileRead read = ReadHandlingCars(path, file.cars, files);
    file.rest = std::move(read.file);
    return read.error;
}

MergeVersions ParseMergeVersions(std::array<std::string, 3> bytes, const std::array<std::string, 3>& names) {
    MergeVersions versions;
    for (const MergeSide side : kMergeSides) {
        const auto i = static_cast<std::size_t>(side);
        std::string error;
        if (side == MergeSide::Ours) {
            LayoutRead read = ReadKeepingLayout(bytes[i]);
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
    return CarLimitRefusal(merged.Cars.size(), "Cannot merge: the merged file");
}

std::string WriteMergedFile(const std::string& path, const HandlingDocument& merged, const FileLayout* layout,
                            FileOperations& files) {
    if (std::string refusal = MergedCarsRefusal(merged); !refusal.empty())
        return refusal;
    const std::string text =
        layout && !layout->empty() ? WriteKeepingLayout(*layout, merged) : WriteHandlingText(merged);
    return WriteMergedText(path, text, files, &merged);
}

std::string WriteMergedText(const std::string& path, std::string_view text, FileOperations& files,
                            const HandlingDocument* readsBackAs) {
    const std::string backup = BackupPathFor(path, files);
    FileStatus status;
    const bool hadBackup = files.Status(backup, status) == 0;
    const std::string error = ReplaceFileContents(path, text, {.readsBackAs = readsBackAs, .files = &files});
    if (!hadBackup)
        files.Remove(backup);
    return error;
}

namespace {

// The cars some side changed; none when a side added, deleted, renamed or
// moved a car, or one of them shares its name with another car.
std::optional<std::vector<std::size_t>> ChangedCars(const PackedCars& base, const PackedCars& ours,
                                                    const PackedCars& theirs) {
    if (!ours.SameNamesAs(base) || !theirs.SameNamesAs(base))
        return std::nullopt;
    std::vector<std::size_t> changed;
    std::unordered_set<std::string_view> names;
    for (std::size_t car = 0; car < base.size(); ++car) {
        if (!ours.AsInBase(car) || !theirs.AsInBase(car)) {
            changed.push_back(car);
            names.insert(base.Name(car));
        }
    }
    // A name that several cars share is labelled by its place among them in the whole file.
    std::size_t namesakes = 0;
    for (std::size_t car = 0; car < base.size() && !names.empty(); ++car)
        namesakes += names.contains(base.Name(car));
    if (namesakes != changed.size())
        return std::nullopt;
    return changed;
}

// Whether a rewritten line reads back as its car. The other bytes of the
// file stay as they were, so a line that holds no line end and reads as its
// car makes a file that reads back as merged.
bool ReadsBackAs(std::string_view line, const CarRow& car) {
    if (line.find_first_of("\r\n") != std::string_view::npos || ClassifyLine(line) != LineKind::Car)
        return false;
    CarRow read;
    return SplitCarLine(line, read) <= kStatCount && read == car;
}

} // namespace

std::optional<ValueMerge> MergeValuesOnly(const std::array<std::string, 3>& paths, FileOperations& files) {
    // The whole merge reads the versions again: only files that read the same twice are taken here.
    for (const std::string& path : paths) {
        FileStatus status;
        if (files.TargetStatus(path, status) != 0 || status.kind != FileKind::Regular)
            return std::nullopt;
    }
    PackedFile base;
    if (!ReadPackedFile(paths[0], base, files).empty())
        return std::nullopt;
    PackedFile ours{PackedCars(&base.cars), {}};
    // An empty file has no lines to keep: the whole merge writes the editor's form.
    FileRead oursBytes = ReadFileBytes(paths[1], files);
    if (!oursBytes.error.empty() || oursBytes.bytes.empty())
        return std::nullopt;
    HandlingTextReader oursReader(ours.cars);
    oursReader.ExpectBytes(oursBytes.bytes.size());
    oursReader.Read(oursBytes.bytes);
    if (ParseResult read = oursReader.Finish(); read.error.empty())
        ours.rest = std::move(read.file);
    else
        return std::nullopt;
    PackedFile theirs{PackedCars(&base.cars), {}};
    if (!ReadPackedFile(paths[2], theirs, files).empty())
        return std::nullopt;

    const std::optional<std::vector<std::size_t>> changed = ChangedCars(base.cars, ours.cars, theirs.cars);
    if (!changed)
        return std::nullopt;
    std::array<CarTable, 3> tables;
    for (const std::size_t car : *changed) {
        tables[0].push_back(base.cars.Row(car));
        tables[1].push_back(ours.cars.Row(car));
        tables[2].push_back(theirs.cars.Row(car));
    }
    MergeOutcome outcome =
        MergeFiles(ContentsOf(base, tables[0]), ContentsOf(ours, tables[1]), ContentsOf(theirs, tables[2]));
    const FileContents merged = ContentsOf(outcome.merged);
    const FileContents oursRead = ContentsOf(ours.rest);
    for (const DocumentText block : kDocumentTexts) {
        if (TextIn(merged, block) != TextIn(oursRead, block))
            return std::nullopt;
    }
    if (outcome.merged.Cars.size() != changed->size())
        return std::nullopt;
    std::vector<std::pair<std::size_t, CarRow>> rewritten;
    for (std::size_t i = 0; i < changed->size(); ++i) {
        if (outcome.merged.Cars[i] != tables[1][i])
            rewritten.emplace_back((*changed)[i], std::move(outcome.merged.Cars[i]));
    }
    const std::vector<std::string> lines = RewriteCarLines(oursBytes.bytes, rewritten);
    // A value that grew may take the text past what a file may hold: the whole merge refuses that.
    if (lines.size() != rewritten.size() || oursBytes.bytes.size() > kMaxFileBytes)
        return std::nullopt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!ReadsBackAs(lines[i], rewritten[i].second))
            return std::nullopt;
    }
    return ValueMerge{std::move(oursBytes.bytes), std::move(outcome.conflicts)};
}

} // namespace kestrix
