#include "stats/WordCount.h"

#include "stats/ErrorCounting.h"
#include "platform/Lanes.h"

#include <algorithm>

namespace tallix::stats {

namespace {

constexpr bool isSeparator(char16_t c) { return c == u'\t' || c == u'\r' || c == u' '; }

} // namespace

int countWords(std::u16string_view text) {
    // Every run of separators that starts before the last word character is
    // followed by a word somewhere; the runs after it never are. So the count is
    // one more than the number of runs that start before the last word character
    // (a line feed is neither a word character nor a separator: a run can start
    // right after one), and 0 when there is no word character at all.
    std::size_t last = text.size();
    while (last > 0 && (isSeparator(text[last - 1]) || text[last - 1] == u'\n'))
        --last;
    if (last == 0)
        return 0;
    // Each position is looked at on its own (a separator after a non-separator),
    // eight at a time: a lane's count is taken out before it could overflow.
    const char16_t* t = text.data();
    long runs = isSeparator(t[0]) ? 1 : 0;
    std::size_t k = 1;
    const lanes::Units space = lanes::splat(u' '), tab = lanes::splat(u'\t'), cr = lanes::splat(u'\r');
    while (k + lanes::Width <= last) {
        const std::size_t stop = std::min(last - lanes::Width + 1, k + 8192 * lanes::Width);
        lanes::Mask starts{};
        for (; k < stop; k += lanes::Width) {
            const lanes::Units now = lanes::load(t + k);
            const lanes::Units before = lanes::load(t + k - 1);
            const lanes::Mask separator = (now == space) | (now == tab) | (now == cr);
            const lanes::Mask after = (before == space) | (before == tab) | (before == cr);
            starts += separator & ~after;
        }
        runs += lanes::sumNegated(starts);
    }
    for (; k < last; ++k)
        runs += int(isSeparator(t[k])) & int(!isSeparator(t[k - 1]));
    return int(1 + runs);
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
