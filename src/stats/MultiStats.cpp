#include "stats/MultiStats.h"

#include "document/RecentFiles.h"
#include "platform/TextCodec.h"

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
    reCount_.clear();
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
    reCount_.clear();
    perFile_.assign(list.size(), ErrorCounts{});
    totals_ = {};
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n) {
        abbreviations_[std::size_t(n - 1)] = set.caption(n);
        descriptions_[std::size_t(n - 1)] = set.longText(n);
    }
    countedFiles_ = list;

    int failed = 0;
    try {
        for (std::size_t f = 0; f < list.size(); ++f) {
            if (cb.fileStarted)
                cb.fileStarted(int(f));
            if (!reCount_.loadTlxFile(list[f]).ok) {
                // Nothing of the file before it is counted again: a failed file
                // contributes zeros.
                ++failed;
                reCount_.clear();
                if (cb.warn)
                    cb.warn(loadFailureMessage(fileNamePart(list[f])));
                continue;
            }
            perFile_[f] = countErrorLabels(reCount_.essay(), set, cb.step);
            for (std::size_t n = 0; n < totals_.size(); ++n)
                totals_[n] += perFile_[f][n];
        }
    } catch (...) {
        counting_ = false;
        reCount_.clear();
        throw;
    }
    reCount_.clear();
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
    return perFile_[std::size_t(file)][std::size_t(entry - 1)];
}

std::vector<MultiStatsRow> MultiFileStatistics::rows() const {
    std::vector<MultiStatsRow> r;
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n)
        if (total(n) > 0)
            r.push_back(MultiStatsRow{n, abbreviation(n), total(n), description(n)});
    return r;
}

std::u16string MultiFileStatistics::compileOutText() const {
    std::vector<int> columns;
    for (int n = FirstErrorEntry; n <= LastErrorEntry; ++n)
        if (total(n) > 0)
            columns.push_back(n);
    std::u16string out = u"File";
    for (int n : columns)
        out += u"\t" + abbreviation(n);
    out += u"\r\n";
    for (int f = 0; f < countedFileCount(); ++f) {
        out += text::fromUtf8(fileNamePart(countedFiles_[std::size_t(f)]));
        for (int n : columns)
            out += u"\t" + decimal(fileCount(f, n));
        out += u"\r\n";
    }
    out += u"Total";
    for (int n : columns)
        out += u"\t" + decimal(total(n));
    return out;
}

std::string MultiFileStatistics::outTextBytes() const {
    return text::encodeTextFile(compileOutText());
}

} // namespace tallix::stats
