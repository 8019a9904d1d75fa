#include "app/command_line.h"

#include "compare/file_compare.h"
#include "document/change.h"
#include "document/version_files.h"
#include "files/file_read.h"
#include "files/file_save.h"
#include "files/settings_file.h"
#include "handling_file/layout.h"
#include "validation/error_check.h"
#include "validation/range_fix.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

namespace kestrix {

namespace {

constexpr int kExitClean = 0;
constexpr int kExitFindings = 1;
constexpr int kExitFailure = 2;

constexpr std::string_view kUsage =
    "Usage: kestrix [--] [FILE]\n"
    "       kestrix --check [--strict] [--] FILE\n"
    "       kestrix --resave [--keep-layout] [--] IN OUT\n"
    "       kestrix --diff [--] OLD NEW\n"
    "       kestrix --textconv [--] FILE\n"
    "       kestrix --merge [--tidy] [--name NAME] [-o OUT] [--] BASE OURS THEIRS\n"
    "       kestrix --fix-range [--strict] [-o OUT] [--] FILE\n"
    "       kestrix --mergetool [--] BASE LOCAL REMOTE MERGED\n"
    "\n"
    "Edits a vehicle handling file. Without options it opens the editor, on FILE when given.\n"
    "\"--\" ends the options, so that a file whose name begins with \"-\" can follow it.\n"
    "\n"
    "  --check FILE      validate FILE and print one line per error:\n"
    "                    #column, TAB, car, TAB, message; exit 0 when clean, 1 with errors,\n"
    "                    2 when the file cannot be read\n"
    "  --strict          with --check: then also the values the game would not read as meant\n"
    "  --resave IN OUT   read IN and write it to OUT tidied, in the editor's own form:\n"
    "                    its header lines, single spaces, the comments before and after\n"
    "                    the cars; a backup of OUT is kept as the editor's preference says\n"
    "  --keep-layout     with --resave: keep every line of IN as it was written\n"
    "  --diff OLD NEW    print each value that differs: car, TAB, #column and stat, TAB,\n"
    "                    old value, TAB, new value; then removed and added cars, a change\n"
    "                    of the cars' order and of the comments or author; exit 0 when the\n"
    "                    files hold the same, 1 when they differ, 2 when one cannot be read\n"
    "  --textconv FILE   print FILE as one line per value (car, TAB, #column and stat, TAB,\n"
    "                    value), comments kept, for a text diff of version control\n"
    "  --merge BASE OURS THEIRS\n"
    "                    merge the changes from BASE to OURS and to THEIRS value by value\n"
    "                    and write the result to OUT (-o OUT; default OURS) in the lines of\n"
    "                    OURS as it was written; conflicts keep OURS' value and are listed\n"
    "                    on standard error, exit 1; exit 0 when clean, 2 when a file\n"
    "                    cannot be read or written (nothing written)\n"
    "  --tidy            with --merge: write the result in the editor's own form\n"
    "  --name NAME       with --merge: the file's name in the messages, where the files are\n"
    "                    copies (git's %P): \"the base of NAME\", \"our NAME\", \"their NAME\",\n"
    "                    and NAME for the result written over OURS\n"
    "  --fix-range FILE  set every value outside its stat's limits to the nearest limit and\n"
    "                    write the file to OUT (-o OUT; default FILE; a backup as for\n"
    "                    --resave), its layout kept; print one line per value changed: car,\n"
    "                    TAB, #column and stat, TAB, old value, TAB, new value; exit 0 when\n"
    "                    every error was fixed, 1 when some were left (named on standard\n"
    "                    error), 2 when FILE cannot be read or OUT written; with --strict\n"
    "                    also the strict findings that have a repair\n"
    "  --mergetool BASE LOCAL REMOTE MERGED\n"
    "                    open the merge window on the conflicts of a merge, as git\n"
    "                    mergetool hands them over; saving writes MERGED in LOCAL's layout\n"
    "                    and exits 0, closing without saving exits 1; 2 when a file\n"
    "                    cannot be read\n"
    "  --help            show this help\n"
    "  --version         show the version\n";

void Write(std::FILE* stream, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

// Standard output: what the command prints, byte for byte unless a terminal shows it.
void Print(const Output& out, std::string_view text) {
    if (out.terminal)
        Write(out.stream, ShownOnTerminal(text));
    else
        Write(out.stream, text);
}

// Standard error, which people read: never byte for byte.
void Tell(std::FILE* err, std::string_view text) {
    Write(err, ShownOnTerminal(text));
}

// What went to standard output must have arrived (a full disk, a closed pipe).
int Finish(const Output& out, std::FILE* err, int status) {
    if (std::fflush(out.stream) == 0 && !std::ferror(out.stream))
        return status;
    const int error = errno;
    return CommandFailed(err, std::string("Cannot write to standard output: ") +
                                  std::strerror(error ? error : EIO));
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

std::string ShownOnTerminal(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte != 0x7F) || c == '\t' || c == '\n') {
            shown.push_back(c);
        } else {
            shown.append("\\x");
            shown.push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 0xF]);
        }
    }
    return shown;
}

