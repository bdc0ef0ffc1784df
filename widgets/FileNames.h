#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

// File names and paths are bytes as the file system gives them; widgets show them decoded by the
// locale's rules and hand them back as the same bytes.
[[nodiscard]] inline QString DecodedFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}
[[nodiscard]] inline std::string EncodedFileName(const QString& name) {
  return QFile::encodeName(name).toStdString();
}
