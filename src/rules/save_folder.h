// The per-user folder held by one running game. Each save first settles what an earlier save
// left half-finished, so a second game saving into the same folder (a second window, or the
// same documents folder from a second login) could undo the first game's save in progress. The
// first game to find the folder takes it, with flock(2) on the folder itself, until it ends;
// a game that finds it taken plays on without writing there. A folder that does not exist yet
// is taken when the first save makes it.
#pragma once

#include <filesystem>
#include <string>

namespace game {

class TSaveFolder {
 public:
  TSaveFolder() = default;
  ~TSaveFolder();
  TSaveFolder(const TSaveFolder&) = delete;
  TSaveFolder& operator=(const TSaveFolder&) = delete;

  // Takes the folder when it exists and is not taken yet; false only when another running
  // game holds it (then for the rest of the session: the other game may still be saving).
  bool Take(const std::filesystem::path& folder);
  // Whether another running game holds the folder.
  bool HeldElsewhere() const { return elsewhere_; }

 private:
  int fd_ = -1;  // the folder, locked, while this game holds it
  bool elsewhere_ = false;
};

// The message for a game that found the folder taken (UTF-8).
std::string SaveFolderTakenMessage(const std::filesystem::path& folder);

}  // namespace game
