#pragma once

#include "bench_files.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/window_frame.h"
#include "views/qt/views.h"

#include <QApplication>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrix::bench {

// The real frames of the windows; every question answered at once, and a
// window shown blocking gets the one action queued for it.
class BenchServices : public platform::Services {
  public:
    BenchServices() { views::RegisterViews(layouts_); }
    std::unique_ptr<platform::qt::WindowFrame> Frame(platform::Window& window) {
        return layouts_.CreateFrame(window);
    }

    std::function<void(platform::Window&)> onModal;
    std::string chosenPath;

    platform::Answer ShowMessage(const platform::MessageBox&) override { return platform::Answer::Ok; }
    std::string ChooseOpenFile(const platform::FileDialog&) override { return chosenPath; }
    std::string ChooseSaveFile(const platform::FileDialog&) override { return chosenPath; }
    void SetBusy(bool) override {}
    void ShowModal(platform::Window& window) override {
        const auto frame = Frame(window);
        frame->show();
        QApplication::processEvents();
        onModal(window);
        QApplication::processEvents();
        if (!window.IsClosed())
            window.TryClose();
    }
    // Shown and painted once, as a window beside the main one opens.
    void ShowBeside(std::shared_ptr<platform::Window> window) override {
        besideFrame = Frame(*window);
        beside = std::move(window);
        besideFrame->show();
        QApplication::processEvents();
    }
    std::shared_ptr<platform::Window> beside;
    std::unique_ptr<platform::qt::WindowFrame> besideFrame;
    void ShowPopupMenu(platform::MenuEntry&) override {}
    void OpenWithDesktop(const std::string&) override {}
    // The file the editor opens: the large file unless another is given.
    std::string file;
    std::string CommandLine() override { return "\"" + (file.empty() ? LargeHandlingFile() : file) + "\""; }
    // Where recovery journals go; none when empty.
    std::string stateFolder;
    std::string StateFolder() override { return stateFolder; }
    std::string ProgramFolder() override { return "."; }
    std::string HomeFolder() override { return "."; }
    std::string ReadSetting(const std::string&) override { return {}; }
    void WriteSetting(const std::string&, const std::string&) override {}
    std::string clipboard;
    std::optional<std::string> ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string&) override {}

  private:
    platform::qt::QtServices layouts_{"", ".", "."};
};

} // namespace kestrix::bench
