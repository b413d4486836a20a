#include "document/RichTextBuffer.h"

#include "platform/CaseFold.h"
#include "platform/Lanes.h"
#include "document/DocxReader.h"
#include "document/PdfReader.h"
#include "document/RtfReader.h"
#include "document/RtfWriter.h"
#include "platform/TextCodec.h"
#include "document/ZipXml.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <stdexcept>

namespace tallix {

namespace {

bool hasLoneBreak(std::u16string_view s) {
    // Only the places of CR and LF are looked at, found eight characters at a time.
    for (std::size_t i = lanes::findEither(s.data(), 0, s.size(), u'\r', u'\n'); i < s.size();
         i = lanes::findEither(s.data(), i + 1, s.size(), u'\r', u'\n')) {
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
    paras_.insertValue(0, 1, ParaFormat{});
}

const std::u16string& RichTextBuffer::text() const {
    if (!textViewValid_) {
        textView_.clear();
        textView_.reserve(std::size_t(length()));
        text_.appendRange(0, length(), textView_);
        textViewValid_ = true;
    }
    return textView_;
}

std::u16string RichTextBuffer::textRange(int pos, int len) const {
    std::u16string out;
    text_.appendRange(pos, len, out);
    return out;
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
    else if (length() > 0)
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

std::u16string RichTextBuffer::selText() const { return textRange(selStart_, selLength_); }

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

void RichTextBuffer::checkNotNotifying() const {
    if (notifying_)
        throw std::logic_error("the buffer was edited from a change notification");
}

void RichTextBuffer::applyFormat(int pos, int len,
                                 const std::function<void(CharFormat&)>& change) {
    checkNotNotifying();
    const bool rec = recording();
    BufferEdit edit;
    if (rec) {
        edit.kind = BufferEdit::Kind::Format;
        edit.pos = pos;
        edit.formatsBefore = spansOf(pos, len);
    }
    // Runs repeat the same few formats: remember what each old index became.
    std::vector<std::pair<FormatIndex, FormatIndex>> memo;
    bool changed = false;
    for (int i = pos; i < pos + len; ++i) {
        const FormatIndex old = fmtIndex_[i];
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
            fmtIndex_.setValueAt(i, now);
            changed = true;
        }
    }
    if (!changed)
        return;
    if (rec) {
        edit.formatsAfter = spansOf(pos, len);
        recorder_->record(std::move(edit));
    }
    notify([pos, len](BufferObserver& o) { o.formatChanged(pos, len); });
}

void RichTextBuffer::setFormatSpans(int pos, const std::vector<FormatSpan>& spans) {
    checkNotNotifying();
    int len = 0;
    for (const FormatSpan& sp : spans)
        len += std::max(sp.length, 0);
    if (pos < 0 || pos + len > length())
        throw std::logic_error("a recorded format change lies outside the text");
    const bool rec = recording();
    BufferEdit edit;
    if (rec) {
        edit.kind = BufferEdit::Kind::Format;
        edit.pos = pos;
        edit.formatsBefore = spansOf(pos, len);
        edit.formatsAfter = spans;
    }
    int at = pos;
    for (const FormatSpan& sp : spans)
        for (int i = 0; i < sp.length; ++i)
            fmtIndex_.setValueAt(at++, sp.format);
    if (rec)
        recorder_->record(std::move(edit));
    notify([pos, len](BufferObserver& o) { o.formatChanged(pos, len); });
}

std::vector<FormatSpan> RichTextBuffer::spansOf(int pos, int len) const {
    std::vector<FormatSpan> out;
    for (std::span<const FormatIndex> piece : fmtIndex_.segments(pos, len)) {
        for (FormatIndex k : piece) {
            if (!out.empty() && out.back().format == k)
                ++out.back().length;
            else
                out.push_back(FormatSpan{1, k});
        }
    }
    return out;
}

std::vector<ParaFormat> RichTextBuffer::parasStartedIn(int pos, int len) const {
    std::vector<ParaFormat> out;
    const int first = lineOfPosition(pos) + 1;
    const int last = lineOfPosition(pos + len);
    if (last >= first)
        paras_.appendRange(first, last - first + 1, out);
    return out;
}

// ---------------------------------------------------------------- text edits

void RichTextBuffer::replaceRange(int pos, int removed, std::u16string_view added,
                                  FormatIndex fmt) {
    replaceRange(pos, removed, added, {FormatSpan{int(added.size()), fmt}}, nullptr);
}

void RichTextBuffer::replaceRange(int pos, int removed, std::u16string_view added,
                                  const std::vector<FormatSpan>& spans, const ParaFormat* paras) {
    checkNotNotifying();
    const bool rec = recording();
    BufferEdit edit;
    if (rec) {
        edit.kind = BufferEdit::Kind::Text;
        edit.pos = pos;
        edit.removed = textRange(pos, removed);
        edit.formatsBefore = spansOf(pos, removed);
        edit.parasBefore = parasStartedIn(pos, removed);
        edit.added = added;
    }
    // Paragraph starts inside (pos, pos + removed] belonged to the removed breaks:
    // those paragraphs merge into the one holding pos, which keeps its format.
    const int line = lines_.partitionFromPosition(pos);
    const int gone = lines_.partitionFromPosition(pos + removed) - line;
    lines_.removePartitions(line + 1, gone);
    paras_.deleteRange(line + 1, gone);
    lines_.insertText(line, int(added.size()) - removed);
    std::vector<int> newStarts;
    for (std::size_t i = 0; i + 1 < added.size(); ++i)
        if (added[i] == u'\r' && added[i + 1] == u'\n')
            newStarts.push_back(pos + int(i) + 2);
    if (!newStarts.empty()) {
        lines_.insertPartitions(line + 1, newStarts.data(), int(newStarts.size()));
        if (paras) {
            paras_.insertFromArray(line + 1, paras, int(newStarts.size()));
        } else {
            const ParaFormat inherited = paras_[line];
            paras_.insertValue(line + 1, int(newStarts.size()), inherited);
        }
    }

    text_.deleteRange(pos, removed);
    text_.insertFromArray(pos, added.data(), int(added.size()));
    fmtIndex_.deleteRange(pos, removed);
    int at = pos;
    for (const FormatSpan& sp : spans) {
        const int count = std::clamp(sp.length, 0, pos + int(added.size()) - at);
        fmtIndex_.insertValue(at, count, sp.format);
        at += count;
    }
    if (at < pos + int(added.size())) // spans that fall short: the last format goes on
        fmtIndex_.insertValue(at, pos + int(added.size()) - at,
                              spans.empty() ? FormatIndex(0) : spans.back().format);
    textViewValid_ = false;
    if (rec) {
        edit.formatsAfter = spansOf(pos, int(added.size()));
        edit.parasAfter = parasStartedIn(pos, int(added.size()));
        recorder_->record(std::move(edit));
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
    checkNotNotifying();
    int oldLength = length();
    // Recorded as one replacement of the whole text and a change of the first
    // paragraph's format (the others go and come with their line breaks).
    const bool rec = recording();
    BufferEdit whole;
    BufferEdit firstPara;
    if (rec) {
        whole.pos = 0;
        whole.removed = textRange(0, oldLength);
        whole.formatsBefore = spansOf(0, oldLength);
        whole.parasBefore = parasStartedIn(0, oldLength);
        firstPara.kind = BufferEdit::Kind::Paragraphs;
        firstPara.parasBefore = {paras_[0]};
    }
    // Formats per character from the runs; a run list that falls short of the
    // text is padded with the default attributes. Lone CR or LF become CR LF in
    // their own format; text already in shape is taken as it is.
    std::vector<FormatIndex> perChar = formatsOf(c, intern(default_));
    normaliseBreaks(c.text, perChar);

    text_.assign(c.text);
    fmtIndex_.assign(perChar);
    textView_ = std::move(c.text);
    textViewValid_ = true;
    std::vector<ParaFormat> paras = std::move(c.paragraphs);
    rebuildLines();
    paras.resize(std::size_t(lineCount()), paras.empty() ? ParaFormat{} : paras.back());
    for (ParaFormat& p : paras)
        p.startIndentTwips = std::clamp(p.startIndentTwips, -31680, 31680);
    paras_.assign(paras);
    if (rec) {
        whole.added = textRange(0, length());
        whole.formatsAfter = spansOf(0, length());
        whole.parasAfter = parasStartedIn(0, length());
        recorder_->record(std::move(whole));
        firstPara.parasAfter = {paras_[0]};
        if (firstPara.parasAfter != firstPara.parasBefore)
            recorder_->record(std::move(firstPara));
    }

    selStart_ = 0;
    selLength_ = 0;
    if (length() == 0)
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
    checkNotNotifying();
    if (literal.empty() || literal.find_first_of(u"\r\n") != std::u16string_view::npos)
        return 0;
    const std::size_t n = literal.size();
    const std::u16string& t = text();
    std::size_t at = t.find(literal);
    if (at == std::u16string::npos)
        return 0;
    const int first = int(at);
    const int oldLength = length();
    const bool rec = recording();
    BufferEdit edit;
    if (rec) {
        edit.pos = first;
        edit.removed = textRange(first, oldLength - first);
        edit.formatsBefore = spansOf(first, oldLength - first);
        edit.parasBefore = parasStartedIn(first, oldLength - first);
    }
    int removedBeforeCaret = 0;
    int count = 0;
    // Copy what lies between occurrences into new text and formats, in one pass.
    std::u16string kept;
    std::vector<FormatIndex> keptFormats;
    kept.reserve(t.size());
    keptFormats.reserve(t.size());
    std::size_t read = 0;
    while (at != std::u16string::npos) {
        kept.append(t, read, at - read);
        fmtIndex_.appendRange(int(read), int(at - read), keptFormats);
        if (int(at + n) <= selStart_)
            removedBeforeCaret += int(n);
        read = at + n;
        ++count;
        at = t.find(literal, read);
    }
    kept.append(t, read);
    fmtIndex_.appendRange(int(read), int(t.size() - read), keptFormats);
    text_.assign(kept);
    fmtIndex_.assign(keptFormats);
    textView_ = std::move(kept);
    textViewValid_ = true;
    // No line break was removed: the paragraphs stay, their starts move.
    rebuildLines();
    if (rec) {
        edit.added = textRange(first, length() - first);
        edit.formatsAfter = spansOf(first, length() - first);
        edit.parasAfter = parasStartedIn(first, length() - first);
        recorder_->record(std::move(edit));
    }
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
        std::vector<ParaFormat> formats;
        for (int k = 0; k < given; ++k) {
            ParaFormat p = c.paragraphs[std::size_t(k)];
            p.startIndentTwips = std::clamp(p.startIndentTwips, -31680, 31680);
            formats.push_back(p);
        }
        setParagraphs(firstLine, formats);
    }
    setSelectionRaw(start + int(text.size()), 0);
}

namespace {

// The start of every line of t: 0, and the position after each CR LF pair.
std::vector<int> lineStartsOf(std::u16string_view t) {
    std::vector<int> starts{0};
    for (std::size_t i = lanes::findEither(t.data(), 0, t.size(), u'\r', u'\r'); i + 1 < t.size();
         i = lanes::findEither(t.data(), i + 1, t.size(), u'\r', u'\r'))
        if (t[i + 1] == u'\n')
            starts.push_back(int(i) + 2);
    return starts;
}

} // namespace

void RichTextBuffer::rebuildLines() { lines_.assign(lineStartsOf(text()), length()); }

std::vector<ParaFormat> RichTextBuffer::paragraphList() const {
    std::vector<ParaFormat> out;
    out.reserve(std::size_t(paras_.length()));
    paras_.appendRange(0, paras_.length(), out);
    return out;
}

RichContent RichTextBuffer::content() const {
    RichContent c;
    c.text = text();
    c.paragraphs = paragraphList();
    // Runs of equal format indices, read piece by piece around the gap.
    FormatIndex current = 0;
    int run = 0;
    for (std::span<const FormatIndex> piece : fmtIndex_.segments(0, fmtIndex_.length())) {
        for (FormatIndex k : piece) {
            if (run > 0 && k != current) {
                c.runs.push_back(FormatRun{run, formats_[current]});
                run = 0;
            }
            current = k;
            ++run;
        }
    }
    if (run > 0)
        c.runs.push_back(FormatRun{run, formats_[current]});
    return c;
}

// ---------------------------------------------------------------- paragraphs

Alignment RichTextBuffer::paraAlignment() const {
    return paras_[lineOfPosition(selStart_)].alignment;
}

int RichTextBuffer::paraStartIndent() const {
    return paras_[lineOfPosition(selStart_)].startIndentTwips / 20;
}

void RichTextBuffer::changeParagraphs(const std::function<void(ParaFormat&)>& change) {
    checkNotNotifying();
    int first = lineOfPosition(selStart_);
    int last = lineOfPosition(selEnd());
    // A selection that ends where a paragraph starts does not reach into it.
    if (last > first && lineStart(last) == selEnd())
        --last;
    std::vector<ParaFormat> formats;
    formats.reserve(std::size_t(last - first + 1));
    for (int p = first; p <= last; ++p) {
        ParaFormat f = paras_[p];
        change(f);
        formats.push_back(f);
    }
    setParagraphs(first, formats);
}

void RichTextBuffer::setParagraphs(int first, const std::vector<ParaFormat>& formats) {
    checkNotNotifying();
    const int n = int(formats.size());
    if (first < 0 || first + n > lineCount())
        throw std::logic_error("a paragraph change lies outside the text");
    if (n == 0)
        return;
    if (recording()) {
        BufferEdit edit;
        edit.kind = BufferEdit::Kind::Paragraphs;
        edit.pos = first;
        paras_.appendRange(first, n, edit.parasBefore);
        edit.parasAfter = formats;
        // A command that changes nothing (aligning an aligned paragraph) is no step.
        if (edit.parasAfter != edit.parasBefore)
            recorder_->record(std::move(edit));
    }
    for (int k = 0; k < n; ++k)
        paras_.setValueAt(first + k, formats[std::size_t(k)]);
    const int last = first + n - 1;
    notify([=](BufferObserver& o) { o.paragraphFormatChanged(first, last); });
}

void RichTextBuffer::replay(const BufferEdit& e, bool undo) {
    switch (e.kind) {
    case BufferEdit::Kind::Text: {
        const std::u16string& now = undo ? e.added : e.removed;
        const std::u16string& then = undo ? e.removed : e.added;
        const std::vector<ParaFormat>& paras = undo ? e.parasBefore : e.parasAfter;
        if (e.pos < 0 || e.pos + int(now.size()) > length() ||
            textRange(e.pos, int(now.size())) != now)
            throw std::logic_error("a recorded text change does not match the text");
        replaceRange(e.pos, int(now.size()), then, undo ? e.formatsBefore : e.formatsAfter,
                     paras.empty() ? nullptr : paras.data());
        // The old selection may lie beyond the text now; the caller sets its own.
        setSelectionRaw(e.pos + int(then.size()), 0);
        break;
    }
    case BufferEdit::Kind::Format:
        setFormatSpans(e.pos, undo ? e.formatsBefore : e.formatsAfter);
        break;
    case BufferEdit::Kind::Paragraphs:
        setParagraphs(e.pos, undo ? e.parasBefore : e.parasAfter);
        break;
    }
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
    const std::u16string pattern = opts.matchCase ? std::u16string(what) : foldedCopy(what);
    const char16_t first = pattern[0];
    // One loop per case rule, so that the scan for the first character does not
    // test the options at every position.
    auto search = [&](auto fold) {
        auto matchesAt = [&](int i) {
            for (int k = 1; k < n; ++k)
                if (fold(text_[i + k]) != pattern[std::size_t(k)])
                    return false;
            if (opts.wholeWord) {
                const bool before = i > 0 && isWordChar(text_[i - 1]);
                const bool after = i + n < length() && isWordChar(text_[i + n]);
                if (before || after)
                    return false;
            }
            return true;
        };
        // The candidate starts [start, end - n], read piece by piece around the gap.
        int base = start;
        for (std::span<const char16_t> piece : text_.segments(start, end - n + 1 - start)) {
            const char16_t* p = piece.data();
            const int count = int(piece.size());
            for (int j = 0; j < count; ++j) {
                while (j < count && fold(p[j]) != first)
                    ++j;
                if (j < count && matchesAt(base + j))
                    return base + j;
            }
            base += count;
        }
        return -1;
    };
    if (opts.matchCase)
        return search([](char16_t c) { return c; });
    return search([](char16_t c) { return foldCase(c); });
}

int RichTextBuffer::lineOfPosition(int pos) const {
    return lines_.partitionFromPosition(std::clamp(pos, 0, length()));
}

int RichTextBuffer::lineStart(int line) const {
    if (line < 0 || line >= lineCount())
        return -1;
    return lines_.positionFromPartition(line);
}

// ---------------------------------------------------------------- loading and saving

LoadResult RichTextBuffer::readContent(std::string_view bytes, RichContent& c) const {
    c = RichContent{};
    if (looksLikeRtf(bytes)) {
        RtfReadResult r = readRtf(bytes, c);
        if (!r.ok)
            return LoadResult{false, r.error};
    } else if (zipxml::looksLikeZip(bytes)) {
        WordReadResult r = readWordProcessorFile(bytes, c);
        if (!r.ok)
            return LoadResult{false, r.error};
    } else if (looksLikePdf(bytes)) {
        if (!readPdf(bytes, c).ok)
            return LoadResult{false, "The PDF file holds no text that can be read."};
    } else {
        std::optional<std::u16string> text = text::decodeEssayText(bytes);
        if (!text)
            return LoadResult{false, "The data is neither RTF nor text."};
        c.text = std::move(*text);
        if (!c.text.empty())
            c.runs.push_back(FormatRun{int(c.text.size()), default_});
    }
    return LoadResult{true, {}};
}

LoadResult RichTextBuffer::loadFromBytes(std::string_view bytes) {
    RichContent c;
    LoadResult r = readContent(bytes, c);
    if (r.ok)
        assign(std::move(c));
    return r;
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
    if (!text_.check() || !fmtIndex_.check() || !paras_.check() || !lines_.check())
        return false;
    if (fmtIndex_.length() != text_.length())
        return false;
    for (int i = 0; i < fmtIndex_.length(); ++i)
        if (fmtIndex_[i] >= formats_.size())
            return false;
    const std::u16string t = textRange(0, length());
    if (hasLoneBreak(t) || (textViewValid_ && textView_ != t))
        return false;
    const std::vector<int> starts = lineStartsOf(t);
    if (int(starts.size()) != lineCount() || paras_.length() != lineCount() ||
        lines_.length() != length())
        return false;
    for (int line = 0; line < lineCount(); ++line)
        if (lineStart(line) != starts[std::size_t(line)])
            return false;
    if (selStart_ < 0 || selLength_ < 0 || selEnd() > length())
        return false;
    return !insidePair(selStart_) && !insidePair(selEnd());
}

} // namespace tallix
