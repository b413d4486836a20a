#pragma once
// The text clean-up commands: joining the hard-wrapped lines of an e-mailed essay,
// repairing Mac smart quotes and converting every Mac character.
//
// All three keep markup as it is: a line break next to a label, a marker, a span
// or a bookmark is never joined, no character of a label, a marker or a bookmark is
// removed, and the Mac conversions change black (essay) text only. Replaced
// characters keep the formats of the characters they replace.
#include "document/RichTextBuffer.h"

#include <functional>
#include <string>

namespace tallix::tools {

// Called now and then during a long run with how far the work is (done of total),
// so that a window can repaint. It must not edit the buffer.
using Progress = std::function<void(int done, int total)>;

// --- strip returns -----------------------------------------------------------------
inline constexpr char16_t AcceptChangesQuestion[] = u"Would you like to accept these changes?";
inline constexpr char16_t StripFailedWarning[] =
    u"The procedure failed to operate properly. Changes will be cancelled.";

// The question asked before stripping: it speaks of the selected text when there is
// a selection shorter than the whole text.
std::u16string stripReturnsQuestion(const RichTextBuffer& b);

struct StripReturnsResult {
    int joined = 0;        // line breaks replaced by a space
    int spacesRemoved = 0; // spaces removed after another space
};

// Joins the lines of hard-wrapped paragraphs in the selection (or in the whole text
// when nothing, or everything, is selected): a line break becomes one space unless
// it ends an empty line, the next line is empty or starts with a space or a tab, or
// a character on either side of it (the one before, the two after) is not black.
// Then every space that follows another space is removed, over the whole text,
// except spaces of labels, markers and bookmarks. The caret ends where the
// selection started, at the same place in the text; the selection is not kept.
// The text is rebuilt in one pass, so the cost does not grow with the number of
// joins.
StripReturnsResult StripReturns(RichTextBuffer& b, const Progress& progress = {});

// --- Mac characters ----------------------------------------------------------------
inline constexpr int MacHelpContext = 34000;
inline constexpr char16_t ConvertAllMacWarning[] =
    u"You should only use this routine if you have received a file from a Macintosh user "
    u"and accented characters are garbled. Do you want to proceed?";

// Replaces the left single quotation mark of Windows-1252 and the four Mac smart
// quotes (as they read in Windows-1252) in black text by straight quotes. The caret
// goes back where it was, with no selection. Returns how many were replaced.
int DeMacify(RichTextBuffer& b, const Progress& progress = {});

// Converts every black character that has a Windows-1252 byte of 0x80 or above as
// a Mac character through MacToWindows1252, one character for one. The caret is
// left after the last character replaced. Returns how many were replaced.
int PCToMac(RichTextBuffer& b, const Progress& progress = {});

} // namespace tallix::tools
