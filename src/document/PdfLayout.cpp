#include "document/PdfLayout.h"

#include "document/WordOutput.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

namespace tallix::pdf {

namespace {

// Far beyond any page, and small enough that sums and differences stay exact.
constexpr double MaxCoordinate = 1e6;
// How many of the latest marks a note's label is matched against.
constexpr std::size_t MarksSearched = 256;

// A box as the layout uses it: clean text, sane geometry, its style.
struct Piece {
    std::u16string text;
    double left = 0, top = 0, right = 0, bottom = 0, size = 12;
    StyleSet style = 0;
    int offsetTwips = 0; // raised marks and lowered indices
    bool mark = false;   // raised and short: the label of a note, perhaps
};

enum class Role { Body, Furniture, Note };

struct Line {
    std::vector<Piece> pieces;
    double left = 0, right = 0, top = 0, bottom = 0, size = 12;
    int page = 0;
    Role role = Role::Body;
    int note = -1; // the note that this line belongs to or begins
    bool notePara = false; // a note line that begins a new paragraph of its note
};

struct Mark {
    std::size_t line = 0, piece = 0;
    std::u16string label;
    int note = -1;
};

double sane(double v) { return std::isfinite(v) ? std::clamp(v, -MaxCoordinate, MaxCoordinate) : 0.0; }

bool isBlank(char16_t c) { return c == u' ' || c == 0x00A0 || c == 0x2002 || c == 0x2003 || c == 0x2009; }

std::optional<Piece> pieceOf(const TextBox& b) {
    Piece p;
    for (char16_t c : b.text) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            p.text.push_back(u' ');
        else if (c >= 0x20 && c != 0x7F && c != 0xFEFF && c != 0xFFFE && c != 0xFFFF)
            p.text.push_back(c);
    }
    std::size_t begin = 0, end = p.text.size();
    while (begin < end && isBlank(p.text[begin]))
        ++begin;
    while (end > begin && isBlank(p.text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;
    p.text = p.text.substr(begin, end - begin);
    p.left = sane(std::min(b.left, b.right));
    p.right = sane(std::max(b.left, b.right));
    p.top = sane(std::min(b.top, b.bottom));
    p.bottom = sane(std::max(b.top, b.bottom));
    p.size = std::isfinite(b.fontSize) && b.fontSize > 0.5 ? std::min(b.fontSize, 1000.0)
                                                            : std::clamp(p.bottom - p.top, 1.0, 1000.0);
    if (p.bottom - p.top < 0.1 * p.size)
        p.bottom = p.top + p.size; // a box with no height stands for a line of its size
    p.style = styleOfFontName(b.fontName);
    return p;
}

double overlap(double top1, double bottom1, double top2, double bottom2) {
    return std::min(bottom1, bottom2) - std::max(top1, top2);
}

// The size most of a line's characters have.
double mainSize(const std::vector<Piece>& pieces) {
    std::vector<std::pair<double, std::size_t>> weights;
    for (const Piece& p : pieces) {
        auto w = std::find_if(weights.begin(), weights.end(),
                              [&](const auto& e) { return std::abs(e.first - p.size) < 0.25; });
        if (w == weights.end())
            weights.emplace_back(p.size, p.text.size());
        else
            w->second += p.text.size();
    }
    std::pair<double, std::size_t> best{12.0, 0};
    for (const auto& w : weights)
        if (w.second > best.second || (w.second == best.second && w.first > best.first))
            best = w;
    return best.first;
}

void finishLine(Line& line, const LayoutParams& params) {
    std::stable_sort(line.pieces.begin(), line.pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.left < b.left; });
    line.size = mainSize(line.pieces);
    bool first = true;
    for (const Piece& p : line.pieces) {
        if (p.size < line.size - 0.25 * line.size)
            continue;
        line.top = first ? p.top : std::min(line.top, p.top);
        line.bottom = first ? p.bottom : std::max(line.bottom, p.bottom);
        first = false;
    }
    if (first) { // no piece of the main size: take them all
        line.top = line.pieces.front().top;
        line.bottom = line.pieces.front().bottom;
        for (const Piece& p : line.pieces) {
            line.top = std::min(line.top, p.top);
            line.bottom = std::max(line.bottom, p.bottom);
        }
    }
    line.left = line.pieces.front().left;
    line.right = line.pieces.front().right;
    for (Piece& p : line.pieces) {
        line.left = std::min(line.left, p.left);
        line.right = std::max(line.right, p.right);
        if (p.size >= params.markSize * line.size)
            continue;
        const double raise = line.bottom - p.bottom;
        const double drop = p.bottom - line.bottom;
        if (raise >= params.markRaise * line.size) {
            p.offsetTwips = wordfile::clampTwips(std::round(std::min(raise, line.size) * 20));
            p.mark = p.text.size() <= 4;
        } else if (drop >= 0.1 * line.size) {
            p.offsetTwips = -wordfile::clampTwips(std::round(std::min(drop, line.size) * 20));
        }
    }
}

// The lines of one page, top to bottom, each with its words left to right.
std::vector<Line> linesOfPage(const Page& page, int number, const LayoutParams& params) {
    std::vector<Piece> pieces;
    pieces.reserve(page.boxes.size());
    for (const TextBox& b : page.boxes)
        if (std::optional<Piece> p = pieceOf(b))
            pieces.push_back(std::move(*p));
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
        const double ca = a.top + a.bottom, cb = b.top + b.bottom;
        return ca < cb || (ca == cb && a.left < b.left);
    });
    std::vector<Line> lines;
    // The vertical extent of the current line's largest piece: a line is where
    // its main text stands, not the union of everything raised or lowered on it.
    double coreTop = 0, coreBottom = 0, coreSize = 0;
    for (Piece& p : pieces) {
        if (!lines.empty()) {
            const double shared = overlap(coreTop, coreBottom, p.top, p.bottom);
            const double smaller = std::min(coreBottom - coreTop, p.bottom - p.top);
            if (shared >= params.lineOverlap * smaller) {
                if (p.size > coreSize) {
                    coreTop = p.top;
                    coreBottom = p.bottom;
                    coreSize = p.size;
                }
                lines.back().pieces.push_back(std::move(p));
                continue;
            }
        }
        coreTop = p.top;
        coreBottom = p.bottom;
        coreSize = p.size;
        lines.emplace_back();
        lines.back().page = number;
        lines.back().pieces.push_back(std::move(p));
    }
    for (Line& line : lines)
        finishLine(line, params);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.bottom < b.bottom; });
    return lines;
}

