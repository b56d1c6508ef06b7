// A start-value system that the linear solver cannot solve ends the run with status 7, and the
// log says in one line what failed and at which point, whichever linear method the run uses.
#include "ExampleRun.h"

#include <QRegularExpression>
#include <QTextStream>

#include <cmath>
#include <string>

namespace {

// The log's line about the failed solve, or "" when there is none.
QString failureLine(const ExampleRun& run)
{
    QFile file(run.path(QStringLiteral(".MVL3$")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QStringLiteral(" ! linear solve failed: ")))
            return line;
    }
    return {};
}

struct Case {
    const char* what;
    const char* example;
    int METHOD;
    QStringList initial;  // the INITIAL section
    const char* reason;   // what the line must say ("" for any reason)
    bool onTheBoundary;   // the point named lies on the domain's boundary
};

bool plane(const Case& c) { return std::string(c.example) == "laplace_2d"; }

} // namespace

TEST(SolveFailures, SingularStartValueSystemEndsWithStatus7AndALineSayingWhere)
{
    // Poisson's equation at every point, the boundary included, where the boundary points'
    // stencils have no second derivatives: their rows are empty. With the normal derivative on
    // the boundary instead, the constants solve the homogeneous system: singular up to the
    // accuracy of the difference Jacobian (and the right-hand side is not in its range). On a
    // line, Poisson's equation without conditions at the ends leaves the linear functions free.
    const QStringList noBoundaryCondition{QStringLiteral("r = u[x,2] + u[y,2] - 4"),
                                          QStringLiteral("%EQU: r")};
    const QStringList normalDerivative{
        QStringLiteral("%IF: ATTRIBUTE(3)^2 + ATTRIBUTE(4)^2 > 0.5"),
        QStringLiteral("  r = ATTRIBUTE(3)*u[x] + ATTRIBUTE(4)*u[y]"), QStringLiteral("%ELSE"),
        QStringLiteral("  r = u[x,2] + u[y,2] - 4"), QStringLiteral("%ENDIF"),
        QStringLiteral("%EQU: r")};
    const QStringList lineWithoutEnds{QStringLiteral("r = u[x,2] - 2"), QStringLiteral("%EQU: r")};
    const Case cases[] = {
        {"plane, sparse direct", "laplace_2d", 0, noBoundaryCondition, "singular matrix", true},
        {"plane, sparse direct, normal derivative", "laplace_2d", 0, normalDerivative, "", false},
        {"plane, iterative", "laplace_2d", 1, noBoundaryCondition, "", false},
        {"line, sparse direct", "heat_1d", 0, lineWithoutEnds, "singular matrix", false},
        {"line, band", "heat_1d", 1, lineWithoutEnds, "singular matrix", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExampleRun run(QString::fromLatin1(c.example), [&](RMORVDocument& doc) {
            doc.compiler->control->METHOD = c.METHOD;
            doc.scripts[RMORVDocument::Initial] = c.initial;
        });
        EXPECT_EQ(run.run(), 7) << run.output.toStdString();
        const QString line = failureLine(run);
        ASSERT_FALSE(line.isEmpty());
        EXPECT_TRUE(line.contains(QString::fromLatin1(c.reason))) << line.toStdString();
        // "..., worst at point N ( x, y)": a point of the grid, with its coordinates.
        static const QRegularExpression point(
            QStringLiteral("worst at point (\\d+) \\(\\s*(\\S+),\\s*(\\S+)\\)$"));
        const QRegularExpressionMatch m = point.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const int number = m.captured(1).toInt();
        const double x = m.captured(2).toDouble(), y = m.captured(3).toDouble();
        EXPECT_GE(number, 1);
        EXPECT_TRUE(x >= -1e-9 && x <= 1 + 1e-9 && y >= -1e-9 && y <= 1 + 1e-9) << line.toStdString();
        if (c.onTheBoundary) {
            const bool onSide = std::abs(x) < 1e-9 || std::abs(x - 1) < 1e-9
                                || (plane(c) && (std::abs(y) < 1e-9 || std::abs(y - 1) < 1e-9));
            EXPECT_TRUE(onSide) << line.toStdString();
        }
    }
}
