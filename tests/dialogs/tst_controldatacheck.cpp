// The control data checks with the fields they frame, storing, the restart file's start time
// and the order of output times.
#include "dialogs/RControlDataCheck.h"
#include "document/RMORVDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

namespace {

SControlDataFields goodFields()
{
    SControlDataFields f;
    f.from = "0";
    f.to = "10";
    f.timeStep = "0.1";
    f.times = "10";
    f.tolerance = "0.01";
    f.outputEvery = "1";
    f.alpha = "1";
    f.intervalText = "1";
    f.iterationLimit = "100";
    f.outputLevel = "2";
    f.jacobi = "1";
    f.epsilon = "1e-6";
    f.omega = "1";
    f.deltaPhi = "1e-8";
    return f;
}

} // namespace

TEST(ControlDataCheck, FramesEveryFailingField)
{
    struct Case {
        const char* what;
        std::function<void(SControlDataFields&)> edit;
        unsigned framed;
    } cases[] = {
        {"all good", [](auto&) {}, 0},
        {"to equal to from", [](auto& f) { f.from = "10"; f.to = "10"; }, FieldTo},
        {"from no number, to above the document's start", [](auto& f) { f.from = "x"; f.to = "5"; }, FieldFrom},
        {"from no number, to below the document's start", [](auto& f) { f.from = "x"; f.to = "-5"; }, FieldFrom | FieldTo},
        {"time step 0", [](auto& f) { f.timeStep = "0"; }, FieldTimeStep},
        {"tolerance 0", [](auto& f) { f.tolerance = "0"; }, FieldTolerance},
        {"epsilon 0", [](auto& f) { f.epsilon = "0"; }, FieldEpsilon},
        {"delta phi 0", [](auto& f) { f.deltaPhi = "0"; }, FieldDeltaPhi},
        {"omega above 1", [](auto& f) { f.omega = "1.0001"; }, FieldOmega},
        {"omega 0", [](auto& f) { f.omega = "0"; }, FieldOmega},
        {"alpha 0 passes", [](auto& f) { f.alpha = "0"; }, 0},
        {"alpha below 0", [](auto& f) { f.alpha = "-0.1"; }, FieldAlpha},
        {"alpha above 1", [](auto& f) { f.alpha = "1.1"; }, FieldAlpha},
        {"interval ticked needs a positive number", [](auto& f) { f.interval = true; f.intervalText = "0"; }, FieldInterval},
        {"interval clear takes any number", [](auto& f) { f.interval = false; f.intervalText = "-3"; }, 0},
        {"interval clear still needs a number", [](auto& f) { f.intervalText = "abc"; }, FieldInterval},
        {"inf is no number", [](auto& f) { f.to = "inf"; }, FieldTo},
        {"nan is no number", [](auto& f) { f.epsilon = "nan"; }, FieldEpsilon},
        {"several at once", [](auto& f) { f.timeStep = "0"; f.omega = "2"; f.alpha = "x"; }, FieldTimeStep | FieldOmega | FieldAlpha},
        {"empty integer fields", [](auto& f) { f.outputEvery = ""; f.times = ""; f.iterationLimit = ""; f.jacobi = ""; f.outputLevel = ""; },
            FieldOutputEvery | FieldTimes | FieldIterationLimit | FieldJacobi | FieldOutputLevel},
        {"integer out of range", [](auto& f) { f.iterationLimit = "99999999999"; }, FieldIterationLimit},
    };
    for (const Case& c : cases) {
        RMORVDocument doc;
        doc.compiler->control->TSTART = 0.0;
        SControlDataFields f = goodFields();
        c.edit(f);
        EXPECT_EQ(checkControlData(f, doc), c.framed) << c.what;
    }
}

TEST(ControlDataCheck, FailedCheckStoresNothing)
{
    RMORVDocument doc;
    doc.compileState = 0;
    SControlDataFields f = goodFields();
    f.to = "20";
    f.omega = "5";
    EXPECT_FALSE(storeControlData(f, doc));
    EXPECT_EQ(doc.compiler->control->TEND, 1000.0);
    EXPECT_EQ(doc.compileState, 0);
    EXPECT_FALSE(doc.modified);
}

