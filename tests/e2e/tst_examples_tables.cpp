// The Show Result tables of the examples' committed results, as `morv_headless table` prints
// them, compared with golden text in tests/e2e/data/. The runs are reproducible to the bit, so
// any difference is a change of the engine, the result file or the table layout. Set
// MORV_UPDATE_GOLDEN to rewrite the files after a deliberate change (and read the new text).
#include "ExampleRun.h"

#include <QFile>

#include <algorithm>

namespace {

void expectGoldenTable(const QString& example)
{
    SCOPED_TRACE(example.toStdString());
    ExampleRun run(example);
    ASSERT_EQ(run.run(), 0) << run.output.toStdString();
    ASSERT_EQ(run.table(), 0) << run.output.toStdString();
    const QString golden =
        QStringLiteral(MORV_TEST_DATA "/e2e/data/") + example + QStringLiteral("_table.txt");
    QFile file(golden);
    if (qEnvironmentVariableIsSet("MORV_UPDATE_GOLDEN")) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(run.standardOutput);
        return;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << golden.toStdString();
    const QByteArray expected = file.readAll();
    // Line by line first, so that a difference names its line.
    const QList<QByteArray> want = expected.split('\n'), got = run.standardOutput.split('\n');
    for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
        EXPECT_EQ(got[i].toStdString(), want[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
}

// One table of three variables and a sub variable written at the same times: a time line per
// output level.
TEST(ExampleTables, StiffKinetics)
{
    expectGoldenTable(QStringLiteral("stiff_kinetics"));
}

// A two-dimensional result without a time parameter, on the grid the example was saved with:
// one line per grid point with its x and y.
TEST(ExampleTables, LaplaceOnTheUnitSquare)
{
    expectGoldenTable(QStringLiteral("laplace_2d"));
}

} // namespace
