// Undo and redo of one step in marked essays of 100 KB, 1 MB and 3 MB: an
// annotation made, undone, redone and undone again, and a comment added and
// undone. A step is stored as the changes it made, so undoing it should cost
// about the same whatever the length of the essay; a comment in the middle adds
// the renumbering of the markers after it, which its undo takes back one by one.
#include "MarkedEssay.h"

#include "annotations/Annotating.h"
#include "document/Comments.h"
#include "document/MarkedDocument.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace tallix;

namespace {

bool isPlainWordAt(const RichTextBuffer& b, int at, int length) {
    if (at < 1 || at + length + 1 >= b.length())
        return false;
    for (int i = at - 1; i <= at + length; ++i)
        if (b.colourAt(i) != clBlack)
            return false;
    for (int i = at; i < at + length; ++i) {
        const char16_t c = b.charAt(i);
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

// The first plain black word of four letters or more from `from` on.
int plainWordFrom(const RichTextBuffer& b, int from) {
    for (int i = from; i + 6 < b.length(); ++i)
        if (isPlainWordAt(b, i, 4))
            return i;
    return -1;
}

// A marked document made from a generated essay: its markers numbered and the
// comment list as long as there are markers; no history yet.
std::unique_ptr<MarkedDocument> markedDocument(std::size_t chars) {
    auto d = std::make_unique<MarkedDocument>();
    {
        UndoHistory::Suspend quiet(d->history());
        d->essay().assign(bench::makeMarkedEssay({chars, -1, 11}));
    }
    RichTextBuffer& b = d->essay();
    int markers = 0;
    for (int i = 0; i < b.length(); ++i)
        if (b.colourAt(i) == clGreen && (i == 0 || b.colourAt(i - 1) != clGreen))
            ++markers;
    d->commentTexts.assign(std::size_t(markers), u"A comment.");
    d->notes.selectorMax = d->notes.selectorValue = markers;
    d->history().clear();
    d->documentChanged = false;
    return d;
}

MarkedDocument& cached(std::size_t chars) {
    static std::map<std::size_t, std::unique_ptr<MarkedDocument>> docs;
    auto& d = docs[chars];
    if (!d)
        d = markedDocument(chars);
    return *d;
}

// One cycle: annotate a word in the middle, undo, redo, undo (four steps).
void BM_AnnotateUndoRedo(benchmark::State& state) {
    MarkedDocument& d = cached(std::size_t(state.range(0)));
    RichTextBuffer& b = d.essay();
    const int at = plainWordFrom(b, b.length() / 2);
    if (at < 0) {
        state.SkipWithError("no plain word");
        return;
    }
    for (auto _ : state) {
        b.select(at, 4);
        if (annotateWithEntry(b, u"Sp", clRed))
            state.SkipWithError("annotation refused");
        d.undo();
        d.redo();
        d.undo();
    }
    state.counters["per_step"] = benchmark::Counter(
        double(state.iterations()) * 4, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One cycle: add a comment and undo it. range(1): 0 puts it after the last
// marker (no renumbering), 1 in the middle of the essay (half the markers move).
void BM_CommentAddUndo(benchmark::State& state) {
    MarkedDocument& d = cached(std::size_t(state.range(0)));
    RichTextBuffer& b = d.essay();
    const int from = state.range(1) == 0 ? b.length() - 2000 : b.length() / 2;
    int at = plainWordFrom(b, std::max(from, 1));
    if (state.range(1) == 0) {
        // After the last marker.
        int last = -1;
        for (int i = b.length() - 1; i >= 0 && last < 0; --i)
            if (b.colourAt(i) == clGreen)
                last = i;
        at = plainWordFrom(b, last + 1);
    }
    if (at < 0) {
        state.SkipWithError("no plain word");
        return;
    }
    const std::size_t comments = d.commentTexts.size();
    for (auto _ : state) {
        b.select(at, 4);
        if (comments::addComment(d))
            state.SkipWithError("comment refused");
        d.undo();
    }
    if (d.commentTexts.size() != comments)
        state.SkipWithError("the comment list did not come back");
    state.counters["per_step"] = benchmark::Counter(
        double(state.iterations()) * 2, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_AnnotateUndoRedo)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(3'000'000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CommentAddUndo)
    ->Args({100'000, 0})
    ->Args({1'000'000, 0})
    ->Args({3'000'000, 0})
    ->Args({100'000, 1})
    ->Args({1'000'000, 1})
    ->Args({3'000'000, 1})
    ->Unit(benchmark::kMicrosecond);
