#pragma once

#include "handling_file/file_io.h"
#include "sample_cars.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/frmAskNumber.h"
#include "windows/frmCarTable.h"
#include "windows/frmComments.h"
#include "windows/frmMain.h"

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
    std::vector<std::string> ErrorRows() const {
        std::vector<std::string> rows;
        for (int row = 0; row < form.lvErrors.RowCount(); ++row)
            rows.push_back(form.lvErrors.Cell(row, 0) + "|" + form.lvErrors.Cell(row, 1) + "|" +
                           form.lvErrors.Cell(row, 2));
        return rows;
    }
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
