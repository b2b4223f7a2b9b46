#include "sounds/composer.h"

#include <algorithm>
#include <cmath>

#include "rng.h"

int Scale::Note(int degree) const {
  const int size = static_cast<int>(steps.size());
  const int octave = degree >= 0 ? degree / size : -((-degree + size - 1) / size);
  const int index = degree - octave * size;
  return tonic + 12 * octave + steps[static_cast<size_t>(index)];
}

int Scale::DegreeOf(int midi) const {
  int best = 0;
  int bestDistance = 1000;
  for (int degree = -15; degree <= 15; ++degree) {
    const int distance = std::abs(Note(degree) - midi);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = degree;
    }
  }
  return best;
}

Scale InScale(int tonic) { return {tonic, {0, 1, 5, 7, 8}}; }
Scale YoScale(int tonic) { return {tonic, {0, 2, 5, 7, 9}}; }

namespace {

// A phrase as scale degrees and lengths in beats.
struct Phrase {
  std::vector<int> degrees;
  std::vector<double> beats;
};

// Rhythms of two bars (8 beats), each ending on a long note.
const std::vector<std::vector<double>> kCalmRhythms = {
    {1, 0.5, 0.5, 1, 1, 4}, {1.5, 0.5, 1, 1, 2, 2}, {0.5, 0.5, 1, 2, 1, 3},
    {2, 1, 1, 1.5, 0.5, 2}, {1, 1, 0.5, 0.5, 1, 4}, {1.5, 0.5, 2, 1, 3},
};

const std::vector<std::vector<double>> kFestiveRhythms = {
    {0.5, 0.5, 1, 0.5, 0.5, 1, 0.5, 0.5, 0.5, 0.5, 2},
    {1, 0.5, 0.5, 1, 1, 0.5, 0.5, 1, 2},
    {0.5, 0.5, 0.5, 0.5, 1, 1, 0.5, 0.5, 1, 2},
    {1.5, 0.5, 1, 1, 0.5, 0.5, 0.5, 0.5, 2},
};

// Walks the scale from `start`, preferring steps and turning back near the range's edges,
// and ends on `goal`, approached by a step where possible.
Phrase WritePhrase(Rng& rng, const std::vector<double>& rhythm, int start, int goal, int low,
                   int high) {
  Phrase phrase;
  phrase.beats = rhythm;
  int degree = start;
  const size_t count = rhythm.size();
  for (size_t i = 0; i < count; ++i) {
    if (i + 1 == count) {
      degree = goal;
    } else if (i + 2 == count) {
      // The note before the last leads into the goal from a neighbour.
      degree = goal + (rng.Chance(0.5) ? 1 : -1) * (rng.Chance(0.7) ? 1 : 2);
    } else if (i > 0) {
      const int moves[] = {-2, -1, -1, 1, 1, 2, 0, 3, -3};
      int step = moves[rng.Below(9)];
      if (degree + step > high) step = -std::abs(step);
      if (degree + step < low) step = std::abs(step);
      degree += step;
    }
    phrase.degrees.push_back(std::clamp(degree, low, high));
  }
  return phrase;
}

void AddPhrase(Score& score, const Phrase& phrase, const Scale& scale, double start, double beat,
               Instrument instrument, float velocity, float pan, Rng& rng, double graceChance) {
  double t = start;
  for (size_t i = 0; i < phrase.degrees.size(); ++i) {
    const int note = scale.Note(phrase.degrees[i]);
    const double length = phrase.beats[i] * beat;
    if (rng.Chance(graceChance) && i > 0 && phrase.beats[i] >= 1.0) {
      // A quick grace note from the step above, as a koto player pushes the string.
      score.notes.push_back({t - 0.07, 0.07, static_cast<double>(scale.Note(phrase.degrees[i] + 1)),
                             velocity * 0.55f, pan, instrument});
    }
    const float accent =
        (i == 0 ? 1.0f : 0.85f) * (0.92f + 0.08f * static_cast<float>(rng.Uniform()));
    score.notes.push_back(
        {t, length, static_cast<double>(note), velocity * accent, pan, instrument});
    t += length;
  }
}

std::vector<double> ChordNotes(const Scale& scale, const std::vector<int>& degrees,
                               int octaveShift) {
  std::vector<double> notes;
  for (int degree : degrees) notes.push_back(scale.Note(degree) + 12.0 * octaveShift);
  return notes;
}

void WindChimes(Score& score, Rng& rng, double time) {
  const Scale scale = InScale(86);
  const int count = 3 + rng.Below(4);
  for (int i = 0; i < count; ++i) {
    score.notes.push_back({time + i * rng.Uniform(0.08f, 0.3f), 2.5,
                           static_cast<double>(scale.Note(rng.Below(7))),
                           0.25f + 0.15f * static_cast<float>(rng.Uniform()),
                           rng.Uniform(0.2f, 0.7f), Instrument::WindChime});
  }
}

}  // namespace

