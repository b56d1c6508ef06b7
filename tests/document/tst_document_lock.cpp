// The hold on the open document file.
#include "document/RExcrusiveAccess.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct LockTest : ::testing::Test {
    QTemporaryDir dir;
    QString file;
    void SetUp() override
    {
        file = dir.filePath("doc.MV3");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("$MORV 03010000\r\n");
    }
};

// Runs `probe` in a child process and gives its exit status.
template <typename F>
int inChild(F probe)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(probe());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}

TEST_F(LockTest, MissingFileIsFreeButCannotBeHeld)
{
    RExcrusiveAccess lock;
    const QString missing = dir.filePath("none.MV3");
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(missing));
    EXPECT_EQ(lock.CatchFile(missing), 2);
    EXPECT_TRUE(lock.GetOwnFileName().isEmpty());
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(LockTest, HeldFileIsNotFreeAndASecondHoldIsRefused)
{
    RExcrusiveAccess lock;
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(file));
    ASSERT_EQ(lock.CatchFile(file), 0);
    EXPECT_EQ(lock.GetOwnFileName(), file);
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    // The same object holds one file at most, even when asked for another.
    const QString other = dir.filePath("other.MV3");
    QFile(other).open(QIODevice::WriteOnly);
    EXPECT_EQ(lock.CatchFile(other), 1);
    EXPECT_EQ(lock.GetOwnFileName(), file);
    RExcrusiveAccess second;
    EXPECT_EQ(second.CatchFile(file), 2);
    EXPECT_TRUE(second.GetOwnFileName().isEmpty());

    lock.ReleaseOwnFile();
    lock.ReleaseOwnFile();
    EXPECT_TRUE(lock.GetOwnFileName().isEmpty());
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(file));
    EXPECT_EQ(second.CatchFile(file), 0);
}

TEST_F(LockTest, HoldWorksAcrossProcesses)
{
    RExcrusiveAccess lock;
    ASSERT_EQ(lock.CatchFile(file), 0);
    EXPECT_EQ(inChild([&] {
                  RExcrusiveAccess child;
                  return RExcrusiveAccess::CheckFile(file) ? 10 : child.CatchFile(file);
              }),
              2);
    lock.ReleaseOwnFile();

    // The other way round: the child holds the file until told to let go.
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        RExcrusiveAccess child;
        const char held = child.CatchFile(file) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        char c;
        (void)!::read(go[0], &c, 1);
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    EXPECT_EQ(lock.CatchFile(file), 2);
    (void)!::write(go[1], "x", 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    // A hold ends with its process.
    EXPECT_EQ(lock.CatchFile(file), 0);
    for (int fd : {ready[0], ready[1], go[0], go[1]})
        ::close(fd);
}

// Another program that has the document open (an editor, a shell's "exec 3<doc.MV3") used to
// go unseen: the document is refused while it is open elsewhere and taken once it is closed,
// and the hold does not keep a later open waiting.
TEST_F(LockTest, FileOpenInAnotherProgramIsRefusedUntilItIsClosed)
{
    {
        // Where the file system or the owner allows no lease, only the flock can decide.
        const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const bool leases = ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
        ::close(fd);
        if (!leases)
            GTEST_SKIP() << "no write lease on " << dir.path().toStdString();
    }
    for (const char* redirect : {"3<", "3>>"}) {
        SCOPED_TRACE(redirect);
        QProcess holder;
        holder.start("/bin/sh", {"-c", QString("exec %1\"$1\"; echo open; read line").arg(redirect),
                                 "sh", file});
        ASSERT_TRUE(holder.waitForReadyRead(10000));
        ASSERT_EQ(holder.readLine().trimmed(), "open");
        RExcrusiveAccess lock;
        EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
        EXPECT_EQ(lock.CatchFile(file), 2);
        EXPECT_TRUE(lock.GetOwnFileName().isEmpty());
        holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(10000));
        EXPECT_TRUE(RExcrusiveAccess::CheckFile(file));
        ASSERT_EQ(lock.CatchFile(file), 0);

        // Held, the file still opens at once for another program.
        QProcess reader;
        reader.start("/bin/cat", {file});
        ASSERT_TRUE(reader.waitForFinished(2000));
        EXPECT_EQ(reader.readAllStandardOutput(), "$MORV 03010000\r\n");
    }
}

// Running as root used to let read-only documents be held and written.
TEST_F(LockTest, ReadOnlyFileIsNotFreeEvenForRoot)
{
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    RExcrusiveAccess lock;
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    EXPECT_EQ(lock.CatchFile(file), 2);
    EXPECT_TRUE(lock.GetOwnFileName().isEmpty());
    // A folder is no document either.
    EXPECT_EQ(lock.CatchFile(dir.path()), 2);
}
