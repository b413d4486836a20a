// The guard on the essay view: keys, edits, the clipboard commands and the find
// dialog, driven through the view and the clipboard as a teacher would.
#include "document/qt/EssayClipboard.h"
#include "document/qt/EssayGuard.h"
#include "document/qt/FindDialog.h"
#include "document/qt/KeyCodes.h"

#include "document/EditGuard.h"
#include "platform/qt/MessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace tallix {
namespace {

using testing::fmt;

const CharFormat Black = fmt(clBlack);
const CharFormat Span = fmt(clBlue, fsUnderline);
const CharFormat Label = fmt(clRed, fsItalic, markup::LabelSize, markup::RaiseTwips);
const CharFormat Praise = fmt(clTeal, fsItalic, markup::LabelSize, markup::RaiseTwips);
const CharFormat Commented = fmt(clNavy, fsUnderline);
const CharFormat Marker = fmt(clGreen, fsBold, markup::CommentMarkerSize, markup::RaiseTwips);
const CharFormat Bookmark = fmt(clSilver);

// "The catSp sat on the mat1 [*BM*] today.\r\nA fineGoodly day."
RichContent markedEssay() {
    RichContent c;
    c.appendText(u"The ", Black);
    c.appendText(u"cat", Span);
    c.appendText(u"Sp", Label);
    c.appendText(u" sat on ", Black);
    c.appendText(u"the mat", Commented);
    c.appendText(u"1", Marker);
    c.appendText(u" ", Black);
    c.appendText(u"[*BM*]", Bookmark);
    c.appendText(u" today.", Black);
    c.appendParagraphBreak(Black, ParaFormat{});
    c.appendText(u"A ", Black);
    c.appendText(u"fine", Span);
    c.appendText(u"Good", Praise);
    c.appendText(u"ly day.", Black); // a span chosen inside a word
    return c;
}

// Every coloured character with its format, in order: what no edit may change.
std::vector<std::pair<char16_t, CharFormat>> markupOf(const RichTextBuffer& b) {
    std::vector<std::pair<char16_t, CharFormat>> m;
    for (int i = 0; i < b.length(); ++i)
        if (b.colourAt(i) != clBlack)
            m.emplace_back(b.text()[std::size_t(i)], b.formatAt(i));
    return m;
}

class EssayGuardTest : public ::testing::Test {
protected:
    EssayGuardTest()
        : messages([this](const MessageRequest& r) {
              shown.push_back(r.text);
              return Button::Ok;
          }) {}

    void SetUp() override {
        buffer.setDefaultFormat(Black);
        buffer.assign(markedEssay());
        view.resize(640, 300);
        view.setBuffer(&buffer);
        guard = new EssayGuard(&view);
    }
    void TearDown() override { view.setBuffer(nullptr); }

    void caretAt(int pos) { buffer.select(pos, 0); }
    int refusals() const {
        return int(std::count(shown.begin(), shown.end(), QString::fromUtf16(guard::RefusalText)));
    }

    std::vector<QString> shown;
    ScopedMessageHandler messages;
    RichTextBuffer buffer;
    MarkRichEdit view;
    EssayGuard* guard = nullptr;
};

} // namespace

// ---------------------------------------------------------------- key codes

