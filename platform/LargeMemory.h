#pragma once
// Memory for the analysis's large buffers: the unwrapped stream, the chart
// points, the epochs and the lists of the link report. Each holds megabytes
// and is written front to back once. Taken from the heap page by page, a day's
// log costs tens of thousands of page faults, and on a virtual machine each
// costs microseconds; asked of the kernel in huge pages where it has them, a
// buffer of 100 MB costs about fifty. Small requests go to the heap as usual.

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace pelorin {

// Requests of at least this many bytes are large.
inline constexpr std::size_t kLargeRequestBytes = std::size_t{1} << 20;

// `bytes` of memory (at least kLargeRequestBytes) in huge pages where the
// system has them; throws std::bad_alloc when there is no room.
void* AllocateLarge(std::size_t bytes);
// Gives back what AllocateLarge(bytes) gave. Freed memory is kept for the
// requests that follow, up to a bound, until ReleaseFreedLargeMemory.
void FreeLarge(void* memory, std::size_t bytes) noexcept;
// Returns the freed memory kept for reuse to the system: at the end of an
// analysis, so that a window left open holds only what it shows.
void ReleaseFreedLargeMemory() noexcept;

// A standard allocator that takes large requests from AllocateLarge.
template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}  // NOLINT: as every allocator converts

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    if (bytes >= kLargeRequestBytes) return static_cast<T*>(AllocateLarge(bytes));
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* memory, std::size_t n) noexcept {
    const std::size_t bytes = n * sizeof(T);
    if (bytes >= kLargeRequestBytes) return FreeLarge(memory, bytes);
    std::allocator<T>().deallocate(memory, n);
  }
  template <typename U>
  bool operator==(const LargeAllocator<U>&) const noexcept {
    return true;
  }
};

// A vector whose room, once large, lies in huge pages.
template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

// Makes room for one more element of a vector that grows one element at a
// time to a large size: its first room is large at once, since the small
// steps on the heap before it would each take fresh pages.
template <typename T>
void RoomForOneMore(LargeVector<T>& v) {
  if (v.size() == v.capacity() && v.capacity() * sizeof(T) < kLargeRequestBytes) {
    v.reserve(kLargeRequestBytes / sizeof(T) + 1);
  }
}

}  // namespace pelorin
