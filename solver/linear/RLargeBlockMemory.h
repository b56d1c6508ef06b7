#pragma once
// Memory of the sparse LU library in large pages, kept from one factorisation to the next.
//
// A numeric factorisation of a plane mesh's Jacobian allocates its factors afresh every time,
// tens to hundreds of megabytes. Blocks of tens of megabytes are therefore advised to the
// kernel as candidates for transparent huge pages before they are touched, and a large block
// the library frees is kept for its next request instead of going back to the kernel: every
// page of a fresh block is zeroed by the kernel on first touch, which at 1e5 points cost as
// much as a good part of the factorisation. A kept block serves a request of any size (it is
// resized in place where it is smaller, its touched pages kept), so the library sees the same
// malloc, calloc, realloc and free as before, and the factors and every result are the same.

#include <cstddef>

// Routes the sparse LU library's allocations through the advising and keeping functions; done
// once per process, idempotent and thread-safe. Where the kernel does not offer transparent
// huge pages the advice is a no-op.
void adviseLargeBlocksOfSparseLU();

// Advises the whole 2 MiB pages inside [p, p + bytes) as huge-page candidates when the block
// is large (32 MiB or more). Meant for memory not yet touched; harmless on touched memory.
void adviseLargeBlock(void* p, std::size_t bytes);

// Gives the kept blocks back (when a run's sparse solver is done with them).
void releaseKeptBlocks();

// How many large requests were served with a kept block, and the bytes kept now (for tests).
std::size_t keptBlockReuseCount();
std::size_t keptBlockBytes();
