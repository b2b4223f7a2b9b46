// Pictures the about box shows, read from the game's data as Qt images.
#pragma once

#include <QImage>

#include <filesystem>
#include <string>

namespace app {

// An entry of a picture archive; a null image when it cannot be read.
QImage LoadArchivePicture(const std::filesystem::path& archive, const std::string& id);
// A picture file; a null image when it cannot be read.
QImage LoadPictureFile(const std::filesystem::path& file);

}  // namespace app
