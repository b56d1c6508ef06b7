// The Newton iteration on code written by the compiler: one implicit time step of the heat
// equation document shared with the compiler's tests.
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"
#include "solver/RRazava.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

TEST(NewtonCompiled, HeatStepOnCompiledCode)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("heat1d.MV3");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORV_TEST_DATA "/compiler/scripts/heat1d.MV3"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(path), 0);
    doc.documentFolder = folder.path() + '/';
    doc.documentFileName = QStringLiteral("heat1d.MV3");
    doc.named = true;
    QStringList log;
    ASSERT_EQ(runCompile(doc, doc.scripts, log), 0) << log.join('\n').toStdString();

    RRazava engine("MORV", folder.filePath("heat1d.MVAT$").toStdString());
    MORVGlobalData& g = *engine.globalData();
    ASSERT_EQ(g.runStatus, 0) << engine.startupReason();
    const int np = g.pointCount;
    ASSERT_GE(np, 3);
    // Start values x (1 - x), as the INITIAL section gives them.
    for (int p = 0; p < np; ++p)
        g.oldValues[p] = g.newValues[p] = g.pointX[p] * (1 - g.pointX[p]);
    const std::vector<double> start = g.newValues;
    ASSERT_EQ(engine.solver(g.DELT, 0.0, g.TEND), 0);
    EXPECT_LT(g.iterationCount, g.LMAX);
    EXPECT_NEAR(g.newValues[0], 0.0, 1e-12);
    EXPECT_NEAR(g.newValues[np - 1], 0.0, 1e-12);
    for (int p = 1; p + 1 < np; ++p)
        EXPECT_LT(g.newValues[p], start[p]) << p; // heat flows out through the cold ends
    // The solution makes every compiled residual vanish.
    for (int p = 0; p < np; ++p) {
        ASSERT_TRUE(engine.jacobi(p, g.DELT, 0.0, false));
        EXPECT_NEAR(g.residuals[p], 0.0, 1e-6) << p;
    }
    // The sub variable flux = -u[x] was evaluated with the last values.
    ASSERT_EQ(g.subVariableCount, 1);
    EXPECT_NE(g.subValues[1], 0.0);
}
