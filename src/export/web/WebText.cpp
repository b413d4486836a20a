#include "export/web/WebText.h"

#include "platform/CodePages.h"
#include "document/Scanning.h"

#include <string>

namespace tallix::web {

namespace {

constexpr int ProgressEvery = 4096;

// Labels and comment markers are replaced by links later, by their text: they are
// never escaped.
bool isLabelOrMarker(Colour c) {
    return c == markup::ErrorLabelColour || c == markup::PraiseLabelColour ||
           c == markup::CommentMarkerColour;
}

const char16_t* alignmentTag(Alignment a) {
    switch (a) {
    case Alignment::Center:
        return u"<P ALIGN=CENTER>";
    case Alignment::Right:
        return u"<P ALIGN=RIGHT>";
    case Alignment::Left:
        break;
    }
    return u"<P ALIGN=LEFT>";
}

// The indent is read in whole points: less than one point is none.
bool isIndented(const ParaFormat& p) { return p.startIndentTwips / 20 > 0; }

// Walks the runs of a content in step with a character index.
class RunCursor {
public:
    explicit RunCursor(const RichContent& c) : c_(c) {}
    const CharFormat& formatOf(std::size_t i) {
        while (run_ < c_.runs.size() && i >= end_ + std::size_t(c_.runs[run_].length)) {
            end_ += std::size_t(c_.runs[run_].length);
            ++run_;
        }
        return run_ < c_.runs.size() ? c_.runs[run_].format : fallback_;
    }

private:
    const RichContent& c_;
    std::size_t run_ = 0;
    std::size_t end_ = 0; // first index of run_
    CharFormat fallback_;
};

} // namespace

void appendEscaped(std::u16string& out, char16_t c) {
    switch (c) {
    case u'<':
        out += u"&lt;";
        break;
    case u'>':
        out += u"&gt;";
        break;
    case u'&':
        out += u"&amp;";
        break;
    default:
        out.push_back(c);
    }
}

std::u16string escapeHtml(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        appendEscaped(out, c);
    return out;
}

void htmlParaFormat(const RichTextBuffer& essay, RichTextBuffer& scratch,
                    const Progress& progress) {
    scratch.assign(essay.content());
    scan::removeBookmarks(scratch);
    const RichContent src = scratch.content();
    const std::u16string& t = src.text;
    const std::size_t n = t.size();

    CharFormat black;
    black.colour = clBlack;
    RichContent out;
    out.text.reserve(n + n / 8 + 64);
    RunCursor formats(src);
    std::u16string escaped;

    auto emitChar = [&](std::size_t i) {
        const CharFormat& f = formats.formatOf(i);
        if (isLabelOrMarker(f.colour) || (t[i] != u'<' && t[i] != u'>' && t[i] != u'&')) {
            out.appendText(std::u16string_view(&t[i], 1), f);
            return;
        }
        escaped.clear();
        appendEscaped(escaped, t[i]);
        out.appendText(escaped, f);
    };

    std::size_t start = 0;   // first character of the current paragraph
    std::size_t line = 0;    // its paragraph number
    bool opened = false;     // its opening tag was taken by a join with the one before
    std::size_t nextReport = ProgressEvery;
    while (true) {
        const ParaFormat& para = src.paragraphs[std::min(line, src.paragraphs.size() - 1)];
        const bool indented = isIndented(para);
        if (!opened) {
            if (line == 0) {
                out.appendText(alignmentTag(para.alignment), black);
                if (indented)
                    out.appendText(u"<BLOCKQUOTE>", black);
            } else {
                out.appendText(indented ? u"<BLOCKQUOTE>" : alignmentTag(para.alignment), black);
            }
        }
        opened = false;

        std::size_t end = t.find(u"\r\n", start);
        if (end == std::u16string::npos)
            end = n;
        std::size_t i = start;
        if (!indented && start < end) {
            const bool tab = t[start] == u'\t';
            const bool blanks = end - start >= 5 && t.compare(start, 5, u"     ") == 0;
            if (tab || blanks) {
                emitChar(i++);
                out.appendText(IndentFiller, black);
            }
        }
        for (; i < end; ++i) {
            emitChar(i);
            if (i >= nextReport) {
                reportDone(progress, double(i) / double(n));
                nextReport = i + ProgressEvery;
            }
        }
        if (end == n) {
            // The sections that follow the essay must not be drawn indented.
            if (indented)
                out.appendText(u"</BLOCKQUOTE>", black);
            break;
        }

        const std::size_t next = line + 1;
        const bool nextIndented =
            next < src.paragraphs.size() && isIndented(src.paragraphs[next]);
        if (indented && nextIndented) {
            // One block quotation for both: the break between them becomes "<BR>".
            out.appendText(u"<BR>", black);
            opened = true;
        } else {
            out.appendText(indented ? u"</BLOCKQUOTE>" : u"</P>", black);
            out.appendParagraphBreak(formats.formatOf(end),
                                     next < src.paragraphs.size() ? src.paragraphs[next]
                                                                  : ParaFormat{});
        }
        start = end + 2;
        line = next;
    }
    scratch.assign(std::move(out));
    reportDone(progress, 1.0);
}

std::u16string htmlReturns(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r')
            out += u"<BR>";
        if (c == u'\t')
            out += IndentFiller;
        if (c == u' ' && text.size() - i >= 5 && text.compare(i, 5, u"     ") == 0)
            out += IndentFiller;
        out.push_back(c);
    }
    return out;
}

std::string encodePage(std::u16string_view page) {
    std::string out;
    out.reserve(page.size() + 16);
    for (std::size_t i = 0; i < page.size(); ++i) {
        const char16_t c = page[i];
        if (c < 0x80) {
            out.push_back(char(c));
            continue;
        }
        if (std::optional<unsigned char> b = codepages::encode1252(c)) {
            out.push_back(char(*b));
            continue;
        }
        std::uint32_t code = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < page.size() && page[i + 1] >= 0xDC00 &&
            page[i + 1] <= 0xDFFF) {
            code = 0x10000u + ((std::uint32_t(c) - 0xD800u) << 10) + (page[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            code = 0xFFFD; // half of a pair: the replacement character
        }
        out += "&#" + std::to_string(code) + ";";
    }
    return out;
}

} // namespace tallix::web
