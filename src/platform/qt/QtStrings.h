#pragma once
// The two conversions between the core's UTF-16 strings and Qt's, used by every
// window. Both are exact: a QString is UTF-16 too.
#include <QString>

#include <string>
#include <string_view>

namespace tallix {

inline QString qs(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}
inline std::u16string u16(const QString& s) { return s.toStdU16String(); }

} // namespace tallix
