#pragma once
// EssayLayout: the layout of the essay view's QTextDocument. The essay is one
// flow of paragraphs (blocks) with an alignment and a start indent each, no
// frames, tables or floats, so a paragraph's place is the sum of the heights of
// the paragraphs above it. The layout keeps those heights: an edit lays out the
// paragraphs it touched again and adds up the places below, so a key costs the
// same at the start of a long essay as at its end. (Qt's own document layout
// visits every paragraph after the change on each edit.)
//
// Paragraphs are laid out in order from the first, as far as they are asked for
// (drawn, hit, or their place asked) and the rest a few milliseconds at a time
// while the program is idle. A new text, a new width or a new default font lays
// everything out afresh in that way.
//
// Coordinates: each paragraph's QTextLayout sits at (0, 0) with its lines placed
// inside it (the indent in their x); blockBoundingRect gives the paragraph's
// place in the document, which is where it is drawn and hit.
#include <QAbstractTextDocumentLayout>

#include <vector>

class QTimer;

namespace tallix {

class EssayLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit EssayLayout(QTextDocument* doc);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    // The laid-out height; while a fresh layout is under way, at least the height
    // the text had before, so that the view keeps its scroll range and place.
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    // Lays the text out as far as block first.
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Whether every paragraph is laid out.
    bool layoutFinished() const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    qreal margin() const;
    qreal textWidth() const;
    qreal topOf(int block) const {
        return margin() + (block > 0 ? bottoms_[std::size_t(block - 1)] : 0);
    }
    // Lays out one paragraph and returns its height.
    qreal layOutBlock(const QTextBlock& block) const;
    // Lays out paragraphs in order until block n is laid out / until they reach y.
    void layOutThrough(int n) const;
    void layOutDownTo(qreal y) const;
    void appendBlock(const QTextBlock& block) const;
    // The laid-out block whose place holds y (the first or the last beyond them).
    int blockAt(qreal y) const;
    void recomputeBottoms(int from) const;
    // Forgets the layout of blocks from n on; they are laid out again as asked.
    void forgetFrom(int n);
    void scheduleLayout();
    void layoutSomeMore();
    void reportSize();
    void noteGrowth() const;

    mutable std::vector<qreal> heights_; // of the laid-out blocks 0 .. n-1
    mutable std::vector<qreal> bottoms_; // their running sums
    mutable qreal widest_ = 0;
    qreal staleHeight_ = 0; // the height before a fresh layout began
    int blockCount_ = 1;    // the document's blocks at the last change
    qreal width_ = -2;      // the text width the layout was made for
    QSizeF reportedSize_;
    QTimer* idle_ = nullptr;
};

} // namespace tallix
