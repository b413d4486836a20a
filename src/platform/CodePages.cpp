#include "platform/CodePages.h"

#include <array>

namespace tallix::codepages {

bool isSupported(int codePage) { return upperHalf(codePage) != nullptr; }

char16_t decodeByte(unsigned char byte, int codePage) {
    if (byte < 0x80)
        return byte;
    const char16_t* table = upperHalf(codePage);
    if (!table)
        table = upperHalf(1252);
    return table[byte - 0x80];
}

std::optional<unsigned char> encode1252(char16_t c) {
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    // Built once: the reverse of the 1252 table.
    static const auto reverse = [] {
        std::array<std::pair<char16_t, unsigned char>, 128> r{};
        const char16_t* t = upperHalf(1252);
        for (int i = 0; i < 128; ++i)
            r[i] = {t[i], static_cast<unsigned char>(0x80 + i)};
        return r;
    }();
    if (c >= 0xA0 && c <= 0xFF)
        return static_cast<unsigned char>(c); // 1252 equals Latin-1 there
    for (const auto& [ch, byte] : reverse)
        if (ch == c)
            return byte;
    return std::nullopt;
}

int codePageOfCharset(int charset) {
    switch (charset) {
    case 0: // ANSI
        return 1252;
    case 161: // Greek
        return 1253;
    case 162: // Turkish
        return 1254;
    case 186: // Baltic
        return 1257;
    case 128: // Japanese
        return 932;
    case 129: // Korean
        return 949;
    case 134: // Simplified Chinese
        return 936;
    case 136: // Traditional Chinese
        return 950;
    case 163: // Vietnamese
        return 1258;
    case 177: // Hebrew
        return 1255;
    case 178: // Arabic
        return 1256;
    case 222: // Thai
        return 874;
    case 204: // Cyrillic
        return 1251;
    case 238: // Eastern European
        return 1250;
    default:
        return 0;
    }
}

} // namespace tallix::codepages