// The text of a line with its digits as '#', for finding what repeats on every page.
std::u16string furnitureKey(const Line& line) {
    std::u16string key;
    for (const Piece& p : line.pieces) {
        if (!key.empty())
            key.push_back(u' ');
        for (char16_t c : p.text)
            key.push_back(c >= u'0' && c <= u'9' ? u'#' : c);
    }
    return key;
}

void markFurniture(std::vector<Line>& lines, const std::vector<std::pair<std::size_t, std::size_t>>& pageSpans,
                   const LayoutParams& params) {
    std::size_t pagesWithText = 0;
    for (const auto& span : pageSpans)
        if (span.second > span.first)
            ++pagesWithText;
    if (pagesWithText < 2)
        return;
    // The first two and the last two lines of each page are candidates, each zone
    // on its own; a key counts once per page.
    std::map<std::u16string, std::pair<std::size_t, std::size_t>> seen; // pages, last page + 1
    std::vector<std::u16string> top(lines.size()), bottom(lines.size());
    auto count = [&](const std::u16string& key, std::size_t page) {
        auto& s = seen[key];
        if (s.second != page + 1) {
            ++s.first;
            s.second = page + 1;
        }
    };
    for (std::size_t page = 0; page < pageSpans.size(); ++page) {
        const auto [begin, end] = pageSpans[page];
        for (std::size_t i = begin; i < end; ++i) {
            if (i < begin + 2) {
                top[i] = u'T' + furnitureKey(lines[i]);
                count(top[i], page);
            }
            if (i + 2 >= end) {
                bottom[i] = u'B' + furnitureKey(lines[i]);
                count(bottom[i], page);
            }
        }
    }
    const std::size_t needed =
        std::max<std::size_t>(2, std::size_t(std::ceil(params.furnitureShare * double(pagesWithText))));
    auto repeats = [&](const std::u16string& key) { return !key.empty() && seen[key].first >= needed; };
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (repeats(top[i]) || repeats(bottom[i]))
            lines[i].role = Role::Furniture;
}

