// The settings dialog's controls as the dialog's logic sees them: option
// buttons, a check box, captions, a scroll bar and a text box that keep their
// own state and raise their events the way the dialog relies on.
//
// Setting an option button or the check box from the program runs its click
// handler, exactly as a user's click does, but only when the state really
// changes; changing the scroll bar's value or range from the program raises
// its Change event when the value moves. Win32 sends no such notifications
// for programmatic changes, so these rules live here, once, and the window
// only mirrors the state into the real controls through a ControlView.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kel {

// The real control behind a model: what the user sees. Every method has a
// do-nothing default so that a view implements only what its kind needs.
class ControlView {
public:
    virtual ~ControlView() = default;

    virtual void ShowText(const std::u16string& text) {}
    // The text as the user left it; only the text box asks.
    virtual std::u16string Text() const { return {}; }
    virtual void ShowEnabled(bool enabled) {}
    // 0 clear, 1 selected or checked.
    virtual void ShowChecked(int value) {}
    // The scroll position runs from 0 at the top end to `span` at the bottom.
    virtual void ShowScroll(int span, int position) {}
};

class Control {
public:
    virtual ~Control() = default;

    // Connects the real control and brings it up to date with the model.
    void AttachView(ControlView* view);

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

protected:
    virtual void Refresh();
    ControlView* view_ = nullptr;

private:
    bool enabled_ = true;
};

// A frame, a label or a push button: a caption and nothing else to keep.
class CaptionControl : public Control {
public:
    explicit CaptionControl(std::u16string caption) : caption_(std::move(caption)) {}

    void SetCaption(const std::u16string& caption);
    const std::u16string& Caption() const { return caption_; }

protected:
    void Refresh() override;

private:
    std::u16string caption_;
};

class OptionButton : public CaptionControl {
public:
    using CaptionControl::CaptionControl;

    // Makes these buttons one group: selecting one clears the others, and only
    // those.
    static void Group(const std::vector<OptionButton*>& buttons);

    // true selects the button (clearing the rest of its group) and, when it was
    // not selected before, runs its click handler; false clears it silently.
    void SetValue(bool selected);
    bool Value() const { return value_; }

    // The user clicked it (the real control has already taken the state).
    void UserClick();

    std::function<void()> onClick;

protected:
    void Refresh() override;

private:
    bool value_ = false;
    std::vector<OptionButton*> group_;
};

class CheckBox : public CaptionControl {
public:
    using CaptionControl::CaptionControl;

    // 0 unchecked, 1 checked. A change runs the click handler.
    void SetValue(int value);
    int Value() const { return value_; }

    // The user clicked it: the value flips between 0 and 1.
    void UserClick();

    std::function<void()> onClick;

protected:
    void Refresh() override;

private:
    int value_ = 0;
};

// A vertical scroll bar whose top end is `Min` and bottom end `Max`; either
// may be the larger. The value always lies between the two ends.
class ScrollBar : public Control {
public:
    ScrollBar(int min, int max, int value);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }

    // A new end pulls a value that lies outside the range onto that end; the
    // value moving raises Change.
    void SetMin(int min);
    void SetMax(int max);
    void SetValue(int value);

    int smallChange = 1;
    int largeChange = 1;

    // What the user does. Arrows and track clicks raise Change when the
    // value moves; dragging the thumb raises Scroll for every position and
    // Change once on release.
    void ArrowUp() { StepTowardTop(smallChange); }
    void ArrowDown() { StepTowardTop(-smallChange); }
    void PageUp() { StepTowardTop(largeChange); }
    void PageDown() { StepTowardTop(-largeChange); }
    void ToTop() { SetValue(min_); }
    void ToBottom() { SetValue(max_); }
    void Track(int position);
    void Release(int position);

    // Positions count from 0 at the top end to Span() at the bottom end, as a
    // Win32 scroll bar counts them.
    int Span() const;
    int PositionOf(int value) const;
    int ValueAt(int position) const;

    std::function<void()> onChange;
    std::function<void()> onScroll;

protected:
    void Refresh() override;

private:
    int Clamp(int value) const;
    void StepTowardTop(int steps);
    // Stores the value; raises Change when it moved (or always, when forced).
    void Move(int value, bool forceChange);

    int min_, max_, value_;
};

// A multi-line text box. Once a view is attached the text lives in the real
// control, where the user edits it.
class TextBox : public Control {
public:
    explicit TextBox(std::u16string text) : text_(std::move(text)) {}

    void SetText(const std::u16string& text);
    std::u16string Text() const;

protected:
    void Refresh() override;

private:
    std::u16string text_;
};

}  // namespace kel
