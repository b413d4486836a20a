#include "document/QuickRtfText.h"

#include "document/RtfTokenizer.h"
#include "document/RtfWriter.h"
#include "platform/CodePages.h"
#include "platform/Lanes.h"

#include <array>
#include <cstdint>

namespace tallix {

namespace {

constexpr char16_t Replacement = 0xFFFD;

// Bytes of body text that stand for themselves: printable ASCII but the three
// that RTF gives a meaning.
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> t{};
    for (int c = 0x20; c <= 0x7E; ++c)
        t[std::size_t(c)] = c != '\\' && c != '{' && c != '}';
    return t;
}();

// The character of a byte from 0x80 up in the document's code page, from a table
// made on first use.
char16_t highByte1252(unsigned char b) {
    static const std::array<char16_t, 128> table = [] {
        std::array<char16_t, 128> t{};
        for (int c = 0x80; c <= 0xFF; ++c)
            t[std::size_t(c - 0x80)] = codepages::decodeByte(static_cast<unsigned char>(c), 1252);
        return t;
    }();
    return table[std::size_t(b - 0x80)];
}

using rtf::hexValue;
using rtf::isDigit;
using rtf::isLetter;

// The control words of our writer's body, by what they do to the text.
enum class Word : std::uint8_t {
    Other,   // anything else: for the full reader
    Format,  // \pard \ql \qc \qr \li \f \fs \b \i \ul \strike \up \dn: neither text nor colour
    Plain,   // \plain: the colour of entry 0
    Colour,  // \cf
    Par,     // \par
    Tab,     // \tab
    Unicode, // \u
};

// A word's letters as one number, the first in the lowest byte.
constexpr std::uint64_t packed(std::string_view w) {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < w.size(); ++i)
        n |= std::uint64_t(static_cast<unsigned char>(w[i])) << (8 * i);
    return n;
}

// Every word of the body comes here.
Word wordOf(std::uint64_t name) {
    switch (name) {
    case packed("par"):
        return Word::Par;
    case packed("plain"):
        return Word::Plain;
    case packed("cf"):
        return Word::Colour;
    case packed("tab"):
        return Word::Tab;
    case packed("u"):
        return Word::Unicode;
    case packed("pard"):
    case packed("ql"):
    case packed("qc"):
    case packed("qr"):
    case packed("li"):
    case packed("f"):
    case packed("fs"):
    case packed("b"):
    case packed("i"):
    case packed("ul"):
    case packed("strike"):
    case packed("up"):
    case packed("dn"):
        return Word::Format;
    default:
        return Word::Other;
    }
}

class Scanner {
public:
    Scanner(std::string_view in, Colour wanted, QuickRtfText& out) : in_(in), wanted_(wanted), out_(out) {}

    bool run() {
        // Every character takes at least one byte of the file (a break two
        // characters of four bytes), so the text never outgrows the file's size.
        if (out_.capacity < in_.size()) {
            out_.units.reset(new char16_t[in_.size()]);
            out_.capacity = in_.size();
        }
        out_.length = 0;
        out_.runs.clear();
        if (in_.substr(0, RtfWriterHeader.size()) != RtfWriterHeader)
            return false;
        pos_ = RtfWriterHeader.size();
        if (!fontTable() || !take("}\n{\\colortbl ;") || !colourTable() || !take("}\n"))
            return false;
        setColourEntry(-1); // text before any \cf has the colour of entry 0
        return body();
    }

private:
    bool take(std::string_view s) {
        if (in_.substr(pos_, s.size()) != s)
            return false;
        pos_ += s.size();
        return true;
    }

    bool digits(std::int64_t& value) { return number(pos_, value); }

