#include "solver/linear/RLargeBlockMemory.h"

#include <SuiteSparse_config.h>
#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Blocks of a few megabytes, as the factorisations at 1e4 points make, lose more to zeroing
// and splitting whole huge pages than they gain; those at 1e5 points are near 100 MB. Smaller
// blocks come from the heap, which reuses its freed memory by itself.
constexpr std::size_t kAdvisedBlock = std::size_t(32) << 20;
// At most this many freed large blocks are kept: a factorisation's factors and its largest
// work block, freed before the next factorisation asks for its own.
constexpr std::size_t kKeptBlocks = 4;

struct KeptBlocks {
    std::mutex lock;
    std::vector<void*> blocks;
    std::size_t reused = 0;
};

KeptBlocks& kept()
{
    static KeptBlocks* blocks = new KeptBlocks; // outlives every static destructor
    return *blocks;
}

// A kept block for a request of `bytes`: the smallest that holds it, else the largest one,
// resized (a large block is its own mapping, which grows in place or moves with its pages).
// nullptr when none is kept.
void* takeKept(std::size_t bytes)
{
    KeptBlocks& k = kept();
    void* block = nullptr;
    {
        std::lock_guard<std::mutex> guard(k.lock);
        if (k.blocks.empty())
            return nullptr;
        auto best = k.blocks.end(), largest = k.blocks.begin();
        for (auto it = k.blocks.begin(); it != k.blocks.end(); ++it) {
            const std::size_t size = malloc_usable_size(*it);
            if (size >= bytes && (best == k.blocks.end() || size < malloc_usable_size(*best)))
                best = it;
            if (size > malloc_usable_size(*largest))
                largest = it;
        }
        const auto chosen = best != k.blocks.end() ? best : largest;
        block = *chosen;
        k.blocks.erase(chosen);
        ++k.reused;
    }
    if (malloc_usable_size(block) >= bytes)
        return block;
    void* grown = std::realloc(block, bytes);
    if (!grown)
        std::free(block);
    return grown;
}

void* adviseMalloc(std::size_t bytes)
{
    if (bytes >= kAdvisedBlock) {
        if (void* block = takeKept(bytes)) {
            adviseLargeBlock(block, bytes);
            return block;
        }
    }
    void* p = std::malloc(bytes);
    adviseLargeBlock(p, bytes);
    return p;
}

// Zeroed memory of a fresh mapping costs nothing until it is touched, and a kept block would
// have to be cleared whole: calloc stays as it is.
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

void keepOrFree(void* p)
{
    if (p && malloc_usable_size(p) >= kAdvisedBlock) {
        KeptBlocks& k = kept();
        std::lock_guard<std::mutex> guard(k.lock);
        if (k.blocks.size() < kKeptBlocks) {
            k.blocks.push_back(p);
            return;
        }
        // Full: the smallest block goes back.
        auto smallest = std::min_element(k.blocks.begin(), k.blocks.end(), [](void* a, void* b) {
            return malloc_usable_size(a) < malloc_usable_size(b);
        });
        if (malloc_usable_size(*smallest) < malloc_usable_size(p))
            std::swap(*smallest, p);
    }
    std::free(p);
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
        SuiteSparse_config.free_func = keepOrFree;
    });
}

void releaseKeptBlocks()
{
    std::vector<void*> blocks;
    {
        KeptBlocks& k = kept();
        std::lock_guard<std::mutex> guard(k.lock);
        blocks.swap(k.blocks);
    }
    for (void* p : blocks)
        std::free(p);
}

std::size_t keptBlockReuseCount()
{
    KeptBlocks& k = kept();
    std::lock_guard<std::mutex> guard(k.lock);
    return k.reused;
}

std::size_t keptBlockBytes()
{
    KeptBlocks& k = kept();
    std::lock_guard<std::mutex> guard(k.lock);
    std::size_t bytes = 0;
    for (void* p : k.blocks)
        bytes += malloc_usable_size(p);
    return bytes;
}
