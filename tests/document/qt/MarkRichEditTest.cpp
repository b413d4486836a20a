// The essay view: it stays in step with its buffer, and edits made in it reach the
// buffer through the guard.
#include "document/qt/MarkRichEdit.h"

#include "document/RichTextBuffer.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace tallix {
namespace {

using testing::fmt;

const CharFormat Black = fmt(clBlack);
const CharFormat Span = fmt(markup::AnnotatedSpanColour, markup::AnnotatedSpanStyle);
const CharFormat Label =
    fmt(markup::ErrorLabelColour, markup::LabelStyle, markup::LabelSize, markup::RaiseTwips);
const CharFormat Praise =
    fmt(markup::PraiseLabelColour, markup::LabelStyle, markup::LabelSize, markup::RaiseTwips);
const CharFormat Commented = fmt(markup::CommentedSpanColour, markup::CommentedSpanStyle);
const CharFormat Marker = fmt(markup::CommentMarkerColour, markup::CommentMarkerStyle,
                              markup::CommentMarkerSize, markup::RaiseTwips);
const CharFormat Bookmark = fmt(markup::BookmarkColour);

// A short marked essay: annotations, a comment, a bookmark, three paragraph formats.
RichContent smallEssay() {
    RichContent c;
    c.appendText(u"The student ", Black);
    c.appendText(u"recieved", Span);
    c.appendText(u"Sp", Label);
    c.appendText(u" a letter about ", Black);
    c.appendText(u"there holiday", Commented);
    c.appendText(u"1", Marker);
    c.appendText(u" plans.", Black);
    c.appendParagraphBreak(Black, ParaFormat{Alignment::Center, 720});
    c.appendText(u"A ", Black);
    c.appendText(u"fine", Span);
    c.appendText(u"Good", Praise);
    c.appendText(u" phrase ", Black);
    c.appendText(u"[*BM*]", Bookmark);
    c.appendText(u" here.", Black);
    c.appendParagraphBreak(Black, ParaFormat{Alignment::Right, 0});
    c.appendParagraphBreak(Black, ParaFormat{});
    c.appendText(u"Last line\tends", fmt(clWindowText, fsStrikeOut));
    return c;
}

QString expectedText(const RichTextBuffer& b) {
    // The view shows a paragraph separator inside the text as a line separator,
    // and the document's frame markers as replacement characters.
    QString s = QString::fromStdU16String(b.text());
    s.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    s.replace(QChar(0xFDD0), QChar::ReplacementCharacter);
    s.replace(QChar(0xFDD1), QChar::ReplacementCharacter);
    s.replace(QStringLiteral("\r\n"), QString(QChar::ParagraphSeparator));
    return s;
}

QString viewText(const MarkRichEdit& w) { return w.document()->toRawText(); }

// The format the document holds for the buffer character at pos.
QTextCharFormat viewFormatAt(const MarkRichEdit& w, int pos) {
    QTextCursor c(w.document());
    c.setPosition(w.documentPosition(pos) + 1);
    return c.charFormat();
}

// Compares the document's formats with the buffer's, character by character and
// paragraph by paragraph. Returns the first difference, or an empty string.
std::string formatMismatch(const MarkRichEdit& w, const RichTextBuffer& b) {
    const std::u16string& t = b.text();
    for (int i = 0; i < b.length(); ++i) {
        if (t[std::size_t(i)] == u'\r' || t[std::size_t(i)] == u'\n')
            continue;
        const CharFormat& f = b.formatAt(i);
        QTextCharFormat q = viewFormatAt(w, i);
        std::string at = " at " + std::to_string(i);
        if (isAutomaticColour(f.colour)) {
            if (q.hasProperty(QTextFormat::ForegroundBrush))
                return "automatic colour has a brush" + at;
        } else if (q.foreground().color() != QColor(redOf(f.colour), greenOf(f.colour), blueOf(f.colour))) {
            return "colour" + at;
        }
        if ((q.fontWeight() >= QFont::Bold) != ((f.style & fsBold) != 0))
            return "bold" + at;
        if (q.fontItalic() != ((f.style & fsItalic) != 0))
            return "italic" + at;
        if (q.fontUnderline() != ((f.style & fsUnderline) != 0))
            return "underline" + at;
        if (q.fontStrikeOut() != ((f.style & fsStrikeOut) != 0))
            return "strike-out" + at;
        if (q.fontPointSize() != f.sizeHalfPoints / 2.0)
            return "size" + at;
        if ((q.baselineOffset() > 0) != (f.offsetTwips > 0) ||
            (q.baselineOffset() < 0) != (f.offsetTwips < 0))
            return "raise" + at;
        if (q.fontFamilies().toStringList().value(0) != QString::fromStdU16String(f.fontName))
            return "font name" + at;
    }
    if (w.document()->blockCount() != b.lineCount())
        return "block count";
    QTextBlock block = w.document()->begin();
    for (int line = 0; line < b.lineCount(); ++line, block = block.next()) {
        const ParaFormat& p = b.paragraphFormat(line);
        Qt::Alignment want = p.alignment == Alignment::Center ? Qt::AlignHCenter
                             : p.alignment == Alignment::Right ? Qt::AlignRight
                                                               : Qt::AlignLeft;
        if (block.blockFormat().alignment() != want)
            return "alignment of line " + std::to_string(line);
        if ((block.blockFormat().leftMargin() > 0) != (p.startIndentTwips > 0))
            return "indent of line " + std::to_string(line);
    }
    return {};
}

class MarkRichEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(640, 400);
        view.setBuffer(&buffer);
    }
    void TearDown() override { view.setBuffer(nullptr); }

    void showAndFocus() {
        view.show();
        view.activateWindow();
        view.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Places the caret in the buffer (as the program would).
    void caretAt(int pos) { buffer.select(pos, 0); }
    // Lets the view catch up with selection moves made on the buffer.
    static void settle() { QApplication::processEvents(); }

    RichTextBuffer buffer;
    MarkRichEdit view;
};

