// The saver window's side of the two data files: writing the defaults where a
// file is missing, reading the six settings, loading the sayings.
#include <string>

#include "data/defaults.h"
#include "data/lines.h"
#include "data/number.h"
#include "data/paths.h"
#include "data/phrase_encoding.h"
#include "data/startup_folder.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "saver/form1.h"

namespace kel {

namespace {

// The lines as code page 932 bytes, each followed by CR LF.
std::string EncodeLines(const Codec& codec, const std::vector<std::u16string>& lines,
                        const std::string& path) {
    std::string bytes;
    std::u16string bad;
    if (!codec.Encode(JoinWithCrLf(lines), bytes, &bad)) {
        throw KelError(ErrorKind::Unrepresentable, "writing the default file " + path,
                       "characters: " + Utf16ToUtf8(bad));
    }
    return bytes;
}

}  // namespace

// A file that exists is the user's, whatever its attributes: a hidden or
// system file is read like any other and never written over with the
// defaults, not even one that appears while they are being written. An
// existing file is never inspected or repaired.
void Form1::ChkFiles() {
    if (!p_.Files.FileExists(PhrasePath())) make_Msg();
    if (!p_.Files.FileExists(SettingsPath())) make_init();
}

// The defaults are written beside the path and put in place only once
// complete, so that a save cut short (a full disk) leaves no partial file
// that the next start would take for the user's.
void Form1::make_init() {
    const std::string path = SettingsPath();
    p_.Files.CreateNew(path, EncodeLines(p_.Codec, DefaultSettingsLines(), path));
}

void Form1::make_Msg() {
    const std::string path = PhrasePath();
    p_.Files.CreateNew(path, EncodeLines(p_.Codec, DefaultPhraseLines(), path));
}

// The saver's defaults for missing keys lie outside what the dialog writes;
// the presentation treats them like any other value.
void Form1::InitRead() {
    const std::string path = SettingsPath();
    const auto read = [&](const char* section, const char* key, const char* defaultText) {
        const std::string text = p_.Profile.GetString(path, section, key, defaultText);
        return ReadNumber16(text, path + ", [" + section + "] " + key);
    };
    ViewMode = read("View", "ViewMode", "9");
    FontMode = read("View", "FontMode", "99");
    Sound = read("Mode", "Sound", "8");
    Speak = read("Mode", "Speak", "88");
    OneShot = read("Mode", "OneShot", "888");
    if (IsStartupFolder(p_.Process.ProgramDirectory())) OneShot = 1;
    Frase_No = read("StartUp", "Frase_No", "7");
}

// Whole lines into MsgList, entry 0 being the title line. A file longer than
// the table stops at the first line that does not fit; the lines before it
// stay loaded, MsgCount and Frase_No are left as they were. A UTF-8 file is
// read as UTF-8, its byte order mark not being part of the title line.
void Form1::Read_Msg() {
    const std::string path = PhrasePath();
    std::string bytes = p_.Files.ReadAll(path);
    const PhraseEncoding encoding = DetectPhraseEncoding(p_.Codec, bytes);
    if (encoding == PhraseEncoding::Utf8WithMark) bytes.erase(0, kUtf8Mark.size());
    LineReader reader(bytes);
    int i = 0;
    while (!reader.AtEnd()) {
        if (i > kMsgListSize - 1) {
            throw KelError(ErrorKind::SubscriptOutOfRange, "reading the phrase file " + path,
                           "line " + DecimalText(i + 1) + ": the saver holds at most " +
                               DecimalText(kMsgListSize) + " lines");
        }
        MsgList[i] = DecodePhrase(p_.Codec, encoding, reader.Next());
        ++i;
    }
    MsgCount = static_cast<std::int16_t>(i);
    // Only a start index past the count is reset; one equal to it, or a
    // negative one, stays as read.
    if (Frase_No > MsgCount) Frase_No = 0;
}

}  // namespace kel
