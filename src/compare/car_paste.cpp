#include "compare/car_paste.h"

#include "compare/car_match.h"
#include "compare/file_compare.h"
#include "handling_file/handling_format.h"

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

void MatchWithDocument(CarPaste& paste, const CarTable& cars) {
    const std::vector<int> matches = MatchCars(paste.cars, cars);
    for (PastedLine& line : paste.lines) {
        if (line.car < 0)
            continue;
        line.docRow = matches[static_cast<std::size_t>(line.car)];
        if (line.docRow < 0)
            continue;
        const CarRow& pasted = paste.cars[static_cast<std::size_t>(line.car)];
        const CarRow& open = cars[static_cast<std::size_t>(line.docRow)];
        for (int column = 1; column < kStatCount; ++column)
            if (pasted[column] != open[column])
                line.differing.push_back(column);
    }
}

} // namespace

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
    MatchWithDocument(paste, cars);
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
