#pragma once

#include "platform/controls.h"
#include "platform/services.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrix::platform {

// The toolkit's frame of a window. As with a control, the link is cut from
// whichever side goes first.
class WindowView {
  public:
    virtual void Refresh(Aspect aspect) = 0;
    // Closing from code: the frame closes, which ends in TryClose.
    virtual void Close() = 0;
    // Bring the shown window to the front.
    virtual void Raise() = 0;
    virtual void WindowGone() = 0;

  protected:
    ~WindowView() = default;
};

// Where a window stands on the desktop and how large it is, in pixels.
struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximised = false;
    friend bool operator==(const Placement&, const Placement&) = default;
};
// An open window: where its frame stands and when the user last used it (larger is later).
struct OpenWindow {
    Placement place;
    long long lastUse = 0;
};
// A new window never opens smaller than this unless it wants less or the screen has less room.
inline constexpr int kLeastOpenWidth = 640;
inline constexpr int kLeastOpenHeight = 480;
// Where a new window opens on the screen's free area (all are places of frames, in pixels): wholly
// on the screen, covering none of the open windows, next to the one used last, at the wanted size
// where there is room for it, else as large as the room allows down to the least size (the window's
// own least, at least 640x480); where even that has no room, at that least size over the window used
// least recently.
Placement PlaceNewWindow(const Placement& screen, const std::vector<OpenWindow>& open,
                         const Placement& wanted, const Placement& least);
// The place moved onto the screen, and made smaller only where the screen is.
Placement OnScreen(const Placement& screen, Placement place);
// "left,top,width,height" with ",max" for a maximised window, as settings keep it.
std::string PlacementText(const Placement& place);
// None for text that is no placement or has no size.
std::optional<Placement> PlacementOf(std::string_view text);

// A top-level window: its caption, its focus, its default and cancel buttons,
// and closing with a check that may refuse. A window is shown through
// Services and is done with once it has closed.
class Window {
  public:
    explicit Window(std::string name) : name_(std::move(name)) {}
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // The window's program name, "frmMain"; the toolkit finds its layout by it.
    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    // A short note for the user, in the window's status line where it has one.
    const std::string& Note() const { return note_; }
    void ShowNote(std::string note);
    bool Resizable() const { return resizable_; }
    void SetResizable(bool resizable) { resizable_ = resizable; }
    // A main window offers the minimise and maximise boxes; a dialog does not.
    bool MinMaxBoxes() const { return minMaxBoxes_; }
    void SetMinMaxBoxes(bool boxes) { minMaxBoxes_ = boxes; }
    // Where a resizable window opens (none: centred, at its first size), and
    // where it stood when the user last moved, resized or closed it.
    const std::optional<Placement>& Place() const { return place_; }
    void SetPlace(std::optional<Placement> place) { place_ = place; }
    void UserPlaces(Placement place) { place_ = place; }
    // The window opens where it stood when it last closed, as the setting of that key keeps it.
    void RememberPlace(Services& services, std::string key);

    // Closing by any means runs QueryUnload first; false keeps the window open.
    bool TryClose();
    // Closing from code (an Exit or Close button): the frame closes its window, which ends in TryClose.
    void Unload();
    bool IsClosed() const { return closed_; }
    void BringToFront();
    // The user brought the window to the front again, from another program or window.
    std::function<void()> Activated;
    void UserActivates() {
        if (Activated && !closed_)
            Activated();
    }

    // Files dropped on the window, as their paths; the window takes drops only where this is set.
    std::function<void(const std::vector<std::string>&)> FilesDropped;
    void UserDropsFiles(const std::vector<std::string>& paths) {
        if (FilesDropped && !closed_ && !paths.empty())
            FilesDropped(paths);
    }

    // Enter presses the default button and Escape the cancel button, where the window has them.
    Button* DefaultButton = nullptr;
    Button* CancelButton = nullptr;
    void UserPressesEnter();
    void UserPressesEscape();

    FocusScope Focus;
    // The order the Tab key follows, where it is not the order of the layout.
    std::vector<Control*> KeyboardOrder;
    // The menus of the window's menu bar, if it has one. Their keys go to the menu wherever the focus
    // is, but for the editing keys (Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+V), which a text field, a list or a
    // table keeps for itself.
    std::vector<MenuEntry*> MenuBar;
    // Function keys (1 for F1) that press a button wherever the focus is; false when none is the window's.
    std::vector<std::pair<int, Button*>> FunctionKeys;
    bool UserPressesFunctionKey(int number);

    // The window this one stands beside, the main window: it opens next to it, and the keys of its
    // menus work here too, wherever the focused control has no use of its own for them (a field's
    // undo of its typing, a table's copy). Null for none; cut when that window goes.
    const Window* Opener() const { return opener_; }
    void StandBeside(const Window* opener) { opener_ = opener; }
    // Keys the window takes itself, before the opener's menus have them.
    std::vector<std::pair<Shortcut, std::function<void()>>> OwnKeys;
    // The window's own keys, and the keys of the opener's menus, each choosing its entry as it would there.
    std::vector<Shortcut> TakenKeys() const;
    // False when neither the window nor an entry has the key.
    bool UserPressesKey(Shortcut key);

    void AttachView(WindowView* view) { view_ = view; }

  protected:
    virtual bool QueryUnload() { return true; }

  private:
    std::string name_;
    std::string caption_;
    std::string note_;
    bool resizable_ = false;
    bool minMaxBoxes_ = false;
    std::optional<Placement> place_;
    Services* placeKeeper_ = nullptr;
    std::string placeKey_;
    bool closed_ = false;
    const Window* opener_ = nullptr;
    WindowView* view_ = nullptr;
};

} // namespace kestrix::platform
