// Typing into the essay view of the marking window: one key press (and release)
// at a time, through the same path as a teacher's keys (shortcut override, the
// guard, the view, the buffer, the window's change and caret hooks), with the
// events it leaves behind (selection sync, status bar, painting) handled before
// the next key. Essays of 100 KB, 1 MB and 3 MB; the caret at the start of the
// text and at its end. Processor time per key is the figure that matters.
//
// Runs under Qt's offscreen platform with a program folder and settings file of
// its own, so no file of the user's is read or written.
#include "MarkedEssay.h"

#include "app/TfrmTallix32.h"
#include "document/EditGuard.h"
#include "document/qt/MarkRichEdit.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace tallix;

namespace {

// One window per essay size, kept for every benchmark of that size.
struct TypingWindow {
    QTemporaryDir home;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<TfrmTallix32> window;
};

// Emptied before the application goes.
std::map<std::size_t, std::unique_ptr<TypingWindow>>& openWindows() {
    static std::map<std::size_t, std::unique_ptr<TypingWindow>> windows;
    return windows;
}

TypingWindow& windowWithEssay(std::size_t chars) {
    auto& windows = openWindows();
    auto& slot = windows[chars];
    if (slot)
        return *slot;
    // One window at a time: the others would be laid out and painted too.
    windows.clear();
    auto& fresh = windows[chars];
    fresh = std::make_unique<TypingWindow>();
    TypingWindow& t = *fresh;
    qputenv("TALLIX32_HOME", QDir(t.home.path()).absolutePath().toUtf8() + "/");
    t.settings = std::make_unique<SettingsStore>(t.home.filePath(QStringLiteral("settings.conf")));
    t.window = std::make_unique<TfrmTallix32>(*t.settings);
    t.window->show();
    QApplication::processEvents();
    t.window->document().essay().assign(bench::makeMarkedEssay({chars, -1, 42}));
    t.window->refreshFromDocument();
    // Lay the whole text out now, so that no background layout runs while keys
    // are timed (the scroll bar's arrival narrows the view once and starts it
    // again), and the view has settled.
    QTextDocument* doc = t.window->MarkRichEdit->document();
    QSizeF size;
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
        doc->documentLayout()->blockBoundingRect(doc->lastBlock());
        QApplication::processEvents();
        const QSizeF now = doc->documentLayout()->documentSize();
        if (round > 2 && now == size)
            break;
        size = now;
    }
    return t;
}

// Counts the paints of the essay view, to show that the figures include them.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The black position nearest to want (where typing is allowed).
int editablePosition(RichTextBuffer& b, int want) {
    for (int d = 0; d < b.length(); ++d)
        for (int at : {want - d, want + d})
            if (at >= 0 && at <= b.length()) {
                b.select(at, 0);
                if (guard::isEditable(b))
                    return at;
            }
    return want;
}

void BM_TypeKey(benchmark::State& state) {
    const auto chars = std::size_t(state.range(0));
    const bool atEnd = state.range(1) != 0;
    TypingWindow& t = windowWithEssay(chars);
    TfrmTallix32& w = *t.window;
    RichTextBuffer& b = w.document().essay();
    const int at = editablePosition(b, atEnd ? b.length() : 0);
    b.select(at, 0);
    w.MarkRichEdit->setFocus();
    w.MarkRichEdit->ensureCaretVisible();
    QApplication::processEvents();
    PaintCount paints;
    w.MarkRichEdit->viewport()->installEventFilter(&paints);
    // Words and spaces, and a new paragraph now and then, as a teacher types.
    static const QString keys = QStringLiteral("the student argues well ");
    int typed = 0; // characters
    int pressed = 0;
    for (auto _ : state) {
        const int k = pressed++ % 97;
        if (k == 96)
            QTest::keyClick(w.MarkRichEdit, Qt::Key_Return, Qt::NoModifier);
        else
            QTest::keyClick(w.MarkRichEdit, keys[k % keys.size()].toLatin1(), Qt::NoModifier);
        QApplication::processEvents();
        typed += k == 96 ? 2 : 1; // Return puts in CR LF
    }
    if (b.length() < int(chars) || b.selStart() != at + typed)
        state.SkipWithError("the keys did not reach the essay");
    w.MarkRichEdit->viewport()->removeEventFilter(&paints);
    state.counters["essay_chars"] = double(b.length());
    state.counters["paints_per_key"] = double(paints.paints) / double(std::max(pressed, 1));
    state.SetLabel(atEnd ? "at the end" : "at the start");
}

// Every size and place, with the processor time of the main thread per key.
BENCHMARK(BM_TypeKey)
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({3'000'000, 0})
    ->Args({3'000'000, 1})
    ->ArgNames({"chars", "end"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initResources();
    // A box would wait for an answer: every one is answered as by Escape.
    ScopedMessageHandler messages{[](const MessageRequest& r) { return escapeAnswer(r.buttons); }};
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto& [chars, t] : openWindows())
        t->window->document().documentChanged = false; // closes without a question
    openWindows().clear();
    return 0;
}