// ---------------------------------------------------------------- following the buffer

TEST_F(MarkRichEditTest, LoadShowsTextFormatsAndParagraphs) {
    buffer.assign(smallEssay());
    EXPECT_EQ(viewText(view), expectedText(buffer));
    EXPECT_EQ(formatMismatch(view, buffer), "");

    // Sample positions, spelled out.
    int label = buffer.findText(u"Sp", 0, buffer.length(), {true, false});
    QTextCharFormat q = viewFormatAt(view, label);
    EXPECT_EQ(q.foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(q.fontItalic());
    EXPECT_EQ(q.fontPointSize(), 8.0);
    EXPECT_GT(q.baselineOffset(), 0.0);
    QTextCharFormat marker = viewFormatAt(view, buffer.findText(u"1", 0, buffer.length()));
    EXPECT_EQ(marker.foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(marker.fontWeight(), QFont::Bold);
    EXPECT_EQ(marker.fontPointSize(), 10.0);
    QTextCharFormat span = viewFormatAt(view, buffer.findText(u"recieved", 0, buffer.length()));
    EXPECT_EQ(span.foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(span.fontUnderline());
    EXPECT_EQ(span.baselineOffset(), 0.0);
    // The second paragraph is centred and indented by half an inch.
    QTextBlockFormat second = view.document()->findBlockByNumber(1).blockFormat();
    EXPECT_EQ(second.alignment(), Qt::AlignHCenter);
    EXPECT_NEAR(second.leftMargin(), view.logicalDpiX() / 2.0, 0.5);
}

TEST_F(MarkRichEditTest, PositionsMapBothWaysAcrossLineBreaks) {
    buffer.setText(u"ab\r\ncd\r\n\r\nef");
    // buffer: a0 b1 CR2 LF3 c4 d5 CR6 LF7 CR8 LF9 e10 f11
    const int docOf[] = {0, 1, 2, -1, 3, 4, 5, -1, 6, -1, 7, 8, 9};
    for (int p = 0; p <= buffer.length(); ++p) {
        if (docOf[p] < 0)
            continue;
        EXPECT_EQ(view.documentPosition(p), docOf[p]) << p;
        EXPECT_EQ(view.bufferPosition(docOf[p]), p) << p;
    }
}

TEST_F(MarkRichEditTest, BufferEditsAreFollowed) {
    buffer.assign(smallEssay());
    auto inStep = [&] {
        EXPECT_EQ(viewText(view), expectedText(buffer));
        EXPECT_EQ(formatMismatch(view, buffer), "");
    };
    // Insert line breaks in the middle of a paragraph and at its end.
    buffer.select(4, 0);
    buffer.setSelText(u"new\r\nparagraph\r\n");
    inStep();
    // Delete across two line breaks.
    int from = buffer.findText(u"plans", 0, buffer.length());
    int to = buffer.findText(u"phrase", 0, buffer.length());
    buffer.select(from, to - from);
    buffer.setSelText(u"");
    inStep();
    // Replace a range that starts at a line start and ends at a line end.
    buffer.select(buffer.lineStart(1), buffer.lineStart(2) - 2 - buffer.lineStart(1));
    buffer.setSelText(u"x\ny");
    inStep();
    // Format changes: colour, style, size, raise, font.
    buffer.select(2, 9);
    buffer.setSelColour(clPurple);
    buffer.setSelStyle(fsBold | fsUnderline);
    inStep();
    buffer.select(0, 3);
    buffer.setSelSize(20);
    buffer.setSelOffset(-40);
    buffer.setSelFontName(u"Courier New");
    inStep();
    // Paragraph changes across several paragraphs.
    buffer.select(0, buffer.lineStart(2) + 1);
    buffer.setParaAlignment(Alignment::Right);
    buffer.setParaStartIndent(36);
    inStep();
    // Deleting everything and typing into the empty buffer.
    buffer.selectAll();
    buffer.setSelText(u"");
    inStep();
    buffer.setSelText(u"fresh\r\nstart");
    inStep();
}

TEST_F(MarkRichEditTest, RandomBufferEditsKeepTheViewInStep) {
    std::mt19937 rng(20240611);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::u16string pieces[] = {u"word", u" ", u"\r\n", u"\n", u"\r", u"x\ty",
                                     u"\r\n\r\n", u"é\u2029z\uFDD0", u"\U0001F600"};
    const Colour colours[] = {clBlack, clRed, clBlue, clGreen, clWindowText, clSilver};
    buffer.assign(smallEssay());
    for (int step = 0; step < 400; ++step) {
        int len = buffer.length();
        int a = pick(0, len);
        int b = pick(a, std::min(len, a + 30));
        buffer.select(a, b - a);
        switch (pick(0, 9)) {
        case 0: case 1: case 2: {
            std::u16string s;
            for (int k = pick(0, 4); k > 0; --k)
                s += pieces[pick(0, 8)];
            buffer.setSelText(s);
            break;
        }
        case 3:
            buffer.setSelText(u"");
            break;
        case 4:
            buffer.setSelColour(colours[pick(0, 5)]);
            break;
        case 5:
            buffer.setSelStyle(StyleSet(pick(0, 15)));
            break;
        case 6:
            buffer.setSelSize(pick(6, 20));
            buffer.setSelOffset(pick(0, 2) * 60 - 60);
            break;
        case 7:
            buffer.setParaAlignment(Alignment(pick(0, 2)));
            buffer.setParaStartIndent(pick(-20, 60));
            break;
        case 8:
            buffer.setSelFormat(pick(0, 1) ? Label : Marker);
            break;
        case 9:
            if (pick(0, 20) == 0)
                buffer.assign(smallEssay());
            else
                buffer.setSelText(u"ab\r\ncd");
            break;
        }
        ASSERT_EQ(viewText(view), expectedText(buffer)) << "after step " << step;
        ASSERT_EQ(view.document()->blockCount(), buffer.lineCount()) << "after step " << step;
        if (step % 50 == 49) {
            ASSERT_EQ(formatMismatch(view, buffer), "") << "after step " << step;
        }
    }
    EXPECT_EQ(formatMismatch(view, buffer), "");
}

TEST_F(MarkRichEditTest, SignalsReportChangesAndMoves) {
    buffer.setText(u"one\r\ntwo");
    QSignalSpy changed(&view, &MarkRichEdit::bufferChanged);
    QSignalSpy moved(&view, &MarkRichEdit::caretMoved);
    buffer.select(5, 0);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_GE(moved.count(), 1);
    moved.clear();
    // The change is announced when the buffer is consistent again, once.
    int lengthSeen = -1;
    int selStartSeen = -1;
    QObject::connect(&view, &MarkRichEdit::bufferChanged, [&] {
        lengthSeen = buffer.length();
        selStartSeen = buffer.selStart();
    });
    buffer.setSelText(u"X");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(lengthSeen, 9);
    EXPECT_EQ(selStartSeen, 6);
    EXPECT_GE(moved.count(), 1);
    buffer.select(0, 3);
    changed.clear();
    buffer.setSelColour(clRed);
    EXPECT_EQ(changed.count(), 1);
    QApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);
}

// ---------------------------------------------------------------- editing through the view

TEST_F(MarkRichEditTest, TypingReachesTheBufferAndTheViewFollows) {
    buffer.setText(u"Hello\r\nworld");
    CharFormat black = buffer.defaultFormat();
    caretAt(5);
    QTest::keyClicks(&view, " there");
    EXPECT_EQ(buffer.text(), u"Hello there\r\nworld");
    EXPECT_EQ(buffer.selStart(), 11);
    settle();
    EXPECT_EQ(view.textCursor().position(), 11);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Tab);
    QTest::keyClicks(&view, "ok");
    EXPECT_EQ(buffer.text(), u"Hello there\r\n\tok\r\nworld");
    EXPECT_EQ(viewText(view), expectedText(buffer));
    EXPECT_EQ(buffer.formatAt(14), black);
    // Typing over a selection replaces it.
    buffer.select(0, 5);
    QTest::keyClicks(&view, "Hi");
    EXPECT_EQ(buffer.text(), u"Hi there\r\n\tok\r\nworld");
    EXPECT_EQ(viewText(view), expectedText(buffer));
}

TEST_F(MarkRichEditTest, BackspaceAndDeleteRemoveALineBreakAsOnePair) {
    buffer.setText(u"ab\r\ncd");
    caretAt(4);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(buffer.text(), u"abcd");
    EXPECT_EQ(buffer.selStart(), 2);
    EXPECT_EQ(view.document()->blockCount(), 1);

    buffer.setText(u"ab\r\ncd");
    caretAt(2);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(buffer.text(), u"abcd");
    EXPECT_EQ(viewText(view), QStringLiteral("abcd"));

    // Ordinary characters one at a time; a surrogate pair as one; the ends are safe.
    buffer.setText(u"x\U0001F600y");
    caretAt(3);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(buffer.text(), u"xy");
    caretAt(0);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(buffer.text(), u"y");
    caretAt(1);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(buffer.text(), u"y");

    // Ctrl+Backspace takes the word before the caret.
    buffer.setText(u"one two  ");
    caretAt(9);
    QTest::keyClick(&view, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(buffer.text(), u"one ");
}

TEST_F(MarkRichEditTest, GuardSeesEveryEditAndCanRefuseIt) {
    buffer.setText(u"ab\r\ncd");
    std::vector<EditRequest> seen;
    bool allow = false;
    view.setEditGuard([&](const EditRequest& r) {
        seen.push_back(r);
        return allow;
    });
    caretAt(4);
    QSignalSpy changed(&view, &MarkRichEdit::bufferChanged);
    QTest::keyClicks(&view, "zz");
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Tab);
    EXPECT_EQ(buffer.text(), u"ab\r\ncd");
    EXPECT_EQ(changed.count(), 0);
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].action, EditRequest::Action::InsertText);
    EXPECT_EQ(seen[0].text, u"z");
    EXPECT_EQ(seen[0].key, int(Qt::Key_Z));
    EXPECT_EQ(seen[0].origin, EditRequest::Origin::Keyboard);
    EXPECT_EQ(seen[2].text, u"\r\n");
    EXPECT_EQ(seen[3].action, EditRequest::Action::DeleteBackward);
    EXPECT_EQ(seen[4].action, EditRequest::Action::DeleteForward);
    EXPECT_EQ(seen[5].text, u"\t");

    // Moving the caret is never an edit.
    seen.clear();
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(seen.empty());

    allow = true;
    caretAt(4);
    QTest::keyClicks(&view, "z");
    EXPECT_EQ(buffer.text(), u"ab\r\nzcd");
}

