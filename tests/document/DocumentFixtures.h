#pragma once
// Documents and helpers shared by the document file tests.
#include "document/RMORVDocument.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>
#include <cmath>

inline QString dataPath(const QString& name)
{
    return QStringLiteral(MORV_TEST_DATA "/document/data/") + name;
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A document with a record of every kind: symbols of every class (one variable on the cell
// grid), three input data sets, labelled constants in fixed and scientific form, species,
// output times, every script section, a figure with an arc and labels that need quotes, and
// a mesh with both kinds of integral regions. Reals carry at most 15 significant digits so
// that they read back exactly.
inline void fillFullDocument(RMORVDocument& doc)
{
    doc.gReset();
    SControlData& c = *doc.compiler->control;
    SSymbolTable& s = *doc.compiler->symbols;
    c.RESTART = 1; c.IPRT = 3; c.IPRN = 0; c.IFIL = 5; c.MISES = 2; c.LMAX = 40;
    c.PARMT = 1; c.PARMX = 1; c.PARMY = 1; c.spaceDimension = 2;
    c.AUTODELT = 7; c.METHOD = 2; c.FLOATINGERROR = 1; c.FILEOUTTYPE = 1;
    c.OMEGA = 0.8; c.ALPHA = 0.5; c.EPS = 1.0E-7; c.DELP = 1.0E-9; c.TSTART = -2.5;
    c.DELT = 0.01; c.TEND = 12.0; c.EPSDIF = 0.02;
    doc.adjustTimeStep = true;
    doc.meshType = 2;
    doc.meshAngle = 30.0;

    c.variableCount = 2;
    s.variableNames = {"u", "v"};
    s.variableAttributes = {0, 1};
    s.variableComments = {"temperature, in K", ""};
    c.twoGrid = 1;
    c.subVariableCount = 1;
    s.subVariableNames = {"w"};
    s.subVariableAttributes = {0};
    s.subVariableComments = {"say \"hi\""};
    c.temporaryCount = 1;
    s.temporaryNames = {"tmp"};
    s.temporaryComments = {"scratch"};
    c.inputCount = 2;
    s.inputNames = {"a", "b"};
    s.inputComments = {"first input", "b"};
    s.constantCount = 4;
    s.constantNames = {"half", "small", "big", "neg"};
    s.constantValues = {0.5, 1.0E-6, 1.5E20, -3.0};
    s.constantComments = {"", "tiny one", "", "minus"};
    s.tName = "time";
    s.xName = "r";
    s.yName = "z";
    s.TGRID_A = 0.25;
    s.TGRID_B = {0.1, 2.0, 7.5};
    s.outputTimeCount = 3;
    s.speciesNames = {"H2", "O2"};
    s.speciesCount = 2;
    s.thermoFlag = 1;
    s.transportFlag = 1;

    doc.inputData = {SInputData{{1.0, -2.0}, "base case"},
                     SInputData{{3.5, 0.0}, ""},
                     SInputData{{-1.0E-120, 6.25}, "  indented label"}};
    doc.inputDataIndex = 2;

    doc.scripts[RMORVDocument::Assume] = {"% assume", "  a1 = 1"};
    doc.scripts[RMORVDocument::SubVariable] = {"w = u * 2"};
    doc.scripts[RMORVDocument::Initial] = {"u = 0", "", "v = 1  # comment"};
    doc.scripts[RMORVDocument::Equation] = {"u' = ddx(u) &", "   + v"};
    doc.scripts[RMORVDocument::Terminate] = {"stop = u > 10"};
    doc.symbolDefinition = {"%unknown   #------------------------", "u, v",
                            "%constant  #------------------------", "half = 0.5"};

    RTriangleMesh& m = *doc.mesh;
    m.points.resize(4);
    const double px[4] = {0.0, 1.0, 1.0, 0.0}, py[4] = {0.0, 0.0, 1.0, 1.0};
    for (int i = 0; i < 4; ++i) {
        m.points[i].x = px[i];
        m.points[i].y = py[i];
        m.points[i].region = i;
        m.points[i].group = 4;
        m.points[i].connections = {(i + 3) % 4, i};
    }
    m.points[2].x = -1.2345678901234E+100;   // fills its whole field
    m.groupCount = 5;
    m.segments.resize(4);
    for (int i = 0; i < 4; ++i) {
        RSegment& g = m.segments[i];
        g.startPoint = i;
        g.endPoint = (i + 1) % 4;
        g.handleX = 0.5 * (px[i] + px[(i + 1) % 4]);
        g.handleY = 0.5 * (py[i] + py[(i + 1) % 4]);
        g.division = 10;
        g.type = 1;
        g.region = 100 + i;
    }
    m.segments[1].radius = -0.75;
    m.segments[1].bias = 0.25;
    m.segments[0].label = "bottom wall";
    m.segments[1].label = "in,let";
    m.segments[2].label = "\"top\"";
    m.segments[3].label = "left";
    m.outlines.resize(1);
    m.outlines[0].labelX = 0.5;
    m.outlines[0].labelY = 0.5;
    m.outlines[0].area = -1.0;
    m.outlines[0].region = 7;
    m.outlines[0].segments = {0, 1, 2, 3};
    m.outlines[0].label = "domain";

    m.gridPoints.resize(7);
    const double gx[7] = {-10.0, 10.0, 0.0, 0.0, 1.0, 1.0, 0.0};
    const double gy[7] = {-10.0, -10.0, 10.0, 0.0, 0.0, 1.0, 1.0};
    for (int i = 0; i < 7; ++i) {
        RGridPoint& n = m.gridPoints[i];
        n.x = gx[i];
        n.y = gy[i];
        n.sourcePoint = i < 3 ? -1 : i - 3;
        n.nodeKind = i < 3 ? 0 : 2;
        n.regionCode = i < 3 ? -1 : 100 + i;
    }
    m.gridPoints[3].normalX = -0.707106781186548;
    m.gridPoints[3].normalY = -0.707106781186548;
    m.gridPoints[3].neighbours = {4, 5, 6};
    m.gridPoints[4].neighbours = {5, 3};
    m.gridPoints[5].neighbours = {6, 3, 4};
    m.gridPoints[6].neighbours = {3, 5};
    m.triangles.resize(2);
    m.triangles[0] = RCellTriangle{0.5, -1, {3, 4, 5}, -1, 0, {-1, 6, -1}, {-1, 1, -1},
                                   {1, -1, 0}};
    m.triangles[1] = RCellTriangle{0.25, 2, {3, 5, 6}, 1, 9, {-1, -1, 4}, {-1, -1, 0},
                                   {2, 3, -1}};
    m.meshState = 2;
    doc.compiler->INTEGRAL1 = {SIntegral{"wall", {3, 4, -5}}, SIntegral{"empty", {}}};
    doc.compiler->INTEGRAL2 = {SIntegral{"all", {3, 4, 5, 3, 5, 6}}};
    doc.meshCheck1D = 0;
}

// Every member that the document file keeps, compared exactly.
inline void expectSameStoredContent(const RMORVDocument& a, const RMORVDocument& b)
{
    auto sameReal = [](double x, double y) {
        return x == y || (std::isnan(x) && std::isnan(y));
    };
    const SControlData& ca = *a.compiler->control;
    const SControlData& cb = *b.compiler->control;
#define SAME_INT(f) EXPECT_EQ(ca.f, cb.f) << #f
#define SAME_REAL(f) EXPECT_TRUE(sameReal(ca.f, cb.f)) << #f << ' ' << ca.f << ' ' << cb.f
    SAME_INT(RESTART); SAME_INT(IPRT); SAME_INT(IPRN); SAME_INT(IFIL); SAME_INT(MISES);
    SAME_INT(LMAX); SAME_INT(PARMT); SAME_INT(PARMX); SAME_INT(PARMY); SAME_INT(spaceDimension);
    SAME_INT(variableCount); SAME_INT(subVariableCount); SAME_INT(temporaryCount);
    SAME_INT(inputCount); SAME_INT(AUTODELT); SAME_INT(METHOD); SAME_INT(twoGrid);
    SAME_INT(FLOATINGERROR); SAME_INT(FILEOUTTYPE);
    SAME_REAL(OMEGA); SAME_REAL(ALPHA); SAME_REAL(EPS); SAME_REAL(DELP); SAME_REAL(TSTART);
    SAME_REAL(DELT); SAME_REAL(TEND); SAME_REAL(EPSDIF);
#undef SAME_INT
#undef SAME_REAL
    const SSymbolTable& sa = *a.compiler->symbols;
    const SSymbolTable& sb = *b.compiler->symbols;
    EXPECT_EQ(sa.constantCount, sb.constantCount);
    EXPECT_EQ(sa.variableAttributes, sb.variableAttributes);
    EXPECT_EQ(sa.subVariableAttributes, sb.subVariableAttributes);
    EXPECT_EQ(sa.variableNames, sb.variableNames);
    EXPECT_EQ(sa.subVariableNames, sb.subVariableNames);
    EXPECT_EQ(sa.temporaryNames, sb.temporaryNames);
    EXPECT_EQ(sa.inputNames, sb.inputNames);
    EXPECT_EQ(sa.constantNames, sb.constantNames);
    EXPECT_EQ(sa.variableComments, sb.variableComments);
    EXPECT_EQ(sa.subVariableComments, sb.subVariableComments);
    EXPECT_EQ(sa.temporaryComments, sb.temporaryComments);
    EXPECT_EQ(sa.inputComments, sb.inputComments);
    EXPECT_EQ(sa.constantComments, sb.constantComments);
    EXPECT_EQ(sa.tName, sb.tName);
    EXPECT_EQ(sa.xName, sb.xName);
    EXPECT_EQ(sa.yName, sb.yName);
    ASSERT_EQ(sa.constantValues.size(), sb.constantValues.size());
    for (qsizetype i = 0; i < sa.constantValues.size(); ++i)
        EXPECT_TRUE(sameReal(sa.constantValues[i], sb.constantValues[i]));
    EXPECT_TRUE(sameReal(sa.TGRID_A, sb.TGRID_A));
    EXPECT_EQ(sa.TGRID_B, sb.TGRID_B);
    EXPECT_EQ(sa.outputTimeCount, sb.outputTimeCount);
    EXPECT_EQ(sa.speciesCount, sb.speciesCount);
    EXPECT_EQ(sa.speciesNames, sb.speciesNames);

    ASSERT_EQ(a.inputData.size(), b.inputData.size());
    for (qsizetype j = 0; j < a.inputData.size(); ++j) {
        EXPECT_EQ(a.inputData[j].label, b.inputData[j].label);
        EXPECT_EQ(a.inputData[j].values, b.inputData[j].values) << "set " << j;
    }
    EXPECT_EQ(a.inputDataIndex, b.inputDataIndex);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a.scripts[i], b.scripts[i]) << "section " << i;
    EXPECT_EQ(a.symbolDefinition, b.symbolDefinition);
    EXPECT_EQ(a.meshType, b.meshType);
    EXPECT_TRUE(sameReal(a.meshAngle, b.meshAngle));
    EXPECT_EQ(a.adjustTimeStep, b.adjustTimeStep);

    const RTriangleMesh& ma = *a.mesh;
    const RTriangleMesh& mb = *b.mesh;
    EXPECT_EQ(ma.meshState, mb.meshState);
    EXPECT_EQ(ma.groupCount, mb.groupCount);
    ASSERT_EQ(ma.points.size(), mb.points.size());
    for (std::size_t i = 0; i < ma.points.size(); ++i) {
        const RPoint &p = ma.points[i], &q = mb.points[i];
        EXPECT_TRUE(p.x == q.x && p.y == q.y && p.region == q.region && p.group == q.group
                    && p.connections == q.connections) << "point " << i;
    }
    ASSERT_EQ(ma.segments.size(), mb.segments.size());
    for (std::size_t i = 0; i < ma.segments.size(); ++i) {
        const RSegment &g = ma.segments[i], &h = mb.segments[i];
        EXPECT_TRUE(g.radius == h.radius && g.startPoint == h.startPoint
                    && g.endPoint == h.endPoint && g.type == h.type && g.division == h.division
                    && g.region == h.region && g.handleX == h.handleX && g.handleY == h.handleY
                    && g.bias == h.bias) << "segment " << i;
        EXPECT_EQ(g.label, h.label) << "segment " << i;
    }
    ASSERT_EQ(ma.outlines.size(), mb.outlines.size());
    for (std::size_t i = 0; i < ma.outlines.size(); ++i) {
        const ROutline &o = ma.outlines[i], &p = mb.outlines[i];
        EXPECT_TRUE(o.labelX == p.labelX && o.labelY == p.labelY && o.area == p.area
                    && o.region == p.region && o.segments == p.segments) << "outline " << i;
        EXPECT_EQ(o.label, p.label) << "outline " << i;
    }
    ASSERT_EQ(ma.gridPoints.size(), mb.gridPoints.size());
    for (std::size_t i = 0; i < ma.gridPoints.size(); ++i) {
        const RGridPoint &n = ma.gridPoints[i], &k = mb.gridPoints[i];
        EXPECT_TRUE(n.x == k.x && n.y == k.y && n.normalX == k.normalX && n.normalY == k.normalY
                    && n.regionCode == k.regionCode && n.sourcePoint == k.sourcePoint
                    && n.nodeKind == k.nodeKind && n.neighbours == k.neighbours) << "node " << i;
    }
    ASSERT_EQ(ma.triangles.size(), mb.triangles.size());
    for (std::size_t i = 0; i < ma.triangles.size(); ++i) {
        const RCellTriangle &t = ma.triangles[i], &u = mb.triangles[i];
        EXPECT_TRUE(t.quality == u.quality && t.splitEdge == u.splitEdge
                    && t.vertices == u.vertices && t.orientationTag == u.orientationTag
                    && t.originTag == u.originTag && t.oppVertex == u.oppVertex
                    && t.neighbours == u.neighbours && t.boundarySegments == u.boundarySegments)
            << "triangle " << i;
    }
    auto sameIntegrals = [](const QList<SIntegral>& x, const QList<SIntegral>& y) {
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i)
            if (x[i].name != y[i].name || x[i].list != y[i].list)
                return false;
        return true;
    };
    EXPECT_TRUE(sameIntegrals(a.compiler->INTEGRAL1, b.compiler->INTEGRAL1));
    EXPECT_TRUE(sameIntegrals(a.compiler->INTEGRAL2, b.compiler->INTEGRAL2));
}