// The size most of the text has.
double bodySizeOf(const std::vector<Line>& lines) {
    std::map<long, std::size_t> weights;
    for (const Line& line : lines)
        if (line.role != Role::Furniture)
            for (const Piece& p : line.pieces)
                weights[std::lround(p.size * 2)] += p.text.size();
    long best = 24;
    std::size_t most = 0;
    for (const auto& [size, weight] : weights)
        if (weight > most) {
            most = weight;
            best = size;
        }
    return double(best) / 2;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// How much of a note line's first word is the label: all of "1", "1." or "1)";
// the "1" of "1The", where the writer set the number against the text and the
// two came out as one word. 0 when the word is no such label.
std::size_t labelLength(std::u16string_view word, std::u16string_view label) {
    if (label.empty() || !word.starts_with(label))
        return 0;
    const std::u16string_view rest = word.substr(label.size());
    if (rest.empty() || rest == u"." || rest == u")")
        return word.size();
    const bool number = std::all_of(label.begin(), label.end(), isDigit);
    return number && !isDigit(rest.front()) && rest.front() != u'.' && rest.front() != u',' ? label.size() : 0;
}

// Finds the notes: a line smaller than the body that begins with the label of an
// earlier raised mark not yet taken, and the small lines that follow it. Of the
// marks with that label the nearest one before the note is taken (footnotes
// follow their marks on the same page; endnotes come after all of them).
std::vector<Mark> findNotes(std::vector<Line>& lines, double bodySize, const LayoutParams& params) {
    std::vector<Mark> marks;
    int notes = 0;
    int current = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line& line = lines[i];
        if (line.role == Role::Furniture)
            continue;
        const bool small = line.size < params.noteSize * bodySize;
        if (small) {
            std::u16string& first = line.pieces.front().text;
            std::size_t length = 0;
            // A note is looked for among the last marks only, so that a long
            // document of many marks and small lines stays linear.
            const auto oldest = marks.rbegin() + std::ptrdiff_t(std::min<std::size_t>(marks.size(), MarksSearched));
            auto m = std::find_if(marks.rbegin(), oldest, [&](const Mark& k) {
                return k.note < 0 && (length = labelLength(first, k.label)) > 0;
            });
            if (m != oldest) {
                m->note = current = notes++;
                line.role = Role::Note;
                line.note = current;
                if (length == first.size())
                    line.pieces.erase(line.pieces.begin());
                else
                    first.erase(0, length);
                continue;
            }
            if (current >= 0) {
                line.role = Role::Note;
                line.note = current;
                continue;
            }
        }
        current = -1;
        for (std::size_t k = 0; k < line.pieces.size(); ++k)
            if (line.pieces[k].mark)
                marks.push_back(Mark{i, k, line.pieces[k].text, -1});
    }
    return marks;
}

// The margins and line pitch of the body text.
struct Frame {
    double left = 0, right = 0, pitch = 14, bodySize = 12;
    double width() const { return std::max(right - left, bodySize); }
};

std::size_t characters(const Line& line) {
    std::size_t n = 0;
    for (const Piece& p : line.pieces)
        n += p.text.size();
    return n;
}

double percentile(std::vector<double> v, double share) {
    if (v.empty())
        return 0;
    const std::size_t at = std::min(v.size() - 1, std::size_t(share * double(v.size())));
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(at), v.end());
    return v[at];
}

