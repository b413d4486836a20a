#include "export/qt/PdfExport.h"

#include "platform/SettingsSource.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QHashFunctions>
#include <QFontMetricsF>
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QTextFrame>
#include <QScreen>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tallix::exports {

namespace {

struct FormatHash {
    std::size_t operator()(const CharFormat& f) const { return hashCharFormat(f); }
};

QTextCharFormat qtFormat(const CharFormat& f) {
    QTextCharFormat q;
    if (!f.fontName.empty())
        q.setFontFamilies({QString::fromStdU16String(f.fontName)});
    q.setFontPointSize(std::max(f.sizeHalfPoints, 2) / 2.0);
    q.setFontWeight((f.style & fsBold) ? QFont::Bold : QFont::Normal);
    q.setFontItalic((f.style & fsItalic) != 0);
    q.setFontUnderline((f.style & fsUnderline) != 0);
    q.setFontStrikeOut((f.style & fsStrikeOut) != 0);
    q.setForeground(isAutomaticColour(f.colour)
                        ? QColor(Qt::black)
                        : QColor(redOf(f.colour), greenOf(f.colour), blueOf(f.colour)));
    if (f.offsetTwips != 0) {
        // The baseline offset is a share of the font's height: the raise in
        // points over the height in points, whatever the device's resolution.
        const QFontMetricsF metrics(q.font());
        const qreal heightPoints =
            (metrics.ascent() + metrics.descent()) * 72.0 / metrics.fontDpi();
        if (heightPoints > 0)
            q.setBaselineOffset(100.0 * (f.offsetTwips / 20.0) / heightPoints);
    }
    return q;
}

// Lengths of a text document are in pixels of the device it is laid out for.
qreal twipsToPixels(int twips, qreal dpi) { return twips * dpi / 1440.0; }

QTextBlockFormat qtBlockFormat(const ParaFormat& p, qreal dpi) {
    QTextBlockFormat b;
    switch (p.alignment) {
    case Alignment::Left: b.setAlignment(Qt::AlignLeft); break;
    case Alignment::Right: b.setAlignment(Qt::AlignRight); break;
    case Alignment::Center: b.setAlignment(Qt::AlignHCenter); break;
    }
    // A paragraph outdented past the margin starts at the margin.
    b.setLeftMargin(twipsToPixels(std::max(p.startIndentTwips, 0), dpi));
    return b;
}

// Qt writes a fresh random document identifier into every PDF. The copy made from
// the same essay should be the same file (apart from its creation date), so the
// identifier is replaced by one drawn from the content, of the same length, which
// keeps every offset of the file valid.
void settleDocumentId(QByteArray& pdf) {
    const qsizetype at = pdf.lastIndexOf("/ID [");
    if (at < 0)
        return;
    const qsizetype from = pdf.indexOf('<', at) + 1;
    const qsizetype end = pdf.indexOf('>', from);
    if (from <= 0 || end <= from)
        return;
    const QByteArray id = pdf.mid(from, end - from);
    QByteArray content = pdf;
    content.replace(id, QByteArray());
    // The creation date must not change the identifier either.
    for (const char* key : {"/CreationDate (", "xmp:CreateDate=\"", "xmp:ModifyDate=\"",
                            "xmp:MetadataDate=\""}) {
        for (qsizetype p = content.indexOf(key); p >= 0; p = content.indexOf(key, p + 1)) {
            for (qsizetype i = p + qsizetype(qstrlen(key));
                 i < content.size() && content[i] != ')' && content[i] != '"'; ++i)
                content[i] = '0';
        }
    }
    QByteArray hash = QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
    while (hash.size() < id.size())
        hash += hash;
    QByteArray replacement = hash.left(id.size());
    if (id.toUpper() == id)
        replacement = replacement.toUpper();
    pdf.replace(id, replacement);
}

} // namespace

void fillTextDocument(QTextDocument& doc, const RichContent& c, double dpi) {
    doc.setUndoRedoEnabled(false);
    QFont base(QStringLiteral("Arial"));
    base.setPointSizeF(markup::BodySize);
    doc.setDefaultFont(base);
    QTextOption option = doc.defaultTextOption();
    option.setUseDesignMetrics(true);
    option.setTabStopDistance(twipsToPixels(720, dpi)); // a tab stop every half inch
    doc.setDefaultTextOption(option);

    std::unordered_map<CharFormat, QTextCharFormat, FormatHash> formats;
    auto formatOf = [&](const CharFormat& f) -> const QTextCharFormat& {
        auto it = formats.find(f);
        if (it == formats.end())
            it = formats.emplace(f, qtFormat(f)).first;
        return it->second;
    };

    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    std::size_t paragraph = 0;
    cursor.setBlockFormat(qtBlockFormat(c.paragraphs.empty() ? ParaFormat{} : c.paragraphs[0], dpi));
    const std::u16string_view text(c.text);
    std::size_t pos = 0;
    for (const FormatRun& run : c.runs) {
        const std::size_t end = std::min(text.size(), pos + std::size_t(run.length));
        const QTextCharFormat& f = formatOf(run.format);
        while (pos < end) {
            std::size_t br = text.find(u"\r\n", pos);
            const std::size_t stop = br == std::u16string_view::npos ? end : std::min(br, end);
            if (stop > pos)
                cursor.insertText(
                    QString::fromUtf16(text.data() + pos, qsizetype(stop - pos)), f);
            pos = stop;
            if (pos < end && text[pos] == u'\r') {
                ++paragraph;
                cursor.insertBlock(qtBlockFormat(paragraph < c.paragraphs.size()
                                                     ? c.paragraphs[paragraph]
                                                     : ParaFormat{},
                                                 dpi),
                                   f);
                pos += 2;
            }
        }
        pos = std::max(pos, end);
    }
    cursor.endEditBlock();
}

