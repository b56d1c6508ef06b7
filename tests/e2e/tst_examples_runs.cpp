// Every example of examples/ run end to end through `morv_headless run` on a copy, the committed
// result read back as the Result menu reads it, and checked against the answer its script states.
#include "ExampleRun.h"

#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

void expectCommitted(const ExampleRun& run)
{
    for (const char* ext : {".MVO3", ".MVL3", ".MVR3"}) {
        const QString committed = run.path(QString::fromLatin1(ext));
        EXPECT_TRUE(QFileInfo::exists(committed)) << ext;
        EXPECT_FALSE(QFileInfo::exists(committed + u'$')) << ext;
    }
}

int linesStartingWith(const QString& path, const QString& start)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    int count = 0;
    QTextStream in(&file);
    while (!in.atEnd())
        if (in.readLine().startsWith(start))
            ++count;
    return count;
}

void setWeighting(RMORVDocument& doc, double alpha, int fileOutType)
{
    doc.compiler->control->ALPHA = alpha;
    doc.compiler->control->FILEOUTTYPE = fileOutType;
}

TEST(ExampleRuns, DecayFullyImplicit)
{
    ExampleRun run(QStringLiteral("decay"));
    ASSERT_EQ(run.run(), 0) << run.output.toStdString();
    expectCommitted(run);
    ASSERT_EQ(run.load(), ResultLoaded);
    // The start and one level per output time 0.1, 0.2, ..., 1.
    ASSERT_EQ(run.levels(), 11);
    for (int level = 0; level < run.levels(); ++level) {
        EXPECT_NEAR(run.time(level), 0.1 * level, 1e-12) << level;
        EXPECT_NEAR(run.value(level, 0, 0), std::pow(1.1, -level), 1e-12 * std::pow(1.1, -level))
            << level;
    }
    EXPECT_NEAR(run.value(-1, 0, 0), 0.385543289429532, 1e-12 * 0.385543289429532);
    // One iteration for the INITIAL section c - 1 from ASSUME c = 1, then two per step.
    EXPECT_EQ(linesStartingWith(run.path(QStringLiteral(".MVL3")), QStringLiteral("L=")), 21);
}

