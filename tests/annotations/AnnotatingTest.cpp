#include "annotations/Annotating.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tallix;

namespace {

// An imported essay: all black, Arial 12, no style.
void essay(RichTextBuffer& b, std::u16string_view text) {
    CharFormat f;
    f.colour = clBlack;
    b.setDefaultFormat(f);
    b.setText(text);
}

// One letter per character (k black, b blue, r red, t teal, n navy, g green,
// s silver), after checking that each character is formatted as its colour asks:
// black plain text, blue underlined spans, italic 8-point labels raised 60 twips.
std::string markupOf(const RichTextBuffer& b) {
    std::string s;
    for (int i = 0; i < b.length(); ++i) {
        CharFormat f = b.formatAt(i);
        CharFormat want = b.defaultFormat();
        switch (f.colour) {
        case clBlue: s += 'b'; want.colour = clBlue; want.style = fsUnderline; break;
        case clRed: s += 'r'; break;
        case clTeal: s += 't'; break;
        case clNavy: s += 'n'; continue;
        case clGreen: s += 'g'; continue;
        case clSilver: s += 's'; continue;
        default: s += f.colour == clBlack ? 'k' : '?';
        }
        if (f.colour == clRed || f.colour == clTeal)
            want = {f.colour, fsItalic, 16, want.fontName, 60};
        EXPECT_EQ(f, want) << "at " << i;
    }
    return s;
}

using Sel = std::tuple<int, int, Colour>;

void annotate(RichTextBuffer& b, int start, int len, std::u16string_view label,
              Colour c = clRed) {
    b.select(start, len);
    ASSERT_FALSE(addAnnotation(b, c, label));
}

} // namespace

// ------------------------------------------------------------------ annotating

TEST(AnnotatingAdd, AWordGetsItsLabelAndTypingOnIsPlain) {
    RichTextBuffer b;
    essay(b, u"The cat sat.");
    annotate(b, 4, 3, u"Sp");
    EXPECT_EQ(b.text(), u"The catSp sat.");
    EXPECT_EQ(markupOf(b), "kkkkbbbrrkkkkk");
    EXPECT_EQ(b.selStart(), 10); // one past the label: after the blank
    b.setSelText(u"x");
    b.select(0, 3);
    EXPECT_FALSE(annotateWithEntry(b, u"Good", clTeal));
    EXPECT_EQ(b.text(), u"TheGood catSp xsat.");
    EXPECT_EQ(markupOf(b), "bbbttttkbbbrrkkkkkk");
}

TEST(AnnotatingAdd, LineBreaksAndTheEndOfTheTextStayOutOfTheWay) {
    RichTextBuffer b;
    essay(b, u"one two\r\n\r\nend");
    annotate(b, 4, 7, u"Sp"); // "two" and both line breaks: the label ends its line
    EXPECT_EQ(b.text(), u"one twoSp\r\n\r\nend");
    EXPECT_EQ(b.selStart(), 11); // past the pair, never inside it
    annotate(b, 13, 3, u"WW");   // the last word keeps every letter
    EXPECT_EQ(b.selStart(), b.length());
    b.setSelText(u"!"); // straight after the label, yet plain
    EXPECT_EQ(markupOf(b), "kkkkbbbrrkkkkbbbrrk");

    b.setSelStart(11); // no selection: the label alone at the caret
    ASSERT_FALSE(addAnnotation(b, clRed, u"Om"));
    EXPECT_EQ(b.text(), u"one twoSp\r\nOm\r\nendWW!");
    EXPECT_EQ(markupOf(b), "kkkkbbbrrkkrrkkbbbrrk");
}

TEST(AnnotatingAdd, OverlapsAndEmptyEntriesChangeNothing) {
    RichTextBuffer b;
    essay(b, u"The cat sat.");
    annotate(b, 4, 3, u"Sp"); // "The catSp sat."
    const char* const before = "kkkkbbbrrkkkkk";
    // part of the span, inside it, the label, across the label's end, and carets
    // right after the label and right after the span
    for (auto [start, len, unused] : {Sel{2, 4, 0}, Sel{5, 1, 0}, Sel{7, 1, 0}, Sel{8, 3, 0},
                                      Sel{9, 0, 0}, Sel{7, 0, 0}}) {
        b.select(start, len);
        auto m = addAnnotation(b, clRed, u"Art");
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message.text, OverlapWarning);
        EXPECT_EQ(m->message.type, MessageType::Warning);
        EXPECT_EQ(m->message.helpContext, 9000);
        EXPECT_TRUE(m->helpButton);
        EXPECT_EQ(markupOf(b), before);
        EXPECT_EQ(b.selStart() * 100 + b.selLength(), start * 100 + len);
    }
    // A line break alone would leave the label on the caret right after a label.
    essay(b, u"cat\r\nx");
    annotate(b, 3, 0, u"Sp");
    b.select(5, 2);
    EXPECT_TRUE(addAnnotation(b, clRed, u"Art"));
    b.select(0, 3);
    EXPECT_FALSE(annotateWithEntry(b, u"", clRed));
    EXPECT_EQ(b.text(), u"catSp\r\nx");
    EXPECT_EQ(markupOf(b), "kkkrrkkk");
}

TEST(AnnotatingAdd, ASpanOverParagraphsKeepsTheirFormatsAndSizes) {
    RichTextBuffer b;
    essay(b, u"big\r\nsmall");
    b.select(5, 0);
    b.setParaAlignment(Alignment::Center);
    b.select(0, 3);
    b.setSelSize(16);
    annotate(b, 1, 6, u"X");
    EXPECT_EQ(b.text(), u"big\r\nsmXall");
    EXPECT_EQ(b.paragraphFormat(0).alignment, Alignment::Left);
    EXPECT_EQ(b.paragraphFormat(1).alignment, Alignment::Center);
    EXPECT_EQ(b.formatAt(1).sizePoints(), 16);
    EXPECT_EQ(b.formatAt(5).sizePoints(), 12);
}

