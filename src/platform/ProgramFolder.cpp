#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <utility>

namespace tallix {

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder.push_back('/');
    return folder;
}

} // namespace

std::string userProgramFolder() {
    if (std::string home = env("TALLIX32_HOME"); !home.empty())
        return withSeparator(home);
#if defined(_WIN32)
    std::string base = env("LOCALAPPDATA");
    if (base.empty())
        base = env("APPDATA");
#elif defined(__APPLE__)
    std::string base = env("HOME");
    if (!base.empty())
        base += "/Library/Application Support";
#else
    std::string base = env("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') { // a relative value is to be ignored
        base = env("HOME");
        if (!base.empty())
            base += "/.local/share";
    }
#endif
    std::string folder = base.empty() ? std::string("./") : withSeparator(std::move(base));
    folder.append("Tallix32/");
    return folder;
}

} // namespace tallix
