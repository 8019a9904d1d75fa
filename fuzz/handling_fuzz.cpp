// Feeds arbitrary bytes to the reader, the check and the writer. Beside the
// sanitizers it holds the writer to its promise: a written file reads back
// into a document that writes the same bytes again; and the check of the cars
// as they are read, which --check runs, to giving the rows of the check of
// the table.
#include "handling_file/handling_format.h"
#include "require.h"
#include "validation/error_check.h"

#include <cstdint>
#include <string_view>
#include <vector>

using namespace kestrix;

namespace {

HandlingDocument ReadInto(std::string_view bytes, std::string& error) {
    ParseResult parsed = ParseHandlingText(bytes);
    error = parsed.error;
    HandlingDocument doc;
    ApplyToDocument(std::move(parsed.file), doc);
    return doc;
}

bool SameRows(const ErrorRegister& a, const ErrorRegister& b) {
    if (a.Rows().size() != b.Rows().size() || a.LeftOut() != b.LeftOut())
        return false;
    for (std::size_t i = 0; i < a.Rows().size(); ++i) {
        const ErrorRecord& x = a.Rows()[i];
        const ErrorRecord& y = b.Rows()[i];
        if (x.ErrorNumber != y.ErrorNumber || x.CarString.str() != y.CarString.str() ||
            x.ExplanationString != y.ExplanationString)
            return false;
    }
    return true;
}

void CheckUnderBothSeparators(std::string_view bytes, const CarTable& cars) {
    for (const NumberFormat& format : {NumberFormat{}, NumberFormat{",", "."}}) {
        ErrorRegister errors;
        ErrorCheck(cars, errors, format);
        Require(errors.Rows().size() <= ErrorRegister::kMaxRows, "the register grew past its last row");
        ErrorRegister asRead;
        CarCheck check(asRead, format);
        HandlingTextReader reader(check);
        reader.Read(bytes);
        Require(reader.Finish().error.empty(), "the check as read refused what the reader took");
        Require(SameRows(asRead, errors), "the check as read differs from the check of the table");
    }
}

} // namespace

// The seeds include a file of 32767 cars, which takes a thousand times as
// long as a small one; weighing inputs by their time keeps the run from
// spending itself on such files. Flags given on the command line come after
// this one and win.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args;
    static char weighByTime[] = "-entropic_scale_per_exec_time=1";
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, weighByTime);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    const HandlingDocument doc = ReadInto(bytes, error);
    if (!error.empty()) {
        Require(doc.Cars.empty() && doc.BeforeComments.empty() && doc.AfterComments.empty(),
                "a refused file still gave a document");
        return 0;
    }
    CheckUnderBothSeparators(bytes, doc.Cars);

    const std::string written = WriteHandlingText(doc);
    const HandlingDocument reread = ReadInto(written, error);
    Require(error.empty(), "the written text was refused when read back");
    Require(reread.Cars == doc.Cars, "the cars changed on the way through a file");
    Require(reread.Author == doc.Author, "the author changed on the way through a file");
    Require(reread.BeforeComments == doc.BeforeComments && reread.AfterComments == doc.AfterComments,
            "the comments changed on the way through a file");
    Require(WriteHandlingText(reread) == written, "writing the read-back document gave other bytes");
    return 0;
}
