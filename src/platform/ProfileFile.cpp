#include "platform/ProfileFile.h"

#include "platform/CaseFold.h"
#include "platform/TextCodec.h"
#include "platform/FileIO.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace tallix {

namespace {

namespace fs = std::filesystem;

fs::path fsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

constexpr bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

std::u16string_view trimBlanks(std::u16string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

constexpr bool isSurrogateHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The value part of a key line as a read returns it.
std::u16string valueOfKeyLine(std::u16string_view line) {
    std::u16string_view v = trimBlanks(line.substr(line.find(u'=') + 1));
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > ProfileFile::MaxValueLength) {
        std::size_t n = ProfileFile::MaxValueLength;
        if (isSurrogateHigh(v[n - 1]))
            --n;
        v = v.substr(0, n);
    }
    return std::u16string(v);
}

// The key of a line, trimmed, or empty when the line holds no key.
std::u16string_view keyOfLine(std::u16string_view line) {
    std::u16string_view t = trimBlanks(line);
    if (t.empty() || t.front() == u';' || t.front() == u'[')
        return {};
    std::size_t eq = t.find(u'=');
    if (eq == std::u16string_view::npos)
        return {};
    return trimBlanks(t.substr(0, eq));
}

// Map key for the first line of key in section number sec.
std::u16string keyIndexName(std::size_t sec, std::u16string_view key) {
    std::u16string r;
    r.reserve(key.size() + 4);
    for (int shift = 48; shift >= 0; shift -= 16)
        r.push_back(char16_t((static_cast<std::uint64_t>(sec) >> shift) & 0xFFFF));
    for (char16_t c : key)
        r.push_back(foldCase(c));
    return r;
}

std::u16string_view firstLineOf(std::u16string_view value) {
    std::size_t cut = value.find_first_of(std::u16string_view(u"\r\n\0", 3));
    return cut == std::u16string_view::npos ? value : value.substr(0, cut);
}

bool validSectionName(std::u16string_view name) {
    return name.find_first_of(std::u16string_view(u"]\r\n\0", 4)) == std::u16string_view::npos;
}

bool validKeyName(std::u16string_view name) {
    return !name.empty() && name.front() != u';' && name.front() != u'[' &&
           name.find_first_of(std::u16string_view(u"=\r\n\0", 4)) == std::u16string_view::npos;
}

bool hasNonAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

} // namespace

ProfileWriteError::ProfileWriteError(const std::string& path, std::string reason)
    : std::runtime_error("Unable to write to " + path), path_(path), reason_(std::move(reason)) {}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) { load(); }

void ProfileFile::reload() { load(); }

void ProfileFile::load() {
    lines_.clear();
    encoding_ = Encoding::Ansi;
    status_ = ProfileLoadStatus::Missing;

    std::error_code ec;
    fs::path p = fsPath(path_);
    fs::file_status st = fs::status(p, ec);
    if (ec || !fs::exists(st)) {
        status_ = (ec && ec != std::errc::no_such_file_or_directory &&
                   ec != std::errc::not_a_directory)
                      ? ProfileLoadStatus::Unreadable
                      : ProfileLoadStatus::Missing;
        reindex();
        return;
    }
    if (fs::is_regular_file(st)) {
        std::uintmax_t size = fs::file_size(p, ec);
        if (!ec && size > MaxFileBytes) {
            status_ = ProfileLoadStatus::TooLarge;
            reindex();
            return;
        }
    }
    std::string bytes;
    if (fs::is_directory(st) || !fileio::readFile(path_, bytes).ok) {
        status_ = ProfileLoadStatus::Unreadable;
        reindex();
        return;
    }
    // A file that grew past the limit between the size check and the read.
    if (bytes.size() > MaxFileBytes) {
        status_ = ProfileLoadStatus::TooLarge;
        reindex();
        return;
    }

    // Remember the encoding so that a rewrite keeps it; the decoder makes the
    // same choice from the same bytes.
    if (startsWith(bytes, "\xFF\xFE"))
        encoding_ = Encoding::Utf16Le;
    else if (startsWith(bytes, "\xFE\xFF"))
        encoding_ = Encoding::Utf16Be;
    else if (startsWith(bytes, "\xEF\xBB\xBF"))
        encoding_ = Encoding::Utf8Bom;
    else if (hasNonAscii(bytes) && text::isValidUtf8(bytes))
        encoding_ = Encoding::Utf8;
    else
        encoding_ = Encoding::Ansi;
    status_ = ProfileLoadStatus::Loaded;
    parse(text::decodeTextFile(bytes));
    reindex();
}

