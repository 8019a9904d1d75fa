#pragma once

#include <memory>
#include <string>

namespace kestrix::platform {

class MenuEntry;
class ProcessRunner;
class Window;

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Warning, Information };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageBox {
    std::string text;  // lines joined by "\r"
    std::string title; // empty: the application's title
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer defaultButton = Answer::Ok;
    // Captions for the Yes and No buttons where the answer is better named
    // ("Recover", "Discard", "Overwrite", "Reload"); empty: Yes and No.
    std::string yesCaption = {};
    std::string noCaption = {};
};

inline constexpr const char* kHandlingFileFilter = "CFG File|*.cfg|All Files|*.*";

struct FileDialog {
    std::string title;
    std::string filter = kHandlingFileFilter;
    std::string defaultExtension = ".cfg";
    std::string initialFolder;
    bool fileMustExist = false;
    bool confirmReplace = false;
};

// What the windows ask of the desktop. Questions return plain values; a path
// is empty when the user cancelled.
class Services {
  public:
    virtual ~Services() = default;
    virtual Answer ShowMessage(const MessageBox& box) = 0;
    virtual std::string ChooseOpenFile(const FileDialog& dialog) = 0;
    virtual std::string ChooseSaveFile(const FileDialog& dialog) = 0;
    virtual void SetBusy(bool busy) = 0;

    // Shows the window blocking its opener; returns when it has closed.
    virtual void ShowModal(Window& window) = 0;
    // Shows the window beside its opener and returns at once. The window lives
    // until it closes, however long its opener keeps a hold on it.
    virtual void ShowBeside(std::shared_ptr<Window> window) = 0;
    // Opens the menu's entries at the pointer; returns when one was chosen or the menu was dismissed.
    virtual void ShowPopupMenu(MenuEntry& menu) = 0;
    // Hands a web or mail address to the desktop; what becomes of it is not known.
    virtual void OpenWithDesktop(const std::string& target) = 0;

    // The command-line text after the program's name, and the program's folder.
    virtual std::string CommandLine() = 0;
    virtual std::string ProgramFolder() = 0;
    virtual std::string HomeFolder() = 0;
    // Where the editor keeps its recovery journals; empty text: it keeps none.
    virtual std::string StateFolder() { return {}; }
    // Runs other programs; none where the front end runs no program.
    virtual ProcessRunner* Processes() { return nullptr; }
    // Small values remembered across runs; empty text when never written.
    virtual std::string ReadSetting(const std::string& key) = 0;
    virtual void WriteSetting(const std::string& key, const std::string& value) = 0;
};

// Shows the busy pointer for as long as it lives.
class BusyPointer {
  public:
    explicit BusyPointer(Services& services) : services_(services) { services_.SetBusy(true); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() { services_.SetBusy(false); }

  private:
    Services& services_;
};

} // namespace kestrix::platform
