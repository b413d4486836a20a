#include "export/web/MacChars.h"

#include "platform/CodePages.h"

#include <array>
#include <optional>

namespace tallix::web {

namespace {

// Macintosh byte of each Windows-1252 byte 0x80..0xFF; 0xDB where the Macintosh
// set has nothing close.
constexpr std::array<unsigned char, 128> MacTable{
    // 0x80
    0xDB, 0xDB, 0xDB, 0xC4, 0xE3, 0xC9, 0xA0, 0xE0, 0xF6, 0xE4, 0xDB, 0xDC, 0xCE, 0xDB, 0xDB, 0xDB,
    // 0x90
    0xDB, 0xD4, 0xD5, 0xD2, 0xD3, 0xA5, 0xD0, 0xD1, 0xF7, 0xAA, 0xDB, 0xDD, 0xCF, 0xDB, 0xDB, 0xD9,
    // 0xA0
    0x20, 0xC1, 0xA2, 0xA3, 0xDB, 0xB4, 0x7C, 0xA4, 0xAC, 0xA9, 0xBB, 0xC7, 0xC2, 0x2D, 0xA8, 0xF8,
    // 0xB0
    0xBC, 0xB1, 0x32, 0x33, 0xAB, 0xB5, 0xA6, 0xE1, 0xFC, 0xF5, 0xBC, 0xC8, 0xDB, 0xDB, 0xDB, 0xC0,
    // 0xC0
    0xCB, 0xE7, 0xE5, 0xCC, 0x80, 0x81, 0xAE, 0x82, 0xE9, 0x83, 0xE6, 0xE8, 0xED, 0xEA, 0xEB, 0xEC,
    // 0xD0
    0xDB, 0x84, 0xF1, 0xEE, 0xEF, 0xCD, 0x85, 0x78, 0xAF, 0xF4, 0xF2, 0xF3, 0x86, 0x59, 0xDB, 0xA7,
    // 0xE0
    0x88, 0x87, 0x89, 0x8B, 0x8A, 0x8C, 0xBE, 0x8D, 0x8F, 0x8E, 0x90, 0x91, 0x93, 0x92, 0x94, 0x95,
    // 0xF0
    0xDB, 0x96, 0x98, 0x97, 0x99, 0x9B, 0x9A, 0xD6, 0xBF, 0x9D, 0x9C, 0x9E, 0x9F, 0x79, 0xDB, 0xD8,
};

// Replacement of each Windows-1252 byte 0x80..0xFF; an empty entry drops the byte.
constexpr std::array<std::string_view, 128> WebbleTable{
    // 0x80
    "", "", ",", "f", "\"\"", "...", "*", "**", "^", "%", "S", "&lt;", "OE", "", "", "",
    // 0x90
    "", "'", "'", "\"", "\"", "-", "-", "--", "~", "&trade;", "s", "&gt;", "oe", "", "", "Y",
    // 0xA0
    " ", "!", "\xA2", "\xA3", "*", "Y", "|", "s", "~", "&copy;", "a", "\"", "-", "-", "&reg;", "--",
    // 0xB0
    "o", "+/-", "2", "3", "'", "\xB5", "", ".", ",", "1", "o", "'", "1/4", "1/2", "3/4", "?",
    // 0xC0
    "&Agrave;", "&Aacute;", "&Acirc;", "&Atilde;", "&Auml;", "&Aring;", "&AElig;", "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;", "&Euml;", "&Igrave;", "&Iacute;", "&Icirc;", "&Iuml;",
    // 0xD0
    "&ETH;", "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;", "&Otilde;", "&Ouml;", "x",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;", "&Uuml;", "&Yacute;", "&THORN;", "&szlig;",
    // 0xE0
    "&agrave;", "&aacute;", "&acirc;", "&atilde;", "&auml;", "&aring;", "&aelig;", "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;", "&euml;", "&igrave;", "&iacute;", "&icirc;", "&iuml;",
    // 0xF0
    "&eth;", "&ntilde;", "&ograve;", "&oacute;", "&ocirc;", "&otilde;", "&ouml;", "/",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;", "&uuml;", "&yacute;", "&thorn;", "&yuml;",
};

} // namespace

unsigned char macByte(unsigned char b) { return b < 0x80 ? b : MacTable[b - 0x80u]; }

std::string macify(std::string_view in) {
    std::string out(in);
    for (char& c : out)
        c = char(macByte(static_cast<unsigned char>(c)));
    return out;
}

std::string_view webbleReplacement(unsigned char b) {
    static const std::array<char, 128> ascii = [] {
        std::array<char, 128> a{};
        for (std::size_t i = 0; i < a.size(); ++i)
            a[i] = char(i);
        return a;
    }();
    if (b < 0x80)
        return std::string_view(&ascii[b], 1);
    return WebbleTable[b - 0x80u];
}

std::string webble(std::string_view in) {
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    for (char c : in)
        out.append(webbleReplacement(static_cast<unsigned char>(c)));
    return out;
}

std::u16string webble(std::u16string_view in) {
    std::u16string out;
    out.reserve(in.size() + in.size() / 8);
    for (char16_t c : in) {
        if (c < 0x80) {
            out.push_back(c);
            continue;
        }
        std::optional<unsigned char> b = codepages::encode1252(c);
        if (!b || *b < 0x80) {
            out.push_back(c);
            continue;
        }
        std::string_view r = webbleReplacement(*b);
        if (r.size() == 1 && static_cast<unsigned char>(r[0]) >= 0x80) {
            out.push_back(c); // kept as it is (cent, pound, micro)
            continue;
        }
        for (char a : r)
            out.push_back(char16_t(static_cast<unsigned char>(a)));
    }
    return out;
}

} // namespace tallix::web
