// What we test: the three byte-level readers of the data files.
//  - The number rule for settings values: blanks trimmed, the leading number
//    with sign, fraction and exponent, halves to even, 16-bit range with an
//    overflow report that names the key and the value; the NUL that ends a
//    profile buffer.
//  - The saver's whole-line rule: CR LF and a lone CR end a line, a lone LF
//    does not, the last line needs no end, a trailing empty line counts, NUL
//    bytes are ordinary bytes; the one-line-at-a-time reader agrees.
//  - The editor's item rule: commas, quoted items, leading blanks, empty
//    lines, a last line without CR LF.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/items.h"
#include "data/lines.h"
#include "data/number.h"
#include "platform/errors.h"

namespace kel {
namespace {

using Strings = std::vector<std::string>;

std::int16_t Num(const std::string& text) { return ReadNumber16(text, "test key"); }

// --- the number rule ----------------------------------------------------------

TEST(NumberRule, TrimsBlanksAndTakesTheLeadingNumber) {
    EXPECT_EQ(Num("1"), 1);
    EXPECT_EQ(Num("  1"), 1);
    EXPECT_EQ(Num("1   "), 1);
    EXPECT_EQ(Num("   1   "), 1);
    EXPECT_EQ(Num("12abc"), 12);
    EXPECT_EQ(Num("3 4"), 3);        // a blank inside ends the number
    EXPECT_EQ(Num("1,5"), 1);        // a comma is no decimal point
    EXPECT_EQ(Num("007"), 7);
    EXPECT_EQ(Num("0000000000000000000000000000012"), 12);
    EXPECT_EQ(Num("-7"), -7);
    EXPECT_EQ(Num("+3"), 3);
    EXPECT_EQ(Num("-0"), 0);
}

TEST(NumberRule, TextWithoutALeadingNumberIsZero) {
    for (const char* text : {"", " ", "          ", "abc", "x1", "-", "+", ".", "-.", "+-5",
                             "--1", "e3", "\t1", "\x82\xa0"}) {
        EXPECT_EQ(Num(text), 0) << '"' << text << '"';
    }
}

TEST(NumberRule, RoundsHalvesToEven) {
    EXPECT_EQ(Num("1.5"), 2);
    EXPECT_EQ(Num("2.5"), 2);
    EXPECT_EQ(Num("3.5"), 4);
    EXPECT_EQ(Num("0.5"), 0);
    EXPECT_EQ(Num(".5"), 0);
    EXPECT_EQ(Num("-0.5"), 0);
    EXPECT_EQ(Num("-1.5"), -2);
    EXPECT_EQ(Num("-2.5"), -2);
    EXPECT_EQ(Num("2.4999999"), 2);
    EXPECT_EQ(Num("2.51"), 3);
    EXPECT_EQ(Num("0.05"), 0);
    EXPECT_EQ(Num("0.9"), 1);
    EXPECT_EQ(Num("1."), 1);
    // More digits than a double holds: still just above one half.
    EXPECT_EQ(Num("2.500000000000000000000000001"), 3);
    EXPECT_EQ(Num("2.500000000000000000000000000"), 2);
}

TEST(NumberRule, ReadsExponents) {
    EXPECT_EQ(Num("1e3"), 1000);
    EXPECT_EQ(Num("1E3"), 1000);
    EXPECT_EQ(Num("1e+3"), 1000);
    EXPECT_EQ(Num("2.5e1"), 25);
    EXPECT_EQ(Num("15e-1"), 2);   // 1.5
    EXPECT_EQ(Num("25e-1"), 2);   // 2.5
    EXPECT_EQ(Num("35E-1"), 4);
    EXPECT_EQ(Num("1e-400"), 0);
    EXPECT_EQ(Num("0e999999999999999999"), 0);
    EXPECT_EQ(Num("-3.2767e4"), -32767);
    // An 'e' without digits is not part of the number.
    EXPECT_EQ(Num("1e"), 1);
    EXPECT_EQ(Num("4e+"), 4);
    EXPECT_EQ(Num("5ex"), 5);
}

TEST(NumberRule, SixteenBitRange) {
    EXPECT_EQ(Num("32767"), 32767);
    EXPECT_EQ(Num("-32768"), -32768);
    EXPECT_EQ(Num("32767.4"), 32767);
    EXPECT_EQ(Num("-32768.5"), -32768);  // the tie goes to the even -32768
    for (const char* text : {"40000", "-40000", "32768", "-32769", "32767.5", "-32768.51",
                             "99999999999999999999999", "1e5", "1e400", "-1e999999999999"}) {
        EXPECT_THROW(Num(text), KelError) << text;
    }
}

TEST(NumberRule, OverflowReportNamesKeyAndValue) {
    try {
        ReadNumber16("  40000 ", "c:\\windows\\kel.ini, [Mode] Sound");
        FAIL() << "no overflow";
    } catch (const KelError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        const std::string report = e.Report();
        EXPECT_NE(report.find("c:\\windows\\kel.ini, [Mode] Sound"), std::string::npos) << report;
        EXPECT_NE(report.find("\"40000\""), std::string::npos) << report;
    }
    // Bytes that are not ASCII appear escaped, so the report stays UTF-8.
    try {
        ReadNumber16(std::string("70000\x82\xa0"), "k");
        FAIL() << "no overflow";
    } catch (const KelError& e) {
        EXPECT_NE(e.detail().find("70000\\x82\\xA0"), std::string::npos) << e.detail();
    }
}

TEST(NumberRule, StopsAtTheNulOfAProfileBuffer) {
    // A buffer of 255 blanks after the profile function put "5" and its NUL.
    std::string buffer(255, ' ');
    buffer.replace(0, 2, std::string("5\0", 2));
    EXPECT_EQ(Num(buffer), 5);
    EXPECT_EQ(Num(std::string(" 12\0" "99", 6)), 12);
    EXPECT_EQ(Num(std::string("\0" "7", 2)), 0);
}

// --- the whole-line rule ----------------------------------------------------

TEST(LineRule, LineEnds) {
    struct Case {
        std::string bytes;
        Strings lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},                 // the last line needs no end
        {"a\rb\r", {"a", "b"}},                 // a lone CR ends a line
        {"a\nb\r\n", {"a\nb"}},                 // a lone LF stays in the text
        {"a\n\r\n\n", {"a\n", "\n"}},
        {"a\r\n\r\n", {"a", ""}},               // a trailing empty line counts
        {"\r\n", {""}},
        {"\r\n\r\n\r\n", {"", "", ""}},
        {"a\r\r\nb", {"a", "", "b"}},           // CR, then CR LF
        {"\r", {""}},
        {"\n", {"\n"}},
        {std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string("\0", 1)}},
        {" lead, comma\r\n", {" lead, comma"}},  // blanks and commas are kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitLines(c.bytes), c.lines) << testing::PrintToString(c.bytes);
        // The incremental reader gives the same lines and ends where they end.
        LineReader reader(c.bytes);
        Strings got;
        while (!reader.AtEnd()) got.push_back(reader.Next());
        EXPECT_EQ(got, c.lines);
        EXPECT_EQ(reader.Position(), c.bytes.size());
    }
}