void ProfileFile::parse(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t brk = text.find_first_of(u"\r\n", pos);
        Line line;
        if (brk == std::u16string_view::npos) {
            line.text = std::u16string(text.substr(pos));
            pos = text.size();
        } else {
            line.text = std::u16string(text.substr(pos, brk - pos));
            if (text[brk] == u'\n') {
                line.ending = Ending::Lf;
                pos = brk + 1;
            } else if (brk + 1 < text.size() && text[brk + 1] == u'\n') {
                line.ending = Ending::CrLf;
                pos = brk + 2;
            } else {
                line.ending = Ending::Cr;
                pos = brk + 1;
            }
        }
        lines_.push_back(std::move(line));
    }
}

void ProfileFile::reindex() {
    sectionNumbers_.clear();
    keyLines_.clear();
    firstHeader_.clear();
    std::size_t current = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        std::u16string_view t = trimBlanks(line.text);
        if (!t.empty() && t.front() == u'[') {
            std::size_t close = t.find(u']');
            if (close == std::u16string_view::npos) {
                line.kind = LineKind::BadSection;
                current = 0;
            } else {
                line.kind = LineKind::Section;
                std::u16string folded = foldedCopy(trimBlanks(t.substr(1, close - 1)));
                auto [it, inserted] = sectionNumbers_.try_emplace(std::move(folded),
                                                                  sectionNumbers_.size() + 1);
                if (inserted)
                    firstHeader_.push_back(i);
                current = it->second;
            }
            line.section = current;
            continue;
        }
        line.section = current;
        std::u16string_view key = keyOfLine(line.text);
        if (current != 0 && !key.empty()) {
            line.kind = LineKind::Key;
            keyLines_.try_emplace(keyIndexName(current, key), i);
        } else {
            line.kind = LineKind::Other;
        }
    }
}

std::size_t ProfileFile::sectionNumber(std::u16string_view trimmedSection) const {
    auto it = sectionNumbers_.find(foldedCopy(trimmedSection));
    return it == sectionNumbers_.end() ? 0 : it->second;
}

const ProfileFile::Line* ProfileFile::findKey(std::u16string_view section,
                                              std::u16string_view key) const {
    std::size_t sec = sectionNumber(trimBlanks(section));
    if (sec == 0)
        return nullptr;
    auto it = keyLines_.find(keyIndexName(sec, trimBlanks(key)));
    return it == keyLines_.end() ? nullptr : &lines_[it->second];
}

std::u16string ProfileFile::readString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view defaultValue) const {
    const Line* line = findKey(section, key);
    return line ? valueOfKeyLine(line->text) : std::u16string(defaultValue);
}

bool ProfileFile::hasKey(std::u16string_view section, std::u16string_view key) const {
    return findKey(section, key) != nullptr;
}

ProfileFile::Ending ProfileFile::newlineStyle() const {
    for (const Line& line : lines_)
        if (line.ending != Ending::None)
            return line.ending;
    return Ending::CrLf;
}

// Where a new key line of section number sec goes: after the last key line of the
// section's first occurrence, or right after its header when it has none.
std::size_t ProfileFile::insertionPoint(std::size_t sec) const {
    std::size_t header = firstHeader_[sec - 1];
    std::size_t at = header + 1;
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        LineKind k = lines_[i].kind;
        if (k == LineKind::Section || k == LineKind::BadSection)
            break;
        if (k == LineKind::Key)
            at = i + 1;
    }
    return at;
}

