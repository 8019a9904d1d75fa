#pragma once

// The tab control: pages, one at the front.

#include "platform/control.h"

#include <string>
#include <vector>

namespace kestrix::platform {

class TabControl : public Control {
  public:
    explicit TabControl(std::string name, std::vector<std::string> captions)
        : Control(std::move(name)), captions_(std::move(captions)) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    const std::vector<std::string>& Captions() const { return captions_; }
    int Tab() const { return tab_; }
    // Raises Click when another page comes to the front, by code or by the user.
    void SetTab(int page);
    void UserChoosesPage(int page);
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, round the end.
    void UserStepsPage(int step);
    Event Click;

  private:
    std::vector<std::string> captions_;
    int tab_ = 0;
};

} // namespace kestrix::platform
