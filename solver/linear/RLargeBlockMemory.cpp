#include "solver/linear/RLargeBlockMemory.h"

#include <SuiteSparse_config.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Blocks of a few megabytes, as the factorisations at 1e4 points make, lose more to zeroing
// and splitting whole huge pages than they gain; those at 1e5 points are near 100 MB.
constexpr std::size_t kAdvisedBlock = std::size_t(32) << 20;

void* adviseMalloc(std::size_t bytes)
{
    void* p = std::malloc(bytes);
    adviseLargeBlock(p, bytes);
    return p;
}

void* adviseCalloc(std::size_t count, std::size_t size)
{
    void* p = std::calloc(count, size);
    adviseLargeBlock(p, count * size);
    return p;
}

void* adviseRealloc(void* old, std::size_t bytes)
{
    void* p = std::realloc(old, bytes);
    adviseLargeBlock(p, bytes);
    return p;
}

} // namespace

void adviseLargeBlock(void* p, std::size_t bytes)
{
    if (!p || bytes < kAdvisedBlock)
        return;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void adviseLargeBlocksOfSparseLU()
{
    static std::once_flag once;
    std::call_once(once, [] {
        SuiteSparse_config.malloc_func = adviseMalloc;
        SuiteSparse_config.calloc_func = adviseCalloc;
        SuiteSparse_config.realloc_func = adviseRealloc;
        SuiteSparse_config.free_func = std::free;
    });
}
