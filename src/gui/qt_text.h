#pragma once
// The one place where texts cross between the core (UTF-8 std::string) and Qt (QString).

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace vistrel {

// Malformed UTF-8 shows as replacement characters; never fails.
inline QString ToQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Every character is kept, in any script.
inline std::string ToUtf8(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace vistrel
