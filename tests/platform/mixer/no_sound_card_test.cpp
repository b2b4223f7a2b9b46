// A machine without a sound card: ALSA's own messages stay off the terminal, the player is told
// once that there is no sound device, and the game plays on silently. A program of its own, so
// that its sessions are the first of the process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/mixer/mixer.h"

namespace {

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(MixerSession, WithoutASoundCardSaysSoOnceAndPlaysOnSilently) {
  // ALSA asked for a card that no machine has: what a machine without a sound card meets.
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  setenv("AUDIODEV", "plughw:CARD=NightwispNoSuchCard", 1);
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  std::FILE* capture = std::tmpfile();
  ASSERT_NE(capture, nullptr);
  dup2(fileno(capture), STDERR_FILENO);
  for (int open = 0; open < 2; ++open) {
    mixer::Session session;
    EXPECT_EQ(session.Kind(), mixer::Output::kSilent);
    mixer::Voice voice;
    EXPECT_TRUE(voice.Valid());
  }
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  std::string said;
  std::rewind(capture);
  for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture)) said += static_cast<char>(c);
  std::fclose(capture);

  EXPECT_EQ(Count(said, "ALSA lib"), 0u) << said;
  EXPECT_EQ(Count(said, "no sound device"), 1u) << said;
}

}  // namespace