TEST(ControlDataCheck, StoresEveryField)
{
    RMORVDocument doc;
    doc.compileState = 0;
    SControlDataFields f = goodFields();
    f.restart = true;
    f.from = "1.5";
    f.to = "20";
    f.adjustTimeStep = true;
    f.times = "7";
    f.tPlusDt = true;
    f.interval = false;
    f.intervalText = "5";
    f.specifyTime = true;
    f.outputTimes = {"1", "2.5"};
    f.iterationLimit = "50";
    f.jacobi = "3";
    f.outputLevel = "4";
    f.avoidWarnings = true;
    ASSERT_TRUE(storeControlData(f, doc));
    const SControlData& c = *doc.compiler->control;
    const SSymbolTable& s = *doc.compiler->symbols;
    EXPECT_EQ(c.RESTART, 1);
    EXPECT_EQ(c.TSTART, 1.5);
    EXPECT_EQ(c.TEND, 20.0);
    EXPECT_TRUE(doc.adjustTimeStep);
    EXPECT_EQ(c.AUTODELT, 7);
    EXPECT_EQ(c.FILEOUTTYPE, 1);
    EXPECT_EQ(c.LMAX, 50);
    EXPECT_EQ(c.MISES, 3);
    EXPECT_EQ(c.IPRT, 4);
    EXPECT_EQ(c.FLOATINGERROR, 1);
    EXPECT_EQ(s.TGRID_A, -5.0);
    EXPECT_EQ(s.TGRID_B, (QList<double>{1, 2.5}));
    EXPECT_EQ(s.outputTimeCount, 2);
    EXPECT_EQ(doc.compileState, 1);
    EXPECT_TRUE(doc.modified);

    // Shown again: interval clear with its magnitude; ticking it stores it positive.
    SControlDataFields shown = controlDataFields(doc);
    EXPECT_FALSE(shown.interval);
    EXPECT_EQ(shown.intervalText, "5");
    EXPECT_EQ(shown.outputTimes, (QStringList{"1", "2.5"}));
    shown.interval = true;
    shown.specifyTime = false;
    doc.compileState = 2;
    ASSERT_TRUE(storeControlData(shown, doc));
    EXPECT_EQ(s.TGRID_A, 5.0);
    EXPECT_TRUE(s.TGRID_B.isEmpty());
    EXPECT_EQ(s.outputTimeCount, 0);
    EXPECT_EQ(doc.compileState, 2);
}

// An interval typed negative with its box clear must not switch interval output on.
TEST(ControlDataCheck, NegativeIntervalWithBoxClearStaysOff)
{
    RMORVDocument doc;
    SControlDataFields f = goodFields();
    f.interval = false;
    f.intervalText = "-4";
    ASSERT_TRUE(storeControlData(f, doc));
    EXPECT_EQ(doc.compiler->symbols->TGRID_A, -4.0);
    f.intervalText = "4";
    ASSERT_TRUE(storeControlData(f, doc));
    EXPECT_EQ(doc.compiler->symbols->TGRID_A, -4.0);
}

TEST(ControlDataCheck, StartTimeFromRestartFile)
{
    QTemporaryDir dir;
    struct Case {
        const char* what;
        const char* firstLine; // null: no file
        double time;
    } cases[] = {
        {"marker and time", "MORV_RESTART_FILE,  1.25000000000000E+01,3,2\r\nrest", 12.5},
        {"marker in lower case", "morv_restart_file,7", 7.0},
        {"no file", nullptr, 0.0},
        {"no marker", "SOMETHING,12.5", 0.0},
        {"marker without time", "MORV_RESTART_FILE", 0.0},
        {"time no number", "MORV_RESTART_FILE,abc", 0.0},
        {"empty file", "", 0.0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString("r%1.MVR3").arg(n++));
        if (c.firstLine) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.firstLine);
        }
        EXPECT_EQ(GetTimeFromRestartFile(path), c.time) << c.what;
    }
}

TEST(ControlDataCheck, RestartFileLiesBesideTheDocument)
{
    RMORVDocument doc;
    doc.documentFolder = "/data/";
    doc.documentFileName = "heat.v2.MV3";
    EXPECT_EQ(restartFilePath(doc), "/data/heat.v2.MVR3");
}

TEST(ControlDataCheck, OutputTimesInsertInOrder)
{
    QStringList list;
    for (double v : {3.0, 1.0, 2.0})
        list.insert(outputTimeInsertPosition(list, v), QString::number(v));
    EXPECT_EQ(list, (QStringList{"1", "2", "3"}));
    list.insert(outputTimeInsertPosition(list, 2.0), "2.0");
    EXPECT_EQ(list, (QStringList{"1", "2", "2.0", "3"}));
    EXPECT_EQ(outputTimeInsertPosition(list, 0.5), 0);
    EXPECT_EQ(outputTimeInsertPosition(list, 9), 4);
}
