#include "stats/ClassCount.h"

#include "document/QuickRtfText.h"
#include "platform/FileIO.h"
#include "stats/WordCount.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace tallix::stats {

namespace {

// A file our own writer wrote is read by the quick reader, which gives its text
// and red runs as the full reader would; anything else is loaded as the window
// opens it.
FileCount countWith(const std::string& path, const AnnotationSet& set, const LabelMatcher& matcher,
                    MarkedDocument& doc, std::string& bytes, QuickRtfText& quick) {
    FileCount r;
    const fileio::FileResult read = fileio::readFile(path, bytes, tlx::MaxFileBytes);
    if (!read.ok)
        return r;
    if (matcher.entriesWithBreaks().empty() &&
        readQuickRtfText(bytes, markup::ErrorLabelColour, quick)) {
        const std::u16string_view text = quick.text();
        const int at = tlx::trailerStart(text);
        const std::size_t essay = at >= 0 ? std::size_t(at) : text.size();
        for (const QuickRtfText::Run& run : quick.runs) {
            if (std::size_t(run.start) >= essay)
                break;
            const std::size_t end = std::min(std::size_t(run.end), essay);
            matcher.addRun(text.substr(std::size_t(run.start), end - std::size_t(run.start)), r.counts);
        }
        r.words = countWords(text.substr(0, essay));
    } else {
        if (!doc.loadTlxBytes(bytes, path).ok) {
            doc.clear();
            return r;
        }
        r.counts = countErrorLabels(doc.essay(), set);
        r.words = countWords(doc.essay().text());
    }
    r.loaded = true;
    r.modified = read.modified;
    return r;
}

} // namespace

FileCount countFile(const std::string& path, const AnnotationSet& set, MarkedDocument& doc) {
    const LabelMatcher matcher(set);
    std::string bytes;
    QuickRtfText quick;
    return countWith(path, set, matcher, doc, bytes, quick);
}

int defaultJobs() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(n);
}

std::vector<FileCount> countFiles(const std::vector<std::string>& paths, const AnnotationSet& set,
                                  int jobs, const ClassCountCallbacks& cb) {
    const int total = int(paths.size());
    std::vector<FileCount> results(paths.size());
    if (total == 0)
        return results;
    const int workers = std::clamp(jobs, 1, total);

    // Workers take the next file by number and put its result in its own slot;
    // done[f] says the slot is filled. The calling thread hands the results on in
    // list order as the slots fill, looking every tenth of a second: a worker wakes
    // it only for the last file or a failure, so that a class of small files does
    // not cost a thread switch per file.
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};
    std::mutex m;
    std::condition_variable filled;
    std::vector<char> done(paths.size(), 0);
    int completed = 0;
    std::exception_ptr failure;

    const LabelMatcher matcher(set);
    auto work = [&] {
        MarkedDocument doc;
        std::string bytes;
        QuickRtfText quick;
        for (;;) {
            const int f = next.fetch_add(1);
            if (f >= total || stop.load())
                return;
            try {
                FileCount r = countWith(paths[std::size_t(f)], set, matcher, doc, bytes, quick);
                bool last = false;
                {
                    std::lock_guard lock(m);
                    results[std::size_t(f)] = std::move(r);
                    done[std::size_t(f)] = 1;
                    last = ++completed == total;
                }
                if (last)
                    filled.notify_one();
            } catch (...) {
                {
                    std::lock_guard lock(m);
                    if (!failure)
                        failure = std::current_exception();
                    stop = true;
                }
                filled.notify_one();
            }
        }
    };
    std::vector<std::jthread> pool;
    pool.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i)
        pool.emplace_back(work);

    int reported = 0;
    try {
        while (reported < total) {
            std::vector<int> ready;
            {
                std::unique_lock lock(m);
                filled.wait_for(lock, std::chrono::milliseconds(100), [&] {
                    return failure || done[std::size_t(reported)];
                });
                if (failure)
                    break;
                while (reported < total && done[std::size_t(reported)])
                    ready.push_back(reported++);
            }
            for (int f : ready)
                if (cb.fileDone)
                    cb.fileDone(f, results[std::size_t(f)]);
            if (cb.waiting)
                cb.waiting();
        }
    } catch (...) {
        stop = true;
        pool.clear(); // joins
        throw;
    }
    pool.clear();
    if (failure)
        std::rethrow_exception(failure);
    return results;
}

} // namespace tallix::stats
