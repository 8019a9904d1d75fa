#pragma once

#include "handling_file/file_read.h"
#include "sample_cars.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/frmAskNumber.h"
#include "windows/frmCarTable.h"
#include "windows/frmComments.h"
#include "windows/frmMain.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::test {

// Three cars the list shows as APPLE, mango, ZEBRA; APPLE's choices are odd
// and mango is too heavy.
inline const std::string kThreeCars = ";top comment\r\n" + CarLine("ZEBRA", "1500", "R P 1 0000 1 2") +
                                      "\r\n" + CarLine("APPLE", "1200", "r e x 1200F 7 3") + "\r\n" +
                                      CarLine("mango", "99999", "4 D 0 a000 0 0") + "\r\n;end\r\n";

// A valid car on a line of its own; mass tells the rows apart.
inline std::string Line(const std::string& name, const std::string& mass) {
    return CarLine(name, mass) + "\r\n";
}

// Picks the entry of that text, as the user would.
inline void Choose(platform::DropDown& list, std::string_view text) {
    for (int i = 0; i < list.ListCount(); ++i)
        if (list.List(i) == text)
            return list.UserPicks(i);
    ADD_FAILURE() << "no entry " << text;
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

// The main window with scripted services, on a handling file the test writes.
class EditorTest : public TempFolderTest {
  protected:
    // Writes the file and starts the main window on it, as the desktop would.
    void OpenOn(std::string_view text) {
        path = Write("Handling.cfg", text);
        services.commandLine = "\"" + path + "\"";
        form.Form_Load();
    }
    std::string Cell(int car, int column) const { return std::string(doc.Cars().at(car)[column]); }
    std::string OnDisk(const std::string& file) const { return ReadFileBytes(file).bytes; }

    void Type(int column, const std::string& text) {
        form.txtStat[column].SetFocus();
        form.txtStat[column].UserTypes(text);
    }
    void Leave() { form.cboCars.SetFocus(); }
    std::string ShownCar() const { return form.cboCars.List(form.cboCars.ListIndex()); }
    // "#stat|car|explanation" of every row of the main window's error list, as shown.
    std::vector<std::string> ErrorRows() const { return RowTexts(form.lvErrors); }
    // Runs the step on the next modal window, which must be a Form.
    template <class Form> void On(std::function<void(Form&)> act) {
        services.steps.push_back([act](platform::Window& w) { act(ScriptedServices::As<Form>(w)); });
    }
    frmCarTable& Table() {
        form.mnuCarTable.UserChooses();
        return ScriptedServices::As<frmCarTable>(*services.besideWindows.back());
    }
    // Answers the next number question with number.
    void AnswerNumber(const std::string& number) {
        On<frmAskNumber>([number](frmAskNumber& ask) {
            ask.txtNumber.UserTypes(number);
            ask.UserPressesEnter();
        });
    }
    frmComments& Comments() {
        form.mnuFileComments.UserChooses();
        return ScriptedServices::As<frmComments>(*services.besideWindows.back());
    }

    std::string path;
    Document doc;
    ScriptedServices services;
    frmMain form{doc, services};
};

} // namespace kestrix::test