// The left margin is where most of the text of the body's size begins (counted
// in characters, so that a list's short items do not outweigh the paragraphs
// around them); the right one
// mirrors it on the page unless the text reaches further.
Frame frameOf(const std::vector<Line>& lines, double bodySize, double pageWidth) {
    Frame f;
    f.bodySize = bodySize;
    std::vector<std::pair<double, std::size_t>> lefts; // where a line begins, its characters
    std::vector<double> rights, pitches;
    const Line* previous = nullptr;
    for (const Line& line : lines) {
        if (line.role != Role::Body || std::abs(line.size - bodySize) > 0.15 * bodySize)
            continue;
        lefts.emplace_back(line.left, characters(line));
        rights.push_back(line.right);
        if (previous && previous->page == line.page) {
            const double d = line.bottom - previous->bottom;
            if (d > 0.5 * bodySize)
                pitches.push_back(d);
        }
        previous = &line;
    }
    if (rights.empty()) { // no line of the body's size: take every body line
        for (const Line& line : lines)
            if (line.role == Role::Body) {
                lefts.emplace_back(line.left, characters(line));
                rights.push_back(line.right);
            }
    }
    // Lines that begin within a point of each other begin at the same place.
    std::sort(lefts.begin(), lefts.end());
    std::size_t most = 0;
    for (std::size_t i = 0; i < lefts.size();) {
        std::size_t j = i, count = 0;
        while (j < lefts.size() && lefts[j].first - lefts[i].first < 1.0)
            count += lefts[j++].second;
        if (count > most) {
            most = count;
            f.left = lefts[i].first;
        }
        i = j;
    }
    const double widest = rights.empty() ? f.left : *std::max_element(rights.begin(), rights.end());
    const double mirrored = pageWidth - f.left;
    f.right = std::max(widest <= mirrored + bodySize && std::isfinite(mirrored) ? mirrored : widest, f.left);
    // Lines further apart than a few ems are not the usual spacing of the text.
    f.pitch = pitches.empty() ? 1.2 * bodySize : std::min(percentile(pitches, 0.3), 4 * bodySize);
    return f;
}

bool isLowerLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7) ||
           (c >= 0x3AC && c <= 0x3CE) || (c >= 0x430 && c <= 0x45F) ||
           (c >= 0x100 && c <= 0x17F && (c & 1) == 1);
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

bool isHyphen(char16_t c) { return c == u'-' || c == 0x2010 || c == 0x00AD; }

// A line that ends in a hyphen after a letter: a word broken at the line's end.
bool endsWithHyphen(const Line& line) {
    const std::u16string& t = line.pieces.back().text;
    return t.size() >= 2 && isHyphen(t.back()) && isLetter(t[t.size() - 2]);
}

double firstWordWidth(const Line& line, const LayoutParams& params) {
    double right = line.pieces.front().right;
    for (std::size_t i = 1; i < line.pieces.size(); ++i) {
        const Piece& p = line.pieces[i];
        if (p.left - right > params.wordGap * std::max(p.size, line.pieces[i - 1].size))
            break;
        right = std::max(right, p.right);
    }
    return right - line.pieces.front().left;
}

class Builder {
public:
    Builder(const Frame& frame, const LayoutParams& params) : f_(frame), p_(params) {}

    bool centred(const Line& l) const {
        const double leftGap = l.left - f_.left, rightGap = f_.right - l.right;
        return leftGap > p_.centreMargin * l.size && rightGap > p_.centreMargin * l.size &&
               std::abs(leftGap - rightGap) < p_.centreTolerance * l.size;
    }

    bool rightAligned(const Line& l) const {
        return std::abs(f_.right - l.right) < 0.5 * l.size && l.left - f_.left > p_.centreMargin * l.size;
    }

    // Whether the line before would have held b's first word: it was ended on purpose.
    bool endsShort(const Line& a, const Line& b, bool aCentred) const {
        if (endsWithHyphen(a))
            return false;
        // A block indented on the left (a quotation) is taken as indented as much
        // on the right, as word processors set quotations.
        const double indent = a.left - f_.left;
        const bool block = indent > p_.indentStep * a.size && std::abs(a.left - b.left) < 0.5 * a.size;
        const double room = aCentred ? f_.width() - (a.right - a.left)
                                     : f_.right - (block ? indent : 0.0) - a.right;
        return room - 0.25 * a.size - firstWordWidth(b, p_) > p_.shortLineSlack * a.size;
    }

