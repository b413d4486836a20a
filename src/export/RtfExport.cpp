#include "export/RtfExport.h"

#include "document/Markup.h"
#include "document/Scanning.h"
#include "library/LinkReferences.h"
#include "platform/SettingsSource.h"

namespace tallix::exports {

using namespace markup;

namespace {

void step(const Progress& p, const char16_t* caption, int position) {
    if (p)
        p(ProgressReport{caption, position, 0});
}

// The caret at the end, inserting plain black body text. The size, font and raise
// are reset too, so that an essay ending in a small raised label or marker does
// not hand its format on to what is appended.
void goToEndAndReset(RichTextBuffer& b) {
    b.select(b.length(), 0);
    CharFormat f = b.insertionFormat();
    f.colour = clBlack;
    f.style = 0;
    f.sizeHalfPoints = 2 * BodySize;
    f.fontName = u"Arial";
    f.offsetTwips = 0;
    b.setSelFormat(f);
}

void goToEnd(RichTextBuffer& b) { b.select(b.length(), 0); }

// Inserts text at the caret and gives the whole insertion colour, style and size.
void insertFormatted(RichTextBuffer& b, std::u16string_view text, Colour colour, StyleSet style,
                     int size) {
    const int start = b.selStart();
    b.setSelText(text);
    b.select(start, b.selStart() - start);
    b.setSelColour(colour);
    b.setSelStyle(style);
    b.setSelSize(size);
}

} // namespace

RtfOptions readRtfOptions(const SettingsSource& s) {
    RtfOptions o;
    o.includeErrorStats = s.readBool(RtfOptionsSection, "IncludeErrorStats", true);
    return o;
}

std::vector<std::pair<std::string, std::string>> rtfOptionValues(const RtfOptions& o) {
    return {{"IncludeErrorStats", o.includeErrorStats ? "1" : "0"}};
}

void recolourCommentMarkers(RichTextBuffer& b, Colour c) {
    if (c == CommentMarkerColour)
        return;
    const int length = b.length();
    for (int i = 0; i < length;) {
        if (b.colourAt(i) != CommentMarkerColour) {
            ++i;
            continue;
        }
        int j = i;
        while (j < length && b.colourAt(j) == CommentMarkerColour)
            ++j;
        b.select(i, j - i);
        b.setSelColour(c);
        i = j;
    }
    b.select(0, 0);
}

std::vector<CommentMark> findCommentMarks(const RichTextBuffer& b) {
    std::vector<CommentMark> marks;
    const int length = b.length();
    for (int i = 0; i < length;) {
        if (b.colourAt(i) != CommentMarkerColour) {
            ++i;
            continue;
        }
        int j = i;
        int number = 0;
        bool digits = true;
        while (j < length && b.colourAt(j) == CommentMarkerColour) {
            const char16_t c = b.charAt(j);
            if (c < u'0' || c > u'9' || number > 100000)
                digits = false;
            else
                number = number * 10 + (c - u'0');
            ++j;
        }
        if (digits && number > 0) {
            int span = i;
            while (span > 0 && b.colourAt(span - 1) == CommentedSpanColour)
                --span;
            marks.push_back(CommentMark{number, i, j - i, span});
        }
        i = j;
    }
    return marks;
}

RtfExportResult exportRtf(const RtfExportRequest& in, const Progress& progress) {
    RtfBuild built = buildRtfText(in, progress);
    step(progress, u"Saving file...", 9);
    RtfExportResult result;
    result.statistics = std::move(built.statistics);
    result.bytes = in.doc.scratch().saveRtf();
    in.doc.scratch().clear();
    return result;
}

RtfBuild buildRtfText(const RtfExportRequest& in, const Progress& progress) {
    MarkedDocument& doc = in.doc;
    // A step of the essay's history, which also tells that the document changed.
    scan::stripEnd(doc.essay());
    RichTextBuffer& b = doc.scratch();
    b.clear();
    step(progress, u"Starting export", 0);

    RtfBuild result;
    step(progress, u"Counting errors...", 1);
    result.statistics = stats::countErrors(doc.essay(), b, in.buttons);

    step(progress, u"Scanning text...", 2);
    b.loadFromBytes(doc.essay().saveRtf());
    scan::removeBookmarks(b);

    result.marks = findCommentMarks(b);
    result.essayLength = b.length();
    step(progress, u"Changing colours...", 3);
    recolourCommentMarkers(b, in.colours.colour(ColourRole::Comment));

    auto expand = [&](std::u16string_view s) { return library::IncludeUsefulLinks(s, in.links); };
    const int big = BodySize + 2;

    step(progress, u"Feedback 1...", 4);
    goToEndAndReset(b);
    b.setSelText(u"\r\n");
    goToEnd(b);
    if (!doc.feedback1Text.empty())
        insertFormatted(b, u"\r\n\r\n" + expand(doc.feedback1Text), in.colours.colour(ColourRole::F1),
                        fsBold, BodySize);
    goToEndAndReset(b);

    step(progress, u"Feedback 2...", 5);
    if (!doc.feedback2Text.empty())
        insertFormatted(b, u"\r\n\r\n" + expand(doc.feedback2Text), in.colours.colour(ColourRole::F2),
                        fsBold, BodySize);
    goToEndAndReset(b);

    step(progress, u"Grade...", 6);
    if (!doc.grade.empty() && doc.grade != tlx::NewGrade)
        insertFormatted(b, u"\r\n\r\n" + in.titles.gradeTitle + u" " + doc.grade,
                        in.colours.colour(ColourRole::Grade), fsBold, big);
    goToEndAndReset(b);
    b.setSelSize(BodySize);

    step(progress, u"Statistics...", 7);
    if (!result.statistics.empty() && in.options.includeErrorStats) {
        insertFormatted(b, u"\r\n\r\n" + in.titles.errorStatsTitle + u"\r\n",
                        in.colours.colour(ColourRole::Error), fsUnderline, big);
        for (const stats::ErrorStatisticsRow& row : result.statistics.rows) {
            goToEndAndReset(b);
            b.setSelSize(BodySize);
            b.setSelText(u"\r\n" + stats::decimal(row.count) + u"      " + row.description);
        }
    }

    step(progress, u"Comments...", 8);
    std::u16string list;
    for (std::size_t k = 0; k < doc.commentTexts.size(); ++k)
        list += u"\r\n\r\n" + stats::decimal(int(k + 1)) + u". " + expand(doc.commentTexts[k]);
    if (!list.empty()) {
        goToEndAndReset(b);
        insertFormatted(b, u"\r\n\r\n" + in.titles.commentListTitle,
                        in.colours.colour(ColourRole::Comment), fsUnderline, big);
        goToEndAndReset(b);
        b.setSelSize(BodySize);
        b.setSelText(list);
    }

    return result;
}

} // namespace tallix::exports
