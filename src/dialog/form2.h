// The settings dialog's logic: its state, its controls, its Load event, the
// click handlers of its option groups, the start phrase selector, the phrase
// editor's load and save, and its close step. Written against the seam; the
// Win32 host creates the real controls, attaches them and forwards events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/phrase_encoding.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_window.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace kel {

// Everything the dialog's logic talks to.
struct DialogPlatform {
    DialogWindow& Window;
    MessageSink& Messages;
    ::kel::Files& Files;
    ::kel::Profile& Profile;
    ::kel::Codec& Codec;
};

class Form2 {
public:
    static constexpr int kSelectorTop = 32000;  // the spinner's top end at start
    static constexpr int kMaxItemCount = 32767;  // the item count stops here

    explicit Form2(DialogPlatform& platform);
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    // Events, forwarded by the host (the controls raise their own).
    void Load();
    void QueryUnload();

    // Procedures of the window.
    void ViewInit();
    void InitRead();
    void MsgRead();
    void InitButton();
    // Writes the editor's text over the phrase file; false (after telling the
    // user why, and what the file now holds) when it could not.
    bool MsgWrite();

    // Event handlers.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Check1_Click();
    void Option5_Click(int index);
    void Option6_Click(int index);
    void Command1_Click();
    void VScroll1_Change();
    void VScroll1_Scroll();

    // The controls, with their design-time state.
    TextBox Text1{u"Text1"};
    CaptionControl Label1{u"Label1"};
    CaptionControl Command1{u"メッセージ保存"};
    CaptionControl Frame1{u"Frame1"};
    OptionButton Option1{u"Option1"};
    OptionButton Option2{u"Option2"};
    CaptionControl Frame2{u"Frame2"};
    OptionButton Option3{u"Option3"};
    OptionButton Option4{u"Option4"};
    CaptionControl Frame4{u"Frame4"};
    OptionButton Option5[2] = {OptionButton{u"Option5"}, OptionButton{u"Option5"}};
    CheckBox Check1{u"Check1"};
    CaptionControl Frame3{u"Frame3"};
    OptionButton Option6[2] = {OptionButton{u"Option6"}, OptionButton{u"Option6"}};
    CaptionControl Label2{u"Label2"};
    ScrollBar VScroll1{kSelectorTop, 1, 1};

    // The dialog state.
    std::int16_t ViewMode = 0;
    std::int16_t FontMode = 0;
    std::int16_t Sound = 0;
    std::int16_t Speak = 0;
    std::int16_t OneShot = 0;
    std::int16_t Frase_No = 0;
    std::int16_t MsgLast = 0;
    std::string MsgPath;      // remembered by MsgRead for MsgWrite
    std::u16string MsgText;   // the editor text MsgRead built
    PhraseEncoding MsgEncoding = PhraseEncoding::ShiftJis;  // how MsgWrite writes it back
    std::vector<long> MsgChangedLines;  // lines a save would not write back as they were
    CodeChoices MsgCodes;  // the codes a save writes the characters in

private:
    std::int16_t ReadSetting(const char* section, const char* key);
    void SetSoundButtonsEnabled(bool enabled);
    int SelectorLimit() const;
    std::u16string ChangedLinesText() const;

    DialogPlatform& p_;
};

}  // namespace kel