    bool breakBetween(const Line& a, const Line& b, bool aBeginsParagraph) const {
        const double em = std::max(a.size, b.size);
        if (std::abs(a.size - b.size) > 0.15 * em)
            return true;
        if (a.page == b.page) {
            const double d = b.bottom - a.bottom;
            if (d < 0.3 * em)
                return true; // back up the page: another column, or text printed over text
            if (d - f_.pitch * em / f_.bodySize > p_.paragraphGap * em)
                return true;
        }
        // Lines that begin at the same place are not centred, whatever their margins.
        const bool sameLeft = std::abs(a.left - b.left) < 0.5 * em;
        const bool ca = centred(a) && !sameLeft;
        if (ca != (centred(b) && !sameLeft))
            return true;
        if (endsShort(a, b, ca))
            return true;
        if (!ca) {
            if (b.left > a.left + p_.indentStep * em)
                return true;
            if (b.left < a.left - p_.indentStep * em && !aBeginsParagraph)
                return true;
        }
        return false;
    }

    ParaFormat paragraphFormat(const std::vector<const Line*>& para) const {
        ParaFormat pf;
        const bool allCentred = std::all_of(para.begin(), para.end(), [&](const Line* l) { return centred(*l); });
        bool lefts = false;
        for (const Line* l : para)
            lefts = lefts || std::abs(l->left - para.front()->left) > 0.5 * l->size;
        if (allCentred && (para.size() == 1 || lefts)) {
            pf.alignment = Alignment::Center;
            return pf;
        }
        const bool allRight = std::all_of(para.begin(), para.end(), [&](const Line* l) { return rightAligned(*l); });
        if (allRight && (para.size() > 1 ? lefts : para.front()->left - f_.left > 0.25 * f_.width())) {
            pf.alignment = Alignment::Right;
            return pf;
        }
        const Line& rest = para.size() > 1 ? *para[1] : *para.front();
        const double indent = rest.left - f_.left;
        if (indent > 0.5 * rest.size)
            pf.startIndentTwips = wordfile::clampTwips(std::round(indent * 20));
        return pf;
    }

private:
    const Frame& f_;
    const LayoutParams& p_;
};

CharFormat formatOf(const Piece& p) {
    CharFormat f;
    f.style = p.style;
    f.sizeHalfPoints = int(std::clamp(std::lround(p.size * 2), 2L, 3276L));
    f.offsetTwips = p.offsetTwips;
    return f;
}

// Writes the lines of one paragraph: blanks or TABs between words by their gaps,
// one blank between lines, hyphenated words joined again.
void writeLines(RichContent& out, const std::vector<const Line*>& para, const LayoutParams& params,
                std::size_t& words) {
    const Piece* before = nullptr;
    bool joinNext = false;
    for (std::size_t n = 0; n < para.size(); ++n) {
        const Line* line = para[n];
        for (std::size_t i = 0; i < line->pieces.size(); ++i) {
            const Piece& p = line->pieces[i];
            std::u16string_view text = p.text;
            if (before) {
                // blanks take the format of the text beside them, not of a raised mark
                const CharFormat gapFormat = formatOf(before->offsetTwips != 0 ? p : *before);
                if (i == 0) {
                    if (!joinNext)
                        out.appendText(u" ", gapFormat);
                } else {
                    const double gap = p.left - before->right;
                    const double em = std::max(p.size, before->size);
                    if (gap > params.tabGap * em)
                        out.appendText(u"\t", gapFormat);
                    else if (gap > params.wordGap * em)
                        out.appendText(u" ", gapFormat);
                }
            }
            joinNext = false;
            const bool last = i + 1 == line->pieces.size();
            if (last && n + 1 < para.size() && endsWithHyphen(*line)) {
                // "exam-" + "ple" is "example"; "Anglo-" + "Saxon" keeps its hyphen
                const char16_t first = para[n + 1]->pieces.front().text.front();
                if (text.back() == 0x00AD || isLowerLetter(first))
                    text.remove_suffix(1);
                joinNext = true;
            } else if (last && !text.empty() && text.back() == 0x00AD) {
                text.remove_suffix(1);
            }
            out.appendText(text, formatOf(p));
            ++words;
            before = &p;
        }
    }
}

} // namespace