TEST_F(MarkRichEditTest, PastedAndDroppedTextIsMadeBlack) {
    buffer.setText(u"start end");
    buffer.selectAll();
    buffer.setSelColour(clBlack);
    caretAt(5);
    buffer.setSelColour(clRed); // the insertion formatting is red

    auto* clip = new QMimeData;
    clip->setText("one\ntwo");
    QApplication::clipboard()->setMimeData(clip);
    EditRequest last;
    view.setEditGuard([&](const EditRequest& r) {
        last = r;
        return true;
    });
    ASSERT_TRUE(view.pasteClipboard());
    EXPECT_EQ(last.origin, EditRequest::Origin::Paste);
    EXPECT_EQ(buffer.text(), u"startone\r\ntwo end");
    EXPECT_EQ(buffer.selStart(), 13);
    for (int i = 5; i < 13; ++i)
        EXPECT_EQ(buffer.colourAt(i), clBlack) << i;

    // RTF keeps its styles but not its colours.
    auto* rtf = new QMimeData;
    rtf->setData("text/rtf", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\b Bold}");
    rtf->setText("Bold");
    QApplication::clipboard()->setMimeData(rtf);
    caretAt(0);
    ASSERT_TRUE(view.pasteClipboard());
    EXPECT_EQ(buffer.text().substr(0, 4), u"Bold");
    EXPECT_EQ(buffer.formatAt(0).colour, clBlack);
    EXPECT_EQ(buffer.formatAt(0).style, fsBold);
    EXPECT_EQ(viewText(view), expectedText(buffer));
    EXPECT_EQ(formatMismatch(view, buffer), "");
}

