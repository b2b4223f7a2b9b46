// Chooses the decoder for a music file by what the file holds, not by its name.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/wmp/ffmpeg_loader.h"
#include "platform/wmp/midi_source.h"
#include "platform/wmp/mpeg_source.h"
#include "platform/wmp/smf.h"

namespace wmp {
namespace {

// Far beyond any real tune; a bigger "MIDI file" is not read into memory.
constexpr std::uintmax_t kMaxMidiBytes = 16u << 20;
// The header chunk's division: "MThd", its length, the format and the track count come first.
constexpr std::size_t kMidiDivisionOffset = 12;

bool StartsWithMidiHeader(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char id[4] = {};
  return in.read(id, 4) && std::string(id, 4) == "MThd";
}

}  // namespace

std::unique_ptr<TMediaSource> OpenMediaSource(const std::string& path, int rate,
                                              const std::function<void()>& waiting) {
  if (!StartsWithMidiHeader(path)) {
    // MP3 without FFmpeg in memory; a stream libmpg123 refuses still gets the general decoder.
    if (LooksLikeMpegAudio(path)) {
      try {
        return std::make_unique<TMpegSource>(path, rate);
      } catch (const EMediaPlayer&) {
      }
    }
    return OpenFfmpegSource(path, rate, waiting);
  }

  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxMidiBytes)
    throw EMediaPlayer("MIDI ファイルが大きすぎます", TMediaFault::TooLong);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    throw EMediaPlayer("MIDI ファイルを読めません", TMediaFault::Damaged);
  }
  // The bound first: its walk stops at the first event past it, where measuring the length
  // would walk millions.
  if (const TMidiLoadProblem problem = MidiFileLoadProblem(bytes.data(), bytes.size());
      !problem.Reason.empty()) {
    throw EMediaPlayer(problem.Reason,
                       problem.Damaged ? TMediaFault::Damaged : TMediaFault::TooLong);
  }
  const std::optional<double> seconds = MidiFileSeconds(bytes.data(), bytes.size());
  if (!seconds) throw EMediaPlayer("MIDI ファイルが壊れています", TMediaFault::Damaged);
  // The synthesiser's sequencer counts time only in beats; a file timed in SMPTE frames (the
  // division's top bit) would stay silent.
  if (bytes[kMidiDivisionOffset] & 0x80) {
    throw EMediaPlayer("SMPTE のフレームで時間を刻む MIDI ファイルは演奏できません",
                       TMediaFault::Unsupported);
  }
  return std::make_unique<TMidiSource>(std::move(bytes), *seconds, rate);
}

}  // namespace wmp
