// Starting a run from the monitor: the run lock, the engine's start-up status and an error
// raised while the engine is built.
#include "MonitorFixture.h"

#include "solver/RunEvent.h"

#include <QDir>
#include <QLabel>
#include <QProcess>

TEST(MonitorStartup, HeldRunLockRefusesWithoutTouchingFiles)
{
    MonitorFixture f;
    f.compile();
    RunEvent other(QFile::encodeName(f.file(".MVAT$")).toStdString());
    ASSERT_TRUE(other.acquire());
    auto m = f.makeMonitor();
    m->show();
    EXPECT_EQ(m->StaticText1->text(), "Already in execution ?");
    EXPECT_EQ(m->SpeedButton1->text(), "Close");
    EXPECT_EQ(m->windowTitle(), "Execution : heat1d.MV3");
    EXPECT_FALSE(f.solver);
    EXPECT_FALSE(m->runStarted());
    // No engine was built, so not even the log was opened.
    EXPECT_FALSE(QFile::exists(f.file(".MVL3$")));
    m->SpeedButton1->click();
    EXPECT_FALSE(m->isVisible());
    EXPECT_TRUE(other.held());
}

TEST(MonitorStartup, EngineStatusIsShownAndTheLockGivenBack)
{
    struct Case {
        const char* what;
        QByteArray dataFile; // empty: the solver data file is removed
        int status;
    };
    const Case cases[] = {
        {"no solver data file", QByteArray(), 1},
        {"unreadable solver data file", "this is no solver data file\r\n", 2},
    };
    for (const Case& c : cases) {
        MonitorFixture f;
        f.compile();
        writeBytes(f.file(".MVO3"), "previous result");
        if (c.dataFile.isEmpty())
            ASSERT_TRUE(QFile::remove(f.file(".MVAT$")));
        else
            writeBytes(f.file(".MVAT$"), c.dataFile);
        auto m = f.makeMonitor();
        m->show();
        EXPECT_EQ(m->StaticText1->text(), QStringLiteral("Error on startup [%1]").arg(c.status)) << c.what;
        EXPECT_EQ(m->SpeedButton1->text(), "Close") << c.what;
        EXPECT_FALSE(m->runStarted()) << c.what;
        RunEvent probe(QFile::encodeName(f.file(".MVAT$")).toStdString());
        EXPECT_TRUE(probe.acquire()) << c.what << ": the lock must be given back";
        m->SpeedButton1->click();
        EXPECT_FALSE(m->isVisible()) << c.what;
        EXPECT_FALSE(f.solver) << c.what;
        EXPECT_EQ(fileBytes(f.file(".MVO3")), "previous result") << c.what;
    }
}

// An error escaping the engine's construction must leave no engine behind, give the lock back
// and commit nothing.
TEST(MonitorStartup, ErrorWhileBuildingTheEngineShows99)
{
    MonitorFixture f;
    f.compile();
    writeBytes(f.file(".MVO3"), "previous result");
    writeBytes(f.file(".MVO3$"), "incomplete result");
    // The log cannot be opened for writing: the engine's constructor throws.
    ASSERT_TRUE(QDir().mkdir(f.file(".MVL3$")));
    auto m = f.makeMonitor();
    m->show();
    EXPECT_EQ(m->StaticText1->text(), "Error on startup [99]");
    EXPECT_EQ(m->SpeedButton1->text(), "Close");
    EXPECT_FALSE(f.solver);
    RunEvent probe(QFile::encodeName(f.file(".MVAT$")).toStdString());
    EXPECT_TRUE(probe.acquire());
    probe.release();
    m->SpeedButton1->click();
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(fileBytes(f.file(".MVO3")), "previous result");
    EXPECT_EQ(fileBytes(f.file(".MVO3$")), "incomplete result");
}

TEST(MonitorStartup, LockOfAnotherProcessRefusesUntilThatProcessIsGone)
{
    MonitorFixture f;
    f.compile();
    const QString lock = QString::fromStdString(
        RunEvent::lockFilePath(QFile::encodeName(f.file(".MVAT$")).toStdString()));
    // Another program instance holds the lock, then dies without giving it back. The shell
    // takes the lock on a descriptor that the sleep it becomes keeps.
    QProcess holder;
    holder.start("sh", {"-c", "exec 9>>\"$0\" && flock -n 9 && exec sleep 600", lock});
    ASSERT_TRUE(holder.waitForStarted(kMonitorTimeout));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        RunEvent probe(QFile::encodeName(f.file(".MVAT$")).toStdString());
        return !probe.acquire();
    }, kMonitorTimeout));
    {
        auto m = f.makeMonitor();
        m->show();
        EXPECT_EQ(m->StaticText1->text(), "Already in execution ?");
        m->SpeedButton1->click();
    }
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(kMonitorTimeout));
    // The lock dies with its holder.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        RunEvent probe(QFile::encodeName(f.file(".MVAT$")).toStdString());
        return probe.acquire();
    }, kMonitorTimeout));
    auto m = f.makeMonitor();
    std::atomic<bool> ran {false};
    m->runBody = [&](RRazava&) { ran = true; };
    ASSERT_TRUE(MonitorFixture::runToEnd(*m));
    EXPECT_TRUE(ran);
    EXPECT_EQ(m->StaticText1->text(), "0 error(s), 0 warning(s) [0]");
}