TEST_F(MarkRichEditTest, DropInsertsACopyAtTheDropPoint) {
    buffer.setText(u"first\r\nsecond");
    buffer.selectAll();
    buffer.setSelColour(clBlack);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EditRequest seen;
    view.setEditGuard([&](const EditRequest& r) {
        seen = r;
        return true;
    });
    QMimeData mime;
    mime.setText("new ");
    mime.setHtml("<span style='color:red'>new </span>");
    // The start of the second line, in viewport coordinates.
    QPoint at = view.cursorRect(QTextCursor(view.document()->findBlockByNumber(1))).center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    EXPECT_EQ(seen.origin, EditRequest::Origin::Drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(buffer.text(), u"first\r\nnew second");
    EXPECT_EQ(buffer.colourAt(7), clBlack);
    EXPECT_EQ(viewText(view), expectedText(buffer));
}

TEST_F(MarkRichEditTest, EditsAskedForWhileTheBufferReportsAreRefused) {
    buffer.setText(u"abc");
    int refused = 0;
    QObject::connect(&view, &MarkRichEdit::caretMoved, [&] {
        EditRequest r;
        r.text = u"!";
        if (!view.requestEdit(r))
            ++refused;
    });
    caretAt(1);
    EXPECT_GT(refused, 0);
    EXPECT_EQ(buffer.text(), u"abc");
    EXPECT_TRUE(buffer.check());
}

TEST_F(MarkRichEditTest, CopyGivesPlainTextAndCutAsksTheGuard) {
    buffer.setText(u"ab\r\ncd");
    buffer.select(1, 4);
    view.copySelection();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral("b\nc"));
    EXPECT_FALSE(data->hasHtml());

    QApplication::clipboard()->setText(QStringLiteral("before"));
    view.setEditGuard([](const EditRequest&) { return false; });
    EXPECT_FALSE(view.cutSelection());
    EXPECT_EQ(buffer.text(), u"ab\r\ncd");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    view.setEditGuard({});
    EXPECT_TRUE(view.cutSelection());
    EXPECT_EQ(buffer.text(), u"ad");
    EXPECT_EQ(QApplication::clipboard()->mimeData()->text(), QStringLiteral("b\nc"));
}

