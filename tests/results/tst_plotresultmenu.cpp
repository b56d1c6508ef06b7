#include "document/RMORVCompile.h"
#include "results/RPlotProgram.h"
#include "results/ResultMenuState.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <array>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

enum Files { Log = 1, Result = 2, LogIncomplete = 4, ResultIncomplete = 8 };

struct MenuCase {
    const char* name;
    int PARMT, PARMX, PARMY;
    int files;
    bool installed;
    // Expected: ShowLog1, ShowResult1, Kurvo1, ShowLog2, ShowResult2, Kurvo2, submenu.
    std::array<bool, 7> state;
    bool asksForThePlotter;
};

std::array<bool, 7> asArray(const RResultMenuState& s)
{
    return {s.showLog1, s.showResult1, s.kurvo1, s.showLog2, s.showResult2, s.kurvo2,
        s.incompleteResult};
}

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(ResultMenu, StatesFollowTheFilesBesideTheDocument)
{
    constexpr bool Y = true, N = false;
    const MenuCase cases[] = {
        {"no result files", 1, 1, 0, 0, Y, {N, N, N, N, N, N, N}, N},
        {"complete run in time", 1, 1, 0, Log | Result, Y, {Y, Y, Y, N, N, N, N}, Y},
        {"complete run, no plotter", 1, 1, 0, Log | Result, N, {Y, Y, N, N, N, N, N}, Y},
        {"steady run with a result", 0, 1, 0, Result, Y, {N, Y, Y, N, N, N, N}, Y},
        // The plotter is not looked for when no parameter is in use.
        {"no parameter", 0, 0, 0, Log | Result, Y, {Y, Y, N, N, N, N, N}, N},
        {"steady with incomplete files", 0, 1, 0, LogIncomplete | ResultIncomplete, Y,
            {N, N, N, Y, N, N, Y}, N},
        {"stopped run in time", 1, 0, 0, LogIncomplete | ResultIncomplete, Y,
            {N, N, N, Y, Y, Y, Y}, Y},
        {"stopped run, no plotter", 1, 0, 0, ResultIncomplete, N, {N, N, N, N, Y, N, Y}, Y},
        {"incomplete log only", 1, 0, 0, LogIncomplete, Y, {N, N, N, Y, N, N, Y}, N},
        {"every file", 1, 1, 1, Log | Result | LogIncomplete | ResultIncomplete, Y,
            {Y, Y, Y, Y, Y, Y, Y}, Y},
    };
    for (const MenuCase& c : cases) {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        if (c.files & Log)
            touch(folder + QStringLiteral("pipe.MVL3"));
        if (c.files & Result)
            touch(folder + QStringLiteral("pipe.MVO3"));
        if (c.files & LogIncomplete)
            touch(folder + QStringLiteral("pipe.MVL3$"));
        if (c.files & ResultIncomplete)
            touch(folder + QStringLiteral("pipe.MVO3$"));
        SControlData control;
        control.PARMT = c.PARMT;
        control.PARMX = c.PARMX;
        control.PARMY = c.PARMY;
        int asked = 0;
        const RResultMenuState state = resultMenuState(control, folder, QStringLiteral("pipe.MV3"),
            [&] {
                ++asked;
                return c.installed;
            });
        EXPECT_EQ(asArray(state), c.state) << c.name;
        EXPECT_EQ(asked, c.asksForThePlotter ? 1 : 0) << c.name;
    }
}

TEST(ResultMenu, AFolderNamedLikeAResultIsNoResult)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("pipe.MVO3"));
    SControlData control;
    control.PARMT = 1;
    const RResultMenuState state =
        resultMenuState(control, dir.path() + u'/', QStringLiteral("pipe.MV3"), [] { return true; });
    EXPECT_FALSE(state.showResult1);
    EXPECT_FALSE(state.kurvo1);
}

class PlotProgram : public ::testing::Test {
protected:
    // Settings of their own, so that tests running side by side never see each other's.
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    }
    void TearDown() override
    {
        QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3")).remove(QStringLiteral("KurvoCommand"));
    }
    QTemporaryDir settingsDir;
    void setCommand(const QString& command)
    {
        QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3"))
            .setValue(QStringLiteral("KurvoCommand"), command);
    }
};

TEST_F(PlotProgram, TheSettingsCommandCountsAsInstalled)
{
    setCommand(QStringLiteral("  /opt/plotter/bin/plot  "));
    EXPECT_EQ(kurvoCommand(), QStringLiteral("/opt/plotter/bin/plot"));
    EXPECT_TRUE(KurvoInstalled());
    setCommand(QStringLiteral("   "));
    EXPECT_EQ(kurvoCommand(), QString());
    // The plot description file's type is unknown to the desktop, so nobody handles it.
    EXPECT_EQ(kurvoDesktopHandler(QStringLiteral("x_MV3.Kurvo")), QString());
}

TEST_F(PlotProgram, TheCommandIsStartedWithThePlotFile)
{
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("arguments.txt"));
    const QString script = dir.filePath(QStringLiteral("fake plotter.sh"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"%1.tmp\"\n"
                                  "mv \"%1.tmp\" \"%1\"\n")
                       .arg(record)
                       .toUtf8());
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    const QString plotFile = dir.filePath(QStringLiteral("my pipe_MV3.Kurvo"));
    ASSERT_TRUE(startKurvoCommand(script, plotFile));
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(record) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), plotFile + u'\n');

    EXPECT_FALSE(startKurvoCommand(dir.filePath(QStringLiteral("no such program")), plotFile));
}
