#include "document/MarkupMoves.h"

#include "document/Markup.h"

namespace tallix::navigation {

namespace {

bool isSpan(Colour c) { return c == markup::AnnotatedSpanColour; }
bool isLabel(Colour c) { return c == markup::ErrorLabelColour || c == markup::PraiseLabelColour; }

// The end of the run of characters from pos on for which keep holds.
template <typename Keep> int runEnd(const RichTextBuffer& b, int pos, Keep keep) {
    const int n = b.length();
    while (pos < n && keep(b.colourAt(pos)))
        ++pos;
    return pos;
}

// The annotation starting at p, if one does: a span (with its label), or a label
// on its own.
std::optional<MarkSpan> annotationAt(const RichTextBuffer& b, int p) {
    const Colour c = b.colourAt(p);
    const Colour before = p > 0 ? b.colourAt(p - 1) : clBlack;
    if (isSpan(c) && !isSpan(before))
        return MarkSpan{p, runEnd(b, p, isSpan) - p};
    if (isLabel(c) && !isSpan(before) && !isLabel(before))
        return MarkSpan{p, runEnd(b, p, isLabel) - p};
    return std::nullopt;
}

// The comment whose marker starts at p, if one does: the navy span before the
// marker, or the marker alone.
std::optional<MarkSpan> commentAt(const RichTextBuffer& b, int p) {
    const Colour before = p > 0 ? b.colourAt(p - 1) : clBlack;
    if (b.colourAt(p) != markup::CommentMarkerColour || before == markup::CommentMarkerColour)
        return std::nullopt;
    int start = p;
    while (start > 0 && b.colourAt(start - 1) == markup::CommentedSpanColour)
        --start;
    if (start < p)
        return MarkSpan{start, p - start};
    return MarkSpan{p, runEnd(b, p, [](Colour c) { return c == markup::CommentMarkerColour; }) - p};
}

template <typename At>
std::optional<MarkSpan> nearest(const RichTextBuffer& b, bool forward, At at) {
    const int from = b.selStart();
    const int n = b.length();
    if (forward) {
        // At the caret itself only when nothing is selected: a selected mark is
        // the one the last move found.
        for (int p = 0; p < n; ++p) {
            std::optional<MarkSpan> m = at(b, p);
            if (!m)
                continue;
            if (m->start > from || (m->start == from && b.selLength() == 0))
                return m;
        }
        return std::nullopt;
    }
    std::optional<MarkSpan> last;
    for (int p = 0; p < n; ++p) {
        std::optional<MarkSpan> m = at(b, p);
        if (!m)
            continue;
        if (m->start >= from)
            break;
        last = m;
    }
    return last;
}

bool selectFound(RichTextBuffer& b, const std::optional<MarkSpan>& m) {
    if (!m)
        return false;
    b.select(m->start, m->length);
    return true;
}

} // namespace

std::optional<MarkSpan> nearestAnnotation(const RichTextBuffer& b, bool forward) {
    return nearest(b, forward, annotationAt);
}

std::optional<MarkSpan> nearestComment(const RichTextBuffer& b, bool forward) {
    return nearest(b, forward, commentAt);
}

bool selectAnnotation(RichTextBuffer& b, bool forward) {
    return selectFound(b, nearestAnnotation(b, forward));
}

bool selectComment(RichTextBuffer& b, bool forward) {
    return selectFound(b, nearestComment(b, forward));
}

int caretInside(const MarkSpan& span) { return span.start + 1; }

} // namespace tallix::navigation