int CommandFailed(std::FILE* err, std::string_view message) {
    Tell(err, "kestrix: " + std::string(message) + "\n");
    return kExitFailure;
}

namespace {

// The standard check and the strict findings side by side, each in its own
// register, from one reading of the file.
class StandardAndStrict : public CarLines {
  public:
    StandardAndStrict(ErrorRegister& standard, ErrorRegister& strict, const NumberFormat& format)
        : standard_(standard, format), strict_(strict), format_(format) {
        strict_.Clear();
    }
    void Take(const CarValues& values, int count) override {
        standard_.Take(values, count);
        StrictCheckCar(values, strict_, format_);
    }

  private:
    CarCheck standard_;
    ErrorRegister& strict_;
    const NumberFormat& format_;
};

// Prints rows until the list holds kMaxRows; gives how many did not fit.
long PrintRows(const Output& out, const std::vector<ErrorRecord>& rows, std::size_t room) {
    // Row by row: the rows of a car with a huge name share it, the printed lines would not.
    std::string line;
    const std::size_t printed = std::min(rows.size(), room);
    for (std::size_t i = 0; i < printed; ++i) {
        line.assign(FirstCellText(rows[i].ErrorNumber)).append("\t");
        Print(out, line);
        Print(out, rows[i].CarString);
        line.assign("\t").append(rows[i].ExplanationString).append("\n");
        Print(out, line);
    }
    return static_cast<long>(rows.size() - printed);
}

} // namespace

int CheckHandlingFile(const std::string& path, const NumberFormat& format, Output out, std::FILE* err,
                      CheckRules rules) {
    // Each car is checked as it is read: no table of the cars is needed.
    ErrorRegister errors;
    ErrorRegister strict;
    CarCheck standardOnly(errors, format);
    StandardAndStrict both(errors, strict, format);
    CarLines& check = rules == CheckRules::Strict ? static_cast<CarLines&>(both) : standardOnly;
    if (const HandlingFileRead read = ReadHandlingCars(path, check); !read.error.empty())
        return CommandFailed(err, read.error);
    constexpr auto kRoom = static_cast<std::size_t>(ErrorRegister::kMaxRows);
    long leftOut = errors.LeftOut() + strict.LeftOut();
    leftOut += PrintRows(out, errors.Rows(), kRoom);
    leftOut += PrintRows(out, strict.Rows(), kRoom - errors.Rows().size());
    if (leftOut > 0)
        Tell(err, "kestrix: " + std::to_string(leftOut) + " more errors were left out; the list holds " +
                      std::to_string(ErrorRegister::kMaxRows) + "\n");
    const bool clean = errors.Rows().empty() && strict.Rows().empty();
    return Finish(out, err, clean ? kExitClean : kExitFindings);
}

