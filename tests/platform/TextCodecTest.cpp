#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

using namespace tallix::text;

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

} // namespace

TEST(TextCodecDecode, PlainAsciiAndWindows1252) {
    EXPECT_EQ(decodeTextFile("Dear Sir,\r\nthanks."), u"Dear Sir,\r\nthanks.");
    // 0x93/0x94 are curly quotes and 0x80 the euro sign in 1252, not C1 controls.
    EXPECT_EQ(decodeTextFile(bytes({0x93, 'h', 'i', 0x94, ' ', 0x80, '5', ' ', 0xE9})),
              u"\u201Chi\u201D \u20AC5 \u00E9");
    EXPECT_EQ(decodeTextFile(""), u"");
}

TEST(TextCodecDecode, Utf8WithAndWithoutByteOrderMark) {
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF" "caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(decodeTextFile("caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80"), u"caf\u00E9 \u2014 \U0001F600");
    // With a byte-order mark the text is UTF-8 even when damaged: bad bytes become U+FFFD.
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF" "a\xE9z"), u"a\uFFFDz");
    // Only the mark: empty text.
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF"), u"");
}

TEST(TextCodecDecode, InvalidUtf8WithoutMarkFallsBackTo1252) {
    // "café" in 1252 is not valid UTF-8.
    EXPECT_EQ(decodeTextFile("caf\xE9"), u"caf\u00E9");
    // A valid UTF-8 start followed by a lone continuation byte later on.
    EXPECT_EQ(decodeTextFile("\xC3\xA9 and \xA9"), u"\u00C3\u00A9 and \u00A9");
}

TEST(TextCodecDecode, Utf16BothByteOrders) {
    EXPECT_EQ(decodeTextFile(bytes({0xFF, 0xFE, 'H', 0, 'i', 0, 0xAC, 0x20, '\r', 0, '\n', 0})), u"Hi\u20AC\r\n");
    EXPECT_EQ(decodeTextFile(bytes({0xFE, 0xFF, 0, 'H', 0, 'i', 0x20, 0xAC})), u"Hi\u20AC");
    // A surrogate pair survives; unpaired halves and an odd last byte become U+FFFD.
    EXPECT_EQ(decodeTextFile(bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE})), u"\U0001F600");
    EXPECT_EQ(decodeTextFile(bytes({0xFF, 0xFE, 0x3D, 0xD8, 'a', 0, 0x00, 0xDE, 'b'})), u"\uFFFDa\uFFFD\uFFFD");
}

TEST(TextCodecEncode, Windows1252WhenPossibleElseUtf8WithMark) {
    EXPECT_EQ(encodeTextFile(u"plain\r\n"), "plain\r\n");
    EXPECT_EQ(encodeTextFile(u"\u201Ccaf\u00E9\u201D \u20AC"), bytes({0x93, 'c', 'a', 'f', 0xE9, 0x94, ' ', 0x80}));
    EXPECT_EQ(encodeTextFile(u"\u010Dau \u00E9"), "\xEF\xBB\xBF\xC4\x8D" "au \xC3\xA9");
    // Round trip through the file form.
    for (std::u16string text : {std::u16string(u"Tsch\u00FC\u00DF \u2026"), std::u16string(u"\u041F\u0440\u0438\u0432\u0435\u0442"),
                                std::u16string(u"emoji \U0001F600")})
        EXPECT_EQ(decodeTextFile(encodeTextFile(text)), text);
}

