#include "annotations/AnnotationSet.h"
#include "platform/ProgramFolder.h"

#include "platform/CaseFold.h"
#include "platform/TextCodec.h"
#include "platform/ProfileFile.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace tallix {

namespace {

struct DefaultEntry {
    const char16_t* caption;
    const char16_t* shortText;
    const char16_t* longText;
};

// The built-in set. These are the program's own texts, kept exactly as they have
// always been shipped (including "Mislaced" in entry 10).
constexpr DefaultEntry kDefaultEntries[AnnotationEntryCount] = {
    {u"Agr", u"S/VAgreement", u"Subject/verb agreement error"},
    {u"Art", u"Art", u"Article error"},
    {u"Cap", u"Capitalization", u"Capitalization error"},
    {u"Con", u"Conj/Trans", u"Conjunction/Transition error"},
    {u"Cou", u"Count/Non-Count", u"Count/non-count error"},
    {u"Cut", u"Cut", u"Cut -- this text is not necessary"},
    {u"For", u"Formatting", u"Formatting problem"},
    {u"Frg", u"Fragment", u"Sentence fragment"},
    {u"Mis", u"MissingW", u"Missing word or words"},
    {u"Mod", u"Modifier", u"Mislaced or dangling modifier"},
    {u"Par", u"Parallel", u"Parallel construction problem"},
    {u"Prg", u"Paragraphing", u"Paragraphing problem"},
    {u"Plu", u"Sing/Plu", u"Singular/plural error"},
    {u"Pre", u"Preposition", u"Wrong or misused preposition"},
    {u"Pun", u"Punctuation", u"Punctuation"},
    {u"Qot", u"Quote", u"Inaccurate quotation"},
    {u"Rep", u"Repetition", u"Repetition of information or phrase"},
    {u"Spa", u"Space", u"Missing space"},
    {u"Sp", u"Sp", u"Spelling"},
    {u"Vag", u"Vague", u"Vague reference"},
    {u"VFo", u"VForm", u"Verb form"},
    {u"VTe", u"VTense", u"Verb tense"},
    {u"WCh", u"WChoice", u"Poor word choice"},
    {u"WFo", u"WForm", u"Word form"},
    {u"WOr", u"WOrder", u"Word order"},
    {u"???", u"???", u"Incomprehensible text"},
    {u"", u"", u""},
    {u"", u"", u""},
    {u"Gd", u"Good!", u"Good!"},
    {u"Yes", u"Yes!", u"Yes! I agree."},
    {u"", u"", u""},
    {u"", u"", u""},
};

constexpr char16_t kDefaultTitle[] = u"Default Buttons";

const std::u16string& emptyString() {
    static const std::u16string empty;
    return empty;
}

std::u16string sectionOf(int n) { return text::fromUtf8(std::to_string(n)); }

namespace fs = std::filesystem;

constexpr bool isSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

std::string programFolder() { return userProgramFolder(); }

} // namespace

std::string annotationButtonName(int n) {
    if (isErrorEntry(n))
        return "btnErr" + std::to_string(n);
    if (isPraiseEntry(n))
        return "btnGood" + std::to_string(n - ErrorEntryCount);
    return {};
}

ButtonCell annotationButtonCell(int n) {
    static constexpr int lefts[] = {8, 44, 80, 116};
    ButtonCell cell;
    if (isErrorEntry(n)) {
        cell.left = lefts[(n - FirstErrorEntry) % 4];
        cell.top = 8 + 32 * ((n - FirstErrorEntry) / 4);
    } else if (isPraiseEntry(n)) {
        cell.left = lefts[(n - FirstPraiseEntry) % 4];
        cell.top = 248;
    }
    return cell;
}

AnnotationSet::AnnotationSet(const AnnotationSet& other)
    : title_(other.title_), entries_(other.entries_) {}

AnnotationSet& AnnotationSet::operator=(const AnnotationSet& other) {
    replaceAll(other);
    return *this;
}

AnnotationSet AnnotationSet::builtInDefaults() {
    AnnotationSet set;
    set.title_ = kDefaultTitle;
    for (std::size_t i = 0; i < set.entries_.size(); ++i)
        set.entries_[i] = AnnotationEntry{kDefaultEntries[i].caption, kDefaultEntries[i].shortText,
                                          kDefaultEntries[i].longText};
    return set;
}

void AnnotationSet::assignDefaultButtons() { replaceAll(builtInDefaults()); }

void AnnotationSet::replaceAll(const AnnotationSet& other) {
    if (this == &other || sameContent(other))
        return;
    title_ = other.title_;
    entries_ = other.entries_;
    notify();
}

void AnnotationSet::setTitle(std::u16string title) {
    if (title == title_)
        return;
    title_ = std::move(title);
    notify();
}

