#pragma once
// Replaces the program's global allocator with one that counts allocations, for tests and benchmarks
// that show that a path allocates nothing. Include it in exactly one source file of a program.
#include <atomic>
#include <cstdlib>
#include <new>

namespace ruvo::testing {
inline std::atomic<long> gAllocationCount{0};
inline long AllocationCount() noexcept { return gAllocationCount.load(); }
} // namespace ruvo::testing

namespace ruvo::testing::detail {
inline void* Allocate(std::size_t n, std::size_t alignment = 0) noexcept {
    ++gAllocationCount;
    n = n ? n : 1;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(n);
    return std::aligned_alloc(alignment, (n + alignment - 1) / alignment * alignment);
}
inline void* AllocateOrThrow(std::size_t n, std::size_t alignment = 0) {
    if (void* p = Allocate(n, alignment))
        return p;
    throw std::bad_alloc();
}
} // namespace ruvo::testing::detail

void* operator new(std::size_t n) { return ruvo::testing::detail::AllocateOrThrow(n); }
void* operator new[](std::size_t n) { return ruvo::testing::detail::AllocateOrThrow(n); }
void* operator new(std::size_t n, std::align_val_t a) { return ruvo::testing::detail::AllocateOrThrow(n, std::size_t(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return ruvo::testing::detail::AllocateOrThrow(n, std::size_t(a)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return ruvo::testing::detail::Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return ruvo::testing::detail::Allocate(n); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return ruvo::testing::detail::Allocate(n, std::size_t(a));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return ruvo::testing::detail::Allocate(n, std::size_t(a));
}
// These deletes pair with the news above, which allocate with malloc; GCC cannot see that.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop
