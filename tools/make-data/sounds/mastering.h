// Loudness, peak limiting and fades: what makes the effects and tunes sit together.
#pragma once

#include "sounds/audio_buffer.h"

// Loudness as the RMS of the loudest window (both channels), in dBFS. Short effects are judged
// by their loudest moment, the way a listener hears them.
double LoudestWindowDb(const Stereo& audio, double windowSeconds = 0.3);
// The highest absolute sample of either channel, in dBFS (−inf for silence).
double PeakDb(const Stereo& audio);

// A look-ahead limiter: the gain follows a moving minimum of the gain each sample needs,
// smoothed over the same window, so no sample ends above `ceilingDb`.
void LimitPeaks(Stereo& audio, double ceilingDb, double lookAheadSeconds = 0.004);

// Scales to the loudness target, then limits to the ceiling; repeats a few times so that the
// limiting does not leave the sound quieter than the target.
void MasterTo(Stereo& audio, double loudnessDb, double ceilingDb);

// Fades: linear ramps over the first or last `seconds`, reaching exactly zero at the edge.
void FadeIn(Stereo& audio, double seconds);
void FadeOut(Stereo& audio, double seconds);
// Removes any constant offset (a plucked string or a low drum can leave a little).
void RemoveDc(Stereo& audio);
// Drops trailing frames quieter than `floorDb`, keeping `keepSeconds` of the decay after them.
void TrimSilence(Stereo& audio, double floorDb, double keepSeconds);
