// The phrase editor's side of the phrase file: loading it by the item rule
// and saving the editor's text over it without ever losing the old file.
#include <cstdint>
#include <string>
#include <vector>

#include "data/items.h"
#include "data/paths.h"
#include "data/phrase_encoding.h"
#include "dialog/form2.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace kel {

namespace {

const std::u16string kCrLf = u"\r\n";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// "U+" and at least four upper-case hex digits, as character tables name it.
std::u16string CodePointText(std::uint32_t codePoint) {
    std::u16string hex;
    do {
        hex.insert(hex.begin(), u"0123456789ABCDEF"[codePoint & 0xF]);
        codePoint >>= 4;
    } while (codePoint != 0 || hex.size() < 4);
    return u"U+" + hex;
}

// The characters of `text` that code page 932 cannot hold, each once, with
// the line where it first appears, for the user to find and fix them. Only
// code units the codec already named are looked at, so that a long text costs
// little.
std::u16string DescribeUnrepresentable(const Codec& codec, PhraseEncoding encoding,
                                       const std::u16string& text,
                                       const std::u16string& reported) {
    const std::size_t kMaxListed = 10;
    std::vector<std::u16string> seen;
    std::u16string list;
    std::size_t more = 0;
    long line = 1;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            length = 2;
        }
        const std::u16string character = text.substr(i, length);
        const std::size_t at = i;
        i += length;
        if (character == u"\n") ++line;

        bool named = false;
        for (char16_t unit : character) named = named || reported.find(unit) != std::u16string::npos;
        if (!named) continue;
        bool listed = false;
        for (const auto& s : seen) listed = listed || s == character;
        if (listed) continue;
        std::string ignored;
        if (EncodePhrase(codec, encoding, character, ignored)) continue;
        seen.push_back(character);
        if (seen.size() > kMaxListed) {
            ++more;
            continue;
        }

        std::uint32_t codePoint = character[0];
        if (length == 2) {
            codePoint = 0x10000 + ((character[0] - 0xD800u) << 10) + (character[1] - 0xDC00u);
        }
        const bool printable = length == 2 || !(IsHighSurrogate(text[at]) || IsLowSurrogate(text[at]));
        list += u"\r\n";
        if (printable) list += u"「" + character + u"」 ";
        list += CodePointText(codePoint) + u"（" + DecimalText16(line) + u" 行目）";
    }
    if (seen.empty()) {
        // The codec named characters that the scan could not place; list
        // them as named.
        for (char16_t unit : reported) list += u"\r\n" + CodePointText(unit);
    }
    if (more > 0) list += u"\r\nほか " + DecimalText16(static_cast<long>(more)) + u" 文字";
    return list;
}

}  // namespace

// The lines a save would change, at most a handful of them by number.
std::u16string Form2::ChangedLinesText() const {
    const std::size_t kMaxListed = 20;
    std::u16string text;
    for (std::size_t i = 0; i < MsgChangedLines.size() && i < kMaxListed; ++i) {
        text += (i == 0 ? u"" : u", ") + DecimalText16(MsgChangedLines[i]);
    }
    text += u" 行目";
    if (MsgChangedLines.size() > kMaxListed) {
        text += u"ほか " + DecimalText16(static_cast<long>(MsgChangedLines.size() - kMaxListed)) +
                u" 行";
    }
    return text;
}

// Items, not lines: a comma splits a line into several items, each shown on
// its own line; an empty line is counted but shows nothing. Every non-empty
// item is followed by CR LF in the editor. A save cut short is undone first.
void Form2::MsgRead() {
    MsgPath = PhrasePath();
    p_.Files.RecoverInterruptedRewrite(MsgPath);
    std::string bytes;
    try {
        bytes = p_.Files.ReadAll(MsgPath);
    } catch (const KelError& error) {
        if (error.kind() != ErrorKind::FileNotFound && error.kind() != ErrorKind::PathNotFound) {
            throw;
        }
        // The dialog never creates the file; say which one is missing and
        // how it comes into being.
        throw KelError(error.kind(), "opening the settings dialog",
                       "フレーズファイル " + MsgPath +
                           " がありません。スクリーンセーバーを一度動かすと作られます。"
                           "そのあとで設定を開き直してください。\n"
                           "The phrase file " + MsgPath +
                           " is missing. The screen saver creates it the first time it "
                           "runs: run the screen saver once, then open its settings again.",
                       error.systemText());
    }
    MsgEncoding = DetectPhraseEncoding(p_.Codec, bytes);
    if (MsgEncoding == PhraseEncoding::Utf8WithMark) bytes.erase(0, kUtf8Mark.size());

    // The editor shows a text only up to its first NUL, and a save would
    // then write that cut text: the file is not opened at all.
    const long nulLine = LineOfFirstNul(bytes);
    if (nulLine > 0) {
        const std::string line = DecimalText(nulLine);
        throw KelError(ErrorKind::InvalidValue, "opening the settings dialog",
                       "フレーズファイル " + MsgPath + " の " + line +
                           " 行目に NUL 文字（0x00）があります。エディターはそこから後ろを表示"
                           "できず、保存するとその後ろのフレーズが消えてしまうため、開きません。"
                           "ほかのエディターでその文字を消してください。\n"
                           "The phrase file " + MsgPath + " holds a NUL byte (0x00) on line " +
                           line + ". The editor would cut the text there and a save would erase "
                           "every saying after it, so it is not opened; remove that byte with "
                           "another editor.");
    }
    MsgCodes = CodeChoicesOf(p_.Codec, MsgEncoding, bytes);
    MsgChangedLines = LinesChangedBySave(p_.Codec, MsgEncoding, MsgCodes, bytes);

    MsgText.clear();
    int n = 0;
    for (const std::string& item : SplitItems(bytes)) {
        if (!item.empty()) MsgText += DecodePhrase(p_.Codec, MsgEncoding, item) + kCrLf;
        // The count is 16-bit; past its largest value it stays there.
        if (n < kMaxItemCount) ++n;
    }
    MsgLast = static_cast<std::int16_t>(n - 1);
    Text1.SetText(MsgText);
    Label1.SetCaption(u"表示するメッセージ ：　" + DecimalText16(n) + u" フレーズ");
}

