// Opening and closing the shared device, and the pool of mixer channels handed to voices.
#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/mixer/mixer.h"
#include "platform/mixer/pool.h"

namespace mixer {
namespace {

int sessionCount = 0;
Output output = Output::kNone;
bool subsystemUp = false;
bool toldNoDevice = false;
std::vector<bool> channelInUse;

// ALSA writes every failed look-up of a card ("ALSA lib confmisc.c: cannot find card '0'") to
// stderr, a dozen lines on a machine without a sound card. Whether a device opened is known from
// SDL; ALSA's own account of why not is dropped.
void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

bool OpenOnCurrentDriver() {
  // SDL would take over SIGINT and SIGTERM and turn them into events nobody reads, so the
  // game could no longer be stopped from outside; the signals keep their usual meaning.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return false;
  }
  subsystemUp = true;
  if (Mix_OpenAudioDevice(kDeviceRate, AUDIO_S16SYS, kDeviceChannels, kBufferFrames, nullptr, 0) !=
      0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp = false;
    return false;
  }
  Mix_AllocateChannels(0);
  channelInUse.clear();
  return true;
}

void Open() {
  // SDL loads the same libasound (by name), so the handler set here holds for its ALSA driver.
  snd_lib_error_set_handler(DropAlsaMessage);
  if (OpenOnCurrentDriver()) {
    output = Output::kDevice;
    return;
  }
  if (!toldNoDevice) {
    toldNoDevice = true;
    std::fprintf(stderr, "Nightwisp: no sound device; playing on without sound\n");
    std::fflush(stderr);
  }
  // No usable output: run on the dummy driver so the rest of the game behaves the same.
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  const bool opened = OpenOnCurrentDriver();
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  output = opened ? Output::kSilent : Output::kNone;
}

void Close() {
  if (output != Output::kNone) {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
  }
  if (subsystemUp) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp = false;
  }
  channelInUse.clear();
  output = Output::kNone;
}

}  // namespace

Session::Session() {
  if (sessionCount++ == 0) {
    Open();
  }
}

Session::~Session() {
  if (--sessionCount == 0) {
    Close();
  }
}

Output Session::Kind() const { return output; }

Output CurrentOutput() { return output; }

std::string DriverName() {
  if (output == Output::kNone) {
    return "";
  }
  const char* name = SDL_GetCurrentAudioDriver();
  return name != nullptr ? name : "";
}

int DeviceRateInUse() {
  if (output == Output::kNone) {
    return 0;
  }
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  return Mix_QuerySpec(&frequency, &format, &channels) != 0 ? frequency : 0;
}

namespace pool {

int Take() {
  if (output == Output::kNone) {
    return -1;
  }
  for (std::size_t i = 0; i < channelInUse.size(); ++i) {
    if (!channelInUse[i]) {
      channelInUse[i] = true;
      return static_cast<int>(i);
    }
  }
  const int channel = static_cast<int>(channelInUse.size());
  const int wanted = channel + 8;
  if (Mix_AllocateChannels(wanted) != wanted) {
    return -1;
  }
  channelInUse.resize(static_cast<std::size_t>(wanted), false);
  channelInUse[static_cast<std::size_t>(channel)] = true;
  return channel;
}

void Give(int channel) {
  if (channel < 0 || static_cast<std::size_t>(channel) >= channelInUse.size()) {
    return;
  }
  Mix_HaltChannel(channel);
  channelInUse[static_cast<std::size_t>(channel)] = false;
}

}  // namespace pool
}  // namespace mixer
