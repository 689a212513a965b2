// The dialog's save path with arbitrary UTF-16 editor text: the real Form2
// (MsgWrite, then MsgRead of what it wrote) over the unit tests' fakes of
// the file, profile and code page 932. What must hold for any text:
//  - a save either writes the text and one CR LF, in code page 932, or
//    refuses, leaves the file untouched and names the characters;
//  - nothing else is written: no character dropped or added;
//  - the item rule drops nothing but blanks, commas, double quotes and line
//    ends;
//  - once the text is plain (no comma, quote, lone CR or LF, no empty line,
//    no line that begins with a blank), loading and saving again changes
//    nothing.
#include "dialog_save_fuzz.h"

#include <cstdlib>
#include <string>

#include "../tests/unit/dialog_fakes.h"
#include "data/items.h"
#include "platform/errors.h"

namespace {

using namespace kel;
using namespace kel::fake;

void Check(bool ok) {
    if (!ok) std::abort();
}

const char kDat[] = "c:\\windows\\kel.dat";

struct Dialog {
    Log log;
    FakeDialogWindow window{log};
    FakeMessages messages;
    FakeProfile profile;
    DialogPlatform platform;
    Form2 form;
    Dialog(FakeFiles& files, FakeCodec& codec)
        : profile(files), platform{window, messages, files, profile, codec}, form(platform) {}
};

std::string Without(const std::string& bytes, const char* dropped) {
    std::string out;
    for (char c : bytes) {
        if (std::string(dropped).find(c) == std::string::npos) out += c;
    }
    return out;
}

bool Plain(const std::u16string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string line = text.substr(start, end - start);
        if (line.empty() || line[0] == u' ') return false;  // an empty line is not kept
        if (line.find_first_of(u",\"\r\n") != std::u16string::npos) return false;
        start = end + 2;
    }
    return true;
}

// Saves `text` from a dialog loaded from the file as it stands; returns
// whether the save went through.
bool Save(FakeFiles& files, FakeCodec& codec, const std::u16string& text) {
    Dialog dialog(files, codec);
    dialog.form.MsgRead();
    dialog.form.Text1.SetText(text);
    const std::string before = files.files[kDat];
    const bool saved = dialog.form.MsgWrite();
    if (!saved) {
        Check(files.files[kDat] == before);
        Check(dialog.messages.messages.size() == 1);
        Check(dialog.messages.messages[0].find("U+") != std::string::npos);
        std::string ignored;
        Check(!codec.Encode(text + u"\r\n", ignored, nullptr));
    }
    return saved;
}

}  // namespace

void FuzzDialogSave(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    FakeFiles files;
    FakeCodec codec;
    files.files[kDat] = "title\r\n";
    if (!Save(files, codec, text)) return;

    const std::string written = files.files[kDat];
    std::string expected;
    Check(codec.Encode(text + u"\r\n", expected, nullptr));
    Check(written == expected);
    std::string items;
    for (const std::string& item : SplitItems(written)) items += item;
    const char kDropped[] = " ,\"\r\n";
    Check(Without(items, kDropped) == Without(written, kDropped));
    if (written.find('\0') != std::string::npos) {
        // The editor would cut the text at a NUL: the dialog does not open it.
        Dialog refused(files, codec);
        bool threw = false;
        try {
            refused.form.MsgRead();
        } catch (const KelError&) {
            threw = true;
        }
        Check(threw);
        return;
    }

    // Load and save unchanged, then load again: plain text is then stable.
    Dialog first(files, codec);
    first.form.MsgRead();
    const std::u16string loaded = first.form.Text1.Text();
    Check(first.form.MsgWrite());  // what was decoded from code page 932 encodes again
    const std::string second = files.files[kDat];
    Dialog next(files, codec);
    next.form.MsgRead();
    const std::u16string again = next.form.Text1.Text();
    if (Plain(loaded)) {
        Check(again == loaded);
        Check(next.form.MsgWrite());
        Check(files.files[kDat] == second);
    }
}
