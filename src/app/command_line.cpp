#include "app/command_line.h"

#include "compare/file_compare.h"
#include "handling_file/file_io.h"
#include "validation/error_check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix {

namespace {

constexpr int kExitClean = 0;
constexpr int kExitFindings = 1;
constexpr int kExitFailure = 2;

constexpr std::string_view kUsage =
    "Usage: kestrix [--] [FILE]\n"
    "       kestrix --check [--] FILE\n"
    "       kestrix --resave [--] IN OUT\n"
    "       kestrix --diff [--] OLD NEW\n"
    "       kestrix --textconv [--] FILE\n"
    "       kestrix --merge [-o OUT] [--] BASE OURS THEIRS\n"
    "\n"
    "Edits a vehicle handling file. Without options it opens the editor, on FILE when given.\n"
    "\"--\" ends the options, so that a file whose name begins with \"-\" can follow it.\n"
    "\n"
    "  --check FILE      validate FILE and print one line per error:\n"
    "                    #column, TAB, car, TAB, message; exit 0 when clean, 1 with errors,\n"
    "                    2 when the file cannot be read\n"
    "  --resave IN OUT   read IN and write it to OUT as the editor saves it\n"
    "  --diff OLD NEW    print each value that differs: car, TAB, #column and stat, TAB,\n"
    "                    old value, TAB, new value; then removed and added cars, a change\n"
    "                    of the cars' order and of the comments or author; exit 0 when the\n"
    "                    files hold the same, 1 when they differ, 2 when one cannot be read\n"
    "  --textconv FILE   print FILE as one line per value (car, TAB, #column and stat, TAB,\n"
    "                    value), comments kept, for a text diff of version control\n"
    "  --merge BASE OURS THEIRS\n"
    "                    merge the changes from BASE to OURS and to THEIRS value by value\n"
    "                    and write the result to OUT (-o OUT; default OURS); conflicts keep\n"
    "                    OURS' value and are listed on standard error, exit 1; exit 0 when\n"
    "                    clean, 2 when a file cannot be read or written (nothing written)\n"
    "  --help            show this help\n"
    "  --version         show the version\n";

void Print(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int Fail(std::FILE* err, const std::string& message) {
    Print(err, "kestrix: " + message + "\n");
    return kExitFailure;
}

// What went to standard output must have arrived (a full disk, a closed pipe).
int Finish(std::FILE* out, std::FILE* err, int status) {
    if (std::fflush(out) == 0 && !std::ferror(out))
        return status;
    const int error = errno;
    return Fail(err, std::string("Cannot write to standard output: ") + std::strerror(error ? error : EIO));
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The files among the arguments; false when an option stands among them.
bool Operands(std::vector<std::string>::const_iterator from, std::vector<std::string>::const_iterator to,
              std::vector<std::string>& operands) {
    bool optionsEnded = false;
    for (; from != to; ++from) {
        if (!optionsEnded && *from == "--")
            optionsEnded = true;
        else if (!optionsEnded && IsOption(*from))
            return false;
        else
            operands.push_back(*from);
    }
    return true;
}

} // namespace

int CheckHandlingFile(const std::string& path, const NumberFormat& format, std::FILE* out, std::FILE* err) {
    // Each car is checked as it is read: no table of the cars is needed.
    ErrorRegister errors;
    CarCheck check(errors, format);
    if (const std::string error = ReadHandlingCars(path, check); !error.empty())
        return Fail(err, error);
    // Row by row: the rows of a car with a huge name share it, the printed lines would not.
    std::string line;
    for (const ErrorRecord& row : errors.Rows()) {
        line.assign(FirstCellText(row.ErrorNumber)).append("\t");
        Print(out, line);
        Print(out, row.CarString);
        line.assign("\t").append(row.ExplanationString).append("\n");
        Print(out, line);
    }
    if (errors.LeftOut() > 0)
        Print(err, "kestrix: " + std::to_string(errors.LeftOut()) +
                       " more errors were left out; the list holds " +
                       std::to_string(ErrorRegister::kMaxRows) + "\n");
    return Finish(out, err, errors.Rows().empty() ? kExitClean : kExitFindings);
}

namespace {

int Resave(const std::string& in, const std::string& out, std::FILE* err) {
    HandlingFileRead read = ReadHandlingFile(in);
    if (!read.error.empty())
        return Fail(err, read.error);
    HandlingDocument doc;
    ApplyToDocument(std::move(read.file), doc);
    const std::string error = SaveCheckedText(out, WriteHandlingText(doc), doc);
    return error.empty() ? kExitClean : Fail(err, error);
}

int Diff(const std::string& oldPath, const std::string& newPath, std::FILE* out, std::FILE* err) {
    const HandlingFileRead before = ReadHandlingFile(oldPath);
    if (!before.error.empty())
        return Fail(err, before.error);
    const HandlingFileRead after = ReadHandlingFile(newPath);
    if (!after.error.empty())
        return Fail(err, after.error);
    const FileContents oldContents = ContentsOf(before.file);
    const FileContents newContents = ContentsOf(after.file);
    const FileDifference difference = CompareFiles(oldContents, newContents);
    Print(out, DifferenceText(oldContents, newContents, difference));
    return Finish(out, err, difference.Empty() ? kExitClean : kExitFindings);
}

int TextConv(const std::string& path, std::FILE* out, std::FILE* err) {
    const HandlingFileRead read = ReadHandlingFile(path);
    if (!read.error.empty())
        return Fail(err, read.error);
    Print(out, ValueLinesText(ContentsOf(read.file)));
    return Finish(out, err, kExitClean);
}

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// A version-control system hands the merge temporary files in its working
// folder, so the merge leaves no backup copy there.
std::string WriteMerged(const std::string& path, const HandlingDocument& merged) {
    const std::string backup = BackupPathFor(path);
    const bool hadBackup = Exists(backup);
    const std::string error = ReplaceFileContents(path, WriteHandlingText(merged));
    if (!hadBackup)
        ::unlink(backup.c_str());
    return error;
}

int Merge(const std::vector<std::string>& files, const std::string& outPath, std::FILE* err) {
    std::vector<HandlingFileRead> reads;
    for (const std::string& path : files) {
        reads.push_back(ReadHandlingFile(path));
        if (!reads.back().error.empty())
            return Fail(err, reads.back().error);
    }
    const MergeOutcome outcome =
        MergeFiles(ContentsOf(reads[0].file), ContentsOf(reads[1].file), ContentsOf(reads[2].file));
    // Both sides may add cars to a full file; the reader would refuse the result.
    if (const std::size_t cars = outcome.merged.Cars.size(); cars > static_cast<std::size_t>(kMaxCars))
        return Fail(err, "Cannot merge: the merged file would hold " + std::to_string(cars) +
                             " cars, and a file can hold at most " + std::to_string(kMaxCars));
    if (const std::string error = WriteMerged(outPath, outcome.merged); !error.empty())
        return Fail(err, error);
    if (outcome.conflicts.empty())
        return kExitClean;
    const std::size_t count = outcome.conflicts.size();
    Print(err, "kestrix: " + std::to_string(count) + (count == 1 ? " conflict" : " conflicts") + "; \"" +
                   outPath + "\" keeps our side of each (car, stat, base, ours, theirs):\n");
    Print(err, ConflictText(outcome.conflicts));
    return kExitFindings;
}

} // namespace

EditorArguments ParseEditorArguments(const std::vector<std::string>& args) {
    EditorArguments editor;
    std::vector<std::string> files;
    editor.valid = Operands(args.begin(), args.end(), files) && files.size() <= 1;
    if (editor.valid && !files.empty())
        editor.file = files[0];
    return editor;
}

std::optional<int> RunCommandLineMode(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty() || args[0] == "--" || !IsOption(args[0])) {
        if (ParseEditorArguments(args).valid)
            return std::nullopt;
        Print(err,
              "kestrix: give at most one file to open, after \"--\" when its name begins with \"-\"\n\n");
        Print(err, kUsage);
        return kExitFailure;
    }
    const std::string& mode = args[0];
    if (args.size() == 1 && mode == "--help") {
        Print(out, kUsage);
        return Finish(out, err, kExitClean);
    }
    if (args.size() == 1 && mode == "--version") {
        Print(out, "Kestrix 1.0\n");
        return Finish(out, err, kExitClean);
    }
    // A mode's files follow it as they are, with "--" before them if wished.
    std::vector<std::string> files(args.begin() + 1, args.end());
    std::string mergeOut;
    if (mode == "--merge" && files.size() >= 2 && files[0] == "-o") {
        mergeOut = files[1];
        files.erase(files.begin(), files.begin() + 2);
    }
    if (!files.empty() && files[0] == "--")
        files.erase(files.begin());
    if (mode == "--check" && files.size() == 1)
        return CheckHandlingFile(files[0], NumberFormat::FromCurrentLocale(), out, err);
    if (mode == "--resave" && files.size() == 2)
        return Resave(files[0], files[1], err);
    if (mode == "--diff" && files.size() == 2)
        return Diff(files[0], files[1], out, err);
    if (mode == "--textconv" && files.size() == 1)
        return TextConv(files[0], out, err);
    if (mode == "--merge" && files.size() == 3)
        return Merge(files, mergeOut.empty() ? files[1] : mergeOut, err);
    static constexpr std::string_view kModes[] = {"--check", "--resave", "--diff",   "--textconv",
                                                  "--merge", "--help",   "--version"};
    if (std::find(std::begin(kModes), std::end(kModes), mode) == std::end(kModes))
        Print(err, "kestrix: unknown option \"" + mode +
                       "\"; a file whose name begins with \"-\" follows \"--\"\n\n");
    Print(err, kUsage);
    return kExitFailure;
}

} // namespace kestrix
