#include "document/qt/EssayLayout.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>

namespace tallix {

namespace {

// Without a width (no view yet) lines are not wrapped.
constexpr qreal Unwrapped = 1e7;
// A change over more paragraphs than this is laid out again as a fresh layout.
constexpr int LargestChange = 64;
// How long one idle step of the layout may take.
constexpr int StepMilliseconds = 8;

} // namespace

EssayLayout::EssayLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc) {
    idle_ = new QTimer(this);
    idle_->setSingleShot(true);
    idle_->setInterval(0);
    connect(idle_, &QTimer::timeout, this, [this] { layoutSomeMore(); });
    blockCount_ = doc->blockCount();
}

qreal EssayLayout::margin() const {
    return document()->documentMargin();
}

qreal EssayLayout::textWidth() const {
    return document()->pageSize().width();
}

bool EssayLayout::layoutFinished() const {
    return int(heights_.size()) >= document()->blockCount();
}

qreal EssayLayout::layOutBlock(const QTextBlock& block) const {
    QTextLayout* tl = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = document()->defaultTextOption();
    // The essay runs left to right: naming it spares a scan of the text.
    option.setTextDirection(Qt::LeftToRight);
    Qt::Alignment align =
        format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment() : option.alignment();
    if (!(align & Qt::AlignHorizontal_Mask))
        align |= Qt::AlignLeft;
    option.setAlignment(align | Qt::AlignAbsolute);
    tl->setTextOption(option);
    tl->setPosition(QPointF(0, 0));

    const qreal width = textWidth();
    const qreal left = format.leftMargin();
    const qreal right = format.rightMargin();
    const qreal available =
        std::max<qreal>(1, (width > 0 ? width - 2 * margin() : Unwrapped) - left - right);
    qreal y = 0;
    tl->beginLayout();
    for (;;) {
        QTextLine line = tl->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(available);
        line.setPosition(QPointF(left, y));
        y += line.height();
        widest_ = std::max(widest_, left + line.naturalTextWidth() + right);
    }
    tl->endLayout();
    return y;
}

void EssayLayout::recomputeBottoms(int from) const {
    bottoms_.resize(heights_.size());
    qreal y = from > 0 ? bottoms_[std::size_t(from - 1)] : 0;
    for (std::size_t i = std::size_t(std::max(from, 0)); i < heights_.size(); ++i) {
        y += heights_[i];
        bottoms_[i] = y;
    }
}

void EssayLayout::appendBlock(const QTextBlock& block) const {
    heights_.push_back(layOutBlock(block));
    bottoms_.push_back((bottoms_.empty() ? 0 : bottoms_.back()) + heights_.back());
}

void EssayLayout::layOutThrough(int n) const {
    const int count = document()->blockCount();
    n = std::min(n, count - 1);
    if (int(heights_.size()) > n)
        return;
    QTextBlock block = document()->findBlockByNumber(int(heights_.size()));
    while (block.isValid() && int(heights_.size()) <= n) {
        appendBlock(block);
        block = block.next();
    }
}

void EssayLayout::layOutDownTo(qreal y) const {
    if (!heights_.empty() && bottoms_.back() >= y)
        return;
    QTextBlock block = document()->findBlockByNumber(int(heights_.size()));
    while (block.isValid() && (heights_.empty() || bottoms_.back() < y)) {
        appendBlock(block);
        block = block.next();
    }
}

int EssayLayout::blockAt(qreal y) const {
    if (bottoms_.empty())
        return 0;
    auto it = std::upper_bound(bottoms_.begin(), bottoms_.end(), y);
    if (it == bottoms_.end())
        --it;
    return int(it - bottoms_.begin());
}

void EssayLayout::draw(QPainter* painter, const PaintContext& context) {
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(0, 0, 1e9, 1e9);
    const qreal m = margin();
    layOutDownTo(clip.bottom() - m);
    if (heights_.empty())
        return;
    const int cursorWidth = property("cursorWidth").isValid() ? property("cursorWidth").toInt() : 1;
    const int first = blockAt(clip.top() - m);
    painter->setPen(context.palette.color(QPalette::Text));
    QTextBlock block = document()->findBlockByNumber(first);
    for (int i = first; i < int(heights_.size()) && block.isValid(); ++i, block = block.next()) {
        const QPointF at(m, topOf(i));
        if (at.y() > clip.bottom())
            break;
        const int start = block.position();
        const int length = block.length();
        QList<QTextLayout::FormatRange> selections;
        for (const Selection& s : context.selections) {
            const int from = std::max(s.cursor.selectionStart() - start, 0);
            const int to = std::min(s.cursor.selectionEnd() - start, length);
            if (to > from)
                selections.append(QTextLayout::FormatRange{from, to - from, s.format});
        }
        QTextLayout* tl = block.layout();
        tl->draw(painter, at, selections, clip);
        // The caret, or (while text is composed) its place in the composed text.
        const int caret = context.cursorPosition;
        if (caret >= start && caret < start + length)
            tl->drawCursor(painter, at, caret - start, cursorWidth);
        else if (caret < -1 && !tl->preeditAreaText().isEmpty())
            tl->drawCursor(painter, at, tl->preeditAreaPosition() - (caret + 2), cursorWidth);
    }
    noteGrowth();
}

void EssayLayout::noteGrowth() const {
    // Laid out further on demand: the size is reported from the event loop, not
    // from inside a paint or a query.
    if (documentSize() != reportedSize_ && !idle_->isActive())
        idle_->start();
}

int EssayLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    const qreal m = margin();
    layOutDownTo(point.y() - m);
    if (heights_.empty())
        return accuracy == Qt::ExactHit ? -1 : 0;
    const int n = blockAt(point.y() - m);
    const QTextBlock block = document()->findBlockByNumber(n);
    const QTextLayout* tl = block.layout();
    const QPointF inside = point - QPointF(m, topOf(n));
    const int lines = tl->lineCount();
    if (lines == 0)
        return accuracy == Qt::ExactHit ? -1 : block.position();
    int li = 0;
    while (li < lines - 1 && inside.y() >= tl->lineAt(li).rect().bottom())
        ++li;
    const QTextLine line = tl->lineAt(li);
    if (accuracy == Qt::ExactHit && !line.naturalTextRect().contains(inside))
        return -1;
    noteGrowth();
    return block.position() + line.xToCursor(inside.x());
}

QSizeF EssayLayout::documentSize() const {
    const qreal width = textWidth() > 0 ? textWidth() : widest_ + 2 * margin();
    qreal height = heights_.empty() ? 0 : bottoms_.back();
    if (!layoutFinished())
        height = std::max(height, staleHeight_);
    return {width, height + 2 * margin()};
}

QRectF EssayLayout::frameBoundingRect(QTextFrame* frame) const {
    if (frame != document()->rootFrame())
        return {};
    return {QPointF(0, 0), documentSize()};
}

QRectF EssayLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid())
        return {};
    const int n = block.blockNumber();
    layOutThrough(n);
    if (n >= int(heights_.size()))
        return {};
    noteGrowth();
    const qreal width = textWidth() > 0 ? textWidth() - 2 * margin() : widest_;
    return {margin(), topOf(n), width, heights_[std::size_t(n)]};
}

void EssayLayout::forgetFrom(int n) {
    n = std::max(n, 0);
    const qreal height = heights_.empty() ? 0 : bottoms_.back();
    staleHeight_ = layoutFinished() ? height : std::max(staleHeight_, height);
    if (n == 0)
        widest_ = 0;
    if (n < int(heights_.size())) {
        heights_.resize(std::size_t(n));
        bottoms_.resize(std::size_t(n));
    }
    scheduleLayout();
}

void EssayLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    Q_UNUSED(charsRemoved);
    QTextDocument* doc = document();
    const int count = doc->blockCount();
    const int grown = count - blockCount_;
    blockCount_ = count;

    QTextBlock first = doc->findBlock(from);
    if (!first.isValid())
        first = doc->lastBlock();
    // Through the block that holds the first character after the change: a new
    // paragraph break makes that one a block of its own.
    QTextBlock last = doc->findBlock(from + charsAdded);
    if (!last.isValid())
        last = doc->lastBlock();
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        b.clearLayout();
        if (b == last)
            break;
    }
    const int s = first.blockNumber();
    const int span = last.blockNumber() - s + 1; // blocks that hold the change now
    const int oldSpan = span - grown;            // blocks that held it before

    const qreal width = textWidth();
    if (width != width_) {
        width_ = width;
        forgetFrom(0);
    } else if (s >= int(heights_.size())) {
        scheduleLayout(); // beyond what is laid out: nothing to move
    } else if (oldSpan < 1 || span > LargestChange || s + oldSpan > int(heights_.size())) {
        forgetFrom(s);
    } else {
        // Lay out the changed paragraphs again; the ones below only move.
        const qreal before = bottoms_.back();
        std::vector<qreal> fresh;
        fresh.reserve(std::size_t(span));
        QTextBlock b = first;
        for (int i = 0; i < span && b.isValid(); ++i, b = b.next())
            fresh.push_back(layOutBlock(b));
        const auto at = heights_.begin() + s;
        const bool sameHeights = oldSpan == span && std::equal(fresh.begin(), fresh.end(), at);
        heights_.erase(at, at + oldSpan);
        heights_.insert(heights_.begin() + s, fresh.begin(), fresh.end());
        recomputeBottoms(s);
        const qreal top = topOf(s);
        const qreal changedHeight = bottoms_[std::size_t(s + span - 1)] - (top - margin());
        emit update(sameHeights ? QRectF(0, top, 1e9, changedHeight)
                                : QRectF(0, top, 1e9, std::max(before, bottoms_.back()) + 1e9));
        for (QTextBlock u = first; u.isValid(); u = u.next()) {
            emit updateBlock(u);
            if (u == last)
                break;
        }
        reportSize();
        return;
    }
    emit update(QRectF(0, 0, 1e9, 1e9));
    reportSize();
}

void EssayLayout::scheduleLayout() {
    // Without a width there is nothing worth laying out ahead of need.
    if (textWidth() > 0 && !layoutFinished() && !idle_->isActive())
        idle_->start();
}

void EssayLayout::layoutSomeMore() {
    QElapsedTimer clock;
    clock.start();
    const qreal top = heights_.empty() ? 0 : bottoms_.back();
    QTextBlock block = document()->findBlockByNumber(int(heights_.size()));
    while (block.isValid() && clock.elapsed() < StepMilliseconds) {
        appendBlock(block);
        block = block.next();
    }
    if (!layoutFinished())
        idle_->start();
    const qreal bottom = heights_.empty() ? 0 : bottoms_.back();
    if (bottom > top)
        emit update(QRectF(0, top + margin(), 1e9, bottom - top));
    reportSize();
}

void EssayLayout::reportSize() {
    const QSizeF size = documentSize();
    if (size != reportedSize_) {
        reportedSize_ = size;
        emit documentSizeChanged(size);
    }
}

} // namespace tallix
