#pragma once
// The text of a marked file and where one colour lies in it, read in a single
// quick pass for counting a class's files.
//
// The program's own RTF writer uses a small, fixed vocabulary: one header, a font
// table of \fcharset0 fonts, a colour table, and a body of \pard, \plain, font,
// size, colour, style and offset words, \par, \tab, \'hh, \uN? and the three
// escaped characters, with no groups. readQuickRtfText reads exactly that and
// gives exactly the text and colours the full reader gives for it; it refuses
// (returns false) at the first thing outside that vocabulary, and the caller then
// reads the file with the full reader. Refusing is never wrong, only slower.
#include "document/Markup.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

struct QuickRtfText {
    // As the full reader gives it, paragraph breaks as CR LF.
    std::u16string_view text() const { return {units.get(), length}; }
    // The runs of characters in the wanted colour, in order, as [start, end)
    // positions in text; a paragraph break always ends a run.
    struct Run {
        int start = 0;
        int end = 0;
    };
    std::vector<Run> runs;

    // The text's storage, kept from one file to the next and never filled with
    // zeros first: a file has at most as many characters as bytes.
    std::unique_ptr<char16_t[]> units;
    std::size_t capacity = 0;
    std::size_t length = 0;
};

// Reads bytes written by our RTF writer into out; false when they hold anything
// else (out is then unspecified).
bool readQuickRtfText(std::string_view bytes, Colour wanted, QuickRtfText& out);

} // namespace tallix
