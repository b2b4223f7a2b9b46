// The sort of the translucent queue: keys in descending order (farthest first), each index
// travelling with its key.
#pragma once

#include <cstdint>

// Sorts key[lo..hi] (inclusive) in descending order and applies the same moves to index[lo..hi].
// Quicksort with the middle element as pivot; equal keys keep no defined order. Does nothing when
// hi <= lo.
void SortByKey(float* key, int32_t* index, int32_t lo, int32_t hi);
