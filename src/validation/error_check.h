#pragma once

#include "model/handling_document.h"
#include "model/number.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

std::string EmptyTextMessage();
std::string TooLongMessage(std::string_view value, int maxLength);
std::string NotANumberMessage(std::string_view value);
std::string BelowMinimumMessage(std::string_view value, double minimum);
std::string AboveMaximumMessage(std::string_view value, std::int32_t maximum);

// Which findings a check makes. Strict adds, after each car's own rows, the
// values that pass the limits but that the game would not read as meant: a
// drive or engine letter it does not know, a flag digit that is not
// hexadecimal, a fraction where it reads a whole number.
enum class CheckRules { Standard, Strict };

std::string UnknownLetterMessage(std::string_view value, std::string_view what, std::string_view letters);
std::string NotHexadecimalMessage(std::string_view value);
std::string NotWholeMessage(std::string_view value);
std::string NotAChoiceMessage(std::string_view value, int count);

// Text that several rows share: a car's name is kept once however many of
// its values fail, so a huge name does not grow with every row. Reads as a
// const std::string& or a std::string_view wherever text is expected.
class SharedText {
  public:
    SharedText() = default;
    explicit SharedText(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}
    const std::string& str() const { return text_ ? *text_ : Empty(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    bool empty() const { return str().empty(); }
    std::size_t size() const { return str().size(); }
    friend bool operator==(const SharedText& a, std::string_view b) { return a.str() == b; }
    friend std::string operator+(std::string a, const SharedText& b) { return a.append(b.str()); }
    friend std::string operator+(const SharedText& a, std::string_view b) {
        return std::string(a.str()).append(b);
    }

  private:
    static const std::string& Empty();
    std::shared_ptr<const std::string> text_;
};

struct ErrorRecord {
    std::int16_t ErrorNumber = 0;
    SharedText CarString;
    std::string ExplanationString;
};

// "#" and the column: the first cell of an error row.
std::string FirstCellText(std::int16_t errorNumber);
// The column named by a first cell; the first character is dropped.
int StatFromFirstCell(std::string_view cell);

// Rows of the register replaced in place: from first, removed rows went and
// added rows came.
struct RowSplice {
    int first = 0;
    int removed = 0;
    int added = 0;
    friend bool operator==(const RowSplice&, const RowSplice&) = default;
};

// The findings of the last check, in the order they were found.
class ErrorRegister {
  public:
    static constexpr int kMaxRows = 32767;

    void Clear();
    void AddError(const std::int16_t& errorNumber, const std::string& carString,
                  const std::string& explanationString);
    // The same for a name already shared, as the check passes every row of one car.
    void AddError(std::int16_t errorNumber, const SharedText& carString, std::string explanationString);
    // A finding beyond the last row is only counted.
    void CountLeftOut() { ++leftOut_; }
    // A register that needs only where the findings are leaves their messages
    // empty, so a list of many thousands costs no message each.
    void KeepMessages(bool keep) { keepMessages_ = keep; }
    bool KeepsMessages() const { return keepMessages_; }

    const std::vector<ErrorRecord>& Rows() const { return rows_; }
    bool IsFull() const { return rows_.size() >= static_cast<std::size_t>(kMaxRows); }
    long LeftOut() const { return leftOut_; }

    // Marks the end of a car's rows; the check calls it after each car, so
    // the register knows where the rows of each car are.
    void EndCar() { carEnds_.push_back(static_cast<int>(rows_.size())); }
    // Per car checked, where its rows end: the rows of car i are those from
    // CarEnds()[i - 1] (0 for the first car) up to CarEnds()[i].
    const std::vector<int>& CarEnds() const { return carEnds_; }
    // The car (by its place in the cars checked) of a row; -1 for none.
    int CarOfRow(int row) const;

  private:
    friend RowSplice RecheckCars(const CarTable& cars, std::vector<int> changed, ErrorRegister& errors,
                                 const NumberFormat& format, CheckRules rules);
    std::vector<ErrorRecord> rows_;
    std::vector<int> carEnds_; // per car, where its rows end; rows added otherwise leave it behind
    long leftOut_ = 0;
    bool keepMessages_ = true;
};

// Checks every value of every car and refills the register.
void ErrorCheck(const CarTable& cars, ErrorRegister& errors, const NumberFormat& format,
                CheckRules rules = CheckRules::Standard);
// Checks the values of one car, column by column, adding its findings to the register.
void CheckCar(const CarValues& car, ErrorRegister& errors, const NumberFormat& format,
              CheckRules rules = CheckRules::Standard);
// Whether the game reads the stat as a whole number: the gears, ABS and the lights.
bool ReadsWholeNumber(int column);
// The message of a value's first finding under the standard check, or empty text.
std::string ValueMessage(int column, std::string_view value, const NumberFormat& format);
// Only the findings that Strict adds for one car.
void StrictCheckCar(const CarValues& car, ErrorRegister& errors, const NumberFormat& format);

// ErrorCheck over the cars of a text as the reader hands them over, so that
// a file is checked while it is read, without a table: the register ends as
// ErrorCheck leaves it over the table the same reader would fill.
class CarCheck : public CarLines {
  public:
    // Clears the register.
    CarCheck(ErrorRegister& errors, const NumberFormat& format, CheckRules rules = CheckRules::Standard);
    void Take(const CarValues& values, int count) override;

  private:
    ErrorRegister& errors_;
    const NumberFormat& format_;
    CheckRules rules_;
};

// Brings the register up to date after the values of the cars at these rows
// changed, and nothing else since ErrorCheck filled it from these cars: only
// those cars are judged again, and their rows go where a full check puts them.
// The whole table is checked anew when the register was not filled car by car
// from as many cars, or when its rows do not fit in it, before or after.
// Gives the rows replaced.
RowSplice RecheckCars(const CarTable& cars, std::vector<int> changed, ErrorRegister& errors,
                      const NumberFormat& format, CheckRules rules = CheckRules::Standard);

} // namespace kestrix
