#include "app/qt/Artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tallix::art {

namespace {

// The markup colours of the essay view.
const QColor kBlue(0, 0, 255);
const QColor kRed(208, 0, 0);
const QColor kTeal(0, 128, 128);
const QColor kGreen(0, 128, 0);
const QColor kNavy(0, 0, 128);
const QColor kInk(31, 56, 100);
const QColor kTextBar(184, 190, 200);

QFont arial(qreal pixels, bool bold, bool italic = false) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(qMax(1, qRound(pixels)));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void bar(QPainter& p, qreal x, qreal y, qreal w, qreal h, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(x, y - h / 2, w, h), h / 2, h / 2);
}

// A run of marked text: a coloured bar, underlined, with a small raised label after
// it. Returns the x where the line goes on.
qreal markedRun(QPainter& p, qreal x, qreal y, qreal w, qreal h, const QColor& span,
                const QString& label, const QColor& labelColour, bool labelBold, bool labelItalic,
                bool drawLabelText) {
    bar(p, x, y, w, h, span);
    p.setPen(QPen(span, qMax<qreal>(1.0, h * 0.22)));
    p.drawLine(QPointF(x, y + h * 0.95), QPointF(x + w, y + h * 0.95));
    x += w + h * 0.4;
    if (drawLabelText) {
        const QFont f = arial(h * 2.1, labelBold, labelItalic);
        p.setFont(f);
        p.setPen(labelColour);
        const QFontMetricsF fm(f);
        p.drawText(QPointF(x, y - h * 0.4), label);
        return x + fm.horizontalAdvance(label) + h * 0.6;
    }
    // Too small for letters: a tag of the label's colour, raised.
    bar(p, x, y - h * 0.7, h * 2.4, h * 1.1, labelColour);
    return x + h * 3.0;
}

// A page of an essay, marked, drawn into page (rotated by angle degrees about its
// centre), with a soft shadow.
void paintPage(QPainter& p, const QRectF& page, qreal angle, bool letters) {
    p.save();
    p.translate(page.center());
    p.rotate(angle);
    const QRectF r(-page.width() / 2, -page.height() / 2, page.width(), page.height());

    // Shadow, then the sheet with a folded corner.
    const qreal fold = r.width() * 0.16;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 50, 30, 18));
        p.drawPath(sheet.translated(i * page.width() / 90.0 + 1, i * page.width() / 70.0 + 1));
    }
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(170, 165, 150), 1));
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(QColor(228, 224, 212));
    p.drawPath(corner);

    // Lines of text.
    const qreal margin = r.width() * 0.12;
    const qreal left = r.left() + margin;
    const qreal width = r.width() - 2 * margin;
    const qreal gap = r.height() / 12.0;
    const qreal h = qMax<qreal>(1.5, gap * 0.30);
    bar(p, left + width * 0.2, r.top() + gap * 1.4, width * 0.6, h * 1.3, kInk); // the title
    static const qreal lengths[] = {0.96, 0.90, 0.94, 0.55, 0.97, 0.92, 0.88, 0.93, 0.62};
    for (int i = 0; i < 9; ++i) {
        const qreal y = r.top() + gap * (2.9 + i);
        const qreal full = width * lengths[i];
        if (i == 1) {
            bar(p, left, y, width * 0.22, h, kTextBar);
            qreal x = markedRun(p, left + width * 0.25, y, width * 0.26, h, kBlue,
                                QStringLiteral("Sp"), kRed, false, true, letters);
            bar(p, x, y, qMax<qreal>(h, left + full - x), h, kTextBar);
        } else if (i == 4) {
            bar(p, left, y, width * 0.40, h, kTextBar);
            qreal x = markedRun(p, left + width * 0.43, y, width * 0.24, h, kNavy,
                                QStringLiteral("1"), kGreen, true, false, letters);
            bar(p, x, y, qMax<qreal>(h, left + full - x), h, kTextBar);
        } else if (i == 7 && letters) {
            bar(p, left, y, width * 0.12, h, kTextBar);
            qreal x = markedRun(p, left + width * 0.15, y, width * 0.30, h, kBlue,
                                QStringLiteral("Good!"), kTeal, false, true, letters);
            bar(p, x, y, qMax<qreal>(h, left + full - x), h, kTextBar);
        } else {
            bar(p, left, y, full, h, kTextBar);
        }
    }
    p.restore();
}

void paintBackground(QPainter& p, const QRectF& area) {
    QLinearGradient g(area.topLeft(), area.bottomRight());
    g.setColorAt(0.0, QColor(252, 249, 242));
    g.setColorAt(1.0, QColor(234, 227, 210));
    p.fillRect(area, g);
}

// "Tallix" in ink with "32" as a red raised label, the way the program marks text.
// baseline: the left end of the title's baseline. Returns the title's width.
qreal paintTitle(QPainter& p, QPointF baseline, qreal size) {
    const QFont big = arial(size, true);
    const QFont small = arial(size * 0.52, true, true);
    p.setFont(big);
    p.setPen(kInk);
    p.drawText(baseline, QStringLiteral("Tallix"));
    const qreal w = QFontMetricsF(big).horizontalAdvance(QStringLiteral("Tallix"));
    p.setFont(small);
    p.setPen(kRed);
    p.drawText(baseline + QPointF(w + size * 0.06, -size * 0.36), QStringLiteral("32"));
    return w + size * 0.06 + QFontMetricsF(small).horizontalAdvance(QStringLiteral("32"));
}

} // namespace

QPixmap splashPicture() {
    QPixmap pm(440, 260);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF area(0, 0, pm.width(), pm.height());
    paintBackground(p, area);
    paintPage(p, QRectF(34, 26, 160, 208), -5.0, true);

    const qreal titleWidth = paintTitle(p, QPointF(232, 112), 46);
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(234, 124), QPointF(232 + titleWidth, 124));
    p.setFont(arial(15, false));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QPointF(234, 150), QStringLiteral("Essays marked on screen"));
    p.setFont(arial(12, false));
    p.setPen(QColor(110, 105, 95));
    p.drawText(QPointF(234, 226), QStringLiteral("Version 1.3"));

    p.setPen(QPen(QColor(150, 140, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    return pm;
}

QPixmap aboutPicture() {
    QPixmap pm(320, 100);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintBackground(p, QRectF(0, 0, pm.width(), pm.height()));
    paintPage(p, QRectF(24, 12, 60, 78), -5.0, false);
    paintTitle(p, QPointF(112, 56), 32);
    p.setFont(arial(12, false));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QPointF(114, 80), QStringLiteral("Essays marked on screen"));
    return pm;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        paintPage(p, QRectF(s * 0.14, s * 0.06, s * 0.72, s * 0.88), 0.0, size >= 128);
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace tallix::art
