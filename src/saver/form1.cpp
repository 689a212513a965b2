// The saver window's lifecycle: Load, input, close.
#include "saver/form1.h"

#include "data/paths.h"
#include "platform/text.h"

namespace kel {

Form1::Form1(SaverPlatform& platform) : MsgList(kMsgListSize), p_(platform) {}

void Form1::Load() {
    KeySound = p_.Process.LoadCustomResource(kKeySoundId);
    TitleSound = p_.Process.LoadCustomResource(kTitleSoundId);
    // A save cut short is finished by its journal's rules before anything
    // looks at the data files.
    p_.Files.RecoverInterruptedRewrite(PhrasePath());
    p_.Files.RecoverInterruptedRewrite(SettingsPath());
    ChkFiles();
    InitRead();
    FontsizeSet();
    Read_Msg();

    p_.Label1.SetCaption(u"");
    p_.Label1.SetForeColor(0xFFFFFF);
    p_.Label2.SetCaption(u"");
    p_.Label2.SetForeColor(0xFFFFFF);
    p_.Label2.SetFontSize(kSayingPoints);

    p_.Window.SetLeftTop(0.0f, 0.0f);
    Armed = 0;
    MsgNo = Frase_No;
    p_.Window.SetBackColor(static_cast<std::uint32_t>(BackCol));
    const float screenWidth = p_.Window.ScreenWidthTwips();
    const float screenHeight = p_.Window.ScreenHeightTwips();
    p_.Window.SetSize(screenWidth, screenHeight);
    p_.Label1.SetTop((screenHeight - p_.Label1.Height()) / 2.0f);

    p_.Window.Show();
    p_.Window.EnableTimer(true);
    p_.Window.MakeTopmost();
}

void Form1::Click() { UnloadAndEnd(); }

// A key or a mouse movement ends the saver only once the first tick has begun,
// and never in one-shot mode; both are compared with exactly 1.
void Form1::KeyDown() {
    if (Armed != 1) return;
    if (OneShot == 1) return;
    UnloadAndEnd();
}

void Form1::MouseMove() {
    if (Armed != 1) return;
    if (OneShot == 1) return;
    UnloadAndEnd();
}

// The section is spelled "StartUP" here; profile sections match without
// regard to case, so this lands in the file's "[StartUp]" section.
void Form1::QueryUnload() {
    p_.Profile.WriteString(SettingsPath(), "StartUP", "Frase_No", DecimalText(Frase_No));
}

void Form1::UnloadAndEnd() {
    p_.Window.Unload();
    p_.Process.EndProgram();
}

}  // namespace kel