// ---------------------------------------------------------------- selection

TEST_F(MarkRichEditTest, SelectionInTheViewReachesTheBuffer) {
    buffer.setText(u"first\r\nsecond\r\n\r\nfourth line\r\nfifth");
    // A forward selection made through the view's cursor.
    QTextCursor c = view.textCursor();
    c.setPosition(view.documentPosition(9));
    c.setPosition(view.documentPosition(23), QTextCursor::KeepAnchor);
    view.setTextCursor(c);
    EXPECT_EQ(buffer.selStart(), 9);
    EXPECT_EQ(buffer.selLength(), 14);
    EXPECT_EQ(buffer.selText(), u"cond\r\n\r\nfourth");

    // A backward selection: start and length in the buffer, orientation kept.
    c.setPosition(view.documentPosition(26));
    c.setPosition(view.documentPosition(2), QTextCursor::KeepAnchor);
    view.setTextCursor(c);
    EXPECT_EQ(buffer.selStart(), 2);
    EXPECT_EQ(buffer.selLength(), 24);
    EXPECT_EQ(view.textCursor().position(), view.documentPosition(2));
    EXPECT_EQ(view.textCursor().anchor(), view.documentPosition(26));

    // Keys: Shift+Right over a line break selects the whole pair.
    caretAt(4);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(buffer.selStart(), 4);
    EXPECT_EQ(buffer.selText(), u"t\r\n");
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(buffer.selStart(), 4);
    EXPECT_EQ(buffer.selEnd(), buffer.lineStart(3));
    // Shift+Left back from a line start to before the pair, caret moves back.
    caretAt(buffer.lineStart(3));
    QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(buffer.selStart(), buffer.lineStart(3) - 2);
    EXPECT_EQ(buffer.selLength(), 2);
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(buffer.selStart(), buffer.lineStart(3) - 2);
    EXPECT_EQ(buffer.selLength(), 0);
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(buffer.selStart(), 0);
    EXPECT_EQ(buffer.selLength(), buffer.length());
}

