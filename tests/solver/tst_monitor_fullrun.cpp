// Whole runs of a compiled document from the monitor: the engine's own run to its end, a stop
// by the user and a second monitor on the same data file.
#include "MonitorFixture.h"

#include "solver/RunEvent.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>

TEST(MonitorFullRun, CompiledDocumentRunsToFinishedAndIsCommittedOnClose)
{
    MonitorFixture f;
    f.compile();
    writeBytes(f.file(".MVO3"), "old result");
    auto m = f.makeMonitor();
    ASSERT_TRUE(MonitorFixture::runToEnd(*m));
    EXPECT_EQ(m->Label1->text(), "Finished");
    EXPECT_EQ(m->StaticText1->text(), "0 error(s), 0 warning(s) [0]");
    EXPECT_EQ(m->LabeledEdit1->text(), " 1.0000000e-01"); // the end time of heat1d
    ASSERT_TRUE(f.solver);
    m->SpeedButton1->click();
    EXPECT_FALSE(m->isVisible());
    EXPECT_FALSE(f.solver);
    for (const char* committed : {".MVO3", ".MVL3", ".MVR3"}) {
        EXPECT_TRUE(QFile::exists(f.file(committed))) << committed;
        EXPECT_FALSE(QFile::exists(f.file(committed) + '$')) << committed;
    }
    EXPECT_NE(fileBytes(f.file(".MVO3")), "old result");
    EXPECT_TRUE(fileBytes(f.file(".MVL3")).contains("Job finished normally."));
}

TEST(MonitorFullRun, StopDuringALongRunCommitsNothing)
{
    MonitorFixture f;
    f.compile("heat1d.MV3", endlessHeatRun);
    writeBytes(f.file(".MVO3"), "old result");
    writeBytes(f.file(".MVL3"), "old log");
    writeBytes(f.file(".MVR3"), "old restart");
    auto m = f.makeMonitor();
    m->show();
    // Wait until the run is well into its steps.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m->LabeledEdit1->text() != " 0.0000000e+00" && !m->LabeledEdit1->text().isEmpty();
    }, kMonitorTimeout));
    EXPECT_EQ(m->SpeedButton1->text(), "Stop");
    m->SpeedButton1->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
    EXPECT_EQ(m->StaticText1->text(), "Execution stopped by user action");
    EXPECT_EQ(m->Label1->text(), "Finished");
    m->SpeedButton1->click();
    EXPECT_FALSE(f.solver);
    EXPECT_EQ(fileBytes(f.file(".MVO3")), "old result");
    EXPECT_EQ(fileBytes(f.file(".MVL3")), "old log");
    EXPECT_EQ(fileBytes(f.file(".MVR3")), "old restart");
    // The stopped run's files stay as the incomplete result.
    EXPECT_TRUE(QFile::exists(f.file(".MVO3$")));
    EXPECT_TRUE(QFile::exists(f.file(".MVR3$")));
}

TEST(MonitorFullRun, SecondMonitorWhileTheFirstRunsLeavesItsFilesAlone)
{
    MonitorFixture f;
    f.compile("heat1d.MV3", endlessHeatRun);
    auto first = f.makeMonitor();
    first->show();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return first->LabeledEdit1->text() != " 0.0000000e+00" && !first->LabeledEdit1->text().isEmpty();
    }, kMonitorTimeout));
    struct Seen {
        QByteArray bytes;
        QDateTime modified;
    };
    const auto look = [&](const char* extension) {
        const QFileInfo info(f.file(extension));
        return Seen {fileBytes(f.file(extension)), info.lastModified()};
    };
    // The run writes no log; a second engine of this document would remove this file.
    writeBytes(f.file(".MVL3$"), "the first run's");
    const Seen log = look(".MVL3$"), result = look(".MVO3$");
    ASSERT_FALSE(result.bytes.isEmpty());
    {
        std::unique_ptr<RRazava> otherSlot;
        TForm13 second(nullptr, f.doc, otherSlot, QString(), 10);
        second.show();
        EXPECT_EQ(second.StaticText1->text(), "Already in execution ?");
        EXPECT_FALSE(otherSlot);
        second.SpeedButton1->click();
    }
    EXPECT_EQ(first->SpeedButton1->text(), "Stop");
    for (const auto& [extension, before] : {std::pair {".MVL3$", log}, std::pair {".MVO3$", result}}) {
        const Seen now = look(extension);
        EXPECT_EQ(now.bytes, before.bytes) << extension;
        EXPECT_EQ(now.modified, before.modified) << extension;
    }
    first->SpeedButton1->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->SpeedButton1->text() == "Close"; }, kMonitorTimeout));
    first->SpeedButton1->click();
    // Once the first run has ended the document can be run again.
    RunEvent probe(QFile::encodeName(f.file(".MVAT$")).toStdString());
    EXPECT_TRUE(probe.acquire());
}