std::u16string pdfTitleFor(const std::string& path) {
    if (path.empty())
        return {};
    return QFileInfo(QString::fromStdString(path)).completeBaseName().toStdU16String();
}

PdfOptions readPdfOptions(const SettingsSource& settings) {
    PdfOptions o;
    o.includeErrorStats = readIncludeErrorStats(settings, PdfOptionsSection);
    o.letterPaper = usesLetterPaper();
    return o;
}

PdfExportResult exportPdf(const ExportSources& in, const PdfOptions& options,
                          const Progress& progress) {
    HandBack h = buildHandBack(in, options.includeErrorStats, progress);
    if (progress)
        progress(ProgressReport{u"Saving file...", 9, 0});

    // The PDF writer keeps its fonts in hash tables and writes them in their order:
    // with the per-process random seed, two exports of the same essay would order
    // the fonts differently. A fixed seed for the tables made from here on gives
    // the same file every time (tables made before keep their own seeds).
    QHashSeed::setDeterministicGlobalSeed();
    struct RandomAgain {
        ~RandomAgain() { QHashSeed::resetRandomGlobalSeed(); }
    } randomAgain;
    QByteArray bytes;
    {
        QBuffer device(&bytes);
        device.open(QIODevice::WriteOnly);
        QPdfWriter writer(&device);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer.setCreator(QStringLiteral("Tallix32"));
        writer.setTitle(QString::fromStdU16String(options.title));
        writer.setPageLayout(QPageLayout(
            QPageSize(options.letterPaper ? QPageSize::Letter : QPageSize::A4),
            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        // The text is laid out once, in pages, at the screen's resolution with
        // design metrics (so that it scales exactly), and each page is drawn scaled
        // to the PDF's resolution, with 2 cm margins and its number at the foot.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal layoutDpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        const qreal scale = writer.resolution() / layoutDpi;
        const QSizeF page(writer.width() / scale, writer.height() / scale);
        const qreal margin = 2.0 / 2.54 * layoutDpi;
        QTextDocument doc;
        QTextFrameFormat frame = doc.rootFrame()->frameFormat();
        frame.setMargin(margin);
        doc.rootFrame()->setFrameFormat(frame);
        doc.setPageSize(page);
        fillTextDocument(doc, h.content, layoutDpi);
        h.content = RichContent{}; // the text document holds it now
        // A block's layout forgets its shaped glyphs once its lines are laid out,
        // and drawing the page would shape every line a second time; kept, the
        // glyphs are shaped once (they cost a few tens of bytes a character).
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            b.layout()->setCacheEnabled(true);

        QPainter painter(&writer);
        painter.scale(scale, scale);
        // In pixels of the layout: the painter's scale takes it to the page.
        QFont numberFont = doc.defaultFont();
        numberFont.setPixelSize(int(std::lround((markup::BodySize - 2) * layoutDpi / 72.0)));
        const int pages = doc.pageCount();
        for (int n = 0; n < pages; ++n) {
            if (n > 0)
                writer.newPage();
            const QRectF view(0, n * page.height(), page.width(), page.height());
            painter.save();
            painter.translate(0, -view.top());
            painter.setClipRect(view);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = view;
            context.palette.setColor(QPalette::Text, Qt::black);
            doc.documentLayout()->draw(&painter, context);
            painter.restore();
            painter.setFont(numberFont);
            painter.setPen(Qt::black);
            const QString number = QString::number(n + 1);
            const QFontMetricsF metrics(numberFont);
            painter.drawText(QPointF(page.width() - margin - metrics.horizontalAdvance(number),
                                     page.height() - margin + metrics.ascent() + 5 * layoutDpi / 72.0),
                             number);
        }
        painter.end();
    }
    settleDocumentId(bytes);
    PdfExportResult r;
    r.bytes.assign(bytes.constData(), std::size_t(bytes.size()));
    r.statistics = std::move(h.statistics);
    return r;
}

} // namespace tallix::exports
