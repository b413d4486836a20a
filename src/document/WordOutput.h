#pragma once
// What the Word and OpenDocument readers share: writing paragraphs, table cells and
// breaks into rich content, and the numbers and bullets of list items.
#include "document/RichContent.h"
#include "platform/Lanes.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tallix::wordfile {

// Writes the text of one flow (the document, or one note) into rich content.
// Paragraph and cell ends are kept pending and written when the next paragraph
// begins, so that the flow's last paragraph ends without a break and the last cell
// of a row without a TAB.
class FlowWriter {
public:
    explicit FlowWriter(RichContent& out) : out_(&out) {}

    RichContent& content() { return *out_; }

    // A paragraph of the source begins: what is pending is written, and the
    // paragraph format applies when the paragraph starts a line of its own.
    void beginParagraph(const ParaFormat& para) {
        flushPending();
        if (lineFresh_)
            out_->paragraphs.back() = para;
        lineFresh_ = false;
        para_ = para;
    }
    // The paragraph ends with a break, written when something follows.
    void endParagraph(const CharFormat& mark) { setPending(Pending::Break, mark); }
    // A table cell ends: the next cell follows after a TAB, unless the row ends.
    void endCell(const CharFormat& mark) { setPending(Pending::Tab, mark); }
    void endRow(const CharFormat& mark) { setPending(Pending::Break, mark); }

    void text(std::u16string_view s, const CharFormat& f) {
        if (s.empty())
            return;
        flushPending();
        out_->appendText(s, f);
        lineEmpty_ = false;
    }
    // A break inside a paragraph: the buffer has no soft line break, so it ends
    // the line as a paragraph does, and the next line keeps the paragraph's format.
    void lineBreak(const CharFormat& f) {
        flushPending();
        out_->appendParagraphBreak(f, para_);
        lineEmpty_ = true;
    }
    // A page break ends the line, except where a line has just begun.
    void pageBreak(const CharFormat& f) {
        if (!lineEmpty_)
            lineBreak(f);
    }

    // The paragraphs of another flow (a text box read on its own) as paragraphs
    // of this one, each with its formats.
    void appendParagraphs(const RichContent& c) {
        if (c.text.empty())
            return;
        std::size_t at = 0, run = 0, runLeft = c.runs.empty() ? 0 : std::size_t(c.runs[0].length);
        CharFormat lastFormat = c.runs.empty() ? CharFormat{} : c.runs[0].format;
        // The text from `at` to `end` in its runs' formats (or passed over).
        auto write = [&](std::size_t end, bool show) {
            while (at < end && run < c.runs.size()) {
                const std::size_t n = std::min(runLeft, end - at);
                lastFormat = c.runs[run].format;
                if (show)
                    text(std::u16string_view(c.text).substr(at, n), lastFormat);
                at += n;
                runLeft -= n;
                if (runLeft == 0 && ++run < c.runs.size())
                    runLeft = std::size_t(c.runs[run].length);
            }
        };
        for (std::size_t para = 0; para < c.paragraphs.size(); ++para) {
            const std::size_t br = c.text.find(u"\r\n", at);
            const std::size_t end = br == std::u16string::npos ? c.text.size() : br;
            if (para + 1 == c.paragraphs.size() && at == end && para > 0)
                break; // the box's flow ends with a break: no empty paragraph after it
            beginParagraph(c.paragraphs[para]);
            write(end, true);
            if (br == std::u16string::npos) {
                endParagraph(lastFormat);
                break;
            }
            write(end + 2, false); // the break, in the format of its run
            endParagraph(lastFormat);
        }
    }

private:
    enum class Pending { None, Break, Tab };

    void setPending(Pending p, const CharFormat& f) {
        pending_ = p;
        pendingFormat_ = f;
    }
    void flushPending() {
        switch (pending_) {
        case Pending::Break:
            out_->appendParagraphBreak(pendingFormat_, ParaFormat{});
            lineFresh_ = true;
            lineEmpty_ = true;
            break;
        case Pending::Tab:
            out_->appendText(u"\t", pendingFormat_);
            lineEmpty_ = false;
            break;
        case Pending::None:
            break;
        }
        pending_ = Pending::None;
    }

    RichContent* out_;
    Pending pending_ = Pending::None;
    CharFormat pendingFormat_;
    ParaFormat para_;
    bool lineFresh_ = true; // the current line was begun by a paragraph break
    bool lineEmpty_ = true; // nothing written on the current line yet
};

// The number of a list item in one of the usual formats.
enum class NumberFormat { Decimal, DecimalZero, LowerLetter, UpperLetter, LowerRoman, UpperRoman, None };

inline std::u16string formatNumber(int n, NumberFormat f) {
    auto ascii = [](const std::string& s) { return std::u16string(s.begin(), s.end()); };
    switch (f) {
    case NumberFormat::None:
        return {};
    case NumberFormat::DecimalZero:
        return ascii((n >= 0 && n < 10 ? "0" : "") + std::to_string(n));
    case NumberFormat::LowerLetter:
    case NumberFormat::UpperLetter: {
        if (n < 1)
            return ascii(std::to_string(n));
        // a..z, then aa..zz, and so on, as word processors count letters
        const char base = f == NumberFormat::LowerLetter ? 'a' : 'A';
        const int times = (n - 1) / 26 + 1;
        return ascii(std::string(std::size_t(std::min(times, 100)), char(base + (n - 1) % 26)));
    }
    case NumberFormat::LowerRoman:
    case NumberFormat::UpperRoman: {
        if (n < 1 || n > 3999)
            return ascii(std::to_string(n));
        static const int values[] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
        static const char* upper[] = {"M", "CM", "D", "CD", "C", "XC", "L", "XL", "X", "IX", "V", "IV", "I"};
        std::string s;
        for (int i = 0; i < 13; ++i)
            while (n >= values[i]) {
                s += upper[i];
                n -= values[i];
            }
        if (f == NumberFormat::LowerRoman)
            for (char& c : s)
                c = char(c - 'A' + 'a');
        return ascii(s);
    }
    case NumberFormat::Decimal:
        break;
    }
    return ascii(std::to_string(n));
}

// Bullets drawn from symbol fonts sit in the private-use area; the reader sees
// the usual characters.
inline char16_t visibleBullet(char16_t c) {
    if (c >= 0xF000 && c <= 0xF0FF) {
        switch (c - 0xF000) {
        case 0xA7: return 0x25AA; // small square
        case 0xD8: return 0x27A2; // arrowhead
        case 0xFC: return 0x2713; // check mark
        default: return 0x2022;
        }
    }
    return c;
}

// Lengths in the units of the formats to twips.
inline int clampTwips(double twips) {
    return int(std::clamp(twips, -31680.0, 31680.0));
}

// UTF-8 text of a source, appended to to with its line breaks and control
// characters made harmless (the content never holds a lone CR or LF): breaks
// become spaces, other controls but TAB go. Text without control characters (all
// of it, nearly always) is decoded and left as it is.
inline void appendCleanUtf8(std::u16string& to, std::string_view utf8) {
    const std::size_t from = to.size();
    text::appendFromUtf8(to, utf8);
    const std::size_t n = to.size();
    const std::size_t first = lanes::findBelowSpace(to.data(), from, n);
    if (first == n)
        return;
    std::size_t w = first;
    for (std::size_t r = first; r < n; ++r) {
        const char16_t c = to[r];
        if (c == u'\r' || c == u'\n')
            to[w++] = u' ';
        else if (c == u'\t' || c >= 0x20)
            to[w++] = c;
    }
    to.resize(w);
}

} // namespace tallix::wordfile