Score ComposeNightMusic(uint64_t seed) {
  Rng rng(seed);
  Score score;
  score.reverb = 0.38f;
  const Scale scale = InScale(62);  // D4
  const double beat = 60.0 / 68.0;
  const double bar = 4 * beat;
  // Chords as scale degrees (0 = D, 1 = E♭, 2 = G, 3 = A, 4 = B♭), two bars each.
  const std::vector<int> home = {-5, -2, 0};         // D A D
  const std::vector<int> fourth = {-8, -5, -3, -1};  // G D G B♭
  const std::vector<int> flat2 = {-4, -3, -1, 1};    // E♭ G B♭ E♭
  const std::vector<int> suspended = {-7, -5, -2};   // A D A
  const std::vector<std::vector<int>> verse = {home, fourth, flat2, suspended};
  const std::vector<std::vector<int>> bridge = {flat2, fourth, home, suspended};

  // Bars: intro 2, A 8, B 8, A' 8, ending 2.
  const int introBars = 2;
  auto barTime = [&](int index) { return index * bar; };

  // Pads, one chord every two bars, crossfading.
  auto padAt = [&](int barIndex, const std::vector<int>& chord, int bars) {
    score.pads.push_back({barTime(barIndex), bars * bar + 1.5, ChordNotes(scale, chord, 0)});
  };
  padAt(0, home, 2);
  for (int i = 0; i < 4; ++i) padAt(introBars + 2 * i, verse[static_cast<size_t>(i)], 2);
  for (int i = 0; i < 4; ++i) padAt(introBars + 8 + 2 * i, bridge[static_cast<size_t>(i)], 2);
  for (int i = 0; i < 4; ++i) padAt(introBars + 16 + 2 * i, verse[static_cast<size_t>(i)], 2);
  padAt(introBars + 24, home, 2);

  // Low koto: the chord's root on the first beat, its fifth on the third.
  auto bassBar = [&](int barIndex, const std::vector<int>& chord, float velocity) {
    const double t = barTime(barIndex);
    score.notes.push_back({t, 2 * beat, static_cast<double>(scale.Note(chord[0])), velocity, -0.25f,
                           Instrument::BassKoto});
    score.notes.push_back({t + 2 * beat, 2 * beat, static_cast<double>(scale.Note(chord[1])),
                           velocity * 0.7f, -0.25f, Instrument::BassKoto});
  };
  bassBar(0, home, 0.5f);
  bassBar(1, home, 0.55f);
  for (int section = 0; section < 3; ++section) {
    const auto& chords = section == 1 ? bridge : verse;
    for (int i = 0; i < 8; ++i)
      bassBar(introBars + section * 8 + i, chords[static_cast<size_t>(i / 2)], 0.6f);
  }

  // The verse melody: four two-bar phrases, the last coming home to D.
  std::vector<Phrase> verseMelody;
  const int goals[] = {8, 7, 6, 5};  // A5, G5, E♭5, then D5: each a tone of its chord
  int start = 5;                     // D5
  for (int i = 0; i < 4; ++i) {
    const auto& rhythm =
        kCalmRhythms[static_cast<size_t>(rng.Below(static_cast<int>(kCalmRhythms.size())))];
    verseMelody.push_back(WritePhrase(rng, rhythm, start, goals[i], 2, 9));
    start = verseMelody.back().degrees.back() + (rng.Chance(0.5) ? 1 : -1);
  }
  for (int i = 0; i < 4; ++i) {
    AddPhrase(score, verseMelody[static_cast<size_t>(i)], scale, barTime(introBars + 2 * i), beat,
              Instrument::Koto, 0.8f, 0.15f, rng, 0.25);
  }
  // The bridge: the flute sings long notes while the koto breaks the chords into eighths.
  const std::vector<std::vector<double>> flutePhrases = {
      {3, 1, 4}, {2, 2, 4}, {1.5, 0.5, 2, 4}, {4, 4}};
  const int fluteGoals[] = {7, 4, 5, 3};
  start = 8;
  for (int i = 0; i < 4; ++i) {
    const Phrase line =
        WritePhrase(rng, flutePhrases[static_cast<size_t>(i)], start, fluteGoals[i], 3, 10);
    AddPhrase(score, line, scale, barTime(introBars + 8 + 2 * i), beat, Instrument::Flute, 0.55f,
              -0.1f, rng, 0.0);
    start = line.degrees.back();
    const std::vector<int>& chord = bridge[static_cast<size_t>(i)];
    for (int b = 0; b < 2; ++b) {
      for (int e = 0; e < 8; ++e) {
        const size_t pick[] = {0, 1, 2, 1};
        const int degree = chord[std::min(chord.size() - 1, pick[e % 4] + (e >= 4 ? 1 : 0))] + 5;
        score.notes.push_back({barTime(introBars + 8 + 2 * i + b) + e * beat / 2, beat / 2,
                               static_cast<double>(scale.Note(degree)), e % 2 == 0 ? 0.42f : 0.32f,
                               0.35f, Instrument::Koto});
      }
    }
  }
  // The verse again: the first half as before, the second half answered anew.
  for (int i = 0; i < 4; ++i) {
    Phrase phrase = verseMelody[static_cast<size_t>(i)];
    if (i >= 2) {
      phrase = WritePhrase(rng, phrase.beats, phrase.degrees.front(), goals[i], 2, 9);
    }
    AddPhrase(score, phrase, scale, barTime(introBars + 16 + 2 * i), beat, Instrument::Koto, 0.8f,
              0.15f, rng, 0.3);
  }
  // Ending: a slow spread chord and a last low D.
  const double end = barTime(introBars + 24);
  const int spread[] = {0, 3, 5, 7, 10};
  for (int i = 0; i < 5; ++i) {
    score.notes.push_back({end + i * 0.12, 3 * beat, static_cast<double>(scale.Note(spread[i])),
                           0.55f, -0.3f + 0.15f * i, Instrument::Koto});
  }
  score.notes.push_back({end + 4 * beat, 4 * beat, static_cast<double>(scale.Note(-5)), 0.5f, -0.2f,
                         Instrument::BassKoto});
  // Wind chimes stir now and then in the night air.
  for (int barIndex : {5, 13, 21, 27})
    WindChimes(score, rng, barTime(barIndex) + rng.Uniform(0.0f, 2.0f));
  score.length = end + 2 * bar + 2.0;
  return score;
}

