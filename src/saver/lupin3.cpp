// The title card: the saying revealed one character at a time, each alone on
// screen at the title-card size, centred, with its clack and a 200 ms pause.
// The label is hidden while its caption changes and while it moves; events are
// pumped only once it is shown again, so every repaint shows a character that
// is already centred. Failures are left to the tick's guard.
#include "saver/centre.h"
#include "saver/form1.h"
#include "saver/int16_ops.h"

namespace kel {

void Form1::Lupin3() {
    Label& label1 = p_.Label1;
    SaverWindow& window = p_.Window;

    p_.Label2.SetVisible(false);
    label1.SetCaption(u"\u3000");  // the blank card: one ideographic space
    label1.SetFontSize(static_cast<float>(CardSize));
    Centre(label1, window);

    const std::u16string& saying = MsgEntry(MsgList, MsgNo);
    // A character outside the Basic Multilingual Plane (a UTF-8 phrase file
    // can hold one) is two code units, shown together on one card.
    const auto unitsAt = [&saying](std::size_t at) -> std::size_t {
        const bool pair = at + 1 < saying.size() && saying[at] >= 0xD800 && saying[at] <= 0xDBFF &&
                          saying[at + 1] >= 0xDC00 && saying[at + 1] <= 0xDFFF;
        return pair ? 2 : 1;
    };
    long characters = 0;
    for (std::size_t at = 0; at < saying.size(); at += unitsAt(at)) ++characters;
    const std::int16_t length = Checked16(characters, "counting the characters of a saying");

    // The position counts in 16 bits like the length: after a saying of
    // exactly 32,767 characters it overflows and the card is left as it is.
    std::size_t at = 0;
    for (std::int16_t position = 1; position <= length;) {
        const std::u16string character = saying.substr(at, unitsAt(at));
        at += character.size();
        label1.SetVisible(false);
        label1.SetCaption(character);
        Centre(label1, window);
        label1.SetVisible(true);
        window.PumpEvents();  // the character comes on screen
        if (Sound == 1 && Speak == 0) p_.Sound.Play(KeySound);
        window.Sleep(kPausePerCharMs);  // no pumping: input waits for the next card
        position = Add16(position, 1, "counting the characters of a saying");
    }

    label1.SetCaption(u"");
    window.PumpEvents();
}

}  // namespace kel
