// The benchmarks' child runner: status and peak memory are the child's own, also when the
// benchmark process itself holds far more memory than the child ever does.
#include "bench/HeadlessChild.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

// Touches `mib` megabytes page by page and keeps them.
std::unique_ptr<char[]> touched(std::size_t mib)
{
    auto block = std::make_unique<char[]>(mib * kMiB);
    for (std::size_t i = 0; i < mib * kMiB; i += 4096)
        block[i] = 1;
    return block;
}

// Started as a child with MORV_TOUCH_MIB set, this test program touches that many megabytes and
// exits with status 7 before any test runs.
const int childMode = [] {
    if (const char* mib = std::getenv("MORV_TOUCH_MIB")) {
        const auto block = touched(static_cast<std::size_t>(std::atoi(mib)));
        std::_Exit(block[0] == 1 ? 7 : 1);
    }
    return 0;
}();

std::string selfPath()
{
    char path[4096];
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    return size > 0 ? std::string(path, static_cast<std::size_t>(size)) : std::string();
}

} // namespace

TEST(ChildUsage, ReportsTheChildsOwnPeakAndStatus)
{
    // This process holds 256 MiB while its children run; a child started directly would
    // report at least that much.
    const auto held = touched(256);
    const std::string self = selfPath();
    ASSERT_FALSE(self.empty());

    const HeadlessChildRun small = runChild({"/bin/sh", "-c", "exit 3"});
    EXPECT_EQ(small.status, 3);
    EXPECT_GT(small.peakMiB, 0.0);
    EXPECT_LT(small.peakMiB, 32.0);
    EXPECT_GT(small.seconds, 0.0);

    setenv("MORV_TOUCH_MIB", "96", 1);
    const HeadlessChildRun large = runChild({self});
    unsetenv("MORV_TOUCH_MIB");
    EXPECT_EQ(large.status, 7);
    EXPECT_GE(large.peakMiB, 96.0);
    EXPECT_LT(large.peakMiB, 160.0);
    EXPECT_GT(large.cpuSeconds, 0.0);
    EXPECT_EQ(held[0], 1);
}

TEST(ChildUsage, ProgramThatCannotStartGivesStatusMinusOne)
{
    const HeadlessChildRun missing = runChild({"/nonexistent/program"});
    EXPECT_EQ(missing.status, -1);
    EXPECT_EQ(missing.peakMiB, 0.0);
}
