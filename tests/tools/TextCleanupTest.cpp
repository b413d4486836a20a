#include "tools/MacCharacters.h"
#include "tools/TextCleanup.h"

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tallix;
using tallix::testing::fmt;

namespace {

struct Piece {
    std::u16string text;
    CharFormat format;
};

CharFormat black() { return fmt(clBlack); }
CharFormat span() { return fmt(clBlue, fsUnderline); }
CharFormat label() { return fmt(clRed, fsItalic, markup::LabelSize, markup::RaiseTwips); }
CharFormat praise() { return fmt(clTeal, fsItalic, markup::LabelSize, markup::RaiseTwips); }
CharFormat marker() {
    return fmt(clGreen, fsBold, markup::CommentMarkerSize, markup::RaiseTwips);
}
CharFormat bookmark() { return fmt(clSilver); }
CharFormat bold() { return fmt(clBlack, fsBold); }

bool startsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// A document made of pieces, each in one format.
void build(RichTextBuffer& b, const std::vector<Piece>& pieces) {
    RichContent c;
    for (const Piece& p : pieces) {
        c.text += p.text;
        if (!p.text.empty())
            c.runs.push_back(FormatRun{int(p.text.size()), p.format});
    }
    b.assign(std::move(c));
}

// An imported essay: all black.
void essay(RichTextBuffer& b, std::u16string_view text) { build(b, {{std::u16string(text), black()}}); }

// One letter per character: k black, b blue, r red, t teal, g green, s silver.
std::string colours(const RichTextBuffer& b) {
    std::string s;
    for (int i = 0; i < b.length(); ++i) {
        switch (b.colourAt(i)) {
        case clBlack: s += 'k'; break;
        case clBlue: s += 'b'; break;
        case clRed: s += 'r'; break;
        case clTeal: s += 't'; break;
        case clGreen: s += 'g'; break;
        case clSilver: s += 's'; break;
        default: s += '?';
        }
    }
    return s;
}

// The pieces of markup (labels, markers, bookmarks) in order, with their formats.
std::vector<std::pair<std::u16string, CharFormat>> markupOf(const RichTextBuffer& b) {
    std::vector<std::pair<std::u16string, CharFormat>> out;
    for (int i = 0; i < b.length(); ++i) {
        const Colour c = b.colourAt(i);
        if (c != clRed && c != clTeal && c != clGreen && c != clSilver)
            continue;
        if (out.empty() || i == 0 || !(b.formatAt(i - 1) == out.back().second))
            out.push_back({u"", b.formatAt(i)});
        out.back().first += b.text()[std::size_t(i)];
    }
    return out;
}

std::u16string strip(std::u16string_view text) {
    RichTextBuffer b;
    essay(b, text);
    tools::StripReturns(b);
    EXPECT_TRUE(b.check());
    return b.text();
}

} // namespace

// ------------------------------------------------------------------ strip returns

TEST(StripReturns, AHardWrappedEmailEssayComesOutAsItsParagraphs) {
    const std::u16string mail =
        u"Subject: my essay\r\n"
        u"\r\n"
        u"You asked us to write about\r\n"
        u"> a place that matters to you\r\n"
        u"> and why it matters.\r\n"
        u"\r\n"
        u"The place that matters most to me is the\r\n"
        u"harbour of my home town, where my \r\n"
        u"grandfather kept his boat for forty\r\n"
        u"years and where I learnt to swim\r\n"
        u"and to fish.\r\n"
        u"\r\n"
        u"\r\n"
        u"It matters for three reasons:\r\n"
        u"  - the sea,\r\n"
        u"  - the people, who know\r\n"
        u"    my name,\r\n"
        u"\t- and the quiet.\r\n"
        u"In the end it is home.\r\n";
    EXPECT_EQ(strip(mail),
              u"Subject: my essay\r\n"
              u"\r\n"
              u"You asked us to write about > a place that matters to you > and why it matters.\r\n"
              u"\r\n"
              u"The place that matters most to me is the harbour of my home town, where my "
              u"grandfather kept his boat for forty years and where I learnt to swim and to fish.\r\n"
              u"\r\n"
              u"\r\n"
              u"It matters for three reasons:\r\n"
              u" - the sea,\r\n"
              u" - the people, who know\r\n"
              u" my name,\r\n"
              u"\t- and the quiet. In the end it is home.\r\n");
}

