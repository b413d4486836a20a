#pragma once
// The essay's undo history.
//
// Every change of the essay passes through the buffer's edit bottleneck, which
// hands the history a record of it (BufferEdit: the position, the text removed
// and inserted with their formats, the paragraph formats that went and came).
// The document adds the changes of its trailer fields that commands make (a
// comment inserted into or erased from the list, the bookmark names). A command
// opens a step and every change made until it closes joins that step; changes
// made outside any step form a step each. Typing coalesces: a typing step takes
// the next keystroke while it is adjacent, within a pause, and does not start a
// new word.
//
// Undo replays the inverse of a step's changes, last first, through the same
// bottleneck, so views, the guard and the recovery file follow as for any edit;
// redo replays them again. The save point is an index into the history, so
// whether the essay differs from its saved state is derived, never stored.
//
// The history is bounded by a number of steps and by memory; the oldest steps go
// first. Loading or emptying the document clears it.
#include "document/Bookmarks.h"
#include "document/RichContent.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tallix {

class RichTextBuffer;

// What a step did, for the menu's caption ("Undo Annotation").
enum class StepKind {
    Edit, // a change made outside any command
    Typing,
    Paste,
    Drop,
    Cut,
    Delete,
    Alignment,
    Indent,
    Font,
    Annotation,
    DeleteAnnotation,
    AddComment,
    DeleteComment,
    AddBookmark,
    DeleteBookmark,
    StripReturns,
    MacQuotes,
    MacCharacters,
    TrimEnd,
};

// "Typing", "Annotation", "Delete Comment", ...
std::u16string stepName(StepKind kind);

// A run of characters sharing one entry of the buffer's format table. Entries
// are never removed from the table, so an index stays valid for the buffer's
// life.
struct FormatSpan {
    int length = 0;
    std::uint32_t format = 0;
};

// One primitive change of a buffer, as its edit bottleneck made it.
struct BufferEdit {
    enum class Kind {
        Text,       // [pos, pos + removed.size()) became added
        Format,     // the character formats of [pos, pos + length) changed
        Paragraphs, // the formats of the paragraphs pos, pos + 1, ... changed
    };
    Kind kind = Kind::Text;
    int pos = 0;
    // Text: the characters removed and inserted.
    std::u16string removed;
    std::u16string added;
    // Text: the formats of the removed and of the inserted characters. Format:
    // the formats of the range before and after.
    std::vector<FormatSpan> formatsBefore;
    std::vector<FormatSpan> formatsAfter;
    // Text: the formats of the paragraphs that the line breaks of the removed
    // (inserted) characters started, in order. Paragraphs: the formats before and
    // after.
    std::vector<ParaFormat> parasBefore;
    std::vector<ParaFormat> parasAfter;

    // Format: the length of the range.
    int formatLength() const;
    std::size_t bytes() const;
};

// What a buffer's edit bottleneck reports to. Steps may nest: the outermost
// one counts.
class EditRecorder {
public:
    virtual ~EditRecorder() = default;
    // False while changes are not wanted (a replay, a load): the buffer then
    // need not make records at all.
    virtual bool recording() const = 0;
    virtual void record(BufferEdit&& edit) = 0;
    virtual void beginStep(StepKind kind) = 0;
    virtual void endStep() = 0;
};

// Opens a step on a buffer's recorder for the life of the object (nothing when
// the buffer has none).
class UndoGroup {
public:
    UndoGroup(RichTextBuffer& buffer, StepKind kind);
    ~UndoGroup();
    UndoGroup(const UndoGroup&) = delete;
    UndoGroup& operator=(const UndoGroup&) = delete;

private:
    EditRecorder* recorder_;
};

class UndoHistory final : public EditRecorder {
public:
    static constexpr int DefaultMaxSteps = 1000;
    static constexpr std::size_t DefaultMaxBytes = std::size_t(64) << 20;
    // Keystrokes further apart than this start a new typing step.
    static constexpr std::int64_t TypingPauseMs = 1500;

    // Records the changes of essay (it attaches itself as its recorder) and of
    // the document's comment list and bookmark names.
    UndoHistory(RichTextBuffer& essay, std::vector<std::u16string>& comments,
                Bookmarks& bookmarks);
    ~UndoHistory() override;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // --- EditRecorder --------------------------------------------------------------
    bool recording() const override { return suspended_ == 0 && !replaying_; }
    void record(BufferEdit&& edit) override;
    void beginStep(StepKind kind) override;
    void endStep() override;

