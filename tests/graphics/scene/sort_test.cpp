// The descending sort of the translucent queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics/scene/sx_sort.h"

namespace {

// Sorts copies of `keys` (index i travels with key i) and checks order and pairing.
void ExpectSortedDescendingWithPairs(const std::vector<float>& keys) {
  std::vector<float> key = keys;
  std::vector<int32_t> index(keys.size());
  for (size_t i = 0; i < index.size(); ++i) index[i] = static_cast<int32_t>(i);
  SortByKey(key.data(), index.data(), 0, static_cast<int32_t>(key.size()) - 1);

  for (size_t i = 1; i < key.size(); ++i) EXPECT_GE(key[i - 1], key[i]) << "at " << i;
  // Every index still carries its own key, and every index appears once.
  std::vector<int32_t> seen = index;
  std::sort(seen.begin(), seen.end());
  for (size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], static_cast<int32_t>(i));
  for (size_t i = 0; i < key.size(); ++i) EXPECT_EQ(key[i], keys[index[i]]);
}

TEST(SortByKey, OrdersRandomKeysFarthestFirstKeepingEachIndexWithItsKey) {
  std::mt19937 rng(12345);
  for (int size : {2, 3, 5, 17, 64, 1000}) {
    std::uniform_real_distribution<float> any(-1.0f, 1.0f);
    std::vector<float> keys(size);
    for (float& k : keys) k = any(rng);
    ExpectSortedDescendingWithPairs(keys);
  }
}

TEST(SortByKey, HandlesDuplicatesAndPresortedInputs) {
  ExpectSortedDescendingWithPairs({0.5f, 0.5f, 0.5f, 0.5f});
  ExpectSortedDescendingWithPairs({0.3f, 0.7f, 0.3f, 0.7f, 0.3f});
  std::vector<float> ascending(5000), descending(5000), steps(5000);
  for (int i = 0; i < 5000; ++i) {
    ascending[i] = static_cast<float>(i);
    descending[i] = static_cast<float>(5000 - i);
    steps[i] = static_cast<float>(i % 3);
  }
  ExpectSortedDescendingWithPairs(ascending);
  ExpectSortedDescendingWithPairs(descending);
  ExpectSortedDescendingWithPairs(steps);
}

TEST(SortByKey, SortsOnlyTheGivenRange) {
  std::vector<float> key = {9.0f, 1.0f, 3.0f, 2.0f, -5.0f};
  std::vector<int32_t> index = {0, 1, 2, 3, 4};
  SortByKey(key.data(), index.data(), 1, 3);
  EXPECT_EQ(key, (std::vector<float>{9.0f, 3.0f, 2.0f, 1.0f, -5.0f}));
  EXPECT_EQ(index, (std::vector<int32_t>{0, 2, 3, 1, 4}));

  // Empty and single-entry ranges are left alone.
  SortByKey(key.data(), index.data(), 3, 2);
  SortByKey(key.data(), index.data(), 4, 4);
  EXPECT_EQ(index, (std::vector<int32_t>{0, 2, 3, 1, 4}));
}

}  // namespace
