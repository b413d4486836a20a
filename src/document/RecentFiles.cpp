#include "document/RecentFiles.h"

#include "platform/FileIO.h"

#include <algorithm>

namespace tallix {

std::string fileNamePart(const std::string& path) {
#ifdef _WIN32
    auto cut = path.find_last_of("\\/:");
#else
    auto cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool RecentFiles::update(const std::string& path) {
    if (path.empty())
        return false;
    // A relative name works only from the folder it was given in, and another
    // spelling of a listed file would list it twice: the list holds full names.
    const std::string full = fileio::canonicalPath(path);
    if (std::find(entries_.begin(), entries_.end(), full) != entries_.end())
        return false;
    for (std::string& e : entries_)
        if (!e.empty() && fileio::canonicalPath(e) == full) {
            e = full; // an entry of an earlier run under another spelling
            return true;
        }
    std::move_backward(entries_.begin(), entries_.end() - 1, entries_.end());
    entries_[0] = full;
    return true;
}

} // namespace tallix
