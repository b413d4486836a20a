#pragma once
// Putting annotations into the essay and taking them out again.
//
// An annotation is a span of essay text coloured blue and underlined, followed
// directly by its label: an error label in red or a praise label in teal, italic,
// label-sized and raised. Nothing records where annotations are; both operations
// find them in the buffer by colour, walking the caret with the scan helpers.
//
// The operations change the buffer and return what the window has to show; the
// window shows it (every message here carries help context 9000).
#include "document/MarkedDocument.h"
#include "document/Markup.h"
#include "document/RichTextBuffer.h"

#include <optional>
#include <string_view>

namespace tallix {

// Help context of the annotation messages.
inline constexpr int AnnotatingHelpContext = 9000;

inline constexpr char16_t OverlapWarning[] = u"You can't overlap annotations.";
inline constexpr char16_t ClickFirstInformation[] =
    u"To delete an annotation, first click on it, and then press the "
    u"\"Delete Annotation\" button.";
inline constexpr char16_t NoSelectionNeededInformation[] =
    u"You don't need to select an annotation before deleting it. "
    u"Just click anywhere inside the annotation.";

// A message box to show: the message and whether it has a Help button beside OK.
struct AnnotatingMessage {
    Message message;
    bool helpButton = false;
};

// Marks the current selection as an annotation with the given label, or refuses.
//
// labelColour is clRed for an error label and clTeal for praise. The selection
// must be plain black text (with no selection, the character before the caret
// must be black): otherwise the overlap warning is returned and nothing changes.
// Line breaks at the end of the selection are left out of the span. With no
// selection the label is inserted alone at the caret. Afterwards the caret is one
// position past the label and the insertion formatting is the default one in
// black, so that what is typed next is plain essay text.
//
// An empty label does nothing.
std::optional<AnnotatingMessage> addAnnotation(RichTextBuffer& b, Colour labelColour,
                                               std::u16string_view labelText);

// What an annotation button does: an entry with an empty short text does nothing
// and shows nothing; any other annotates the selection with that text.
std::optional<AnnotatingMessage> annotateWithEntry(RichTextBuffer& b,
                                                   std::u16string_view shortText,
                                                   Colour labelColour);

struct DeleteAnnotationOutcome {
    // True when an annotation was taken out (its span restored, its label deleted).
    bool removed = false;
    // The message to show. When a selection was collapsed first, its message is
    // shown and the annotation is removed all the same.
    std::optional<AnnotatingMessage> message;
};

// Takes out the annotation at the caret: its span becomes black without style and
// its label is deleted; nothing else in the text changes. The caret may be inside
// the span or inside the label (an error or a praise label). A selection is
// collapsed to its start first, and the annotation at its first character is
// taken out. Anywhere else (plain text, comments, bookmarks) the command only
// explains how it is used.
DeleteAnnotationOutcome deleteAnnotation(RichTextBuffer& b);

// Whether the delete-annotation button is enabled for the current selection: the
// selection colour is that of a span or of a label.
bool canDeleteAnnotation(const RichTextBuffer& b);

} // namespace tallix
