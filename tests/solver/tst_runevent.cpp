// The run event: manual-reset signal and the run lock that refuses a second holder.
#include "solver/RunEvent.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <atomic>
#include <thread>

TEST(RunEvent, NameIsThePathWithSlashesUpperCased)
{
    EXPECT_EQ(RunEvent::eventName("c:\\Work\\doc.mvat$"), "C:/WORK/DOC.MVAT$");
    EXPECT_EQ(RunEvent::lockFilePath("/a/b\\c.MVAT$"), RunEvent::lockFilePath("/A/B/C.mvat$"));
    EXPECT_NE(RunEvent::lockFilePath("/a/b.MVAT$"), RunEvent::lockFilePath("/a/c.MVAT$"));
}

TEST(RunEvent, SecondHolderIsRefusedUntilReleased)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/doc.MVAT$";
    RunEvent first(path);
    ASSERT_TRUE(first.acquire());
    {
        RunEvent second(path);
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.held());
    }
    // Another process is refused too (flock on the same lock file).
    QProcess flockProbe;
    flockProbe.start("flock", {"-n", QString::fromStdString(RunEvent::lockFilePath(path)), "true"});
    if (flockProbe.waitForFinished(10000) && flockProbe.exitStatus() == QProcess::NormalExit) {
        EXPECT_NE(flockProbe.exitCode(), 0);
    }
    first.release();
    RunEvent third(path);
    EXPECT_TRUE(third.acquire());
}

TEST(RunEvent, ManualResetSignalWakesWaiterAndStaysSet)
{
    RunEvent ev("/tmp/morv-event-test.MVAT$");
    EXPECT_FALSE(ev.waitFor(std::chrono::milliseconds(1)));
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        ev.wait();
        woke = true;
    });
    ev.set();
    waiter.join();
    EXPECT_TRUE(woke);
    EXPECT_TRUE(ev.isSet()); // manual reset: still set after a waiter passed
    ev.wait();
    ev.reset();
    EXPECT_FALSE(ev.isSet());
}
