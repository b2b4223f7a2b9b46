// The INI line model on arbitrary text (a hand-edited Settei.ini): the text comes back as it
// was, and a key set with valid names is found again while another key keeps its value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  profile::TIniDocument document(text);
  if (document.Text() != text) std::abort();

  // A value of letters and digits taken from the input, as the game writes its keys.
  std::string value;
  for (std::size_t i = 0; i < size && value.size() < 16; ++i) {
    const char c = static_cast<char>('a' + data[i] % 26);
    value.push_back(c);
  }
  const auto other = document.Find("KaitoMode", "Value");
  document.Set("BGM", "MusicName", value);
  if (document.Find("BGM", "MusicName") != value) std::abort();
  if (document.Find("KaitoMode", "Value") != other) std::abort();
  // What was written reads back the same.
  if (profile::TIniDocument(document.Text()).Find("BGM", "MusicName") != value) std::abort();
  return 0;
}