TEST(StripReturns, OnlyBreaksInsideParagraphsAreJoined) {
    // Five lines become one; the blank line and the break before an indented line stay.
    EXPECT_EQ(strip(u"ab\r\ncd\r\nef\r\ngh\r\nij\r\n\r\nkl\r\n mn\r\n\top"),
              u"ab cd ef gh ij\r\n\r\nkl\r\n mn\r\n\top");
    // A break within the first two characters, or with nothing after it, stays.
    EXPECT_EQ(strip(u"\r\nab\r\ncd"), u"\r\nab cd");
    EXPECT_EQ(strip(u"a\r\nbc\r\nd"), u"a\r\nbc d");
    EXPECT_EQ(strip(u"abc\r\n"), u"abc\r\n");
    EXPECT_EQ(strip(u"abc\r\n\r\n"), u"abc\r\n\r\n");
    EXPECT_EQ(strip(u""), u"");
    EXPECT_EQ(strip(u"\r\n"), u"\r\n");
}

TEST(StripReturns, DoubleSpacesGoEverywhereButInMarkup) {
    EXPECT_EQ(strip(u"a  b   c\r\nd    e"), u"a b c d e");
    EXPECT_EQ(strip(u"line ends \r\n  indented"), u"line ends \r\n indented");
    EXPECT_EQ(strip(u"     "), u" ");

    RichTextBuffer b;
    build(b, {{u"two  spaces", span()},
              {u"A  b", label()},
              {u" ", black()},
              {u" 1", marker()},
              {u"  ", black()},
              {u"[*BM*]", bookmark()},
              {u"  end", black()}});
    tools::StripReturns(b);
    EXPECT_EQ(b.text(), u"two spacesA  b  1 [*BM*] end");
    EXPECT_EQ(colours(b), "bbbbbbbbbbrrrrkggksssssskkkk");
}

TEST(StripReturns, BreaksNextToMarkupStay) {
    RichTextBuffer b;
    build(b, {{u"the ", black()}, {u"cat", span()}, {u"Sp", label()},
              {u"\r\nsat on the\r\n", black()}, {u"mat", span()}, {u"Good", praise()},
              {u"\r\nand", black()}, {u"2", marker()}, {u"\r\nthen\r\n", black()},
              {u"[*BM*]", bookmark()}, {u"\r\nslept\r\n", black()},
              {u"purple", fmt(clPurple)}, {u"\r\nend", black()}});
    const auto before = markupOf(b);
    tools::StripReturns(b);
    EXPECT_EQ(b.text(), u"the catSp\r\nsat on the\r\nmatGood\r\nand2\r\nthen\r\n[*BM*]\r\n"
                        u"slept\r\npurple\r\nend");
    EXPECT_EQ(markupOf(b), before);
}

TEST(StripReturns, TheSelectionLimitsTheJoinsAndTheCaretStaysAtItsStart) {
    RichTextBuffer b;
    essay(b, u"one\r\ntwo\r\nthree\r\nfour  five\r\nsix");
    b.select(5, 10); // "two\r\nthree"
    EXPECT_EQ(tools::stripReturnsQuestion(b),
              u"This routine will try to remove unwanted returns from the selected text. "
              u"You should use it if the student's text has hard returns in the middle of "
              u"paragraphs. It's best to do this before you start marking, but you can do it "
              u"any time. If you don't like the results, you will be able to undo them. Do "
              u"you wish to continue?");
    const tools::StripReturnsResult r = tools::StripReturns(b);
    EXPECT_EQ(b.text(), u"one\r\ntwo three\r\nfour five\r\nsix");
    EXPECT_EQ(r.joined, 1);
    EXPECT_EQ(r.spacesRemoved, 1);
    EXPECT_EQ(b.selStart(), 5);
    EXPECT_EQ(b.selLength(), 0);

    // A selection at the very start reads nothing before the text; one that ends
    // with the text joins a last line of one character.
    essay(b, u"ab\r\ncd\r\ne");
    b.select(0, 4);
    tools::StripReturns(b);
    EXPECT_EQ(b.text(), u"ab cd\r\ne");
    b.select(3, 5);
    tools::StripReturns(b);
    EXPECT_EQ(b.text(), u"ab cd e");
    EXPECT_EQ(b.selStart(), 3);

    // With no selection (or all of it selected) the whole text is worked on, and
    // the caret keeps its place in the text although spaces before it went.
    essay(b, u"a  b\r\nc  d");
    b.setSelStart(9); // before "d"
    EXPECT_TRUE(startsWith(tools::stripReturnsQuestion(b),
                           u"This routine will try to remove unwanted returns from your text. "
                           u"You should"));
    tools::StripReturns(b);
    EXPECT_EQ(b.text(), u"a b c d");
    EXPECT_EQ(b.selStart(), 6);
    EXPECT_EQ(b.text()[6], u'd');
    b.selectAll();
    EXPECT_TRUE(startsWith(tools::stripReturnsQuestion(b),
                           u"This routine will try to remove unwanted returns from your text. "));
}

