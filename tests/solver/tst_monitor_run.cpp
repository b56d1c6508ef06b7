// The run and refresh threads behind the monitor, with the engine's run replaced by small
// bodies that drive the run state the way the time loop does.
#include "MonitorFixture.h"

#include "solver/RunEvent.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {

QColor labelTextColour(const QLabel* label)
{
    // The run state is carried in the label's style sheet colours.
    const QString style = label->styleSheet();
    const int at = style.indexOf(QStringLiteral("color: "));
    return at < 0 ? QColor() : QColor(style.mid(at + 7, 7));
}

} // namespace

TEST(MonitorRun, ProgressBeforeAndDuringTheRun)
{
    MonitorFixture f;
    f.compile();
    std::atomic<int> go {0};
    auto m = f.makeMonitor();
    m->runBody = [&](RRazava& engine) {
        MORVGlobalData& g = *engine.globalData();
        waitInRun(go, 1, g);
        g.currentTime = 0.25;
        g.iterationCount = 3;
        g.runWarningCount = 2;
        g.maxCorrection[0] = 1.5e-3;
        g.publishSnapshot();
        g.runEvent->set();
        waitInRun(go, 2, g);
    };
    m->show();
    ASSERT_TRUE(f.solver);
    // Before the run has done anything.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->Label1->text() == "Executing ..."; }, kMonitorTimeout));
    EXPECT_EQ(m->LabeledEdit1->text(), " 0.0000000e+00");
    EXPECT_EQ(m->LabeledEdit2->text(), "0");
    EXPECT_EQ(m->LabeledEdit3->text(), " 0.00000e+00");
    EXPECT_EQ(m->StaticText1->text(), "0 error(s), 0 warning(s) [0]");
    EXPECT_EQ(m->SpeedButton1->text(), "Stop");
    go = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->LabeledEdit2->text() == "3"; }, kMonitorTimeout));
    EXPECT_EQ(m->LabeledEdit1->text(), " 2.5000000e-01");
    EXPECT_EQ(m->LabeledEdit3->text(), " 1.50000e-03");
    EXPECT_EQ(m->StaticText1->text(), "0 error(s), 2 warning(s) [0]");
    go = 2;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
    EXPECT_EQ(m->Label1->text(), "Finished");
    EXPECT_NE(labelTextColour(m->Label1), QColor(Qt::red));
    // The run is over: its lock is free again.
    RunEvent probe(QFile::encodeName(f.file(".MVAT$")).toStdString());
    EXPECT_TRUE(probe.acquire());
}

TEST(MonitorRun, WindowStaysOpenWhileTheRunGoesOn)
{
    MonitorFixture f;
    f.compile();
    std::atomic<int> go {0};
    auto m = f.makeMonitor();
    m->runBody = [&](RRazava& engine) { waitInRun(go, 1, *engine.globalData()); };
    m->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->Label1->text() == "Executing ..."; }, kMonitorTimeout));
    m->reject();
    m->close();
    QTest::keyClick(m.get(), Qt::Key_Escape);
    EXPECT_TRUE(m->isVisible());
    EXPECT_TRUE(f.solver);
    go = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
    m->SpeedButton1->click();
    EXPECT_FALSE(m->isVisible());
    EXPECT_FALSE(f.solver);
}

// The "$" files may replace the committed ones only after a run that ended well and was not
// stopped.
TEST(MonitorRun, CommitOnCloseOnlyAfterACleanEnd)
{
    struct Case {
        const char* what;
        int status;
        int stop;
        bool committed;
    };
    const Case cases[] = {
        {"clean end", 0, 0, true},
        {"stopped after a matrix listing", 0, 2, false},
        {"failed time step", 8, 0, false},
    };
    for (const Case& c : cases) {
        MonitorFixture f;
        f.compile();
        writeBytes(f.file(".MVO3"), "old result");
        writeBytes(f.file(".MVR3"), "old restart");
        auto m = f.makeMonitor();
        m->runBody = [&](RRazava& engine) {
            MORVGlobalData& g = *engine.globalData();
            writeBytes(f.file(".MVO3$"), "new result");
            writeBytes(f.file(".MVR3$"), "new restart");
            g.runStatus = c.status;
            if (c.status != 0)
                g.runErrorCount.fetch_add(1);
            g.stopRequest = c.stop;
        };
        ASSERT_TRUE(MonitorFixture::runToEnd(*m)) << c.what;
        EXPECT_EQ(labelTextColour(m->Label1) == QColor(Qt::red), !c.committed) << c.what;
        m->SpeedButton1->click();
        EXPECT_FALSE(f.solver) << c.what;
        EXPECT_EQ(fileBytes(f.file(".MVO3")), c.committed ? "new result" : "old result") << c.what;
        EXPECT_EQ(fileBytes(f.file(".MVR3")), c.committed ? "new restart" : "old restart") << c.what;
        EXPECT_EQ(QFile::exists(f.file(".MVO3$")), !c.committed) << c.what;
    }
}

