#include "stats/WordCount.h"

#include "stats/ErrorCounting.h"

namespace tallix::stats {

namespace {

constexpr bool isSeparator(char16_t c) { return c == u'\t' || c == u'\r' || c == u' '; }

} // namespace

int countWords(std::u16string_view text) {
    int words = 1;
    int pendingRuns = 0; // runs of separators not yet followed by a word character
    bool anyWord = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char16_t c = text[k];
        if (isSeparator(c)) {
            if (k == 0 || !isSeparator(text[k - 1]))
                ++pendingRuns;
        } else if (c != u'\n') {
            words += pendingRuns;
            pendingRuns = 0;
            anyWord = true;
        }
    }
    return anyWord ? words : 0;
}

std::u16string wordCountReport(std::u16string_view text, bool selectedText) {
    const int words = countWords(text);
    const int characters = int(text.size());
    const int average = words > 0 ? (characters - words) / words : 0;
    std::u16string r = selectedText ? u"In selected text:\r\n\r\n" : u"In complete text: \r\n\r\n";
    r += u"Total words: " + decimal(words) + u"\r\n";
    r += u"Total characters: " + decimal(characters) + u"\r\n";
    r += u"Average word length: " + decimal(average);
    return r;
}

} // namespace tallix::stats
