#include "dialog/dialog_controls.h"

#include <algorithm>

namespace kel {

// --- Control -------------------------------------------------------------------

void Control::AttachView(ControlView* view) {
    view_ = view;
    if (view_ != nullptr) Refresh();
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (view_ != nullptr) view_->ShowEnabled(enabled);
}

void Control::Refresh() { view_->ShowEnabled(enabled_); }

// --- CaptionControl ------------------------------------------------------------

void CaptionControl::SetCaption(const std::u16string& caption) {
    caption_ = caption;
    if (view_ != nullptr) view_->ShowText(caption_);
}

void CaptionControl::Refresh() {
    Control::Refresh();
    view_->ShowText(caption_);
}

// --- OptionButton --------------------------------------------------------------

void OptionButton::Group(const std::vector<OptionButton*>& buttons) {
    for (OptionButton* button : buttons) {
        button->group_.clear();
        for (OptionButton* other : buttons) {
            if (other != button) button->group_.push_back(other);
        }
    }
}

void OptionButton::SetValue(bool selected) {
    const bool wasSelected = value_;
    value_ = selected;
    if (view_ != nullptr) view_->ShowChecked(selected ? 1 : 0);
    if (!selected) return;
    for (OptionButton* other : group_) {
        if (other->value_) other->SetValue(false);
    }
    // The handler runs after the whole group has taken its new state.
    if (!wasSelected && onClick) onClick();
}

// A click on the button that is already selected changes nothing and runs
// nothing, as with a change from the program.
void OptionButton::UserClick() { SetValue(true); }

void OptionButton::Refresh() {
    CaptionControl::Refresh();
    view_->ShowChecked(value_ ? 1 : 0);
}

// --- CheckBox ------------------------------------------------------------------

void CheckBox::SetValue(int value) {
    if (value == value_) return;
    value_ = value;
    if (view_ != nullptr) view_->ShowChecked(value_);
    if (onClick) onClick();
}

void CheckBox::UserClick() { SetValue(value_ == 1 ? 0 : 1); }

void CheckBox::Refresh() {
    CaptionControl::Refresh();
    view_->ShowChecked(value_);
}

// --- ScrollBar -----------------------------------------------------------------

ScrollBar::ScrollBar(int min, int max, int value) : min_(min), max_(max), value_(0) {
    value_ = Clamp(value);
}

int ScrollBar::Clamp(int value) const {
    const int low = std::min(min_, max_);
    const int high = std::max(min_, max_);
    return std::clamp(value, low, high);
}

int ScrollBar::Span() const { return max_ >= min_ ? max_ - min_ : min_ - max_; }

int ScrollBar::PositionOf(int value) const {
    return max_ >= min_ ? value - min_ : min_ - value;
}

int ScrollBar::ValueAt(int position) const {
    return Clamp(max_ >= min_ ? min_ + position : min_ - position);
}

void ScrollBar::Move(int value, bool forceChange) {
    const int newValue = Clamp(value);
    const bool moved = newValue != value_;
    value_ = newValue;
    if (view_ != nullptr) view_->ShowScroll(Span(), PositionOf(value_));
    if ((moved || forceChange) && onChange) onChange();
}

void ScrollBar::SetMin(int min) {
    min_ = min;
    Move(value_, false);
}

void ScrollBar::SetMax(int max) {
    max_ = max;
    Move(value_, false);
}

void ScrollBar::SetValue(int value) { Move(value, false); }

// The top end is Min: a step toward the top moves the value toward Min,
// which raises it when Min is the larger end.
void ScrollBar::StepTowardTop(int steps) {
    const int direction = min_ >= max_ ? 1 : -1;
    Move(value_ + direction * steps, false);
}

void ScrollBar::Track(int position) {
    value_ = ValueAt(position);
    if (view_ != nullptr) view_->ShowScroll(Span(), PositionOf(value_));
    if (onScroll) onScroll();
}

void ScrollBar::Release(int position) { Move(ValueAt(position), true); }

void ScrollBar::Refresh() {
    Control::Refresh();
    view_->ShowScroll(Span(), PositionOf(value_));
}

// --- TextBox -------------------------------------------------------------------

void TextBox::SetText(const std::u16string& text) {
    text_ = text;
    if (view_ != nullptr) view_->ShowText(text_);
}

std::u16string TextBox::Text() const { return view_ != nullptr ? view_->Text() : text_; }

void TextBox::Refresh() {
    Control::Refresh();
    view_->ShowText(text_);
}

}  // namespace kel
