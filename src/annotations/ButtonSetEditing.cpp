#include "annotations/ButtonSetEditing.h"

#include "platform/CaseFold.h"
#include "platform/TextCodec.h"
#include "platform/ProfileFile.h"

#include <utility>

namespace tallix {

namespace {

std::u16string u16(std::string_view utf8) { return text::fromUtf8(utf8); }

// A field value as one line: each line break (CR LF, CR, LF or a paragraph
// separator) becomes one blank.
std::u16string oneLine(std::u16string_view typed) {
    std::u16string r;
    r.reserve(typed.size());
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const char16_t c = typed[i];
        if (c == u'\r' || c == u'\n' || c == 0x2029) {
            if (c == u'\r' && i + 1 < typed.size() && typed[i + 1] == u'\n')
                ++i;
            r += u' ';
        } else {
            r += c;
        }
    }
    return r;
}

// The last pair (a, b) of the group first..last in which a's short text occurs in
// b's, or {0, 0}.
std::pair<int, int> lastNestedPair(const AnnotationSet& set, int first, int last) {
    std::pair<int, int> found{0, 0};
    for (int a = first; a <= last; ++a) {
        const std::u16string& inner = set.shortText(a);
        if (inner.empty())
            continue;
        const std::u16string foldedInner = foldedCopy(inner);
        for (int b = first; b <= last; ++b) {
            const std::u16string& outer = set.shortText(b);
            if (outer != inner && foldedCopy(outer).find(foldedInner) != std::u16string::npos)
                found = {a, b};
        }
    }
    return found;
}

} // namespace

void insertBlankEntry(AnnotationSet& set, int n) {
    set.entry(n); // range check
    AnnotationSet updated(set);
    for (int k = lastEntryOfGroup(n); k > n; --k)
        updated.setEntry(k, set.entry(k - 1));
    updated.setEntry(n, {});
    set.replaceAll(updated);
}

void deleteEntry(AnnotationSet& set, int n) {
    set.entry(n); // range check
    AnnotationSet updated(set);
    const int last = lastEntryOfGroup(n);
    for (int k = n; k < last; ++k)
        updated.setEntry(k, set.entry(k + 1));
    updated.setEntry(last, {});
    set.replaceAll(updated);
}

std::u16string checkAnnotations(const AnnotationSet& set) {
    std::pair<int, int> pair = lastNestedPair(set, FirstPraiseEntry, LastPraiseEntry);
    if (std::pair<int, int> errors = lastNestedPair(set, FirstErrorEntry, LastErrorEntry);
        errors.first != 0)
        pair = errors;
    if (pair.first == 0)
        return {};
    return u"The short annotation \"" + set.shortText(pair.first) +
           u"\" appears also INSIDE the short annotation \"" + set.shortText(pair.second) +
           u"\". This may result in garbled HTML output and miscalculation of "
           u"error statistics. Please change one of the annotations to avoid this.";
}

// ----------------------------------------------------------------- ButtonSetEditor

void ButtonSetEditor::start(const AnnotationSet& set) {
    set_.replaceAll(set);
    current_ = FirstErrorEntry;
    changed_ = false;
}

void ButtonSetEditor::setTitle(std::u16string_view typed) {
    set_.setTitle(text::normaliseLineBreaks(typed));
}

void ButtonSetEditor::commit(const AnnotationEntry& fields) {
    set_.setEntry(current_, {oneLine(fields.caption), oneLine(fields.shortText),
                             oneLine(fields.longText)});
}

void ButtonSetEditor::select(int n, const AnnotationEntry& fields) {
    set_.entry(n); // range check before anything changes
    commit(fields);
    current_ = n;
}

void ButtonSetEditor::insertBlank() {
    insertBlankEntry(set_, current_);
    changed_ = true;
}

void ButtonSetEditor::deleteCurrent() {
    deleteEntry(set_, current_);
    changed_ = true;
}

std::optional<Message> ButtonSetEditor::open(const std::string& path) {
    AnnotationSet read(set_);
    switch (readButtonFile(read, path)) {
    case ProfileLoadStatus::Loaded:
        break;
    case ProfileLoadStatus::Missing:
        return Message{u"The button file \"" + u16(path) + u"\" does not exist.",
                       MessageType::Error, ButtonEditorHelpContext};
    case ProfileLoadStatus::Unreadable:
        return Message{u"Unable to read the button file \"" + u16(path) + u"\".",
                       MessageType::Error, ButtonEditorHelpContext};
    case ProfileLoadStatus::TooLarge:
        return Message{u"The file \"" + u16(path) + u"\" is too large to be a button file.",
                       MessageType::Error, ButtonEditorHelpContext};
    }
    set_.replaceAll(read);
    current_ = FirstErrorEntry;
    changed_ = false;
    return std::nullopt;
}

std::optional<Message> ButtonSetEditor::write(const std::string& path) {
    try {
        writeButtonFile(set_, path);
    } catch (const ProfileWriteError& e) {
        return Message{u16(e.what()) + u" (" + u16(e.reason()) +
                           u").\nThe button set has not been saved; your changes are still in "
                           u"the editor.",
                       MessageType::Error, ButtonEditorHelpContext};
    }
    changed_ = false;
    return std::nullopt;
}

std::u16string buttonFilePathStatusText(std::string_view path) {
    return u"Button File: " + u16(path);
}

} // namespace tallix
