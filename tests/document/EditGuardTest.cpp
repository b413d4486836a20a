#include "document/EditGuard.h"

#include "annotations/Annotating.h"

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

using namespace tallix;
using tallix::testing::fmt;
using namespace tallix::guard;

namespace {

const CharFormat Black = fmt(clBlack);
const CharFormat Span = fmt(clBlue, fsUnderline);
const CharFormat Label = fmt(clRed, fsItalic, markup::LabelSize, markup::RaiseTwips);

// "The catSp sat." with "cat" annotated and "Sp" its error label.
void annotatedEssay(RichTextBuffer& b) {
    b.setDefaultFormat(Black);
    RichContent c;
    c.appendText(u"The ", Black);
    c.appendText(u"cat", Span);
    c.appendText(u"Sp", Label);
    c.appendText(u" sat.", Black);
    b.assign(c);
}

std::string colours(const RichTextBuffer& b) {
    std::string s;
    for (int i = 0; i < b.length(); ++i)
        s += b.colourAt(i) == clBlack ? 'k' : b.colourAt(i) == clRed ? 'r' : b.colourAt(i) == clBlue ? 'b' : '?';
    return s;
}

} // namespace

// ------------------------------------------------------------------ the test

TEST(EditGuardTest, CaretCountsAsInsideMarkupRightAfterIt) {
    RichTextBuffer b;
    annotatedEssay(b);
    struct Case {
        int start, length;
        bool editable;
    };
    for (Case c : {Case{9, 0, false},  // directly after the label
                   Case{7, 0, false},  // between the span and its label
                   Case{4, 0, true},   // before the span's first character, after black
                   Case{10, 0, true},  // after the blank that follows the label
                   Case{2, 5, false},  // black text and the span
                   Case{8, 3, false},  // the label and black text
                   Case{10, 3, true}}) // black only
    {
        b.select(c.start, c.length);
        EXPECT_EQ(isEditable(b), c.editable) << c.start << "+" << c.length;
    }
}

TEST(EditGuardTest, AutomaticColourIsNotBlack) {
    RichTextBuffer b;
    b.setText(u"plain"); // no explicit colour
    b.setSelStart(3);
    EXPECT_FALSE(isEditable(b));
}

// ------------------------------------------------------------------ keys

TEST(EditGuardKeys, InsideMarkupEditingKeysAreRefusedAndMovingKeysPass) {
    for (int vk = 0; vk <= 255; ++vk) {
        const bool refused = vk <= 13 || (vk >= 46 && vk <= 112);
        EXPECT_EQ(keyDownAction(false, vk, 0), refused ? KeyAction::Refuse : KeyAction::Pass)
            << "code " << vk;
        EXPECT_EQ(keyDownAction(false, vk, ShiftKey), refused ? KeyAction::Refuse : KeyAction::Pass)
            << "Shift+code " << vk;
        EXPECT_EQ(keyDownAction(true, vk, 0), KeyAction::Pass) << "code " << vk << " in black text";
    }
    // Named keys the rule is about.
    for (int vk : {8, 9, 13, 46, int('0'), int('9'), int('A'), int('Z'), 96, 105, 106, 111, 112})
        EXPECT_EQ(keyDownAction(false, vk, 0), KeyAction::Refuse) << vk;
    for (int vk : {16, 17, 18, 27, 32, 33, 34, 35, 36, 37, 38, 39, 40, 45, 113, 114, 186, 222})
        EXPECT_EQ(keyDownAction(false, vk, 0), KeyAction::Pass) << vk;
}

TEST(EditGuardKeys, PasteAndCutNeedExactlyCtrlAndAnEditableSelection) {
    EXPECT_EQ(keyDownAction(true, 'V', CtrlKey), KeyAction::Paste);
    EXPECT_EQ(keyDownAction(true, 'X', CtrlKey), KeyAction::Cut);
    EXPECT_EQ(keyDownAction(true, 'V', CtrlKey | ShiftKey), KeyAction::Pass);
    EXPECT_EQ(keyDownAction(true, 'X', CtrlKey | AltKey), KeyAction::Pass);
    EXPECT_EQ(keyDownAction(true, 'C', CtrlKey), KeyAction::Pass);
    // Inside markup the refusal comes first, and only once.
    EXPECT_EQ(keyDownAction(false, 'V', CtrlKey), KeyAction::Refuse);
    EXPECT_EQ(keyDownAction(false, 'X', CtrlKey), KeyAction::Refuse);
}

