// The error rows of a car share its name, so that a huge name read from a
// file is kept once instead of once per failing value.
#include "handling_file/handling_format.h"
#include "validation/error_check.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(ErrorRegisterMemory, RowsOfOneCarShareOneCopyOfItsName) {
    const std::string name(1 << 20, 'N');
    const ParseResult parsed = ParseHandlingText(name + " x x\r\nSECOND x\r\n");
    ASSERT_EQ(parsed.error, "");
    ErrorRegister errors;
    ErrorCheck(parsed.file.Cars, errors, NumberFormat{});
    const std::vector<ErrorRecord>& rows = errors.Rows();
    ASSERT_GT(rows.size(), 40u);
    const std::string& first = rows[0].CarString;
    EXPECT_EQ(first, name);
    std::size_t second = 1;
    for (; second < rows.size() && rows[second].CarString.size() == name.size(); ++second)
        EXPECT_EQ(&rows[second].CarString.str(), &first) << "row " << second;
    ASSERT_LT(second, rows.size());
    EXPECT_EQ(rows[second].CarString, "SECOND");
    EXPECT_EQ("car " + rows[second].CarString, "car SECOND") << "still reads as text";

    // Rows added one by one share a name too while it stays the same.
    ErrorRegister added;
    added.AddError(1, name, "one");
    added.AddError(2, name, "two");
    added.AddError(3, "OTHER", "three");
    EXPECT_EQ(&added.Rows()[0].CarString.str(), &added.Rows()[1].CarString.str());
    EXPECT_EQ(added.Rows()[2].CarString, "OTHER");
}
