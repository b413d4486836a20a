#include "library/ReferenceList.h"

#include "platform/CaseFold.h"
#include "platform/TextCodec.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tallix::library {

namespace {

const std::u16string& emptyString() {
    static const std::u16string empty;
    return empty;
}

fs::path toPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::u16string concat(std::initializer_list<std::u16string_view> parts) {
    std::u16string r;
    for (std::u16string_view p : parts)
        r += p;
    return r;
}

std::u16string quotedFileName(const LibraryKind& kind) {
    return concat({u"\"", kind.fileName, u"\""});
}

} // namespace

// ====================================================================== the list

ReferenceList::ReferenceList(int fields) : fields_(std::max(1, fields)) {}

const std::u16string& ReferenceList::field(int entry, int f) const {
    if (entry < 0 || entry >= count() || f < 0 || f >= fields_)
        return emptyString();
    return items_[std::size_t(entry * fields_ + f)];
}

void ReferenceList::setEntry(int entry, std::vector<std::u16string> fields) {
    if (entry < 0 || entry >= count())
        return;
    fields.resize(std::size_t(fields_));
    std::move(fields.begin(), fields.end(), items_.begin() + entry * fields_);
}

int ReferenceList::addEntry(std::vector<std::u16string> fields) {
    fields.resize(std::size_t(fields_));
    items_.insert(items_.end(), std::make_move_iterator(fields.begin()),
                  std::make_move_iterator(fields.end()));
    return count() - 1;
}

void ReferenceList::removeEntry(int entry) {
    if (entry < 0 || entry >= count())
        return;
    auto first = items_.begin() + entry * fields_;
    items_.erase(first, first + fields_);
}

void ReferenceList::assignLines(std::vector<std::u16string> lines) {
    const std::size_t rest = lines.size() % std::size_t(fields_);
    if (rest != 0)
        lines.resize(lines.size() + std::size_t(fields_) - rest);
    items_ = std::move(lines);
}

int ReferenceList::findTitle(std::u16string_view title) const {
    for (int i = 0; i < count(); ++i)
        if (equalsIgnoringCase(this->title(i), title))
            return i;
    return -1;
}

std::u16string oneLine(std::u16string_view text, bool tabs) {
    std::u16string r(text);
    for (char16_t& c : r)
        if (c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029 || (tabs && c == u'\t'))
            c = u' ';
    return r;
}

// ====================================================================== the file

std::vector<std::u16string> splitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string encodeListFile(const ReferenceList& list) {
    std::size_t size = 0;
    for (const std::u16string& item : list.items())
        size += item.size() + 2;
    std::u16string text;
    text.reserve(size);
    for (const std::u16string& item : list.items()) {
        text += item;
        text += u"\r\n";
    }
    return text::encodeTextFile(text);
}

ListLoad readListFile(const std::string& path, ReferenceList& list) {
    list.clear();
    std::error_code ec;
    const fs::path p = toPath(path);
    const fs::file_status st = fs::status(p, ec);
    if (ec || !fs::exists(st)) {
        if (ec && ec != std::errc::no_such_file_or_directory)
            return {ListLoadStatus::Unreadable, ec.message()};
        return {ListLoadStatus::Missing, "no such file"};
    }
    if (fs::is_directory(st))
        return {ListLoadStatus::Unreadable, "a folder"};
    if (fs::is_regular_file(st)) {
        const std::uintmax_t size = fs::file_size(p, ec);
        if (!ec && size > MaxListFileBytes)
            return {ListLoadStatus::Damaged, "too large"};
    }
    std::string bytes;
    const fileio::FileResult r = fileio::readFile(path, bytes);
    if (!r.ok)
        return {ListLoadStatus::Unreadable, r.error};
    if (bytes.size() > MaxListFileBytes)
        return {ListLoadStatus::Damaged, "too large"};
    const std::u16string text = text::decodeTextFile(bytes);
    if (text.find(u'\0') != std::u16string::npos)
        return {ListLoadStatus::Damaged, "not a text file"};
    list.assignLines(splitLines(text));
    return {};
}

bool writeListFile(const std::string& path, const ReferenceList& list) {
    return fileio::writeFileAtomic(path, encodeListFile(list)).ok;
}

// ====================================================================== one library

const LibraryKind LinksLibrary{3, u"reflinks.mdb", u"the database of helpful links", u"link",
                               u"New link", LinksHelpContext};