TEST(TextCodecLineBreaks, EveryKindBecomesCrLf) {
    EXPECT_EQ(normaliseLineBreaks(u"a\rb\nc\r\nd"), u"a\r\nb\r\nc\r\nd");
    EXPECT_EQ(normaliseLineBreaks(u"\n\n\r\r\r\n"), u"\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(normaliseLineBreaks(u"\n\r"), u"\r\n\r\n");
    EXPECT_EQ(normaliseLineBreaks(u"end\r"), u"end\r\n");
    EXPECT_EQ(normaliseLineBreaks(u""), u"");
}

TEST(TextCodecUtf8, ConvertsBothWays) {
    const std::u16string text = u"A\u00E9\u0800\uFFFF\U00010000\U0010FFFF";
    const std::string utf8 = "A\xC3\xA9\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(toUtf8(text), utf8);
    EXPECT_EQ(fromUtf8(utf8), text);
    // Unpaired surrogates cannot be written.
    EXPECT_EQ(toUtf8(u"a\xD800z\xDC00"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");
}

TEST(TextCodecUtf8, MalformedInputBecomesReplacementCharacters) {
    // Overlong, surrogate, above U+10FFFF, lone continuation, truncated sequence.
    EXPECT_EQ(fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(fromUtf8("a\x80z"), u"a\uFFFDz");
    // A broken sequence never swallows the valid character after it.
    EXPECT_EQ(fromUtf8("\xE2\x82z"), u"\uFFFDz");
    EXPECT_EQ(fromUtf8("\xE2\x82"), u"\uFFFD");
    EXPECT_EQ(fromUtf8("\xF0\x9F\x98"), u"\uFFFD");
}

TEST(TextCodecUtf8, Validity) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("ascii"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(isValidUtf8("\xC1\xBF"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xE0\x9F\xBF"));     // overlong
    EXPECT_FALSE(isValidUtf8("\xF0\x8F\xBF\xBF")); // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xBF\xBF"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(isValidUtf8("\xC3"));             // truncated
    EXPECT_FALSE(isValidUtf8("\x80"));
    EXPECT_FALSE(isValidUtf8("caf\xE9"));
}

TEST(TextCodec, EssayTextIsRefusedWhenBinaryAndNormalisedWhenText) {
    using tallix::text::decodeEssayText;
    // NUL bytes outside UTF-16, or more than one control in ten, are not text.
    EXPECT_EQ(decodeEssayText(std::string("MZ\x90\0\x03", 5)), std::nullopt);
    EXPECT_EQ(decodeEssayText("\x01\x02\x03\x04 words"), std::nullopt);
    EXPECT_EQ(decodeEssayText("one\x01 control in ten"), u"one\x01 control in ten");
    EXPECT_EQ(decodeEssayText(std::string("\xFF\xFE\0\0\0\0", 6)), std::nullopt); // only NULs
    // Text: breaks of every kind become CR LF, NUL in UTF-16 becomes U+FFFD.
    EXPECT_EQ(decodeEssayText("a\rb\nc\fd\ve\r\nf"), u"a\r\nb\r\nc\r\nd\r\ne\r\nf");
    EXPECT_EQ(decodeEssayText(std::string("\xFF\xFE" "a\0b\0c\0d\0e\0f\0g\0h\0i\0j\0\0\0", 24)), u"abcdefghij\uFFFD");
    EXPECT_EQ(decodeEssayText(""), u"");
    EXPECT_EQ(decodeEssayText("caf\xC3\xA9\t\x1A"), u"caf\u00E9\t\x1A");
}

TEST(TextCodec, Utf16WithoutItsByteOrderMarkIsStillAnEssay) {
    using tallix::text::decodeEssayText;
    EXPECT_EQ(decodeEssayText(std::string("H\0i\0\r\0\n\0\xE9\0", 10)), u"Hi\r\n\u00E9");
    EXPECT_EQ(decodeEssayText(std::string("\0H\0i\0\n\x04\x1F", 8)), u"Hi\r\n\u041F");
    // Russian with a few blanks: NULs in only some pairs, but enough of them.
    EXPECT_EQ(decodeEssayText(std::string("\x1F\x04 \0\x1F\x04 \0", 8)), u"\u041F \u041F ");
    // NULs on both sides, too few of them, an odd length, or binary once decoded.
    EXPECT_EQ(decodeEssayText(std::string("a\0\0b", 4)), std::nullopt);
    EXPECT_EQ(decodeEssayText(std::string("abcdefghijklmn\0x", 16)), std::nullopt);
    EXPECT_EQ(decodeEssayText(std::string("a\0b\0c", 5)), std::nullopt);
    EXPECT_EQ(decodeEssayText(std::string("\x01\0\x02\0\x03\0", 6)), std::nullopt);
}