TEST(EditGuardKeys, MenuAndSystemChordsPassButAltGrTypesAndIsRefused) {
    EXPECT_EQ(keyDownAction(false, 'F', AltKey), KeyAction::Pass);
    EXPECT_EQ(keyDownAction(false, 8, AltKey), KeyAction::Pass);
    EXPECT_EQ(keyDownAction(false, 'E', MetaKey), KeyAction::Pass);
    EXPECT_EQ(keyDownAction(false, 'Q', CtrlKey | AltKey), KeyAction::Refuse);
    EXPECT_FALSE(acceptsTypedCharacter(false));
    EXPECT_TRUE(acceptsTypedCharacter(true));
}

// ------------------------------------------------------------------ clipboard edits

TEST(EditGuardClipboard, PastedTextTurnsBlackAndKeepsItsOtherFormatting) {
    RichTextBuffer b;
    annotatedEssay(b);
    RichContent pasted;
    CharFormat boldRed = fmt(clRed, fsBold, 20);
    boldRed.fontName = u"Times New Roman";
    pasted.appendText(u"big ", boldRed);
    pasted.appendText(u"news", fmt(clGreen, fsItalic | fsUnderline, 9, 40));
    b.setSelStart(14); // the end
    ASSERT_FALSE(pasteContent(b, pasted));
    EXPECT_EQ(b.text(), u"The catSp sat.big news");
    EXPECT_EQ(b.selStart(), 22);
    EXPECT_EQ(b.selLength(), 0);
    CharFormat first = b.formatAt(14);
    EXPECT_EQ(first.colour, clBlack);
    EXPECT_EQ(first.style, fsBold);
    EXPECT_EQ(first.sizePoints(), 20);
    EXPECT_EQ(first.fontName, u"Times New Roman");
    CharFormat last = b.formatAt(21);
    EXPECT_EQ(last, fmt(clBlack, fsItalic | fsUnderline, 9, 40));
    EXPECT_EQ(colours(b), "kkkkbbbrrkkkkkkkkkkkkk");
    EXPECT_TRUE(isEditable(b)); // typing on after a paste is plain text
}

TEST(EditGuardClipboard, PasteReplacesABlackSelectionAndIsRefusedInsideMarkup) {
    RichTextBuffer b;
    annotatedEssay(b);
    RichContent pasted;
    pasted.appendText(u"dog", fmt(clPurple));
    b.select(10, 3);
    ASSERT_FALSE(pasteContent(b, pasted));
    EXPECT_EQ(b.text(), u"The catSp dog.");

    b.setSelStart(9); // right after the label
    auto refused = pasteContent(b, pasted);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, RefusalText);
    EXPECT_EQ(refused->type, MessageType::Warning);
    EXPECT_EQ(refused->helpContext, 8000);
    EXPECT_EQ(b.text(), u"The catSp dog.");
}

TEST(EditGuardClipboard, CutAndDeleteAcrossALabelAreRefused) {
    RichTextBuffer b;
    annotatedEssay(b);
    std::u16string cut = u"untouched";
    b.select(8, 4); // "p sa": label and black text
    EXPECT_TRUE(cutSelection(b, cut));
    EXPECT_TRUE(deleteSelection(b));
    EXPECT_EQ(cut, u"untouched");
    EXPECT_EQ(b.text(), u"The catSp sat.");

    b.select(10, 3);
    EXPECT_FALSE(cutSelection(b, cut));
    EXPECT_EQ(cut, u"sat");
    EXPECT_EQ(b.text(), u"The catSp .");
    b.select(0, 4);
    EXPECT_FALSE(deleteSelection(b));
    EXPECT_EQ(b.text(), u"catSp .");
    EXPECT_EQ(colours(b), "bbbrrkk");
}

// ------------------------------------------------------------------ pop-up menu

TEST(EditGuardPopup, ItemsFollowTheSelection) {
    RichTextBuffer b;
    annotatedEssay(b);
    b.setSelStart(6); // inside the span
    PopupMenuState s = popupMenuState(b, canDeleteAnnotation(b));
    EXPECT_TRUE(s.deleteAnnotation);
    EXPECT_FALSE(s.cut || s.del || s.copy);
    EXPECT_TRUE(s.paste && s.find && s.findAgain && s.goToLine);

    b.select(7, 2); // the label
    s = popupMenuState(b, canDeleteAnnotation(b));
    EXPECT_TRUE(s.deleteAnnotation && s.copy);
    EXPECT_FALSE(s.cut || s.del);

    b.select(10, 3); // black text
    s = popupMenuState(b, canDeleteAnnotation(b));
    EXPECT_FALSE(s.deleteAnnotation);
    EXPECT_TRUE(s.cut && s.del && s.copy);

    b.setSelStart(12);
    s = popupMenuState(b, canDeleteAnnotation(b));
    EXPECT_FALSE(s.deleteAnnotation || s.cut || s.del || s.copy);
}
