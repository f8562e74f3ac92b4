#pragma once

#include "core/content/pagerelease.h"

#include <cstdlib>
#include <new>

#include <sys/mman.h>

namespace Orvik {

// An allocator for the large buffers of sets built on a worker and dropped on the
// user-interface thread (a highlight's marks of a whole log). Blocks of `MappedFrom` bytes or
// more are mappings of their own, given back through PageRelease: freed through the heap, the
// heap would hand their pages back to the system on the thread that dropped them, a
// millisecond or more for a few megabytes. Smaller blocks come from the heap.
template <typename T> struct PageAllocator {
    using value_type = T;
    static constexpr size_t MappedFrom = 1 << 20;

    PageAllocator() = default;
    template <typename U> PageAllocator(const PageAllocator<U> &) {}

    T *allocate(size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < MappedFrom) {
            if (void *p = std::malloc(bytes))
                return static_cast<T *>(p);
            throw std::bad_alloc();
        }
        void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T *>(p);
    }

    void deallocate(T *p, size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < MappedFrom)
            std::free(p);
        else
            PageRelease::unmapAside(p, qint64(bytes));
    }

    template <typename U> bool operator==(const PageAllocator<U> &) const { return true; }
    template <typename U> bool operator!=(const PageAllocator<U> &) const { return false; }
};

} // namespace Orvik