TEST_F(MarkRichEditTest, SelectionOnTheBufferShowsInTheView) {
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += u"paragraph " + std::u16string(1, char16_t(u'a' + i % 26)) + u"\r\n";
    buffer.setText(text);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    int start = buffer.lineStart(150) + 2;
    buffer.select(start, 12);
    settle();
    EXPECT_EQ(view.textCursor().selectionStart(), view.documentPosition(start));
    EXPECT_EQ(view.textCursor().selectionEnd(), view.documentPosition(start + 12));
    EXPECT_EQ(view.textCursor().selectedText(),
              QString::fromStdU16String(buffer.selText()).replace("\r\n", QChar(0x2029)));
    // Scrolled into view.
    QRect caret = view.cursorRect();
    EXPECT_TRUE(view.viewport()->rect().contains(caret.center()));
    int first = view.firstVisibleLine();
    EXPECT_GT(first, 100);
    EXPECT_LE(first, 151);
}

TEST_F(MarkRichEditTest, AScanThatWalksTheCaretMovesTheViewOnce) {
    std::u16string text;
    for (int i = 0; i < 100; ++i)
        text += u"some words on a line\r\n";
    buffer.setText(text);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    settle();
    QSignalSpy viewMoves(&view, &QTextEdit::cursorPositionChanged);
    QSignalSpy caretMoves(&view, &MarkRichEdit::caretMoved);
    for (int pos = 0; pos < buffer.length(); ++pos)
        buffer.setSelStart(pos);
    EXPECT_EQ(caretMoves.count(), buffer.length()); // the window hears every move
    settle();
    EXPECT_LE(viewMoves.count(), 1);
    EXPECT_EQ(view.textCursor().position(), view.documentPosition(buffer.length() - 2));
    EXPECT_GT(view.firstVisibleLine(), 50); // scrolled to the caret
    // Input right after a program move acts from the buffer's selection.
    caretAt(2);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(buffer.selStart(), 2);
    EXPECT_EQ(buffer.selLength(), 1);
}

