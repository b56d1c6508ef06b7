// The run event: manual-reset signal and the run lock that refuses a second holder.
#include "solver/RunEvent.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

namespace {
enum class LockTry { Taken, Refused, NoOtherUser };

// Tries the run lock of `path` as another user (nobody) when this test runs as root, else as
// ourselves.
LockTry acquireAsAnotherUser(const std::string& path)
{
    if (::geteuid() != 0) {
        RunEvent ev(path);
        return ev.acquire() ? LockTry::Taken : LockTry::Refused;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        RunEvent ev(path);
        ::_exit(ev.acquire() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2)
        return LockTry::NoOtherUser;
    return WEXITSTATUS(status) == 0 ? LockTry::Taken : LockTry::Refused;
}

// Points the system temporary folder (and so the lock files) at a folder of the test's own.
class TempFolderGuard {
public:
    explicit TempFolderGuard(const QString& folder)
    {
        const char* old = std::getenv("TMPDIR");
        had_ = old != nullptr;
        if (old)
            old_ = old;
        ::setenv("TMPDIR", folder.toLocal8Bit().constData(), 1);
    }
    ~TempFolderGuard()
    {
        if (had_)
            ::setenv("TMPDIR", old_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::string old_;
    bool had_ = false;
};
} // namespace

// A lock file left by another user is one we may not write; it must still lock, not refuse
// every later run of the document.
TEST(RunEvent, LockFileWeCannotWriteStillLocks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ::chmod(dir.path().toLocal8Bit().constData(), 0777);
    TempFolderGuard tmp(dir.path());

    const std::string path = dir.path().toStdString() + "/doc.MVAT$";
    const std::string lockPath = RunEvent::lockFilePath(path);
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0444);
    ASSERT_GE(fd, 0);
    ::fchmod(fd, 0444);
    ::close(fd);

    const LockTry first = acquireAsAnotherUser(path);
    if (first == LockTry::NoOtherUser)
        GTEST_SKIP() << "cannot switch to another user here";
    EXPECT_EQ(first, LockTry::Taken);
    {
        RunEvent holder(path);
        ASSERT_TRUE(holder.acquire());
        EXPECT_EQ(acquireAsAnotherUser(path), LockTry::Refused);
    }
    EXPECT_EQ(acquireAsAnotherUser(path), LockTry::Taken);
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
