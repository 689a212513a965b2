// Where the settings dialog's controls lie, in twips, in tab order.
#pragma once

#include <array>

namespace kel {

enum class Form2Control {
    Text1,
    Label1,
    Command1,
    Frame1,
    Option1,
    Option2,
    Frame2,
    Option3,
    Option4,
    Frame4,
    Option5_0,
    Option5_1,
    Check1,
    Frame3,
    Option6_0,
    Option6_1,
    Label2,
    VScroll1,
};

struct Form2Place {
    Form2Control control;
    // The frame the control sits in, or the control itself for one that sits
    // on the dialog directly.
    Form2Control container;
    float left, top, width, height;  // relative to the container
};

// The client area of the dialog.
constexpr float kForm2ClientWidthTwips = 9495.0f;
constexpr float kForm2ClientHeightTwips = 3525.0f;

// In tab order. (The speech control that used to sit between Check1 and
// Frame3 is not placed: nothing in the dialog uses it.)
extern const std::array<Form2Place, 18> kForm2Layout;

// The control's place on the dialog's client area.
struct Form2Rect {
    float left, top, width, height;
};
Form2Rect PlaceOnDialog(Form2Control control);

}  // namespace kel
