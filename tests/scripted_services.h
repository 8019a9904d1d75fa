#pragma once

#include "platform/controls.h"
#include "platform/services.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrix::test {

// Answers every question from a queue and records what was asked; a question
// nobody expected fails the test. A window shown blocking runs the queued
// steps, as a user would act on it, until it has closed.
class ScriptedServices : public platform::Services {
  public:
    using Step = std::function<void(platform::Window&)>;

    std::deque<platform::Answer> answers;
    std::deque<std::string> openPaths;
    std::deque<std::string> savePaths;
    std::deque<Step> steps;
    // The entry to choose from each pop-up menu, by name; empty text dismisses it.
    std::deque<std::string> popupChoices;

    std::vector<platform::MessageBox> messages;
    std::vector<platform::FileDialog> openDialogs;
    std::vector<platform::FileDialog> saveDialogs;
    std::vector<std::string> shownWindows; // names, blocking or beside, in order
    std::vector<std::shared_ptr<platform::Window>> besideWindows;
    std::vector<std::string> popupMenus;
    std::vector<std::string> desktopTargets;
    std::map<std::string, std::string> settings;
    std::string commandLine;
    std::string stateFolder; // empty: no recovery journal
    platform::ProcessRunner* processes = nullptr;
    int busyDepth = 0;

    platform::Answer ShowMessage(const platform::MessageBox& box) override {
        messages.push_back(box);
        return Expected(answers, platform::Answer::Cancel, "unexpected message: " + box.text);
    }
    std::string ChooseOpenFile(const platform::FileDialog& dialog) override {
        openDialogs.push_back(dialog);
        return Expected(openPaths, std::string(), "unexpected open dialog");
    }
    std::string ChooseSaveFile(const platform::FileDialog& dialog) override {
        saveDialogs.push_back(dialog);
        return Expected(savePaths, std::string(), "unexpected save dialog");
    }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    void ShowModal(platform::Window& window) override {
        shownWindows.push_back(window.Name());
        while (!window.IsClosed()) {
            if (steps.empty()) {
                ADD_FAILURE() << window.Name() << " is still open and no step is left to close it";
                window.TryClose();
                return;
            }
            Take(steps)(window);
        }
    }
    void ShowBeside(std::shared_ptr<platform::Window> window) override {
        shownWindows.push_back(window->Name());
        besideWindows.push_back(std::move(window));
    }
    void ShowPopupMenu(platform::MenuEntry& menu) override {
        popupMenus.push_back(menu.Name());
        const std::string choice = popupChoices.empty() ? std::string() : Take(popupChoices);
        for (platform::MenuEntry* entry : menu.Entries)
            if (!choice.empty() && entry->Name() == choice)
                entry->UserChooses();
    }
    void OpenWithDesktop(const std::string& target) override { desktopTargets.push_back(target); }

    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return "/opt/kestrix/bin"; }
    std::string HomeFolder() override { return "/home/modder"; }
    std::string StateFolder() override { return stateFolder; }
    platform::ProcessRunner* Processes() override { return processes; }
    std::string ReadSetting(const std::string& key) override {
        const auto found = settings.find(key);
        return found == settings.end() ? std::string() : found->second;
    }
    void WriteSetting(const std::string& key, const std::string& value) override { settings[key] = value; }

    // The window a step acts on, as the kind of window it is.
    template <typename Form> static Form& As(platform::Window& window) {
        auto* form = dynamic_cast<Form*>(&window);
        if (!form)
            throw std::logic_error("the window shown is " + window.Name());
        return *form;
    }

  private:
    // The next of queue; none, and a failure of the test, when nothing was queued.
    template <typename T> static T Expected(std::deque<T>& queue, T none, const std::string& unexpected) {
        if (queue.empty()) {
            ADD_FAILURE() << unexpected;
            return none;
        }
        return Take(queue);
    }
    template <typename T> static T Take(std::deque<T>& queue) {
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace kestrix::test
