#include "export/DocxExport.h"

#include "document/Markup.h"
#include "document/ZipXml.h"
#include "export/XmlWriter.h"
#include "platform/SettingsSource.h"

#include <algorithm>
#include <cstdio>

namespace tallix::exports {

namespace {

using namespace markup;

constexpr char WordNs[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr char RelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string hexColour(Colour c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", redOf(c), greenOf(c), blueOf(c));
    return buf;
}

// The run properties of a character format.
void runProperties(XmlWriter& x, const CharFormat& f) {
    x.start("w:rPr");
    if (!f.fontName.empty())
        x.empty("w:rFonts")
            .attribute("w:ascii", f.fontName)
            .attribute("w:hAnsi", f.fontName)
            .attribute("w:eastAsia", f.fontName)
            .attribute("w:cs", f.fontName)
            .end();
    if (f.style & fsBold)
        x.empty("w:b").end();
    if (f.style & fsItalic)
        x.empty("w:i").end();
    if (f.style & fsStrikeOut)
        x.empty("w:strike").end();
    if (!isAutomaticColour(f.colour))
        x.empty("w:color").attribute("w:val", std::string_view(hexColour(f.colour))).end();
    // Raised by half-points (20 twips to the point).
    if (f.offsetTwips != 0)
        x.empty("w:position").attribute("w:val", (long long)(f.offsetTwips / 10)).end();
    x.empty("w:sz").attribute("w:val", (long long)std::max(f.sizeHalfPoints, 2)).end();
    x.empty("w:szCs").attribute("w:val", (long long)std::max(f.sizeHalfPoints, 2)).end();
    if (f.style & fsUnderline)
        x.empty("w:u").attribute("w:val", "single").end();
    x.end();
}

// One run of text in one format; a TAB is Word's own tab element.
void run(XmlWriter& x, std::u16string_view text, const CharFormat& f) {
    if (text.empty())
        return;
    x.start("w:r");
    runProperties(x, f);
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t tab = text.find(u'\t', from);
        if (tab == std::u16string_view::npos)
            tab = text.size();
        if (tab > from)
            x.start("w:t").attribute("xml:space", "preserve").text(text.substr(from, tab - from)).end();
        if (tab < text.size())
            x.empty("w:tab").end();
        from = tab + 1;
    }
    x.end();
}

void paragraphProperties(XmlWriter& x, const ParaFormat& p) {
    if (p.alignment == Alignment::Left && p.startIndentTwips <= 0)
        return;
    x.start("w:pPr");
    if (p.startIndentTwips > 0)
        x.empty("w:ind").attribute("w:left", (long long)p.startIndentTwips).end();
    if (p.alignment != Alignment::Left)
        x.empty("w:jc")
            .attribute("w:val", p.alignment == Alignment::Center ? "center" : "right")
            .end();
    x.end();
}

// What stands between characters of the essay: where a comment's range starts
// and ends (the end followed by the comment's reference mark).
struct Anchor {
    int position;
    bool isEnd;
    int id;
};

// Writes the essay (content[0, length)) paragraph by paragraph, with the anchors
// placed between its characters.
void writeEssay(XmlWriter& x, const RichContent& c, int length, std::vector<Anchor> anchors) {
    // At one position, the ends (and their reference marks) come before the starts.
    std::stable_sort(anchors.begin(), anchors.end(), [](const Anchor& a, const Anchor& b) {
        return a.position != b.position ? a.position < b.position : (a.isEnd && !b.isEnd);
    });
    std::size_t nextAnchor = 0;
    auto anchorsUpTo = [&](int position) {
        for (; nextAnchor < anchors.size() && anchors[nextAnchor].position <= position; ++nextAnchor) {
            const Anchor& a = anchors[nextAnchor];
            if (!a.isEnd) {
                x.empty("w:commentRangeStart").attribute("w:id", (long long)a.id).end();
                continue;
            }
            x.empty("w:commentRangeEnd").attribute("w:id", (long long)a.id).end();
            x.start("w:r");
            x.start("w:rPr").empty("w:rStyle").attribute("w:val", "CommentReference").end().end();
            x.empty("w:commentReference").attribute("w:id", (long long)a.id).end();
            x.end();
        }
    };

    const std::u16string_view text(c.text);
    std::size_t runIndex = 0;
    int runStart = 0;
    int paragraph = 0;
    int pos = 0;
    while (true) {
        int lineEnd = pos;
        while (lineEnd < length && text[std::size_t(lineEnd)] != u'\r')
            ++lineEnd;
        x.start("w:p");
        paragraphProperties(x, paragraph < int(c.paragraphs.size()) ? c.paragraphs[std::size_t(paragraph)]
                                                                     : ParaFormat{});
        // The text of the line, split at run boundaries and at anchors.
        while (pos < lineEnd) {
            anchorsUpTo(pos);
            while (runIndex < c.runs.size() && runStart + c.runs[runIndex].length <= pos) {
                runStart += c.runs[runIndex].length;
                ++runIndex;
            }
            if (runIndex >= c.runs.size())
                break;
            int until = std::min(lineEnd, runStart + c.runs[runIndex].length);
            if (nextAnchor < anchors.size())
                until = std::min(until, std::max(anchors[nextAnchor].position, pos + 1));
            run(x, text.substr(std::size_t(pos), std::size_t(until - pos)), c.runs[runIndex].format);
            pos = until;
        }
        anchorsUpTo(lineEnd);
        x.end(); // w:p
        if (lineEnd >= length)
            break;
        pos = lineEnd + 2; // past CR LF
        ++paragraph;
    }
    anchorsUpTo(length);
}

CharFormat sectionFormat(Colour colour, StyleSet style, int points) {
    CharFormat f;
    f.colour = colour;
    f.style = style;
    f.sizeHalfPoints = 2 * points;
    return f;
}

// A text of several lines, one paragraph a line, all in one format.
void textParagraphs(XmlWriter& x, std::u16string_view text, const CharFormat& f) {
    std::size_t from = 0;
    while (true) {
        std::size_t at = text.find(u"\r\n", from);
        const std::u16string_view line =
            text.substr(from, at == std::u16string_view::npos ? std::u16string_view::npos : at - from);
        x.start("w:p");
        run(x, line, f);
        x.end();
        if (at == std::u16string_view::npos)
            break;
        from = at + 2;
    }
}

void emptyParagraph(XmlWriter& x) { x.empty("w:p").end(); }

void statisticsTable(XmlWriter& x, const stats::ErrorStatisticsTable& t) {
    constexpr int countWidth = 1000, descriptionWidth = 8000;
    x.start("w:tbl");
    x.start("w:tblPr");
    x.empty("w:tblW").attribute("w:w", "0").attribute("w:type", "auto").end();
    x.start("w:tblBorders");
    for (const char* side : {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"})
        x.empty(side)
            .attribute("w:val", "single")
            .attribute("w:sz", "4")
            .attribute("w:space", "0")
            .attribute("w:color", "808080")
            .end();
    x.end();
    x.end();
    x.start("w:tblGrid");
    x.empty("w:gridCol").attribute("w:w", (long long)countWidth).end();
    x.empty("w:gridCol").attribute("w:w", (long long)descriptionWidth).end();
    x.end();
    const CharFormat body = sectionFormat(clBlack, 0, BodySize);
    for (const stats::ErrorStatisticsRow& row : t.rows) {
        x.start("w:tr");
        x.start("w:tc");
        x.start("w:tcPr").empty("w:tcW").attribute("w:w", (long long)countWidth).attribute("w:type", "dxa").end().end();
        x.start("w:p");
        x.start("w:pPr").empty("w:jc").attribute("w:val", "right").end().end();
        run(x, stats::decimal(row.count), body);
        x.end();
        x.end();
        x.start("w:tc");
        x.start("w:tcPr").empty("w:tcW").attribute("w:w", (long long)descriptionWidth).attribute("w:type", "dxa").end().end();
        textParagraphs(x, row.description, body);
        x.end();
        x.end();
    }
    x.end();
}

std::u16string initialsOf(std::u16string_view name) {
    std::u16string initials;
    bool wordStart = true;
    for (char16_t c : name) {
        if (c == u' ' || c == u'.' || c == u'-') {
            wordStart = true;
        } else if (wordStart) {
            initials += c;
            wordStart = false;
        }
    }
    return initials;
}

std::string contentTypes(bool comments) {
    XmlWriter x;
    x.start("Types").attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    x.empty("Default").attribute("Extension", "rels")
        .attribute("ContentType", "application/vnd.openxmlformats-package.relationships+xml").end();
    x.empty("Default").attribute("Extension", "xml").attribute("ContentType", "application/xml").end();
    x.empty("Override").attribute("PartName", "/word/document.xml")
        .attribute("ContentType",
                   "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml")
        .end();
    x.empty("Override").attribute("PartName", "/word/styles.xml")
        .attribute("ContentType", "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml")
        .end();
    if (comments)
        x.empty("Override").attribute("PartName", "/word/comments.xml")
            .attribute("ContentType",
                       "application/vnd.openxmlformats-officedocument.wordprocessingml.comments+xml")
            .end();
    x.end();
    return x.take();
}

std::string packageRelationships() {
    XmlWriter x;
    x.start("Relationships").attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/relationships");
    x.empty("Relationship").attribute("Id", "rId1")
        .attribute("Type", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument")
        .attribute("Target", "word/document.xml").end();
    x.end();
    return x.take();
}

std::string documentRelationships(bool comments) {
    XmlWriter x;
    x.start("Relationships").attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/relationships");
    x.empty("Relationship").attribute("Id", "rId1")
        .attribute("Type", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles")
        .attribute("Target", "styles.xml").end();
    if (comments)
        x.empty("Relationship").attribute("Id", "rId2")
            .attribute("Type", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments")
            .attribute("Target", "comments.xml").end();
    x.end();
    return x.take();
}

std::string styles() {
    XmlWriter x;
    x.start("w:styles").attribute("xmlns:w", WordNs);
    x.start("w:docDefaults");
    x.start("w:rPrDefault");
    runProperties(x, sectionFormat(clWindowText, 0, BodySize));
    x.end();
    x.start("w:pPrDefault").start("w:pPr").empty("w:spacing").attribute("w:after", "0").end().end().end();
    x.end();
    x.start("w:style").attribute("w:type", "paragraph").attribute("w:default", "1").attribute("w:styleId", "Normal");
    x.empty("w:name").attribute("w:val", "Normal").end();
    x.end();
    x.start("w:style").attribute("w:type", "paragraph").attribute("w:styleId", "CommentText");
    x.empty("w:name").attribute("w:val", "annotation text").end();
    x.empty("w:basedOn").attribute("w:val", "Normal").end();
    x.start("w:rPr").empty("w:sz").attribute("w:val", "20").end().end();
    x.end();
    x.start("w:style").attribute("w:type", "character").attribute("w:styleId", "CommentReference");
    x.empty("w:name").attribute("w:val", "annotation reference").end();
    x.start("w:rPr").empty("w:sz").attribute("w:val", "16").end().end();
    x.end();
    x.end();
    return x.take();
}

} // namespace

DocxOptions readDocxOptions(const SettingsSource& settings) {
    DocxOptions o;
    o.includeErrorStats = readIncludeErrorStats(settings, WordOptionsSection);
    o.author = storedCommentAuthor(settings);
    o.letterPaper = usesLetterPaper();
    return o;
}

std::vector<std::pair<std::string, std::string>> docxParts(const HandBack& h,
                                                           const ExportSources& in,
                                                           const DocxOptions& options) {
    // Each comment is anchored at the first marker with its number; a comment
    // whose marker is not in the text is listed after the essay instead, so that
    // nothing the teacher wrote is lost.
    std::vector<Anchor> anchors;
    std::vector<bool> anchored(h.comments.size(), false);
    for (const CommentMark& m : h.marks) {
        if (m.number < 1 || m.number > int(h.comments.size()) || anchored[std::size_t(m.number - 1)])
            continue;
        anchored[std::size_t(m.number - 1)] = true;
        anchors.push_back(Anchor{m.spanStart, false, m.number});
        anchors.push_back(Anchor{m.start + m.length, true, m.number});
    }
    const bool hasComments = !anchors.empty();

    XmlWriter x;
    x.start("w:document").attribute("xmlns:w", WordNs).attribute("xmlns:r", RelNs);
    x.start("w:body");
    writeEssay(x, h.content, h.essayLength, std::move(anchors));

    emptyParagraph(x);
    const OutputColours& colours = in.colours;
    if (!h.feedback1.empty()) {
        emptyParagraph(x);
        textParagraphs(x, h.feedback1, sectionFormat(colours.colour(ColourRole::F1), fsBold, BodySize));
    }
    if (!h.feedback2.empty()) {
        emptyParagraph(x);
        textParagraphs(x, h.feedback2, sectionFormat(colours.colour(ColourRole::F2), fsBold, BodySize));
    }
    if (!h.grade.empty()) {
        emptyParagraph(x);
        textParagraphs(x, in.titles.gradeTitle + u" " + h.grade,
                       sectionFormat(colours.colour(ColourRole::Grade), fsBold, BodySize + 2));
    }
    if (h.includeErrorStats && !h.statistics.empty()) {
        emptyParagraph(x);
        textParagraphs(x, in.titles.errorStatsTitle,
                       sectionFormat(colours.colour(ColourRole::Error), fsUnderline, BodySize + 2));
        statisticsTable(x, h.statistics);
        emptyParagraph(x);
    }
    std::u16string unanchored;
    for (std::size_t k = 0; k < h.comments.size(); ++k)
        if (!anchored[k])
            unanchored += u"\r\n\r\n" + stats::decimal(int(k + 1)) + u". " + h.comments[k];
    if (!unanchored.empty()) {
        emptyParagraph(x);
        textParagraphs(x, in.titles.commentListTitle,
                       sectionFormat(colours.colour(ColourRole::Comment), fsUnderline, BodySize + 2));
        textParagraphs(x, std::u16string_view(unanchored).substr(2), sectionFormat(clBlack, 0, BodySize));
    }

    // Page: A4 (11906 x 16838 twips) or Letter (12240 x 15840), 2 cm margins.
    x.start("w:sectPr");
    x.empty("w:pgSz")
        .attribute("w:w", options.letterPaper ? "12240" : "11906")
        .attribute("w:h", options.letterPaper ? "15840" : "16838")
        .end();
    x.empty("w:pgMar").attribute("w:top", "1134").attribute("w:right", "1134")
        .attribute("w:bottom", "1134").attribute("w:left", "1134").attribute("w:header", "709")
        .attribute("w:footer", "709").attribute("w:gutter", "0").end();
    x.end();
    x.end(); // w:body
    x.end(); // w:document

    std::vector<std::pair<std::string, std::string>> parts;
    parts.emplace_back("[Content_Types].xml", contentTypes(hasComments));
    parts.emplace_back("_rels/.rels", packageRelationships());
    parts.emplace_back("word/document.xml", x.take());
    parts.emplace_back("word/_rels/document.xml.rels", documentRelationships(hasComments));
    parts.emplace_back("word/styles.xml", styles());
    if (hasComments) {
        XmlWriter c;
        c.start("w:comments").attribute("xmlns:w", WordNs);
        const std::u16string initials = initialsOf(options.author);
        const CharFormat body = sectionFormat(clBlack, 0, BodySize - 2);
        for (std::size_t k = 0; k < h.comments.size(); ++k) {
            if (!anchored[k])
                continue;
            c.start("w:comment")
                .attribute("w:id", (long long)(k + 1))
                .attribute("w:author", options.author)
                .attribute("w:initials", initials);
            // The comment's number first, as it stands in the text.
            textParagraphs(c, stats::decimal(int(k + 1)) + u". " + h.comments[k], body);
            c.end();
        }
        c.end();
        parts.emplace_back("word/comments.xml", c.take());
    }
    return parts;
}

DocxExportResult exportDocx(const ExportSources& in, const DocxOptions& options,
                            const Progress& progress) {
    HandBack h = buildHandBack(in, options.includeErrorStats, progress);
    if (progress)
        progress(ProgressReport{u"Saving file...", 9, 0});
    DocxExportResult r;
    r.bytes = zipxml::buildZip(docxParts(h, in, options));
    r.statistics = std::move(h.statistics);
    return r;
}

} // namespace tallix::exports