TEST(StripReturns, ThereIsNoLimitOnTheNumberOfJoins) {
    std::u16string text;
    for (int i = 0; i < 6000; ++i)
        text += u"word\r\n";
    text += u"end";
    RichTextBuffer b;
    essay(b, text);
    const tools::StripReturnsResult r = tools::StripReturns(b);
    EXPECT_EQ(r.joined, 6000);
    EXPECT_EQ(b.lineCount(), 1);
    EXPECT_EQ(b.length(), 6000 * 5 + 3);
}

// The joins and the space removal made as a literal reading of the rules would
// make them, one edit at a time: each join from the last to the first, then the
// second space of the first pair removed until none is left.
namespace {

void stripOneEditAtATime(RichTextBuffer& b) {
    const int n = b.length();
    const bool selected = b.selLength() > 0 && b.selLength() < n;
    const int first = std::max(selected ? b.selStart() - 1 : 2, 0);
    const int last = selected ? b.selEnd() - 1 : n - 1;
    const std::u16string t = b.text();
    auto at = [&](int i) { return i >= 0 && i < n ? t[std::size_t(i)] : u'\0'; };
    std::vector<int> joins;
    for (int p = first; p <= last; ++p) {
        if (at(p) != u'\r' || at(p + 1) != u'\n' || p < 1 || p + 2 >= n)
            continue;
        b.select(p - 1, 5);
        if (!b.selColourConsistent() || b.selColour() != clBlack)
            continue;
        if ((at(p - 2) == u'\r' && at(p - 1) == u'\n') || (at(p + 2) == u'\r' && at(p + 3) == u'\n'))
            continue;
        if (at(p + 2) == u' ' || at(p + 2) == u'\t')
            continue;
        joins.push_back(p);
    }
    for (auto it = joins.rbegin(); it != joins.rend(); ++it) {
        b.select(*it, 2);
        b.setSelText(u" ");
    }
    for (int from = 0;;) {
        int p = b.findText(u"  ", from, b.length());
        while (p >= 0) {
            const Colour c = b.colourAt(p + 1);
            if (c != clRed && c != clTeal && c != clGreen && c != clSilver)
                break;
            p = b.findText(u"  ", p + 1, b.length());
        }
        if (p < 0)
            break;
        b.select(p + 1, 1);
        b.setSelText(u"");
        from = p;
    }
}

} // namespace

TEST(StripReturns, OnePassGivesWhatOneEditAtATimeGives) {
    std::mt19937 rng(7);
    const char16_t alphabet[] = {u'a', u'b', u' ', u' ', u'\t', u'\r', u'\r', u'x'};
    const CharFormat formats[] = {black(), black(), black(), fmt(clBlack, fsBold, 14),
                                  span(), label(), marker()};
    for (int round = 0; round < 400; ++round) {
        RichContent c;
        const int pieces = 1 + int(rng() % 12);
        for (int k = 0; k < pieces; ++k) {
            std::u16string s;
            const int len = 1 + int(rng() % 6);
            for (int i = 0; i < len; ++i) {
                const char16_t ch = alphabet[rng() % std::size(alphabet)];
                s += ch == u'\r' ? std::u16string(u"\r\n") : std::u16string(1, ch);
            }
            c.text += s;
            c.runs.push_back(FormatRun{int(s.size()), formats[rng() % std::size(formats)]});
        }
        RichTextBuffer fast, slow;
        fast.assign(c);
        for (int line = 0; line < fast.lineCount(); ++line) {
            fast.setSelStart(fast.lineStart(line));
            fast.setParaAlignment(Alignment(rng() % 3));
            fast.setParaStartIndent(int(rng() % 4) * 18);
        }
        slow.assign(fast.content());
        const int start = int(rng() % unsigned(fast.length() + 1));
        const int length = rng() % 3 == 0 ? 0 : int(rng() % unsigned(fast.length() + 1));
        fast.select(start, length);
        slow.select(start, length);
        SCOPED_TRACE(round);
        tools::StripReturns(fast);
        stripOneEditAtATime(slow);
        ASSERT_TRUE(fast.check());
        const RichContent a = fast.content(), b = slow.content();
        ASSERT_EQ(a.text, b.text);
        ASSERT_EQ(a.paragraphs, b.paragraphs);
        ASSERT_EQ(a.runs.size(), b.runs.size());
        for (std::size_t i = 0; i < a.runs.size(); ++i) {
            EXPECT_EQ(a.runs[i].length, b.runs[i].length);
            EXPECT_EQ(a.runs[i].format, b.runs[i].format);
        }
    }
}

// ------------------------------------------------------------------ Mac smart quotes

