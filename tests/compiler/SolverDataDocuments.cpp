#include "SolverDataDocuments.h"

#include "document/ByteCode.h"

#include <cmath>
#include <initializer_list>

namespace SolverDataDocuments {

namespace {

using Bytes = std::vector<unsigned char>;

void setVariables(RMORVDocument& doc, const QStringList& names)
{
    doc.compiler->control->variableCount = int(names.size());
    doc.compiler->symbols->variableNames = names;
    doc.compiler->symbols->variableComments = QStringList(QList<QString>(names.size()));
    doc.compiler->symbols->variableAttributes = QList<int>(names.size(), 0);
}

void setTemporaries(RMORVDocument& doc, const QStringList& names)
{
    doc.compiler->control->temporaryCount = int(names.size());
    doc.compiler->symbols->temporaryNames = names;
    doc.compiler->symbols->temporaryComments = QStringList(QList<QString>(names.size()));
}

// Little-endian jump target.
void target(Bytes& code, size_t at, int position)
{
    for (int i = 0; i < 4; ++i)
        code[at + size_t(i)] = (unsigned char)((unsigned(position) >> (8 * i)) & 0xFF);
}

RGridPoint gridPoint(double x, double y, double nx, double ny, int region, std::vector<int> ring)
{
    RGridPoint p;
    p.x = x;
    p.y = y;
    p.normalX = nx;
    p.normalY = ny;
    p.regionCode = region;
    p.sourcePoint = -1;
    p.nodeKind = 2;
    p.neighbours = std::move(ring);
    return p;
}

std::vector<RGridPoint> corners()
{
    std::vector<RGridPoint> nodes(3);
    for (RGridPoint& n : nodes) {
        n.x = 1.0;
        n.y = 1.0;
        n.sourcePoint = -1;
    }
    return nodes;
}

RCellTriangle triangle(std::array<int, 3> vertices, std::array<int, 3> neighbours)
{
    RCellTriangle t;
    t.vertices = vertices;
    t.neighbours = neighbours;
    t.oppVertex = {-1, -1, -1};
    t.boundarySegments = {-1, -1, -1};
    return t;
}

RPoint figurePoint(double x, double y, int region)
{
    RPoint p;
    p.x = x;
    p.y = y;
    p.region = region;
    return p;
}

RSegment segment(int from, int to, int division)
{
    RSegment s;
    s.startPoint = from;
    s.endPoint = to;
    s.type = 1;
    s.division = division;
    return s;
}

void connect(RTriangleMesh& mesh)
{
    for (int i = 0; i < int(mesh.segments.size()); ++i) {
        mesh.points[size_t(mesh.segments[size_t(i)].startPoint)].connections.push_back(i);
        mesh.points[size_t(mesh.segments[size_t(i)].endPoint)].connections.push_back(i);
    }
}

// Decay of one variable with a sub variable, an input from the second of two input data sets,
// two labelled constants (the second one a negative real with a three-digit exponent), regular
// and extra output times, and the adjust-time-step flag on.
std::unique_ptr<RMORVDocument> noGrid()
{
    auto doc = std::make_unique<RMORVDocument>();
    SControlData& c = *doc->compiler->control;
    SSymbolTable& s = *doc->compiler->symbols;
    c.PARMT = 1;
    c.LMAX = 50;
    c.IPRT = 1;
    c.FLOATINGERROR = 1;
    c.MISES = 2;
    c.EPS = 1e-8;
    c.TSTART = 0.0;
    c.DELT = 0.01;
    c.TEND = 1.0;
    setVariables(*doc, {"y"});
    c.subVariableCount = 1;
    s.subVariableNames = {"r"};
    s.subVariableComments = {"rate"};
    s.subVariableAttributes = {0};
    c.inputCount = 1;
    s.inputNames = {"y0"};
    s.inputComments = {""};
    s.constantCount = 2;
    s.constantNames = {"k", "tiny"};
    s.constantComments = {"", ""};
    s.constantValues = {2.0, -1.5e-100};
    s.TGRID_A = 0.25;
    s.TGRID_B = {0.1};
    s.outputTimeCount = 1;
    doc->adjustTimeStep = true;
    doc->inputData = {SInputData{{0.5}, "first"}, SInputData{{1.0}, "second"}};
    doc->inputDataIndex = 1;
    doc->symbolDefinition = {
        "%unknown   #------------------------", "y",
        "%sub       #------------------------", "r #rate",
        "%temporary #------------------------",
        "%input     #------------------------", "y0",
        "%constant  #------------------------", "k = 2", "tiny = -1.5E-100"};
    doc->scripts[RMORVDocument::SubVariable] = {"r = k*y"};
    doc->scripts[RMORVDocument::Initial] = {"%EQU: y - y0"};
    doc->scripts[RMORVDocument::Equation] = {"%EQU: y[t] + r"};
    doc->scripts[RMORVDocument::Terminate] = {"%PRINT: y*1.5"};
    return doc;
}

// Heat conduction on five grid points of a one-dimensional grid, with a %IF block that holds
// the two end points and a temporary.
std::unique_ptr<RMORVDocument> grid1D()
{
    auto doc = std::make_unique<RMORVDocument>();
    SControlData& c = *doc->compiler->control;
    SSymbolTable& s = *doc->compiler->symbols;
    c.PARMT = 1;
    c.PARMX = 1;
    c.spaceDimension = 1;
    c.DELT = 0.001;
    c.TEND = 0.1;
    c.METHOD = 1;
    setVariables(*doc, {"u"});
    setTemporaries(*doc, {"r"});
    s.TGRID_A = 0.05;
    doc->symbolDefinition = {
        "%unknown   #------------------------", "u",
        "%sub       #------------------------",
        "%temporary #------------------------", "r",
        "%input     #------------------------",
        "%constant  #------------------------"};

    RTriangleMesh& m = *doc->mesh;
    m.points = {figurePoint(0.0, 0.0, 1), figurePoint(1.0, 0.0, 2)};
    m.segments = {segment(0, 1, 4)};
    connect(m);
    m.groupCount = 1;
    m.gridPoints = corners();
    const double xs[] = {0.0, 0.25, 0.5, 0.75, 1.0};
    const int regions[] = {1, 0, 0, 0, 2};
    const std::vector<int> rings[] = {{4, 5}, {3, 5}, {4, 6}, {5, 7}, {5, 6}};
    for (int i = 0; i < 5; ++i)
        m.gridPoints.push_back(gridPoint(xs[i], 0.0, -0.0, 1.0, regions[i], rings[i]));
    m.meshState = 2;
    doc->meshCheck1D = 0;

    doc->scripts[RMORVDocument::Initial] = {"%EQU: u - x*(1-x)"};
    doc->scripts[RMORVDocument::Equation] = {
        "%IF: ATTRIBUTE(1) > 0", "r = u", "%ELSE", "r = u[t] - u[x,2]", "%ENDIF", "%EQU: r"};
    return doc;
}

// Diffusion on the unit square meshed into four triangles around its centre, with two line
// regions and two area regions used by a local variable of TERMINATE.
std::unique_ptr<RMORVDocument> mesh2D()
{
    auto doc = std::make_unique<RMORVDocument>();
    SControlData& c = *doc->compiler->control;
    c.PARMT = 1;
    c.PARMX = 1;
    c.PARMY = 1;
    c.spaceDimension = 2;
    c.DELT = 0.05;
    c.TEND = 0.5;
    setVariables(*doc, {"u"});
    doc->symbolDefinition = {
        "%unknown   #------------------------", "u",
        "%sub       #------------------------",
        "%temporary #------------------------",
        "%input     #------------------------",
        "%constant  #------------------------"};

    RTriangleMesh& m = *doc->mesh;
    m.points = {figurePoint(0, 0, 0), figurePoint(1, 0, 0), figurePoint(1, 1, 0), figurePoint(0, 1, 0)};
    m.segments = {segment(0, 1, 1), segment(1, 2, 1), segment(2, 3, 1), segment(3, 0, 1)};
    for (RSegment& seg : m.segments)
        seg.region = 1;
    connect(m);
    m.groupCount = 1;
    ROutline outline;
    outline.labelX = 0.5;
    outline.labelY = 0.5;
    outline.area = -1.0;
    outline.segments = {0, 1, 2, 3};
    m.outlines = {outline};
    m.gridPoints = corners();
    const double h = std::sqrt(0.5);
    m.gridPoints.push_back(gridPoint(0, 0, -h, -h, 1, {4, 7, 6}));
    m.gridPoints.push_back(gridPoint(1, 0, h, -h, 1, {5, 7, 3}));
    m.gridPoints.push_back(gridPoint(1, 1, h, h, 1, {6, 7, 4}));
    m.gridPoints.push_back(gridPoint(0, 1, -h, h, 1, {3, 7, 5}));
    m.gridPoints.push_back(gridPoint(0.5, 0.5, 0, 0, 0, {3, 4, 5, 6}));
    m.gridPoints.back().nodeKind = 1;
    for (int i = 0; i < 4; ++i)
        m.gridPoints[size_t(3 + i)].sourcePoint = i;
    m.triangles = {triangle({3, 4, 7}, {1, 3, -1}), triangle({4, 5, 7}, {2, 0, -1}),
                   triangle({5, 6, 7}, {3, 1, -1}), triangle({6, 3, 7}, {0, 2, -1})};
    m.meshState = 2;

    doc->compiler->INTEGRAL1 = {SIntegral{"bottom", {3, 4}}, SIntegral{"top", {-5, 6}}};
    doc->compiler->INTEGRAL2 = {SIntegral{"lower", {3, 4, 7}},
                                SIntegral{"all", {3, 4, 7, 4, 5, 7, 5, 6, 7, 6, 3, 7}}};

    doc->scripts[RMORVDocument::Initial] = {"%EQU: u - x*y"};
    doc->scripts[RMORVDocument::Equation] = {"%EQU: u[t] - u[x,2] - u[y,2]"};
    doc->scripts[RMORVDocument::Terminate] = {"s = INTEGRAL1(u, bottom) + INTEGRAL2(u, all)", "%PRINT: s"};
    return doc;
}

} // namespace

QString dataFolder()
{
    return QStringLiteral(MORV_TEST_DATA "/compiler/data/datafile/");
}

QString baseName(Shape shape)
{
    switch (shape) {
    case NoGrid: return QStringLiteral("nogrid");
    case Grid1D: return QStringLiteral("grid1d");
    case Mesh2D: return QStringLiteral("mesh2d");
    }
    return {};
}

std::unique_ptr<RMORVDocument> document(Shape shape)
{
    switch (shape) {
    case NoGrid: return noGrid();
    case Grid1D: return grid1D();
    case Mesh2D: return mesh2D();
    }
    return {};
}

void fillCompiledState(Shape shape, RMORVCompile& compiler)
{
    using namespace ByteCode;
    for (auto& section : compiler.code)
        section.clear();
    compiler.locals.clear();
    switch (shape) {
    case NoGrid:
        // r = k*y | %EQU: y - y0 | %EQU: y[t] + r | %PRINT: y*1.5
        compiler.code[SectionSubVariable] = {1, 6, 1, 0, 1, 21, 1, 0, 33, 121, 41, 1, 0};
        compiler.code[SectionInitial] = {1, 21, 1, 0, 1, 4, 1, 0, 32, 121, 8, 1, 0};
        compiler.code[SectionEquation] = {1, 22, 1, 0, 1, 41, 1, 0, 31, 121, 8, 1, 0};
        compiler.code[SectionTerminate] = {1, 21, 1, 0, 1, 6, 3, 0, 33, 122};
        compiler.literals = {2.0, -1.5e-100, 1.5};
        break;
    case Grid1D: {
        // %EQU: u - x*(1-x)
        compiler.code[SectionInitial] = {1, 21, 1, 0, 1, 2, 1, 6, 1, 0, 1, 2, 32, 33, 32, 121, 8, 1, 0};
        Bytes& e = compiler.code[SectionEquation];
        // %IF: ATTRIBUTE(1) > 0 (bytes 0-15), r = u (16-23), %ELSE (24-28),
        // r = u[t] - u[x,2] (29-41), %ENDIF at 42, %EQU: r (42-49)
        e = {1, 6, 2, 0, 51, 34, 1, 6, 3, 0, 37, 104, 0, 0, 0, 0,
             1, 21, 1, 0, 121, 5, 1, 0,
             102, 0, 0, 0, 0,
             1, 22, 1, 0, 1, 26, 1, 0, 32, 121, 5, 1, 0,
             1, 5, 1, 0, 121, 8, 1, 0};
        target(e, 12, 29);
        target(e, 25, 42);
        compiler.literals = {1.0, 1.0, 0.0};
        break;
    }
    case Mesh2D:
        // %EQU: u - x*y | %EQU: u[t] - u[x,2] - u[y,2]
        compiler.code[SectionInitial] = {1, 21, 1, 0, 1, 2, 1, 3, 33, 32, 121, 8, 1, 0};
        compiler.code[SectionEquation] = {1, 22, 1, 0, 1, 26, 1, 0, 32, 1, 30, 1, 0, 32, 121, 8, 1, 0};
        // s = INTEGRAL1(u, bottom) + INTEGRAL2(u, all) | %PRINT: s
        compiler.code[SectionTerminate] = {1, 6, 1, 0, 1, 6, 2, 0, 51, 37, 1, 6, 3, 0, 1, 6, 4, 0, 51, 38,
                                           31, 121, 7, 1, 0, 1, 7, 1, 0, 122};
        compiler.literals = {1.0, 1.0, 1.0, 2.0};
        compiler.locals = {"E004:s"};
        break;
    }
    compiler.control->localCount = int(compiler.locals.size());
}

} // namespace SolverDataDocuments
