#pragma once
// Word count of the essay or of a selected part of it.
#include <string>
#include <string_view>

namespace tallix::stats {

inline constexpr int WordCountHelpContext = 32000;

// The words of a text. Separators are TAB, CR and space; the line feed is not one.
// Every run of separators that begins after a non-separator (or at the very start
// of the text) adds one word to the first, provided a character other than a
// separator or a line feed follows it somewhere: separators and line breaks at the
// end never add a word. A text with nothing but separators and line feeds (an
// empty text included) has 0 words. An empty line (CR LF CR LF) between words ends
// two runs and adds two.
int countWords(std::u16string_view text);

// The report of the word count: the heading ("In complete text: " or "In selected
// text:", each followed by CR LF CR LF), then "Total words: ", "Total characters: "
// (every character, line breaks included) and "Average word length: " (characters
// less words, divided by words, the fraction dropped; 0 when there are no words),
// one a line, lines ended by CR LF.
std::u16string wordCountReport(std::u16string_view text, bool selectedText);

} // namespace tallix::stats
