// The widget-free run of one two-dimensional generation; the mesh thread and its progress
// window only wrap it.
#include "mesh/RDelaunay.h"

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
        if (!failed) {
            SetConnNorm();
            SetInteg2Grid();
        }
    }
    if (stopped()) {
        mesh->gridPoints.clear();
        mesh->triangles.clear();
        seq.clear();
        index.clear();
        return false;
    }
    return true;
}