    // {\fN\fnil\fcharset0 NAME;} entries. The names do not matter to the text:
    // every font of the character set 0 reads its bytes in the document's code
    // page, and only fonts of the symbol character set are read as pictures.
    bool fontTable() {
        std::int64_t n = 0;
        while (pos_ < in_.size() && in_[pos_] == '{') {
            ++pos_;
            if (!take("\\f") || !digits(n) || !take("\\fnil\\fcharset0 "))
                return false;
            for (;;) {
                if (pos_ >= in_.size())
                    return false;
                const char c = in_[pos_++];
                if (c == ';')
                    break;
                if (c == '{' || c == '}')
                    return false;
                if (c == '\\' && !nameEscape())
                    return false;
            }
            if (!take("}"))
                return false;
        }
        return true;
    }

    // What our writer escapes in a font name: \\, \{, \}, \'hh and \uN with its
    // fallback character. Any control word there (a \fcharset, a \bin) could
    // change how the text is read, so it is left to the full reader.
    bool nameEscape() {
        if (pos_ >= in_.size())
            return false;
        const char c = in_[pos_];
        if (c == '\\' || c == '{' || c == '}') {
            ++pos_;
            return true;
        }
        if (c == '\'') {
            if (pos_ + 2 >= in_.size() || hexValue(in_[pos_ + 1]) < 0 || hexValue(in_[pos_ + 2]) < 0)
                return false;
            pos_ += 3;
            return true;
        }
        if (c != 'u')
            return false;
        ++pos_;
        if (pos_ < in_.size() && in_[pos_] == '-')
            ++pos_;
        std::int64_t v = 0;
        if (!digits(v))
            return false;
        // The fallback character is skipped by the full reader: it must be one
        // that neither ends the name nor starts anything.
        if (pos_ >= in_.size() || !plainBytes[static_cast<unsigned char>(in_[pos_])] || in_[pos_] == ';' ||
            in_[pos_] == ' ')
            return false;
        ++pos_;
        return true;
    }

    // Entry 0 (already taken) is the automatic colour; then \redN\greenN\blueN;.
    bool colourTable() {
        wantedEntry_.assign(1, isWanted(clWindowText));
        std::int64_t r = 0, g = 0, b = 0;
        while (pos_ < in_.size() && in_[pos_] == '\\') {
            if (!take("\\red") || !digits(r) || !take("\\green") || !digits(g) || !take("\\blue") ||
                !digits(b) || !take(";"))
                return false;
            const auto clamp = [](std::int64_t v) { return int(v > 255 ? 255 : v); };
            wantedEntry_.push_back(isWanted(rgbColour(clamp(r), clamp(g), clamp(b))));
        }
        return true;
    }

    bool isWanted(Colour c) const { return c == wanted_; }

    // The colour-table entry now in force (\cfN; \plain gives -1, which is entry
    // 0): only whether it is the wanted colour is kept.
    void setColourEntry(std::int64_t n) {
        const std::size_t entry = n < 0 ? 0 : std::size_t(n);
        wantedNow_ = entry < wantedEntry_.size() ? wantedEntry_[entry] != 0 : isWanted(clWindowText);
    }

    // One character into the text, in the colour now in force.
    void put(char16_t c) {
        const int at = int(out_.length);
        out_.units[out_.length++] = c;
        mark(at, at + 1);
    }

    void mark(int start, int end) {
        if (!wantedNow_) {
            runOpen_ = false;
            return;
        }
        if (!runOpen_)
            out_.runs.push_back(QuickRtfText::Run{start, end});
        runOpen_ = true;
        out_.runs.back().end = end;
    }

    // Surrogate halves are paired as the full reader pairs them: a half without
    // its partner becomes U+FFFD where the next character (or break) comes.
    void flushHigh() {
        if (pendingHigh_) {
            pendingHigh_ = 0;
            put(Replacement);
        }
    }

    void emit(char16_t c) {
        if (c == 0)
            c = Replacement;
        if (c >= 0xD800 && c <= 0xDBFF) {
            flushHigh();
            pendingHigh_ = c;
            return;
        }
        if (c >= 0xDC00 && c <= 0xDFFF) {
            if (pendingHigh_) {
                const char16_t high = pendingHigh_;
                pendingHigh_ = 0;
                put(high);
                put(c);
            } else {
                put(Replacement);
            }
            return;
        }
        flushHigh();
        put(c);
    }

