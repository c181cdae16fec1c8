// Memory for the large arrays of a model (its corners, the file's bytes, a reader's
// lists): blocks of megabytes taken straight from the system, so that a model of
// millions of triangles is not written one small page at a time. On Linux the block
// asks for transparent huge pages, where a fresh 300 MB array otherwise costs tens of
// thousands of page faults (most of a large model's reading time). Small arrays take
// the ordinary heap.
#pragma once
#include <cstddef>
#include <new>
#include <vector>

// Blocks at least this large come from the system.
constexpr size_t kLargeBlockBytes = size_t(4) << 20;

// A zero-filled block of `bytes` from the system; null when there is none.
void* AllocateLargeBlock(size_t bytes);
// Gives back a block of AllocateLargeBlock with the size it was asked for.
void FreeLargeBlock(void* block, size_t bytes);

template <class T>
struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) {}

    T* allocate(size_t count) {
        if (count > size_t(-1) / sizeof(T)) throw std::bad_alloc();
        const size_t bytes = count * sizeof(T);
        if (bytes < kLargeBlockBytes) return static_cast<T*>(::operator new(bytes));
        void* block = AllocateLargeBlock(bytes);
        if (!block) throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* items, size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < kLargeBlockBytes) ::operator delete(items);
        else FreeLargeBlock(items, bytes);
    }
    template <class U>
    bool operator==(const LargeBlockAllocator<U>&) const { return true; }
    template <class U>
    bool operator!=(const LargeBlockAllocator<U>&) const { return false; }
};

template <class T>
using LargeVector = std::vector<T, LargeBlockAllocator<T>>;
