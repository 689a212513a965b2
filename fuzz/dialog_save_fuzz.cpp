// The dialog's save path with arbitrary UTF-16 editor text, and its load path
// with arbitrary phrase files: the real Form2 (MsgWrite, then MsgRead of what
// it wrote) over the unit tests' fakes of the file, profile and code page
// 932, the user agreeing to every question. What must hold:
//  - a save either writes the text and one CR LF, in code page 932, or in
//    UTF-8 with the mark once the user agreed to it, or refuses, leaves the
//    file untouched and names the characters;
//  - what a save writes is read in the encoding it was written in;
//  - nothing else is written: no character dropped or added;
//  - the item rule drops nothing but blanks, commas, double quotes and line
//    ends;
//  - once the text is plain (no comma, quote, lone CR or LF, no empty line,
//    no line that begins with a blank), loading and saving again changes
//    nothing;
//  - a file that is its items one per line, each ending in CR LF, and one
//    empty line is written back byte for byte by an unchanged save, unless
//    the dialog named lines that change or said it changed the encoding.
#include "dialog_save_fuzz.h"

#include <cstdlib>
#include <string>

#include "../tests/unit/dialog_fakes.h"
#include "data/items.h"
#include "data/phrase_encoding.h"
#include "platform/errors.h"
#include "platform/text.h"

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
        : profile(files), platform{window, messages, files, profile, codec}, form(platform) {
        messages.agree = true;
    }
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

// The encoding the dialog's next load reads the file in.
PhraseEncoding ReadAs(const FakeCodec& codec, const std::string& bytes) {
    return DetectPhraseEncoding(codec, bytes);
}

// The text the next load reads from the file, line ends and all.
std::u16string ReadBack(const FakeCodec& codec, const std::string& bytes) {
    const PhraseEncoding encoding = ReadAs(codec, bytes);
    return DecodePhrase(codec, encoding, PhraseBody(bytes, encoding));
}

// Saves `text` from a dialog loaded from the file as it stands; returns
// whether the save went through, and in `switched` whether the user was asked
// to save Shift-JIS text as UTF-8.
bool Save(FakeFiles& files, FakeCodec& codec, const std::u16string& text, bool* switched) {
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
    *switched = !dialog.messages.questions.empty();
    return saved;
}

// Loads and saves unchanged, then loads again: plain text is then stable, and
// a second unchanged save writes the bytes of the first. Returns whether the
// first dialog said nothing (asked nothing, told nothing); `written` is what
// it wrote.
bool LoadSaveLoad(FakeFiles& files, FakeCodec& codec,
                                      std::string* written) {
    Dialog first(files, codec);
    first.form.MsgRead();
    const std::u16string loaded = first.form.Text1.Text();
    Check(first.form.MsgWrite());  // what was decoded encodes again
    *written = files.files[kDat];
    Check(ReadBack(codec, *written) == loaded + u"\r\n");
    Dialog next(files, codec);
    next.form.MsgRead();
    const std::u16string again = next.form.Text1.Text();
    if (Plain(loaded)) {
        Check(again == loaded);
        Check(next.form.MsgWrite());
        Check(files.files[kDat] == *written);
    }
    return first.messages.questions.empty() && first.messages.messages.empty();
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
    bool switched = false;
    if (!Save(files, codec, text, &switched)) return;

    const std::string written = files.files[kDat];
    std::string expected;
    Check(codec.Encode(text + u"\r\n", expected, nullptr));
    if (switched) {
        // Only bytes the next load would take for UTF-8 are written as UTF-8.
        Check(ReadAs(codec, expected) != PhraseEncoding::ShiftJis);
        expected = kUtf8Mark + Utf16ToUtf8(text + u"\r\n");
    }
    Check(written == expected);
    Check(ReadBack(codec, written) == text + u"\r\n");
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
    std::string again;
    LoadSaveLoad(files, codec, &again);
}

void FuzzDialogLoad(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.find('\0') != std::string::npos) return;  // not opened (above)
    FakeFiles files;
    FakeCodec codec;
    files.files[kDat] = bytes;
    std::string written;
    const bool quiet = LoadSaveLoad(files, codec, &written);

    // A file that is its items, one per line, keeps its bytes.
    const std::string body = PhraseBody(bytes, ReadAs(codec, bytes));
    const std::vector<std::string> items = SplitItems(body);
    bool shaped = !items.empty() && items.back().empty();  // and one empty line at the end
    std::string lines;
    for (std::size_t i = 0; i < items.size(); ++i) {
        shaped = shaped && (i + 1 == items.size() || !items[i].empty());
        lines += items[i] + "\r\n";
    }
    if (quiet && shaped && lines == body) Check(written == bytes);
}
