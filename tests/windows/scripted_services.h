#pragma once

#include "platform/services.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace kestrix::test {

// Answers every question from a queue and records what was asked; a question
// nobody expected fails the test.
class ScriptedServices : public platform::Services {
  public:
    std::deque<platform::Answer> answers;
    std::deque<std::string> openPaths;
    std::deque<std::string> savePaths;
    std::vector<platform::MessageBox> messages;
    std::vector<platform::FileDialog> openDialogs;
    std::vector<platform::FileDialog> saveDialogs;
    std::string commandLine;
    int busyDepth = 0;

    platform::Answer ShowMessage(const platform::MessageBox& box) override {
        messages.push_back(box);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message: " << box.text;
            return platform::Answer::Cancel;
        }
        return Take(answers);
    }
    std::string ChooseOpenFile(const platform::FileDialog& dialog) override {
        openDialogs.push_back(dialog);
        return Answer(openPaths, "unexpected open dialog");
    }
    std::string ChooseSaveFile(const platform::FileDialog& dialog) override {
        saveDialogs.push_back(dialog);
        return Answer(savePaths, "unexpected save dialog");
    }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return "/opt/kestrix/bin"; }

  private:
    static std::string Answer(std::deque<std::string>& paths, const char* unexpected) {
        if (paths.empty()) {
            ADD_FAILURE() << unexpected;
            return {};
        }
        return Take(paths);
    }
    template <typename T> static T Take(std::deque<T>& queue) {
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace kestrix::test
