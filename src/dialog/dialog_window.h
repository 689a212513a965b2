// What the settings dialog's logic needs from its own window and from the
// screen: geometry in twips (single precision), its caption, showing it,
// unloading it, and telling the user something.
#pragma once

#include <string>

namespace kel {

class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual float ScreenWidthTwips() const = 0;
    virtual float ScreenHeightTwips() const = 0;
    // The window's outer size, border and title bar included.
    virtual float OuterWidthTwips() const = 0;
    virtual float OuterHeightTwips() const = 0;
    // Places the window's outer top-left corner.
    virtual void Move(float leftTwips, float topTwips) = 0;

    virtual void SetCaption(const std::u16string& caption) = 0;

    // Shows the window, not modal, with the keyboard focus in the editor.
    virtual void Show() = 0;

    // Raises the dialog's QueryUnload, then takes the window down; the program
    // ends once the window is gone.
    virtual void Unload() = 0;
};

// A message to the user (a message box on Win32): one that needs no answer,
// or a question whose safe answer, "no", is the default.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::u16string& text) = 0;
    virtual bool Confirm(const std::u16string& question) = 0;
};

}  // namespace kel
