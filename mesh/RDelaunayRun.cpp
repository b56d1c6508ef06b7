// The widget-free run of one two-dimensional generation; the mesh thread and its progress
// window only wrap it.
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

bool RDelaunay::finishedMeshIsSound() const
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
        if (exactOrientation(a.x, a.y, b.x, b.y, c.x, c.y) <= 0)
            return false;
        for (int i = 0; i < 3; ++i) {
            const int s = T.boundarySegments[i];
            if (s < 0)
                continue;
            const auto [it, added] =
                constrained.emplace(key(T.vertices[(i + 1) % 3], T.vertices[(i + 2) % 3]), s);
            if (!added && it->second != s)
                return false;
        }
    }
    for (const Piece& piece : pieces) {
        if (piece.p == piece.q)
            continue; // a segment that starts where it ends has no piece to keep
        const auto it = constrained.find(key(piece.p, piece.q));
        if (it == constrained.end() || it->second != piece.segment)
            return false;
    }
    return true;
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
            flipFailingEdges();
        // A cancelled mesh is discarded, so it gets no rings either.
        if (!stopped() && !finishedMeshIsSound())
            failed = true;
        if (!stopped()) {
            SetConnNorm();
            SetInteg2Grid();
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
