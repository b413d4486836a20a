#pragma once
// Read-only access to the user's stored settings for code that runs without a
// window: the command-line exports and statistics take every option they are not
// given from here, exactly as the options windows would start.
//
// Sections and names are those of the settings store; every value is text
// (integers in decimal, booleans "0" or "1"). A missing value yields the caller's
// default.
#include <memory>
#include <string>
#include <string_view>

namespace tallix {

class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    // UTF-8 text of a value, or defaultValue when it is not stored.
    virtual std::string readString(std::string_view section, std::string_view name,
                                   std::string_view defaultValue) const = 0;
    // The folder of the program's own files (button file, titles file, the two
    // libraries), with a trailing separator.
    virtual std::string programFolder() const = 0;
    // The file to read for path: path itself, or, while a file of the program
    // folder does not exist yet, the copy installed with the program.
    virtual std::string readablePath(const std::string& path) const { return path; }

    // Decimal text with optional blanks and sign; anything else yields defaultValue.
    int readInteger(std::string_view section, std::string_view name, int defaultValue) const;
    // Any non-zero integer reads as true.
    bool readBool(std::string_view section, std::string_view name, bool defaultValue) const;
};

// Nothing stored: every read gives its default; the program folder is the user's
// (see ProgramFolder.h).
class DefaultSettings : public SettingsSource {
public:
    std::string readString(std::string_view, std::string_view,
                           std::string_view defaultValue) const override {
        return std::string(defaultValue);
    }
    std::string programFolder() const override;
};

} // namespace tallix
