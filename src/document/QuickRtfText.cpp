#include "document/QuickRtfText.h"

#include "document/RtfTokenizer.h"
#include "platform/CodePages.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace tallix {

namespace {

constexpr std::string_view Header = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
constexpr char16_t Replacement = 0xFFFD;

// Bytes of body text that stand for themselves: printable ASCII but the three
// that RTF gives a meaning.
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> t{};
    for (int c = 0x20; c <= 0x7E; ++c)
        t[std::size_t(c)] = c != '\\' && c != '{' && c != '}';
    return t;
}();

using rtf::hexValue;
using rtf::isDigit;
using rtf::isLetter;

class Scanner {
public:
    Scanner(std::string_view in, Colour wanted, QuickRtfText& out) : in_(in), wanted_(wanted), out_(out) {}

    bool run() {
        out_.text.clear();
        out_.runs.clear();
        if (in_.substr(0, Header.size()) != Header)
            return false;
        pos_ = Header.size();
        if (!fontTable() || !take("}\n{\\colortbl ;") || !colourTable() || !take("}\n"))
            return false;
        out_.text.reserve(in_.size() - pos_);
        return body();
    }

private:
    bool take(std::string_view s) {
        if (in_.substr(pos_, s.size()) != s)
            return false;
        pos_ += s.size();
        return true;
    }

    bool digits(std::int64_t& value) {
        const std::size_t start = pos_;
        value = 0;
        while (pos_ < in_.size() && isDigit(in_[pos_]) && pos_ - start < 10)
            value = value * 10 + (in_[pos_++] - '0');
        return pos_ > start && (pos_ >= in_.size() || !isDigit(in_[pos_]));
    }

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

    bool currentWanted() const {
        const std::size_t entry = colourIndex_ < 0 ? 0 : std::size_t(colourIndex_);
        return entry < wantedEntry_.size() ? wantedEntry_[entry] : isWanted(clWindowText);
    }

    // One character into the text, in the colour now in force.
    void put(char16_t c) {
        const int at = int(out_.text.size());
        out_.text.push_back(c);
        mark(at, at + 1);
    }

    void mark(int start, int end) {
        if (!currentWanted()) {
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
                // A stretch of plain text goes in whole.
                flushHigh();
                const std::size_t start = pos_;
                while (pos_ < size && plainBytes[static_cast<unsigned char>(in_[pos_])])
                    ++pos_;
                const int at = int(out_.text.size());
                out_.text.resize(out_.text.size() + (pos_ - start));
                char16_t* to = out_.text.data() + at;
                for (std::size_t k = start; k < pos_; ++k)
                    *to++ = static_cast<unsigned char>(in_[k]);
                mark(at, int(out_.text.size()));
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
            emit(codepages::decodeByte(b, 1252));
            return true;
        }
        if (!isLetter(first))
            return false;
        const std::size_t start = pos_;
        while (pos_ < size && isLetter(in_[pos_]))
            ++pos_;
        const std::string_view name = in_.substr(start, pos_ - start);
        bool hasParam = false;
        bool negative = false;
        std::int64_t param = 0;
        if (pos_ + 1 < size && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        if (pos_ < size && isDigit(in_[pos_])) {
            if (!digits(param))
                return false;
            hasParam = true;
            if (negative)
                param = -param;
        }
        if (pos_ < size && in_[pos_] == ' ')
            ++pos_;
        if (name.size() > 6)
            return false;
        switch (name[0]) {
        case 'p':
            if (name == "par") {
                flushHigh();
                out_.text.append(u"\r\n");
                runOpen_ = false;
                return true;
            }
            if (name == "plain") {
                colourIndex_ = -1;
                return true;
            }
            return name == "pard";
        case 'c':
            if (name != "cf" || !hasParam)
                return false;
            colourIndex_ = param < 0 ? -1 : int(std::min<std::int64_t>(param, INT32_MAX));
            return true;
        case 't':
            if (name != "tab")
                return false;
            emit(u'\t');
            return true;
        case 'u': {
            if (name == "ul" || name == "up")
                return true;
            if (name != "u" || !hasParam)
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
        // Paragraph and character formats that change neither text nor colour.
        case 'q':
            return name == "ql" || name == "qc" || name == "qr";
        case 'l':
            return name == "li";
        case 'f':
            return name == "f" || name == "fs";
        case 'b':
        case 'i':
            return name.size() == 1;
        case 's':
            return name == "strike";
        case 'd':
            return name == "dn";
        default:
            return false;
        }
    }

    std::string_view in_;
    Colour wanted_;
    QuickRtfText& out_;
    std::size_t pos_ = 0;
    std::vector<bool> wantedEntry_;
    int colourIndex_ = -1;
    bool runOpen_ = false;
    char16_t pendingHigh_ = 0;
};

} // namespace

bool readQuickRtfText(std::string_view bytes, Colour wanted, QuickRtfText& out) {
    return Scanner(bytes, wanted, out).run();
}

} // namespace tallix