    bool body() {
        const std::size_t size = in_.size();
        while (pos_ < size) {
            const auto byte = static_cast<unsigned char>(in_[pos_]);
            if (plainBytes[byte]) {
                // A stretch of plain text goes in whole, its end found sixteen
                // bytes at a time.
                flushHigh();
                const std::size_t start = pos_;
                pos_ = plainEnd(pos_);
                const std::size_t n = pos_ - start;
                // Whole blocks of eight where the file and the text have room for
                // them: what goes past the stretch is written over or cut off.
                const std::size_t blocks = (n + lanes::Width - 1) / lanes::Width * lanes::Width;
                const bool room = start + blocks <= size && out_.length + blocks <= out_.capacity;
                lanes::widen(in_.data() + start, room ? blocks : n, out_.units.get() + out_.length);
                const int at = int(out_.length);
                out_.length += n;
                mark(at, int(out_.length));
                continue;
            }
            switch (byte) {
            case '\r':
            case '\n':
                ++pos_;
                break;
            case '}':
                flushHigh();
                return true; // the document's own group closed; nothing after it is read
            case '\\':
                if (!control())
                    return false;
                break;
            default: // groups, raw controls and raw 8-bit bytes: for the full reader
                return false;
            }
        }
        return false; // cut off before its end
    }

    // The end of the plain bytes that start at `from`.
    std::size_t plainEnd(std::size_t from) const {
        const std::size_t size = in_.size();
        const char* p = in_.data();
        using lanes::Bytes;
        for (; from + lanes::ByteWidth <= size; from += lanes::ByteWidth) {
            const Bytes v = lanes::loadBytes(p + from);
            const lanes::ByteMask other = (v < Bytes{} + 0x20) | (v > Bytes{} + 0x7E) |
                                          (v == Bytes{} + '\\') | (v == Bytes{} + '{') |
                                          (v == Bytes{} + '}');
            if (lanes::any(other))
                return from + lanes::firstSet(other);
        }
        while (from < size && plainBytes[static_cast<unsigned char>(p[from])])
            ++from;
        return from;
    }

    // A decimal number of at most ten digits at `at`, not followed by another digit.
    bool number(std::size_t& at, std::int64_t& value) const {
        const char* p = in_.data();
        const std::size_t start = at;
        value = 0;
        while (at < in_.size() && isDigit(p[at]) && at - start < 10)
            value = value * 10 + (p[at++] - '0');
        return at > start && (at >= in_.size() || !isDigit(p[at]));
    }

    // A control word's letters from `at` (packed into one number, the first in
    // the lowest byte), its parameter and its delimiting space, as the tokenizer
    // reads them; false for a word longer than any of our writer's, or a parameter
    // of more than ten digits.
    bool readWord(std::size_t& at, std::uint64_t& name, bool& hasParam, std::int64_t& param) const {
        const char* p = in_.data();
        const std::size_t size = in_.size();
        name = 0;
        std::size_t letters = 0;
        for (; at < size && isLetter(p[at]); ++at, ++letters)
            if (letters < 8)
                name |= std::uint64_t(static_cast<unsigned char>(p[at])) << (8 * letters);
        if (letters > 6)
            return false;
        bool negative = false;
        hasParam = false;
        param = 0;
        if (at + 1 < size && p[at] == '-' && isDigit(p[at + 1])) {
            negative = true;
            ++at;
        }
        if (at < size && isDigit(p[at])) {
            if (!number(at, param))
                return false;
            hasParam = true;
            if (negative)
                param = -param;
        }
        if (at < size && p[at] == ' ')
            ++at;
        return true;
    }

