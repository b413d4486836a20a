#include "document/RichTextBuffer.h"

#include "document/CaseFold.h"
#include "document/RtfReader.h"
#include "document/RtfWriter.h"
#include "document/TextCodec.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <stdexcept>

namespace tallix {

namespace {

bool hasLoneBreak(std::u16string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r' && (i + 1 >= s.size() || s[i + 1] != u'\n'))
            return true;
        if (s[i] == u'\n' && (i == 0 || s[i - 1] != u'\r'))
            return true;
    }
    return false;
}

// Turns each lone CR or LF of text into a CR LF pair; both characters of a new
// pair take the format (one entry of perChar per character) of the break it
// replaces.
template <typename Index>
void normaliseBreaks(std::u16string& text, std::vector<Index>& perChar) {
    if (!hasLoneBreak(text))
        return;
    std::u16string newText;
    std::vector<Index> newFormats;
    newText.reserve(text.size() + 16);
    newFormats.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t ch = text[i];
        if (ch == u'\r' || ch == u'\n') {
            newText.append(u"\r\n");
            newFormats.insert(newFormats.end(), 2, perChar[i]);
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            newText.push_back(ch);
            newFormats.push_back(perChar[i]);
        }
    }
    text = std::move(newText);
    perChar = std::move(newFormats);
}

} // namespace

RichTextBuffer::RichTextBuffer() {
    default_.colour = clWindowText;
    insertion_ = default_;
    intern(default_);
}

template <typename F> void RichTextBuffer::notify(F&& f) {
    if (observers_.empty())
        return;
    notifying_ = true;
    try {
        for (BufferObserver* o : std::vector<BufferObserver*>(observers_))
            f(*o);
    } catch (...) {
        notifying_ = false;
        throw;
    }
    notifying_ = false;
}

void RichTextBuffer::addObserver(BufferObserver* o) {
    if (o && std::find(observers_.begin(), observers_.end(), o) == observers_.end())
        observers_.push_back(o);
}

