#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

#include "platform/LargeMemory.h"

namespace pelorin {
namespace {

TEST(LargeMemory, LargeRoomLiesOnHugePageBoundariesAndHoldsWhatIsWritten) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  // Just large, a few huge pages and a part, and enough to grow through several.
  for (const std::size_t bytes : {kLargeRequestBytes, 3 * kHugePage + 12'345, 40 * kHugePage}) {
    auto* const memory = static_cast<std::uint8_t*>(AllocateLarge(bytes));
    if (!PELORIN_SANITIZED) {  // there the heap's guards serve instead
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory) % kHugePage, 0u) << bytes;
    }
    memory[0] = 1;
    memory[bytes - 1] = 2;
    EXPECT_EQ(memory[0] + memory[bytes - 1], 3);
    FreeLarge(memory, bytes);
  }
}

TEST(LargeMemory, VectorsKeepTheirValuesAcrossTheSmallAndLargeRoomTheyGrowThrough) {
  LargeVector<std::int64_t> values;
  // Grown from small room on the heap to large room in huge pages, one at a time.
  for (std::int64_t k = 0; k < 1'000'000; ++k) values.push_back(k);
  EXPECT_EQ(std::accumulate(values.begin(), values.end(), std::int64_t{0}),
            std::int64_t{999'999} * 1'000'000 / 2);
  LargeVector<std::int64_t> moved = std::move(values);
  EXPECT_EQ(moved[777'777], 777'777);
  moved.resize(10);
  moved.shrink_to_fit();  // back to the heap
  EXPECT_EQ(moved.back(), 9);
  LargeVector<std::int64_t> copied = moved;
  EXPECT_EQ(copied, moved);
}

TEST(LargeMemory, FreedRoomServesTheRequestsThatFollowUntilReleased) {
  if (PELORIN_SANITIZED) return;  // there the heap serves every request
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  ReleaseFreedLargeMemory();  // what the tests before left
  auto* const first = static_cast<std::uint8_t*>(AllocateLarge(2 * kHugePage));
  first[kHugePage] = 7;
  FreeLarge(first, 2 * kHugePage);
  // Cut from the freed room, smallest fit first, the rest kept.
  auto* const half = static_cast<std::uint8_t*>(AllocateLarge(kHugePage - 100));
  EXPECT_EQ(half, first);
  auto* const other = static_cast<std::uint8_t*>(AllocateLarge(kLargeRequestBytes));
  EXPECT_EQ(other, first + kHugePage);
  EXPECT_EQ(other[0], 7);  // the same memory, not zeroed again
  FreeLarge(half, kHugePage - 100);
  FreeLarge(other, kLargeRequestBytes);
  ReleaseFreedLargeMemory();
  auto* const fresh = static_cast<std::uint8_t*>(AllocateLarge(kHugePage));
  fresh[0] = 1;
  FreeLarge(fresh, kHugePage);
  ReleaseFreedLargeMemory();
}

TEST(LargeMemory, ARequestBeyondAllMemoryIsABadAllocNotACrash) {
  // The sanitizers' heap stops the program at such a request instead.
  if (!PELORIN_SANITIZED) {
    EXPECT_THROW(AllocateLarge(static_cast<std::size_t>(-1) - 4096), std::bad_alloc);
    EXPECT_THROW(AllocateLarge(std::size_t{1} << 62), std::bad_alloc);
  }
  LargeAllocator<std::int64_t> allocator;
  EXPECT_THROW((void)allocator.allocate(static_cast<std::size_t>(-1) / 4),
               std::bad_array_new_length);
}

}  // namespace
}  // namespace pelorin