    // Our writer follows every \plain with \fN\fsN\cfN: read the three at once.
    // Anything else after \plain is left where it is, for the word-by-word path.
    void formatAfterPlain() {
        const char* p = in_.data();
        const std::size_t size = in_.size();
        std::size_t at = pos_;
        std::int64_t font = 0, points = 0, colour = 0;
        const auto word = [&](std::string_view w) {
            if (size - at < w.size() + 1 || !isDigit(p[at + w.size()]))
                return false;
            for (std::size_t k = 0; k < w.size(); ++k)
                if (p[at + k] != w[k])
                    return false;
            at += w.size();
            return true;
        };
        if (!word("\\f") || !number(at, font) || !word("\\fs") || !number(at, points) || !word("\\cf") ||
            !number(at, colour))
            return;
        if (at < size && p[at] == ' ')
            ++at;
        setColourEntry(colour);
        pos_ = at;
    }

    bool control() {
        const std::size_t size = in_.size();
        ++pos_;
        if (pos_ >= size)
            return false;
        const char first = in_[pos_];
        if (first == '\\' || first == '{' || first == '}') {
            ++pos_;
            emit(char16_t(first));
            return true;
        }
        if (first == '\'') {
            const int high = pos_ + 1 < size ? hexValue(in_[pos_ + 1]) : -1;
            const int low = pos_ + 2 < size ? hexValue(in_[pos_ + 2]) : -1;
            if (high < 0 || low < 0)
                return false;
            pos_ += 3;
            const auto b = static_cast<unsigned char>(high * 16 + low);
            if (b < 0x80) // our writer never spells ASCII this way; a control would be a break
                return false;
            emit(highByte1252(b));
            return true;
        }
        if (!isLetter(first))
            return false;
        // \plain straight before the next word, as our writer starts every run.
        const char* at = in_.data() + pos_;
        if (first == 'p' && size - pos_ > 5 && at[1] == 'l' && at[2] == 'a' && at[3] == 'i' && at[4] == 'n' &&
            at[5] == '\\') {
            pos_ += 5;
            setColourEntry(-1);
            formatAfterPlain();
            return true;
        }
        std::uint64_t name = 0;
        bool hasParam = false;
        std::int64_t param = 0;
        if (!readWord(pos_, name, hasParam, param))
            return false;
        switch (wordOf(name)) {
        case Word::Par:
            flushHigh();
            out_.units[out_.length++] = u'\r';
            out_.units[out_.length++] = u'\n';
            runOpen_ = false;
            return true;
        case Word::Plain:
            setColourEntry(-1);
            formatAfterPlain();
            return true;
        case Word::Colour:
            if (!hasParam)
                return false;
            setColourEntry(param);
            return true;
        case Word::Tab:
            emit(u'\t');
            return true;
        case Word::Unicode: {
            if (!hasParam)
                return false;
            std::int64_t v = param < 0 ? param + 65536 : param;
            const char16_t c = (v >= 0 && v <= 0xFFFF) ? char16_t(v) : Replacement;
            if (c == u'\r' || c == u'\n')
                return false;
            // Its one fallback character is skipped.
            if (pos_ >= size || !plainBytes[static_cast<unsigned char>(in_[pos_])])
                return false;
            ++pos_;
            emit(c);
            return true;
        }
        case Word::Format:
            return true;
        case Word::Other:
            return false;
        }
        return false;
    }

    std::string_view in_;
    Colour wanted_;
    QuickRtfText& out_;
    std::size_t pos_ = 0;
    std::vector<char> wantedEntry_; // per colour-table entry: is it the wanted colour
    bool wantedNow_ = false; // the text now in force is in the wanted colour
    bool runOpen_ = false;
    char16_t pendingHigh_ = 0;
};

} // namespace

bool readQuickRtfText(std::string_view bytes, Colour wanted, QuickRtfText& out) {
    return Scanner(bytes, wanted, out).run();
}

} // namespace tallix
