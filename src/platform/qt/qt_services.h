#pragma once

#include "platform/qt/window_frame.h"
#include "platform/services.h"

#include <QSettings>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <typeindex>

namespace kestrix::platform::qt {

// The desktop's message boxes, file dialogs, windows and busy pointer.
// Each kind of window is shown with the layout registered for it.
class QtServices : public Services {
  public:
    // settingsFile: where the settings are kept, in the toolkit's text form; empty: the toolkit's own place.
    QtServices(std::string commandLine, std::string programFolder, std::string homeFolder,
               std::string stateFolder = {}, std::string settingsFile = {});
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;
    ~QtServices() override;

    // Lays out a window of the kind Form in its frame's body.
    template <typename Form> void RegisterView(std::function<void(Form&, WindowFrame&)> layOut) {
        layouts_[typeid(Form)] = [layOut](Window& window, WindowFrame& frame) {
            layOut(static_cast<Form&>(window), frame);
        };
    }
    // A frame holding the window's view, finished and not yet shown.
    std::unique_ptr<WindowFrame> CreateFrame(Window& window);

    Answer ShowMessage(const MessageBox& box) override;
    std::string ChooseOpenFile(const FileDialog& dialog) override;
    std::string ChooseSaveFile(const FileDialog& dialog) override;
    void SetBusy(bool busy) override;
    void ShowModal(Window& window) override;
    void ShowBeside(std::shared_ptr<Window> window) override;
    void ShowPopupMenu(MenuEntry& menu) override;
    void OpenWithDesktop(const std::string& target) override;
    std::string CommandLine() override { return commandLine_; }
    std::string ProgramFolder() override { return programFolder_; }
    std::string HomeFolder() override { return homeFolder_; }
    std::string StateFolder() override { return stateFolder_; }
    ProcessRunner* Processes() override { return processes_; }
    void SetProcesses(ProcessRunner* processes) { processes_ = processes; }
    std::string ReadSetting(const std::string& key) override;
    void WriteSetting(const std::string& key, const std::string& value) override;
    std::optional<std::string> ClipboardText() override;
    void SetClipboardText(const std::string& text) override;

  private:
    QSettings& Settings();

    std::string commandLine_;
    std::string programFolder_;
    std::string homeFolder_;
    std::string stateFolder_;
    std::string settingsFile_;
    // One for the whole run: writes in a row go to disk in one save, not one each.
    std::unique_ptr<QSettings> settings_;
    int busyDepth_ = 0;
    ProcessRunner* processes_ = nullptr;
    std::map<std::type_index, std::function<void(Window&, WindowFrame&)>> layouts_;
};

// "Name|pattern|Name|pattern" as the file dialogs write it: "Name (pattern);;Name (pattern)".
QString DialogFilter(std::string_view filter);

} // namespace kestrix::platform::qt