// ALPHA and FILEOUTTYPE decide what the record of a level carries: the new level at t_new, or
// the level interpolated to t + ALPHA dt.
TEST(ExampleRuns, DecayWeightedLevels)
{
    const double g = 0.95 / 1.05;
    struct Case {
        double alpha;
        int fileOutType;
        double lastTime;
        double lastValue;
    } cases[] = {
        {0.5, 1, 1.0, std::pow(g, 10)},
        {0.5, 0, 0.95, 0.5 * (std::pow(g, 9) + std::pow(g, 10))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ALPHA " << c.alpha << " FILEOUTTYPE " << c.fileOutType);
        ExampleRun run(QStringLiteral("decay"),
                       [&](RMORVDocument& doc) { setWeighting(doc, c.alpha, c.fileOutType); });
        ASSERT_EQ(run.run(), 0) << run.output.toStdString();
        ASSERT_EQ(run.load(), ResultLoaded);
        ASSERT_EQ(run.levels(), 11);
        EXPECT_NEAR(run.time(0), 0.0, 1e-15);
        EXPECT_NEAR(run.value(0, 0, 0), 1.0, 1e-15);
        EXPECT_NEAR(run.time(-1), c.lastTime, 1e-12);
        EXPECT_NEAR(run.value(-1, 0, 0), c.lastValue, 1e-12 * c.lastValue);
    }
}

TEST(ExampleRuns, StiffKinetics)
{
    ExampleRun run(QStringLiteral("stiff_kinetics"));
    ASSERT_EQ(run.run(), 0) << run.output.toStdString();
    expectCommitted(run);
    ASSERT_EQ(run.load(), ResultLoaded);
    ASSERT_EQ(run.levels(), 11);
    // Implicit Euler with dt = 0.01: a_n = 11^-n, b_n = 10 r q (r^n - q^n) / (r - q).
    const double r = 1 / 1.01, q = 1 / 11.0;
    for (int level = 0; level < run.levels(); ++level) {
        SCOPED_TRACE(level);
        const int n = 10 * level;
        const double a = std::pow(q, n);
        const double b = n == 0 ? 0.0 : 10 * r * q * (std::pow(r, n) - std::pow(q, n)) / (r - q);
        EXPECT_NEAR(run.time(level), 0.1 * level, 1e-12);
        // Values below 1e-97 are written as 0.
        EXPECT_NEAR(run.value(level, 0, 0), a < 1e-97 ? 0.0 : a, 1e-12 * a);
        EXPECT_NEAR(run.value(level, 0, 1), b, 1e-12);
        EXPECT_NEAR(run.value(level, 0, 2), 1 - a - b, 1e-12);
        // Sub variables come from the last iterate before its final correction.
        EXPECT_NEAR(run.subValue(level, 0, 0), 1.0, 1e-9);
    }
    EXPECT_EQ(run.value(-1, 0, 0), 0.0);
    EXPECT_NEAR(run.value(-1, 0, 1), 0.370081293622742, 1e-12);
    EXPECT_NEAR(run.value(-1, 0, 2), 0.629918706377258, 1e-12);
}

// Crank-Nicolson on 21 points: every level is g^k sin(pi x) exactly, whichever linear solver
// the Newton iteration uses (external sparse for METHOD 0, the band solvers for 1 and 3).
TEST(ExampleRuns, HeatEquationThroughEveryOneDimensionalSolver)
{
    const double pi = 4 * std::atan(1.0);
    const double h = 0.05, dt = 0.001;
    const double m = (2 - 2 * std::cos(pi * h)) / (h * h);
    const double g = (1 - dt * m / 2) / (1 + dt * m / 2);
    for (const int method : {0, 1, 3}) {
        SCOPED_TRACE(testing::Message() << "METHOD " << method);
        ExampleRun run(QStringLiteral("heat_1d"), [&](RMORVDocument& doc) {
            doc.compiler->control->METHOD = method;
            doc.compiler->control->MISES = 1;
        });
        ASSERT_EQ(run.run(), 0) << run.output.toStdString();
        expectCommitted(run);
        ASSERT_EQ(run.load(), ResultLoaded);
        ASSERT_EQ(run.points(), 21);
        ASSERT_EQ(run.levels(), 11);
        for (int level = 0; level < run.levels(); ++level) {
            EXPECT_NEAR(run.time(level), 0.01 * level, 1e-12) << level;
            for (int p = 0; p < run.points(); ++p) {
                const double x = run.x(p);
                const bool end = x < 1e-12 || x > 1 - 1e-12;
                const double expected = end ? 0.0 : std::pow(g, 10 * level) * std::sin(pi * x);
                EXPECT_NEAR(run.value(level, p, 0), expected, 1e-9) << level << " x " << x;
            }
        }
        const int middle = run.pointAt(0.5);
        EXPECT_NEAR(run.x(middle), 0.5, 1e-12);
        EXPECT_NEAR(run.value(-1, middle, 0), 0.373461367, 1e-9);
    }
}

TEST(ExampleRuns, SteadyDiffusionReaction)
{
    ExampleRun run(QStringLiteral("diffusion_reaction_1d"));
    ASSERT_EQ(run.run(), 0) << run.output.toStdString();
    expectCommitted(run);
    ASSERT_EQ(run.load(), ResultLoaded);
    ASSERT_EQ(run.points(), 21);
    ASSERT_EQ(run.levels(), 1);
    // The difference equations u'' = k^2 u with u(0) = 1, u(1) = 0 are solved exactly by
    // sinh(m (1 - x)) / sinh(m) with cosh(m h) = 1 + (k h)^2 / 2.
    const double k = 2, h = 0.05;
    const double m = std::acosh(1 + k * k * h * h / 2) / h;
    for (int p = 0; p < run.points(); ++p) {
        const double x = run.x(p);
        EXPECT_NEAR(run.value(0, p, 0), std::sinh(m * (1 - x)) / std::sinh(m), 1e-9) << x;
    }
    EXPECT_NEAR(run.value(0, run.pointAt(0.25), 0), 0.587188133, 1e-9);
    EXPECT_NEAR(run.value(0, run.pointAt(0.5), 0), 0.324129850, 1e-9);
    EXPECT_NEAR(run.value(0, run.pointAt(0.75), 0), 0.143736055, 1e-9);
}

// The unit square meshed afresh by `morv_headless mesh`, then Laplace's equation with the
// harmonic quadratic x^2 - y^2 + x y held on the sides. The six-point difference formulas are
// exact for quadratics, so with EPS 1E-12 every node carries the quadratic itself, whichever
// way the generator places the nodes inside: on a lattice (the example's type), along the
// boundary cells, or worst triangle first.
TEST(ExampleRuns, LaplaceOnTheUnitSquare)
{
    for (const int meshType : {1, 2, 4}) {
        SCOPED_TRACE(testing::Message() << "mesh type " << meshType);
        // The copy keeps only the figure, so the grid the run uses is the one built here.
        ExampleRun run(QStringLiteral("laplace_2d"), [&](RMORVDocument& doc) {
            doc.meshType = meshType;
            doc.mesh->gridPoints.clear();
            doc.mesh->triangles.clear();
            doc.mesh->meshState = 1;
        });
        {
            RMORVDocument figure;
            ASSERT_EQ(figure.loadfile(run.path(QStringLiteral(".MV3"))), 0);
            ASSERT_TRUE(figure.mesh->gridPoints.empty());
            ASSERT_EQ(figure.mesh->segments.size(), 4u);
        }
        ASSERT_EQ(run.mesh(), 0) << run.output.toStdString();
        {
            RMORVDocument meshed;
            ASSERT_EQ(meshed.loadfile(run.path(QStringLiteral(".MV3"))), 0);
            EXPECT_EQ(meshed.mesh->meshState, 2);
            EXPECT_EQ(meshed.compiler->control->EPS, 1e-12);
        }
        ASSERT_EQ(run.run(), 0) << run.output.toStdString();
        expectCommitted(run);
        ASSERT_EQ(run.load(), ResultLoaded);
        ASSERT_EQ(run.levels(), 1);
        // 8 divisions on each side: 32 boundary nodes, and nodes inside.
        ASSERT_GT(run.points(), 32 + 9);
        int boundary = 0;
        for (int p = 0; p < run.points(); ++p) {
            const double x = run.x(p), y = run.y(p);
            if (x < 1e-12 || x > 1 - 1e-12 || y < 1e-12 || y > 1 - 1e-12)
                ++boundary;
            const double error = std::abs(run.value(0, p, 0) - (x * x - y * y + x * y));
            EXPECT_LT(error, 1e-7) << "node " << p << " at (" << x << ", " << y << ")";
        }
        EXPECT_EQ(boundary, 32);
    }
}

// The plate with a hole, shipped as a figure alone and meshed at about 50,000 points: Laplace's
// equation with the harmonic quadratic held on the outer sides and on the rim of the hole. At
// this size the preconditioned iteration, once the only linear method of a plane mesh, did not
// converge; every node must carry the quadratic.
TEST(ExampleRuns, LaplaceOnThePlateWithAHole)
{
    ExampleRun run(QStringLiteral("laplace_plate"));
    {
        QFile shipped(examplePath(QStringLiteral("laplace_plate.MV3")));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
        RMORVDocument figure;
        ASSERT_EQ(figure.loadfile(run.path(QStringLiteral(".MV3"))), 0);
        EXPECT_EQ(figure.documentText(), shipped.readAll()) << "not as the program saves it";
        EXPECT_TRUE(figure.mesh->gridPoints.empty());
        EXPECT_EQ(figure.mesh->segments.size(), 8u);
        EXPECT_EQ(figure.compiler->control->METHOD, 0);
    }
    ASSERT_EQ(run.mesh(), 0) << run.output.toStdString();
    ASSERT_EQ(run.run(), 0) << run.output.toStdString();
    expectCommitted(run);
    ASSERT_EQ(run.load(), ResultLoaded);
    ASSERT_EQ(run.levels(), 1);
    EXPECT_GT(run.points(), 45000);
    EXPECT_LT(run.points(), 55000);
    int rim = 0;
    double worst = 0.0;
    for (int p = 0; p < run.points(); ++p) {
        const double x = run.x(p), y = run.y(p);
        if (std::abs(std::hypot(x - 1.0, y - 0.5) - 0.25) < 1e-9)
            ++rim;
        worst = std::max(worst, std::abs(run.value(0, p, 0) - (x * x - y * y + x * y)));
    }
    EXPECT_LT(worst, 1e-7);
    // 4 arcs of 60 pieces each.
    EXPECT_EQ(rim, 240);
}

} // namespace
