// The additional-questions reader on arbitrary bytes: it must never crash, and whatever it
// reads must keep the catalogue's invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rules/catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One catalogue for the whole run, taken back to its built-in proverbs before each input:
  // copying the 680 texts of a fresh one would cost more than reading the input.
  static TCatalogue* const shared = [] {
    auto* catalogue = new TCatalogue;
    BuildMondaiTable(*catalogue);
    return catalogue;
  }();
  TCatalogue& catalogue = *shared;
  ClearTuikaMondai(catalogue);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TuikaLoadResult result = LoadTuikaMondaiFromBytes(catalogue, bytes);

  const auto count = static_cast<std::size_t>(catalogue.TuikaCount);
  const bool consistent =
      result.Accepted == catalogue.TuikaCount && catalogue.SpeechList.size() == 171 + count &&
      catalogue.TuikaMondaiList.size() == count && catalogue.TuikaSeikaiList.size() == count &&
      catalogue.TuikaImiList.size() == count && catalogue.TuikaShutsudai.size() == count &&
      result.Accepted <= result.PairCount;
  if (!consistent) std::abort();
  for (std::size_t k = 0; k < count; ++k) {
    if (!IsAcceptableTuikaPair(catalogue.TuikaSeikaiList[k], catalogue.TuikaMondaiList[k])) {
      std::abort();
    }
    if (catalogue.Speech(static_cast<std::int32_t>(171 + k)) != catalogue.TuikaMondaiList[k]) {
      std::abort();
    }
  }
  return 0;
}
