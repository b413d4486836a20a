#pragma once
// The five most recently loaded or saved marked files, most recent first.
#include <array>
#include <string>

namespace tallix {

// The file-name part of a path as the platform sees it: after the last "/" (and,
// on Windows, after the last "\" or ":").
std::string fileNamePart(const std::string& path);

class RecentFiles {
public:
    static constexpr int Count = 5;

    // Entry 1..5; empty when unused.
    const std::string& entry(int n) const { return entries_[std::size_t(n - 1)]; }
    void setEntry(int n, std::string path) { entries_[std::size_t(n - 1)] = std::move(path); }

    // After a successful load or save: the path's full canonical name (see
    // fileio::canonicalPath) is what the list holds. A name equal (exactly, case
    // included) to an entry leaves the list as it is; an entry that names the same
    // file another way takes the full name in its place; any other name becomes
    // entry 1 and pushes the others down, the fifth dropping off. Returns whether
    // the list changed.
    bool update(const std::string& path);

    // What the menu shows for entry n: the file-name part, or empty when unused.
    std::string menuText(int n) const { return fileNamePart(entry(n)); }
    // The divider below the items shows once entry 1 is in use.
    bool dividerVisible() const { return !entries_[0].empty(); }

    friend bool operator==(const RecentFiles&, const RecentFiles&) = default;

private:
    std::array<std::string, Count> entries_;
};

} // namespace tallix
