#pragma once
// RichTextBuffer: the rich-text document the essay lives in.
//
// Positions are 0-based indexes into the whole text, one per UTF-16 code unit; a
// line break is always the two characters CR LF and takes two positions. Lines are
// paragraphs: the text between CR LF pairs.
//
// Invariants (check() verifies them):
//  - the text holds no lone CR and no lone LF;
//  - every character has a format; there is one paragraph format per paragraph;
//  - no selection boundary lies between the CR and the LF of a pair, so no edit
//    ever removes half of a pair.
//
// Every change of text or format passes through replaceRange(), applyFormat() or
// setParagraphs(), and observers hear of each change with its exact range after it
// is made. A recorder (the undo history) hears of it too, with what was there
// before, and replay() puts a recorded change back or makes it again through the
// same bottleneck.
//
// Storage: text, one format index per character and one paragraph format per line
// are gap buffers (SplitVector), and the line starts a Partitioning, so that an
// edit costs about the distance from the previous one, not the length of the
// document. Whole-document algorithms read single characters with charAt(), pieces
// with textRange() and searches with findText(); text() closes the gap into a copy
// that is only made again after the next edit.
#include "document/Partitioning.h"
#include "document/RichContent.h"
#include "document/SplitVector.h"
#include "document/UndoHistory.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tallix {

struct FindOptions {
    bool matchCase = false;
    bool wholeWord = false;
};

// Views subscribe to hear what changed. A handler must not edit the buffer.
class BufferObserver {
public:
    virtual ~BufferObserver() = default;
    // The characters [pos, pos + removed) were replaced by `added` characters
    // (formats included). A whole-text write or a load reports the whole range.
    virtual void textReplaced(int pos, int removed, int added) = 0;
    // The character formats of [pos, pos + length) changed.
    virtual void formatChanged(int pos, int length) = 0;
    // The paragraph formats of paragraphs first..last changed.
    virtual void paragraphFormatChanged(int first, int last) = 0;
    // The selection or caret moved.
    virtual void selectionChanged() {}
};

struct LoadResult {
    bool ok = false;
    std::string error;
};

class RichTextBuffer {
public:
    RichTextBuffer();
    RichTextBuffer(const RichTextBuffer&) = delete;
    RichTextBuffer& operator=(const RichTextBuffer&) = delete;

    // --- whole text -------------------------------------------------------------
    // The plain text, line breaks as CR LF. A view, valid until the next edit; the
    // first call after an edit copies the whole text, so loops that edit read with
    // charAt(), textRange() or findText() instead.
    const std::u16string& text() const;
    int length() const { return text_.length(); }
    // The character at pos; 0 outside [0, length).
    char16_t charAt(int pos) const { return text_.valueAt(pos); }
    // The characters [pos, pos + length), clamped to the text.
    std::u16string textRange(int pos, int length) const;
    // Replaces everything with plain text in the default attributes (line breaks
    // normalised to CR LF); the caret goes to 0. An empty string empties the buffer.
    void setText(std::u16string_view text);
    void clear() { setText(u""); }

    // --- selection ----------------------------------------------------------------
    int selStart() const { return selStart_; }
    int selLength() const { return selLength_; }
    int selEnd() const { return selStart_ + selLength_; }
    // Collapses the selection to a caret at pos, clamped to [0, length]. A position
    // between CR and LF keeps the previous start when that lay on either edge of
    // the same pair, else moves after the LF.
    void setSelStart(int pos);
    // Extends the selection from its start; clamped to the end; negative means 0.
    // An end between CR and LF is kept out of the pair the same way.
    void setSelLength(int length);
    // setSelStart(start) then setSelLength(length).
    void select(int start, int length);
    void selectAll();
    std::u16string selText() const;
    // Replaces the selection with plain text in the insertion formatting; the caret
    // ends after it. An empty string deletes the selection.
    void setSelText(std::u16string_view text);
    // Replaces the selection with rich content: its characters keep their formats
    // (characters the runs do not cover take the insertion formatting), and each
    // paragraph the content ends with a line break takes that paragraph's format
    // (when the content gives one: plain text gives none); the last, unfinished
    // one keeps the format of the paragraph it joins. Lone CR and LF become CR LF.
    // The caret ends after the inserted text.
    void insertContent(const RichContent& content);
    // Deletes every occurrence of a literal that holds no line break, in one pass
    // over the text (case-sensitive, leftmost first, occurrences not overlapping).
    // The caret goes to where the selection start was, less what was removed
    // before it. Returns how many were removed.
    int removeAll(std::u16string_view literal);

    // --- character formatting of the selection ----------------------------------
    // Reading: the format of the first selected character; with an empty selection,
    // the insertion formatting. Writing: the whole selection, or the insertion
    // formatting when the selection is empty.
    Colour selColour() const { return readFormat().colour; }
    void setSelColour(Colour c);
    StyleSet selStyle() const { return readFormat().style; }
    void setSelStyle(StyleSet s);
    int selSize() const { return readFormat().sizePoints(); }
    void setSelSize(int points);
    std::u16string selFontName() const { return readFormat().fontName; }
    void setSelFontName(std::u16string_view name); // truncated to 31 characters
    int selOffset() const { return readFormat().offsetTwips; }
    // Changes only the vertical offset.
    void setSelOffset(int twips);
    // All attributes at once.
    CharFormat selFormat() const { return readFormat(); }
    void setSelFormat(const CharFormat& f);
    // True when one colour covers the whole selection (always true when empty).
    bool selColourConsistent() const;
    // Copies the default attributes into the selection's attributes.
    void resetInsertionFormat() { setSelFormat(default_); }
    const CharFormat& insertionFormat() const { return insertion_; }

