#include "stats/MultiStats.h"

#include "document/RecentFiles.h"
#include "platform/TextCodec.h"
#include "stats/StatsTables.h"

namespace tallix::stats {

namespace {

const std::u16string kEmpty;

bool validEntry(int n) { return isErrorEntry(n); }

} // namespace

Message loadFailureMessage(const std::string& fileName) {
    return Message{u"Unable to load " + text::fromUtf8(fileName) + u". It may be corrupted.",
                   MessageType::Warning, MultiStatsHelpContext};
}

void MultiFileStatistics::addFile(std::string path) { files_.push_back(std::move(path)); }

bool MultiFileStatistics::removeFile(int index) {
    if (index < 0 || index >= int(files_.size()))
        return false;
    files_.erase(files_.begin() + index);
    return true;
}

void MultiFileStatistics::clear() {
    files_.clear();
    countedFiles_.clear();
    perFile_.clear();
    totals_ = {};
    for (auto& a : abbreviations_)
        a.clear();
    for (auto& d : descriptions_)
        d.clear();
}

std::string MultiFileStatistics::fileName(int index) const {
    if (index < 0 || index >= int(files_.size()))
        return {};
    return fileNamePart(files_[std::size_t(index)]);
}

int MultiFileStatistics::count(const AnnotationSet& buttons, const MultiStatsCallbacks& cb) {
    if (counting_)
        return -1;
    counting_ = true;
    // Everything the count reads is taken now: the list, and the set whole.
    const AnnotationSet set(buttons);
    const std::vector<std::string> list = files_;
    perFile_.assign(list.size(), FileCount{});
    totals_ = {};
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n) {
        abbreviations_[std::size_t(n - 1)] = set.caption(n);
        descriptions_[std::size_t(n - 1)] = set.longText(n);
    }
    countedFiles_ = list;

    int failed = 0;
    ClassCountCallbacks pool;
    pool.fileDone = [&](int f, const FileCount& r) {
        if (cb.fileStarted)
            cb.fileStarted(f);
        // A file that fails to load contributes zeros, and nothing of another file.
        if (!r.loaded) {
            ++failed;
            if (cb.warn)
                cb.warn(loadFailureMessage(fileNamePart(list[std::size_t(f)])));
        }
        if (cb.progress)
            cb.progress(f + 1, int(list.size()));
    };
    pool.waiting = cb.step;
    try {
        perFile_ = countFiles(list, set, jobs_ > 0 ? jobs_ : defaultJobs(), pool);
    } catch (...) {
        perFile_.assign(list.size(), FileCount{});
        counting_ = false;
        throw;
    }
    for (const FileCount& r : perFile_)
        for (std::size_t n = 0; n < totals_.size(); ++n)
            totals_[n] += r.counts[n];
    counting_ = false;
    return failed;
}

int MultiFileStatistics::total(int entry) const {
    return validEntry(entry) ? totals_[std::size_t(entry - 1)] : 0;
}

const std::u16string& MultiFileStatistics::abbreviation(int entry) const {
    return validEntry(entry) ? abbreviations_[std::size_t(entry - 1)] : kEmpty;
}

const std::u16string& MultiFileStatistics::description(int entry) const {
    return validEntry(entry) ? descriptions_[std::size_t(entry - 1)] : kEmpty;
}

int MultiFileStatistics::fileCount(int file, int entry) const {
    if (file < 0 || file >= int(perFile_.size()) || !validEntry(entry))
        return 0;
    return perFile_[std::size_t(file)].counts[std::size_t(entry - 1)];
}

const FileCount& MultiFileStatistics::fileResult(int file) const {
    static const FileCount none;
    if (file < 0 || file >= int(perFile_.size()))
        return none;
    return perFile_[std::size_t(file)];
}

std::string MultiFileStatistics::countedFileName(int file) const {
    if (file < 0 || file >= countedFileCount())
        return {};
    return fileNamePart(countedFiles_[std::size_t(file)]);
}

int MultiFileStatistics::totalWords() const {
    int words = 0;
    for (const FileCount& r : perFile_)
        words += r.words;
    return words;
}

std::vector<MultiStatsRow> MultiFileStatistics::rows() const {
    std::vector<MultiStatsRow> r;
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n)
        if (total(n) > 0)
            r.push_back(MultiStatsRow{n, abbreviation(n), total(n), description(n)});
    return r;
}

std::u16string MultiFileStatistics::compileOutText() const {
    return tabText(statsTable(*this, TableOptions{}));
}

std::string MultiFileStatistics::outTextBytes() const {
    return text::encodeTextFile(compileOutText());
}

} // namespace tallix::stats
