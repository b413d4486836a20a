#pragma once
// Windows-style profile ("INI") files: sections in square brackets, one
// "key=value" line per value.
//
// Reading follows the Windows rules: section and key names match without regard
// to case; a missing file, section or key yields the caller's default; a key that
// is present with an empty value yields the empty string; a value loses its
// leading and trailing blanks and one pair of enclosing quotes (both double or both
// single), and at most MaxValueLength characters of it are returned. When a key
// occurs more than once in a section (or a section more than once in the file),
// the first occurrence counts.
//
// Writing a value replaces that key's line in place, or else adds the line after
// the last key line of its section, creating the section (at the end of the file)
// and the file as needed. Every other line - comments, blank lines, other
// sections, lines that are neither - keeps its text and its own line ending. The
// file is rewritten whole and atomically, in the text encoding it had.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tallix {

// A value or a whole file could not be written. what() is "Unable to write to "
// followed by the path as it was given; reason() says why, for diagnostics.
class ProfileWriteError : public std::runtime_error {
public:
    ProfileWriteError(const std::string& path, std::string reason);
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

// How the file was found when it was last loaded.
enum class ProfileLoadStatus {
    Loaded,     // read and parsed
    Missing,    // no file at the path: every read yields its default
    Unreadable, // a folder, or a file that could not be read: reads yield defaults
    TooLarge,   // larger than MaxFileBytes: not read, reads yield defaults
};

// One value to write, for ProfileFile::writeStrings.
struct ProfileValue {
    std::u16string section;
    std::u16string key;
    std::u16string value;
};

// A profile file loaded once: reads are answered from memory, writes go through to
// the file at once and keep the loaded copy in step.
class ProfileFile {
public:
    // Longest value a read returns, in UTF-16 code units (a surrogate pair is
    // never split, so a value may come back one unit shorter).
    static constexpr std::size_t MaxValueLength = 1023;
    // Files larger than this are not read (reads yield their defaults, writes fail).
    static constexpr std::uintmax_t MaxFileBytes = 1024u * 1024u;

    // Loads the file at path (UTF-8). Never throws for a missing or bad file; see
    // status().
    explicit ProfileFile(std::string path);

    const std::string& path() const noexcept { return path_; }
    ProfileLoadStatus status() const noexcept { return status_; }

    // Re-reads the file, dropping what was loaded before.
    void reload();

    std::u16string readString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue) const;

    // True when the section holds a key line for key (whatever its value).
    bool hasKey(std::u16string_view section, std::u16string_view key) const;

    // Writes one value. The file is re-read first, so changes made to it through
    // another object since this one loaded are kept. A value is one line: it is
    // written up to its first line break (CR or LF) or NUL. Throws
    // ProfileWriteError when the file cannot be read back or written, or when the
    // section or key name cannot be represented in the format; the file and this
    // object are then left as they were.
    void writeString(std::u16string_view section, std::u16string_view key,
                     std::u16string_view value);

    // Writes several values in order, with a single rewrite of the file: either
    // all of them reach the file or, on failure (ProfileWriteError), none do.
    void writeStrings(const std::vector<ProfileValue>& values);

private:
    enum class Encoding { Ansi, Utf8, Utf8Bom, Utf16Le, Utf16Be };
    // Other: comments, blank and odd lines. BadSection: a '[' line without ']',
    // which ends the section before it without starting a usable one.
    enum class LineKind { Other, Section, BadSection, Key };

    enum class Ending : std::uint8_t { None, CrLf, Lf, Cr }; // None: last line only

    struct Line {
        std::u16string text; // without its line ending
        Ending ending = Ending::None;
        LineKind kind = LineKind::Other;
        std::size_t section = 0; // index into sectionNames_ + 1; 0 = before any/bad section
    };

    void load();
    void parse(std::u16string_view text);
    void reindex();
    void applyWrite(std::u16string_view section, std::u16string_view key,
                    std::u16string_view value);
    void checkLoadedForWrite();
    void save();
    Ending newlineStyle() const;
    const Line* findKey(std::u16string_view section, std::u16string_view key) const;
    std::size_t sectionNumber(std::u16string_view trimmedSection) const;
    std::size_t insertionPoint(std::size_t section) const;

    std::string path_;
    ProfileLoadStatus status_ = ProfileLoadStatus::Missing;
    Encoding encoding_ = Encoding::Ansi;
    std::vector<Line> lines_;
    // Folded section name -> section number (as in Line::section).
    std::unordered_map<std::u16string, std::size_t> sectionNumbers_;
    // Folded "section\0key" -> index of the first line holding that key.
    std::unordered_map<std::u16string, std::size_t> keyLines_;
    // Section number -> index of the header line of its first occurrence.
    std::vector<std::size_t> firstHeader_;
};

// One-shot helpers over a ProfileFile, in the manner of the platform's
// private-profile-string calls.
std::u16string readProfileString(const std::string& path, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view defaultValue);
void writeProfileString(const std::string& path, std::u16string_view section,
                        std::u16string_view key, std::u16string_view value);

} // namespace tallix
