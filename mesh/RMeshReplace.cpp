#include "mesh/RMeshReplace.h"

#include "document/RMORVCompile.h"
#include "document/RTriangleMesh.h"

bool emptyIntegralLists(RMORVCompile& compiler)
{
    const bool held = !compiler.INTEGRAL1.isEmpty() || !compiler.INTEGRAL2.isEmpty();
    compiler.INTEGRAL1.clear();
    compiler.INTEGRAL2.clear();
    return held;
}

int checkPath1D(const RTriangleMesh& mesh)
{
    if (mesh.segments.empty())
        return 1;
    for (const RPoint& p : mesh.points)
        if (p.group != mesh.points.front().group)
            return 2;
    return 0;
}
