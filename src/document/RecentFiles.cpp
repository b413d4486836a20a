#include "document/RecentFiles.h"

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
    if (path.empty() || std::find(entries_.begin(), entries_.end(), path) != entries_.end())
        return false;
    std::move_backward(entries_.begin(), entries_.end() - 1, entries_.end());
    entries_[0] = path;
    return true;
}

} // namespace tallix
