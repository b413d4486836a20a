#pragma once
// Numbered comments in the essay, the notes area that shows a comment or one of
// the two feedback texts, and the rules for switching between them.
//
// A comment is a green marker holding its number, optionally after a navy span;
// its text is item number - 1 of the document's comment list. Markers are found
// by their digits and their colour only.
#include "document/MarkedDocument.h"

#include <optional>
#include <string>

namespace tallix::comments {

inline constexpr char16_t OverlapMessage[] = u"You can't overlap annotations or comments.";
inline constexpr int HelpContext = 10000;

inline constexpr char16_t DeleteTitle[] = u"Delete comment";
inline constexpr char16_t DeletePrompt[] = u"Which number would you like to delete?";
inline constexpr char16_t DeleteDefault[] = u"0";

// Adds a comment at the selection (a navy span when text is selected, then the
// green marker), renumbers the later markers, inserts an empty text into the list,
// shows the comments area and selects the new comment. Returns the warning to
// show when the selection touches markup; then nothing changed.
std::optional<Message> addComment(MarkedDocument& d);

// Deletes the comment whose number the teacher typed into the delete box
// (nullopt: the box was cancelled, which leaves its default "0"). Returns the
// error to show for an answer that is not a whole number; then nothing changed.
std::optional<Message> deleteComment(MarkedDocument& d,
                                     const std::optional<std::u16string>& answer);

// The class library's message for a number box that holds no number.
std::u16string notAnIntegerMessage(std::u16string_view text);
// Reads a whole number the way the number boxes do (blanks around it allowed).
std::optional<long long> parseInteger(std::u16string_view text);

// --- the notes area ------------------------------------------------------------------
// Shows (or hides) the comments in the notes area.
void showComments(MarkedDocument& d, bool show);
// The comment toggle button after a click; nowDown is its new state. With no
// comments the area is hidden and the button raised.
void commentButtonClicked(MarkedDocument& d, bool nowDown);
// The "show comments" menu item: nothing without comments, else flips the button.
void showCommentsMenuClicked(MarkedDocument& d);
// A feedback toggle button (1 or 2) after a click; nowDown is its new state.
void feedbackButtonClicked(MarkedDocument& d, int which, bool nowDown);
// The feedback menu items flip their button and do what it does.
void showFeedbackMenuClicked(MarkedDocument& d, int which);
// The selector's value changed (by the teacher or the program).
void selectorChanged(MarkedDocument& d, int value);
// The selector was clicked.
void selectorClicked(MarkedDocument& d);
// The memo lost the focus: what it shows goes back to its text.
void memoExited(MarkedDocument& d);
// The memo's text changed.
void memoChanged(MarkedDocument& d, std::u16string text, int caret);

} // namespace tallix::comments
