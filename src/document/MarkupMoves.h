#pragma once
// Moving from one annotation, or one comment, to the next, so that a teacher can
// review the marks of an essay (and delete them) from the keyboard.
//
// Marks are found by colour as everywhere else. An annotation is its blue span
// with the red or teal label after it, or a label standing alone; what a move
// selects is the span (or the lone label). A comment is its green marker with the
// navy span before it, when it has one; a move selects the span, or the marker
// when there is no span.
#include "document/RichTextBuffer.h"

#include <optional>

namespace tallix::navigation {

struct MarkSpan {
    int start = 0;
    int length = 0;
    bool operator==(const MarkSpan&) const = default;
};

// The annotation after (forward) or before the selection: forward, the first
// one that starts after the selection's start, or at the caret itself when
// nothing is selected; backward, the last one that starts before the selection's
// start. nullopt when there is none.
std::optional<MarkSpan> nearestAnnotation(const RichTextBuffer& b, bool forward);
std::optional<MarkSpan> nearestComment(const RichTextBuffer& b, bool forward);

// Selects what nearestAnnotation / nearestComment finds; false (and nothing
// moves) when there is none.
bool selectAnnotation(RichTextBuffer& b, bool forward);
bool selectComment(RichTextBuffer& b, bool forward);

// Where the caret goes so that the delete-annotation command takes out the
// annotation a move selected: one past the start of the span (the command finds
// the annotation from inside it, and asks nothing about a selection).
int caretInside(const MarkSpan& span);

} // namespace tallix::navigation
