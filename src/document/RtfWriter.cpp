#include "document/RtfWriter.h"

#include "platform/CodePages.h"
#include "platform/Lanes.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tallix {
namespace {

// Appends RTF source to one string and remembers whether the last thing written
// was a control word, so that literal text that follows gets the delimiting space
// a reader needs to tell "\b old" from "\bold".
class RtfOut {
public:
    explicit RtfOut(std::string& out) : out_(out) {}

    void raw(std::string_view s) {
        out_.append(s);
        delimit_ = false;
    }
    void rawChar(char c) {
        out_.push_back(c);
        delimit_ = false;
    }

    // A control word without a parameter, e.g. word("par") -> "\par".
    void word(std::string_view name) {
        out_.push_back('\\');
        out_.append(name);
        delimit_ = true;
    }
    // A control word with a (possibly negative) numeric parameter.
    void word(std::string_view name, long long value) {
        out_.push_back('\\');
        out_.append(name);
        appendNumber(value);
        delimit_ = true;
    }

    // One literal character of text (already known to need no escaping).
    void literal(char c) {
        if (delimit_) {
            out_.push_back(' ');
            delimit_ = false;
        }
        out_.push_back(c);
    }

    // Characters that all stand for themselves (standsForItself), as literal
    // does them one by one.
    void literals(std::u16string_view s) {
        if (s.empty())
            return;
        if (delimit_) {
            out_.push_back(' ');
            delimit_ = false;
        }
        const std::size_t at = out_.size();
        out_.resize(at + s.size());
        lanes::narrow(s.data(), s.size(), out_.data() + at);
    }
    // \'hh: fixed length, so nothing after it can merge into it.
    void hexByte(unsigned char b) {
        static constexpr char digits[] = "0123456789abcdef";
        out_.push_back('\\');
        out_.push_back('\'');
        out_.push_back(digits[b >> 4]);
        out_.push_back(digits[b & 0xF]);
        delimit_ = false;
    }

    // \uN? with N the code unit as a signed 16-bit value, and '?' as the one
    // fallback character (\uc1) for readers without Unicode. The '?' ends the word.
    void unicode(char16_t c) {
        out_.push_back('\\');
        out_.push_back('u');
        appendNumber(static_cast<std::int16_t>(c));
        out_.push_back('?');
        delimit_ = false;
    }

