#include "solver/RProcessMemory.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
constexpr const char* kHugePages = "glibc.malloc.hugetlb";
} // namespace

std::string tunablesWithHugePages(const char* current)
{
    const std::string tunables = current ? current : "";
    if (tunables.find(kHugePages) != std::string::npos)
        return {};
    return tunables + (tunables.empty() ? "" : ":") + kHugePages + "=1";
}

void tuneProcessMemory(char** argv)
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
    // Blocks below 32 MiB come from the heap, and up to 256 MiB freed at its top stay mapped,
    // so that the work arrays of the next phase or Newton iteration take pages already
    // touched instead of fresh ones that must be zeroed again.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    const std::string tunables = tunablesWithHugePages(std::getenv("GLIBC_TUNABLES"));
    if (tunables.empty() || !argv || !argv[0])
        return;
    // A memory checker's preloaded library would not survive the restart in its own terms.
    if (const char* preload = std::getenv("LD_PRELOAD"); preload && std::strstr(preload, "vgpreload"))
        return;
    if (setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Not restarted (no /proc): run on as it is, without huge pages.
#else
    (void)argv;
#endif
}
