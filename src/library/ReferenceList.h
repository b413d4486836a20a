#pragma once
// The two reference libraries (useful links, useful text) share one shape: a flat
// list of strings in which every entry takes a fixed number of consecutive items,
// the entry's title first. The list is kept in a text file in the program folder,
// one item a line.
#include "document/MarkedDocument.h" // Message

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::library {

class ReferenceList {
public:
    // fields: how many strings one entry takes (at least 1; the first is the title).
    explicit ReferenceList(int fields);

    int fieldsPerEntry() const { return fields_; }
    // Number of entries.
    int count() const { return int(items_.size()) / fields_; }
    bool empty() const { return items_.empty(); }
    // Every string in order, fieldsPerEntry() per entry.
    const std::vector<std::u16string>& items() const { return items_; }

    // Field f of entry i; an index out of range yields the empty string.
    const std::u16string& field(int entry, int f) const;
    const std::u16string& title(int entry) const { return field(entry, 0); }

    // Replaces entry i's fields (missing ones become empty, extra ones are dropped).
    // Does nothing for an index out of range.
    void setEntry(int entry, std::vector<std::u16string> fields);
    // Adds an entry at the end; returns its index.
    int addEntry(std::vector<std::u16string> fields);
    // Removes entry i; nothing for an index out of range.
    void removeEntry(int entry);
    void clear() { items_.clear(); }

    // Takes whole lines as items; a last entry that is short of fields is padded
    // with empty strings, so every entry is whole.
    void assignLines(std::vector<std::u16string> lines);

    // The index of the first entry whose title equals title without regard to
    // letter case, or -1.
    int findTitle(std::u16string_view title) const;

private:
    int fields_;
    std::vector<std::u16string> items_;
};

// Makes text fit on one line of a library file: CR, LF, the Unicode line and
// paragraph separators, and (with tabs) TAB become blanks.
std::u16string oneLine(std::u16string_view text, bool tabs = false);

// --- the file ---------------------------------------------------------------------------
// Splits text into lines: a line ends at CR LF, CR or LF; a final line without an
// ending counts when it is not empty. Every other character (0x1A included) is
// plain text.
std::vector<std::u16string> splitLines(std::u16string_view text);

// The file's bytes: every item on a line of its own ended by CR LF, in
// Windows-1252 when every character has a byte there, else in UTF-8 with a
// byte-order mark.
std::string encodeListFile(const ReferenceList& list);

enum class ListLoadStatus {
    Loaded,
    Missing,    // no file at the path
    Unreadable, // a folder, or a file that cannot be read (it may be locked for now)
    Damaged,    // a file that was read but is no list: NUL characters, or too large
};

struct ListLoad {
    ListLoadStatus status = ListLoadStatus::Loaded;
    std::string reason; // why, in words, when not Loaded
};

// Largest file taken as a library; anything bigger is not one.
inline constexpr std::size_t MaxListFileBytes = 64u * 1024u * 1024u;

// Reads the file at path into list (emptied first). A file holding NUL
// characters, or larger than MaxListFileBytes, is not a list: Damaged, and the
// list stays empty.
ListLoad readListFile(const std::string& path, ReferenceList& list);

// Writes the list whole and atomically; false (and the old file left whole) on
// failure.
bool writeListFile(const std::string& path, const ReferenceList& list);

// --- one library: its file, its messages -------------------------------------------------
struct LibraryKind {
    int fields;                     // strings per entry
    const char16_t* fileName;       // "reflinks.mdb"
    const char16_t* description;    // "the database of helpful links"
    const char16_t* noun;           // "link": what "&Use" inserts
    const char16_t* newTitle;       // "New link"
    int helpContext;
};

inline constexpr int LinksHelpContext = 33000;
inline constexpr int TextHelpContext = 33500;
extern const LibraryKind LinksLibrary;
extern const LibraryKind TextLibrary;

inline constexpr char16_t SelectToDeleteMessage[] = u"Please select a title to delete.";
inline constexpr char16_t SaveChangesQuestion[] = u"Do you want to save the changes?";

// What the start-up load found and what to tell the teacher, in order.
struct StartupLoad {
    ListLoadStatus status = ListLoadStatus::Loaded;
    bool created = false;                // a missing or damaged file was written anew (empty)
    std::string setAsidePath;            // where a damaged file was kept, when it was
    std::vector<Message> messages;       // plain message boxes to show, in order
};

// Loads the library's file at path into list at start-up. A missing file is
// reported with the load failure message and then created empty. A damaged file
// is never written over: it is renamed with a ".bad" suffix (fileio::setAside),
// reported once with the name it is kept under, and an empty file created in its
// place, so the next start is silent. A file that cannot be read, or a damaged
// one that cannot be renamed, is reported and left untouched (the list starts
// empty and the file is written only by a later save).
StartupLoad loadAtStartup(const LibraryKind& kind, const std::string& path, ReferenceList& list);

// Saves the list; the save failure warning when it could not be written.
std::optional<Message> saveLibrary(const LibraryKind& kind, const std::string& path,
                                   const ReferenceList& list);

// The warning for "&Use" when the main window's focus is not in the notes box.
Message useRefusedMessage(const LibraryKind& kind);
// The message for "&Use" with an empty list.
Message nothingToUseMessage(const LibraryKind& kind);

// --- deleting the selected entries --------------------------------------------------------
// What "&Delete" does with the list box's state: current is the focused item (-1
// for none) and selected[i] says whether item i is highlighted.
struct DeleteOutcome {
    std::optional<Message> message; // "Please select a title to delete."; then nothing changed
    int firstRemoved = -1;          // a: where the removed entries stood
    int removed = 0;                // how many entries were removed
    int newCurrent = -1;            // the entry to make current, -1 when none remain
};

// With one item selected, removes the current entry; with several, removes the
// run of consecutive selected entries that starts at the first selected one
// (selected entries after a gap stay). The entry now at that place becomes
// current, or the last one when the run reached the end.
DeleteOutcome deleteSelected(ReferenceList& list, int current, const std::vector<bool>& selected);

} // namespace tallix::library
