// Meshing speed and quality: a unit square, an annulus of arcs and a 2 x 1 plate with a hole of
// radius 0.25, at several sizes up to about 1e5 triangles, in the automatic, worst-edge-first
// and boundary-cell mesh types. Counters: nodes, triangles, smallest and largest angle
// (degrees), triangles with an angle below 1 degree, free edge sides failing the circle test,
// worst and mean radius ratio (2 r_in / r_out, 1 for an equilateral triangle).
// The MORV_BENCH_EXPORT environment variable names a folder that receives each figure's
// boundary nodes (a .geo file) for a comparison with another mesher.
// Long boundaries without refinement (mesh type 3): a square of 4000 pieces a side, an ellipse
// of 400 straight sides of 80 pieces and a disc of four arcs, 32,000 boundary nodes each.
//
// BM_HeadlessMesh meshes whole documents at scale as a user does, `morv_headless mesh` in a
// child process (load, check, generation, save): the plate at about 1e5 and 1e6 triangles and a
// disc of radius 10 with 4000 boundary points (four arcs), all in the automatic type, which
// lays a lattice here. Counters: nodes, triangles, the child's CPU and wall seconds, CPU
// microseconds per triangle and per node, its peak resident memory, and the smallest angle,
// triangles below 1 degree and circle test failures of the saved mesh.
//
// BM_RoughMeshBesideGmsh meshes the two long boundaries in type 3 with `morv_headless mesh` and,
// in the same run, the same boundary nodes with `gmsh -2` (a .geo written from the saved
// document's figure, mesh sizes so large that it adds next to no inner nodes), both as whole
// child processes. Counters: each one's wall and CPU seconds, triangles and peak memory, and
// gmsh's wall time over ours. Skipped when no gmsh is on the PATH; gmsh is no dependency.
#include "document/RMORVDocument.h"
#include "document/RTriangleMesh.h"
#include "mesh/RDelaunay.h"
#include "mesh/RMeshQuality.h"
#ifdef MORV_HEADLESS
#include "bench/HeadlessChild.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>


