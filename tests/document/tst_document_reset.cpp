#include "document/RMORVDocument.h"

#include <gtest/gtest.h>

namespace {

// Fills every member that the reset must bring back to its default.
void dirty(RMORVDocument& doc)
{
    SControlData& c = *doc.compiler->control;
    SSymbolTable& s = *doc.compiler->symbols;
    c.RESTART = 1; c.IPRT = 7; c.IPRN = 0; c.IFIL = 9; c.MISES = 4; c.LMAX = 3;
    c.PARMT = 1; c.PARMX = 1; c.PARMY = 1; c.spaceDimension = 2;
    c.variableCount = 2; c.subVariableCount = 1; c.temporaryCount = 1; c.localCount = 5;
    c.inputCount = 2; c.AUTODELT = 3; c.METHOD = 2; c.twoGrid = 1; c.FLOATINGERROR = 1;
    c.FILEOUTTYPE = 1; c.OMEGA = 0.5; c.ALPHA = 0.5; c.EPS = 1; c.DELP = 1; c.TSTART = 4;
    c.DELT = 0.1; c.TEND = 9; c.EPSDIF = 0.5;
    s.constantCount = 1; s.constantNames = {"k"}; s.constantValues = {2.0};
    s.variableNames = {"u", "v"}; s.variableAttributes = {0, 1};
    s.tName = "time"; s.xName = "r"; s.yName = "z"; s.TGRID_A = 5.0;
    s.TGRID_B = {1.0}; s.outputTimeCount = 1; s.speciesCount = 1; s.speciesNames = {"H2"};
    s.thermoFlag = 1; s.transportFlag = 1;
    doc.compiler->INTEGRAL1 = {SIntegral{"line", {3, -4}}};
    doc.compiler->INTEGRAL2 = {SIntegral{"area", {3, 4, 5}}};
    doc.compiler->code[2] = {1, 2, 3};
    doc.compiler->literals = {1.0};
    doc.compiler->locals = {"E002:a"};
    doc.mesh->points.resize(3);
    doc.mesh->gridPoints.resize(5);
    doc.mesh->meshState = 2;
    doc.mesh->groupCount = 3;
    doc.symbolDefinition = {"%unknown", "u"};
    doc.inputData = {SInputData{{1, 2}, "a"}, SInputData{{3, 4}, "b"}, SInputData{{5, 6}, "c"}};
    doc.inputDataIndex = 2;
    doc.meshType = 4; doc.meshAngle = 30.0; doc.adjustTimeStep = true;
    doc.divisionPitch = 0.25; doc.meshCheck1D = 0; doc.compileState = 0;
}

void expectEmptyDocument(const RMORVDocument& doc)
{
    const SControlData& c = *doc.compiler->control;
    const SSymbolTable& s = *doc.compiler->symbols;
    EXPECT_EQ(c.RESTART, 0);
    EXPECT_EQ(c.IPRT, 2);
    EXPECT_EQ(c.IPRN, 1);
    EXPECT_EQ(c.IFIL, 1);
    EXPECT_EQ(c.MISES, 1);
    EXPECT_EQ(c.LMAX, 100);
    EXPECT_EQ(c.PARMT + c.PARMX + c.PARMY + c.spaceDimension, 0);
    EXPECT_EQ(c.variableCount + c.subVariableCount + c.temporaryCount + c.localCount
                  + c.inputCount, 0);
    EXPECT_EQ(c.AUTODELT, 10);
    EXPECT_EQ(c.METHOD, 0);
    EXPECT_EQ(c.twoGrid, 0);
    EXPECT_EQ(c.FLOATINGERROR, 0);
    EXPECT_EQ(c.FILEOUTTYPE, 0);
    EXPECT_EQ(c.OMEGA, 1.0);
    EXPECT_EQ(c.ALPHA, 1.0);
    EXPECT_EQ(c.EPS, 1.0E-6);
    EXPECT_EQ(c.DELP, 1.0E-8);
    EXPECT_EQ(c.TSTART, 0.0);
    EXPECT_EQ(c.DELT, 1.0);
    EXPECT_EQ(c.TEND, 1000.0);
    EXPECT_EQ(c.EPSDIF, 0.01);

    EXPECT_EQ(s.constantCount, 0);
    EXPECT_TRUE(s.constantNames.isEmpty() && s.constantValues.isEmpty()
                && s.constantComments.isEmpty());
    EXPECT_TRUE(s.variableNames.isEmpty() && s.variableAttributes.isEmpty()
                && s.variableComments.isEmpty());
    EXPECT_TRUE(s.subVariableNames.isEmpty() && s.temporaryNames.isEmpty()
                && s.inputNames.isEmpty());
    EXPECT_EQ(s.tName, "t");
    EXPECT_EQ(s.xName, "x");
    EXPECT_EQ(s.yName, "y");
    EXPECT_EQ(s.TGRID_A, -1.0);
    EXPECT_EQ(s.outputTimeCount, 0);
    EXPECT_TRUE(s.TGRID_B.isEmpty());
    EXPECT_EQ(s.speciesCount, 0);
    EXPECT_TRUE(s.speciesNames.isEmpty());
    EXPECT_EQ(s.thermoFlag, 0);
    EXPECT_EQ(s.transportFlag, 0);

    const RMORVCompile& comp = *doc.compiler;
    EXPECT_EQ(comp.sectionLabels[0], "assume   ");
    EXPECT_EQ(comp.sectionLabels[1], "sub var. ");
    EXPECT_EQ(comp.sectionLabels[2], "initial  ");
    EXPECT_EQ(comp.sectionLabels[3], "equation ");
    EXPECT_EQ(comp.sectionLabels[4], "terminate");
    for (const auto& section : comp.code)
        EXPECT_TRUE(section.empty());
    EXPECT_TRUE(comp.literals.empty());
    EXPECT_TRUE(comp.locals.isEmpty());
    EXPECT_TRUE(comp.compileEntries.isEmpty());
    EXPECT_TRUE(comp.INTEGRAL1.isEmpty());
    EXPECT_TRUE(comp.INTEGRAL2.isEmpty());
    EXPECT_EQ(comp.errorCount + comp.warningCount, 0);

    const RTriangleMesh& m = *doc.mesh;
    EXPECT_TRUE(m.points.empty() && m.segments.empty() && m.outlines.empty()
                && m.paths.empty() && m.gridPoints.empty() && m.triangles.empty());
    EXPECT_EQ(m.meshState, 1);
    EXPECT_EQ(m.groupCount, 0);
    EXPECT_EQ(m.tolerance, 1e-10);
    EXPECT_EQ(m.undoCapacity, 30);
    EXPECT_EQ(m.undoRing.size(), 30u);

    const QStringList headers = {
        "%unknown   #------------------------", "%sub       #------------------------",
        "%temporary #------------------------", "%input     #------------------------",
        "%constant  #------------------------"};
    EXPECT_EQ(doc.symbolDefinition, headers);
    for (const QString& line : doc.symbolDefinition)
        EXPECT_EQ(line.size(), 36);

    ASSERT_EQ(doc.inputData.size(), 1);
    EXPECT_TRUE(doc.inputData[0].values.isEmpty());
    EXPECT_TRUE(doc.inputData[0].label.isEmpty());
    EXPECT_EQ(doc.inputDataIndex, 0);
    EXPECT_EQ(doc.meshType, 0);
    EXPECT_EQ(doc.meshAngle, 0.0);
    EXPECT_FALSE(doc.adjustTimeStep);
    EXPECT_EQ(doc.divisionPitch, 0.0);
    EXPECT_EQ(doc.meshCheck1D, -1);
    EXPECT_EQ(doc.compileState, 2);
}

}

