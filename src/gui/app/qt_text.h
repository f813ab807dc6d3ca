// Conversions between core's UTF-8 strings and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace konfex {

inline QString toQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string fromQ(const QString& text) {
  return text.toUtf8().toStdString();
}

}  // namespace konfex
