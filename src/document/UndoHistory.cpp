#include "document/UndoHistory.h"

#include "platform/CaseFold.h"
#include "document/RichTextBuffer.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace tallix {

std::u16string stepName(StepKind kind) {
    switch (kind) {
    case StepKind::Edit:
        return u"Edit";
    case StepKind::Typing:
        return u"Typing";
    case StepKind::Paste:
        return u"Paste";
    case StepKind::Drop:
        return u"Drag and Drop";
    case StepKind::Cut:
        return u"Cut";
    case StepKind::Delete:
        return u"Delete";
    case StepKind::Alignment:
        return u"Alignment";
    case StepKind::Indent:
        return u"Indent";
    case StepKind::Font:
        return u"Font";
    case StepKind::Annotation:
        return u"Annotation";
    case StepKind::DeleteAnnotation:
        return u"Delete Annotation";
    case StepKind::AddComment:
        return u"Add Comment";
    case StepKind::DeleteComment:
        return u"Delete Comment";
    case StepKind::AddBookmark:
        return u"Add Bookmark";
    case StepKind::DeleteBookmark:
        return u"Delete Bookmark";
    case StepKind::StripReturns:
        return u"Strip Returns";
    case StepKind::MacQuotes:
        return u"Replace Mac Smart Quotes";
    case StepKind::MacCharacters:
        return u"Convert All Mac Characters";
    case StepKind::TrimEnd:
        return u"Trim End";
    }
    return u"Edit";
}

int BufferEdit::formatLength() const {
    int n = 0;
    for (const FormatSpan& s : formatsAfter)
        n += s.length;
    return n;
}

std::size_t BufferEdit::bytes() const {
    return sizeof(BufferEdit) + (removed.size() + added.size()) * sizeof(char16_t) +
           (formatsBefore.size() + formatsAfter.size()) * sizeof(FormatSpan) +
           (parasBefore.size() + parasAfter.size()) * sizeof(ParaFormat);
}

UndoGroup::UndoGroup(RichTextBuffer& buffer, StepKind kind) : recorder_(buffer.recorder()) {
    if (recorder_)
        recorder_->beginStep(kind);
}

UndoGroup::~UndoGroup() {
    if (recorder_)
        recorder_->endStep();
}

// ------------------------------------------------------------------ the history

UndoHistory::UndoHistory(RichTextBuffer& essay, std::vector<std::u16string>& comments,
                         Bookmarks& bookmarks)
    : essay_(essay), comments_(comments), bookmarks_(bookmarks) {
    essay_.setRecorder(this);
}

UndoHistory::~UndoHistory() {
    if (essay_.recorder() == this)
        essay_.setRecorder(nullptr);
}

