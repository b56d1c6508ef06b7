// The widget-free run of one two-dimensional generation; the mesh thread and its progress
// window only wrap it.
#include "document/RMessages.h"
#include "document/RNumberText.h"
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {
QString pointText(double x, double y)
{
    return QStringLiteral("(%1, %2)").arg(x, 0, 'g', 15).arg(y, 0, 'g', 15);
}
} // namespace

void RDelaunay::fail(const QString& reason)
{
    if (!failed && !cancel.load(std::memory_order_acquire))
        postMessage(MessageKind::Error, QStringLiteral("The mesh cannot be generated: ") + reason);
    failed = true;
}

QString RDelaunay::pieceText(int p, int q, int segment) const
{
    // Pieces are listed segment by segment in walking order; without a segment, the piece
    // between the two nodes names it.
    if (segment < 0)
        for (const Piece& piece : pieces)
            if ((piece.p == p && piece.q == q) || (piece.p == q && piece.q == p))
                segment = piece.segment;
    int k = 0;
    for (const Piece& piece : pieces) {
        if (piece.segment == segment)
            ++k;
        if (piece.segment == segment
            && ((piece.p == p && piece.q == q) || (piece.p == q && piece.q == p)))
            break;
    }
    const RGridPoint& P = mesh->gridPoints[p];
    const RGridPoint& Q = mesh->gridPoints[q];
    return QStringLiteral("piece %1 of segment %2, from %3 to %4")
        .arg(k)
        .arg(segment)
        .arg(pointText(P.x, P.y), pointText(Q.x, Q.y));
}

bool RDelaunay::finishedMeshIsSound(QString& fault) const
{
    const RTriangleMesh& m = *mesh;
    // The constrained edges, each under its two nodes, with the segment both sides carry.
    auto key = [](int a, int b) {
        return (std::uint64_t(std::uint32_t(std::min(a, b))) << 32) | std::uint32_t(std::max(a, b));
    };
    std::unordered_map<std::uint64_t, int> constrained;
    for (const RCellTriangle& T : m.triangles) {
        const RGridPoint& a = m.gridPoints[T.vertices[0]];
        const RGridPoint& b = m.gridPoints[T.vertices[1]];
        const RGridPoint& c = m.gridPoints[T.vertices[2]];
        if (exactOrientation(a.x, a.y, b.x, b.y, c.x, c.y) <= 0) {
            fault = QStringLiteral("the triangle at %1, %2 and %3 has no area or is folded.")
                        .arg(pointText(a.x, a.y), pointText(b.x, b.y), pointText(c.x, c.y));
            return false;
        }
        for (int i = 0; i < 3; ++i) {
            const int s = T.boundarySegments[i];
            if (s < 0)
                continue;
            const auto [it, added] =
                constrained.emplace(key(T.vertices[(i + 1) % 3], T.vertices[(i + 2) % 3]), s);
            if (!added && it->second != s) {
                fault = QStringLiteral("an edge carries both segment %1 and segment %2.")
                            .arg(it->second)
                            .arg(s);
                return false;
            }
        }
    }
    for (const Piece& piece : pieces) {
        if (piece.p == piece.q)
            continue; // a segment that starts where it ends has no piece to keep
        const auto it = constrained.find(key(piece.p, piece.q));
        if (it == constrained.end() || it->second != piece.segment) {
            fault = pieceText(piece.p, piece.q, piece.segment)
                    + QStringLiteral(", is no edge of the mesh.");
            return false;
        }
    }
    return true;
}

namespace {
// The value a coordinate has after the document is saved and read again: 15 significant
// digits, as the writer prints it, then the nearest double, as the reader takes it.
double asSaved(double v)
{
    char text[40];
    const int length = writeScientific14(text, v);
    double back = v;
    std::from_chars(text, text + length, back, std::chars_format::general);
    return back;
}
} // namespace

