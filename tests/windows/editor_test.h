#pragma once

#include "handling_file/file_io.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/frmMain.h"

#include <string>
#include <string_view>

namespace kestrix::test {

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

    std::string path;
    Document doc;
    ScriptedServices services;
    frmMain form{doc, services};
};

} // namespace kestrix::test
