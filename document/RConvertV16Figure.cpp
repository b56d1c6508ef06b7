#include "document/RConvertV16Figure.h"
#include "document/RCommaText.h"
#include "document/RDocumentLineReader.h"
#include "document/RNumberText.h"
#include "document/RTriangleMesh.h"

namespace {

// The first two fields of the next line: an integer and a real. A line missing at the end
// of the file reads as an empty one.
bool readPair(RDocumentLineReader& reader, int& count, double& x)
{
    const QStringList f = commaSplit(trimBlanks(reader.readLine()));
    return f.size() >= 2 && parseInt(f[0], count) && parseReal(f[1], x);
}

void placeOnAxis(RPoint& p, double x, int region)
{
    p.x = x;
    p.y = 0.0;
    p.region = region;
    p.group = 0;
    p.selected = false;
    p.hidden = false;
}

}

bool readV16Chain(RDocumentLineReader& reader, RTriangleMesh& mesh)
{
    int n = 0;
    double x0 = 0.0;
    // Every interval has a line of its own: a count above the lines left is a damaged file.
    if (!readPair(reader, n, x0) || n < 0 || n > reader.linesLeft())
        return false;
    // Resizing keeps the elements of an earlier chain; every field that matters is set anew.
    mesh.points.resize(static_cast<std::size_t>(n) + 1);
    mesh.segments.resize(static_cast<std::size_t>(n));
    placeOnAxis(mesh.points[0], x0, 1);
    mesh.points[0].connections.clear();
    for (int i = 0; i < n; ++i) {
        int divisions = 0;
        double x = 0.0;
        if (!readPair(reader, divisions, x))
            return false;
        const auto at = static_cast<std::size_t>(i);
        mesh.points[at].connections.push_back(i);
        RPoint& right = mesh.points[at + 1];
        placeOnAxis(right, x, i == n - 1 ? 2 : 0);
        right.connections = {i};

        RSegment& g = mesh.segments[at];
        g.radius = 0.0;
        g.division = divisions;
        g.bias = 0.0;
        g.startPoint = i;
        g.endPoint = i + 1;
        g.region = 0;
        g.type = 0;
        g.handleX = 0.5 * (mesh.points[at].x + x);
        g.handleY = 0.0;
        g.selected = false;
        g.hidden = false;
    }
    mesh.groupCount = 1;
    return true;
}
