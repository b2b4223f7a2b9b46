#include "graphics/scene/sx_sort.h"

#include <utility>

void SortByKey(float* key, int32_t* index, int32_t lo, int32_t hi) {
  // The smaller part is sorted by recursion and the larger one by the loop, so the stack stays
  // shallow (log n) even for an already sorted or reversed queue. The two parts are disjoint,
  // so the order in which they are sorted does not change the result.
  while (lo < hi) {
    const float pivot = key[lo + (hi - lo) / 2];
    int32_t i = lo - 1;
    int32_t j = hi + 1;
    for (;;) {
      do {
        ++i;
      } while (key[i] > pivot);
      do {
        --j;
      } while (key[j] < pivot);
      if (j <= i) break;
      std::swap(key[i], key[j]);
      std::swap(index[i], index[j]);
    }
    // key[lo..i-1] >= pivot >= key[j+1..hi]; an entry between them (j == i) equals the pivot.
    const int32_t leftHi = i - 1;
    const int32_t rightLo = j + 1;
    if (leftHi - lo < hi - rightLo) {
      SortByKey(key, index, lo, leftHi);
      lo = rightLo;
    } else {
      SortByKey(key, index, rightLo, hi);
      hi = leftHi;
    }
  }
}
