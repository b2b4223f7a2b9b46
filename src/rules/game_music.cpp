// Music: its start 100 ms after start-up and the random music's next track (jobs of the main
// loop's tick), the music files (music_files.h) and the recursive scan of a folder for them,
// the shuffle list, and starting the music (the media player itself is TGame's,
// game_sound.cpp).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <system_error>

#include "platform/clock/clock.h"
#include "platform/codepage/codepage.h"
#include "rules/game_rules.h"
#include "rules/music_files.h"
#include "rules/music_reasons.h"
#include "rules/random.h"

namespace game {

// The music starts this long after start-up.
constexpr DWORD kMusicDelay = 100;

bool IsMusicFile(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const TMusicFormat& format : kMusicFormats) {
    if (extension == format.Extension) return true;
  }
  return false;
}

std::string MusicFileFilter() {
  std::string captions, patterns;
  const char* lastCaption = "";
  for (const TMusicFormat& format : kMusicFormats) {
    if (std::string_view(format.Caption) != lastCaption) {
      captions += (captions.empty() ? "" : ";") + std::string(format.Caption) + "ファイル";
      lastCaption = format.Caption;
    }
    patterns += (patterns.empty() ? "*" : ";*") + std::string(format.Extension);
  }
  return captions + "|" + patterns + "|すべてのファイル|*.*";
}

namespace {

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
    } else if (IsMusicFile(entry.path())) {
      list.push_back(prefix + name);
    }
  }
}

// The game's own default tune where the game stood when the name was stored (a build folder,
// another installation): Data/tamsu08-1.mp3 in any folder, with a slash or a backslash (Windows).
bool NamesDefaultTune(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  const std::filesystem::path path(name);
  return path.filename() == kDefaultMusicFile && path.parent_path().filename() == "Data";
}

}  // namespace

// The music, once, 100 ms after start-up: the player's choice from the settings, or the
// game's own music when it is gone.
void TGameRules::StartMusicWhenDue() {
  if (timeGetTime() - S.TitleTime < kMusicDelay || S.BgmStarted != 0) return;
  std::error_code error;
  // Marked at once: a box opened below runs ticks of its own, which must not start the
  // music a second time.
  S.BgmStarted = 1;
  const std::filesystem::path defaultMusic = S.AppDir / "Data" / kDefaultMusicFile;
  Window.ProcessMessages();
  S.BgmOn = 1;
  CheckBgmOn(true);
  S.MusicName = defaultMusic.string();
  S.BgmOn = S.Settings.Music ? 1 : 0;
  S.BgmRandom = S.Settings.Random ? 1 : 0;
  // A stored default tune is this installation's; the player's own choice stays as it is.
  if (!S.Settings.MusicName.empty() && !NamesDefaultTune(S.Settings.MusicName)) {
    S.MusicName = S.Settings.MusicName;
  }
  S.MusicFolda = S.Settings.MusicFolda;
  // Music the player chose but that is not there today: the default plays this session, the
  // player hears why once, and the setting is kept for the next start.
  std::string missing;
  auto useDefaultMusic = [&](std::string why) {
    if (S.MusicName != defaultMusic.string() || S.BgmRandom == 1) {
      S.KeptMusicName = S.MusicName;
      S.KeptBgmRandom = S.BgmRandom;
      missing = std::move(why);
    }
    S.BgmRandom = 0;
    S.MusicName = defaultMusic.string();
    CheckMusicMode(false);
  };
  if (S.BgmRandom == 0) {
    CheckMusicMode(false);
    if (!std::filesystem::is_regular_file(S.MusicName, error)) {
      useDefaultMusic("BGMのファイル「" + S.MusicName + "」が見つかりません。");
    }
  } else if (!S.MusicFolda.empty() && std::filesystem::is_directory(S.MusicFolda, error)) {
    S.AudioList.clear();
    Window.ProcessMessages();
    ScanAudioFiles(S.MusicFolda);
    if (S.AudioList.empty()) {
      useDefaultMusic("BGMのフォルダ「" + S.MusicFolda + "」に曲が見つかりません。");
    } else {
      BuildRandomList();
      PickRandomTrack();
      CheckMusicMode(true);
    }
    S.AudioList.clear();
  } else {
    useDefaultMusic("BGMのフォルダ「" + S.MusicFolda + "」が見つかりません。");
  }
  Window.ProcessMessages();
  if (S.BgmOn == 1) {
    if (!missing.empty()) ShowBox(missing + "\n今回は標準の曲を流します。設定はそのまま残します。");
    StartMusic();
  } else {
    CheckBgmOn(false);
  }
  S.Message1.clear();
  ShowMessage1();
}

