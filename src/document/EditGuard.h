#pragma once
// The editing guard: the essay text may be edited freely, its markup may not.
//
// Markup is every character that is not black, so the guard's one test is the
// colour of the selection: the selection is editable when one colour covers it
// and that colour is clBlack. With no selection the colour read is the insertion
// formatting, that of the character before the caret, so a caret directly after
// a label, a marker, a span or a bookmark counts as inside markup.
//
// Here are the decisions that need no window: the test, the refusal, the rule
// for keys (given as Windows virtual-key codes), the guarded clipboard edits on
// the buffer and the enabling of the essay's pop-up menu. The window shows the
// messages and moves the clipboard.
#include "document/MarkedDocument.h" // Message
#include "document/RichContent.h"
#include "document/RichTextBuffer.h"

#include <optional>
#include <string>

namespace tallix::guard {

inline constexpr char16_t RefusalText[] =
    u"You can't alter annotated text. Delete the annotation or comment first.";
inline constexpr int HelpContext = 8000;

// The refusal: a warning with an OK button and help context 8000.
Message refusalMessage();

// The guard's test on the current selection.
bool isEditable(const RichTextBuffer& b);

// True when every character of [from, to) is black (an empty range is).
bool isPlainRange(const RichTextBuffer& b, int from, int to);

// --- keys ----------------------------------------------------------------------------
enum KeyModifier : unsigned {
    ShiftKey = 1u << 0,
    CtrlKey = 1u << 1,
    AltKey = 1u << 2,
    MetaKey = 1u << 3, // the Windows (or Command) key
};
using KeyModifiers = unsigned;

enum class KeyAction {
    Pass,   // the key goes on to the essay
    Refuse, // show the refusal and swallow the key
    Paste,  // swallow the key and paste (Ctrl+V)
    Cut,    // swallow the key and cut (Ctrl+X)
};

// What a key press in the essay does, by its virtual-key code. Inside markup,
// Backspace, Tab, Enter (codes up to 13) and Delete, digits, letters, the
// keypad and F1 (46 to 112) are refused; modifiers, Escape, Space, paging,
// arrows, Home, End, Insert (14 to 45), F2 and up and the punctuation keys
// (above 112) pass so that the caret can be moved out. Chords of Alt (without
// Ctrl, which with Alt types characters) or of the Windows key are menu and
// system keys that edit nothing; they pass. Ctrl+V and Ctrl+X with no other
// modifier paste and cut where the selection is editable.
KeyAction keyDownAction(bool editable, int virtualKey, KeyModifiers modifiers);

// Typed characters: inside markup every typed character is swallowed, without a
// message (this catches Space and the punctuation keys, which the key rule lets
// through).
inline bool acceptsTypedCharacter(bool editable) { return editable; }

// --- clipboard edits on the buffer ---------------------------------------------------
// Pastes content at the selection, or refuses (nothing changes). The pasted
// characters keep their fonts, sizes, styles and paragraph formats but are made
// black, so that nothing pasted reads as markup; the caret ends after them.
// Empty content changes nothing.
std::optional<Message> pasteContent(RichTextBuffer& b, const RichContent& content);

// Cuts the selection: its characters go to cutText (CR LF line breaks) and are
// deleted. Refused (nothing changes, cutText untouched) when not editable.
std::optional<Message> cutSelection(RichTextBuffer& b, std::u16string& cutText);

// Deletes the selection, or refuses.
std::optional<Message> deleteSelection(RichTextBuffer& b);

// --- the essay's pop-up menu ----------------------------------------------------------
struct PopupMenuState {
    bool cut = false;
    bool copy = false;
    bool paste = true;
    bool del = false;
    bool deleteAnnotation = false;
    bool find = true;
    bool findAgain = true;
    bool goToLine = true;
};

// Which items are enabled as the menu opens, given whether the caret or selection
// is inside a label or an annotated span (the annotation layer's test, which the
// caller makes): "Delete Annotation" there; "Cut" and "Delete" for a selection
// that is not; "Copy" for any selection; the rest always.
PopupMenuState popupMenuState(const RichTextBuffer& b, bool inAnnotation);

} // namespace tallix::guard
