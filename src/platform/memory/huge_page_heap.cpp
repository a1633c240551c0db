#include "platform/memory/huge_page_heap.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace pipora {

void GrowHeapInHugePages(const HeapGrowth &growth) {
  constexpr std::uintptr_t kHugePage = 2 << 20;
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(growth.ownBlocks));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(growth.keepFreed));
  mallopt(M_TOP_PAD, static_cast<int>(growth.pad));
  void *probe = malloc(1 << 20); // more than the heap has left: it grows by the pad
  const auto begin = reinterpret_cast<std::uintptr_t>(probe);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  free(probe);
  // Only when the probe really lies at the top of the program's heap (an instrumented
  // allocator keeps its own).
  if (probe == nullptr || begin >= end || end - begin > growth.pad + (4 << 20))
    return;
  const std::uintptr_t aligned = (begin + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned < end)
    madvise(reinterpret_cast<void *>(aligned), end - aligned, MADV_HUGEPAGE);
}

} // namespace pipora
