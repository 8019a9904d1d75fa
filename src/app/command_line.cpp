#include "app/command_line.h"

#include "handling_file/file_io.h"
#include "validation/error_check.h"

#include <string_view>

namespace kestrix {

namespace {

constexpr int kExitClean = 0;
constexpr int kExitFindings = 1;
constexpr int kExitFailure = 2;

constexpr std::string_view kUsage =
    "Usage: kestrix [FILE]\n"
    "       kestrix --check FILE\n"
    "       kestrix --resave IN OUT\n"
    "\n"
    "Edits a vehicle handling file. Without options it opens the editor, on FILE when given.\n"
    "\n"
    "  --check FILE      validate FILE and print one line per error:\n"
    "                    #column, TAB, car, TAB, message; exit 0 when clean, 1 with errors,\n"
    "                    2 when the file cannot be read\n"
    "  --resave IN OUT   read IN and write it to OUT as the editor saves it\n"
    "  --help            show this help\n"
    "  --version         show the version\n";

void Print(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int Fail(std::FILE* err, const std::string& message) {
    Print(err, "kestrix: " + message + "\n");
    return kExitFailure;
}

int Check(const std::string& path, std::FILE* out, std::FILE* err) {
    HandlingFileRead read = ReadHandlingFile(path);
    if (!read.error.empty())
        return Fail(err, read.error);
    ErrorRegister errors;
    ErrorCheck(read.file.Cars, errors, NumberFormat::FromCurrentLocale());
    std::string report;
    for (const ErrorRecord& row : errors.Rows()) {
        report.append(FirstCellText(row.ErrorNumber)).append("\t").append(row.CarString).append("\t");
        report.append(row.ExplanationString).append("\n");
    }
    Print(out, report);
    if (errors.LeftOut() > 0)
        Print(err, "kestrix: " + std::to_string(errors.LeftOut()) +
                       " more errors were left out; the list holds " +
                       std::to_string(ErrorRegister::kMaxRows) + "\n");
    return errors.Rows().empty() ? kExitClean : kExitFindings;
}

int Resave(const std::string& in, const std::string& out, std::FILE* err) {
    HandlingFileRead read = ReadHandlingFile(in);
    if (!read.error.empty())
        return Fail(err, read.error);
    HandlingDocument doc;
    ApplyToDocument(std::move(read.file), doc);
    const std::string error = ReplaceFileContents(out, WriteHandlingText(doc));
    return error.empty() ? kExitClean : Fail(err, error);
}

} // namespace

std::optional<int> RunCommandLineMode(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty() || !args[0].starts_with("--"))
        return std::nullopt;
    const std::string& mode = args[0];
    if (mode == "--help") {
        Print(out, kUsage);
        return kExitClean;
    }
    if (mode == "--version") {
        Print(out, "Kestrix 1.0\n");
        return kExitClean;
    }
    if (mode == "--check" && args.size() == 2)
        return Check(args[1], out, err);
    if (mode == "--resave" && args.size() == 3)
        return Resave(args[1], args[2], err);
    Print(err, kUsage);
    return kExitFailure;
}

} // namespace kestrix
