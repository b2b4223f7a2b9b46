// The game's one pseudo-random generator, shared by the whole process: a 32-bit linear
// congruential generator (seed := seed * 134775813 + 1 mod 2^32) whose draw is the high
// 32 bits of seed * n. The draws are made in a fixed order by the rules, so one seed gives
// one game; tests set the seed to replay a game exactly.
#pragma once

#include <cstdint>

// A uniform integer in 0..n-1. Every call advances the seed, even when n is 0 or negative;
// such a range has no members and the result is then 0.
std::int32_t Random(std::int32_t n);

// Seeds the generator from the high-resolution counter. Start-up calls it once.
void Randomize();

// Setting the seed replays a game (the player-bot's --seed); reading it is for the tests, which
// follow the generator step by step.
std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);
