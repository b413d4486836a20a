#pragma once
// The linking step of the web export: every error label, praise label and comment
// marker of the tagged copy becomes a link whose text is its span, and the
// explanation behind it (the category's long description or the comment's text)
// becomes an entry of the notes at the foot of the page.
//
// Two methods:
//  - makeHtmlLinks (complex): one pass by colour over the whole text, links
//    numbered from 0 in document order;
//  - quickHtmlLinks (quick): one search per entry of the button set and per
//    comment number, links numbered from 1, grouped by category.
// Both read the copy that htmlParaFormat made and return the body text; the copy
// itself is not changed.
#include "annotations/AnnotationSet.h"
#include "document/RichTextBuffer.h"
#include "export/web/WebText.h"

#include <string>
#include <vector>

namespace tallix::web {

// 36 line breaks: the blank space before each notes entry and after the last,
// so that an entry reached by its link stands at the top of the window.
std::u16string_view notesSpacer();

// What a notes entry is made of besides its description.
struct NoteStyle {
    std::u16string errorColour;   // HTML colour (six hex digits) of the error heading
    std::u16string commentColour; // the same for the comment heading
    std::u16string errorTypeTitle;
    std::u16string commentTitle;
    std::u16string backButtonHtml;
};

// One entry of the notes: the spacer, the anchor of link `number`, a rule, the
// heading, the description, the back button and a rule.
struct NoteEntry {
    int number = 0;
    std::u16string html;
};

enum class NoteKind { Error, Praise, Comment };
NoteEntry makeNoteEntry(int number, NoteKind kind, std::u16string_view description,
                        const NoteStyle& style);

// What the links are made from. The comment texts and the long texts of the
// buttons are taken as they go on the page: sanitized, link references expanded
// and line breaks converted (teacherHtml of HtmlSanitizer.h).
struct LinkSources {
    const AnnotationSet& buttons;
    const std::vector<std::u16string>& comments;
    const NoteStyle& style;
};

struct LinkResult {
    std::u16string body;
    std::vector<NoteEntry> notes; // in link order
    // Complex linking: the number of links made minus one (-1 when none).
    // Quick linking leaves it at -1.
    int lastAnchorNumber = -1;
};

// The notes section: every entry, then the spacer.
std::u16string notesText(const std::vector<NoteEntry>& notes);

// The description of a label by its text: the long text of the first entry whose
// short text equals it without regard to case, when that entry is of the label's
// kind (error or praise); otherwise empty.
std::u16string labelDescription(const AnnotationSet& buttons, std::u16string_view label,
                                NoteKind kind);

// Complex linking. Every character is examined, the last one included; a label or
// marker run ends where its colour ends or the text ends. A span is recognised
// when at least its last two characters carry the span colour (blue for labels,
// navy for comments); a one-character span stays in front of a "***" link. A
// marker whose number has no comment text gets an empty description. The body
// ends with "<BR><BR>".
LinkResult makeHtmlLinks(const RichTextBuffer& tagged, const LinkSources& sources,
                         const Progress& progress = {});

// Quick linking. For each error entry 1..28, then each praise entry 29..32, every
// match of its short text (case ignored) that is entirely in the label colour is
// linked, from the last match to the first; then comment markers 1..N, each found
// by its digits in green after the one before. What the links insert is never
// taken for markup by a later search. The body ends with "<BR>".
LinkResult quickHtmlLinks(const RichTextBuffer& tagged, const LinkSources& sources,
                          const Progress& progress = {});

} // namespace tallix::web
