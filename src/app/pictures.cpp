#include "app/pictures.h"

#include <QString>

#include <exception>

#include "archive/qdarc.h"

namespace app {

QImage LoadArchivePicture(const std::filesystem::path& archive, const std::string& id) {
  try {
    const auto entry = ReadQDAEntry(archive, id);
    if (!entry) return {};
    return QImage::fromData(entry->Memory(), static_cast<int>(entry->ByteSize()), "BMP");
  } catch (const std::exception&) {
    return {};  // the about box then shows no picture; the game itself reports archive faults
  }
}

QImage LoadPictureFile(const std::filesystem::path& file) {
  return QImage(QString::fromStdString(file.string()));
}

}  // namespace app