// The random music moves on at the end of a track, by its length or when it ran out sooner
// (a file may claim hours and hold seconds, or nothing). A single file loops by itself; one
// that gave no sound at all is reported once and stopped.
void TGameRules::NextTrackAtTheEnd() {
  if (S.BgmOn != 1 && S.GameClear != 1) return;
  const double duration = MusicDuration();
  const std::int64_t elapsed = std::abs(
      static_cast<std::int64_t>(static_cast<std::int32_t>(timeGetTime() - S.MusicStartTime)));
  const bool ranOut = MusicRanOut();
  const bool random = S.BgmRandom == 1 && S.RandomFileCount > 0;
  if (random && (ranOut || (duration > 0 && elapsed / 1000.0 > duration))) {
    StopMusic();
    PickRandomTrack();
    ShowMusicTitle();
    PlayMusic();
  } else if (!random && ranOut) {
    StopMusic();
    MusicFailed("「" + S.MusicName + "」を再生できませんでした。\n" + music_reasons::kEmpty);
  }
}

void TGameRules::ScanAudioFiles(const std::string& folder) {
  std::set<std::filesystem::path> visited;
  ScanFolder(folder, S.AudioList, visited);
}

void TGameRules::BuildRandomList() {
  S.RandomFiles = S.AudioList;
  S.RandomFileCount = static_cast<std::int32_t>(S.RandomFiles.size());
  S.RandomPlayed.assign(S.RandomFiles.size(), 0);
  S.RandomPlayedCount = 0;
  // One file loops on its own; more are shuffled.
  S.BgmRandom = S.RandomFileCount > 1 ? 1 : 0;
  CheckMusicMode(S.BgmRandom == 1);
}

void TGameRules::CheckMusicMode(bool random) {
  S.BgmRandomChecked = random ? 1 : 0;
  Window.SetMenuChecked(TMenuItem::S2, !random);
  Window.SetMenuChecked(TMenuItem::R1, random);
}

void TGameRules::CheckBgmOn(bool on) {
  Window.SetMenuChecked(TMenuItem::ON1, on);
  Window.SetMenuChecked(TMenuItem::OFF1, !on);
}

std::int32_t TGameRules::PickRandomTrack() {
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

std::string TGameRules::ClearTune() const {
  return (S.AppDir / "Data" / kGameClearMusicFile).string();
}

void TGameRules::StartMusic() {
  S.BgmOn = 1;
  S.BgmOffByFailure = 0;
  CheckBgmOn(true);
  ShowMusicTitle();
  PlayMusic();
}

void TGameRules::MusicFailed(const std::string& message) {
  // One failure, one box; the game goes on without music.
  ShowBox(message);
  // The game-clear tune gives way to the player's music afterwards, which is left as it is.
  if (S.GameClear == 1 && S.MusicName == ClearTune()) return;
  // The menu and the screen say that nothing plays; the player's setting stays for the next
  // start.
  S.BgmOn = 0;
  S.BgmOffByFailure = 1;
  CheckBgmOn(false);
}

void TGameRules::PlayMusic() {
  std::optional<std::string> why = TryPlayMusic();
  if (!why) return;
  if (S.BgmRandom != 1 || S.RandomFileCount <= 0) {
    MusicFailed("「" + S.MusicName + "」を再生できませんでした。\n" + *why);
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
    if (!TryPlayMusic()) return;
    markFailed(S.MusicName);
  }
  MusicFailed("「" + S.MusicFolda + "」の曲はどれも再生できませんでした。");
}

}  // namespace game