    // --- the document's own fields -------------------------------------------------
    // A new (empty or given) comment text went into the list at index.
    void recordCommentInserted(int index);
    // The comment at index, with this text, left the list.
    void recordCommentErased(int index, std::u16string text);
    // The bookmark names changed.
    void recordBookmarks(const Bookmarks& before, const Bookmarks& after);

    // --- undo and redo -----------------------------------------------------------------
    bool canUndo() const { return depth_ == 0 && index_ > 0; }
    bool canRedo() const { return depth_ == 0 && index_ < int(steps_.size()); }
    std::optional<StepKind> undoKind() const;
    std::optional<StepKind> redoKind() const;
    // Undoes the last step done; false when there is none (or a step is open).
    bool undo();
    // Redoes the next step undone; false when there is none.
    bool redo();
    // The comment list index the last undo or redo inserted or erased, if any.
    std::optional<int> lastCommentTouched() const { return lastComment_; }

    // --- the save point ------------------------------------------------------------------
    // The present state is the saved (or loaded) one.
    void setSavePoint();
    // True when the essay and the recorded fields are as at the save point.
    bool atSavePoint() const;

    // Forgets every step; the present state becomes the save point.
    void clear();
    // Forgets the steps that could be redone.
    void discardRedo();

    // --- limits and figures ----------------------------------------------------------------
    void setLimits(int maxSteps, std::size_t maxBytes);
    int stepCount() const { return int(steps_.size()); }
    int index() const { return index_; }
    std::size_t bytes() const { return bytes_; }
    // Milliseconds of a steady clock; tests set their own.
    void setClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }
    // Called after every change of what can be undone or redone.
    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

    // Changes made while one of these lives are not recorded (loading).
    class Suspend {
    public:
        explicit Suspend(UndoHistory& h) : h_(h) { ++h_.suspended_; }
        ~Suspend() { --h_.suspended_; }
        Suspend(const Suspend&) = delete;
        Suspend& operator=(const Suspend&) = delete;

    private:
        UndoHistory& h_;
    };

private:
    struct CommentChange {
        bool inserted = true; // else erased
        int index = 0;
        std::u16string text; // the text it had when it last left the list
    };
    // Kept aside, so that every change of the history is not as large as two
    // sets of names.
    struct BookmarkChange {
        std::shared_ptr<const Bookmarks> before;
        std::shared_ptr<const Bookmarks> after;
    };
    using Change = std::variant<BufferEdit, CommentChange, BookmarkChange>;

    struct Step {
        StepKind kind = StepKind::Edit;
        std::vector<Change> changes;
        int selStartBefore = 0, selLengthBefore = 0;
        int selStartAfter = 0, selLengthAfter = 0;
        std::size_t bytes = 0;
        // Typing: when the last keystroke came and whether it ended a word.
        std::int64_t lastTime = 0;
        bool endedWord = false;
    };

    static std::size_t bytesOf(const Change& c);
    std::int64_t now() const;
    void add(Change&& c);
    // The first change of the open step: the redo steps go, and a typing step
    // may continue the one before.
    void startChanges(const BufferEdit* first);
    bool continuesTyping(const Step& previous, const BufferEdit& e) const;
    static bool mergeTyping(BufferEdit& last, const BufferEdit& e);
    void applyChange(Change& c, bool undo);
    void restoreSelection(int start, int length);
    void enforceLimits();
    void changed();

    RichTextBuffer& essay_;
    std::vector<std::u16string>& comments_;
    Bookmarks& bookmarks_;

    std::deque<Step> steps_;
    int index_ = 0;      // steps done; steps_[index_ ..] can be redone
    int savePoint_ = 0;  // the index of the saved state; -1 when it is gone
    std::size_t bytes_ = 0;
    int maxSteps_ = DefaultMaxSteps;
    std::size_t maxBytes_ = DefaultMaxBytes;

    int depth_ = 0;
    std::optional<Step> open_;
    bool openHasChanges_ = false;
    int suspended_ = 0;
    bool replaying_ = false;
    std::optional<int> lastComment_;
    std::function<std::int64_t()> clock_;
    std::function<void()> listener_;
};

} // namespace tallix