namespace {

// The preference the editor keeps decides whether OUT's previous contents
// are kept as OUT.bak; a backup that could not be kept is told.
std::string WriteAsTheEditorSaves(const std::string& out, std::string_view bytes, const HandlingDocument& doc,
                                  std::FILE* err) {
    bool backupMissed = false;
    const BackupMode backup = KeepsBackups() ? BackupMode::Replace : BackupMode::Keep;
    std::string error = ReplaceFileContents(
        out, bytes, {.backup = backup, .readsBackAs = &doc, .backupMissed = &backupMissed});
    if (error.empty() && backupMissed)
        Tell(err, "kestrix: no backup of \"" + out +
                      "\" was kept: its folder takes no new file, so the file was written in place\n");
    return error;
}

int Resave(const std::string& in, const std::string& out, bool keepLayout, std::FILE* err) {
    FileRead read = ReadFileBytes(in);
    if (!read.error.empty())
        return CommandFailed(err, read.error);
    LayoutRead parsed = ReadKeepingLayout(read.bytes);
    if (!parsed.error.empty())
        return CommandFailed(err, "Cannot read \"" + in + "\": " + parsed.error);
    HandlingDocument doc;
    ApplyToDocument(std::move(parsed.file), doc);
    const std::string bytes = keepLayout ? WriteKeepingLayout(parsed.layout, doc) : WriteHandlingText(doc);
    if (const std::string error = WriteAsTheEditorSaves(out, bytes, doc, err); !error.empty())
        return CommandFailed(err, error);
    return kExitClean;
}

// The options a mode takes between its name and its files; anything else
// there is the first file, however it looks.
struct ModeOptions {
    bool strict = false;
    bool keepLayout = false; // --resave: keep IN's lines
    bool tidy = false;       // --merge: the editor's own form instead of OURS' lines
    std::string out;         // --merge and --fix-range -o OUT
    std::string name;        // --merge: the file's name in the messages
};

ModeOptions TakeModeOptions(const std::string& mode, std::vector<std::string>& files) {
    ModeOptions options;
    while (!files.empty()) {
        if ((mode == "--check" || mode == "--fix-range") && files[0] == "--strict") {
            options.strict = true;
        } else if ((mode == "--resave" || mode == "--merge") && files[0] == "--keep-layout") {
            options.keepLayout = true; // what --merge does without it; kept for the lines written before
        } else if (mode == "--merge" && files[0] == "--tidy") {
            options.tidy = true;
        } else if ((mode == "--merge" || mode == "--fix-range") && files[0] == "-o" && files.size() >= 2) {
            options.out = files[1];
            files.erase(files.begin());
        } else if (mode == "--merge" && files[0] == "--name" && files.size() >= 2) {
            options.name = files[1];
            files.erase(files.begin());
        } else {
            break;
        }
        files.erase(files.begin());
    }
    return options;
}

int Diff(const std::string& oldPath, const std::string& newPath, const Output& out, std::FILE* err) {
    const HandlingFileRead before = ReadHandlingFile(oldPath);
    if (!before.error.empty())
        return CommandFailed(err, before.error);
    const HandlingFileRead after = ReadHandlingFile(newPath, SystemFiles(), &before.file.Cars);
    if (!after.error.empty())
        return CommandFailed(err, after.error);
    const FileContents old = ContentsOf(before.file);
    const FileContents now = ContentsOf(after.file);
    const FileDifference difference = CompareFiles(old, now);
    Print(out, DifferenceText(old, now, difference));
    return Finish(out, err, difference.Empty() ? kExitClean : kExitFindings);
}

int TextConv(const std::string& path, const Output& out, std::FILE* err) {
    const HandlingFileRead read = ReadHandlingFile(path);
    if (!read.error.empty())
        return CommandFailed(err, read.error);
    Print(out, ValueLinesText(ContentsOf(read.file)));
    return Finish(out, err, kExitClean);
}

// What --merge tells of the conflicts, each kept at our side; the exit status.
int ConflictsTold(const std::vector<MergeConflict>& conflicts, const std::string& outPath, std::FILE* err) {
    if (conflicts.empty())
        return kExitClean;
    const std::size_t count = conflicts.size();
    Tell(err, "kestrix: " + std::to_string(count) + (count == 1 ? " conflict" : " conflicts") + "; \"" +
                  outPath + "\" keeps our side of each (car, stat, base, ours, theirs):\n");
    Tell(err, ConflictText(conflicts));
    return kExitFindings;
}

// A message that names path in quotes, naming it as name instead.
std::string NamedAs(std::string message, const std::string& path, const std::string& name) {
    const std::string quoted = "\"" + path + "\"";
    for (std::size_t at = message.find(quoted); at != std::string::npos;
         at = message.find(quoted, at + name.size() + 2))
        message.replace(at, quoted.size(), "\"" + name + "\"");
    return message;
}

// name: the file's name in the messages, where the files are copies made for the merge; empty: their paths.
int Merge(const std::vector<std::string>& files, const std::string& outPath, bool tidy,
          const std::string& name, std::FILE* err) {
    const MergeVersions versions = ReadMergeVersions({files[0], files[1], files[2]});
    if (!versions.error.empty()) {
        std::string error = versions.error;
        const std::string sides[] = {"the base of ", "our ", "their "};
        for (std::size_t i = 0; i < 3 && !name.empty(); ++i)
            error = NamedAs(std::move(error), files[i], sides[i] + name);
        return CommandFailed(err, error);
    }
    // The result written over our copy is the file itself.
    const std::string outName = !name.empty() && outPath == files[1] ? name : outPath;
    const MergeOutcome outcome = versions.Merge();
    if (const std::string error =
            WriteMergedFile(outPath, outcome.merged, tidy ? nullptr : &versions, outcome.mergedOursRows);
        !error.empty())
        return CommandFailed(err, NamedAs(error, outPath, outName));
    return ConflictsTold(outcome.conflicts, outName, err);
}

// The car, TAB, #column and stat: how a line of --fix-range names a value.
std::string ValueWhere(const CarRow& car, int column) {
    return std::string(car[VehicleIdentifier]) + "\t" + FirstCellText(static_cast<std::int16_t>(column)) +
           " " + std::string(StatCatalogue::Instance()[column].StatName);
}

int FixRange(const std::string& path, const std::string& outPath, CheckRules rules, const Output& out,
             std::FILE* err) {
    FileRead read = ReadFileBytes(path);
    if (!read.error.empty())
        return CommandFailed(err, read.error);
    LayoutRead parsed = ReadKeepingLayout(read.bytes);
    if (!parsed.error.empty())
        return CommandFailed(err, "Cannot read \"" + path + "\": " + parsed.error);
    HandlingDocument doc;
    ApplyToDocument(std::move(parsed.file), doc);
    const NumberFormat format = NumberFormat::FromCurrentLocale();
    const std::vector<RangeFix> fixes = RangeFixes(doc.Cars, format, rules);
    // The values left, with their reason, told before the repairs change the cars.
    std::string left;
    for (const RangeFix& fix : fixes)
        if (!fix.Fixable()) {
            const CarRow& car = doc.Cars[static_cast<std::size_t>(fix.row)];
            left += ValueWhere(car, fix.column) + "\t" + std::string(car[fix.column]) +
                    "\tleft as it is: " + FindingMessage(fix, doc.Cars, format, rules) + "\n";
        }
    // Every repair, applied as the editor's Fix window applies them all.
    const Change change = RangeFixChange(doc.Cars, fixes, std::vector<bool>(fixes.size(), true));
    DoChange(doc, change);
    // A file with nothing to fix is left as it is; an OUT asked for is written all the same.
    if (!change.Empty() || outPath != path) {
        const std::string error =
            WriteAsTheEditorSaves(outPath, WriteKeepingLayout(parsed.layout, doc), doc, err);
        if (!error.empty())
            return CommandFailed(err, error);
    }
    for (const CellChange& cell : change.cells)
        Print(out, ValueWhere(doc.Cars[static_cast<std::size_t>(cell.row)], cell.column) + "\t" +
                       cell.before + "\t" + cell.after + "\n");
    Tell(err, left);
    return Finish(out, err, left.empty() ? kExitClean : kExitFindings);
}

} // namespace

