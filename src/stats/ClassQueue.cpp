#include "stats/ClassQueue.h"

#include "document/EssayImport.h"
#include "document/Markup.h"
#include "platform/CaseFold.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "stats/ErrorCounting.h"
#include "stats/StudentNames.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <system_error>

namespace tallix::classqueue {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string fromPath(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : lowerAscii(name.substr(dot));
}

// The file name without its extension, in lower case: what pairs an essay with
// the marked file of the same name.
std::string stemKey(const std::string& path) {
    const std::string name = fromPath(toPath(path).filename());
    const auto dot = name.rfind('.');
    return lowerAscii(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
}

bool isMarkedFileName(const std::string& name) { return extensionOf(name) == ".tlx"; }

// Student names sort without regard to case.
std::u16string sortKey(const std::string& s) {
    std::u16string k = text::fromUtf8(s);
    for (char16_t& c : k)
        c = foldCase(c);
    return k;
}

bool samePath(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code ec;
    const fs::path pa = fs::weakly_canonical(toPath(a), ec);
    if (ec)
        return false;
    const fs::path pb = fs::weakly_canonical(toPath(b), ec);
    return !ec && pa == pb;
}

bool isPdf(const std::string& path) {
    std::string head;
    return fileio::readFileHead(path, head, 5).ok && head.starts_with("%PDF-");
}

std::uint64_t fnv1a(const std::string& s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

bool hasGrade(const std::u16string& grade) {
    for (char16_t c : grade)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            return grade != tlx::NewGrade;
    return false;
}

bool hasNonBlank(const std::u16string& s) {
    return std::any_of(s.begin(), s.end(),
                       [](char16_t c) { return c != u' ' && c != u'\r' && c != u'\n' && c != u'\t'; });
}

// Whether the essay holds any markup: an annotation, a comment marker, a bookmark.
bool hasMarkup(const RichTextBuffer& b) {
    for (int p = 0; p < b.length(); ++p) {
        const Colour c = b.colourAt(p);
        if (c == clBlue || c == clRed || c == clTeal || c == clGreen || c == clNavy)
            return true;
    }
    return false;
}

} // namespace

std::u16string stateText(EssayState s) {
    switch (s) {
    case EssayState::Unknown: return u"\u2026";
    case EssayState::NotStarted: return u"not started";
    case EssayState::InProgress: return u"in progress";
    case EssayState::Graded: return u"graded";
    case EssayState::Damaged: return u"damaged";
    case EssayState::NotImportable: return u"cannot be imported";
    }
    return {};
}

EssayStatus statusOf(MarkedDocument& doc, const AnnotationSet& set) {
    EssayStatus s;
    const stats::ErrorCounts counts = stats::countErrorLabels(doc.essay(), set);
    for (int n : counts)
        s.errors += n;
    if (hasGrade(doc.grade))
        s.state = EssayState::Graded;
    else if (!doc.commentTexts.empty() || hasNonBlank(doc.feedback1Text) ||
             hasNonBlank(doc.feedback2Text) || hasMarkup(doc.essay()) ||
             (doc.grade != tlx::NewGrade && hasNonBlank(doc.grade)))
        s.state = EssayState::InProgress;
    else
        s.state = EssayState::NotStarted;
    return s;
}

bool listedFileName(const std::string& name) {
    if (name.empty() || name[0] == '.' || name.starts_with("~$"))
        return false;
    static const char* const extensions[] = {".tlx", ".rtf", ".docx", ".odt", ".txt", ".pdf"};
    const std::string ext = extensionOf(name);
    return std::any_of(std::begin(extensions), std::end(extensions),
                       [&](const char* e) { return ext == e; });
}

bool ClassQueue::listFolder(const std::string& folder, const QueueMemory& memory,
                            std::string& error) {
    *this = ClassQueue();
    std::error_code ec;
    std::vector<std::string> marked, essays;
    // Every path in one spelling, absolute, so that the memory matches by text.
    const fs::path base = fs::absolute(toPath(folder), ec).lexically_normal();
    fs::directory_iterator it(base, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    for (const fs::directory_entry& e : it) {
        std::error_code fileEc;
        if (!e.is_regular_file(fileEc))
            continue;
        const std::string name = fromPath(e.path().filename());
        if (!listedFileName(name))
            continue;
        (isMarkedFileName(name) ? marked : essays).push_back(fromPath(base / e.path().filename()));
    }
    key_ = folderKey(folder);
    title_ = text::fromUtf8(fromPath(toPath(key_).filename()));
    build(std::move(marked), std::move(essays), memory, {});
    return true;
}

void ClassQueue::listFiles(const std::vector<std::string>& files, const QueueMemory& memory) {
    *this = ClassQueue();
    std::vector<std::string> marked, essays, missing;
    for (const std::string& given : files) {
        std::error_code ec;
        const std::string f = fromPath(fs::absolute(toPath(given), ec).lexically_normal());
        if (!fs::is_regular_file(toPath(f), ec))
            missing.push_back(f);
        else
            (isMarkedFileName(f) ? marked : essays).push_back(f);
    }
    key_ = filesKey(files);
    title_ = text::fromUtf8(std::to_string(files.size()) + (files.size() == 1 ? " file" : " files"));
    build(std::move(marked), std::move(essays), memory, missing);
}

void ClassQueue::build(std::vector<std::string> markedFiles, std::vector<std::string> essays,
                       const QueueMemory& memory, const std::vector<std::string>& missing) {
    std::sort(markedFiles.begin(), markedFiles.end());
    std::sort(essays.begin(), essays.end());
    for (const std::string& m : markedFiles) {
        QueueEntry e;
        e.marked = m;
        entries_.push_back(std::move(e));
    }
    // Marked files by name, for pairing each essay with the one beside it.
    std::map<std::string, std::size_t> byStem;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        byStem.emplace(lowerAscii(fromPath(toPath(entries_[i].marked).parent_path())) + "/" +
                           stemKey(entries_[i].marked),
                       i);
    // First the imports the queue remembers (its paths are spelt as the listing
    // spells them), then names that match.
    std::map<std::string, std::size_t> rowOfMarked;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        rowOfMarked.emplace(entries_[i].marked, i);
    std::map<std::string, std::string> importedInto(memory.imported.begin(), memory.imported.end());
    std::vector<bool> paired(essays.size(), false);
    for (std::size_t k = 0; k < essays.size(); ++k) {
        auto imported = importedInto.find(essays[k]);
        if (imported == importedInto.end())
            continue;
        auto row = rowOfMarked.find(imported->second);
        if (row != rowOfMarked.end() && entries_[row->second].essay.empty()) {
            entries_[row->second].essay = essays[k];
            paired[k] = true;
        }
    }
    for (std::size_t k = 0; k < essays.size(); ++k) {
        if (paired[k])
            continue;
        const std::string key =
            lowerAscii(fromPath(toPath(essays[k]).parent_path())) + "/" + stemKey(essays[k]);
        auto it = byStem.find(key);
        if (it != byStem.end() && entries_[it->second].essay.empty()) {
            entries_[it->second].essay = essays[k];
            continue;
        }
        QueueEntry e;
        e.essay = essays[k];
        entries_.push_back(std::move(e));
    }
    for (const std::string& m : missing) {
        QueueEntry e;
        (isMarkedFileName(m) ? e.marked : e.essay) = m;
        e.state = EssayState::Damaged;
        e.problem = u"The file \"" + text::fromUtf8(m) + u"\" is not there.";
        entries_.push_back(std::move(e));
    }
    for (QueueEntry& e : entries_)
        e.student = stats::studentFromFileName(e.file());
    std::stable_sort(entries_.begin(), entries_.end(), [](const QueueEntry& a, const QueueEntry& b) {
        const std::u16string ka = sortKey(a.student), kb = sortKey(b.student);
        if (ka != kb)
            return ka < kb;
        return sortKey(fromPath(toPath(a.file()).filename())) <
               sortKey(fromPath(toPath(b.file()).filename()));
    });
    remembered_ = memory.current.empty() ? -1 : find(memory.current);
}

std::u16string ClassQueue::title() const { return title_; }

int ClassQueue::find(const std::string& path) const {
    if (path.empty())
        return -1;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].marked == path || entries_[i].essay == path)
            return int(i);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if ((!entries_[i].marked.empty() && samePath(entries_[i].marked, path)) ||
            (!entries_[i].essay.empty() && samePath(entries_[i].essay, path)))
            return int(i);
    return -1;
}

int ClassQueue::neighbourOf(int from, int step) const {
    if (entries_.empty() || (step != 1 && step != -1))
        return -1;
    int i = from >= 0 ? from + step : (step > 0 ? 0 : size() - 1);
    for (; i >= 0 && i < size(); i += step)
        if (entries_[std::size_t(i)].openable())
            return i;
    return -1;
}

int ClassQueue::startRow() const {
    if (remembered_ >= 0 && entries_[std::size_t(remembered_)].openable())
        return remembered_;
    for (int i = std::max(remembered_, 0); i < size(); ++i)
        if (entries_[std::size_t(i)].openable())
            return i;
    for (int i = 0; i < size(); ++i)
        if (entries_[std::size_t(i)].openable())
            return i;
    return -1;
}

void ClassQueue::scan(int i, const AnnotationSet& set) {
    if (i < 0 || i >= size())
        return;
    QueueEntry& e = entries_[std::size_t(i)];
    if (!e.openable())
        return;
    MarkedDocument doc;
    if (e.imported()) {
        const FileOutcome r = doc.loadTlxFile(e.marked);
        if (!r.ok) {
            setProblem(i, EssayState::Damaged, r.message.text);
            return;
        }
        setStatus(i, statusOf(doc, set));
        return;
    }
    // An essay not yet imported is read as its import would read it, so that a
    // damaged one shows before the teacher gets to it.
    const EssayFile f = doc.readEssayFile(e.essay, importKindOf(e.essay));
    if (!f.outcome.ok) {
        setProblem(i, isPdf(e.essay) ? EssayState::NotImportable : EssayState::Damaged,
                   f.outcome.message.text);
        return;
    }
    e.state = EssayState::NotStarted;
    e.errors = 0;
}

int ClassQueue::nextUnscanned(int from) const {
    for (int i = std::max(from, 0); i < size(); ++i)
        if (entries_[std::size_t(i)].state == EssayState::Unknown)
            return i;
    return -1;
}

void ClassQueue::setStatus(int i, EssayStatus s) {
    if (i < 0 || i >= size())
        return;
    QueueEntry& e = entries_[std::size_t(i)];
    e.state = s.state;
    e.errors = s.errors;
    e.problem.clear();
}

void ClassQueue::setProblem(int i, EssayState s, std::u16string problem) {
    if (i < 0 || i >= size())
        return;
    QueueEntry& e = entries_[std::size_t(i)];
    e.state = s;
    e.errors = -1;
    e.problem = std::move(problem);
}

void ClassQueue::setMarked(int i, std::string marked) {
    if (i >= 0 && i < size())
        entries_[std::size_t(i)].marked = std::move(marked);
}

int ClassQueue::gradedCount() const {
    return int(std::count_if(entries_.begin(), entries_.end(),
                             [](const QueueEntry& e) { return e.state == EssayState::Graded; }));
}

std::u16string ClassQueue::progressText() const {
    return text::fromUtf8(std::to_string(gradedCount()) + " of " + std::to_string(size()) +
                          " graded");
}

std::vector<std::string> ClassQueue::markedFiles() const {
    std::vector<std::string> files;
    for (const QueueEntry& e : entries_)
        if (e.imported() && e.state != EssayState::Damaged)
            files.push_back(e.marked);
    return files;
}

QueueMemory ClassQueue::memory() const {
    QueueMemory m;
    if (position_ >= 0)
        m.current = entries_[std::size_t(position_)].file();
    for (const QueueEntry& e : entries_)
        if (e.imported() && !e.essay.empty())
            m.imported.emplace_back(e.essay, e.marked);
    return m;
}

std::string ClassQueue::folderKey(const std::string& folder) {
    std::error_code ec;
    std::string key = fromPath(fs::absolute(toPath(folder), ec).lexically_normal());
    while (key.size() > 1 && (key.back() == '/' || key.back() == '\\'))
        key.pop_back();
    return key;
}

std::string ClassQueue::filesKey(const std::vector<std::string>& files) {
    std::vector<std::string> sorted;
    std::error_code ec;
    for (const std::string& f : files)
        sorted.push_back(fromPath(fs::absolute(toPath(f), ec).lexically_normal()));
    std::sort(sorted.begin(), sorted.end());
    std::string key;
    for (const std::string& s : sorted)
        key += s + "\n";
    return key;
}

std::string ClassQueue::memorySection(const std::string& key) {
    static const char hex[] = "0123456789abcdef";
    std::uint64_t h = fnv1a(key);
    std::string s = "ClassQueue ";
    for (int i = 15; i >= 0; --i)
        s.push_back(hex[(h >> (4 * i)) & 0xF]);
    return s;
}

} // namespace tallix::classqueue