bool RDelaunay::nodesSurviveSaving(QString& fault) const
{
    const RTriangleMesh& m = *mesh;
    // Saving moves a coordinate by at most 5e-15 of its magnitude (half a unit in the 15th
    // digit) and reading by one rounding more. A triangle whose orientation, as computed,
    // exceeds the most such moves of its corners can change (its perimeter times the largest
    // move, with room for the rounding of the computation) keeps it; only the others are
    // saved and read in earnest and tested exactly.
    constexpr double kMove = 5.3e-15 * 1.4142135623730951;
    for (const RCellTriangle& T : m.triangles) {
        const RGridPoint& a = m.gridPoints[T.vertices[0]];
        const RGridPoint& b = m.gridPoints[T.vertices[1]];
        const RGridPoint& c = m.gridPoints[T.vertices[2]];
        const double left = (b.x - a.x) * (c.y - a.y), right = (b.y - a.y) * (c.x - a.x);
        const double det = left - right;
        const double magnitude = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x),
                                           std::fabs(b.y), std::fabs(c.x), std::fabs(c.y)});
        // Each side no longer than the sum of its coordinate differences.
        const double perimeter = std::fabs(b.x - a.x) + std::fabs(b.y - a.y)
                                 + std::fabs(c.x - b.x) + std::fabs(c.y - b.y)
                                 + std::fabs(a.x - c.x) + std::fabs(a.y - c.y);
        const double move = kMove * magnitude;
        const double bound = 2 * (move * perimeter + 4 * move * move)
                             + 1e-15 * (std::fabs(left) + std::fabs(right));
        if (det > bound)
            continue;
        const double ax = asSaved(a.x), ay = asSaved(a.y), bx = asSaved(b.x), by = asSaved(b.y);
        const double cx = asSaved(c.x), cy = asSaved(c.y);
        if (exactOrientation(ax, ay, bx, by, cx, cy) > 0)
            continue;
        fault = QStringLiteral("its nodes near %1 lie so close together that the 15 significant "
                               "digits of the document cannot tell them apart; saved, the mesh "
                               "would hold a triangle without area.")
                    .arg(pointText(a.x, a.y));
        return false;
    }
    return true;
}

std::vector<double> RDelaunay::roundNodesAsSaved()
{
    std::vector<double> generated;
    generated.reserve(2 * mesh->gridPoints.size());
    for (RGridPoint& g : mesh->gridPoints) {
        generated.push_back(g.x);
        generated.push_back(g.y);
        g.x = asSaved(g.x);
        g.y = asSaved(g.y);
    }
    return generated;
}

void RDelaunay::swapNodeCoordinates(std::vector<double>& xy)
{
    for (size_t i = 0; i < mesh->gridPoints.size() && 2 * i + 1 < xy.size(); ++i) {
        std::swap(mesh->gridPoints[i].x, xy[2 * i]);
        std::swap(mesh->gridPoints[i].y, xy[2 * i + 1]);
    }
}

bool RDelaunay::generate()
{
    failed = false;
    roughMesh();
    if (!stopped()) {
        switch (meshType) {
        case 1:
            smallMesh_type1();
            break;
        case 2:
            smallMesh_type2();
            break;
        case 3:
            break;
        case 4:
            smallMesh_type3();
            break;
        default:
            if (minSpacing / maxSpacing > 0.5)
                smallMesh_type1();
            else
                smallMesh_type3();
            break;
        }
        if (!stopped())
            removeNodesOfFlatTriangles();
        if (!stopped())
            flipFailingEdges();
        // Without refinement the mesh holds the boundary nodes only.
        if (!stopped() && meshType != 3)
            splitAvoidableFlatTriangles();
        // A cancelled mesh is discarded, so it gets no rings either.
        QString fault;
        if (!stopped() && (!finishedMeshIsSound(fault) || !nodesSurviveSaving(fault)))
            fail(fault);
        // Saving moves each node by up to half a unit in its 15th digit. For a figure whose
        // size is below about 1e-10 of its coordinates, that is enough to put a node inside the
        // circle of a neighbouring triangle: the saved mesh would fail the circle test the mesh
        // in memory passed. So the nodes take their saved coordinates here, the edges they
        // make fail are flipped, and the mesh in memory is the one the document holds.
        std::vector<double> generated;
        if (!stopped()) {
            generated = roundNodesAsSaved();
            flipFailingEdges();
            if (!finishedMeshIsSound(fault))
                fail(fault);
        }
        if (!stopped()) {
            // Normals and region tables come from the nodes as generated, as they always did:
            // from the saved coordinates a normal would differ in its last digits, and every
            // saved mesh with a curved boundary would change for nothing.
            swapNodeCoordinates(generated);
            SetConnNorm();
            SetInteg2Grid();
            swapNodeCoordinates(generated);
        }
    }
    // The lookups serve the generation only; their memory goes with it.
    index.clear();
    if (stopped()) {
        mesh->gridPoints.clear();
        mesh->triangles.clear();
        seq.clear();
        return false;
    }
    return true;
}
