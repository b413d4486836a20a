#pragma once
// The annotation button set: a title and 32 entries, one per annotation button.
// Entries 1 to 28 are error categories (buttons btnErr1..btnErr28, red labels),
// entries 29 to 32 praise (btnGood1..btnGood4, teal labels). An entry's short text
// is the label inserted into the essay and the key by which labels are found
// again; an entry with an empty short text is inert.
//
// The set is stored in a button file, a profile file with section "Title" (key
// "Title") and sections "1" to "32" (keys "Caption", "Short", "Long").
#include "document/Markup.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

class ProfileFile;
enum class ProfileLoadStatus;

inline constexpr int AnnotationEntryCount = 32;
inline constexpr int ErrorEntryCount = 28;
inline constexpr int FirstErrorEntry = 1;
inline constexpr int LastErrorEntry = 28;
inline constexpr int FirstPraiseEntry = 29;
inline constexpr int LastPraiseEntry = 32;

enum class AnnotationKind { Error, Praise };

constexpr bool isAnnotationEntry(int n) { return n >= 1 && n <= AnnotationEntryCount; }
constexpr bool isErrorEntry(int n) { return n >= FirstErrorEntry && n <= LastErrorEntry; }
constexpr bool isPraiseEntry(int n) { return n >= FirstPraiseEntry && n <= LastPraiseEntry; }

// Kind and label colour of entry n (1 to 32; numbers above 28 are praise).
constexpr AnnotationKind annotationKind(int n) {
    return isPraiseEntry(n) ? AnnotationKind::Praise : AnnotationKind::Error;
}
constexpr Colour annotationLabelColour(int n) {
    return isPraiseEntry(n) ? markup::PraiseLabelColour : markup::ErrorLabelColour;
}

// Object name of entry n's button: "btnErr1".."btnErr28", "btnGood1".."btnGood4";
// empty for a number outside 1 to 32.
std::string annotationButtonName(int n);

// Where entry n's button sits on its panel, in pixels: the error buttons in 7 rows
// of 4 in entry order, the praise buttons in one row below them. The marking
// window and the button editor lay their buttons out alike.
struct ButtonCell {
    int left = 0;
    int top = 0;
    int width = 37;
    int height = 33;
};
ButtonCell annotationButtonCell(int n);

struct AnnotationEntry {
    std::u16string caption;   // text on the button
    std::u16string shortText; // the label put into the essay
    std::u16string longText;  // the button's hint and the category's name

    bool isEmpty() const { return shortText.empty(); }
    bool operator==(const AnnotationEntry&) const = default;
};

// The title and the 32 entries, with change notification.
//
// Copying a set copies its title and entries but not its listeners. Assigning to a
// set (or replaceAll) replaces its title and entries, keeps its own listeners and
// notifies them when anything changed.
class AnnotationSet {
public:
    using Listener = std::function<void(const AnnotationSet&)>;
    using ListenerId = std::size_t;

    // An empty set: empty title, 32 empty entries.
    AnnotationSet() = default;
    AnnotationSet(const AnnotationSet& other);
    AnnotationSet& operator=(const AnnotationSet& other);

    // The built-in default set ("Default Buttons").
    static AnnotationSet builtInDefaults();

    // Installs the built-in default set.
    void assignDefaultButtons();
    // Replaces title and entries with those of other.
    void replaceAll(const AnnotationSet& other);

    const std::u16string& title() const { return title_; }
    void setTitle(std::u16string title);

    // Entry n, 1 to 32; throws std::out_of_range for any other number.
    const AnnotationEntry& entry(int n) const;
    void setEntry(int n, AnnotationEntry e);

    // Look-ups by entry number; an empty string for a number outside 1 to 32.
    const std::u16string& shortText(int n) const;
    const std::u16string& caption(int n) const;
    const std::u16string& longText(int n) const;

    // The entry whose short text equals label without regard to case: the lowest
    // such entry number, or 0 when none does. The title never matches, and neither
    // does an empty label (empty entries are not labels).
    int entryOfLabel(std::u16string_view label) const;

    // The 33-item list of the title (item 0) and the short texts (item n).
    std::vector<std::u16string> shortAnnotations() const;

    bool sameContent(const AnnotationSet& other) const {
        return title_ == other.title_ && entries_ == other.entries_;
    }

    // Listeners are called after every change of title or entries. A listener may
    // add or remove listeners, and may change the set (it is then called again).
    ListenerId addListener(Listener listener);
    void removeListener(ListenerId id);

private:
    void notify();

    std::u16string title_;
    std::array<AnnotationEntry, AnnotationEntryCount> entries_{};
    std::vector<std::pair<ListenerId, Listener>> listeners_;
    ListenerId nextListenerId_ = 1;
};

// Reads a button file over set: the title, then the caption, short text and long
// text of entries 1 to 32, each keeping its current value when the file lacks the
// key (or the section, or the file is missing). The set changes at once, with one
// notification, or not at all. Returns how the file was found; a file that is
// missing, unreadable or too large leaves the set as it was. Never throws for
// anything in the file.
ProfileLoadStatus readButtonFile(AnnotationSet& set, const std::string& path);
void readButtonFile(AnnotationSet& set, const ProfileFile& file);

// Writes the whole set to the button file at path: section "Title", then sections
// "1" to "32" with keys "Caption", "Short" and "Long", updating keys in place and
// leaving other sections and lines as they were. The file is written in one go: on
// failure it throws ProfileWriteError ("Unable to write to <path>") and the file
// keeps its old content.
void writeButtonFile(const AnnotationSet& set, const std::string& path);

// Name of the button file in the program folder.
inline constexpr char DefaultButtonFileName[] = "default.btn";

// The default button file: programFolder followed by "default.btn".
std::string defaultButtonFilePath(std::string_view programFolder);
// The same in the user's program folder (see platform/ProgramFolder.h).
std::string defaultButtonFilePath();

// The status bar text for a button file: "Button File: " and the file name part of
// path.
std::u16string buttonFileStatusText(std::string_view path);

} // namespace tallix