    const CharFormat& defaultFormat() const { return default_; }
    void setDefaultFormat(const CharFormat& f);

    // Format of the character at pos (0 <= pos < length).
    const CharFormat& formatAt(int pos) const { return formats_[fmtIndex_[pos]]; }
    Colour colourAt(int pos) const { return formatAt(pos).colour; }

    // --- paragraphs -------------------------------------------------------------------
    // Read from the paragraph of the selection start; written to every paragraph
    // the selection touches.
    Alignment paraAlignment() const;
    void setParaAlignment(Alignment a);
    int paraStartIndent() const; // points
    void setParaStartIndent(int points);
    // The format of a line, 0 <= line < lineCount().
    const ParaFormat& paragraphFormat(int line) const { return paras_[line]; }

    // --- find ---------------------------------------------------------------------------
    // First match of what within [start, start + length) (length clamped to the
    // end), or -1. Case-insensitive unless asked. An empty search string finds
    // nothing.
    int findText(std::u16string_view what, int start, int length, FindOptions opts = {}) const;

    // --- lines --------------------------------------------------------------------------
    int lineCount() const { return lines_.partitions(); }
    // The line holding pos (clamped to [0, length]); O(log lines).
    int lineOfPosition(int pos) const;
    // The first position of a line, or -1 for a line that does not exist; O(1).
    int lineStart(int line) const;

    // --- loading and saving ---------------------------------------------------------
    // Replaces the whole document; the caret goes to 0.
    void assign(RichContent content);
    RichContent content() const;
    // RTF when the bytes start with "{\rtf", a Word or OpenDocument file when they
    // are a zip archive, else plain text (with the encoding rule of text files) in
    // the default attributes. On failure the buffer is unchanged.
    LoadResult loadFromBytes(std::string_view bytes);
    // What loadFromBytes would load, read into out without touching the buffer.
    LoadResult readContent(std::string_view bytes, RichContent& out) const;
    LoadResult loadFromFile(const std::string& path);
    std::string saveRtf() const;

    // --- views ------------------------------------------------------------------------
    void addObserver(BufferObserver* o);
    void removeObserver(BufferObserver* o);

    // --- undo -------------------------------------------------------------------------
    // The recorder every change is reported to (nullptr: none).
    void setRecorder(EditRecorder* r) { recorder_ = r; }
    EditRecorder* recorder() const { return recorder_; }
    // Makes a recorded change again (undo false) or takes it back (undo true). The
    // buffer must be in the state the change left (made) it in. The selection is
    // left to the caller.
    void replay(const BufferEdit& edit, bool undo);

    // Verifies the invariants; for tests.
    bool check() const;

private:
    using FormatIndex = std::uint32_t;

    const CharFormat& readFormat() const;
    FormatIndex intern(const CharFormat& f);
    // One format index per character of c, from its runs; characters the runs do
    // not cover take padding.
    std::vector<FormatIndex> formatsOf(const RichContent& c, FormatIndex padding);
    void refreshInsertion();
    int keepOutOfPair(int pos, int previous) const;
    bool insidePair(int pos) const {
        return pos > 0 && pos < length() && text_[pos - 1] == u'\r' && text_[pos] == u'\n';
    }
    // The one bottleneck for text changes: [pos, pos + removed) becomes added, whose
    // characters take the formats of the spans (which cover it), and the
    // paragraphs its line breaks start take paras (when given, one per break) or
    // the format of the paragraph they split.
    void replaceRange(int pos, int removed, std::u16string_view added,
                      const std::vector<FormatSpan>& spans, const ParaFormat* paras);
    void replaceRange(int pos, int removed, std::u16string_view added, FormatIndex fmt);
    // The formats of [pos, pos + length) as spans.
    std::vector<FormatSpan> spansOf(int pos, int length) const;
    // The formats of the paragraphs that start in (pos, pos + length].
    std::vector<ParaFormat> parasStartedIn(int pos, int length) const;
    // The character formats of a range from spans, through the format bottleneck.
    void setFormatSpans(int pos, const std::vector<FormatSpan>& spans);
    // The formats of the paragraphs first, first + 1, ...: the paragraph bottleneck.
    void setParagraphs(int first, const std::vector<ParaFormat>& formats);
    bool recording() const { return recorder_ && recorder_->recording(); }
    void checkNotNotifying() const;
    // The one bottleneck for character format changes over [pos, pos + len).
    void applyFormat(int pos, int len, const std::function<void(CharFormat&)>& change);
    void changeSelFormat(const std::function<void(CharFormat&)>& change);
    void changeParagraphs(const std::function<void(ParaFormat&)>& change);
    // Line starts found anew from the text, for a whole-text change.
    void rebuildLines();
    // The line formats as a list, and back.
    std::vector<ParaFormat> paragraphList() const;
    void setSelectionRaw(int start, int length);

    template <typename F> void notify(F&& f);

    SplitVector<char16_t> text_;
    SplitVector<FormatIndex> fmtIndex_;       // one per character
    std::vector<CharFormat> formats_;         // distinct formats, stored once
    std::unordered_map<std::size_t, std::vector<FormatIndex>> formatLookup_;
    Partitioning lines_;                      // first position of each paragraph
    SplitVector<ParaFormat> paras_;           // one per paragraph

    // The contiguous copy text() hands out, made again after an edit.
    mutable std::u16string textView_;
    mutable bool textViewValid_ = true;

    int selStart_ = 0;
    int selLength_ = 0;
    CharFormat default_;
    CharFormat insertion_;

    std::vector<BufferObserver*> observers_;
    bool notifying_ = false;
    EditRecorder* recorder_ = nullptr;
};

} // namespace tallix
