#pragma once
// Simple case folding for the letters essays are written in: ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic. Used by find and by label look-ups.
#include <string>
#include <string_view>

namespace tallix {

// The lower-case form of c, or c itself when it has none we know.
constexpr char16_t foldCase(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return char16_t(c + 0x20);
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130)
            return u'i';
        if (c == 0x178)
            return 0xFF;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c & 1) ? char16_t(c + 1) : c;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c & 1) ? c : char16_t(c + 1);
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return char16_t(c + 0x20);
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 0x50);
    return c;
}

inline bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

inline std::u16string foldedCopy(std::u16string_view s) {
    std::u16string r(s);
    for (auto& c : r)
        c = foldCase(c);
    return r;
}

// Letters, digits and the underscore count as word characters for whole-word find.
constexpr bool isWordChar(char16_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
               c == u'_';
    if (c < 0xC0)
        return c == 0xAA || c == 0xB5 || c == 0xBA;
    if (c == 0xD7 || c == 0xF7)
        return false;
    if (c >= 0x2000 && c <= 0x2BFF) // punctuation, symbols, arrows
        return false;
    if (c >= 0x3000 && c <= 0x303F) // CJK punctuation
        return false;
    if (c >= 0xFE30 && c <= 0xFE4F)
        return false;
    return true;
}

} // namespace tallix
