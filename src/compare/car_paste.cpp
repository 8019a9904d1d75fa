#include "compare/car_paste.h"

#include "compare/car_match.h"
#include "compare/file_compare.h"
#include "handling_file/handling_format.h"
#include "model/number.h"
#include "model/stat_catalogue.h"

#include <algorithm>

namespace kestrix {

namespace {

constexpr char kNoBreakSpace = '\xA0';

// A byte no text editor puts in a line; tab, CR and LF are the text's own.
bool IsBinary(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F;
}

std::string WholeTextRefusal(std::string_view text) {
    if (text.size() > kMaxFileBytes)
        return "The pasted text is too large: " + TooLargeReason() + ".";
    const auto binary = std::find_if(text.begin(), text.end(), IsBinary);
    if (binary != text.end())
        return "The pasted text holds binary bytes (byte " +
               std::to_string(static_cast<unsigned char>(*binary)) + " at position " +
               std::to_string(binary - text.begin() + 1) + "), so it holds no car lines.";
    return {};
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsFourHexDigits(std::string_view value) {
    return value.size() == 4 && std::all_of(value.begin(), value.end(), IsHexDigit);
}

bool EqualFoldingCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The stored flags with the leading zeros a spreadsheet drops taken off as
// many as the pasted value lacks.
bool SameFlags(std::string_view stored, std::string_view pasted) {
    if (pasted.empty() || pasted.size() > stored.size())
        return false;
    const std::string_view dropped = stored.substr(0, stored.size() - pasted.size());
    return dropped.find_first_not_of('0') == std::string_view::npos &&
           EqualFoldingCase(stored.substr(dropped.size()), pasted);
}

} // namespace

std::string PastedValueRefusal(int column, std::string_view pasted) {
    if (column != Flags || IsFourHexDigits(pasted))
        return {};
    return "its Flags value \"" + std::string(pasted) + "\" is not four hexadecimal digits";
}

PastedValue MeetStored(int column, std::string_view stored, std::string_view pasted) {
    if (stored == pasted)
        return {};
    if (column == Flags) {
        if (SameFlags(stored, pasted))
            return {};
        if (std::string refusal = PastedValueRefusal(column, pasted); !refusal.empty())
            return {false, std::move(refusal)};
        return {true, {}};
    }
    if (!StatCatalogue::Instance()[column].IsText && SameNumber(stored, pasted))
        return {};
    return {true, {}};
}

void MeetDocument(CarPaste& paste, const std::vector<int>& matches, const CarTable& cars) {
    for (PastedLine& line : paste.lines) {
        if (line.car < 0)
            continue;
        const CarRow& pasted = paste.cars[static_cast<std::size_t>(line.car)];
        line.docRow = matches[static_cast<std::size_t>(line.car)];
        for (int column = 1; column < kStatCount; ++column) {
            if (line.docRow < 0) {
                if (std::string refusal = PastedValueRefusal(column, pasted[column]); !refusal.empty()) {
                    line.refusal = std::move(refusal);
                    line.car = -1;
                    break;
                }
                continue;
            }
            PastedValue value =
                MeetStored(column, cars[static_cast<std::size_t>(line.docRow)][column], pasted[column]);
            if (value.differs)
                line.differing.push_back(column);
            else if (!value.refusal.empty())
                line.refused.push_back({column, std::move(value.refusal)});
        }
    }
}

namespace {} // namespace

CarPaste ReadCarPaste(std::string_view text, const CarTable& cars) {
    CarPaste paste;
    if (paste.refusal = WholeTextRefusal(text); !paste.refusal.empty())
        return paste;
    std::string blanked(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text);
    std::replace(blanked.begin(), blanked.end(), kNoBreakSpace, ' ');
    std::size_t number = 0;
    ForEachLine(blanked, [&](std::string_view line) {
        ++number;
        if (ClassifyLine(line) != LineKind::Car)
            return true;
        CarValues values;
        const int count = SplitCarLine(line, values);
        if (count == 0)
            return true;
        PastedLine& pasted = paste.lines.emplace_back();
        pasted.line = number;
        if (count > kStatCount) {
            pasted.refusal = "it has " + std::to_string(count) + " values; a car line holds at most 32";
            return true;
        }
        if (paste.cars.size() == static_cast<std::size_t>(kMaxCars)) {
            paste.refusal = "The pasted text has more than " + std::to_string(kMaxCars) +
                            " car lines, more than a file can hold.";
            return false;
        }
        pasted.car = static_cast<int>(paste.cars.size());
        paste.cars.emplace_back().Assign(values.data(), count);
        return true;
    });
    if (!paste.refusal.empty())
        return CarPaste{{}, {}, std::move(paste.refusal)};
    MeetDocument(paste, MatchCars(paste.cars, cars), cars);
    return paste;
}

bool IsCarLines(const CarPaste& paste) {
    const auto named = [&](const PastedLine& line) {
        if (line.car < 0)
            return false;
        const CarRow& car = paste.cars[static_cast<std::size_t>(line.car)];
        const std::string_view name = car[VehicleIdentifier];
        return !car[1].empty() && name.find_first_of("0123456789+-.") != 0;
    };
    return paste.refusal.empty() && !paste.lines.empty() &&
           std::all_of(paste.lines.begin(), paste.lines.end(), named);
}

std::string_view WithoutRowHeaders(std::string_view text) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view first = text.substr(0, end);
    if (!first.starts_with("Vehicle Identifier\t") ||
        std::count(first.begin(), first.end(), '\t') != kStatCount - 1)
        return text;
    return text.substr(std::min(end + 1, text.size()));
}

std::string CarLinesOf(std::string_view text, const std::vector<int>& rows) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line) {
        if (ClassifyLine(line) == LineKind::Car)
            lines.push_back(line);
        return true;
    });
    std::string out;
    for (const int row : rows)
        if (row >= 0 && static_cast<std::size_t>(row) < lines.size())
            out.append(lines[static_cast<std::size_t>(row)]).append("\r\n");
    return out;
}

} // namespace kestrix
