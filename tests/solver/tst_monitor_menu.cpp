// Run > Execute of the main window opens the run monitor on the open document.
#include "tests/app/MainWindowFixture.h"
#include "tests/widgets/ModalAnswer.h"

#include "compiler/RCompileRun.h"
#include "solver/RRazava.h"
#include "solver/ui/TForm13.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

TEST(MonitorMenu, ExecuteRunsTheCompiledDocumentAndCommitsOnClose)
{
    MainWindowFixture f;
    const QString path = f.path("heat1d.MV3");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/heat1d.MV3"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(f.start({path}));
    TMORVMain& w = *f.window;
    QStringList log;
    ASSERT_EQ(runCompile(w.document(), w.document().scripts, log), 0) << log.join('\n').toStdString();
    ASSERT_EQ(w.document().compileState, 0);

    bool seen = false;
    answerNextModal([&](QWidget* modal) {
        auto* monitor = dynamic_cast<TForm13*>(modal);
        ASSERT_NE(monitor, nullptr);
        seen = true;
        EXPECT_EQ(monitor->parentWidget(), &w);
        EXPECT_TRUE(QTest::qWaitFor([&] { return monitor->SpeedButton1->text() == "Close"; }, 60000));
        EXPECT_EQ(monitor->Label1->text(), "Finished");
        EXPECT_EQ(monitor->StaticText1->text(), "0 error(s), 0 warning(s) [0]");
        // The main window holds the engine of the run until the monitor closes.
        EXPECT_NE(w.solverObject(), nullptr);
        monitor->SpeedButton1->click();
    });
    w.menuItem("Execute1")->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.solverObject(), nullptr);
    EXPECT_TRUE(QFile::exists(f.path("heat1d.MVO3")));
    EXPECT_TRUE(QFile::exists(f.path("heat1d.MVR3")));
    EXPECT_FALSE(QFile::exists(f.path("heat1d.MVO3$")));
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
}
