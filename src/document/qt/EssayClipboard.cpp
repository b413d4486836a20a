#include "document/qt/EssayClipboard.h"

#include "document/EditGuard.h"
#include "document/RtfReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <array>
#include <cmath>

namespace tallix {

namespace {

// The MIME types under which word processors put RTF on the clipboard.
const char* const RtfMimeTypes[] = {
    "text/rtf",
    "application/rtf",
    "text/richtext",
    "application/x-qt-windows-mime;value=\"Rich Text Format\"",
};

// Twips per CSS pixel (96 pixels to the inch).
constexpr int TwipsPerPixel = 15;

bool readRtfData(const QMimeData* data, RichContent& out) {
    for (const char* type : RtfMimeTypes) {
        const QString name = QString::fromLatin1(type);
        if (!data->hasFormat(name))
            continue;
        const QByteArray bytes = data->data(name);
        const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
        RichContent content;
        if (looksLikeRtf(view) && readRtf(view, content).ok && !content.text.empty()) {
            out = std::move(content);
            return true;
        }
    }
    return false;
}

int halfPoints(qreal points) { return std::max(2, int(std::lround(points * 2))); }

CharFormat charFormatOf(const QTextCharFormat& q, const CharFormat& base) {
    CharFormat f = base;
    f.colour = clBlack;
    f.offsetTwips = 0;
    const QStringList families = q.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && !families.first().trimmed().isEmpty())
        f.fontName = families.first().trimmed().toStdU16String();
    if (q.hasProperty(QTextFormat::FontPointSize) && q.fontPointSize() > 0) {
        f.sizeHalfPoints = halfPoints(q.fontPointSize());
    } else if (q.hasProperty(QTextFormat::FontPixelSize) &&
               q.intProperty(QTextFormat::FontPixelSize) > 0) {
        f.sizeHalfPoints = halfPoints(q.intProperty(QTextFormat::FontPixelSize) * 0.75);
    } else if (q.hasProperty(QTextFormat::FontSizeAdjustment)) {
        // The HTML sizes 1..7 (headings and <font size>), as steps from the base size.
        static constexpr std::array<qreal, 7> scale{0.7, 0.8, 1.0, 1.2, 1.5, 2.0, 2.4};
        const int step = std::clamp(q.intProperty(QTextFormat::FontSizeAdjustment) + 2, 0, 6);
        f.sizeHalfPoints = halfPoints(base.sizeHalfPoints / 2.0 * scale[std::size_t(step)]);
    }
    StyleSet s = 0;
    if (q.fontWeight() >= QFont::DemiBold)
        s |= fsBold;
    if (q.fontItalic())
        s |= fsItalic;
    if (q.fontUnderline())
        s |= fsUnderline;
    if (q.fontStrikeOut())
        s |= fsStrikeOut;
    f.style = s;
    return f;
}

ParaFormat paraFormatOf(const QTextBlockFormat& q) {
    ParaFormat p;
    const Qt::Alignment a = q.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        p.alignment = Alignment::Center;
    else if (a & Qt::AlignRight)
        p.alignment = Alignment::Right;
    p.startIndentTwips = int(std::lround(q.leftMargin() * TwipsPerPixel));
    return p;
}

RichContent contentFromHtml(const QString& html, const CharFormat& base) {
    QTextDocument doc;
    doc.setHtml(html);
    RichContent c;
    CharFormat last = base;
    last.colour = clBlack;
    last.offsetTwips = 0;
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const ParaFormat para = paraFormatOf(block.blockFormat());
        if (first)
            c.paragraphs.front() = para;
        else
            c.appendParagraphBreak(last, para);
        first = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const CharFormat f = charFormatOf(fragment.charFormat(), base);
            std::u16string run;
            for (QChar ch : fragment.text()) {
                const char16_t u = ch.unicode();
                if (u == QChar::LineSeparator) { // <br>: a line break of its own
                    c.appendText(run, f);
                    run.clear();
                    c.appendParagraphBreak(f, para);
                } else if (u != QChar::ObjectReplacementCharacter && u != u'\r' && u != u'\n') {
                    run.push_back(u);
                }
            }
            c.appendText(run, f);
            last = f;
        }
    }
    return c;
}

QString clipboardText(std::u16string text) {
    QString s = QString::fromStdU16String(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

RichContent contentFromMimeData(const QMimeData* data, const CharFormat& base) {
    RichContent c;
    if (!data)
        return c;
    if (readRtfData(data, c))
        return c;
    if (data->hasHtml()) {
        c = contentFromHtml(data->html(), base);
        if (!c.text.empty())
            return c;
    }
    // Plain text brings no paragraph formats: its paragraphs keep the essay's.
    c = RichContent{};
    c.text = data->text().toStdU16String();
    if (!c.text.empty())
        c.runs.push_back(FormatRun{int(c.text.size()), base});
    c.paragraphs.clear();
    return c;
}

std::optional<Message> pasteRtf(RichTextBuffer& b, const QMimeData* data) {
    if (!guard::isEditable(b))
        return guard::refusalMessage();
    if (!data)
        data = QGuiApplication::clipboard()->mimeData();
    return guard::pasteContent(b, contentFromMimeData(data, b.selFormat()));
}

std::optional<Message> cutRtf(RichTextBuffer& b) {
    std::u16string text;
    if (auto refused = guard::cutSelection(b, text))
        return refused;
    if (!text.empty())
        QGuiApplication::clipboard()->setText(clipboardText(std::move(text)));
    return std::nullopt;
}

void copyRtf(const RichTextBuffer& b) {
    if (b.selLength() > 0)
        QGuiApplication::clipboard()->setText(clipboardText(b.selText()));
}

std::optional<Message> deleteRtf(RichTextBuffer& b) { return guard::deleteSelection(b); }

} // namespace tallix