std::int64_t UndoHistory::now() const {
    if (clock_)
        return clock_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::size_t UndoHistory::bytesOf(const Change& c) {
    if (const auto* e = std::get_if<BufferEdit>(&c))
        return e->bytes();
    if (const auto* cc = std::get_if<CommentChange>(&c))
        return sizeof(Change) + cc->text.size() * sizeof(char16_t);
    std::size_t n = sizeof(Change);
    const auto& b = std::get<BookmarkChange>(c);
    for (const Bookmarks* marks : {b.before.get(), b.after.get()}) {
        n += sizeof(Bookmarks);
        for (const auto& name : marks->names)
            n += name.size() * sizeof(char16_t);
    }
    return n;
}

void UndoHistory::changed() {
    if (listener_)
        listener_();
}

void UndoHistory::beginStep(StepKind kind) {
    if (depth_++ > 0)
        return; // an inner step joins the outer one
    open_ = Step{};
    open_->kind = kind;
    open_->selStartBefore = essay_.selStart();
    open_->selLengthBefore = essay_.selLength();
    openHasChanges_ = false;
}

void UndoHistory::endStep() {
    if (depth_ == 0 || --depth_ > 0)
        return;
    Step step = std::move(*open_);
    open_.reset();
    if (!openHasChanges_)
        return;
    openHasChanges_ = false;
    step.selStartAfter = essay_.selStart();
    step.selLengthAfter = essay_.selLength();
    bytes_ += step.bytes;
    steps_.push_back(std::move(step));
    ++index_;
    enforceLimits();
    changed();
}

void UndoHistory::startChanges(const BufferEdit* first) {
    openHasChanges_ = true;
    lastComment_.reset();
    // A change after some undos: what could be redone is gone, and with it the
    // save point when it lay there.
    while (int(steps_.size()) > index_) {
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    if (savePoint_ > index_)
        savePoint_ = -1;
    if (open_->kind != StepKind::Typing || !first || index_ == 0)
        return;
    Step& previous = steps_.back();
    if (!continuesTyping(previous, *first))
        return;
    // The keystroke continues the last typing step: that step is open again.
    Step resumed = std::move(previous);
    steps_.pop_back();
    --index_;
    bytes_ -= resumed.bytes;
    open_ = std::move(resumed);
}

bool UndoHistory::continuesTyping(const Step& previous, const BufferEdit& e) const {
    if (previous.kind != StepKind::Typing || savePoint_ == index_ || previous.changes.empty())
        return false;
    if (now() - previous.lastTime > TypingPauseMs)
        return false;
    const auto* last = std::get_if<BufferEdit>(&previous.changes.back());
    if (!last || last->kind != BufferEdit::Kind::Text || e.kind != BufferEdit::Kind::Text)
        return false;
    // Typing over a selection starts afresh.
    if (!e.removed.empty() && !e.added.empty())
        return false;
    // A new word starts a new step.
    if (previous.endedWord && !e.added.empty() && isWordChar(e.added.front()))
        return false;
    // The keystroke must touch where the last one left the caret.
    const int lastEnd = last->pos + int(last->added.size());
    return e.pos == lastEnd || e.pos + int(e.removed.size()) == lastEnd ||
           (last->added.empty() && e.pos == last->pos);
}

bool UndoHistory::mergeTyping(BufferEdit& last, const BufferEdit& e) {
    if (last.kind != BufferEdit::Kind::Text || e.kind != BufferEdit::Kind::Text)
        return false;
    auto appendSpans = [](std::vector<FormatSpan>& to, const std::vector<FormatSpan>& from) {
        for (const FormatSpan& s : from) {
            if (!to.empty() && to.back().format == s.format)
                to.back().length += s.length;
            else
                to.push_back(s);
        }
    };
    if (e.removed.empty() && last.removed.empty() &&
        e.pos == last.pos + int(last.added.size())) { // one more character typed
        last.added += e.added;
        appendSpans(last.formatsAfter, e.formatsAfter);
        last.parasAfter.insert(last.parasAfter.end(), e.parasAfter.begin(), e.parasAfter.end());
        return true;
    }
    if (!e.added.empty() || !last.added.empty())
        return false;
    if (e.pos + int(e.removed.size()) == last.pos) { // Backspace again
        BufferEdit merged = e;
        merged.removed += last.removed;
        appendSpans(merged.formatsBefore, last.formatsBefore);
        merged.parasBefore.insert(merged.parasBefore.end(), last.parasBefore.begin(),
                                  last.parasBefore.end());
        last = std::move(merged);
        return true;
    }
    if (e.pos == last.pos) { // Delete again
        last.removed += e.removed;
        appendSpans(last.formatsBefore, e.formatsBefore);
        last.parasBefore.insert(last.parasBefore.end(), e.parasBefore.begin(),
                                e.parasBefore.end());
        return true;
    }
    return false;
}

void UndoHistory::add(Change&& c) {
    if (open_->kind == StepKind::Typing && !open_->changes.empty()) {
        auto* last = std::get_if<BufferEdit>(&open_->changes.back());
        const auto* e = std::get_if<BufferEdit>(&c);
        if (last && e) {
            const std::size_t before = last->bytes();
            if (mergeTyping(*last, *e)) {
                open_->bytes = open_->bytes - before + last->bytes();
                return;
            }
        }
    }
    open_->bytes += bytesOf(c);
    open_->changes.push_back(std::move(c));
}

void UndoHistory::record(BufferEdit&& e) {
    if (!recording())
        return;
    if (depth_ == 0) {
        // A change outside any command is a step of its own.
        beginStep(StepKind::Edit);
        record(std::move(e));
        endStep();
        return;
    }
    if (!openHasChanges_)
        startChanges(&e);
    if (open_->kind == StepKind::Typing) {
        open_->lastTime = now();
        if (!e.added.empty())
            open_->endedWord = !isWordChar(e.added.back());
        else
            open_->endedWord = false;
    }
    add(Change{std::move(e)});
}

void UndoHistory::recordCommentInserted(int index) {
    if (!recording())
        return;
    UndoGroup group(essay_, StepKind::AddComment);
    if (!openHasChanges_)
        startChanges(nullptr);
    add(Change{CommentChange{true, index, {}}});
}

void UndoHistory::recordCommentErased(int index, std::u16string text) {
    if (!recording())
        return;
    UndoGroup group(essay_, StepKind::DeleteComment);
    if (!openHasChanges_)
        startChanges(nullptr);
    add(Change{CommentChange{false, index, std::move(text)}});
}

void UndoHistory::recordBookmarks(const Bookmarks& before, const Bookmarks& after) {
    if (!recording() || (before.names == after.names && before.count == after.count))
        return;
    UndoGroup group(essay_, StepKind::Edit);
    if (!openHasChanges_)
        startChanges(nullptr);
    add(Change{BookmarkChange{std::make_shared<const Bookmarks>(before),
                              std::make_shared<const Bookmarks>(after)}});
}

// ------------------------------------------------------------------ undo and redo

std::optional<StepKind> UndoHistory::undoKind() const {
    if (!canUndo())
        return std::nullopt;
    return steps_[std::size_t(index_ - 1)].kind;
}

std::optional<StepKind> UndoHistory::redoKind() const {
    if (!canRedo())
        return std::nullopt;
    return steps_[std::size_t(index_)].kind;
}

void UndoHistory::applyChange(Change& c, bool undo) {
    if (auto* e = std::get_if<BufferEdit>(&c)) {
        essay_.replay(*e, undo);
    } else if (auto* cc = std::get_if<CommentChange>(&c)) {
        const bool insert = cc->inserted != undo;
        const std::size_t at = std::min(std::size_t(std::max(cc->index, 0)), comments_.size());
        if (insert) {
            comments_.insert(comments_.begin() + std::ptrdiff_t(at), cc->text);
        } else if (at < comments_.size()) {
            // What was typed into the comment meanwhile comes back with a redo.
            cc->text = std::move(comments_[at]);
            comments_.erase(comments_.begin() + std::ptrdiff_t(at));
        }
        lastComment_ = int(at);
    } else {
        auto& b = std::get<BookmarkChange>(c);
        bookmarks_ = undo ? *b.before : *b.after;
    }
}

void UndoHistory::restoreSelection(int start, int length) {
    essay_.select(start, length);
}

bool UndoHistory::undo() {
    if (!canUndo())
        return false;
    Step& step = steps_[std::size_t(index_ - 1)];
    lastComment_.reset();
    replaying_ = true;
    try {
        for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
            applyChange(*it, true);
    } catch (...) {
        replaying_ = false;
        throw;
    }
    replaying_ = false;
    --index_;
    restoreSelection(step.selStartBefore, step.selLengthBefore);
    changed();
    return true;
}

bool UndoHistory::redo() {
    if (!canRedo())
        return false;
    Step& step = steps_[std::size_t(index_)];
    lastComment_.reset();
    replaying_ = true;
    try {
        for (Change& c : step.changes)
            applyChange(c, false);
    } catch (...) {
        replaying_ = false;
        throw;
    }
    replaying_ = false;
    ++index_;
    // A step redone is not continued by the next keystroke.
    step.lastTime = std::numeric_limits<std::int64_t>::min() / 2;
    restoreSelection(step.selStartAfter, step.selLengthAfter);
    changed();
    return true;
}

// ------------------------------------------------------------------ save point and limits

void UndoHistory::setSavePoint() {
    savePoint_ = index_;
    changed();
}

bool UndoHistory::atSavePoint() const {
    return savePoint_ == index_ && !(depth_ > 0 && openHasChanges_);
}

void UndoHistory::clear() {
    steps_.clear();
    index_ = 0;
    savePoint_ = 0;
    bytes_ = 0;
    lastComment_.reset();
    changed();
}

void UndoHistory::discardRedo() {
    while (int(steps_.size()) > index_) {
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    if (savePoint_ > index_)
        savePoint_ = -1;
    changed();
}

void UndoHistory::setLimits(int maxSteps, std::size_t maxBytes) {
    maxSteps_ = std::max(maxSteps, 1);
    maxBytes_ = maxBytes;
    enforceLimits();
}

void UndoHistory::enforceLimits() {
    // The newest step stays whatever its size: it is the one most likely wanted.
    while (steps_.size() > 1 && index_ > 0 &&
           (int(steps_.size()) > maxSteps_ || bytes_ > maxBytes_)) {
        bytes_ -= steps_.front().bytes;
        steps_.pop_front();
        --index_;
        // The saved state lay before the dropped step: it cannot be reached now.
        savePoint_ = savePoint_ > 0 ? savePoint_ - 1 : -1;
    }
}

} // namespace tallix
