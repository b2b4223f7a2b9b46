#include "app/face_names.h"

#include "platform/gdi/font_resolver.h"

namespace app {

QString InstalledFace(const QString& face) {
  const std::string substitute = gdi::WindowsJapaneseSubstitute(face.toStdString());
  return substitute.empty() ? face : QString::fromStdString(substitute);
}

}  // namespace app