TEST(KeyCodesTest, QtKeysGetTheVirtualKeyCodesOfTheirKeys) {
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int code;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
    for (Case c : {Case{Qt::Key_Backspace, none, 8}, Case{Qt::Key_Tab, none, 9},
                   Case{Qt::Key_Backtab, Qt::ShiftModifier, 9}, Case{Qt::Key_Return, none, 13},
                   Case{Qt::Key_Enter, pad, 13}, Case{Qt::Key_Shift, none, 16},
                   Case{Qt::Key_Control, none, 17}, Case{Qt::Key_Alt, none, 18},
                   Case{Qt::Key_Pause, none, 19}, Case{Qt::Key_CapsLock, none, 20},
                   Case{Qt::Key_Escape, none, 27}, Case{Qt::Key_Space, none, 32},
                   Case{Qt::Key_PageUp, none, 33}, Case{Qt::Key_PageDown, none, 34},
                   Case{Qt::Key_End, none, 35}, Case{Qt::Key_Home, none, 36},
                   Case{Qt::Key_Left, none, 37}, Case{Qt::Key_Up, none, 38},
                   Case{Qt::Key_Right, none, 39}, Case{Qt::Key_Down, none, 40},
                   Case{Qt::Key_Home, pad, 36}, Case{Qt::Key_Insert, none, 45},
                   Case{Qt::Key_Delete, none, 46}, Case{Qt::Key_0, none, 48},
                   Case{Qt::Key_9, none, 57}, Case{Qt::Key_Exclam, Qt::ShiftModifier, 49},
                   Case{Qt::Key_ParenRight, Qt::ShiftModifier, 48}, Case{Qt::Key_A, none, 65},
                   Case{Qt::Key_Z, Qt::ShiftModifier, 90}, Case{Qt::Key_Meta, none, 91},
                   Case{Qt::Key_Menu, none, 93}, Case{Qt::Key_0, pad, 96},
                   Case{Qt::Key_9, pad, 105}, Case{Qt::Key_Asterisk, pad, 106},
                   Case{Qt::Key_Plus, pad, 107}, Case{Qt::Key_Minus, pad, 109},
                   Case{Qt::Key_Period, pad, 110}, Case{Qt::Key_Slash, pad, 111},
                   Case{Qt::Key_F1, none, 112}, Case{Qt::Key_F2, none, 113},
                   Case{Qt::Key_F3, none, 114}, Case{Qt::Key_F12, none, 123},
                   Case{Qt::Key_Semicolon, none, 186}, Case{Qt::Key_Colon, none, 186},
                   Case{Qt::Key_Equal, none, 187}, Case{Qt::Key_Comma, none, 188},
                   Case{Qt::Key_Minus, none, 189}, Case{Qt::Key_Period, none, 190},
                   Case{Qt::Key_Slash, none, 191}, Case{Qt::Key_QuoteLeft, none, 192},
                   Case{Qt::Key_BracketLeft, none, 219}, Case{Qt::Key_Backslash, none, 220},
                   Case{Qt::Key_BracketRight, none, 221}, Case{Qt::Key_Apostrophe, none, 222},
                   Case{Qt::Key_QuoteDbl, Qt::ShiftModifier, 222},
                   Case{Qt::Key_Udiaeresis, none, 65}, Case{Qt::Key_section, none, 223},
                   Case{Qt::Key_Dead_Acute, none, 222}, Case{Qt::Key_unknown, none, 255}}) {
        EXPECT_EQ(windowsVirtualKey(c.key, c.mods), c.code) << "Qt key 0x" << std::hex << c.key;
    }
    EXPECT_EQ(guardModifiers(Qt::ControlModifier | Qt::KeypadModifier), guard::CtrlKey);
    EXPECT_EQ(guardModifiers(Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier),
              guard::ShiftKey | guard::AltKey | guard::MetaKey);
}

// ---------------------------------------------------------------- keys in the essay

TEST_F(EssayGuardTest, TypingRightAfterALabelIsRefusedAndTheArrowsMoveOut) {
    caretAt(9); // after "Sp"
    const std::u16string before = buffer.text();
    QTest::keyClick(&view, Qt::Key_X);
    EXPECT_EQ(refusals(), 1);
    QTest::keyClick(&view, Qt::Key_Space); // passes the key rule, swallowed as a character
    QTest::keyClick(&view, Qt::Key_Comma);
    EXPECT_EQ(refusals(), 1);
    EXPECT_EQ(buffer.text(), before);

    QTest::keyClick(&view, Qt::Key_Right); // the caret leaves the markup
    EXPECT_EQ(buffer.selStart(), 10);
    EXPECT_EQ(refusals(), 1);
    QTest::keyClicks(&view, "so");
    EXPECT_EQ(buffer.text().substr(0, 15), u"The catSp sosat");
    EXPECT_EQ(buffer.colourAt(10), clBlack);
    EXPECT_EQ(buffer.colourAt(11), clBlack);
    EXPECT_EQ(refusals(), 1);
}

TEST_F(EssayGuardTest, TypingBeforeALabelsFirstCharacterIsPlainText) {
    caretAt(4); // after "The ", before the span
    QTest::keyClicks(&view, "fat ");
    EXPECT_EQ(buffer.text().substr(0, 14), u"The fat catSp ");
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(buffer.formatAt(i), Black) << i;
    EXPECT_EQ(buffer.colourAt(8), clBlue);
    EXPECT_TRUE(shown.empty());
}

