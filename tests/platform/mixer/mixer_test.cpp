// Clips on the shared device: conversion to the device layout and the empty clip.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/mixer/mixer.h"

namespace {

TEST(MixerClip, ConvertsWholeFramesAndKeepsAnEmptyClipPlayable) {
  mixer::Session session;
  ASSERT_NE(session.Kind(), mixer::Output::kNone);
  const std::size_t frame = mixer::Clip::DeviceFrameBytes();
  ASSERT_EQ(frame, static_cast<std::size_t>(mixer::kDeviceChannels * 2));

  // One second of 16-bit stereo at the device rate converts frame for frame; the odd trailing
  // byte is dropped.
  mixer::PcmFormat format;
  format.rate = mixer::DeviceRateInUse();
  format.bits = 16;
  format.channels = 2;
  const std::vector<std::int16_t> samples(static_cast<std::size_t>(format.rate) * 2, 1000);
  auto clip = mixer::Clip::FromPcm(samples.data(), samples.size() * 2 + 1, format);
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->DeviceBytes(), samples.size() * 2);

  // No data at all still makes a clip of one silent frame that a voice can play.
  auto empty = mixer::Clip::FromPcm(samples.data(), 0, format);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->DeviceBytes(), frame);
  mixer::Voice voice;
  ASSERT_TRUE(voice.Valid());
  EXPECT_TRUE(voice.Play(*empty));

  format.bits = 24;
  EXPECT_EQ(mixer::Clip::FromPcm(samples.data(), 6, format), nullptr);
}

}  // namespace
