#include "stats/StudentNames.h"

namespace tallix::stats {

namespace {

// Both separators: a list may hold paths typed or saved on Windows.
std::string::size_type lastSeparator(const std::string& path) {
    return path.find_last_of("/\\");
}

std::string fileNamePart(const std::string& path) {
    auto slash = lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string studentFromFileName(const std::string& path) {
    std::string name = fileNamePart(path);
    if (name.empty())
        return name;
    auto underscore = name.find('_');
    if (underscore == 0)
        return name; // nothing before the "_": the whole name, as promised
    if (underscore != std::string::npos)
        return name.substr(0, underscore);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        return name.substr(0, dot);
    return name;
}

std::string studentFromFolder(const std::string& path) {
    std::string trimmed = path;
    auto slash = lastSeparator(trimmed);
    if (slash == std::string::npos)
        return studentFromFileName(path);
    trimmed.erase(slash);
    while (!trimmed.empty() && (trimmed.back() == '/' || trimmed.back() == '\\'))
        trimmed.pop_back();
    std::string folder = fileNamePart(trimmed);
    return folder.empty() ? studentFromFileName(path) : folder;
}

}  // namespace tallix::stats
