#pragma once
// Editing an annotation button set: inserting and deleting entries within their
// group, the check for nested short texts, and the working state of the button
// editor (its copy of the set, the entry being edited, whether anything was typed,
// opening and saving button files). The editor window only shows this state and
// passes on what the teacher types.
#include "annotations/AnnotationSet.h"
#include "document/MarkedDocument.h" // Message

#include <optional>
#include <string>
#include <string_view>

namespace tallix {

// Help context of the button editor and its messages.
inline constexpr int ButtonEditorHelpContext = 19000;

inline constexpr char16_t SaveButtonSetQuestion[] =
    u"Changes will be effective for this session.\n"
    u"Do you want to save them to disk as well?";
inline constexpr char16_t DefaultButtonSetInformation[] =
    u"This button set will now be loaded when you start the program.";

// The group of entry n: 1 to 28 for an error entry, 29 to 32 for praise.
constexpr int firstEntryOfGroup(int n) {
    return isPraiseEntry(n) ? FirstPraiseEntry : FirstErrorEntry;
}
constexpr int lastEntryOfGroup(int n) {
    return isPraiseEntry(n) ? LastPraiseEntry : LastErrorEntry;
}

// Puts a blank entry at n: entries n to last - 1 of n's group move down one, the
// last entry of the group is lost, and entry n becomes empty (caption, short and
// long text). The other group is untouched. One change notification at most.
// Throws std::out_of_range for a number outside 1 to 32.
void insertBlankEntry(AnnotationSet& set, int n);

// Takes entry n out: the later entries of n's group move up one and the group's
// last entry becomes empty. The other group is untouched. One change notification
// at most. Throws std::out_of_range for a number outside 1 to 32.
void deleteEntry(AnnotationSet& set, int n);

// The warning about a short text that occurs inside another short text of the
// same group, or an empty string. Error and praise entries are never compared with
// each other, an empty short text never counts, and two entries whose short texts
// are exactly the same are not reported. The occurrence test ignores letter case,
// as label counting does, so every pair that would be miscounted is caught. When
// several pairs are found, the warning names the last one (praise entries are
// looked at first, then the errors, outer entry by outer entry).
std::u16string checkAnnotations(const AnnotationSet& set);

// The working state of the button editor.
class ButtonSetEditor {
public:
    // Starts on an empty set; start() gives it the set in use.
    ButtonSetEditor() = default;

    // Showing the editor: a working copy of set, entry 1 current, nothing typed.
    void start(const AnnotationSet& set);

    const AnnotationSet& set() const { return set_; }
    int current() const { return current_; }
    const AnnotationEntry& currentEntry() const { return set_.entry(current_); }

    // Whether the teacher has changed the set since it was shown, opened or
    // saved: typing in a field, inserting or deleting an entry.
    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }

    // The title as typed (several lines allowed; line breaks are kept as CR LF).
    void setTitle(std::u16string_view typed);
    // The commit rule: the current entry takes the three fields. A line break in
    // a field (which the fields do not accept, but a paste might bring) becomes a
    // blank, since a button file value is one line.
    void commit(const AnnotationEntry& fields);

    // Selecting entry n: the fields are committed to the current entry first.
    void select(int n, const AnnotationEntry& fields);

    // Insert and delete at the current entry, within its group. What was typed in
    // the fields is not committed: after insert the entry is blank, after delete
    // it holds what was the next entry. The current entry stays the same.
    void insertBlank();
    void deleteCurrent();

    // Reads the button file at path over the working copy (each value defaults to
    // the copy's own), makes entry 1 current and clears changed(). A file that is
    // missing, cannot be read or is too large changes nothing and gives the
    // message to show.
    std::optional<Message> open(const std::string& path);

    // Writes the working copy to the button file at path, whole and atomically,
    // and clears changed(). On failure nothing on disk changes, the editor keeps
    // its state (changed() included) and the message to show is returned.
    std::optional<Message> write(const std::string& path);

private:
    AnnotationSet set_;
    int current_ = 1;
    bool changed_ = false;
};

// The editor's status bar: "Button File: " followed by the full path.
std::u16string buttonFilePathStatusText(std::string_view path);

} // namespace tallix
