// The restart environment of a process that runs large problems: huge pages are asked for
// once, and a setting the user made stands.
#include "solver/RProcessMemory.h"

#include <gtest/gtest.h>

TEST(ProcessMemory, TunablesAskForHugePagesOnlyWhenTheUserSaidNothing)
{
    struct Case {
        const char* current;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "glibc.malloc.hugetlb=1"},
        {"", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
        {"glibc.malloc.hugetlb=0", ""},
        {"glibc.malloc.hugetlb=1", ""}, // the restarted process does not restart again
        {"glibc.malloc.check=0:glibc.malloc.hugetlb=2", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tunablesWithHugePages(c.current), c.expected) << (c.current ? c.current : "unset");
}
