// The class queue in the marking window: moving to the next essay of a class of
// 30 KB marked essays (with and without a save of the one left), the first opening
// of an essay not yet imported, and opening a folder of 200 essays.
//
// Runs under Qt's offscreen platform with a program folder and settings file of
// its own; the class folders are made under /var/tmp and removed at the end.
#include "MarkedEssay.h"

#include "app/TfrmTallix32.h"
#include "document/MarkedDocument.h"
#include "platform/FileIO.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/Resources.h"
#include "platform/qt/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace tallix;

namespace {

namespace fs = std::filesystem;

struct ClassWindow {
    QTemporaryDir home;
    QTemporaryDir folder{QStringLiteral("/var/tmp/tallix-class-XXXXXX")};
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<TfrmTallix32> window;

    ClassWindow() {
        qputenv("TALLIX32_HOME", QDir(home.path()).absolutePath().toUtf8() + "/");
        settings = std::make_unique<SettingsStore>(home.filePath(QStringLiteral("settings.conf")));
        window = std::make_unique<TfrmTallix32>(*settings);
        window->show();
        QApplication::processEvents();
    }
    ~ClassWindow() {
        window->document().documentChanged = false;
        window.reset();
    }
    // count essays of about 30 KB: marked files, or RTF essays not yet imported.
    void fill(int count, bool marked) {
        for (int i = 0; i < count; ++i) {
            MarkedDocument doc;
            doc.essay().assign(bench::makeMarkedEssay({30'000, -1, unsigned(i + 1)}));
            const std::string name = folder.path().toStdString() + "/student" +
                                     std::to_string(1000 + i) + "_" + std::to_string(i) + "_essay";
            if (marked)
                doc.saveTlx(name + ".tlx");
            else
                fileio::writeFileAtomic(name + ".rtf", doc.essay().saveRtf());
        }
    }
};

void BM_NextEssay(benchmark::State& state) {
    const bool changed = state.range(0) != 0;
    ClassWindow c;
    c.fill(30, true);
    TfrmTallix32& w = *c.window;
    if (!w.OpenClass({c.folder.path()}))
        state.SkipWithError("the class did not open");
    QApplication::processEvents();
    int step = 1;
    for (auto _ : state) {
        if (changed)
            w.document().documentChanged = true; // the move saves it first
        if (w.classQueue().neighbour(step) < 0)
            step = -step;
        if (!w.mnuNextEssayClick(step))
            state.SkipWithError("the move failed");
        // What the move leaves for the event loop (the view's layout, painting).
        QApplication::processEvents();
    }
    state.counters["essay_chars"] = double(w.document().essay().length());
    state.SetLabel(changed ? "saving the essay left" : "nothing to save");
}
BENCHMARK(BM_NextEssay)->Arg(0)->Arg(1)->ArgName("changed")->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The first opening of an essay: imported beside itself, then opened.
void BM_NextEssayImporting(benchmark::State& state) {
    ClassWindow c;
    c.fill(int(state.max_iterations) + 2, false);
    TfrmTallix32& w = *c.window;
    if (!w.OpenClass({c.folder.path()}))
        state.SkipWithError("the class did not open");
    QApplication::processEvents();
    for (auto _ : state) {
        if (!w.mnuNextEssayClick(1))
            state.SkipWithError("the move failed");
        QApplication::processEvents();
    }
}
BENCHMARK(BM_NextEssayImporting)->Iterations(20)->Unit(benchmark::kMillisecond);

// File > Open Class on a folder of 200 essays not yet imported: the list, and the
// first essay imported and opened. The rows' states fill in afterwards.
void BM_OpenClassOf200(benchmark::State& state) {
    ClassWindow c;
    c.fill(200, false);
    TfrmTallix32& w = *c.window;
    for (auto _ : state) {
        if (!w.OpenClass({c.folder.path()}))
            state.SkipWithError("the class did not open");
        state.PauseTiming();
        // Open it afresh each time: the first essay's marked file goes again.
        w.document().documentChanged = false;
        w.NewDocument();
        for (const auto& e : fs::directory_iterator(c.folder.path().toStdString()))
            if (e.path().extension() == ".tlx")
                fs::remove(e.path());
        state.ResumeTiming();
    }
    state.counters["rows"] = double(w.classQueue().size());
}
BENCHMARK(BM_OpenClassOf200)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initResources();
    ScopedMessageHandler messages{[](const MessageRequest& r) { return escapeAnswer(r.buttons); }};
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