TEST(DeMacify, SmartQuotesInEssayTextBecomeStraight) {
    RichTextBuffer b;
    // Windows left single quote; Mac right and left single and double quotes as
    // they read in Windows-1252; the right single quote of Windows stays.
    build(b, {{u"\u2018a\u00D5 \u00D4b\u00D5 \u00D2c\u00D3 d\u2019", black()},
              {u"\u00D5", span()},
              {u"\u00D2", label()},
              {u"e\u00D3", bold()}});
    b.select(3, 4);
    const int n = tools::DeMacify(b);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(b.text(), u"'a' 'b' \"c\" d\u2019\u00D5\u00D2e\"");
    EXPECT_EQ(b.formatAt(17), bold());
    EXPECT_EQ(colours(b), "kkkkkkkkkkkkkkbrkk");
    EXPECT_EQ(b.selStart(), 3);
    EXPECT_EQ(b.selLength(), 0);
}

TEST(DeMacify, ATextWithoutThemStaysAsItIs) {
    RichTextBuffer b;
    essay(b, u"Plain \"text\" with 'quotes' and \u00E9.");
    tallix::testing::RecordingObserver seen;
    b.addObserver(&seen);
    b.setSelStart(7);
    seen.events.clear();
    EXPECT_EQ(tools::DeMacify(b), 0);
    b.removeObserver(&seen);
    EXPECT_TRUE(seen.events.empty());
    EXPECT_EQ(b.text(), u"Plain \"text\" with 'quotes' and \u00E9.");
    EXPECT_EQ(b.selStart(), 7);
}

// ------------------------------------------------------------------ all Mac characters

TEST(PCToMac, MacCharactersReadAsWindowsOnesAreConverted) {
    RichTextBuffer b;
    // Mac 0x8E (e acute) reads as Z caron, 0xA5 (bullet) as yen, 0xD5 as O tilde,
    // 0xF0 (the Apple logo) as eth, 0xDA (fraction slash) as U acute, 0xC5 (a sign
    // Windows lacks) as A ring.
    essay(b, u"caf\u017D \u00A5 it\u00D5s \u00F0 1\u00DA2 \u00C5");
    EXPECT_EQ(tools::PCToMac(b), 6);
    EXPECT_EQ(b.text(), u"caf\u00E9 \u2022 it\u2019s   1/2 \u20AC");
    EXPECT_EQ(b.selStart(), b.length()); // after the last replacement

    // A second run converts again: the e acute becomes E grave.
    essay(b, u"caf\u017D");
    tools::PCToMac(b);
    tools::PCToMac(b);
    EXPECT_EQ(b.text(), u"caf\u00C8");
}

TEST(PCToMac, MarkupAndCharactersWindowsLacksAreLeftAlone) {
    RichTextBuffer b;
    build(b, {{u"\u0100\u4E2D\U0001F600 a", black()},
              {u"\u00E9", span()},
              {u"\u00E9t\u00E9", label()},
              {u"\u00B6", marker()},
              {u"\u00E9", bold()}});
    b.setSelStart(2);
    const auto before = markupOf(b);
    EXPECT_EQ(tools::PCToMac(b), 1);
    EXPECT_EQ(b.text(), u"\u0100\u4E2D\U0001F600 a\u00E9\u00E9t\u00E9\u00B6\u00C8");
    EXPECT_EQ(b.formatAt(b.length() - 1), bold());
    EXPECT_EQ(markupOf(b), before);

    essay(b, u"plain ascii");
    b.setSelStart(3);
    EXPECT_EQ(tools::PCToMac(b), 0);
    EXPECT_EQ(b.selStart(), 3);
}

TEST(MacCharacters, TheTableKeepsItsChoices) {
    using tools::MacToWindows1252;
    EXPECT_EQ(MacToWindows1252[0xA1 - 0x80], 0xBA); // degree
    EXPECT_EQ(MacToWindows1252[0xB6 - 0x80], 0xF0); // partial differential
    EXPECT_EQ(MacToWindows1252[0xDA - 0x80], 0x2F); // fraction slash
    EXPECT_EQ(MacToWindows1252[0xF0 - 0x80], 0x20); // Apple logo
    EXPECT_EQ(MacToWindows1252[0xF5 - 0x80], 0xB9); // dotless i
    EXPECT_EQ(MacToWindows1252[0xFB - 0x80], 0xB0); // ring
    EXPECT_EQ(MacToWindows1252[0xFD - 0x80], 0xA8); // double acute
    EXPECT_EQ(MacToWindows1252[0xDE - 0x80], 0x80); // fi ligature: Windows lacks it
    // The five undefined bytes of Windows-1252 read as controls and convert too.
    EXPECT_EQ(tools::macCharacter(u'\u0081'), u'\u00C5');
    EXPECT_EQ(tools::macCharacter(u'a'), std::nullopt);
    EXPECT_EQ(tools::macCharacter(u'\u0100'), std::nullopt);
}
