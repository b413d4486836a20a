#include "annotations/Annotating.h"

#include "document/Scanning.h"

namespace tallix {

namespace {

AnnotatingMessage overlapWarning() {
    return {Message{OverlapWarning, MessageType::Warning, AnnotatingHelpContext}, true};
}

AnnotatingMessage information(const char16_t* text) {
    return {Message{text, MessageType::Information, AnnotatingHelpContext}, false};
}

bool isLabelColour(Colour c) {
    return c == markup::ErrorLabelColour || c == markup::PraiseLabelColour;
}

bool isAnnotationColour(Colour c) {
    return c == markup::AnnotatedSpanColour || isLabelColour(c);
}

auto colourIs(Colour wanted) {
    return [wanted](Colour c) { return c == wanted; };
}

} // namespace

std::optional<AnnotatingMessage> addAnnotation(RichTextBuffer& b, Colour labelColour,
                                               std::u16string_view labelText) {
    // A span without a label would be markup that nothing counts or links.
    if (labelText.empty())
        return std::nullopt;
    // The span, the label and its format are one step of the history.
    UndoGroup step(b, StepKind::Annotation);

    // Only plain essay text can be annotated. With no selection the colour read is
    // that of the character before the caret, so a caret right after any markup is
    // refused as well.
    if (!b.selColourConsistent() || b.selColour() != clBlack)
        return overlapWarning();

    // Line breaks at the end of the selection stay out of the span, so that the
    // label ends the last line of the selection instead of starting the next one.
    const int start = b.selStart();
    int end = b.selEnd();
    while (end - start >= 2 && b.charAt(end - 2) == u'\r' && b.charAt(end - 1) == u'\n')
        end -= 2;
    // A selection of nothing but line breaks leaves a caret at its start, and the
    // label then goes there: that place must pass the caret's test too, or the new
    // label would run straight on from an existing label or span.
    if (end == start && b.selLength() > 0 && start > 0 && b.colourAt(start - 1) != clBlack)
        return overlapWarning();
    // The span keeps every character selected up to the end of the text: there is
    // no hidden paragraph mark after the last character to keep clear of.
    if (end != b.selEnd())
        b.setSelLength(end - start);

    // The span first, so that the label inserted after it starts from its format.
    b.setSelColour(markup::AnnotatedSpanColour);
    b.setSelStyle(markup::AnnotatedSpanStyle);

    // Only the label is written; the span's own characters are left in place so
    // that their fonts, sizes and paragraph formats survive.
    const int labelStart = b.selEnd();
    if (b.selLength() > 0)
        b.setSelStart(labelStart); // takes the format of the span's last character
    b.setSelText(labelText);
    const int labelEnd = b.selStart();

    b.select(labelStart, labelEnd - labelStart);
    b.setSelColour(labelColour);
    b.setSelStyle(markup::LabelStyle);
    b.setSelSize(markup::LabelSize);
    b.setSelOffset(markup::RaiseTwips);

    // One position past the label, so that the character before the caret is
    // essay text again and the teacher can type on; what is typed is black.
    b.setSelStart(labelEnd + 1);
    b.resetInsertionFormat();
    b.setSelColour(clBlack);
    return std::nullopt;
}

std::optional<AnnotatingMessage> annotateWithEntry(RichTextBuffer& b,
                                                   std::u16string_view shortText,
                                                   Colour labelColour) {
    if (shortText.empty())
        return std::nullopt;
    return addAnnotation(b, labelColour, shortText);
}

bool canDeleteAnnotation(const RichTextBuffer& b) { return isAnnotationColour(b.selColour()); }

DeleteAnnotationOutcome deleteAnnotation(RichTextBuffer& b) {
    UndoGroup step(b, StepKind::DeleteAnnotation);
    DeleteAnnotationOutcome out;
    const Colour aimed = b.selColour();
    const bool selected = b.selLength() > 0;
    const int caret = b.selStart();
    // The character the command is aimed at: the first selected one, else the one
    // before the caret (at the very start, the first one, as the colour read there
    // is that of the first character).
    const int at = selected || caret == 0 ? caret : caret - 1;
    if (!isAnnotationColour(aimed) || at >= b.length() || b.colourAt(at) != aimed) {
        out.message = information(ClickFirstInformation);
        return out;
    }
    if (selected)
        out.message = information(NoSelectionNeededInformation);

    // Walk out from the caret over this one annotation only. Its span is a single
    // blue run and its label a single red or teal run right after it; the walk
    // back never goes on over a label once it has crossed blue, because that label
    // belongs to the annotation before, whose span may end where this one starts.
    int spanStart = 0;
    int spanEnd = 0;
    int labelEnd = 0;
    b.setSelStart(caret);
    if (aimed == markup::AnnotatedSpanColour) {
        spanStart = scan::walkBackWhile(b, colourIs(aimed));
        b.setSelStart(caret);
        spanEnd = scan::walkForwardWhile(b, colourIs(aimed));
        const Colour next = spanEnd < b.length() ? b.colourAt(spanEnd) : clBlack;
        labelEnd = isLabelColour(next) ? scan::walkForwardWhile(b, colourIs(next)) : spanEnd;
    } else {
        spanEnd = scan::walkBackWhile(b, colourIs(aimed)); // where the label starts
        spanStart = scan::walkBackWhile(b, colourIs(markup::AnnotatedSpanColour));
        b.setSelStart(caret);
        labelEnd = scan::walkForwardWhile(b, colourIs(aimed));
    }

    if (spanEnd > spanStart) {
        b.select(spanStart, spanEnd - spanStart);
        b.setSelColour(clBlack);
        b.setSelStyle(0);
    }
    if (labelEnd > spanEnd) {
        b.select(spanEnd, labelEnd - spanEnd);
        b.setSelText(u"");
    }
    b.setSelStart(spanEnd);
    b.resetInsertionFormat();
    out.removed = true;
    return out;
}

} // namespace tallix
