// The quick reader of our own RTF must give exactly what the full reader gives,
// or refuse: never a different text or colour.
#include "document/QuickRtfText.h"
#include "document/RtfReader.h"
#include "document/RtfWriter.h"

#include "BufferTestSupport.h"
#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace tallix;
using tallix::testing::format;

namespace {

// The runs of one colour in what the full reader gave, as the quick reader
// reports them: adjacent runs joined, paragraph breaks left out.
std::vector<QuickRtfText::Run> runsOf(const RichContent& c, Colour wanted) {
    std::vector<QuickRtfText::Run> runs;
    int pos = 0;
    bool open = false;
    for (const FormatRun& r : c.runs) {
        for (int i = pos; i < pos + r.length; ++i) {
            const bool isBreak = c.text[std::size_t(i)] == u'\r' || c.text[std::size_t(i)] == u'\n';
            if (r.format.colour != wanted || isBreak) {
                open = false;
                continue;
            }
            if (!open)
                runs.push_back({i, i});
            open = true;
            runs.back().end = i + 1;
        }
        pos += r.length;
    }
    return runs;
}

// Reads bytes both ways: when the quick reader accepts them, text and runs must
// be the full reader's. Returns whether it accepted.
bool expectSameAsFullReader(const std::string& bytes, const std::string& what) {
    QuickRtfText quick;
    if (!readQuickRtfText(bytes, clRed, quick))
        return false;
    RichContent full;
    EXPECT_TRUE(readRtf(bytes, full).ok) << what;
    EXPECT_TRUE(quick.text() == full.text) << what << ": the text differs";
    const auto want = runsOf(full, clRed);
    EXPECT_EQ(quick.runs.size(), want.size()) << what;
    for (std::size_t i = 0; i < std::min(want.size(), quick.runs.size()); ++i) {
        EXPECT_EQ(quick.runs[i].start, want[i].start) << what << ": run " << i;
        EXPECT_EQ(quick.runs[i].end, want[i].end) << what << ": run " << i;
    }
    return true;
}

RichContent randomContent(std::mt19937& rng) {
    const std::vector<std::u16string> pieces = {
        u"Sp", u"word", u" ", u"\t", u"\\", u"{", u"}", u"?", u";", u"'", u"\u00e9", u"\u20ac",
        u"\u0416", u"\u4e2d", u"\U0001F600", std::u16string(1, char16_t(0xD800)),
        std::u16string(1, char16_t(0xDC00)), std::u16string(1, u'\0'), std::u16string(1, char16_t(1)),
        u"\u0081", u"\u00a0", u"\x7f", u"\f", u"TallixComments:"};
    const std::vector<CharFormat> formats = {
        format(clBlack), format(clWindowText), format(clRed, fsItalic, 16, u"Arial", 60),
        format(clRed), format(clBlue, fsUnderline), format(clNavy, fsUnderline),
        format(clGreen, fsBold, 16, u"Arial", 60), format(clTeal, 0, 20, u"Times;{New}\\ Roman", -40),
        format(clSilver, fsStrikeOut, 24, u"Courier New", -100)};
    const std::vector<ParaFormat> paras = {ParaFormat{}, ParaFormat{Alignment::Center, 0},
                                           ParaFormat{Alignment::Right, 360}};
    auto pick = [&](std::size_t n) { return std::size_t(rng() % n); };
    RichContent c;
    for (std::size_t s = pick(60); s > 0; --s) {
        const CharFormat& f = formats[pick(formats.size())];
        if (pick(7) == 0)
            c.appendParagraphBreak(f, paras[pick(paras.size())]);
        else
            c.appendText(pieces[pick(pieces.size())], f);
    }
    return c;
}

} // namespace

TEST(QuickRtfText, ReadsWhatOurWriterWritesExactlyAsTheFullReader) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        const std::string rtf = writeRtf(randomContent(rng));
        EXPECT_TRUE(expectSameAsFullReader(rtf, "seed " + std::to_string(seed)))
            << "our own writer's file was refused: " << rtf;
        if (HasFailure())
            break;
    }
}

TEST(QuickRtfText, DamagedOrForeignBytesAreRefusedOrReadTheSame) {
    // Bytes of our writer's files changed at random: whatever the quick reader
    // still accepts must read as the full reader reads it.
    int accepted = 0;
    const std::string alphabet = "\\{}'; \r\n?-0123456789abcdefuplarcfsqidn\x80\xe9";
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::mt19937 rng(seed);
        std::string rtf = writeRtf(randomContent(rng));
        for (int k = 0, n = 1 + int(rng() % 3); k < n && !rtf.empty(); ++k) {
            const std::size_t at = rng() % rtf.size();
            switch (rng() % 3) {
            case 0:
                rtf[at] = alphabet[rng() % alphabet.size()];
                break;
            case 1:
                rtf.insert(at, 1, alphabet[rng() % alphabet.size()]);
                break;
            default:
                rtf.erase(at, 1 + rng() % 4);
                break;
            }
        }
        accepted += expectSameAsFullReader(rtf, "seed " + std::to_string(seed)) ? 1 : 0;
        if (HasFailure())
            break;
    }
    EXPECT_GT(accepted, 300); // the changes that keep to the vocabulary are read
}

