#include "data/defaults.h"

namespace kel {

const std::vector<std::u16string>& DefaultPhraseLines() {
    // "～" is U+FF5E (0x81 0x60 on disk), "！" U+FF01, "、" U+3001, "・"
    // U+30FB; the blanks of the title line and the dots of line 7 are ASCII.
    // Lines 2, 4, 8 and 10 speak to made-up people.
    static const std::vector<std::u16string> lines = {
        u"*** 格言・迷言シリーズ ***",
        u"ゴン太、ええかげんにせえよ！",
        u"えぇ\uFF5Eいぃ！",
        u"ミケ子はん、それ言うたらあかんで\uFF5E",
        u"君、考え改めてもらわなあかんなぁ\uFF5E",
        u"出直してこ来んかい！！！どあほ！！！",
        u"すんまへん...ポリポリ",
        u"ポン吉どん、また寝坊かいな",
        u"このスカ・ポン・タン",
        u"なぁヨネ次郎、もうちょい気張らんかい！",
        u"こんなんあかんでぇ！！",
        u"またかいなぁ\uFF5E",
    };
    return lines;
}

const std::vector<std::u16string>& DefaultSettingsLines() {
    // The gap in line 1 is an ideographic space, U+3000.
    static const std::vector<std::u16string> lines = {
        u"kelシリーズ\u3000格言・迷言セッティングファイル",
        u"(c) kel制作チーム\u3000ご自由にお使いください",
        u"",
        u"[View]",
        u"ViewMode=0",
        u"FontMode=0",
        u"",
        u"[Mode]",
        u"Sound=1",
        u"Speak=1",
        u"",
        u"[StartUp]",
        u"Frase_No=0",
    };
    return lines;
}

std::u16string JoinWithCrLf(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (const auto& line : lines) {
        text += line;
        text += u"\r\n";
    }
    return text;
}

}  // namespace kel