namespace {
constexpr double kPi = 3.14159265358979;

int point(RTriangleMesh& m, double x, double y)
{
    RPoint p;
    p.x = x;
    p.y = y;
    p.group = 0;
    m.points.push_back(p);
    return int(m.points.size()) - 1;
}

void segment(RTriangleMesh& m, int a, int b, int division, double radius = 0)
{
    RSegment s;
    s.startPoint = a;
    s.endPoint = b;
    s.type = 1;
    s.division = division;
    s.radius = radius;
    m.segments.push_back(s);
    const int i = int(m.segments.size()) - 1;
    m.updateHandle(i);
    m.points[a].connections.push_back(i);
    m.points[b].connections.push_back(i);
}

void loop(RTriangleMesh& m, const std::vector<int>& pts, int division, double radius = 0)
{
    for (size_t i = 0; i < pts.size(); ++i)
        segment(m, pts[i], pts[(i + 1) % pts.size()], division, radius);
    ROutline o;
    for (size_t i = 0; i < pts.size(); ++i)
        o.segments.push_back(int(m.segments.size() - pts.size() + i));
    m.outlines.push_back(o);
}

std::vector<int> circle(RTriangleMesh& m, double cx, double cy, double r, int arcs)
{
    std::vector<int> pts;
    for (int i = 0; i < arcs; ++i) {
        const double a = 2 * kPi * i / arcs;
        pts.push_back(point(m, cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return pts;
}

// n: boundary pieces per unit length.
void buildFigure(RTriangleMesh& m, int figure, int n)
{
    if (figure == 0) {
        loop(m, {point(m, 0, 0), point(m, 1, 0), point(m, 1, 1), point(m, 0, 1)}, n);
    } else if (figure == 1) {
        // Walking counterclockwise, an arc that bulges outwards has a negative radius.
        loop(m, circle(m, 0, 0, 1, 4), std::max(1, int(n * kPi / 2)), -1);
        loop(m, circle(m, 0, 0, 0.5, 4), std::max(1, int(n * kPi / 4)), -0.5);
    } else if (figure == 3) {
        // n boundary points on the four arcs of a disc of radius 10.
        loop(m, circle(m, 0, 0, 10, 4), std::max(1, n / 4), -10);
    } else if (figure == 4) {
        // An ellipse of semi-axes 10 and 7 drawn as 400 straight sides of n pieces each.
        std::vector<int> pts;
        for (int i = 0; i < 400; ++i) {
            const double a = 2 * kPi * i / 400;
            pts.push_back(point(m, 10 * std::cos(a), 7 * std::sin(a)));
        }
        loop(m, pts, n);
    } else {
        const int a = point(m, 0, 0), b = point(m, 2, 0), c = point(m, 2, 1), d = point(m, 0, 1);
        segment(m, a, b, 2 * n);
        segment(m, b, c, n);
        segment(m, c, d, 2 * n);
        segment(m, d, a, n);
        ROutline o;
        o.segments = {0, 1, 2, 3};
        m.outlines.push_back(o);
        loop(m, circle(m, 1, 0.5, 0.25, 4), std::max(1, int(n * kPi * 0.5 / 4)), -0.25);
    }
    for (ROutline& o : m.outlines) {
        // Signed chord area and label for the innermost-outline lookups.
        std::vector<double> xs, ys;
        const int k = int(&o - &m.outlines[0]);
        m.outlineWalk(k, xs, ys);
        double a = 0;
        for (size_t i = 1; i < xs.size(); ++i)
            a += (xs[i] - xs[i - 1]) * (ys[i - 1] + ys[i]) / 2;
        o.area = a;
    }
    m.setToleranceFromFigure();
}

// sizeFromBoundary: the other mesher fills the inside with triangles of the boundary's piece
// lengths; otherwise its sizes are so large that it keeps (next to) only the boundary nodes.
void exportGeo(const RTriangleMesh& m, const std::string& file, bool sizeFromBoundary = true)
{
    // Boundary nodes of the rough mesh as points joined by lines, one curve loop per path.
    FILE* f = std::fopen(file.c_str(), "w");
    if (!f)
        return;
    int pointId = 0, lineId = 0, loopId = 0;
    std::vector<int> loops;
    for (const RPath& p : m.paths) {
        std::vector<std::pair<double, double>> pts;
        int cur = m.segments[p.segments[0]].startPoint;
        for (int s : p.segments) {
            const RSegment& seg = m.segments[s];
            const bool fromEnd = cur == seg.endPoint;
            for (int k = 0; k < seg.division; ++k) {
                double x, y;
                if (k == 0) {
                    x = m.points[cur].x;
                    y = m.points[cur].y;
                } else {
                    m.walkPoint(seg, fromEnd, k, x, y);
                }
                pts.push_back({x, y});
            }
            cur = seg.startPoint + seg.endPoint - cur;
        }
        const int first = pointId + 1;
        for (auto [x, y] : pts)
            std::fprintf(f, "Point(%d) = {%.17g, %.17g, 0, 1e22};\n", ++pointId, x, y);
        const int firstLine = lineId + 1;
        for (size_t i = 0; i < pts.size(); ++i)
            std::fprintf(f, "Line(%d) = {%d, %d};\n", ++lineId, first + int(i),
                         first + int((i + 1) % pts.size()));
        std::fprintf(f, "Curve Loop(%d) = {", ++loopId);
        for (int l = firstLine; l <= lineId; ++l)
            std::fprintf(f, "%s%d", l == firstLine ? "" : ", ", l);
        std::fprintf(f, "};\n");
        loops.push_back(loopId);
    }
    std::fprintf(f, "Plane Surface(1) = {");
    for (size_t i = 0; i < loops.size(); ++i)
        std::fprintf(f, "%s%d", i ? ", " : "", loops[i]);
    std::fprintf(f,
                 "};\nMesh.Algorithm = 5;\nMesh.MeshSizeFromPoints = 0;\n"
                 "Mesh.MeshSizeFromCurvature = 0;\nMesh.MeshSizeExtendFromBoundary = %d;\n",
                 sizeFromBoundary ? 1 : 0);
    std::fclose(f);
}

// The smallest angle (exactly enough for the flattest triangle), the triangles with an angle
// below 1 degree and the free edge sides that fail the circle test.
void angleCounters(const RTriangleMesh& m, benchmark::State& state)
{
    const RMeshQuality q = measureMesh(m, false);
    state.counters["minAngle"] = q.smallestAngle;
    state.counters["below1deg"] = double(q.below1Degree);
    state.counters["circleFailures"] = double(q.circleFailures);
}

void quality(const RTriangleMesh& m, benchmark::State& state)
{
    double maxAngle = 0, worst = 1, sum = 0;
    for (const RCellTriangle& t : m.triangles) {
        double len[3];
        for (int i = 0; i < 3; ++i) {
            const RGridPoint& a = m.gridPoints[t.vertices[(i + 1) % 3]];
            const RGridPoint& b = m.gridPoints[t.vertices[(i + 2) % 3]];
            len[i] = std::hypot(a.x - b.x, a.y - b.y);
        }
        for (int i = 0; i < 3; ++i) {
            const double A = len[i], B = len[(i + 1) % 3], C = len[(i + 2) % 3];
            const double ang = std::acos(std::clamp((B * B + C * C - A * A) / (2 * B * C), -1.0,
                                                    1.0))
                               * 180 / kPi;
            maxAngle = std::max(maxAngle, ang);
        }
        const double s = (len[0] + len[1] + len[2]) / 2;
        const double area = std::sqrt(std::max(0.0, s * (s - len[0]) * (s - len[1]) * (s - len[2])));
        const double rin = area / s, rout = len[0] * len[1] * len[2] / (4 * area);
        const double ratio = 2 * rin / rout;
        worst = std::min(worst, ratio);
        sum += ratio;
    }
    state.counters["nodes"] = double(m.gridPoints.size() - 3);
    state.counters["triangles"] = double(m.triangles.size());
    angleCounters(m, state);
    state.counters["maxAngle"] = maxAngle;
    state.counters["worstRatio"] = worst;
    state.counters["meanRatio"] = m.triangles.empty() ? 0 : sum / double(m.triangles.size());
}

void BM_Mesh(benchmark::State& state)
{
    const int figure = int(state.range(0));
    const int type = int(state.range(1));
    const int n = int(state.range(2));
    RTriangleMesh last(30);
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<RTriangleMesh>(30);
        buildFigure(*m, figure, n);
        RDelaunay d(m.get());
        d.meshType = type;
        if (d.CheckPath() != 0) {
            state.SkipWithError("figure refused");
            return;
        }
        state.ResumeTiming();
        if (!d.generate()) {
            state.SkipWithError("generation failed");
            return;
        }
        state.PauseTiming();
        last.gridPoints = m->gridPoints;
        last.triangles = m->triangles;
        if (const char* dir = std::getenv("MORV_BENCH_EXPORT"))
            exportGeo(*m, std::string(dir) + "/fig" + std::to_string(figure) + "_n"
                              + std::to_string(n) + ".geo");
        state.ResumeTiming();
    }
    quality(last, state);
}

const char* figureName(int f)
{
    static const char* const names[] = {"square", "annulus", "plate_with_hole", "disc", "ellipse"};
    return names[f];
}

#ifdef MORV_HEADLESS
// The numbers of lines in the grid point and triangle blocks of a document file.
void countMesh(const std::string& path, long& nodes, long& triangles)
{
    nodes = triangles = 0;
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return;
    long* counting = nullptr;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line == "$GRID_POINT")
            counting = &nodes;
        else if (line == "$CELL_TRIANGLE")
            counting = &triangles;
        else if (line == "$END")
            counting = nullptr;
        else if (counting)
            ++*counting;
    }
}

// Writes the figure as a two-dimensional document in the given mesh type.
bool writeDocument(int figure, int n, int type, const std::string& path)
{
    RMORVDocument doc;
    buildFigure(*doc.mesh, figure, n);
    doc.meshType = type;
    SControlData& c = *doc.compiler->control;
    c.PARMX = 1;
    c.PARMY = 1;
    c.spaceDimension = 2;
    return doc.savefile(QString::fromStdString(path)) == 0;
}

void BM_HeadlessMesh(benchmark::State& state)
{
    const int figure = int(state.range(0));
    const int n = int(state.range(1));
    static QTemporaryDir folder;
    const QString base = folder.path() + QStringLiteral("/%1_%2").arg(figureName(figure)).arg(n);
    const std::string in = (base + QStringLiteral(".MV3")).toStdString();
    const std::string out = (base + QStringLiteral("_meshed.MV3")).toStdString();
    if (!writeDocument(figure, n, 0, in)) {
        state.SkipWithError("figure not written");
        return;
    }
    HeadlessChildRun run;
    for (auto _ : state) {
        run = runHeadless({"mesh", in, out});
        if (run.status != 0) {
            state.SkipWithError("morv_headless mesh failed");
            return;
        }
        state.SetIterationTime(run.seconds);
    }
    long nodes, triangles;
    countMesh(out, nodes, triangles);
    {
        RMORVDocument meshed;
        if (meshed.loadfile(QString::fromStdString(out)) == 0)
            angleCounters(*meshed.mesh, state);
    }
    QFile::remove(QString::fromStdString(out));
    state.counters["nodes"] = double(nodes - 3);
    state.counters["triangles"] = double(triangles);
    state.counters["cpu_s"] = run.cpuSeconds;
    state.counters["wall_s"] = run.seconds;
    state.counters["us_per_triangle"] = triangles ? 1e6 * run.cpuSeconds / triangles : 0;
    state.counters["us_per_node"] = nodes > 3 ? 1e6 * run.cpuSeconds / (nodes - 3) : 0;
    state.counters["peak_rss_MiB"] = run.peakMiB;
}

// The path of an executable on the PATH, empty when there is none.
std::string findOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    for (const QString& dir : QString::fromLocal8Bit(path ? path : "").split(QLatin1Char(':'))) {
        const QFileInfo f(QDir(dir.isEmpty() ? QStringLiteral(".") : dir),
                          QString::fromStdString(program));
        if (f.isFile() && f.isExecutable())
            return f.absoluteFilePath().toStdString();
    }
    return {};
}