const LibraryKind TextLibrary{2, u"reftext.mdb", u"the database of useful text", u"text",
                              u"New text", TextHelpContext};

namespace {

std::u16string loadFailureText(const LibraryKind& kind) {
    return concat({u"Unable to load ", quotedFileName(kind), u", ", kind.description, u". ",
                   u"The file may have been deleted, corrupted or moved."});
}

Message saveFailure(const LibraryKind& kind) {
    return Message{concat({u"Unable to save the database to file.\r\nThe file ",
                           quotedFileName(kind),
                           u" may be reconstructed when you restart the program."}),
                   MessageType::Warning, kind.helpContext};
}

} // namespace

StartupLoad loadAtStartup(const LibraryKind& kind, const std::string& path, ReferenceList& list) {
    StartupLoad out;
    const ListLoad r = readListFile(path, list);
    out.status = r.status;
    if (r.status == ListLoadStatus::Loaded)
        return out;
    list.clear();
    if (r.status == ListLoadStatus::Missing) {
        out.messages.push_back(Message{concat({loadFailureText(kind), u"\r\n\r\n",
                                               u"A new one will be created."}),
                                       MessageType::Information, 0});
        out.created = writeListFile(path, list);
        if (!out.created)
            out.messages.push_back(saveFailure(kind));
        return out;
    }
    std::string keptAs;
    if (r.status == ListLoadStatus::Damaged && fileio::setAside(path, keptAs).ok) {
        out.setAsidePath = keptAs;
        out.messages.push_back(Message{
            concat({loadFailureText(kind), u"\r\n\r\n", u"The damaged file has been kept as \"",
                    text::fromUtf8(fileNamePart(keptAs)), u"\". A new one will be created."}),
            MessageType::Information, fileio::SetAsideHelpContext});
        out.created = writeListFile(path, list);
        if (!out.created)
            out.messages.push_back(saveFailure(kind));
    } else {
        // The file is there and could not be kept aside: it may only be locked for
        // now, so it is not written over.
        out.messages.push_back(Message{
            concat({loadFailureText(kind), u"\r\n\r\n",
                    u"The file has been left as it is. The list starts empty; the file is "
                    u"written only when you save."}),
            MessageType::Information, fileio::SetAsideHelpContext});
    }
    return out;
}

std::optional<Message> saveLibrary(const LibraryKind& kind, const std::string& path,
                                   const ReferenceList& list) {
    if (writeListFile(path, list))
        return std::nullopt;
    return saveFailure(kind);
}

Message useRefusedMessage(const LibraryKind& kind) {
    return Message{
        concat({u"The cursor in the main marking form is not in the comment or feedback box, ",
                u"so the program does not know where to insert your ", kind.noun, u".",
                u"\r\n\r\n",
                u"Please go back to the marking screen and place your cursor where you would ",
                u"like the ", kind.noun, u" to appear."}),
        MessageType::Warning, kind.helpContext};
}

Message nothingToUseMessage(const LibraryKind& kind) {
    return Message{concat({u"There is no ", kind.noun, u" to insert."}), MessageType::Information,
                   kind.helpContext};
}

// ====================================================================== deleting

DeleteOutcome deleteSelected(ReferenceList& list, int current, const std::vector<bool>& selected) {
    DeleteOutcome out;
    const int n = list.count();
    auto isSelected = [&](int i) {
        return i >= 0 && i < n && std::size_t(i) < selected.size() && selected[std::size_t(i)];
    };
    if (current < 0 || current >= n || !isSelected(current)) {
        out.message = Message{SelectToDeleteMessage, MessageType::Information, 0};
        return out;
    }
    int selectedCount = 0;
    for (int i = 0; i < n; ++i)
        selectedCount += isSelected(i) ? 1 : 0;
    int a = current;
    int end = current + 1;
    if (selectedCount > 1) {
        a = 0;
        while (!isSelected(a))
            ++a;
        end = a;
        while (isSelected(end))
            ++end;
    }
    for (int i = end - 1; i >= a; --i)
        list.removeEntry(i);
    out.firstRemoved = a;
    out.removed = end - a;
    const int left = list.count();
    out.newCurrent = left == 0 ? -1 : std::min(a, left - 1);
    return out;
}

} // namespace tallix::library
