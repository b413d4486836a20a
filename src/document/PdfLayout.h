#pragma once
// Rebuilds the paragraphs of a printed document from the positioned words of its
// pages, as a PDF reader extracts them: words are grouped into lines by their
// vertical overlap, lines into paragraphs by the gap above them, their indent and
// whether the line before ended well short of the margin. Words hyphenated at a
// line's end are joined again; headers, footers and page numbers that repeat from
// page to page are left out; footnotes (small lines that begin with the label of
// a raised mark in the text) are appended at the end, numbered as the RTF reader
// numbers them. Pure: no file, no library, any input (the fuzz target feeds it).
#include "document/RichContent.h"

#include <string>
#include <vector>

namespace tallix::pdf {

// One word (or piece of a word in one font) as the page shows it. Coordinates in
// points, from the page's top left corner, y growing downwards.
struct TextBox {
    std::u16string text;
    double left = 0, top = 0, right = 0, bottom = 0;
    double fontSize = 12;
    std::string fontName; // as the file names it, subset prefix and all ("ABCDEF+Times-Bold")
};

struct Page {
    double width = 595, height = 842;
    std::vector<TextBox> boxes;
};

// The thresholds of the layout analysis, each relative to the font size of the
// lines concerned (an "em") or to the usual distance between lines.
struct LayoutParams {
    // Two words of a line are separated by a blank when the gap between them is
    // wider than this (ems), and by a TAB when wider than tabGap.
    double wordGap = 0.12;
    double tabGap = 2.0;
    // A box joins a line when it shares this much of the smaller height with it.
    double lineOverlap = 0.5;
    // A mark is raised this far (ems of the line) and smaller than markSize of it.
    double markRaise = 0.2;
    double markSize = 0.85;
    // A new paragraph where the distance between two baselines exceeds the usual
    // line pitch by this much (ems).
    double paragraphGap = 0.3;
    // ... where a line begins this far (ems) right of the one before.
    double indentStep = 1.0;
    // ... where the line before would have held the next line's first word with
    // this much (ems) to spare.
    double shortLineSlack = 0.5;
    // A line is centred when both its margins are wider than centreMargin ems and
    // differ by less than centreTolerance ems.
    double centreMargin = 2.0;
    double centreTolerance = 1.0;
    // Lines of notes are smaller than this share of the body's size.
    double noteSize = 0.95;
    // A line at the top or bottom of a page is page furniture when its text, with
    // its digits taken as any digit, stands there on this share of the pages (and
    // on at least two).
    double furnitureShare = 0.5;
};

// How many words the pages held (after the furniture was left out), so that the
// reader can tell a file with no text layer from an empty essay.
struct LayoutResult {
    RichContent content;
    std::size_t words = 0;
};

LayoutResult buildParagraphs(const std::vector<Page>& pages, const LayoutParams& params = {});

// Bold and italic as the font's name tells them ("Arial,BoldItalic",
// "ABCDEF+LiberationSerif-Italic", "TimesNewRomanPS-BoldMT").
StyleSet styleOfFontName(const std::string& fontName);

} // namespace tallix::pdf