TEST(DocumentReset, NewDocumentIsEmpty)
{
    RMORVDocument doc;
    expectEmptyDocument(doc);
    EXPECT_EQ(doc.documentFileName, RMORVDocument::EmptyDocumentName);
    EXPECT_FALSE(doc.named);
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(doc.lock.GetOwnFileName().isEmpty());
}

TEST(DocumentReset, ResetRestoresEveryDefaultTwiceAlike)
{
    RMORVDocument doc;
    dirty(doc);
    doc.gReset();
    expectEmptyDocument(doc);
    dirty(doc);
    doc.gReset();
    doc.gReset();
    expectEmptyDocument(doc);
}

TEST(DocumentReset, ResetKeepsIdentityFlagsScriptsAndCompileList)
{
    RMORVDocument doc;
    dirty(doc);
    doc.documentFolder = "/tmp/x/";
    doc.documentFileName = "a.MV3";
    doc.named = true;
    doc.modified = true;
    doc.scripts[RMORVDocument::Equation] = {"u = 1"};
    doc.compileList = {"listing"};
    doc.gReset();
    EXPECT_EQ(doc.documentFolder, "/tmp/x/");
    EXPECT_EQ(doc.documentFileName, "a.MV3");
    EXPECT_TRUE(doc.named);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.scripts[RMORVDocument::Equation], QStringList{"u = 1"});
    EXPECT_EQ(doc.compileList, QStringList{"listing"});
}
