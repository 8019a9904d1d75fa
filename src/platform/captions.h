#pragma once

// Controls that show a caption or a drawing: labels, buttons, check boxes,
// option buttons and pictures.

#include "platform/control.h"

#include <optional>
#include <string>

namespace kestrix::platform {

class Label : public Control {
  public:
    using Control::Control;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    // No colour of its own: the desktop's.
    const std::optional<Color>& ForeColor() const { return foreColor_; }
    void SetForeColor(std::optional<Color> color);
    bool Underline() const { return underline_; }
    void SetUnderline(bool underline);
    bool Bold() const { return bold_; }
    void SetBold(bool bold);

    void UserMovesMouse();
    void UserClicks();
    Event MouseMove;
    Event Click;

  private:
    std::string caption_;
    std::optional<Color> foreColor_;
    bool underline_ = false;
    bool bold_ = false;
};

// Assistive tools hear the control by the label beside it: its caption without the access key and
// the colon ("Car Label :" is heard as "Car Label").
void NameAfter(Control& control, const Label& label);

class Button : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

class CheckBox : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    int Value() const { return value_; }
    // Raises Click when the state changes.
    void SetValue(int value);
    void UserClicks();

  private:
    int value_ = 0;
};

// One of a group of options: choosing it clears the others.
class OptionButton : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool Value() const { return value_; }
    // Choosing raises Click, from code or by the user; clearing raises nothing.
    void SetValue(bool value);
    void UserClicks();
    // The options of one group, each told of the others.
    static void Group(std::initializer_list<OptionButton*> options);
    // A group is one stop of the Tab key: its chosen option, or its first
    // enabled one while none is chosen.
    bool TabStop() const;
    // The arrow keys choose the next or previous enabled option of the group and move the focus to it.
    void UserSteps(int step);

  private:
    std::vector<OptionButton*> group_;
    int groupOrder_ = 0;
    bool value_ = false;
};

// A picture: one of the program's own drawings, named.
class Picture : public Control {
  public:
    explicit Picture(std::string name, std::string drawing)
        : Control(std::move(name)), drawing_(std::move(drawing)) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    const std::string& Drawing() const { return drawing_; }
    void UserMovesMouse();
    Event MouseMove;

  private:
    std::string drawing_;
};

} // namespace kestrix::platform
