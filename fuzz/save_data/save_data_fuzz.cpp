// The saved-game reader and its checks on arbitrary bytes: the record is filled from any
// length, the checks never read outside it, and a record they pass is one the game can lay
// out (every character index inside the 39 slots, every counter in range).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rules/catalogue.h"
#include "rules/save_file.h"

namespace {

const TCatalogue& Catalogue() {
  static const TCatalogue catalogue = [] {
    TCatalogue c;
    BuildMondaiTable(c);
    return c;
  }();
  return catalogue;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TSaveData record;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DecodeSaveData(bytes, record);
  // A few leading bytes double as the additional question's saved reading.
  const std::u16string reading(static_cast<std::size_t>(size % 41), u'あ');
  for (const std::u16string* tuika : {static_cast<const std::u16string*>(nullptr), &reading}) {
    const std::string problem = SaveDataProblem(record, Catalogue(), tuika);
    if (!problem.empty()) continue;
    if (record.MojiCount < 0 || record.MojiCount > 39 || record.KakushiNo < 0 ||
        record.KakushiNo > 39 || record.SeikaiCount >= 30 || record.FuseikaiCount >= 5 ||
        record.MondaiNo < 1) {
      std::abort();  // a damaged record was passed
    }
    if (record.MondaiNo <= 170 &&
        Catalogue().Reading(record.MondaiNo).size() != static_cast<std::size_t>(record.MojiCount)) {
      std::abort();
    }
  }
  // Writing the image back gives the bytes it was read from.
  if (size >= kSaveDataSize &&
      EncodeSaveData(record) != std::string(bytes.substr(0, kSaveDataSize))) {
    std::abort();
  }
  return 0;
}