void ProfileFile::applyWrite(std::u16string_view section, std::u16string_view key,
                             std::u16string_view value) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (!validSectionName(section) || !validKeyName(key))
        throw ProfileWriteError(path_, "section or key name cannot be stored in a profile file");
    value = firstLineOf(value);

    if (const Line* found = findKey(section, key)) {
        // Keep the key as the file spells it, with its blanks around '='.
        Line& line = lines_[static_cast<std::size_t>(found - lines_.data())];
        std::size_t valueStart = line.text.find(u'=') + 1;
        while (valueStart < line.text.size() && isBlank(line.text[valueStart]))
            ++valueStart;
        line.text.replace(valueStart, std::u16string::npos, value);
        return;
    }

    const Ending nl = newlineStyle();
    std::u16string keyLine(key);
    keyLine += u'=';
    keyLine += value;

    std::size_t sec = sectionNumber(section);
    if (sec == 0) {
        if (!lines_.empty() && lines_.back().ending == Ending::None)
            lines_.back().ending = nl;
        Line header;
        header.text = u"[" + std::u16string(section) + u"]";
        header.ending = nl;
        lines_.push_back(std::move(header));
        Line entry;
        entry.text = std::move(keyLine);
        entry.ending = nl;
        lines_.push_back(std::move(entry));
    } else {
        std::size_t at = insertionPoint(sec);
        Line entry;
        entry.text = std::move(keyLine);
        // The new line takes over the ending of the line it follows, so a file
        // that ended without a line break still does.
        entry.ending = lines_[at - 1].ending == Ending::None ? Ending::None : nl;
        if (lines_[at - 1].ending == Ending::None)
            lines_[at - 1].ending = nl;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    }
    reindex();
}

void ProfileFile::checkLoadedForWrite() {
    switch (status_) {
    case ProfileLoadStatus::Loaded:
    case ProfileLoadStatus::Missing:
        return;
    case ProfileLoadStatus::TooLarge:
        throw ProfileWriteError(path_, "the file is too large to be a profile file");
    case ProfileLoadStatus::Unreadable:
        break;
    }
    throw ProfileWriteError(path_, "the file cannot be read");
}

void ProfileFile::save() {
    std::u16string text;
    for (const Line& line : lines_) {
        text += line.text;
        switch (line.ending) {
        case Ending::None:
            break;
        case Ending::CrLf:
            text += u"\r\n";
            break;
        case Ending::Lf:
            text += u'\n';
            break;
        case Ending::Cr:
            text += u'\r';
            break;
        }
    }

    std::string bytes;
    switch (encoding_) {
    case Encoding::Ansi:
        bytes = text::encodeTextFile(text);
        break;
    case Encoding::Utf8:
        bytes = text::toUtf8(text);
        break;
    case Encoding::Utf8Bom:
        bytes = "\xEF\xBB\xBF" + text::toUtf8(text);
        break;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool le = encoding_ == Encoding::Utf16Le;
        bytes.reserve(2 * text.size() + 2);
        auto put = [&](char16_t c) {
            char lo = static_cast<char>(c & 0xFF);
            char hi = static_cast<char>(c >> 8);
            bytes.push_back(le ? lo : hi);
            bytes.push_back(le ? hi : lo);
        };
        put(0xFEFF);
        for (char16_t c : text)
            put(c);
        break;
    }
    }

    // The file is replaced by a rename, which a read-only file would not stop:
    // refuse as the platform's own profile services do.
    if (status_ == ProfileLoadStatus::Loaded) {
        std::ofstream probe(fsPath(path_), std::ios::binary | std::ios::app);
        if (!probe.is_open())
            throw ProfileWriteError(path_, "the file is read-only");
    }

    fileio::FileResult result = fileio::writeFileAtomic(path_, bytes);
    if (!result.ok)
        throw ProfileWriteError(path_, result.error);
    status_ = ProfileLoadStatus::Loaded;
}

void ProfileFile::writeString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view value) {
    writeStrings({ProfileValue{std::u16string(section), std::u16string(key), std::u16string(value)}});
}

void ProfileFile::writeStrings(const std::vector<ProfileValue>& values) {
    if (values.empty())
        return;
    // A fresh load of the file, so that a failure leaves this object as it was.
    ProfileFile work(path_);
    work.checkLoadedForWrite();
    for (const ProfileValue& v : values)
        work.applyWrite(v.section, v.key, v.value);
    work.save();
    *this = std::move(work);
}

std::u16string readProfileString(const std::string& path, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view defaultValue) {
    return ProfileFile(path).readString(section, key, defaultValue);
}

void writeProfileString(const std::string& path, std::u16string_view section,
                        std::u16string_view key, std::u16string_view value) {
    ProfileFile(path).writeString(section, key, value);
}

} // namespace tallix
