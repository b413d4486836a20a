#pragma once
// The three ways the program reads markup out of a buffer, and the trimming of a
// document's end. Markup is found only by colour and text, never by a table of
// positions, so every scan goes through these.
#include "document/RichTextBuffer.h"

#include <functional>
#include <string_view>

namespace tallix::scan {

// --- walk the caret ------------------------------------------------------------------
// Puts the caret at pos; true when the caret moved. It does not move when pos lies
// between the CR and the LF of a pair next to the caret.
bool moveCaret(RichTextBuffer& b, int pos);

// Moves the caret back one position, or two when one would fall inside a CR LF
// pair. Returns the new caret; a caret at 0 stays there.
int stepCaretBack(RichTextBuffer& b);

// Moves the caret forward one position, or past the whole pair when one would fall
// inside a CR LF pair. Returns the new caret; a caret at the end stays there.
int stepCaretForward(RichTextBuffer& b);

// Walks the caret back while it is past 0 and the colour before it satisfies keep.
// Returns where it stopped.
int walkBackWhile(RichTextBuffer& b, const std::function<bool(Colour)>& keep);

// Walks the caret forward while it is before the end and the colour of the
// character after it satisfies keep. Returns where it stopped.
int walkForwardWhile(RichTextBuffer& b, const std::function<bool(Colour)>& keep);

// --- find and test -------------------------------------------------------------------
// Finds text from `from` to the end (case-insensitive unless asked), selects the
// match, and accepts it only when the whole match is in `colour`; otherwise goes on
// after the match's first character. Returns the position of the accepted match
// (left selected), or -1 (selection then unchanged).
int findMarkup(RichTextBuffer& b, std::u16string_view text, int from, Colour colour,
               FindOptions opts = {});

// --- find the literal ------------------------------------------------------------------
// The position of the first "[*BM*]" at or after `from` in the whole text, or -1.
int findBookmark(const RichTextBuffer& b, int from = 0);

// Deletes every document bookmark and sets the insertion colour to black. Returns
// how many were removed.
int removeBookmarks(RichTextBuffer& b);

// --- deleting next to the caret ------------------------------------------------------
enum class CaretDeletion { Backward, Forward, WordBackward };

// The characters [from, to) that Backspace, Delete or Ctrl+Backspace removes at
// the caret: one character, a CR LF pair or a surrogate pair as one, or for a word
// the blanks before the caret and the word before them. Empty (from == to) when
// there is nothing to delete. The view deletes exactly this and the editing guard
// checks exactly this.
struct CharRange {
    int from = 0;
    int to = 0;
};
CharRange caretDeletionRange(const RichTextBuffer& b, CaretDeletion kind);

// --- trimming ------------------------------------------------------------------------------
// Removes tabs, line breaks and blanks from the end of the document, one character
// at a time, a CR LF pair as one.
void stripEnd(RichTextBuffer& b);

} // namespace tallix::scan
