#pragma once
// The plain data of a rich-text document: text, character formats and paragraph
// formats. It is what the RTF reader produces and the RTF writer consumes, and what
// a RichTextBuffer is assigned from and copied into.
#include "document/Markup.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// Longest font name a character format holds.
inline constexpr std::size_t MaxFontNameLength = 31;

struct CharFormat {
    Colour colour = clWindowText;
    StyleSet style = 0;
    int sizeHalfPoints = 24;     // 12 points
    std::u16string fontName = u"Arial";
    int offsetTwips = 0;         // raise above the baseline; negative lowers
    friend bool operator==(const CharFormat&, const CharFormat&) = default;

    int sizePoints() const { return sizeHalfPoints / 2; }
};

// A hash of every attribute, for tables of distinct formats.
inline std::size_t hashCharFormat(const CharFormat& f) {
    std::size_t h = std::hash<std::u16string>{}(f.fontName);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(f.colour);
    mix(f.style);
    mix(std::size_t(f.sizeHalfPoints));
    mix(std::size_t(f.offsetTwips));
    return h;
}

enum class Alignment : std::uint8_t { Left, Right, Center };

struct ParaFormat {
    Alignment alignment = Alignment::Left;
    int startIndentTwips = 0;
    friend bool operator==(const ParaFormat&, const ParaFormat&) = default;
};

// A run of characters sharing one format.
struct FormatRun {
    int length = 0;
    CharFormat format;
};

// Text with CR LF line breaks (and no lone CR or LF); runs cover the text exactly,
// in order, with no empty run; there is one paragraph format per paragraph, that is
// one more than the number of CR LF pairs.
struct RichContent {
    std::u16string text;
    std::vector<FormatRun> runs;
    std::vector<ParaFormat> paragraphs{ParaFormat{}};

    // Appends text in one format, merging with the last run when equal. The text
    // must hold no line break: breaks go through appendParagraphBreak so that the
    // paragraph list stays in step with the text.
    void appendText(std::u16string_view s, const CharFormat& fmt) {
        if (s.empty())
            return;
        text.append(s);
        if (!runs.empty() && runs.back().format == fmt)
            runs.back().length += int(s.size());
        else
            runs.push_back(FormatRun{int(s.size()), fmt});
    }
    // Ends the current paragraph with CR LF (formatted as fmt) and starts a new one
    // with the given paragraph format. The ended paragraph keeps its format.
    void appendParagraphBreak(const CharFormat& fmt, const ParaFormat& next) {
        appendText(u"\r\n", fmt);
        paragraphs.push_back(next);
    }
};

// Appends the footnotes and endnotes of a document at its end, numbered together in
// the order given: each becomes a paragraph of its own made of its number, ". ",
// and its text without the blanks that followed its mark and without the breaks at
// its end. A note of several paragraphs keeps its inner breaks. The number takes the
// note's first format, or numberFallback for a note with no text.
void appendNotes(RichContent& out, std::vector<RichContent>&& notes, const CharFormat& numberFallback);

// Appends content at the end of out; out's last paragraph, which must be empty,
// becomes the content's first.
void appendContent(RichContent& out, RichContent&& c);

} // namespace tallix
