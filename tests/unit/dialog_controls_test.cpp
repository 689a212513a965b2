// The dialog's control models: what we test
//  - option buttons: selecting clears the rest of the group only, the click
//    handler runs when the selection really changes (and sees the new state
//    of the whole group), clearing is silent;
//  - the check box runs its handler on a real change only;
//  - the scroll bar with its top end larger than its bottom end: clamping,
//    which way the arrows move, Change on every move of the value (also when
//    a new end pulls the value), Scroll while dragging and Change on release,
//    and the positions a Win32 scroll bar counts;
//  - the real controls are kept up to date through their views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog_controls.h"
#include "dialog_fakes.h"

namespace kel::fake {
namespace {

TEST(DialogOptionButton, SelectingClearsTheGroupAndRunsTheHandlerOnlyOnChange) {
    OptionButton a{u"a"}, b{u"b"}, other{u"other"};
    OptionButton::Group({&a, &b});
    other.SetValue(true);
    std::vector<std::string> calls;
    a.onClick = [&] { calls.push_back(std::string("a sees a=") + (a.Value() ? "1" : "0") +
                                      " b=" + (b.Value() ? "1" : "0")); };
    b.onClick = [&] { calls.push_back(std::string("b sees a=") + (a.Value() ? "1" : "0") +
                                      " b=" + (b.Value() ? "1" : "0")); };

    a.SetValue(true);
    a.SetValue(true);  // already selected: nothing runs
    b.UserClick();
    b.UserClick();
    EXPECT_EQ(calls, (std::vector<std::string>{"a sees a=1 b=0", "b sees a=0 b=1"}));
    EXPECT_TRUE(other.Value()) << "a button of another group is left alone";

    b.SetValue(false);  // clearing runs nothing and selects nothing else
    EXPECT_FALSE(a.Value());
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(calls.size(), 2u);
}

TEST(DialogCheckBox, RunsTheHandlerOnlyWhenTheValueChanges) {
    CheckBox box{u"box"};
    std::vector<int> seen;
    box.onClick = [&] { seen.push_back(box.Value()); };
    box.SetValue(0);
    box.SetValue(1);
    box.SetValue(1);
    box.UserClick();
    box.UserClick();
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1}));
}

TEST(DialogScrollBar, TopEndIsMinAndTheUpArrowMovesTowardIt) {
    ScrollBar bar(32000, 1, 1);
    int changes = 0;
    bar.onChange = [&] { ++changes; };
    bar.ArrowDown();  // already at the bottom end, 1
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_EQ(changes, 0);
    bar.ArrowUp();
    bar.PageUp();
    EXPECT_EQ(bar.Value(), 3);
    EXPECT_EQ(changes, 2);
    bar.ToTop();
    EXPECT_EQ(bar.Value(), 32000);
    bar.ArrowUp();
    EXPECT_EQ(bar.Value(), 32000);
    EXPECT_EQ(changes, 3);
    bar.SetValue(0);  // below the range: pulled onto the bottom end
    EXPECT_EQ(bar.Value(), 1);

    ScrollBar plain(0, 10, 5);  // the usual way round: up lowers the value
    plain.ArrowUp();
    EXPECT_EQ(plain.Value(), 4);
}

TEST(DialogScrollBar, ANewEndPullsTheValueAndRaisesChangeNested) {
    ScrollBar bar(32000, 1, 20);
    std::vector<int> seen;
    bar.onChange = [&] {
        seen.push_back(bar.Value());
        bar.SetMin(12);  // what the selector does; the nested run changes nothing
    };
    bar.SetMin(12);
    EXPECT_EQ(bar.Value(), 12);
    EXPECT_EQ(seen, (std::vector<int>{12}));
    bar.SetMin(15);  // the value lies inside the new range: no Change
    EXPECT_EQ(seen.size(), 1u);
}

TEST(DialogScrollBar, DraggingRaisesScrollAndTheReleaseRaisesChange) {
    ScrollBar bar(32000, 1, 1);
    std::vector<std::string> events;
    bar.onScroll = [&] { events.push_back("scroll " + std::to_string(bar.Value())); };
    bar.onChange = [&] { events.push_back("change " + std::to_string(bar.Value())); };
    EXPECT_EQ(bar.Span(), 31999);
    EXPECT_EQ(bar.PositionOf(1), 31999);  // the bottom
    EXPECT_EQ(bar.ValueAt(0), 32000);     // the top
    bar.Track(31000);
    bar.Track(0);
    bar.Release(0);
    bar.Release(0);  // a release changes nothing, yet it is a completed move
    EXPECT_EQ(events, (std::vector<std::string>{"scroll 1000", "scroll 32000", "change 32000",
                                                "change 32000"}));
    EXPECT_EQ(bar.ValueAt(99999), 1) << "positions past the end are clamped";
}

TEST(DialogControlViews, TheRealControlFollowsTheModel) {
    OptionButton a{u"a"}, b{u"b"};
    OptionButton::Group({&a, &b});
    a.SetValue(true);
    RecordingView va, vb;
    a.AttachView(&va);
    b.AttachView(&vb);
    EXPECT_EQ(va.text, u"a");
    EXPECT_EQ(va.checked, 1);
    EXPECT_EQ(vb.checked, 0);
    EXPECT_TRUE(vb.enabled);
    b.SetValue(true);
    b.SetEnabled(false);
    b.SetCaption(u"ビー");
    EXPECT_EQ(va.checked, 0);
    EXPECT_EQ(vb.checked, 1);
    EXPECT_FALSE(vb.enabled);
    EXPECT_EQ(vb.text, u"ビー");

    ScrollBar bar(32000, 1, 1);
    RecordingView vbar;
    bar.AttachView(&vbar);
    EXPECT_EQ(vbar.span, 31999);
    EXPECT_EQ(vbar.position, 31999);
    bar.ArrowUp();
    bar.SetMin(2);
    EXPECT_EQ(vbar.span, 1);
    EXPECT_EQ(vbar.position, 0);

    // The text box's text lives in the real control once attached.
    TextBox box{u"Text1"};
    RecordingView vbox;
    box.AttachView(&vbox);
    EXPECT_EQ(vbox.text, u"Text1");
    vbox.text = u"typed by the user";
    EXPECT_EQ(box.Text(), u"typed by the user");
}

}  // namespace
}  // namespace kel::fake