TEST_F(EssayGuardTest, EditingKeysAndF1AreRefusedInsideMarkupButF3Passes) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    view.setParent(&window);
    layout->addWidget(&view);
    int findAgain = 0;
    auto* f3 = new QAction(&window);
    f3->setShortcut(QKeySequence(Qt::Key_F3));
    QObject::connect(f3, &QAction::triggered, [&] { ++findAgain; });
    window.addAction(f3);
    window.show();
    window.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    caretAt(32); // right after the silver bookmark
    const std::u16string before = buffer.text();
    int expected = 0;
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Tab, Qt::Key_7,
                        Qt::Key_F1}) {
        QTest::keyClick(&view, key);
        EXPECT_EQ(refusals(), ++expected) << "key 0x" << std::hex << key;
    }
    QTest::keyClick(&view, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(refusals(), ++expected);
    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(findAgain, 1);
    EXPECT_EQ(refusals(), expected);
    EXPECT_EQ(buffer.text(), before);
    view.setParent(nullptr);
}

TEST_F(EssayGuardTest, DeletionsNextToTheCaretNeverReachIntoMarkup) {
    // Black before the caret, the span's first character after it.
    caretAt(4);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(refusals(), 1);
    EXPECT_EQ(buffer.text().substr(0, 8), u"The catS");

    // A word typed straight after a label: a word deletion stops at the label.
    caretAt(9);
    buffer.setSelColour(clBlack); // what deleting a bookmark leaves at a caret
    QTest::keyClicks(&view, "ab");
    ASSERT_EQ(buffer.text().substr(0, 12), u"The catSpab ");
    QTest::keyClick(&view, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(refusals(), 2);
    EXPECT_EQ(buffer.text().substr(0, 12), u"The catSpab ");
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(buffer.text().substr(0, 10), u"The catSp ");
    EXPECT_EQ(refusals(), 2);
    buffer.setSelColour(clBlack);
    QTest::keyClick(&view, Qt::Key_Backspace); // the label's last character
    EXPECT_EQ(refusals(), 3);
    EXPECT_EQ(buffer.text().substr(0, 10), u"The catSp ");
}

TEST_F(EssayGuardTest, InputMethodTextAndDropsInsideMarkupAreRefused) {
    caretAt(9);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("xyz"));
    QApplication::sendEvent(&view, &commit);
    EXPECT_TRUE(shown.empty()); // silently, like a typed character
    EXPECT_EQ(buffer.text().substr(0, 10), u"The catSp ");

    caretAt(10);
    QApplication::sendEvent(&view, &commit);
    EXPECT_EQ(buffer.text().substr(0, 13), u"The catSp xyz");
    EXPECT_EQ(buffer.colourAt(10), clBlack);
}

// ---------------------------------------------------------------- clipboard

TEST_F(EssayGuardTest, CtrlVPastesHtmlBlackKeepingItsOtherFormatting) {
    auto* clip = new QMimeData;
    clip->setHtml(QStringLiteral(
        "<html><body><p><span style=\"color:#ff0000; font-weight:700; font-size:20pt; "
        "font-family:'Courier New'\">Hot</span><i style=\"color:green\"> dog</i></p>"
        "<p align=\"center\">Next</p></body></html>"));
    clip->setText(QStringLiteral("Hot dog\nNext"));
    QApplication::clipboard()->setMimeData(clip);

    caretAt(0);
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(buffer.text().substr(0, 18), u"Hot dog\r\nNextThe c");
    EXPECT_EQ(buffer.selStart(), 13);
    const CharFormat hot = buffer.formatAt(0);
    EXPECT_EQ(hot.colour, clBlack);
    EXPECT_EQ(hot.style, fsBold);
    EXPECT_EQ(hot.sizePoints(), 20);
    EXPECT_EQ(hot.fontName, u"Courier New");
    EXPECT_EQ(buffer.formatAt(4).style, fsItalic);
    EXPECT_EQ(buffer.formatAt(4).colour, clBlack);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(buffer.colourAt(i), clBlack) << i;
    EXPECT_EQ(buffer.paragraphFormat(1).alignment, Alignment::Left); // "NextThe cat...": its own
    EXPECT_TRUE(shown.empty());
}

TEST_F(EssayGuardTest, PastedRtfArrivesBlackAndInsideMarkupIsRefused) {
    QMimeData rtf;
    rtf.setData(QStringLiteral("text/rtf"),
                QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Georgia;}}{\\colortbl;\\red255\\green0"
                           "\\blue0;}\\f0\\cf1\\b\\fs40 Big\\b0\\i  red}"));
    rtf.setText(QStringLiteral("plain fallback"));
    caretAt(10);
    ASSERT_FALSE(pasteRtf(buffer, &rtf));
    EXPECT_EQ(buffer.text().substr(10, 10), u"Big redsat");
    EXPECT_EQ(buffer.formatAt(10).style, fsBold);
    EXPECT_EQ(buffer.formatAt(10).sizePoints(), 20);
    EXPECT_EQ(buffer.formatAt(10).fontName, u"Georgia");
    EXPECT_EQ(buffer.formatAt(14).style, fsItalic);
    for (int i = 10; i < 17; ++i)
        EXPECT_EQ(buffer.colourAt(i), clBlack) << i;

    const auto before = buffer.text();
    caretAt(7); // between the span and its label
    auto refused = pasteRtf(buffer, &rtf);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, guard::RefusalText);
    EXPECT_EQ(buffer.text(), before);
}

