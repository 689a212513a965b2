// The settings dialog: loading, the option groups, the start phrase selector
// and the close step. The phrase editor's load and save are in
// form2_phrases.cpp.
#include "dialog/form2.h"

#include "data/number.h"
#include "data/paths.h"
#include "platform/text.h"

namespace kel {

Form2::Form2(DialogPlatform& platform) : p_(platform) {
    // Design state: the first button of each of the first two frames is
    // selected; the sound and mode buttons are not.
    Option1.SetValue(true);
    Option3.SetValue(true);
    OptionButton::Group({&Option1, &Option2});
    OptionButton::Group({&Option3, &Option4});
    OptionButton::Group({&Option5[0], &Option5[1]});
    OptionButton::Group({&Option6[0], &Option6[1]});

    Option1.onClick = [this] { Option1_Click(); };
    Option2.onClick = [this] { Option2_Click(); };
    Option3.onClick = [this] { Option3_Click(); };
    Option4.onClick = [this] { Option4_Click(); };
    Check1.onClick = [this] { Check1_Click(); };
    Option5[0].onClick = [this] { Option5_Click(0); };
    Option5[1].onClick = [this] { Option5_Click(1); };
    Option6[0].onClick = [this] { Option6_Click(0); };
    Option6[1].onClick = [this] { Option6_Click(1); };
    VScroll1.onChange = [this] { VScroll1_Change(); };
    VScroll1.onScroll = [this] { VScroll1_Scroll(); };
}

void Form2::Load() {
    DialogWindow& window = p_.Window;
    window.Move((window.ScreenWidthTwips() - window.OuterWidthTwips()) / 2.0f,
                (window.ScreenHeightTwips() - window.OuterHeightTwips()) / 2.0f);
    window.SetCaption(u"メッセージエディター");
    ViewInit();
    InitRead();
    MsgRead();
    InitButton();
    // The spinner keeps its own start value; the label shows the saved number
    // until the spinner first moves.
    Label2.SetCaption(DecimalText16(Frase_No));
    window.Show();
    if (!MsgChangedLines.empty()) {
        p_.Messages.ShowMessage(
            u"フレーズファイルに、シフト JIS としても UTF-8 としても正しくないバイトがあります。"
            u"保存すると次の行が変わります（保存する前に確かめます）。\r\n" +
            ChangedLinesText());
    }
}

void Form2::ViewInit() {
    Frame1.SetCaption(u"メッセージ表示方法");
    Option1.SetCaption(u"リスト順");
    Option2.SetCaption(u"ランダム");
    Frame2.SetCaption(u"表示サイズ");
    Option3.SetCaption(u"小");
    Option4.SetCaption(u"大");
    Frame4.SetCaption(u"効果音設定");
    Check1.SetCaption(u"効果音付");
    Option5[0].SetCaption(u"タイプ音");
    Option5[1].SetCaption(u"おしゃべり");
    Frame3.SetCaption(u"動作モード");
    Option6[0].SetCaption(u"連続");
    Option6[1].SetCaption(u"One Shot");
}

std::int16_t Form2::ReadSetting(const char* section, const char* key) {
    const std::string path = SettingsPath();
    const std::string text = p_.Profile.GetString(path, section, key, "0");
    return ReadNumber16(text, path + ", [" + section + "] " + key);
}

// Every missing key reads as 0 here; the saver's own defaults and its
// start-up folder rule do not apply to the dialog.
void Form2::InitRead() {
    ViewMode = ReadSetting("View", "ViewMode");
    FontMode = ReadSetting("View", "FontMode");
    Sound = ReadSetting("Mode", "Sound");
    Speak = ReadSetting("Mode", "Speak");
    OneShot = ReadSetting("Mode", "OneShot");
    Frase_No = ReadSetting("StartUp", "Frase_No");
}

void Form2::SetSoundButtonsEnabled(bool enabled) {
    Option5[0].SetEnabled(enabled);
    Option5[1].SetEnabled(enabled);
}

// Only the exact values 0 and 1 act; any other value leaves the group in its
// design state and the variable as read, except the display size, which falls
// back to large. Selecting a button that was not selected, or changing the
// check box, runs its click handler right here.
void Form2::InitButton() {
    if (ViewMode == 0) {
        Option1.SetValue(true);
    } else if (ViewMode == 1) {
        Option2.SetValue(true);
    }

    // 0 is the right-hand button "大", 1 the left-hand "小".
    if (FontMode == 0) {
        Option4.SetValue(true);
    } else if (FontMode == 1) {
        Option3.SetValue(true);
    } else {
        Option4.SetValue(true);
        FontMode = 0;
    }

    if (Sound == 0) {
        Check1.SetValue(0);
        SetSoundButtonsEnabled(false);
    } else if (Sound == 1) {
        Check1.SetValue(1);
        SetSoundButtonsEnabled(true);
    }

    if (Speak == 0) {
        Option5[0].SetValue(true);
    } else if (Speak == 1) {
        Option5[1].SetValue(true);
    }

    if (OneShot == 0) {
        Option6[0].SetValue(true);
    } else if (OneShot == 1) {
        Option6[1].SetValue(true);
    }
}

void Form2::Option1_Click() { ViewMode = 0; }
void Form2::Option2_Click() { ViewMode = 1; }
void Form2::Option3_Click() { FontMode = 1; }
void Form2::Option4_Click() { FontMode = 0; }

// Greying the sound buttons keeps their selection: the chosen one stays
// chosen and is still written at close.
void Form2::Check1_Click() {
    const int value = Check1.Value();
    if (value == 0) {
        SetSoundButtonsEnabled(false);
    } else if (value == 1) {
        SetSoundButtonsEnabled(true);
    }
    Sound = static_cast<std::int16_t>(Check1.Value());
}

void Form2::Option5_Click(int /*index*/) { Speak = Option5[0].Value() ? 0 : 1; }

// The start phrase selector works in one-shot mode only; in continuous mode it
// is greyed, but its number is still written at close.
void Form2::Option6_Click(int /*index*/) {
    if (Option6[0].Value()) {
        OneShot = 0;
        Label2.SetEnabled(false);
        VScroll1.SetEnabled(false);
    } else {
        OneShot = 1;
        Label2.SetEnabled(true);
        VScroll1.SetEnabled(true);
    }
}

// Every close writes all six keys, in this order, whatever the reason for the
// close; the start index is the label's text as it stands.
void Form2::QueryUnload() {
    const std::string path = SettingsPath();
    Profile& profile = p_.Profile;
    profile.WriteString(path, "View", "ViewMode", DecimalText(ViewMode));
    profile.WriteString(path, "View", "FontMode", DecimalText(FontMode));
    profile.WriteString(path, "Mode", "Sound", DecimalText(Sound));
    profile.WriteString(path, "Mode", "Speak", DecimalText(Speak));
    profile.WriteString(path, "Mode", "OneShot", DecimalText(OneShot));
    std::string startIndex;
    p_.Codec.Encode(Label2.Caption(), startIndex);  // always decimal digits
    profile.WriteString(path, "StartUp", "Frase_No", startIndex);
}

// The phrases are written first; only when they are safely on disk does the
// dialog close (which writes the settings). A failed save keeps the dialog
// open with the edits, and nothing else is written.
void Form2::Command1_Click() {
    if (!MsgWrite()) return;
    p_.Window.Unload();
}

// The highest start index the spinner offers: one past the last item read.
// An empty phrase file would make it 0; the spinner never goes below 1.
int Form2::SelectorLimit() const {
    const int limit = MsgLast + 1;
    return limit < 1 ? 1 : limit;
}

// Once the value reaches the number of items, the top end comes down to it
// for good; a larger value is pulled down onto the new end, which raises
// Change once more, nested, and that run changes nothing further.
void Form2::VScroll1_Change() {
    if (VScroll1.Value() >= SelectorLimit()) VScroll1.SetMin(SelectorLimit());
    Label2.SetCaption(DecimalText16(VScroll1.Value()));
}

// While the thumb is dragged the label follows it without any limit.
void Form2::VScroll1_Scroll() { Label2.SetCaption(DecimalText16(VScroll1.Value())); }

}  // namespace kel