const AnnotationEntry& AnnotationSet::entry(int n) const {
    if (!isAnnotationEntry(n))
        throw std::out_of_range("annotation entry number out of range: " + std::to_string(n));
    return entries_[static_cast<std::size_t>(n - 1)];
}

void AnnotationSet::setEntry(int n, AnnotationEntry e) {
    if (!isAnnotationEntry(n))
        throw std::out_of_range("annotation entry number out of range: " + std::to_string(n));
    AnnotationEntry& slot = entries_[static_cast<std::size_t>(n - 1)];
    if (slot == e)
        return;
    slot = std::move(e);
    notify();
}

const std::u16string& AnnotationSet::shortText(int n) const {
    return isAnnotationEntry(n) ? entry(n).shortText : emptyString();
}

const std::u16string& AnnotationSet::caption(int n) const {
    return isAnnotationEntry(n) ? entry(n).caption : emptyString();
}

const std::u16string& AnnotationSet::longText(int n) const {
    return isAnnotationEntry(n) ? entry(n).longText : emptyString();
}

int AnnotationSet::entryOfLabel(std::u16string_view label) const {
    if (label.empty())
        return 0;
    for (int n = 1; n <= AnnotationEntryCount; ++n)
        if (equalsIgnoringCase(entries_[static_cast<std::size_t>(n - 1)].shortText, label))
            return n;
    return 0;
}

std::vector<std::u16string> AnnotationSet::shortAnnotations() const {
    std::vector<std::u16string> items;
    items.reserve(AnnotationEntryCount + 1);
    items.push_back(title_);
    for (const AnnotationEntry& e : entries_)
        items.push_back(e.shortText);
    return items;
}

AnnotationSet::ListenerId AnnotationSet::addListener(Listener listener) {
    ListenerId id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void AnnotationSet::removeListener(ListenerId id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void AnnotationSet::notify() {
    // Listeners may add or remove listeners while being called: work from a
    // snapshot, and skip any that were removed meanwhile.
    const auto snapshot = listeners_;
    for (const auto& [id, listener] : snapshot) {
        bool stillThere = false;
        for (const auto& current : listeners_)
            if (current.first == id)
                stillThere = true;
        if (stillThere && listener)
            listener(*this);
    }
}

void readButtonFile(AnnotationSet& set, const ProfileFile& file) {
    // A NUL in a value would end it when the set is written back (and a label
    // with one could never be found in the essay, whose readers make it U+FFFD):
    // it is read as U+FFFD, which survives both.
    auto read = [&file](std::u16string_view section, std::u16string_view key,
                        const std::u16string& current) {
        return text::withoutNul(file.readString(section, key, current));
    };
    AnnotationSet updated(set);
    updated.setTitle(read(u"Title", u"Title", set.title()));
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        const std::u16string section = sectionOf(n);
        const AnnotationEntry& current = set.entry(n);
        AnnotationEntry e;
        e.caption = read(section, u"Caption", current.caption);
        e.shortText = read(section, u"Short", current.shortText);
        e.longText = read(section, u"Long", current.longText);
        updated.setEntry(n, std::move(e));
    }
    set.replaceAll(updated);
}

ProfileLoadStatus readButtonFile(AnnotationSet& set, const std::string& path) {
    ProfileFile file(path);
    if (file.status() == ProfileLoadStatus::Loaded)
        readButtonFile(set, file);
    return file.status();
}

void writeButtonFile(const AnnotationSet& set, const std::string& path) {
    std::vector<ProfileValue> values;
    values.reserve(1 + 3 * AnnotationEntryCount);
    values.push_back({u"Title", u"Title", set.title()});
    for (int n = 1; n <= AnnotationEntryCount; ++n) {
        const std::u16string section = sectionOf(n);
        const AnnotationEntry& e = set.entry(n);
        values.push_back({section, u"Caption", e.caption});
        values.push_back({section, u"Short", e.shortText});
        values.push_back({section, u"Long", e.longText});
    }
    ProfileFile(path).writeStrings(values);
}

std::string defaultButtonFilePath(std::string_view programFolder) {
    std::string path(programFolder);
    if (!path.empty() && !isSeparator(path.back()))
        path += static_cast<char>(fs::path::preferred_separator);
    path += DefaultButtonFileName;
    return path;
}

std::string defaultButtonFilePath() { return defaultButtonFilePath(programFolder()); }

std::u16string buttonFileStatusText(std::string_view path) {
    std::size_t start = path.size();
    while (start > 0 && !isSeparator(path[start - 1]))
        --start;
    return u"Button File: " + text::fromUtf8(path.substr(start));
}

} // namespace tallix
