#include "platform/large_block.h"

#include <windows.h>

void* AllocateLargeBlock(size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLargeBlock(void* block, size_t) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}
