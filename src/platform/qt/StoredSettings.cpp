#include "platform/qt/StoredSettings.h"

namespace tallix {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
} // namespace

std::string StoredSettings::readString(std::string_view section, std::string_view name,
                                       std::string_view defaultValue) const {
    return store_.readString(q(section), q(name), q(defaultValue)).toStdString();
}

std::string StoredSettings::readablePath(const std::string& path) const {
    return readableFile(QString::fromStdString(path)).toStdString();
}

std::string StoredSettings::programFolder() const { return tallix::programFolder().toStdString(); }

} // namespace tallix