TEST(MonitorRun, StopAsksTheRunToEndAndCommitsNothing)
{
    MonitorFixture f;
    f.compile();
    writeBytes(f.file(".MVO3"), "old result");
    std::atomic<int> never {0};
    auto m = f.makeMonitor();
    m->runBody = [&](RRazava& engine) {
        MORVGlobalData& g = *engine.globalData();
        writeBytes(f.file(".MVO3$"), "part of a result");
        g.runErrorCount.fetch_add(1); // a stopped run says so even with errors counted
        g.runEvent->set();
        waitInRun(never, 1, g);
    };
    m->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->StaticText1->text() == "1 error(s), 0 warning(s) [0]"; },
                                kMonitorTimeout));
    m->SpeedButton1->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
    EXPECT_EQ(m->StaticText1->text(), "Execution stopped by user action");
    EXPECT_EQ(m->Label1->text(), "Finished");
    EXPECT_EQ(labelTextColour(m->Label1), QColor(Qt::red));
    m->SpeedButton1->click();
    EXPECT_EQ(fileBytes(f.file(".MVO3")), "old result");
    EXPECT_EQ(fileBytes(f.file(".MVO3$")), "part of a result");
}

TEST(MonitorRun, EscapedErrorGivesStatus99AndOneMessage)
{
    MonitorFixture f;
    f.compile();
    writeBytes(f.file(".MVO3"), "old result");
    auto m = f.makeMonitor();
    m->runBody = [](RRazava&) { throw std::runtime_error("broken"); };
    ASSERT_TRUE(MonitorFixture::runToEnd(*m));
    EXPECT_EQ(f.ui.messages, QStringList {"unexpected error"});
    EXPECT_EQ(m->StaticText1->text(), "1 error(s), 0 warning(s) [99]");
    EXPECT_EQ(labelTextColour(m->Label1), QColor(Qt::red));
    m->SpeedButton1->click();
    EXPECT_EQ(fileBytes(f.file(".MVO3")), "old result");
}

TEST(MonitorRun, WatchValuesShowOnlyWhileThePanelIsExpanded)
{
    MonitorFixture f;
    f.compile();
    std::atomic<int> go {0};
    auto m = f.makeMonitor();
    // heat1d has five grid points: A, B, C are 0, 2 and 4.
    ASSERT_EQ(m->watchPointSet(), (RWatchPointSet {0, 2, 4, 0, 0, 0}));
    const auto publish = [](MORVGlobalData& g, double offset, int iteration) {
        for (int p = 0; p < g.pointCount; ++p)
            g.newValues[p] = offset + p;
        g.iterationCount = iteration;
        g.publishSnapshot();
        g.runEvent->set();
    };
    m->runBody = [&](RRazava& engine) {
        MORVGlobalData& g = *engine.globalData();
        publish(g, 0.5, 1);
        waitInRun(go, 1, g);
        publish(g, 10.0, 2);
        waitInRun(go, 2, g);
    };
    m->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->LabeledEdit2->text() == "1"; }, kMonitorTimeout));
    EXPECT_EQ(m->ListView1->item(0, 1)->text(), "-");
    m->CategoryPanel1Expand();
    go = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->LabeledEdit2->text() == "2"; }, kMonitorTimeout));
    EXPECT_EQ(m->ListView1->item(0, 1)->text(), " 1.00000E+01");
    EXPECT_EQ(m->ListView1->item(0, 2)->text(), " 1.20000E+01");
    EXPECT_EQ(m->ListView1->item(0, 3)->text(), " 1.40000E+01");
    go = 2;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
}

TEST(MonitorRun, SecondMonitorOnTheSameDataFileIsRefused)
{
    MonitorFixture f;
    f.compile();
    std::atomic<int> go {0};
    auto first = f.makeMonitor();
    first->runBody = [&](RRazava& engine) {
        writeBytes(f.file(".MVO3$"), "first run");
        waitInRun(go, 1, *engine.globalData());
    };
    first->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->Label1->text() == "Executing ..."; }, kMonitorTimeout));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(f.file(".MVO3$")); }, kMonitorTimeout));
    RRazava* firstEngine = f.solver.get();
    {
        std::unique_ptr<RRazava> otherSlot;
        TForm13 second(nullptr, f.doc, otherSlot, QString(), 10);
        second.runBody = [](RRazava&) { ADD_FAILURE() << "a second run started"; };
        second.show();
        EXPECT_EQ(second.StaticText1->text(), "Already in execution ?");
        EXPECT_FALSE(otherSlot);
        second.SpeedButton1->click();
    }
    EXPECT_EQ(f.solver.get(), firstEngine);
    EXPECT_EQ(fileBytes(f.file(".MVO3$")), "first run");
    go = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
    first->SpeedButton1->click();
    EXPECT_EQ(fileBytes(f.file(".MVO3")), "first run");
}

// A refresh per Newton iteration would hold the run up behind the display.
TEST(MonitorRun, ManyIterationsBetweenTwoRefreshesCostOneRefresh)
{
    MonitorFixture f;
    f.compile();
    constexpr int iterations = 100000;
    auto m = f.makeMonitor();
    int shown = 0;
    QObject::connect(m->LabeledEdit2, &QLineEdit::textChanged, [&] { ++shown; });
    m->runBody = [&](RRazava& engine) {
        MORVGlobalData& g = *engine.globalData();
        for (int i = 1; i <= iterations; ++i) {
            g.iterationCount = i;
            g.publishSnapshot();
            g.runEvent->set();
        }
    };
    ASSERT_TRUE(MonitorFixture::runToEnd(*m));
    EXPECT_EQ(m->LabeledEdit2->text(), QString::number(iterations));
    EXPECT_GE(shown, 1);
    EXPECT_LT(shown, iterations);
}
