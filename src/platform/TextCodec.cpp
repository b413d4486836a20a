#include "platform/TextCodec.h"

#include "platform/CodePages.h"
#include "platform/Lanes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tallix::text {
namespace {

constexpr char16_t Replacement = 0xFFFD;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

std::u16string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(bigEndian ? static_cast<char16_t>((a << 8) | b)
                                  : static_cast<char16_t>((b << 8) | a));
    }
    // Pair the surrogates; anything unpaired, and a dangling odd byte, is malformed.
    std::u16string out;
    out.reserve(units.size() + 1);
    for (std::size_t k = 0; k < units.size(); ++k) {
        const char16_t c = units[k];
        if (isHighSurrogate(c) && k + 1 < units.size() && isLowSurrogate(units[k + 1])) {
            out.push_back(c);
            out.push_back(units[++k]);
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            out.push_back(Replacement);
        } else {
            out.push_back(c);
        }
    }
    if (i < bytes.size())
        out.push_back(Replacement);
    return out;
}

bool hasNonAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// UTF-16 saved without its byte-order mark: NUL bytes, which 8-bit text never
// holds, all on the same side of the byte pairs and in at least a quarter of them
// (the high bytes of Latin text). Says whether it is big-endian; nothing when the
// bytes do not look like that.
std::optional<bool> unmarkedUtf16(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    std::size_t nulsEven = 0, nulsOdd = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0')
            ++(i % 2 == 0 ? nulsEven : nulsOdd);
    const std::size_t units = bytes.size() / 2;
    if (nulsEven == 0 && nulsOdd * 4 >= units)
        return false; // little-endian: the high byte comes second
    if (nulsOdd == 0 && nulsEven * 4 >= units)
        return true;
    return std::nullopt;
}

} // namespace

bool decodeUtf8At(std::string_view bytes, std::size_t i, char32_t& cp, std::size_t& used) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    used = 1;
    if (b0 < 0x80) {
        cp = b0;
        return true;
    }
    int more = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        more = 1;
        cp = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        more = 2;
        cp = b0 & 0x0Fu;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlongs
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        more = 3;
        cp = b0 & 0x07u;
        if (b0 == 0xF0)
            lo = 0x90; // no overlongs
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return false; // continuation byte, C0, C1 or F5..FF as a lead
    }
    for (int k = 0; k < more; ++k) {
        if (i + used >= bytes.size())
            return false;
        const auto b = static_cast<unsigned char>(bytes[i + used]);
        if (b < lo || b > hi)
            return false;
        cp = (cp << 6) | (b & 0x3Fu);
        ++used;
        lo = 0x80;
        hi = 0xBF;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}


std::u16string decodeTextFile(std::string_view bytes) {
    auto startsWith = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (startsWith("\xFF\xFE"))
        return decodeUtf16(bytes.substr(2), false);
    if (startsWith("\xFE\xFF"))
        return decodeUtf16(bytes.substr(2), true);
    if (startsWith("\xEF\xBB\xBF"))
        return fromUtf8(bytes.substr(3));
    if (hasNonAscii(bytes) && isValidUtf8(bytes))
        return fromUtf8(bytes);
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.push_back(codepages::decodeByte(static_cast<unsigned char>(c), 1252));
    return out;
}

std::u16string withoutNul(std::u16string text) {
    // Looked for eight at a time: there is hardly ever one.
    for (std::size_t at = lanes::findEither(text.data(), 0, text.size(), u'\0', u'\0'); at < text.size();
         at = lanes::findEither(text.data(), at + 1, text.size(), u'\0', u'\0'))
        text[at] = withoutNul(text[at]);
    return text;
}

std::optional<std::u16string> decodeEssayText(std::string_view bytes) {
    const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
    std::u16string decoded;
    if (utf16 || bytes.find('\0') == std::string_view::npos) {
        decoded = decodeTextFile(bytes);
    } else if (const std::optional<bool> bigEndian = unmarkedUtf16(bytes)) {
        decoded = decodeUtf16(bytes, *bigEndian);
    } else {
        return std::nullopt;
    }
    std::size_t controls = 0;
    for (char16_t c : decoded) {
        // Tabs, breaks and the end-of-file mark of old DOS editors belong in text.
        const bool layout = c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' ||
                            c == 0x1A;
        if ((c < 0x20 && !layout) || (c >= 0x7F && c <= 0x9F))
            ++controls;
    }
    if (controls * 10 > decoded.size())
        return std::nullopt;
    std::u16string text;
    text.reserve(decoded.size() + decoded.size() / 16);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const char16_t c = decoded[i];
        if (c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f') {
            text += u"\r\n";
            if (c == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n')
                ++i;
        } else {
            text.push_back(withoutNul(c));
        }
    }
    return text;
}

std::string encodeTextFile(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        const auto byte = codepages::encode1252(c);
        if (!byte)
            return "\xEF\xBB\xBF" + toUtf8(text);
        out.push_back(static_cast<char>(*byte));
    }
    return out;
}

std::u16string normaliseLineBreaks(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (isHighSurrogate(cp) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (isHighSurrogate(cp) || isLowSurrogate(cp)) {
            cp = Replacement;
        }
        appendUtf8(out, cp);
    }
    return out;
}

void appendFromUtf8(std::u16string& out, std::string_view bytes) {
    out.reserve(out.size() + bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        // ASCII, most of any essay, goes across a stretch at a time, sixteen bytes
        // to a step while they last.
        std::size_t ascii = i;
        while (ascii + lanes::ByteWidth <= bytes.size()) {
            lanes::ByteMask v;
            std::memcpy(&v, bytes.data() + ascii, sizeof v);
            const lanes::ByteMask high = v < 0;
            if (lanes::any(high)) {
                ascii += lanes::firstSet(high);
                break;
            }
            ascii += lanes::ByteWidth;
        }
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80)
            ++ascii;
        if (ascii > i) {
            const std::size_t at = out.size();
            out.resize(at + (ascii - i));
            lanes::widen(bytes.data() + i, ascii - i, out.data() + at);
            i = ascii;
            continue;
        }
        char32_t cp = 0;
        std::size_t used = 1;
        if (decodeUtf8At(bytes, i, cp, used))
            appendCodePoint(out, cp);
        else
            out.push_back(Replacement);
        i += used;
    }
}

std::u16string fromUtf8(std::string_view bytes) {
    std::u16string out;
    appendFromUtf8(out, bytes);
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        std::size_t used = 1;
        if (!decodeUtf8At(bytes, i, cp, used))
            return false;
        i += used;
    }
    return true;
}

} // namespace tallix::text
