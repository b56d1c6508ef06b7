#pragma once
// Memory set-up of a process that runs large problems.
//
// A run at 1e5 points touches a few hundred megabytes, most of it once: the document's text,
// the compiled data, the work arrays and the sparse factors. In 4 KiB pages every first touch
// is a page fault, and at that size the faults cost as much as the whole numeric work. The C
// library backs its heap with transparent huge pages when its start-up tunable asks for it,
// and one arena for all threads lets the run's worker thread reuse the memory the document
// load and the compile have given back instead of touching fresh pages.

#include <string>

// Call first in main(), before any thread is started, with main's argv. Sets one malloc arena
// that keeps what is freed for reuse and, when the environment does not yet say how the heap is to use huge pages, starts the
// program again with the tunable added (once: the new environment says it). A user's own
// glibc.malloc.hugetlb setting stands; set glibc.malloc.hugetlb=0 to run without, for example
// under a profiler that would not follow the restart. Nothing changes in what a run computes.
void tuneProcessMemory(char** argv);

// The GLIBC_TUNABLES value to restart with, given the current one (nullptr when unset); empty
// when there is nothing to add.
std::string tunablesWithHugePages(const char* current);
