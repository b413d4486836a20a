// The layout of the essay view: paragraphs stacked one below the other, with their
// alignment and indent, following every edit; an edit lays out only what it
// touched, and the paragraphs below it only move.
#include "document/qt/EssayLayout.h"
#include "document/RichTextBuffer.h"
#include "document/qt/MarkRichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include "BufferTestSupport.h"

#include <gtest/gtest.h>

namespace tallix {
namespace {

using testing::fmt;

class EssayLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(400, 300);
        view.setBuffer(&buffer);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    void TearDown() override { view.setBuffer(nullptr); }

    QAbstractTextDocumentLayout* layout() { return view.document()->documentLayout(); }
    QRectF rectOf(int block) {
        return layout()->blockBoundingRect(view.document()->findBlockByNumber(block));
    }
    // Every paragraph starts where the one above it ends.
    void expectStacked() {
        const QTextDocument* doc = view.document();
        qreal y = rectOf(0).top();
        EXPECT_EQ(y, doc->documentMargin());
        for (int i = 0; i < doc->blockCount(); ++i) {
            const QRectF r = rectOf(i);
            EXPECT_EQ(r.top(), y) << "block " << i;
            EXPECT_GT(r.height(), 0) << "block " << i;
            y = r.bottom();
        }
        EXPECT_EQ(layout()->documentSize().height(), y + doc->documentMargin());
    }
    void settle() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    RichTextBuffer buffer;
    MarkRichEdit view;
};

std::u16string paragraphs(int n, const std::u16string& text) {
    std::u16string s;
    for (int i = 0; i < n; ++i)
        s += text + u"\r\n";
    return s;
}

TEST_F(EssayLayoutTest, TheViewUsesItAndParagraphsStackThroughEdits) {
    buffer.setText(paragraphs(40, u"A paragraph of the essay, long enough to wrap onto a "
                                  u"second line in a narrow view of the text."));
    settle();
    ASSERT_NE(dynamic_cast<EssayLayout*>(layout()), nullptr);
    expectStacked();
    EXPECT_GT(rectOf(0).height(), QFontMetricsF(view.font()).height() * 1.5); // wrapped

    // A new paragraph, a joined one, a deletion across several, and typing.
    buffer.select(10, 0);
    buffer.setSelText(u"\r\n");
    expectStacked();
    buffer.select(10, 2);
    buffer.setSelText(u"");
    expectStacked();
    buffer.select(50, 400);
    buffer.setSelText(u"x");
    expectStacked();
    EXPECT_EQ(view.document()->blockCount(), buffer.lineCount());
    buffer.select(0, 0);
    view.setFocus();
    QTest::keyClicks(&view, QStringLiteral("Typed "));
    expectStacked();

    // A narrower view wraps again: taller paragraphs, still stacked.
    const qreal tall = rectOf(3).height();
    view.resize(220, 300);
    settle();
    layout()->blockBoundingRect(view.document()->lastBlock());
    expectStacked();
    EXPECT_GT(rectOf(3).height(), tall);
}

TEST_F(EssayLayoutTest, AnEditMovesTheParagraphsBelowWithoutLayingThemOutAgain) {
    buffer.setText(paragraphs(200, u"Some words in a paragraph."));
    settle();
    layout()->blockBoundingRect(view.document()->lastBlock());
    settle();
    QTextBlock far = view.document()->findBlockByNumber(150);
    const QRectF before = layout()->blockBoundingRect(far);
    const QPointF placed = far.layout()->position();
    const qreal lineY = far.layout()->lineAt(0).y();

    // The first paragraph grows by a line.
    buffer.select(5, 0);
    buffer.setSelText(u"\r\n");
    far = view.document()->findBlockByNumber(151);
    const QRectF after = layout()->blockBoundingRect(far);
    EXPECT_EQ(after.height(), before.height());
    EXPECT_EQ(after.top(), before.top() + rectOf(1).height());
    // Its layout is where it was: only its place in the document moved.
    EXPECT_EQ(far.layout()->position(), placed);
    EXPECT_EQ(far.layout()->lineAt(0).y(), lineY);
}

TEST_F(EssayLayoutTest, AlignmentIndentAndHitsMapBackToPositions) {
    RichContent c;
    const CharFormat black = fmt(clBlack);
    // A break's paragraph format is that of the paragraph after it.
    c.appendText(u"Left paragraph", black);
    c.appendParagraphBreak(black, ParaFormat{Alignment::Center, 0});
    c.appendText(u"Centred", black);
    c.appendParagraphBreak(black, ParaFormat{Alignment::Right, 0});
    c.appendText(u"Right", black);
    c.appendParagraphBreak(black, ParaFormat{Alignment::Left, 1440});
    c.appendText(u"Indented paragraph", black);
    buffer.assign(std::move(c));
    settle();
    expectStacked();
    auto lineRect = [&](int block) {
        const QTextBlock b = view.document()->findBlockByNumber(block);
        return b.layout()->lineAt(0).naturalTextRect().translated(rectOf(block).topLeft());
    };
    const qreal width = rectOf(0).width();
    EXPECT_NEAR(lineRect(1).center().x() - rectOf(1).left(), width / 2, 2);
    EXPECT_NEAR(lineRect(2).right() - rectOf(2).left(), width, 2);
    EXPECT_NEAR(lineRect(3).left() - rectOf(3).left(), view.logicalDpiX(), 2); // one inch

    // A hit in the middle of a line gives the position there, and the caret's
    // rectangle at a position lies where the hit found it.
    for (int block : {0, 1, 2, 3}) {
        const QTextBlock b = view.document()->findBlockByNumber(block);
        const QRectF line = lineRect(block);
        const QPointF at(line.left() + 1, line.center().y());
        const int pos = layout()->hitTest(at, Qt::FuzzyHit);
        EXPECT_EQ(pos, b.position()) << "block " << block;
        QTextCursor at3(view.document());
        at3.setPosition(b.position() + 3);
        const QRect caret = view.cursorRect(at3).translated(view.horizontalScrollBar()->value(),
                                                            view.verticalScrollBar()->value());
        EXPECT_EQ(layout()->hitTest(QPointF(caret.center()), Qt::FuzzyHit), b.position() + 3)
            << "block " << block;
    }
    // Below the text: the end; above it: the start.
    EXPECT_EQ(layout()->hitTest(QPointF(5, 1e6), Qt::FuzzyHit),
              view.document()->lastBlock().position());
    EXPECT_EQ(layout()->hitTest(QPointF(5, -10), Qt::FuzzyHit), 0);
}

} // namespace
} // namespace tallix