// The triangles (element type 2) of a mesh file in the 2.2 text format.
long countMshTriangles(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    long triangles = 0;
    bool inElements = false, countLine = false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line == "$Elements") {
            inElements = countLine = true;
        } else if (line == "$EndElements") {
            inElements = false;
        } else if (inElements && countLine) {
            countLine = false;
        } else if (inElements) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() > 1 && words[1] == "2")
                ++triangles;
        }
    }
    return triangles;
}

void BM_RoughMeshBesideGmsh(benchmark::State& state)
{
    const int figure = int(state.range(0));
    const int n = int(state.range(1));
    const std::string gmsh = findOnPath("gmsh");
    if (gmsh.empty()) {
        state.SkipWithError("gmsh is not installed: no comparison");
        return;
    }
    static QTemporaryDir folder;
    const std::string base = (folder.path() + QStringLiteral("/rough_%1_%2").arg(figureName(figure)).arg(n))
                                 .toStdString();
    const std::string in = base + ".MV3", out = base + "_meshed.MV3";
    const std::string geo = base + ".geo", msh = base + ".msh";
    if (!writeDocument(figure, n, 3, in)) {
        state.SkipWithError("figure not written");
        return;
    }
    {
        // The boundary nodes of the document as saved, so both meshers get the same ones.
        RMORVDocument doc;
        if (doc.loadfile(QString::fromStdString(in)) != 0) {
            state.SkipWithError("figure not read back");
            return;
        }
        doc.mesh->setToleranceFromFigure();
        RDelaunay d(doc.mesh.get());
        if (d.CheckPath() != 0) {
            state.SkipWithError("figure refused");
            return;
        }
        exportGeo(*doc.mesh, geo, false);
    }
    HeadlessChildRun ours, theirs;
    for (auto _ : state) {
        ours = runHeadless({"mesh", in, out});
        theirs = runChild({gmsh, "-2", geo, "-format", "msh22", "-o", msh});
        if (ours.status != 0 || theirs.status != 0) {
            state.SkipWithError(ours.status != 0 ? "morv_headless mesh failed" : "gmsh failed");
            return;
        }
        state.SetIterationTime(ours.seconds);
    }
    long nodes, triangles;
    countMesh(out, nodes, triangles);
    state.counters["nodes"] = double(nodes - 3);
    state.counters["triangles"] = double(triangles);
    state.counters["wall_s"] = ours.seconds;
    state.counters["cpu_s"] = ours.cpuSeconds;
    state.counters["peak_rss_MiB"] = ours.peakMiB;
    state.counters["gmsh_triangles"] = double(countMshTriangles(msh));
    state.counters["gmsh_wall_s"] = theirs.seconds;
    state.counters["gmsh_cpu_s"] = theirs.cpuSeconds;
    state.counters["gmsh_peak_rss_MiB"] = theirs.peakMiB;
    state.counters["gmsh_over_ours"] = ours.seconds > 0 ? theirs.seconds / ours.seconds : 0;
    for (const std::string& f : {out, msh})
        QFile::remove(QString::fromStdString(f));
}
#endif

