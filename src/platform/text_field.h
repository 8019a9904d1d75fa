#pragma once

// The text field, single or multi-line.

#include "platform/control.h"

#include <cstddef>
#include <string>

namespace kestrix::platform {

class TextField : public Control {
  public:
    enum class Lines { Single, Multi };
    explicit TextField(std::string name = {}, Lines lines = Lines::Single)
        : Control(std::move(name)), lines_(lines) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool MultiLine() const { return lines_ == Lines::Multi; }

    const std::string& Text() const { return text_; }
    // Raises Change when the text differs, whether code or the user set it.
    void SetText(std::string text);
    // Why an edit of the user was not taken.
    enum class Refusal {
        Separator,  // a character of RefusedCharacters
        Unwritable, // a character the 8-bit file cannot hold
    };
    // The user's edit, typed or pasted. One with a character the field
    // refuses is refused whole: the text stays as it was, and Refused is raised.
    void UserTypes(std::string text);
    // An edit the view refused before it reached the field (characters that
    // have no 8-bit form): only Refused is raised.
    void UserRefused(Refusal refusal);
    std::function<void(Refusal)> Refused;
    void Select(std::size_t start, std::size_t length);
    std::size_t SelStart() const { return selStart_; }
    std::size_t SelLength() const { return selLength_; }
    // Characters that never enter the field, whoever types or pastes them. A
    // text that begins with lead refuses only leadRefused instead: a formula,
    // whose blanks never reach the file.
    void SetRefusedCharacters(std::string characters, char lead = '\0', std::string leadRefused = {}) {
        refused_ = std::move(characters);
        lead_ = lead;
        leadRefused_ = std::move(leadRefused);
    }
    // Whether the field refuses this text as its new text.
    bool Refuses(std::string_view text) const {
        const bool led = lead_ != '\0' && text.starts_with(lead_);
        return text.find_first_of(led ? leadRefused_ : refused_) != std::string_view::npos;
    }
    // Enter commits the field and Escape reverts it, where the window says what
    // that means; false leaves the key to the window (its default and cancel buttons).
    bool UserPressesEnter();
    bool UserPressesEscape();
    // Up (-1) and Down (1) step through what the window offers; false leaves the keys to the field.
    bool UserPressesArrow(int step);
    Event Change;
    Event Commit;
    Event Revert;
    std::function<void(int)> Step;

  private:
    Lines lines_;
    std::string text_;
    std::string refused_;
    char lead_ = '\0';
    std::string leadRefused_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

} // namespace kestrix::platform