EditorArguments ParseEditorArguments(const std::vector<std::string>& args) {
    EditorArguments editor;
    std::vector<std::string> files;
    if (!args.empty() && args[0] == "--mergetool") {
        editor.valid = Operands(args.begin() + 1, args.end(), files) && files.size() == 4;
        if (editor.valid)
            editor.mergeTool = std::move(files);
        return editor;
    }
    editor.valid = Operands(args.begin(), args.end(), files) && files.size() <= 1;
    if (editor.valid && !files.empty())
        editor.file = files[0];
    return editor;
}

std::optional<int> RunCommandLineMode(const std::vector<std::string>& args, Output out, std::FILE* err) {
    if (args.empty() || args[0] == "--" || !IsOption(args[0])) {
        if (ParseEditorArguments(args).valid)
            return std::nullopt;
        Tell(err, "kestrix: give at most one file to open, after \"--\" when its name begins with \"-\"\n\n");
        Tell(err, kUsage);
        return kExitFailure;
    }
    const std::string& mode = args[0];
    if (mode == "--mergetool" && ParseEditorArguments(args).valid)
        return std::nullopt;
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
    const ModeOptions options = TakeModeOptions(mode, files);
    if (!files.empty() && files[0] == "--")
        files.erase(files.begin());
    if (mode == "--check" && files.size() == 1)
        return CheckHandlingFile(files[0], NumberFormat::FromCurrentLocale(), out, err,
                                 options.strict ? CheckRules::Strict : CheckRules::Standard);
    if (mode == "--resave" && files.size() == 2)
        return Resave(files[0], files[1], options.keepLayout, err);
    if (mode == "--diff" && files.size() == 2)
        return Diff(files[0], files[1], out, err);
    if (mode == "--textconv" && files.size() == 1)
        return TextConv(files[0], out, err);
    if (mode == "--merge" && files.size() == 3)
        return Merge(files, options.out.empty() ? files[1] : options.out, options.tidy, options.name, err);
    if (mode == "--fix-range" && files.size() == 1)
        return FixRange(files[0], options.out.empty() ? files[0] : options.out,
                        options.strict ? CheckRules::Strict : CheckRules::Standard, out, err);
    static constexpr std::string_view kModes[] = {"--check",     "--resave", "--diff",
                                                  "--textconv",  "--merge",  "--mergetool",
                                                  "--fix-range", "--help",   "--version"};
    if (std::find(std::begin(kModes), std::end(kModes), mode) == std::end(kModes))
        Tell(err, "kestrix: unknown option \"" + mode +
                      "\"; a file whose name begins with \"-\" follows \"--\"\n\n");
    Tell(err, kUsage);
    return kExitFailure;
}

} // namespace kestrix