// The text and one CR LF, in the file's own encoding (a UTF-8 file keeps its
// byte order mark, or its lack of one; a character code page 932 has two
// codes for keeps the one the file used), written beside the old file and put
// in its place only once complete. Characters the encoding cannot hold are
// never replaced by something else: the save is refused instead. A file that
// held bytes valid in neither encoding is written only once the user agrees.
// The next load must read the text that was saved: UTF-8 bytes it would read
// otherwise get the mark; Shift-JIS bytes it would take for UTF-8 are written
// as UTF-8 with the mark if the user agrees, else not at all.
bool Form2::MsgWrite() {
    const std::u16string text = Text1.Text() + kCrLf;
    std::string bytes;
    std::u16string reported;
    if (!EncodePhraseAsBefore(p_.Codec, MsgEncoding, text, MsgCodes, bytes, &reported)) {
        const std::u16string which = MsgEncoding == PhraseEncoding::ShiftJis
                                         ? u"日本語の文字コード（シフト JIS）"
                                         : u"UTF-8";
        p_.Messages.ShowMessage(
            u"メッセージを保存できませんでした。\r\n"
            u"次の文字は" + which + u"で保存できません。"
            u"消すか別の文字に置き換えてから、もう一度保存してください。\r\n" +
            DescribeUnrepresentable(p_.Codec, MsgEncoding, text, reported));
        return false;
    }
    if (MsgEncoding == PhraseEncoding::Utf8WithMark) bytes.insert(0, kUtf8Mark);
    if (!MsgChangedLines.empty() &&
        !p_.Messages.Confirm(u"フレーズファイルの次の行は、元のバイトのままでは保存できません。"
                             u"正しくないバイトは別の文字に変わり、同じ文字の別のコードは"
                             u"一つにそろいます。\r\n" +
                             ChangedLinesText() + u"\r\n\r\nそれでも保存しますか？")) {
        return false;
    }
    // Written so that the next load reads this very text.
    const PhraseEncoding next = DetectPhraseEncoding(p_.Codec, bytes);
    const bool asUtf8 = DecodePhrase(p_.Codec, next, PhraseBody(bytes, next)) !=
                        DecodePhrase(p_.Codec, MsgEncoding, PhraseBody(bytes, MsgEncoding));
    if (asUtf8) {
        if (MsgEncoding == PhraseEncoding::ShiftJis &&
            !p_.Messages.Confirm(u"このままシフト JIS で保存すると、次に読み込むときに UTF-8 と"
                                 u"取り違えられ、別の文字になってしまいます。\r\n"
                                 u"UTF-8（BOM 付き）で保存しますか？「いいえ」なら保存しません。")) {
            return false;
        }
        EncodePhrase(p_.Codec, PhraseEncoding::Utf8, text, bytes);
        bytes.insert(0, kUtf8Mark);
    }
    try {
        p_.Files.ReplaceAll(MsgPath, bytes);
    } catch (const KelError& error) {
        const std::u16string path = Utf8ToUtf16(MsgPath);
        std::u16string what;
        switch (error.saveOutcome()) {
        case SaveOutcome::OldFileUnchanged:
            what = u"メッセージを保存できませんでした。\r\n"
                   u"元のファイル " + path + u" はそのまま残っています。";
            break;
        case SaveOutcome::OldFileAside:
            what = u"メッセージを保存できませんでした。\r\n"
                   u"ファイル " + path + u" は書きかけで壊れています。元の内容はそっくり " +
                   path + u".kel-journal に残っていて、次に起動したときに元に戻されます。";
            break;
        case SaveOutcome::NewFileSaved:
            what = u"メッセージは保存されましたが、そのあとでエラーが起きました。\r\n"
                   u"ファイル " + path + u" には新しいテキストが入っています。";
            break;
        }
        p_.Messages.ShowMessage(what + u"編集中のテキストも消えていません。\r\n\r\n" +
                                Utf8ToUtf16(error.Report()));
        return false;
    }
    if (asUtf8) {
        MsgEncoding = PhraseEncoding::Utf8WithMark;
        MsgCodes = CodeChoices();
        p_.Messages.ShowMessage(u"メッセージを UTF-8（BOM 付き）で保存しました。次に読み込むときに"
                                u"別の文字コードと取り違えられないよう、BOM を付けています。");
    }
    return true;
}

}  // namespace kel
