#include "solver/ui/RWatchPoints.h"

#include "document/RMORVDocument.h"
#include "solver/RFile.h"

#include <algorithm>

namespace {

// Mesh nodes 0 to 2 are the corners of the enclosing triangle; grid point p is node p + 3.
constexpr int kCorners = 3;

QString e(double value, int width, int precision)
{
    return QString::fromStdString(formatE(value, width, precision));
}

} // namespace

RWatchPointSet watchPoints(int pointCount, int dimension, bool twoGrid)
{
    RWatchPointSet w {};
    if (dimension == 0 || pointCount <= 0)
        return w;
    const int n = pointCount;
    if (!twoGrid) {
        w[1] = n / 2;
        w[2] = n - 1;
        return w;
    }
    w[1] = 2 * (n / 4);
    w[2] = n - 1;
    // The second grid lies between the points of the first; on a grid too small to hold it
    // the numbers are kept inside the grid.
    w[3] = std::min(1, n - 1);
    w[4] = std::min(w[1] + 1, n - 1);
    w[5] = std::max(n - 2, 0);
    return w;
}

RWatchPointSet watchPoints(const RMORVDocument& doc)
{
    const SControlData& control = *doc.compiler->control;
    const int nodes = static_cast<int>(doc.mesh->gridPoints.size());
    const int pointCount = control.spaceDimension == 0 ? 1 : std::max(nodes - kCorners, 0);
    return watchPoints(pointCount, control.spaceDimension, control.twoGrid != 0);
}

QStringList watchColumnCaptions(const RMORVDocument& doc, const RWatchPointSet& points)
{
    const SControlData& control = *doc.compiler->control;
    const SSymbolTable& symbols = *doc.compiler->symbols;
    const std::vector<RGridPoint>& nodes = doc.mesh->gridPoints;
    QStringList captions;
    for (int column = 0; column < 3; ++column) {
        const auto node = [&](int point) -> const RGridPoint* {
            const std::size_t k = static_cast<std::size_t>(point) + kCorners;
            return k < nodes.size() ? &nodes[k] : nullptr;
        };
        const RGridPoint* a = node(points[column]);
        if (control.spaceDimension == 0 || !a) {
            captions << QString();
        } else if (control.spaceDimension == 2) {
            captions << e(a->x, 9, 2) + QLatin1Char(',') + e(a->y, 9, 2);
        } else {
            const bool alongX = control.PARMX != 0;
            const QString name = alongX ? symbols.xName : symbols.yName;
            const auto coordinate = [alongX](const RGridPoint& p) { return alongX ? p.x : p.y; };
            QString caption = name + QLatin1Char('=') + e(coordinate(*a), 10, 3);
            if (control.twoGrid != 0) {
                const RGridPoint* b = node(points[column + 3]);
                caption += QLatin1Char('(') + e(b ? coordinate(*b) : 0.0, 10, 3) + QLatin1Char(')');
            }
            captions << caption;
        }
    }
    return captions;
}
