#include "document/RTriangleMesh.h"

RTriangleMesh::RTriangleMesh(int undoDepth)
    : undoRing(static_cast<std::size_t>(undoDepth > 0 ? undoDepth : 1)),
      undoCapacity(undoDepth > 0 ? undoDepth : 1)
{
}

RTriangleMesh::~RTriangleMesh() = default;
