#include "platform/SettingsSource.h"
#include "platform/ProgramFolder.h"


namespace tallix {

namespace {

bool parseDecimal(std::string_view s, int& out) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return false;
    out = int(v);
    return true;
}

} // namespace

int SettingsSource::readInteger(std::string_view section, std::string_view name,
                                int defaultValue) const {
    int v = defaultValue;
    return parseDecimal(readString(section, name, std::to_string(defaultValue)), v)
               ? v
               : defaultValue;
}

bool SettingsSource::readBool(std::string_view section, std::string_view name,
                              bool defaultValue) const {
    return readInteger(section, name, defaultValue ? 1 : 0) != 0;
}

std::string DefaultSettings::programFolder() const { return userProgramFolder(); }

} // namespace tallix