TEST_F(MarkRichEditTest, ScrollToLinePutsTheLineAtTheTop) {
    std::u16string text;
    for (int i = 0; i < 300; ++i)
        text += u"line of text\r\n";
    buffer.setText(text);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.firstVisibleLine(), 0);
    view.scrollToLine(120);
    EXPECT_EQ(view.firstVisibleLine(), 120);
    view.scrollToLine(3);
    EXPECT_EQ(view.firstVisibleLine(), 3);
    // Near the end the text runs out: the last page shows.
    view.scrollToLine(299);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    EXPECT_LT(view.firstVisibleLine(), 299);
    view.scrollToLine(0);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
}

// ---------------------------------------------------------------- keys and shortcuts

TEST_F(MarkRichEditTest, WindowShortcutsAreNotSwallowed) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new MarkRichEdit;
    layout->addWidget(edit);
    RichTextBuffer b;
    b.setText(u"some text");
    edit->setBuffer(&b);
    int copies = 0;
    int saves = 0;
    int letterA = 0;
    auto* copy = new QAction(&window);
    copy->setShortcut(QKeySequence::Copy);
    QObject::connect(copy, &QAction::triggered, [&] { ++copies; });
    auto* save = new QAction(&window);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QObject::connect(save, &QAction::triggered, [&] { ++saves; });
    auto* plainA = new QAction(&window);
    plainA->setShortcut(QKeySequence(Qt::Key_A));
    QObject::connect(plainA, &QAction::triggered, [&] { ++letterA; });
    window.addActions({copy, save, plainA});
    window.show();
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(edit->hasFocus());

    b.select(0, 4);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(b.text(), u"some text");
    // Typing is the view's: a window shortcut on a letter does not steal it.
    b.select(9, 0);
    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(letterA, 0);
    EXPECT_EQ(b.text(), u"some texta");
    edit->setBuffer(nullptr);
}

TEST_F(MarkRichEditTest, InputMethodCommitGoesThroughTheGuard) {
    buffer.setText(u"ab");
    caretAt(1);
    int asked = 0;
    view.setEditGuard([&](const EditRequest& r) {
        ++asked;
        EXPECT_EQ(r.origin, EditRequest::Origin::InputMethod);
        return true;
    });
    QInputMethodEvent preedit(QStringLiteral("ni"), {});
    QApplication::sendEvent(&view, &preedit);
    EXPECT_EQ(buffer.text(), u"ab");
    EXPECT_EQ(viewText(view), QStringLiteral("ab")); // composing text is not in the document
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("你"));
    QApplication::sendEvent(&view, &commit);
    EXPECT_EQ(buffer.text(), u"a你b");
    EXPECT_EQ(viewText(view), QStringLiteral("a你b"));
    EXPECT_EQ(asked, 1);
}

// ---------------------------------------------------------------- looks

// Bottom-most and top-most rows holding pixels close to a colour.
std::pair<int, int> rowsOf(const QImage& img, QColor want) {
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                    std::abs(c.blue() - want.blue()) < 90) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
        }
    return {top, bottom};
}

