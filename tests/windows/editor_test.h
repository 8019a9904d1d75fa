#pragma once

#include "files/file_read.h"
#include "platform/control_probes.h"
#include "platform/lists.h"
#include "sample_cars.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/frmAskNumber.h"
#include "windows/frmCarTable.h"
#include "windows/frmComments.h"
#include "windows/frmMain.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
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

// The entries of a preview of cars coming in, as shown, " [x]" after a ticked one.
inline std::vector<std::string> PreviewEntries(const platform::TickTree& cars) {
    std::vector<std::string> entries;
    for (int i = 0; i < cars.Count(); ++i)
        entries.push_back(cars.EntryAt(i).text + (cars.Ticked({i, -1}) ? " [x]" : ""));
    return entries;
}

using Settings = std::map<std::string, std::string>;

// One main window with scripted services, and what a user does in it.
struct Editor {
    // An editor of a user who had these settings.
    explicit Editor(Settings settings = {}) : services(Settled(std::move(settings))) {}
    static ScriptedServices Settled(Settings settings) {
        ScriptedServices services;
        services.settings = std::move(settings);
        return services;
    }
    // Starts the window as the desktop would, with this command line.
    void Start(const std::string& commandLine = "") {
        services.commandLine = commandLine;
        form.Form_Load();
    }
    // Types into a stat's field, which keeps the focus.
    void Type(int column, const std::string& text) {
        form.txtStat[column].SetFocus();
        form.txtStat[column].UserTypes(text);
    }
    void Leave() { form.cboCars.SetFocus(); }
    void TypeAndLeave(int column, const std::string& text) {
        Type(column, text);
        Leave();
    }
    void ShowCar(std::string_view name) { Choose(form.cboCars, name); }
    std::string ShownCar() const { return form.cboCars.List(form.cboCars.ListIndex()); }
    std::string Cell(int car, int column) const { return std::string(doc.Cars().at(car)[column]); }
    // "#stat|car|explanation" of every row of the main window's error list, as shown.
    std::vector<std::string> ErrorRows() const { return RowTexts(form.lvErrors); }

    // Runs the step on the next modal window, which must be a Form.
    template <class Form> void On(std::function<void(Form&)> act) {
        services.steps.push_back([act](platform::Window& w) { act(ScriptedServices::As<Form>(w)); });
    }
    // Answers the next number question with number, keeping the question in prompt if one is given.
    void AnswerNumber(const std::string& number, std::string* prompt = nullptr) {
        On<frmAskNumber>([number, prompt](frmAskNumber& ask) {
            if (prompt)
                *prompt = ask.lblPrompt.Caption();
            ask.txtNumber.UserTypes(number);
            ask.UserPressesEnter();
        });
    }
    // Chooses the menu entry and returns the window it opened beside the main window.
    template <class Form> Form& Beside(platform::MenuEntry& entry) {
        entry.UserChooses();
        return ScriptedServices::As<Form>(*services.besideWindows.back());
    }
    frmCarTable& Table() { return Beside<frmCarTable>(form.mnuCarTable); }
    frmComments& Comments() { return Beside<frmComments>(form.mnuFileComments); }

    Document doc;
    ScriptedServices services;
    frmMain form{doc, services};
};

// An editor on a handling file the test writes in a folder of its own.
class EditorTest : public TempFolderTest, public Editor {
  protected:
    // Writes the file and starts the main window on it.
    void OpenOn(std::string_view text) {
        path = Write("Handling.cfg", text);
        Start("\"" + path + "\"");
    }
    // The main window's caption on the file at path.
    std::string Title(bool modified = false) const { return "Kestrix 3 (" + path + (modified ? "*)" : ")"); }
    std::string OnDisk(const std::string& file) const { return ReadFileBytes(file).bytes; }

    std::string path;
};

// An editor started on the file of this text.
template <const std::string& File> class EditorOn : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        OpenOn(File);
    }
};

} // namespace kestrix::test