TEST(QuickRtfText, OtherWritersFilesAreLeftToTheFullReader) {
    // Files of word processors and older controls use words and groups our writer
    // never does; every one of them is either refused or read the same.
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(TALLIX_TEST_DATA)) {
        if (!e.is_regular_file())
            continue;
        std::string bytes;
        ASSERT_TRUE(fileio::readFile(e.path().string(), bytes).ok);
        if (!looksLikeRtf(bytes))
            continue;
        ++files;
        expectSameAsFullReader(bytes, e.path().string());
    }
    EXPECT_GT(files, 10);
}

TEST(QuickRtfText, SurrogatesAndTheCharactersTheReaderReplaces) {
    // A high half with no low half, a low half alone, and NUL all become U+FFFD,
    // in the colour of the character that follows them, as the full reader does.
    RichContent c;
    c.appendText(std::u16string(1, char16_t(0xD83D)), format(clBlack));
    c.appendText(u"Sp", format(clRed));
    c.appendText(std::u16string(1, char16_t(0xDE00)), format(clRed));
    c.appendText(std::u16string(1, u'\0'), format(clBlack));
    c.appendText(std::u16string(1, char16_t(0xD83D)), format(clRed));
    c.appendParagraphBreak(format(clRed), ParaFormat{});
    c.appendText(u"\U0001F600", format(clRed));
    const std::string rtf = writeRtf(c);
    ASSERT_TRUE(expectSameAsFullReader(rtf, rtf));
    QuickRtfText q;
    ASSERT_TRUE(readQuickRtfText(rtf, clRed, q));
    EXPECT_EQ(q.text(), u"\uFFFDSp\uFFFD\uFFFD\uFFFD\r\n\U0001F600");
}

TEST(QuickRtfText, AFileCutOffOrWithAGroupGoesToTheFullReader) {
    RichContent c;
    c.appendText(u"Their ", format(clBlack));
    c.appendText(u"Sp", format(clRed));
    const std::string rtf = writeRtf(c);
    QuickRtfText q;
    ASSERT_TRUE(readQuickRtfText(rtf, clRed, q));
    EXPECT_EQ(q.text(), u"Their Sp");
    ASSERT_EQ(q.runs.size(), 1u);
    EXPECT_EQ(q.runs[0].start, 6);
    EXPECT_EQ(q.runs[0].end, 8);
    EXPECT_FALSE(readQuickRtfText(rtf.substr(0, rtf.size() - 1), clRed, q));
    std::string grouped = rtf;
    grouped.insert(grouped.rfind('}'), "{\\v hidden}");
    EXPECT_FALSE(readQuickRtfText(grouped, clRed, q));
    EXPECT_FALSE(readQuickRtfText("{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n" + rtf.substr(33), clRed, q));
}

TEST(QuickRtfText, AControlWordInAFontNameGoesToTheFullReader) {
    // A name that goes on with \fcharset2 makes a picture font of its entry, and
    // \bin takes raw bytes that may hold the ';' ending it: the full reader reads
    // the text differently, so the quick reader must not read such a table.
    RichContent c;
    c.appendText(u"abc", format(clRed));
    const std::string rtf = writeRtf(c);
    const std::size_t name = rtf.find("Arial");
    ASSERT_NE(name, std::string::npos);
    QuickRtfText q;
    for (const std::string& inside : {std::string("\\f1\\fcharset2 Symbol"), std::string("\\bin2;}"),
                                      std::string("\\u233 ;x"), std::string("\\par")}) {
        std::string changed = rtf;
        changed.insert(name, inside);
        EXPECT_FALSE(readQuickRtfText(changed, clRed, q)) << inside;
        expectSameAsFullReader(changed, inside);
    }
    std::string escaped = rtf;
    escaped.insert(name, "\\'e9\\u8364?\\\\\\{\\}");
    EXPECT_TRUE(expectSameAsFullReader(escaped, escaped));
    std::string found;
    ASSERT_TRUE(fileio::readFile(TALLIX_SOURCE_DIR "/../fuzz/corpus/quick_rtf_text/font-name-with-bin.rtf", found).ok);
    expectSameAsFullReader(found, "the fuzzer's file");
}