void RichTextBuffer::removeObserver(BufferObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

RichTextBuffer::FormatIndex RichTextBuffer::intern(const CharFormat& f) {
    auto& bucket = formatLookup_[hashCharFormat(f)];
    for (FormatIndex i : bucket)
        if (formats_[i] == f)
            return i;
    formats_.push_back(f);
    bucket.push_back(FormatIndex(formats_.size() - 1));
    return bucket.back();
}

// ---------------------------------------------------------------- selection

int RichTextBuffer::keepOutOfPair(int pos, int previous) const {
    if (!insidePair(pos))
        return pos;
    if (previous == pos - 1 || previous == pos + 1)
        return previous;
    return pos + 1;
}

void RichTextBuffer::refreshInsertion() {
    if (selLength_ > 0)
        insertion_ = formatAt(selStart_);
    else if (selStart_ > 0)
        insertion_ = formatAt(selStart_ - 1);
    else if (!text_.empty())
        insertion_ = formatAt(0);
    // An empty text keeps the insertion formatting it has.
}

void RichTextBuffer::setSelectionRaw(int start, int length) {
    selStart_ = start;
    selLength_ = length;
    refreshInsertion();
    notify([](BufferObserver& o) { o.selectionChanged(); });
}

void RichTextBuffer::setSelStart(int pos) {
    pos = std::clamp(pos, 0, length());
    setSelectionRaw(keepOutOfPair(pos, selStart_), 0);
}

void RichTextBuffer::setSelLength(int len) {
    len = std::max(len, 0);
    int end = int(std::min<long long>(static_cast<long long>(selStart_) + len, length()));
    end = keepOutOfPair(end, selEnd());
    setSelectionRaw(selStart_, end - selStart_);
}

void RichTextBuffer::select(int start, int len) {
    setSelStart(start);
    setSelLength(len);
}

void RichTextBuffer::selectAll() { setSelectionRaw(0, length()); }

std::u16string RichTextBuffer::selText() const {
    return text_.substr(std::size_t(selStart_), std::size_t(selLength_));
}

void RichTextBuffer::setSelText(std::u16string_view s) {
    std::u16string normalised;
    if (hasLoneBreak(s)) {
        normalised = text::normaliseLineBreaks(s);
        s = normalised;
    }
    FormatIndex fmt = selLength_ > 0 ? fmtIndex_[selStart_] : intern(insertion_);
    int start = selStart_;
    insertion_ = formats_[fmt];
    replaceRange(start, selLength_, s, fmt);
    setSelectionRaw(start + int(s.size()), 0);
}

// ---------------------------------------------------------------- formatting

const CharFormat& RichTextBuffer::readFormat() const {
    return selLength_ > 0 ? formatAt(selStart_) : insertion_;
}

void RichTextBuffer::changeSelFormat(const std::function<void(CharFormat&)>& change) {
    if (selLength_ > 0) {
        applyFormat(selStart_, selLength_, change);
        refreshInsertion();
    } else {
        change(insertion_);
    }
}

void RichTextBuffer::setSelColour(Colour c) {
    changeSelFormat([c](CharFormat& f) { f.colour = c; });
}

void RichTextBuffer::setSelStyle(StyleSet s) {
    s &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
    changeSelFormat([s](CharFormat& f) { f.style = s; });
}

void RichTextBuffer::setSelSize(int points) {
    points = std::clamp(points, 1, 1638);
    changeSelFormat([points](CharFormat& f) { f.sizeHalfPoints = points * 2; });
}

void RichTextBuffer::setSelFontName(std::u16string_view name) {
    std::u16string n(name.substr(0, MaxFontNameLength));
    changeSelFormat([&n](CharFormat& f) { f.fontName = n; });
}

void RichTextBuffer::setSelOffset(int twips) {
    twips = std::clamp(twips, -32767, 32767);
    changeSelFormat([twips](CharFormat& f) { f.offsetTwips = twips; });
}

void RichTextBuffer::setSelFormat(const CharFormat& src) {
    CharFormat g = src;
    g.fontName.resize(std::min(g.fontName.size(), MaxFontNameLength));
    changeSelFormat([&g](CharFormat& f) { f = g; });
}

bool RichTextBuffer::selColourConsistent() const {
    if (selLength_ == 0)
        return true;
    Colour first = colourAt(selStart_);
    FormatIndex last = fmtIndex_[selStart_];
    for (int i = selStart_ + 1; i < selEnd(); ++i) {
        FormatIndex k = fmtIndex_[i];
        if (k != last) {
            if (formats_[k].colour != first)
                return false;
            last = k;
        }
    }
    return true;
}

void RichTextBuffer::setDefaultFormat(const CharFormat& f) {
    default_ = f;
    default_.fontName.resize(std::min(default_.fontName.size(), MaxFontNameLength));
}

void RichTextBuffer::applyFormat(int pos, int len,
                                 const std::function<void(CharFormat&)>& change) {
    if (notifying_)
        throw std::logic_error("the buffer was edited from a change notification");
    // Runs repeat the same few formats: remember what each old index became.
    std::vector<std::pair<FormatIndex, FormatIndex>> memo;
    bool changed = false;
    for (int i = pos; i < pos + len; ++i) {
        FormatIndex old = fmtIndex_[i];
        FormatIndex now = old;
        auto it = std::find_if(memo.begin(), memo.end(),
                               [old](const auto& m) { return m.first == old; });
        if (it != memo.end()) {
            now = it->second;
        } else {
            CharFormat f = formats_[old];
            change(f);
            now = intern(f);
            memo.emplace_back(old, now);
        }
        if (now != old) {
            fmtIndex_[i] = now;
            changed = true;
        }
    }
    if (changed)
        notify([pos, len](BufferObserver& o) { o.formatChanged(pos, len); });
}

// ---------------------------------------------------------------- text edits

void RichTextBuffer::replaceRange(int pos, int removed, std::u16string_view added,
                                  FormatIndex fmt) {
    if (notifying_)
        throw std::logic_error("the buffer was edited from a change notification");
    // Paragraph starts inside (pos, pos + removed] belonged to the removed breaks:
    // those paragraphs merge into the one holding pos, which keeps its format.
    auto first = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
    auto last = std::upper_bound(first, lineStarts_.end(), pos + removed);
    std::size_t at = std::size_t(first - lineStarts_.begin());
    std::size_t gone = std::size_t(last - first);
    lineStarts_.erase(first, last);
    paras_.erase(paras_.begin() + std::ptrdiff_t(at), paras_.begin() + std::ptrdiff_t(at + gone));
    int delta = int(added.size()) - removed;
    if (delta != 0)
        for (std::size_t i = at; i < lineStarts_.size(); ++i)
            lineStarts_[i] += delta;
    std::vector<int> newStarts;
    for (std::size_t i = 0; i + 1 < added.size(); ++i)
        if (added[i] == u'\r' && added[i + 1] == u'\n')
            newStarts.push_back(pos + int(i) + 2);
    if (!newStarts.empty()) {
        ParaFormat inherited = paras_[at - 1];
        lineStarts_.insert(lineStarts_.begin() + std::ptrdiff_t(at), newStarts.begin(),
                           newStarts.end());
        paras_.insert(paras_.begin() + std::ptrdiff_t(at), newStarts.size(), inherited);
    }

    text_.replace(std::size_t(pos), std::size_t(removed), added);
    auto fpos = fmtIndex_.begin() + pos;
    if (std::size_t(removed) >= added.size()) {
        std::fill_n(fpos, added.size(), fmt);
        fmtIndex_.erase(fpos + std::ptrdiff_t(added.size()), fpos + removed);
    } else {
        std::fill_n(fpos, removed, fmt);
        fmtIndex_.insert(fpos + removed, added.size() - std::size_t(removed), fmt);
    }
    int addedCount = int(added.size());
    notify([=](BufferObserver& o) { o.textReplaced(pos, removed, addedCount); });
}

void RichTextBuffer::setText(std::u16string_view s) {
    RichContent c;
    c.text = text::normaliseLineBreaks(s);
    if (!c.text.empty())
        c.runs.push_back(FormatRun{int(c.text.size()), default_});
    assign(std::move(c));
}

void RichTextBuffer::assign(RichContent c) {
    if (notifying_)
        throw std::logic_error("the buffer was edited from a change notification");
    int oldLength = length();
    // Formats per character from the runs; a run list that falls short of the
    // text is padded with the default attributes. Lone CR or LF become CR LF in
    // their own format; text already in shape is taken as it is.
    std::vector<FormatIndex> perChar = formatsOf(c, intern(default_));
    normaliseBreaks(c.text, perChar);

    text_ = std::move(c.text);
    fmtIndex_ = std::move(perChar);
    std::vector<ParaFormat> paras = std::move(c.paragraphs);
    rebuildLines();
    paras.resize(lineStarts_.size(), paras.empty() ? ParaFormat{} : paras.back());
    paras_ = std::move(paras);
    for (ParaFormat& p : paras_)
        p.startIndentTwips = std::clamp(p.startIndentTwips, -31680, 31680);

    selStart_ = 0;
    selLength_ = 0;
    if (text_.empty())
        insertion_ = default_;
    int newLength = length();
    int lastPara = lineCount() - 1;
    notify([=](BufferObserver& o) {
        o.textReplaced(0, oldLength, newLength);
        o.paragraphFormatChanged(0, lastPara);
    });
    setSelectionRaw(0, 0);
}

std::vector<RichTextBuffer::FormatIndex> RichTextBuffer::formatsOf(const RichContent& c,
                                                                   FormatIndex padding) {
    std::vector<FormatIndex> perChar;
    perChar.reserve(c.text.size());
    for (const FormatRun& r : c.runs) {
        if (r.length <= 0 || perChar.size() >= c.text.size())
            continue;
        CharFormat f = r.format;
        f.fontName.resize(std::min(f.fontName.size(), MaxFontNameLength));
        std::size_t count = std::min(std::size_t(r.length), c.text.size() - perChar.size());
        perChar.insert(perChar.end(), count, intern(f));
    }
    if (perChar.size() < c.text.size())
        perChar.resize(c.text.size(), padding);
    return perChar;
}

int RichTextBuffer::removeAll(std::u16string_view literal) {
    if (notifying_)
        throw std::logic_error("the buffer was edited from a change notification");
    if (literal.empty() || literal.find_first_of(u"\r\n") != std::u16string_view::npos)
        return 0;
    const std::size_t n = literal.size();
    std::size_t at = text_.find(literal);
    if (at == std::u16string::npos)
        return 0;
    const int first = int(at);
    const int oldLength = length();
    int removedBeforeCaret = 0;
    int count = 0;
    // Compact text and formats in place: copy what lies between occurrences down.
    std::size_t write = at;
    std::size_t read = at;
    while (at != std::u16string::npos) {
        std::copy(text_.begin() + std::ptrdiff_t(read), text_.begin() + std::ptrdiff_t(at),
                  text_.begin() + std::ptrdiff_t(write));
        std::copy(fmtIndex_.begin() + std::ptrdiff_t(read), fmtIndex_.begin() + std::ptrdiff_t(at),
                  fmtIndex_.begin() + std::ptrdiff_t(write));
        write += at - read;
        if (int(at + n) <= selStart_)
            removedBeforeCaret += int(n);
        read = at + n;
        ++count;
        at = text_.find(literal, read);
    }
    std::copy(text_.begin() + std::ptrdiff_t(read), text_.end(), text_.begin() + std::ptrdiff_t(write));
    std::copy(fmtIndex_.begin() + std::ptrdiff_t(read), fmtIndex_.end(),
              fmtIndex_.begin() + std::ptrdiff_t(write));
    write += text_.size() - read;
    text_.resize(write);
    fmtIndex_.resize(write);
    // No line break was removed: the paragraphs stay, their starts move.
    rebuildLines();
    const int last = oldLength - first;
    const int now = length() - first;
    notify([=](BufferObserver& o) { o.textReplaced(first, last, now); });
    setSelectionRaw(std::clamp(selStart_ - removedBeforeCaret, 0, length()), 0);
    return count;
}

void RichTextBuffer::insertContent(const RichContent& c) {
    FormatIndex base = selLength_ > 0 ? fmtIndex_[selStart_] : intern(insertion_);
    std::u16string text = c.text;
    std::vector<FormatIndex> perChar = formatsOf(c, base);
    normaliseBreaks(text, perChar);

    const int start = selStart_;
    const int firstLine = lineOfPosition(start);
    insertion_ = formats_[base];
    replaceRange(start, selLength_, text, base);
    // The characters in runs of one format each, through the format bottleneck.
    std::size_t i = 0;
    while (i < perChar.size()) {
        std::size_t j = i + 1;
        while (j < perChar.size() && perChar[j] == perChar[i])
            ++j;
        if (perChar[i] != base) {
            const CharFormat f = formats_[perChar[i]];
            applyFormat(start + int(i), int(j - i), [&f](CharFormat& g) { g = f; });
        }
        i = j;
    }
    // A paragraph of the content that ends with its line break brings its format.
    const int breaks = lineOfPosition(start + int(text.size())) - firstLine;
    const int given = std::min(breaks, int(c.paragraphs.size()));
    if (given > 0) {
        for (int k = 0; k < given; ++k) {
            ParaFormat p = c.paragraphs[std::size_t(k)];
            p.startIndentTwips = std::clamp(p.startIndentTwips, -31680, 31680);
            paras_[std::size_t(firstLine + k)] = p;
        }
        const int last = firstLine + given - 1;
        notify([=](BufferObserver& o) { o.paragraphFormatChanged(firstLine, last); });
    }
    setSelectionRaw(start + int(text.size()), 0);
}

void RichTextBuffer::rebuildLines() {
    lineStarts_.assign(1, 0);
    for (std::size_t i = 0; i + 1 < text_.size(); ++i)
        if (text_[i] == u'\r' && text_[i + 1] == u'\n')
            lineStarts_.push_back(int(i) + 2);
}

RichContent RichTextBuffer::content() const {
    RichContent c;
    c.text = text_;
    c.paragraphs = paras_;
    std::size_t i = 0;
    while (i < fmtIndex_.size()) {
        std::size_t j = i + 1;
        while (j < fmtIndex_.size() && fmtIndex_[j] == fmtIndex_[i])
            ++j;
        c.runs.push_back(FormatRun{int(j - i), formats_[fmtIndex_[i]]});
        i = j;
    }
    return c;
}

// ---------------------------------------------------------------- paragraphs

Alignment RichTextBuffer::paraAlignment() const {
    return paras_[std::size_t(lineOfPosition(selStart_))].alignment;
}

int RichTextBuffer::paraStartIndent() const {
    return paras_[std::size_t(lineOfPosition(selStart_))].startIndentTwips / 20;
}

void RichTextBuffer::changeParagraphs(const std::function<void(ParaFormat&)>& change) {
    if (notifying_)
        throw std::logic_error("the buffer was edited from a change notification");
    int first = lineOfPosition(selStart_);
    int last = lineOfPosition(selEnd());
    // A selection that ends where a paragraph starts does not reach into it.
    if (last > first && lineStarts_[std::size_t(last)] == selEnd())
        --last;
    for (int p = first; p <= last; ++p)
        change(paras_[std::size_t(p)]);
    notify([=](BufferObserver& o) { o.paragraphFormatChanged(first, last); });
}

void RichTextBuffer::setParaAlignment(Alignment a) {
    changeParagraphs([a](ParaFormat& p) { p.alignment = a; });
}

void RichTextBuffer::setParaStartIndent(int points) {
    points = std::clamp(points, -1584, 1584);
    changeParagraphs([points](ParaFormat& p) { p.startIndentTwips = points * 20; });
}

// ---------------------------------------------------------------- find and lines

int RichTextBuffer::findText(std::u16string_view what, int start, int len,
                             FindOptions opts) const {
    if (what.empty() || start < 0 || start > length() || len < 0)
        return -1;
    int end = int(std::min<long long>(static_cast<long long>(start) + len, length()));
    int n = int(what.size());
    if (end - start < n)
        return -1;
    std::u16string pattern = opts.matchCase ? std::u16string(what) : foldedCopy(what);
    const char16_t first = pattern[0];
    const char16_t* t = text_.data();
    for (int i = start; i + n <= end; ++i) {
        char16_t c = opts.matchCase ? t[i] : foldCase(t[i]);
        if (c != first)
            continue;
        int k = 1;
        for (; k < n; ++k) {
            char16_t d = opts.matchCase ? t[i + k] : foldCase(t[i + k]);
            if (d != pattern[std::size_t(k)])
                break;
        }
        if (k < n)
            continue;
        if (opts.wholeWord) {
            bool before = i > 0 && isWordChar(t[i - 1]);
            bool after = i + n < length() && isWordChar(t[i + n]);
            if (before || after)
                continue;
        }
        return i;
    }
    return -1;
}

int RichTextBuffer::lineOfPosition(int pos) const {
    pos = std::clamp(pos, 0, length());
    auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
    return int(it - lineStarts_.begin()) - 1;
}

int RichTextBuffer::lineStart(int line) const {
    if (line < 0 || line >= lineCount())
        return -1;
    return lineStarts_[std::size_t(line)];
}

// ---------------------------------------------------------------- loading and saving

LoadResult RichTextBuffer::loadFromBytes(std::string_view bytes) {
    RichContent c;
    if (looksLikeRtf(bytes)) {
        RtfReadResult r = readRtf(bytes, c);
        if (!r.ok)
            return LoadResult{false, r.error};
    } else {
        std::optional<std::u16string> text = text::decodeEssayText(bytes);
        if (!text)
            return LoadResult{false, "The data is neither RTF nor text."};
        c.text = std::move(*text);
        if (!c.text.empty())
            c.runs.push_back(FormatRun{int(c.text.size()), default_});
    }
    assign(std::move(c));
    return LoadResult{true, {}};
}

LoadResult RichTextBuffer::loadFromFile(const std::string& path) {
    std::string bytes;
    fileio::FileResult r = fileio::readFile(path, bytes);
    if (!r.ok)
        return LoadResult{false, r.error};
    return loadFromBytes(bytes);
}

std::string RichTextBuffer::saveRtf() const { return writeRtf(content()); }

// ---------------------------------------------------------------- invariants

bool RichTextBuffer::check() const {
    if (fmtIndex_.size() != text_.size())
        return false;
    for (FormatIndex k : fmtIndex_)
        if (k >= formats_.size())
            return false;
    if (hasLoneBreak(text_))
        return false;
    std::vector<int> starts{0};
    for (std::size_t i = 0; i + 1 < text_.size(); ++i)
        if (text_[i] == u'\r' && text_[i + 1] == u'\n')
            starts.push_back(int(i) + 2);
    if (starts != lineStarts_ || paras_.size() != lineStarts_.size())
        return false;
    if (selStart_ < 0 || selLength_ < 0 || selEnd() > length())
        return false;
    return !insidePair(selStart_) && !insidePair(selEnd());
}

} // namespace tallix
