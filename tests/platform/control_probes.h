#pragma once

#include "platform/controls.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kestrix::test {

// A view that remembers what it was told to redraw.
struct RecordingView : platform::ControlView {
    std::vector<platform::Aspect> refreshed;
    void Refresh(platform::Aspect aspect) override { refreshed.push_back(aspect); }
    void ControlGone() override {}
    bool Heard(platform::Aspect aspect) const {
        return std::find(refreshed.begin(), refreshed.end(), aspect) != refreshed.end();
    }
};

// The entries of a list as shown, a selected one marked "*".
inline std::vector<std::string> EntryTexts(const platform::ListBox& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.ListCount(); ++i)
        texts.push_back(list.List(i) + (list.Selected(i) ? "*" : ""));
    return texts;
}

// One column of a list, top to bottom as shown.
inline std::vector<std::string> ColumnTexts(const platform::ColumnList& list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < list.RowCount(); ++row)
        cells.push_back(list.Cell(row, column));
    return cells;
}

// Each row of a list as shown, its cells joined by "|".
inline std::vector<std::string> RowTexts(const platform::ColumnList& list) {
    std::vector<std::string> rows;
    for (int row = 0; row < list.RowCount(); ++row) {
        std::string line;
        for (int column = 0; column < list.ColumnCount(); ++column)
            line += (column ? "|" : "") + list.Cell(row, column);
        rows.push_back(line);
    }
    return rows;
}

} // namespace kestrix::test
