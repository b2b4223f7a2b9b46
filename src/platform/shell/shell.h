// The shell services the game uses: the documents folder, opening a file or a web address
// with the program the desktop associates with it, and the executable's own folder.
#pragma once

#include <filesystem>
#include <string>

namespace shell {

// The user's documents folder. $NIGHTWISP_DOCUMENTS, when set and not empty, takes the place
// of the desktop's documents folder (tests point it at a temporary folder; a player can move
// the game's files). Otherwise the desktop's documents location (XDG's, usually ~/Documents).
// Empty when neither is known. The folder is not created.
std::filesystem::path DocumentsFolder();

// Opens a local file (a path, or a "file:" address) or a web address ("http:", "https:",
// "mailto:", ...) with its associated program. False when it cannot be opened: a local file
// that does not exist, no running GUI application (a QGuiApplication must exist), or the
// desktop refused. Returns without waiting for the program.
bool ShellOpen(const std::string& pathOrUrl);
bool ShellOpen(const std::filesystem::path& path);

}  // namespace shell
