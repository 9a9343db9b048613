#include "platform/LargeMemory.h"

#include <cstdint>
#include <mutex>
#include <vector>

// Under AddressSanitizer large buffers stay on the heap, whose guards catch
// a read past their end; mapped memory has none.
#if defined(__SANITIZE_ADDRESS__)
#define PELORIN_HEAP_GUARDS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELORIN_HEAP_GUARDS 1
#endif
#endif

#if defined(__linux__) && !defined(PELORIN_HEAP_GUARDS)
#define PELORIN_HUGE_PAGES 1
#include <sys/mman.h>
#endif

namespace pelorin {

#if defined(PELORIN_HUGE_PAGES)
namespace {

// The kernel backs a range with huge pages only where it covers whole,
// aligned ones.
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

std::size_t RoundUpToHugePages(std::size_t bytes) {
  return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Freed buffers wait here for the next request they can serve, up to a
// bound: memory the kernel has mapped and zeroed once costs nothing to use
// again, and a vector that grows, or a list the link report builds and
// drops, would otherwise take fresh pages each time.
class KeptRegions {
public:
  // A region of `length` bytes cut from the smallest kept one that holds
  // it; the rest stays kept.
  void* Take(std::size_t length) {
    const std::lock_guard lock(mutex_);
    auto best = regions_.end();
    for (auto r = regions_.begin(); r != regions_.end(); ++r) {
      if (r->Length >= length && (best == regions_.end() || r->Length < best->Length)) best = r;
    }
    if (best == regions_.end()) return nullptr;
    void* const memory = best->Start;
    bytes_ -= length;
    if (best->Length == length) {
      regions_.erase(best);
    } else {
      best->Start = static_cast<char*>(best->Start) + length;
      best->Length -= length;
    }
    return memory;
  }
  // Whether the region was kept; one that is not must be unmapped.
  bool Keep(void* start, std::size_t length) {
    const std::lock_guard lock(mutex_);
    if (bytes_ + length > kMostKeptBytes || regions_.size() == kMostKeptRegions) return false;
    regions_.push_back({start, length});
    bytes_ += length;
    return true;
  }
  void UnmapAll() {
    const std::lock_guard lock(mutex_);
    for (const Region& r : regions_) ::munmap(r.Start, r.Length);
    regions_.clear();
    bytes_ = 0;
  }

private:
  static constexpr std::size_t kMostKeptBytes = std::size_t{64} << 20;
  static constexpr std::size_t kMostKeptRegions = 64;
  struct Region {
    void* Start;
    std::size_t Length;
  };
  std::mutex mutex_;
  std::vector<Region> regions_;
  std::size_t bytes_ = 0;
};

// Never destroyed: a buffer freed while the program exits still finds it.
KeptRegions& Kept() {
  static KeptRegions* const kept = new KeptRegions;
  return *kept;
}

}  // namespace

void* AllocateLarge(std::size_t bytes) {
  const std::size_t length = RoundUpToHugePages(bytes);
  if (length < bytes) throw std::bad_alloc();
  if (void* const kept = Kept().Take(length)) return kept;
  // Map a huge page more than needed, then unmap the unaligned ends.
  const std::size_t mapped = length + kHugePageBytes;
  if (mapped < length) throw std::bad_alloc();
  const auto map = [mapped] {
    return ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  };
  void* start = map();
  if (start == MAP_FAILED) {
    // What is kept for reuse but fits nowhere may make room.
    Kept().UnmapAll();
    start = map();
  }
  if (start == MAP_FAILED) throw std::bad_alloc();
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t aligned = RoundUpToHugePages(address);
  const std::size_t head = aligned - address;
  if (head > 0) ::munmap(start, head);
  if (mapped - head > length) {
    ::munmap(reinterpret_cast<void*>(aligned + length), mapped - head - length);
  }
  void* const memory = reinterpret_cast<void*>(aligned);
  // A hint: where huge pages are off, the range stays in ordinary pages.
  ::madvise(memory, length, MADV_HUGEPAGE);
  return memory;
}

void FreeLarge(void* memory, std::size_t bytes) noexcept {
  const std::size_t length = RoundUpToHugePages(bytes);
  if (!Kept().Keep(memory, length)) ::munmap(memory, length);
}

void ReleaseFreedLargeMemory() noexcept {
  Kept().UnmapAll();
}

#else

void* AllocateLarge(std::size_t bytes) {
  return ::operator new(bytes);
}

void FreeLarge(void* memory, std::size_t /*bytes*/) noexcept {
  ::operator delete(memory);
}

void ReleaseFreedLargeMemory() noexcept {}

#endif

}  // namespace pelorin