TEST_F(EssayGuardTest, CutAndDeleteAcrossALabelAreRefusedButCopyTakesItsText) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    buffer.select(5, 8); // "atSp sat"
    const std::u16string before = buffer.text();
    EXPECT_TRUE(cutRtf(buffer));
    EXPECT_TRUE(deleteRtf(buffer));
    EXPECT_EQ(buffer.text(), before);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));

    copyRtf(buffer);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("atSp sat"));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(data->hasHtml());

    buffer.select(33, 10); // "today.\r\nA " : black only
    EXPECT_FALSE(cutRtf(buffer));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("today.\nA "));
    EXPECT_EQ(buffer.text().substr(28, 10), u"BM*] fineG");
}

// ---------------------------------------------------------------- nothing breaks the markup

TEST_F(EssayGuardTest, RandomKeysAndClipboardCommandsLeaveEveryMarkIntact) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    view.setParent(&window);
    layout->addWidget(&view);
    window.show();
    window.activateWindow();
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const auto marks = markupOf(buffer);
    std::mt19937 rng(8000);
    const Qt::Key keys[] = {Qt::Key_A,        Qt::Key_Z,    Qt::Key_5,     Qt::Key_Space,
                            Qt::Key_Comma,    Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return,
                            Qt::Key_Tab,      Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                            Qt::Key_Down,     Qt::Key_Home, Qt::Key_End,   Qt::Key_Insert,
                            Qt::Key_F1,       Qt::Key_V,    Qt::Key_X,     Qt::Key_C};
    const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::NoModifier, Qt::NoModifier,
                                          Qt::ShiftModifier, Qt::ControlModifier,
                                          Qt::ControlModifier | Qt::ShiftModifier};
    QApplication::clipboard()->setText(QStringLiteral("pasted\ntext"));
    for (int step = 0; step < 3000; ++step) {
        const int what = int(rng() % 20);
        if (what == 0) {
            const int at = int(rng() % unsigned(buffer.length() + 1));
            buffer.select(at, rng() % 2 ? 0 : int(rng() % 12));
        } else if (what == 5 || what == 6) {
            // Next to where markup starts or ends: where damage would be done.
            std::vector<int> edges;
            for (int i = 1; i < buffer.length(); ++i)
                if (buffer.colourAt(i) != buffer.colourAt(i - 1))
                    edges.push_back(i);
            buffer.select(edges[rng() % edges.size()], 0);
        } else if (what == 1) {
            std::optional<Message> ignored = pasteRtf(buffer);
        } else if (what == 2) {
            std::optional<Message> ignored = cutRtf(buffer);
        } else if (what == 3) {
            std::optional<Message> ignored = deleteRtf(buffer);
        } else if (what == 4) {
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("ime"));
            QApplication::sendEvent(&view, &commit);
        } else {
            QTest::keyClick(&view, keys[rng() % std::size(keys)], mods[rng() % std::size(mods)]);
        }
        ASSERT_TRUE(buffer.check()) << "step " << step;
    }
    EXPECT_TRUE(markupOf(buffer) == marks);
    EXPECT_GT(refusals(), 0);
    view.setParent(nullptr);
}

// ---------------------------------------------------------------- find dialog

TEST(FindDialogTest, FindNextNeedsTextAndTheTextStaysWhenTheDialogCloses) {
    FindDialog dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("FindDialog1"));
    EXPECT_FALSE(dialog.isModal());
    QSignalSpy finds(&dialog, &FindDialog::findNext);
    dialog.present();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.btnFindNext->isEnabled());

    QTest::keyClicks(dialog.editFindText, "mat");
    EXPECT_TRUE(dialog.btnFindNext->isEnabled());
    QTest::mouseClick(dialog.btnFindNext, Qt::LeftButton);
    QTest::keyClick(dialog.editFindText, Qt::Key_Return);
    EXPECT_EQ(finds.count(), 2);
    EXPECT_TRUE(dialog.isVisible()); // it stays open beside the window

    QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.findText(), QStringLiteral("mat"));
    dialog.setFindText(QStringLiteral("cat"));
    EXPECT_EQ(dialog.findText(), QStringLiteral("cat"));
}

} // namespace tallix
