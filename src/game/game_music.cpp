// Music files: the recursive scan of a folder for audio files, the shuffle list, the music
// title shortened to the window's width, and starting the music.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <system_error>

#include "audio/music.h"
#include "game/game.h"
#include "game/game_owned.h"
#include "game/random.h"
#include "platform/codepage/codepage.h"

namespace game {
namespace {

constexpr int kMusicTitlePoints = 11;
constexpr const char* kEllipsis = "...";

bool IsAudioFile(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // The design's seven, and what a Linux player's own music is mostly kept in.
  for (const char* known : {".mid", ".mp3", ".wma", ".wav", ".aif", ".aifc", ".aiff", ".ogg",
                            ".oga", ".opus", ".flac", ".m4a", ".aac"}) {
    if (extension == known) return true;
  }
  return false;
}

// Depth first, each folder's entries in name order (the order the original file system lists
// them in). A folder reached twice through links is scanned once, so a link loop ends.
void ScanFolder(const std::string& folder, std::vector<std::string>& list,
                std::set<std::filesystem::path>& visited) {
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::canonical(folder, error);
  if (error || !visited.insert(canonical).second) return;
  std::vector<std::filesystem::directory_entry> entries;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    entries.push_back(*it);
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    std::error_code kindError;
    if (entry.is_directory(kindError)) {
      if (name != "." && name != "..") ScanFolder(prefix + name, list, visited);
    } else if (IsAudioFile(entry.path())) {
      list.push_back(prefix + name);
    }
  }
}

}  // namespace

void TGame::ScanAudioFiles(const std::string& folder) {
  std::set<std::filesystem::path> visited;
  ScanFolder(folder, S.AudioList, visited);
}

void TGame::BuildRandomList() {
  S.RandomFiles = S.AudioList;
  S.RandomFileCount = static_cast<std::int32_t>(S.RandomFiles.size());
  S.RandomPlayed.assign(S.RandomFiles.size(), 0);
  S.RandomPlayedCount = 0;
  // One file loops on its own; more are shuffled.
  S.BgmRandom = S.RandomFileCount > 1 ? 1 : 0;
  CheckMusicMode(S.BgmRandom == 1);
}

void TGame::CheckMusicMode(bool random) {
  S.BgmRandomChecked = random ? 1 : 0;
  Window.SetMenuChecked(TMenuItem::S2, !random);
  Window.SetMenuChecked(TMenuItem::R1, random);
}

void TGame::CheckBgmOn(bool on) {
  Window.SetMenuChecked(TMenuItem::ON1, on);
  Window.SetMenuChecked(TMenuItem::OFF1, !on);
}

std::string TGame::MusicTitle(const std::string& path) {
  // Split into the root (the "drive"), the folders and the file name.
  std::string root;
  std::string rest = path;
  if (!rest.empty() && rest.front() == '/') {
    root = "/";
    rest.erase(0, 1);
  }
  std::vector<std::string> folders;
  std::size_t start = 0;
  for (std::size_t slash = rest.find('/'); slash != std::string::npos;
       slash = rest.find('/', start)) {
    folders.push_back(rest.substr(start, slash - start));
    start = slash + 1;
  }
  const std::string name = rest.substr(start);

  // The forms from the whole path down to the file name alone.
  std::vector<std::string> forms{path};
  for (std::size_t k = 1; k <= folders.size(); ++k) {
    std::string form = root + kEllipsis + "/";
    for (std::size_t i = k; i < folders.size(); ++i) form += folders[i] + "/";
    forms.push_back(form + name);
  }
  if (!root.empty() || !folders.empty()) forms.push_back(std::string(kEllipsis) + "/" + name);

  // Measured in the window's face at 11 points.
  TSXTextWriter* writer = Owned->LabelWriter.get();
  writer->Font().SetSize(kMusicTitlePoints);
  const int limit = Window.OuterWidth() - 5;
  for (const std::string& form : forms) {
    if (writer->TextWidth(codepage::Utf8ToUtf16(form)) <= limit) return form;
  }
  return name;
}

bool TGame::TryPlayMusic() {
  try {
    ::PlayMusic(*Owned->WindowsMediaPlayer1, codepage::Utf8ToUtf16(S.MusicName), S.BgmRandom,
                S.MusicStartTime);
    return true;
  } catch (const EMediaPlayer& e) {
    // The library's reason is for the maintainer; the player's box names only the file.
    std::fprintf(stderr, "nightwisp: %s: %s\n", S.MusicName.c_str(), e.what());
    return false;
  }
}

std::int32_t TGame::PickRandomTrack() {
  // A new shuffle cycle once every file has played (or no mark is left free).
  S.RandomPlayed.resize(static_cast<std::size_t>(S.RandomFileCount), 0);
  if (S.RandomPlayedCount >= S.RandomFileCount ||
      std::find(S.RandomPlayed.begin(), S.RandomPlayed.end(), 0) == S.RandomPlayed.end()) {
    std::fill(S.RandomPlayed.begin(), S.RandomPlayed.end(), 0);
    S.RandomPlayedCount = 0;
  }
  std::int32_t pick = 0;
  do {
    pick = Random(S.RandomFileCount);
  } while (S.RandomPlayed[pick] != 0);
  S.MusicName = S.RandomFiles[pick];
  S.RandomPlayed[pick] = 1;
  ++S.RandomPlayedCount;
  return pick;
}

void TGame::PlayMusic() {
  if (TryPlayMusic()) return;
  if (S.BgmRandom != 1 || S.RandomFileCount <= 0) {
    // One failure, one box; the game goes on without music.
    ShowBox("「" + S.MusicName + "」を再生できませんでした。");
    return;
  }
  // The shuffle moves past the tracks it cannot play. Each file is tried at most once here, so
  // a list where nothing plays ends in one box and silence.
  std::vector<bool> failed(static_cast<std::size_t>(S.RandomFileCount), false);
  std::int32_t failures = 0;
  auto markFailed = [&](const std::string& name) {
    for (std::size_t i = 0; i < failed.size(); ++i) {
      if (S.RandomFiles[i] == name && !failed[i]) {
        failed[i] = true;
        ++failures;
      }
    }
  };
  markFailed(S.MusicName);
  while (failures < S.RandomFileCount) {
    const std::int32_t pick = PickRandomTrack();
    if (failed[static_cast<std::size_t>(pick)]) continue;
    if (TryPlayMusic()) return;
    markFailed(S.MusicName);
  }
  ShowBox("「" + S.MusicFolda + "」の曲はどれも再生できませんでした。");
}

}  // namespace game
