#include "dialog/form2_layout.h"

namespace kel {

using C = Form2Control;

const std::array<Form2Place, 18> kForm2Layout = {{
    {C::Text1, C::Text1, 4725, 630, 4575, 2820},
    {C::Label1, C::Label1, 4830, 195, 495, 180},
    {C::Command1, C::Command1, 7920, 105, 1365, 330},
    {C::Frame1, C::Frame1, 135, 135, 4395, 750},
    {C::Option1, C::Frame1, 210, 375, 1530, 180},
    {C::Option2, C::Frame1, 2325, 345, 1815, 255},
    {C::Frame2, C::Frame2, 150, 1005, 4395, 750},
    {C::Option3, C::Frame2, 255, 360, 1230, 210},
    {C::Option4, C::Frame2, 2355, 300, 1305, 285},
    {C::Frame4, C::Frame4, 150, 1860, 4395, 750},
    {C::Option5_0, C::Frame4, 1545, 330, 1125, 180},
    {C::Option5_1, C::Frame4, 2985, 315, 1125, 300},
    {C::Check1, C::Frame4, 225, 330, 1140, 210},
    {C::Frame3, C::Frame3, 150, 2670, 4395, 750},
    {C::Option6_0, C::Frame3, 255, 345, 1185, 195},
    {C::Option6_1, C::Frame3, 1545, 360, 1185, 195},
    {C::Label2, C::Frame3, 3045, 300, 855, 285},
    {C::VScroll1, C::Frame3, 3960, 195, 285, 495},
}};

namespace {
const Form2Place& Find(Form2Control control) {
    for (const auto& place : kForm2Layout) {
        if (place.control == control) return place;
    }
    return kForm2Layout[0];  // every control is in the table
}
}  // namespace

Form2Rect PlaceOnDialog(Form2Control control) {
    const Form2Place& place = Find(control);
    Form2Rect rect{place.left, place.top, place.width, place.height};
    if (place.container != control) {
        const Form2Place& frame = Find(place.container);
        rect.left += frame.left;
        rect.top += frame.top;
    }
    return rect;
}

}  // namespace kel