TEST(LineRule, ShiftJisBytesAreNotCut) {
    // "～" is 0x81 0x60 and "表" is 0x95 0x5C: a trail byte may be a
    // backslash but never a CR.
    const std::string bytes = "\x81\x60\x95\x5c\r\n\x82\xa0";
    EXPECT_EQ(SplitLines(bytes), (Strings{"\x81\x60\x95\x5c", "\x82\xa0"}));
}

TEST(LineRule, OneMegabyteOnOneLine) {
    const std::string line(1 << 20, 'x');
    const Strings lines = SplitLines(line + "\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), line.size());
}

// --- the item rule ----------------------------------------------------------

TEST(ItemRule, CommasAndLineEnds) {
    struct Case {
        std::string bytes;
        Strings items;
    };
    const Case cases[] = {
        {"", {}},
        {"a\r\n", {"a"}},
        {"a", {"a"}},                                  // last line without CR LF
        {"a,b\r\nc\r\n", {"a", "b", "c"}},
        {"a,b", {"a", "b"}},
        {"a,", {"a"}},                                  // the comma ends the file
        {"a,\r\n", {"a", ""}},                          // then an empty item before the line end
        {",\r\n", {"", ""}},
        {"a,,b", {"a", "", "b"}},
        {"\r\n", {""}},                                 // an empty line is one empty item
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"   a b \r\n", {"a b "}},                      // leading blanks go, the rest stays
        {"  ,  x", {"", "x"}},
        {"    \r\n", {""}},
        {"a\rb", {"a", "b"}},                           // a lone CR ends the line here too
        {"a\nb\r\n", {"a\nb"}},                         // a lone LF is part of the item
        {"\x83\x41\x81\x41\x83\x43,\x82\xa0", {"\x83\x41\x81\x41\x83\x43", "\x82\xa0"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitItems(c.bytes), c.items) << testing::PrintToString(c.bytes);
    }
}

TEST(ItemRule, QuotedItems) {
    struct Case {
        std::string bytes;
        Strings items;
    };
    const Case cases[] = {
        {"\"a,b\",c\r\n", {"a,b", "c"}},                // a comma inside quotes does not split
        {"  \"a,b\"\r\nc", {"a,b", "c"}},
        {"\"\"\r\n", {""}},
        {"\"  x  \"", {"  x  "}},                       // blanks inside quotes are kept
        {"\"a\r\nb\",c", {"a\r\nb", "c"}},              // the quote runs past a line end
        {"\"open, never closed\r\n", {"open, never closed\r\n"}},
        {"\"ab\"  ,cd", {"ab", "cd"}},                  // blanks after the quote go
        {"\"ab\"cd,ef", {"abcd", "ef"}},                // text after the quote is kept
        {"x\"y\",z", {"x\"y\"", "z"}},                  // a quote inside an item is text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitItems(c.bytes), c.items) << testing::PrintToString(c.bytes);
    }
}

}  // namespace
}  // namespace kel
