#pragma once

#include "platform/services.h"

#include <QString>

#include <string_view>

namespace kestrix::platform::qt {

// The desktop's message boxes, file dialogs and busy pointer.
class QtServices : public Services {
  public:
    QtServices(std::string commandLine, std::string programFolder);
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;
    ~QtServices() override;

    Answer ShowMessage(const MessageBox& box) override;
    std::string ChooseOpenFile(const FileDialog& dialog) override;
    std::string ChooseSaveFile(const FileDialog& dialog) override;
    void SetBusy(bool busy) override;
    std::string CommandLine() override { return commandLine_; }
    std::string ProgramFolder() override { return programFolder_; }

  private:
    std::string commandLine_;
    std::string programFolder_;
    int busyDepth_ = 0;
};

// "Name|pattern|Name|pattern" as the file dialogs write it: "Name (pattern);;Name (pattern)".
QString DialogFilter(std::string_view filter);

} // namespace kestrix::platform::qt
