// SPDX-License-Identifier: MIT
#include "util/text.h"

#include <gtest/gtest.h>

#include <string>

namespace kavlo::util {

TEST(ReplaceAll, continuesAfterInsertedTextWithoutOverlap) {
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll("&", "&", "&amp;"), "&amp;");
    EXPECT_EQ(replaceAll("x&y&", "&", "&&"), "x&&y&&");
    EXPECT_EQ(replaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(replaceAll("abc", "d", "z"), "abc");
}

TEST(HtmlEscape, replacesAmpersandFirstAndLeavesApostrophe) {
    EXPECT_EQ(htmlEscape("a<b & c>d", false), "a&lt;b &amp; c&gt;d");
    EXPECT_EQ(htmlEscape("say \"hi\"", false), "say &quot;hi&quot;");
    EXPECT_EQ(htmlEscape("it's", false), "it's");
    EXPECT_EQ(htmlEscape("&lt;", false), "&amp;lt;");
    // With conversion, a stray Windows-1252 byte becomes its UTF-8 character.
    EXPECT_EQ(htmlEscape("caf\xE9 & co", true), "caf\xC3\xA9 &amp; co");
}

TEST(HtmlUnescape, knowsOnlyItsFourEntitiesAndResolvesAmpersandFirst) {
    EXPECT_EQ(htmlUnescape("&amp;lt;", false), "<");
    EXPECT_EQ(htmlUnescape("&#39;", false), "&#39;");
    EXPECT_EQ(htmlUnescape("&quot;a&quot; &gt; &lt;", false), "\"a\" > <");
    const std::string s = "A & <B> \"C\" 'd'";
    EXPECT_EQ(htmlUnescape(htmlEscape(s, true), true), s);
}

TEST(PercentEscape, replacesAmpersandLastAndNothingElse) {
    EXPECT_EQ(percentEscape("a&b<c>d"), "a%26b%3Cc%3Ed");
    EXPECT_EQ(percentEscape("\""), "%22");
    EXPECT_EQ(percentEscape("100% a b \xC3\xA9"), "100% a b \xC3\xA9");
}

TEST(JsEscape, escapesQuotesBackslashesAndLineBreaks) {
    EXPECT_EQ(jsEscape("It's\r\ny", false), "It\\'s  y");
    EXPECT_EQ(jsEscape("a\"b", false), "a\\\"b");
    // A caption ending in a backslash must not escape the closing quote.
    EXPECT_EQ(jsEscape("C:\\", false), "C:\\\\");
    // The backslash is doubled before the quotes are escaped, never after.
    EXPECT_EQ(jsEscape("\\'", false), "\\\\\\'");
    EXPECT_EQ(jsEscape("\xE9", true), "\xC3\xA9");
}

TEST(LineBreaks, convertOnlyCompletePairsAndExactTags) {
    EXPECT_EQ(crlfToBr("a\r\nb\nc", false), "a<br>b\nc");
    EXPECT_EQ(crlfToBr("a\r\nb\rc", true), "a<br/>b\rc");
    EXPECT_EQ(brToCrlf("a<br>b<br/>c", false), "a\r\nb<br/>c");
    EXPECT_EQ(brToCrlf("a<BR>b<br />c<br/>", true), "a<BR>b<br />c\r\n");
    const std::string intro = "Line 1\r\nLine 2\r\n\r\nEnd";
    EXPECT_EQ(brToCrlf(crlfToBr(intro, false), false), intro);
}

TEST(RepairUtf8, passesValidUtf8AndRepairsEveryOtherByteAsWindows1252) {
    const std::string valid = "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x93\xB7";
    EXPECT_EQ(repairUtf8(valid), valid);
    EXPECT_EQ(repairUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(repairUtf8("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
    EXPECT_EQ(repairUtf8("\xFF"), "\xC3\xBF");
    // Undefined bytes become the C1 control character of the same value.
    EXPECT_EQ(repairUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D");
    // Overlong forms, surrogates and truncated sequences are not valid UTF-8.
    EXPECT_EQ(repairUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(repairUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(repairUtf8("ab\xC3"), "ab\xC3\x83");
    // Input ends at the first zero byte.
    EXPECT_EQ(repairUtf8(std::string("ab\0cd", 5)), "ab");
}

TEST(MacRoman, convertsBothWaysAndMarksUnmappableCharacters) {
    EXPECT_EQ(utf8ToMacRoman("caf\xC3\xA9"), "caf\x8E");
    EXPECT_EQ(macRomanToUtf8("caf\x8E"), "caf\xC3\xA9");
    EXPECT_EQ(utf8ToMacRoman("a\xE2\x82\xAC"), "a\xDB");  // euro is 0xDB in Mac Roman
    EXPECT_EQ(utf8ToMacRoman("x\xE4\xB8\xAD"
                             "y"),
              "x?y");  // CJK has no Mac Roman form
    EXPECT_EQ(macRomanToUtf8(utf8ToMacRoman("\xC3\x9F\xC3\xB1")), "\xC3\x9F\xC3\xB1");
}

TEST(Utf8ToLatin1, marksCharactersOutsideLatin1) {
    EXPECT_EQ(utf8ToLatin1("\xC3\xA9t\xC3\xA9"), "\xE9t\xE9");
    EXPECT_EQ(utf8ToLatin1("\xE2\x82\xAC"
                           "5"),
              "?5");
    EXPECT_EQ(utf8ToLatin1("\xF0\x9F\x93\xB7!"), "?!");
}

TEST(Base64, encodesAndDecodesAnyLength) {
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("A"), "QQ==");
    EXPECT_EQ(base64Encode("AB"), "QUI=");
    EXPECT_EQ(base64Encode("abc"), "YWJj");
    EXPECT_EQ(base64Encode("C:\\Albums\\Rome"), "QzpcQWxidW1zXFJvbWU=");
    EXPECT_EQ(base64Decode("QUI="), "AB");
    EXPECT_EQ(base64Decode("QQ=="), "A");
    EXPECT_EQ(base64Encode(std::string("ab\0cd", 5)), base64Encode("ab"));
    // A trailing partial group is ignored; characters outside the alphabet count as 0.
    EXPECT_EQ(base64Decode("YWJjYW"), "abc");
    EXPECT_EQ(base64Decode("YW*j"), base64Decode("YWAj"));
    std::string longText;
    for (int i = 0; i < 2000; ++i) longText += static_cast<char>(1 + i % 255);
    EXPECT_EQ(base64Decode(base64Encode(longText)), longText);
    EXPECT_EQ(base64Encode(longText).size(), (longText.size() + 2) / 3 * 4);
}

TEST(Colours, writeRedFirstAndReadOnlyValidHex) {
    const Colour c = 0x12 | (0x34 << 8) | (0x56 << 16);
    EXPECT_EQ(colorToHex(c), "123456");
    EXPECT_EQ(colorToHex(0x0000FF), "ff0000");
    EXPECT_EQ(colorToHex(0xFF0000), "0000ff");
    Colour read = 0;
    ASSERT_TRUE(hexToColor("123456", read));
    EXPECT_EQ(read, c);
    ASSERT_TRUE(hexToColor("FF0000xyz", read));
    EXPECT_EQ(read, 0x0000FFu);
    Colour kept = 0xABCDEF;
    EXPECT_FALSE(hexToColor("12345", kept));
    EXPECT_FALSE(hexToColor("12345g", kept));
    EXPECT_FALSE(hexToColor("", kept));
    EXPECT_FALSE(hexToColor(" 12345", kept));
    EXPECT_EQ(kept, 0xABCDEFu);
    for (Colour v : {0x000000u, 0xFFFFFFu, 0x191919u, 0x555555u, 0x0A0B0Cu}) {
        Colour back = 1;
        ASSERT_TRUE(hexToColor(colorToHex(v), back));
        EXPECT_EQ(back, v);
    }
}

TEST(Format, producesTextsLongerThanAnyFixedBuffer) {
    EXPECT_EQ(format("image%04i", 7), "image0007");
    EXPECT_EQ(format("image%04i", 12345), "image12345");
    const std::string big(5000, 'x');
    EXPECT_EQ(format("[%s]", big.c_str()), "[" + big + "]");
}

}  // namespace kavlo::util
