#pragma once
// Moving around a long essay: document bookmarks, find and go to line.
//
// A document bookmark is the six characters "[*BM*]" in silver, set at the caret;
// its name is kept in the document's Bookmarks, entry k for the k-th mark in the
// text. Only silver marks are bookmarks: the same characters in any other colour
// (a student may have typed them) are essay text and are never counted, gone to
// or deleted.
//
// Lines are paragraphs, numbered from 0: the numbering the status bar shows.
//
// The functions change the buffer and the bookmark names and return what the
// window has to show; the window asks the questions and shows the messages.
#include "document/Bookmarks.h"
#include "document/MarkedDocument.h"
#include "document/RichTextBuffer.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tallix::navigation {

// --- bookmarks ---------------------------------------------------------------------------
inline constexpr int BookmarkHelpContext = 31000;
inline constexpr char16_t BookmarkLimitText[] =
    u"There is a limit of ten bookmarks. Please delete one before adding a new one.";
inline constexpr char16_t AddBookmarkTitle[] = u"Bookmark name";
inline constexpr char16_t AddBookmarkPrompt[] = u"Please enter a name for your bookmark";
inline constexpr char16_t DeleteBookmarkTitle[] = u"Delete bookmark";
inline constexpr char16_t DeleteBookmarkPrompt[] = u"Delete which number?";
inline constexpr char16_t DeleteBookmarkDefault[] = u"1";
// How many characters from the caret make the proposed name.
inline constexpr int ProposedNameLength = 16;

// The warning to show when no more bookmarks can be added (ten are set);
// nullopt while there is room.
std::optional<Message> bookmarkLimit(const Bookmarks& marks);

// The name proposed for a new bookmark: the 16 characters from the caret, fewer
// at the end of the text. It may hold line breaks and markup text.
std::u16string proposedBookmarkName(const RichTextBuffer& b);

// Sets a bookmark at the caret with the given name: a silver "[*BM*]" is written
// there (in the caret's other attributes) and the caret put after it; the name
// takes the place of the mark among the marks before it, later names move up one.
// Returns the new bookmark's number (1..10), or 0 when ten are set already
// (nothing changes). A caret inside markup (between two coloured characters, as
// in the middle of a label or of another mark) would split it: the mark goes
// after that markup instead.
int addBookmark(RichTextBuffer& b, Bookmarks& marks, std::u16string_view name);

// The position of the n-th bookmark mark (1-based) in the text, or -1.
int bookmarkPosition(const RichTextBuffer& b, int n);

// Puts the caret at the start of the n-th mark. False (and nothing moves) when
// there is no such mark.
bool goToBookmark(RichTextBuffer& b, int n);

// Deletes the bookmark whose number was typed into the delete box (nullopt: the
// box was cancelled). An answer that is not a whole number is returned as the
// error to show; a number outside 1..count does nothing. The name goes from the
// list (later ones move down), the n-th mark from the text, and the insertion
// colour becomes black.
std::optional<Message> deleteBookmark(RichTextBuffer& b, Bookmarks& marks,
                                      const std::optional<std::u16string>& answer);

// --- find -----------------------------------------------------------------------------------
inline constexpr int FindHelpContext = 25000;
inline constexpr char16_t ContinueFromStartQuestion[] =
    u"Text not found. Do you want to continue searching from the beginning of the document?";
inline constexpr char16_t NotFoundText[] = u"Text not found";

// The question asked when the search reaches the end: Yes, No and Cancel.
Message continueFromStartQuestion();

// The first match of text at or after start, ignoring case; -1 when there is none.
int findInMark(const RichTextBuffer& b, std::u16string_view text, int start);

enum class FindResult {
    Found,    // the match is selected
    NotFound, // not even from the beginning: show "Text not found"
    Stopped,  // the question was answered No or Cancel
};

// Find next: searches from one past the selection start, so that repeated finds
// step through the matches. When nothing is found, continueFromStart is asked
// (the question above); on true the search runs again from the beginning. A match
// is selected.
FindResult findNext(RichTextBuffer& b, std::u16string_view text,
                    const std::function<bool()>& continueFromStart);

// --- go to line ----------------------------------------------------------------------------
inline constexpr char16_t GoToLineTitle[] = u"Go to line number...";
inline constexpr char16_t GoToLinePrompt[] = u"What line number would you like to go to?";
inline constexpr char16_t GoToLineDefault[] = u"0";

struct GoToLineOutcome {
    // The line the caret went to (its first position), or -1 when nothing moved.
    int line = -1;
    // The error to show for an answer that is not a whole number.
    std::optional<Message> error;
};

// Go to the line typed into the box (nullopt: the box was cancelled). A line
// outside the text does nothing.
GoToLineOutcome goToLine(RichTextBuffer& b, const std::optional<std::u16string>& answer);

} // namespace tallix::navigation
