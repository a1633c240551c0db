#pragma once
// How the program's heap grows. A big song takes tens of megabytes in lists and reports,
// which the system would otherwise hand out and zero four kilobytes at a time.

#include <cstddef>

namespace pipora {

struct HeapGrowth {
  std::size_t pad = 0;       // the heap grows by at least this much at a time
  std::size_t keepFreed = 0; // freed memory at the heap's top kept up to this much
  std::size_t ownBlocks = 0; // blocks up to this size come from the heap, not the system
};

// Sets the growth and grows the heap once by the pad, asking that it be backed by huge pages.
// Call it first thing in main; a heap an instrumented allocator keeps is left as it is.
void GrowHeapInHugePages(const HeapGrowth &growth);

} // namespace pipora
