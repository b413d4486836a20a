#pragma once
// The settings store seen through the command line's read-only interface.
#include "platform/SettingsSource.h"
#include "platform/qt/SettingsStore.h"

namespace tallix {

class StoredSettings : public SettingsSource {
public:
    explicit StoredSettings(const SettingsStore& store) : store_(store) {}
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const override;
    std::string programFolder() const override;
    std::string readablePath(const std::string& path) const override;

private:
    const SettingsStore& store_;
};

} // namespace tallix