Score ComposeFestivalMusic(uint64_t seed) {
  Rng rng(seed);
  Score score;
  score.reverb = 0.22f;
  const Scale scale = YoScale(62);
  const double beat = 60.0 / 126.0;
  const double bar = 4 * beat;
  auto barTime = [&](int index) { return index * bar; };
  // D, G, E-minor-ish and A-suspended, as scale degrees (0 D, 1 E, 2 G, 3 A, 4 B).
  const std::vector<int> home = {0, 3, 5};
  const std::vector<int> four = {2, 4, 5};
  const std::vector<int> six = {1, 2, 4};
  const std::vector<int> five = {3, 5, 6};
  const std::vector<std::vector<int>> progression = {home, four, home, five, six, four, five, home};

  const int introBars = 2;
  const int tuneBars = 8;
  const int answerBars = 6;
  const int totalBars = introBars + tuneBars + answerBars;
  auto chordOf = [&](int barIndex) -> const std::vector<int>& {
    if (barIndex < introBars) return home;
    return progression[static_cast<size_t>((barIndex - introBars) % 8)];
  };

  // Drums for every bar: taiko on one and three with a pick-up, shime on the off-beats,
  // the gong's "chan chiki" on the beats.
  for (int b = 0; b < totalBars; ++b) {
    const double t = barTime(b);
    score.notes.push_back({t, beat, 0, 0.9f, 0.0f, Instrument::Taiko});
    score.notes.push_back({t + 2 * beat, beat, 0, 0.7f, 0.0f, Instrument::Taiko});
    if (b % 2 == 1)
      score.notes.push_back({t + 3.5 * beat, beat, 0, 0.55f, 0.0f, Instrument::Taiko});
    for (int e = 0; e < 8; ++e) {
      if (e % 2 == 1)
        score.notes.push_back({t + e * beat / 2, beat / 2, 0, 0.45f, 0.3f, Instrument::Shime});
      if (b >= 1) {
        const float level = e % 2 == 0 ? 0.32f : 0.18f;
        score.notes.push_back({t + e * beat / 2, beat / 2, 0, level, -0.35f, Instrument::Gong});
      }
    }
  }
  // Pads and the koto's eighth-note accompaniment.
  for (int b = 0; b < totalBars; ++b) {
    const std::vector<int>& chord = chordOf(b);
    score.pads.push_back({barTime(b),
                          bar + 0.4,
                          {static_cast<double>(scale.Note(chord[0]) - 12),
                           static_cast<double>(scale.Note(chord[1]) - 12),
                           static_cast<double>(scale.Note(chord[2]) - 12)}});
    score.notes.push_back({barTime(b), 2 * beat, static_cast<double>(scale.Note(chord[0]) - 12),
                           0.6f, -0.1f, Instrument::BassKoto});
    if (b < introBars) continue;
    const int pattern[] = {0, 1, 2, 1, 0, 2, 1, 2};
    for (int e = 0; e < 8; ++e) {
      const int degree = chord[static_cast<size_t>(pattern[e])] + (e >= 4 && e % 2 == 0 ? 5 : 0);
      score.notes.push_back({barTime(b) + e * beat / 2, beat / 2,
                             static_cast<double>(scale.Note(degree)), e % 2 == 0 ? 0.38f : 0.28f,
                             0.4f, Instrument::Koto});
    }
  }
  // The flute's tune: a motif, its echo, a contrast and the motif coming home.
  std::vector<Phrase> tune;
  const auto& motifRhythm =
      kFestiveRhythms[static_cast<size_t>(rng.Below(static_cast<int>(kFestiveRhythms.size())))];
  const Phrase motif = WritePhrase(rng, motifRhythm, 8, 9, 5, 12);
  tune.push_back(motif);
  tune.push_back(WritePhrase(rng, motifRhythm, motif.degrees.front(), 8, 5, 12));
  tune.push_back(
      WritePhrase(rng, kFestiveRhythms[static_cast<size_t>(rng.Below(4))], 10, 7, 6, 13));
  tune.push_back(WritePhrase(rng, motifRhythm, motif.degrees.front(), 5, 5, 12));
  for (int i = 0; i < 4; ++i) {
    AddPhrase(score, tune[static_cast<size_t>(i)], scale, barTime(introBars + 2 * i), beat,
              Instrument::Flute, 0.75f, -0.15f, rng, 0.0);
  }
  // Call and answer: the koto calls for a bar, the flute answers with the motif's head.
  for (int i = 0; i < answerBars / 2; ++i) {
    const double t = barTime(introBars + tuneBars + 2 * i);
    const Phrase call = WritePhrase(rng, {0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 1}, 7 + i, 5 + i, 4, 11);
    AddPhrase(score, call, scale, t, beat, Instrument::Koto, 0.7f, 0.25f, rng, 0.1);
    Phrase answer;
    for (size_t k = 0; k < motif.degrees.size(); ++k) {
      answer.degrees.push_back(motif.degrees[k] + (i == 2 ? 0 : 1));
      answer.beats.push_back(motif.beats[k]);
    }
    // Only the first bar of the motif, closing on a long note.
    double used = 0;
    Phrase head;
    for (size_t k = 0; k < answer.degrees.size() && used < 3.0; ++k) {
      head.degrees.push_back(answer.degrees[k]);
      head.beats.push_back(answer.beats[k]);
      used += answer.beats[k];
    }
    head.beats.back() += 4.0 - used;
    if (i == 2) head.degrees.back() = 5;
    AddPhrase(score, head, scale, t + bar, beat, Instrument::Flute, 0.72f, -0.15f, rng, 0.0);
  }
  // Final hits: taiko and a bright spread chord, then the room rings out.
  const double end = barTime(totalBars);
  score.notes.push_back({end, beat, 0, 1.0f, 0.0f, Instrument::Taiko});
  score.notes.push_back({end, beat, 0, 0.5f, -0.35f, Instrument::Gong});
  const int spread[] = {0, 3, 5, 8, 10};
  for (int i = 0; i < 5; ++i) {
    score.notes.push_back({end + i * 0.05, 2 * beat, static_cast<double>(scale.Note(spread[i])),
                           0.6f, -0.3f + 0.15f * i, Instrument::Koto});
  }
  score.notes.push_back(
      {end, 2 * beat, static_cast<double>(scale.Note(10)), 0.5f, 0.0f, Instrument::Chime});
  score.pads.push_back(
      {end, 2.0, {static_cast<double>(scale.Note(-5)), static_cast<double>(scale.Note(0))}});
  score.length = end + 3.2;
  return score;
}
