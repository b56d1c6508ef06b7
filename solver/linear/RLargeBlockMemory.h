#pragma once
// Memory of the sparse LU library in large pages.
//
// A numeric factorisation of a plane mesh's Jacobian allocates its factors afresh every time,
// tens to hundreds of megabytes that the kernel hands out and zeroes one 4 KiB page at a time
// on first touch: at 1e5 points half of a run's page faults, and a good part of each
// factorisation's time, came from there. Blocks of tens of megabytes are therefore advised to
// the kernel as candidates for transparent huge pages before they are touched; nothing else
// about the allocation changes (the same malloc, calloc, realloc and free underneath, so the
// factors and every result are the same).

#include <cstddef>

// Routes the sparse LU library's allocations through the advising functions; done once per
// process, idempotent and thread-safe. Where the kernel does not offer transparent huge pages
// the advice is a no-op.
void adviseLargeBlocksOfSparseLU();

// Advises the whole 2 MiB pages inside [p, p + bytes) as huge-page candidates when the block
// is large (32 MiB or more). Meant for memory not yet touched; harmless on touched memory.
void adviseLargeBlock(void* p, std::size_t bytes);