void registerAll()
{
    auto mesh = [](int figure, int type, int n) {
        const std::string name = std::string("mesh/") + figureName(figure) + "/type"
                                 + std::to_string(type) + "/n" + std::to_string(n);
        benchmark::RegisterBenchmark(name.c_str(), BM_Mesh)
            ->Args({figure, type, n})
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    };
    // Sizes: pieces per unit length. The largest give about 1e5 triangles.
    const std::vector<int> sizes[3] = {{10, 40, 100, 210}, {8, 30, 80, 150}, {8, 30, 80, 146, 158}};
    for (int figure = 0; figure < 3; ++figure)
        for (int type : {0, 4, 2})
            for (int n : sizes[figure])
                mesh(figure, type, n);
    // Long boundaries, no refinement: 4000 pieces a side, 400 sides of 80 pieces, a disc of
    // 32,000 arc pieces (its rough mesh is full of thin triangles along the arcs).
    mesh(0, 3, 4000);
    mesh(4, 3, 80);
    mesh(3, 3, 32000);
#ifdef MORV_HEADLESS
    // Whole documents: the plate at 158 and 500 pieces per unit length (about 1e5 and 1e6
    // triangles) and the disc of 4000 boundary points.
    for (auto [figure, n] : {std::pair{2, 158}, {2, 500}, {3, 4000}}) {
        const std::string name =
            std::string("headless_mesh/") + figureName(figure) + "/type0/n" + std::to_string(n);
        benchmark::RegisterBenchmark(name.c_str(), BM_HeadlessMesh)
            ->Args({figure, n})
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
    for (auto [figure, n] : {std::pair{0, 4000}, {4, 80}}) {
        const std::string name = std::string("rough_mesh_beside_gmsh/") + figureName(figure)
                                 + "/type3/n" + std::to_string(n);
        benchmark::RegisterBenchmark(name.c_str(), BM_RoughMeshBesideGmsh)
            ->Args({figure, n})
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
#endif
}
} // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
