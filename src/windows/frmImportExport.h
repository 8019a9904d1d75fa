#pragma once

#include "document/document.h"
#include "platform/services.h"
#include "platform/window.h"

#include <string>
#include <vector>

namespace kestrix {

// Which command the import/export window serves.
enum class ExchangeKind { Import, Export };

// What the car exchange keeps beside the document from one step to the next.
struct CarExchange {
    ExchangeKind ExchangeMode = ExchangeKind::Import;
    std::string ExportPath; // the file the last export chose; emptied by Cancel
    CarTable ImportTable;   // the cars of the file chosen for the last import
};

// Two lists of car names: the cars to take on the left, the chosen ones on
// the right. The commit imports the chosen cars of CarExchange::ImportTable
// into the document, or exports the chosen cars of the document to a file.
class frmImportExport : public platform::Window {
  public:
    frmImportExport(Document& doc, CarExchange& exchange, platform::Services& services);

    // Captions by the exchange's mode.
    void Form_Load();

    platform::Label Label1{"Label1"};
    platform::Label Label2{"Label2"};
    platform::ListBox lvLeft{"lvLeft", platform::Sorting::Sorted, platform::ListBox::Selection::Multiple};
    platform::ListBox lvRight{"lvRight", platform::Sorting::Sorted, platform::ListBox::Selection::Multiple};
    platform::Button cmdCopyRight{"cmdCopyRight"};
    platform::Button cmdCopyLeft{"cmdCopyLeft"};
    platform::Button cmdSave{"cmdSave"};
    platform::Button cmdCancel{"cmdCancel"};

    void cmdCopyRight_Click();
    void cmdCopyLeft_Click();
    void cmdSave_Click();
    void cmdCancel_Click();

    // Writes the chosen cars to CarExchange::ExportPath; false (after saying why) when it could not.
    bool ExportFiles();

  private:
    std::vector<std::string> ChosenNames() const;
    void ImportChosenCars();
    void ExportChosenCars();

    Document& doc_;
    CarExchange& exchange_;
    platform::Services& services_;
};

} // namespace kestrix