    void newline() {
        out_.push_back('\n');
        delimit_ = false;
    }

private:
    void appendNumber(long long value) {
        char buf[24];
        char* end = buf + sizeof buf;
        char* p = end;
        const bool negative = value < 0;
        unsigned long long v = negative ? 0ull - static_cast<unsigned long long>(value)
                                        : static_cast<unsigned long long>(value);
        do {
            *--p = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        if (negative)
            *--p = '-';
        out_.append(p, end);
    }

    std::string& out_;
    bool delimit_ = false;
};

// The Windows-1252 byte of a character at or above 0x100, or 0. Only bytes
// 0x80..0x9F hold such characters; they are looked up once through encode1252 and
// kept in a direct table, because a long essay in another script asks for every
// character.
unsigned char byte1252Above0xFF(char16_t c) {
    static const auto table = [] {
        auto t = std::make_unique<std::array<unsigned char, 0x10000>>();
        t->fill(0);
        for (int b = 0x80; b <= 0x9F; ++b) {
            const char16_t ch = codepages::decodeByte(static_cast<unsigned char>(b), 1252);
            if (ch >= 0x100)
                if (auto e = codepages::encode1252(ch))
                    (*t)[ch] = *e;
        }
        return t;
    }();
    return (*table)[c];
}

// Where a character has a Windows-1252 byte it is written as \'hh. Bytes that
// code page leaves undefined (read as the C1 control of the same value) are not
// used, since other readers map them differently: C1 controls go as \uN?.
void writeNonAscii(RtfOut& out, char16_t c) {
    if (c >= 0xA0 && c <= 0xFF) {
        if (auto b = codepages::encode1252(c)) {
            out.hexByte(*b);
            return;
        }
    } else if (c >= 0x100) {
        if (const unsigned char b = byte1252Above0xFF(c)) {
            out.hexByte(b);
            return;
        }
    }
    out.unicode(c);
}

// Printable ASCII other than the three characters RTF escapes: written as itself.
constexpr bool standsForItself(char16_t c) {
    return c >= 0x20 && c <= 0x7E && c != u'\\' && c != u'{' && c != u'}';
}

// A character of body text other than a line break.
void writeTextChar(RtfOut& out, char16_t c) {
    if (c == u'\\' || c == u'{' || c == u'}') {
        out.rawChar('\\');
        out.rawChar(static_cast<char>(c));
    } else if (c == u'\t') {
        out.word("tab");
    } else if (standsForItself(c)) {
        out.literal(static_cast<char>(c));
    } else if (c < 0x80) {
        out.unicode(c); // other controls, and DEL
    } else {
        writeNonAscii(out, c);
    }
}

// A font name in the font table: escaped like text, and ';' escaped too because
// it ends the entry. Tabs and other controls are written as \uN? there.
void writeFontName(RtfOut& out, std::u16string_view name) {
    for (char16_t c : name) {
        if (c == u';')
            out.hexByte(0x3B);
        else if (c == u'\t')
            out.unicode(c);
        else
            writeTextChar(out, c);
    }
}

// Half-points of a vertical offset in twips, rounded to the nearest half-point
// (halves away from zero): 60 twips -> 6, -15 -> -2.
long long offsetHalfPoints(int twips) {
    const long long t = twips;
    return t >= 0 ? (t + 5) / 10 : -((-t + 5) / 10);
}

// The formats actually used: the runs clipped to the text (a run list that is
// shorter than the text is padded with the default format), and the distinct
// fonts and explicit colours in order of first use.
struct Tables {
    struct Span {
        std::size_t start = 0;
        std::size_t end = 0;
        const CharFormat* format = nullptr;
        int font = 0;
        int colour = 0; // 0 = automatic
    };
    std::vector<Span> spans;
    std::vector<std::u16string_view> fonts;
    std::vector<Colour> colours; // colour-table entries 1..n
};

Tables buildTables(const RichContent& content, const CharFormat& fallback) {
    Tables t;
    std::unordered_map<std::u16string_view, int> fontIndex;
    std::unordered_map<Colour, int> colourIndex;
    auto addSpan = [&](std::size_t start, std::size_t end, const CharFormat& f) {
        Tables::Span s{start, end, &f, 0, 0};
        auto [fit, fnew] = fontIndex.try_emplace(f.fontName, int(t.fonts.size()));
        if (fnew)
            t.fonts.push_back(f.fontName);
        s.font = fit->second;
        if (!isAutomaticColour(f.colour)) {
            auto [cit, cnew] = colourIndex.try_emplace(f.colour, int(t.colours.size()) + 1);
            if (cnew)
                t.colours.push_back(f.colour);
            s.colour = cit->second;
        }
        t.spans.push_back(s);
    };

    const std::size_t n = content.text.size();
    std::size_t pos = 0;
    t.spans.reserve(content.runs.size() + 1);
    for (const FormatRun& run : content.runs) {
        if (pos >= n)
            break;
        if (run.length <= 0)
            continue;
        const std::size_t end = std::min(n, pos + static_cast<std::size_t>(run.length));
        addSpan(pos, end, run.format);
        pos = end;
    }
    if (pos < n)
        addSpan(pos, n, fallback);
    if (t.fonts.empty())
        t.fonts.push_back(fallback.fontName);
    return t;
}

void writeParagraphStart(RtfOut& out, const ParaFormat& p) {
    out.word("pard");
    switch (p.alignment) {
    case Alignment::Center:
        out.word("qc");
        break;
    case Alignment::Right:
        out.word("qr");
        break;
    case Alignment::Left:
    default:
        out.word("ql");
        break;
    }
    out.word("li", p.startIndentTwips);
}

void writeCharFormat(RtfOut& out, const Tables::Span& s) {
    const CharFormat& f = *s.format;
    out.word("plain");
    out.word("f", s.font);
    out.word("fs", f.sizeHalfPoints);
    out.word("cf", s.colour);
    if (f.style & fsBold)
        out.word("b");
    if (f.style & fsItalic)
        out.word("i");
    if (f.style & fsUnderline)
        out.word("ul");
    if (f.style & fsStrikeOut)
        out.word("strike");
    const long long raise = offsetHalfPoints(f.offsetTwips);
    if (raise > 0)
        out.word("up", raise);
    else if (raise < 0)
        out.word("dn", -raise);
}

} // namespace

std::string writeRtf(const RichContent& content) {
    static const CharFormat defaultFormat{};
    static const ParaFormat defaultParagraph{};
    const std::u16string& text = content.text;
    const Tables tables = buildTables(content, defaultFormat);

    std::string result;
    // Mostly ASCII text plus a control group per run and per paragraph.
    result.reserve(text.size() + text.size() / 8 + tables.spans.size() * 40 +
                   content.paragraphs.size() * 24 + tables.fonts.size() * 40 +
                   tables.colours.size() * 32 + 128);
    RtfOut out(result);

    out.raw(RtfWriterHeader);
    for (std::size_t i = 0; i < tables.fonts.size(); ++i) {
        out.raw("{");
        out.word("f", static_cast<long long>(i));
        out.word("fnil");
        out.word("fcharset", 0);
        out.raw(" ");
        writeFontName(out, tables.fonts[i]);
        out.raw(";}");
    }
    out.raw("}\n{\\colortbl ;");
    for (Colour c : tables.colours) {
        out.word("red", redOf(c));
        out.word("green", greenOf(c));
        out.word("blue", blueOf(c));
        out.rawChar(';');
    }
    out.raw("}\n");

    // A paragraph list that is shorter than the text's paragraphs (content that
    // broke its own rule) falls back to the default format rather than reading
    // past the end.
    std::size_t paragraph = 0;
    auto paraFormat = [&](std::size_t i) -> const ParaFormat& {
        return i < content.paragraphs.size() ? content.paragraphs[i] : defaultParagraph;
    };
    writeParagraphStart(out, paraFormat(paragraph));

    // i runs over the whole text; a CR LF pair split across two runs is one
    // break, written with the CR's format, and the LF's run is entered after it.
    std::size_t i = 0;
    for (const Tables::Span& span : tables.spans) {
        if (i >= span.end)
            continue;
        writeCharFormat(out, span);
        for (; i < span.end; ++i) {
            const char16_t c = text[i];
            if (c == u'\r' || c == u'\n') {
                // A stray lone CR or LF is taken as a break too, so that no raw
                // control character reaches the file and the paragraphs line up
                // with what a reader will see.
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                    ++i;
                out.word("par");
                out.newline();
                writeParagraphStart(out, paraFormat(++paragraph));
                continue;
            }
            if (standsForItself(c)) {
                // A stretch of such characters goes out at once.
                std::size_t end = i + 1;
                // Eight at a time while they last.
                const lanes::Units low = lanes::splat(0x20), high = lanes::splat(0x7E);
                while (end + lanes::Width <= span.end) {
                    const lanes::Units v = lanes::load(text.data() + end);
                    const lanes::Mask other = (v < low) | (v > high) | (v == lanes::splat(u'\\')) |
                                              (v == lanes::splat(u'{')) | (v == lanes::splat(u'}'));
                    if (lanes::any(other)) {
                        end += lanes::firstSet(other);
                        break;
                    }
                    end += lanes::Width;
                }
                while (end < span.end && standsForItself(text[end]))
                    ++end;
                out.literals(std::u16string_view(text).substr(i, end - i));
                i = end - 1;
                continue;
            }
            writeTextChar(out, c);
        }
    }
    out.rawChar('}');
    return result;
}

} // namespace tallix
