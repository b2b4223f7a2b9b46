#include "platform/shell/shell.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QString>
#include <QUrl>
#include <cstdlib>
#include <system_error>

namespace shell {
namespace {

std::filesystem::path PathFromQString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                             static_cast<std::size_t>(utf8.size())));
}

QString QStringFromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()),
                           static_cast<qsizetype>(utf8.size()));
}

// A scheme of two or more letters followed by ':' makes an address; anything else is a path.
// (One letter would be a drive, "C:\...", on the design's platform.)
bool LooksLikeUrl(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.');
    if (!letter && !other) return false;
  }
  return true;
}

bool OpenUrl(const QUrl& url) {
  // QDesktopServices needs the GUI application's platform services.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return false;
  if (!url.isValid()) return false;
  if (url.isLocalFile()) {
    std::error_code error;
    if (!std::filesystem::exists(PathFromQString(url.toLocalFile()), error)) return false;
  }
  return QDesktopServices::openUrl(url);
}

}  // namespace

std::filesystem::path DocumentsFolder() {
  const char* redirected = std::getenv("NIGHTWISP_DOCUMENTS");
  if (redirected != nullptr && *redirected != '\0') return std::filesystem::path(redirected);
  return PathFromQString(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

bool ShellOpen(const std::string& pathOrUrl) {
  if (pathOrUrl.empty()) return false;
  if (LooksLikeUrl(pathOrUrl)) return OpenUrl(QUrl(QString::fromUtf8(pathOrUrl.c_str())));
  return ShellOpen(std::filesystem::path(pathOrUrl));
}

bool ShellOpen(const std::filesystem::path& path) {
  if (path.empty()) return false;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return false;
  return OpenUrl(QUrl::fromLocalFile(QStringFromPath(absolute)));
}

}  // namespace shell
