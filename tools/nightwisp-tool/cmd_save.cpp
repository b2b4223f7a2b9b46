// nightwisp-tool save FILE: every field of a saved game (record1.dat) as "Name: value", one
// per line under the record's own names, then whether the game would offer to continue it.
// The per-character arrays show their first MojiCount entries; Shutsudai lists the numbers of
// the proverbs marked as asked.
#include <algorithm>
#include <cstdio>
#include <string>

#include "commands.h"
#include "rules/catalogue.h"
#include "rules/save_file.h"

namespace tool {
namespace {

template <typename T>
std::string List(const T* values, std::int32_t count) {
  std::string out;
  for (std::int32_t i = 0; i < count; ++i) {
    if (i > 0) out += ' ';
    out += std::to_string(static_cast<long long>(values[i]));
  }
  return out;
}

}  // namespace

int RunSave(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: nightwisp-tool save FILE\n");
    return 2;
  }
  TSaveData d;
  std::uintmax_t fileSize = 0;
  std::string error;
  if (!ReadSaveFile(args[0], d, fileSize, error)) {
    std::fprintf(stderr, "nightwisp-tool save: %s\n", error.c_str());
    return 1;
  }
  // Arrays beyond the 39 slots (a damaged count) are shown up to the slots that exist.
  const std::int32_t count =
      std::clamp(d.MojiCount, std::int32_t{0}, static_cast<std::int32_t>(kSaveMojiSlots));
  std::string asked;
  for (std::size_t i = 0; i < kSaveShutsudaiSlots; ++i) {
    if (d.Shutsudai[i] == 0) continue;
    if (!asked.empty()) asked += ' ';
    asked += std::to_string(i + 1);
  }
  std::printf("MondaiNo: %d\n", d.MondaiNo);
  std::printf("Shutsudai: %s\n", asked.c_str());
  std::printf("ShutsudaiCount: %d\n", d.ShutsudaiCount);
  std::printf("MojiCount: %d\n", d.MojiCount);
  std::printf("X: %s\n", List(d.X, count).c_str());
  std::printf("Y: %s\n", List(d.Y, count).c_str());
  std::printf("DX: %s\n", List(d.DX, count).c_str());
  std::printf("DY: %s\n", List(d.DY, count).c_str());
  std::printf("KakushiNo: %d\n", d.KakushiNo);
  std::printf("Akarusa: %s\n", List(d.Akarusa, count).c_str());
  std::printf("Akarumu: %s\n", List(d.Akarumu, count).c_str());
  std::printf("SeikaiCount: %d\n", d.SeikaiCount);
  std::printf("RenzokuCount: %d\n", d.RenzokuCount);
  std::printf("FuseikaiCount: %d\n", d.FuseikaiCount);
  std::printf("TimeLeft: %d\n", d.TimeLeft);
  std::printf("PauseTotal: %d\n", d.PauseTotal);
  std::printf("Playing: %d\n", d.Playing);
  std::printf("Tokuten: %d\n", d.Tokuten);
  std::printf("SaikoTokuten: %d\n", d.SaikoTokuten);
  std::printf("BonusMode: %d\n", d.BonusMode);
  std::printf("HintMoji: %d\n", d.HintMoji);
  std::printf("HintCount: %d\n", d.HintCount);

  TCatalogue catalogue;
  BuildMondaiTable(catalogue);
  std::string problem = SaveFileSizeProblem(fileSize);
  if (problem.empty()) problem = SaveDataProblem(d, catalogue, nullptr);
  if (problem.empty()) {
    std::printf("resume: yes\n");
  } else {
    std::printf("resume: no — %s\n", problem.c_str());
  }
  return 0;
}

}  // namespace tool