StyleSet styleOfFontName(const std::string& fontName) {
    std::string name;
    // the six capitals and '+' of an embedded subset say nothing of the style
    const std::size_t plus = fontName.find('+');
    const std::string_view rest =
        plus == 6 ? std::string_view(fontName).substr(7) : std::string_view(fontName);
    for (char c : rest)
        name.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    StyleSet s = 0;
    for (const char* bold : {"bold", "black", "heavy", "semibold", "demi"})
        if (name.find(bold) != std::string::npos)
            s |= fsBold;
    for (const char* italic : {"italic", "oblique", "kursiv"})
        if (name.find(italic) != std::string::npos)
            s |= fsItalic;
    // the short suffixes of the base fonts: "Times-BI", "Courier-Bd", "Helvetica-It"
    if (name.ends_with("-bi") || name.ends_with(",bi"))
        s |= fsBold | fsItalic;
    else if (name.ends_with("-bd"))
        s |= fsBold;
    else if (name.ends_with("-it"))
        s |= fsItalic;
    return s;
}

LayoutResult buildParagraphs(const std::vector<Page>& pages, const LayoutParams& params) {
    std::vector<Line> lines;
    std::vector<std::pair<std::size_t, std::size_t>> pageSpans;
    for (std::size_t n = 0; n < pages.size(); ++n) {
        std::vector<Line> page = linesOfPage(pages[n], int(n), params);
        const std::size_t begin = lines.size();
        for (Line& l : page)
            lines.push_back(std::move(l));
        pageSpans.emplace_back(begin, lines.size());
    }
    markFurniture(lines, pageSpans, params);
    const double bodySize = bodySizeOf(lines);
    std::vector<Mark> marks = findNotes(lines, bodySize, params);
    std::vector<double> widths;
    for (const Page& page : pages)
        widths.push_back(sane(page.width));
    const Frame frame = frameOf(lines, bodySize, widths.empty() ? 0.0 : percentile(widths, 0.5));
    const Builder builder(frame, params);

    // Marks that found their note show its number; the notes are numbered in the
    // order of their marks.
    std::size_t noteCount = 0;
    for (const Mark& m : marks)
        if (m.note >= 0)
            noteCount = std::max(noteCount, std::size_t(m.note) + 1);
    std::vector<int> numberOfNote(noteCount, 0);
    int number = 0;
    for (const Mark& m : marks)
        if (m.note >= 0) {
            numberOfNote[std::size_t(m.note)] = ++number;
            std::u16string text;
            for (char c : std::to_string(number))
                text.push_back(char16_t(c));
            lines[m.line].pieces[m.piece].text = std::move(text);
        }

    LayoutResult result;
    RichContent& out = result.content;
    std::vector<const Line*> para;
    auto flush = [&] {
        if (para.empty())
            return;
        if (!out.text.empty())
            out.appendParagraphBreak(out.runs.back().format, ParaFormat{});
        out.paragraphs.back() = builder.paragraphFormat(para);
        writeLines(out, para, params, result.words);
        para.clear();
    };
    std::vector<std::vector<const Line*>> noteLines(numberOfNote.size());
    for (const Line& line : lines) {
        if (line.role == Role::Note) {
            noteLines[std::size_t(line.note)].push_back(&line);
            continue;
        }
        if (line.role != Role::Body)
            continue;
        if (!para.empty() && builder.breakBetween(*para.back(), line, para.size() == 1))
            flush();
        para.push_back(&line);
    }
    flush();

    std::vector<RichContent> notes(numberOfNote.size());
    for (std::size_t n = 0; n < noteLines.size(); ++n) {
        RichContent& note = notes[std::size_t(numberOfNote[n] - 1)];
        const std::vector<const Line*>& ls = noteLines[n];
        std::vector<const Line*> part;
        for (const Line* l : ls) {
            if (l->pieces.empty())
                continue;
            if (!part.empty() && builder.endsShort(*part.back(), *l, false)) {
                writeLines(note, part, params, result.words);
                note.appendParagraphBreak(note.runs.back().format, ParaFormat{});
                part.clear();
            }
            part.push_back(l);
        }
        writeLines(note, part, params, result.words);
    }
    CharFormat fallback;
    fallback.sizeHalfPoints = int(std::lround(bodySize * 2));
    if (!notes.empty())
        appendNotes(out, std::move(notes), fallback);
    return result;
}

} // namespace tallix::pdf