TEST_F(MarkRichEditTest, LabelsAreDrawnRaisedAndSmall) {
    RichContent c;
    c.appendText(u"The marker ", Black);
    c.appendText(u"recieved", Span);
    c.appendText(u"Sp", Label);
    c.appendText(u" his ", Black);
    c.appendText(u"homework", Commented);
    c.appendText(u"1", Marker);
    c.appendText(u" now ", Black);
    c.appendText(u"[*BM*]", Bookmark);
    c.appendParagraphBreak(Black, ParaFormat{Alignment::Center, 0});
    c.appendText(u"A centred line with a ", Black);
    c.appendText(u"fine", Span);
    c.appendText(u"Good", Praise);
    c.appendText(u" word.", Black);
    buffer.assign(std::move(c));
    view.resize(520, 120);
    showAndFocus();
    buffer.select(4, 6);
    settle();
    QImage img = view.grab().toImage();
    if (const char* out = std::getenv("TALLIX_VIEW_PNG"))
        img.save(QString::fromLocal8Bit(out));

    // Only the first line: the red label against the black "marker" (no descenders).
    QImage line = img.copy(0, 0, img.width(), 40);
    auto [redTop, redBottom] = rowsOf(line, QColor(255, 0, 0));
    auto [blueTop, blueBottom] = rowsOf(line, QColor(0, 0, 255));
    auto [greenTop, greenBottom] = rowsOf(line, QColor(0, 128, 0));
    ASSERT_GE(redTop, 0);
    ASSERT_GE(blueTop, 0);
    ASSERT_GE(greenTop, 0);
    // The blue span's lowest row is its underline; letters sit above it. The label's
    // baseline is about 3 points (4 pixels at 96 dpi) above the body's, and it is
    // smaller than the body text.
    int px3pt = view.logicalDpiY() * 3 / 72;
    EXPECT_LE(redBottom, blueBottom - px3pt) << "label not raised";
    EXPECT_LT(redBottom - redTop, blueBottom - blueTop) << "label not small";
    EXPECT_LE(greenBottom, blueBottom - px3pt + 1) << "marker not raised";
    EXPECT_GE(redTop, 0);
}

// ---------------------------------------------------------------- size

// A large marked essay, made here: paragraphs of text with annotations and markers.
RichContent largeEssay(std::size_t chars) {
    RichContent c;
    std::mt19937 rng(42);
    const std::u16string words[] = {u"the", u"essay", u"argues", u"that", u"students",
                                    u"write", u"clearly", u"however", u"evidence", u"is"};
    int marker = 0;
    while (c.text.size() < chars) {
        for (int s = 0; s < 40; ++s) {
            c.appendText(words[rng() % 10] + u" ", Black);
            switch (rng() % 12) {
            case 0:
                c.appendText(u"misspelt words", Span);
                c.appendText(u"Sp", Label);
                c.appendText(u" ", Black);
                break;
            case 1:
                c.appendText(u"a remark", Commented);
                c.appendText(QString::number(++marker).toStdU16String(), Marker);
                c.appendText(u" ", Black);
                break;
            default:
                break;
            }
        }
        c.appendParagraphBreak(Black, ParaFormat{});
    }
    return c;
}

TEST_F(MarkRichEditTest, LargeEssayLoadsAndEditsInStep) {
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    RichContent essay = largeEssay(1'000'000);
    struct PaintWatch : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                painted = true;
            return false;
        }
    } watch;
    view.viewport()->installEventFilter(&watch);
    QElapsedTimer timer;
    timer.start();
    buffer.assign(std::move(essay));
    qint64 loaded = timer.elapsed();
    view.viewport()->update();
    while (!watch.painted && timer.elapsed() < 30000)
        QApplication::processEvents();
    qint64 painted = timer.elapsed();
    std::printf("[ info ] 1 MB essay: view built in %lld ms, first paint at %lld ms\n",
                loaded, painted);
    ASSERT_TRUE(watch.painted);
    EXPECT_EQ(viewText(view), expectedText(buffer));

    // Typing in the middle of the large text changes one place only.
    buffer.select(buffer.length() / 2, 0);
    QElapsedTimer typing;
    typing.start();
    for (int i = 0; i < 50; ++i) {
        QTest::keyClick(&view, Qt::Key_X);
        view.repaint();
    }
    std::printf("[ info ] typing in it: %.2f ms a key (with repaint)\n", double(typing.elapsed()) / 50.0);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(viewText(view), expectedText(buffer));
    view.viewport()->removeEventFilter(&watch);

    // Scrolling far into a freshly loaded text, before its layout has finished.
    buffer.assign(largeEssay(1'000'000));
    int middle = buffer.lineCount() / 2;
    view.scrollToLine(middle);
    EXPECT_EQ(view.firstVisibleLine(), middle);
    buffer.assign(largeEssay(1'000'000));
    view.scrollToLine(buffer.lineCount() - 3);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    EXPECT_GT(view.firstVisibleLine(), buffer.lineCount() - 40);
    EXPECT_LT(view.firstVisibleLine(), buffer.lineCount() - 3);
}

} // namespace
} // namespace tallix
