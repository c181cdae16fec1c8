#include "platform/large_block.h"

#include <sys/mman.h>

namespace {

// Huge pages are 2 MiB on the machines this runs on; a block is made of whole ones.
constexpr size_t kHugePage = size_t(2) << 20;

size_t Rounded(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateLargeBlock(size_t bytes) {
    if (bytes > size_t(-1) - 2 * kHugePage) return nullptr;
    const size_t size = Rounded(bytes);
    // One huge page more than needed, so that the block can start on a huge page's edge.
    void* mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    char* start = static_cast<char*>(mapped);
    const size_t skip = (kHugePage - reinterpret_cast<size_t>(start) % kHugePage) % kHugePage;
    if (skip > 0) munmap(start, skip);
    munmap(start + skip + size, kHugePage - skip);
    // Only advice: where the system has no huge pages to give, the block is still memory.
    madvise(start + skip, size, MADV_HUGEPAGE);
    return start + skip;
}

void FreeLargeBlock(void* block, size_t bytes) {
    if (block) munmap(block, Rounded(bytes));
}
