#include "platform/LargeMemory.h"

#include <cstdint>

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

}  // namespace

void* AllocateLarge(std::size_t bytes) {
  const std::size_t length = RoundUpToHugePages(bytes);
  if (length < bytes) throw std::bad_alloc();
  // Map a huge page more than needed, then unmap the unaligned ends.
  const std::size_t mapped = length + kHugePageBytes;
  void* const start =
      ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
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
  ::munmap(memory, RoundUpToHugePages(bytes));
}

#else

void* AllocateLarge(std::size_t bytes) {
  return ::operator new(bytes);
}

void FreeLarge(void* memory, std::size_t bytes) noexcept {
  ::operator delete(memory, bytes);
}

#endif

}  // namespace pelorin
