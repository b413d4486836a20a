#pragma once
// The useful text snippets: every snippet is two strings in a row of one list (the
// title, the text in its stored one-line form), kept in "reftext.mdb" in the
// program folder.
#include "library/ReferenceList.h"

#include <string>
#include <string_view>

namespace tallix::library {

// The character that stands for a line break in a stored snippet.
inline constexpr char16_t HiddenReturn = 0x1A;

// The stored form of a text: every line break becomes 0x1A, so the text is one
// line of the file. CR LF, a lone CR, a lone LF and the Unicode line and
// paragraph separators all count as line breaks (text boxes hand over any of
// them), so no line break ever reaches the file.
std::u16string HideReturns(std::u16string_view text);
// Every 0x1A of a stored text back to CR LF.
std::u16string RestoreReturns(std::u16string_view text);

class TextList : public ReferenceList {
public:
    static constexpr int Fields = 2;
    TextList() : ReferenceList(Fields) {}

    // The stored (one-line) form of snippet i's text.
    const std::u16string& storedText(int snippet) const { return field(snippet, 1); }
    // Snippet i's text with its line breaks (CR LF).
    std::u16string text(int snippet) const { return RestoreReturns(storedText(snippet)); }

    // A snippet edited by the teacher: the title is made one line, the text is
    // stored with HideReturns.
    void setSnippet(int snippet, std::u16string_view title, std::u16string_view text);
    // A new snippet as "&New" makes it: the title "New text" and no text.
    int addNewSnippet();
};

inline constexpr char16_t TextFileName[] = u"reftext.mdb";

} // namespace tallix::library