// ------------------------------------------------------------------ deleting

TEST(AnnotatingDelete, FromSpanOrLabelOrSelectionRestoresTheEssay) {
    // caret in the span, at its end, in and after the label; selections starting
    // on the span, inside it and on the label; praise labels the same way
    struct Case { int start, len; Colour label; };
    for (Case c : {Case{5, 0, clRed}, Case{7, 0, clRed}, Case{8, 0, clRed}, Case{9, 0, clRed},
                   Case{4, 4, clRed}, Case{6, 4, clRed}, Case{7, 4, clRed}, Case{5, 0, clTeal},
                   Case{9, 0, clTeal}}) {
        SCOPED_TRACE(c.start * 100 + c.len);
        RichTextBuffer b;
        essay(b, u"The cat sat.");
        annotate(b, 4, 3, u"Sp", c.label);
        b.select(c.start, c.len);
        EXPECT_TRUE(canDeleteAnnotation(b));
        DeleteAnnotationOutcome r = deleteAnnotation(b);
        EXPECT_TRUE(r.removed);
        EXPECT_EQ(r.message.has_value(), c.len > 0);
        if (r.message) {
            EXPECT_EQ(r.message->message.text, NoSelectionNeededInformation);
        }
        EXPECT_EQ(b.text(), u"The cat sat.");
        EXPECT_EQ(markupOf(b), "kkkkkkkkkkkk");
        EXPECT_EQ(b.selStart() * 100 + b.selLength(), 700);
        EXPECT_EQ(b.insertionFormat(), b.defaultFormat());
    }
}

TEST(AnnotatingDelete, ElsewhereOnlyExplains) {
    RichTextBuffer b;
    essay(b, u"The cat sat. 1 [*BM*] x");
    annotate(b, 4, 3, u"Sp");
    for (auto [at, len, c] : {Sel{10, 4, clNavy}, Sel{15, 1, clGreen}, Sel{17, 6, clSilver}}) {
        b.select(at, len);
        b.setSelColour(c);
    }
    // before the span, in plain text, a commented span, a marker, a bookmark
    for (int caret : {0, 4, 12, 16, 20, 25}) {
        b.setSelStart(caret);
        EXPECT_FALSE(canDeleteAnnotation(b));
        DeleteAnnotationOutcome r = deleteAnnotation(b);
        EXPECT_FALSE(r.removed);
        ASSERT_TRUE(r.message);
        EXPECT_EQ(r.message->message.text, ClickFirstInformation);
        EXPECT_EQ(r.message->message.type, MessageType::Information);
        EXPECT_FALSE(r.message->helpButton);
        EXPECT_EQ(b.selStart(), caret);
    }
    EXPECT_EQ(b.text(), u"The catSp sat. 1 [*BM*] x");
    EXPECT_EQ(markupOf(b), "kkkkbbbrrknnnnkgksssssskk");
}

TEST(AnnotatingDelete, BackToBackAnnotationsComeOutOneAtATime) {
    // "oneA twoB": the second span starts right after the first label.
    // in the second span (at its first letter), after its label, a selection from
    // its first character; in the first span, after its label, on its label
    for (auto [start, len, second] : {Sel{5, 0, 1}, Sel{6, 0, 1}, Sel{9, 0, 1}, Sel{4, 2, 1},
                                      Sel{2, 0, 0}, Sel{4, 0, 0}, Sel{3, 1, 0}}) {
        SCOPED_TRACE(start * 100 + len);
        RichTextBuffer b;
        essay(b, u"one two");
        annotate(b, 0, 3, u"A");
        annotate(b, 4, 4, u"B");
        b.select(start, len);
        EXPECT_TRUE(deleteAnnotation(b).removed);
        EXPECT_EQ(b.text(), second ? u"oneA two" : u"one twoB");
        EXPECT_EQ(markupOf(b), second ? "bbbrkkkk" : "kkkbbbbr");
    }
}

TEST(AnnotatingDelete, AnnotationsAtParagraphEdgesAndAcrossThem) {
    RichTextBuffer b;
    essay(b, u"ab\r\ncd ef\r\ngh");
    annotate(b, 4, 2, u"X"); // "cd" starts a paragraph
    annotate(b, 8, 2, u"Y"); // "ef" ends it
    EXPECT_EQ(b.text(), u"ab\r\ncdX efY\r\ngh");
    EXPECT_EQ(markupOf(b), "kkkkbbrkbbrkkkk");
    b.setSelStart(11);       // after "Y"
    EXPECT_TRUE(deleteAnnotation(b).removed);
    b.setSelStart(4); // before "cd": the line break is plain text
    EXPECT_FALSE(deleteAnnotation(b).removed);
    b.setSelStart(5);
    EXPECT_TRUE(deleteAnnotation(b).removed);
    annotate(b, 1, 4, u"W"); // "b\r\nc", taken out from its far side
    EXPECT_EQ(markupOf(b), "kbbbbrkkkkkkkk");
    b.setSelStart(5);
    EXPECT_TRUE(deleteAnnotation(b).removed);
    EXPECT_EQ(b.text(), u"ab\r\ncd ef\r\ngh");
    EXPECT_EQ(markupOf(b), "kkkkkkkkkkkkk");
}
