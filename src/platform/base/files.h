// File helpers the whole system shares: the folder of the running program, replacing a file
// whole so that a crash or a power cut leaves either the old file or the new one (the
// libraries' debug logs are debug_log.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace files {

// The folder of the running executable; the working folder when the system cannot tell.
std::filesystem::path ExecutableFolder();

// The folder of the game's Data/ and shipped texts: the executable's own folder when Data/ is
// there (a build tree, or a game folder copied whole), else the installed data folder
// (/usr/share/games/nightwisp beside /usr/games), found from the executable's folder.
std::filesystem::path GameDataFolder();

// The installed folder of the helper programs the game starts itself (/usr/lib/games/nightwisp
// beside /usr/games), found from the executable's folder.
std::filesystem::path InstalledHelperFolder();

// Replaces fileName with bytes. They go to a temporary file beside it (".<name>.XXXXXX"), which
// is synced to disk and renamed over the old file; then the folder is synced, so the rename
// itself survives a power cut. An existing file keeps its permissions; a new one is rw-r--r--.
// Temporaries that an earlier writer of this file left behind when it was killed are removed
// first (a temporary another writer still holds is left alone). False when the file was not
// replaced: error then says why, naming the file, and the old file is as it was.
bool ReplaceFile(const std::filesystem::path& fileName, std::string_view bytes, std::string& error);

// The two halves of a replacement for a writer that replaces several files together: the new
// file written under a name of its own and synced to disk, then renamed over the old one with
// the folder synced. False, with error naming the file, on failure; a failed write leaves no
// file behind.
bool WriteSyncedFile(const std::filesystem::path& fileName, std::string_view bytes,
                     std::string& error);
bool RenameSynced(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::string& error);

// Removes the temporaries ReplaceFile made for folder / target that no writer holds any more.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& target);

// Makes a finished rename or removal in folder durable; a file system that cannot sync a folder
// has nothing to sync.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace files
