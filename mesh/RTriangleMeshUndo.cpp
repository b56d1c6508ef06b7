// Whole-figure undo: a fixed ring of figure snapshots. Undone states stay reachable by Redo
// until the next change.
#include "document/RTriangleMesh.h"

void RTriangleMesh::PushFU()
{
    const int cap = undoCapacity;
    if (undoCurrent == undoHead && undoCount >= cap) {
        --undoCount;
        undoHead = (undoHead + 1) % cap;
    }
    RFigureSnapshot& slot = undoRing[undoCurrent];
    slot.points = points;
    slot.segments = segments;
    slot.outlines = outlines;
    slot.paths = paths;
    slot.pointCount = int(points.size());
    slot.segmentCount = int(segments.size());
    slot.outlineCount = int(outlines.size());
    slot.pathCount = int(paths.size());
    slot.groupCount = groupCount;
    undoCurrent = (undoCurrent + 1) % cap;
    undoCount = undoCurrent == undoHead ? cap : ((undoCurrent - undoHead) % cap + cap) % cap;
    redoCount = 0;
}

void RTriangleMesh::PopFU(int slotIndex)
{
    const RFigureSnapshot& slot = undoRing[slotIndex];
    points.assign(slot.points.begin(), slot.points.begin() + slot.pointCount);
    segments.assign(slot.segments.begin(), slot.segments.begin() + slot.segmentCount);
    outlines.assign(slot.outlines.begin(), slot.outlines.begin() + slot.outlineCount);
    paths.assign(slot.paths.begin(), slot.paths.begin() + slot.pathCount);
    groupCount = slot.groupCount;
    undoCurrent = slotIndex;
}

bool RTriangleMesh::canUndo() const
{
    return redoCount == 0 ? undoCount > 0 : undoCurrent != undoHead;
}

bool RTriangleMesh::canRedo() const
{
    return redoCount != 0;
}

void RTriangleMesh::UndoFU()
{
    if (!canUndo())
        return;
    const int target = undoCurrent == 0 ? undoCapacity - 1 : undoCurrent - 1;
    if (undoCurrent == (undoHead + undoCount) % undoCapacity)
        PushFU();
    PopFU(target);
    ++redoCount;
}

void RTriangleMesh::RedoFU()
{
    if (!canRedo())
        return;
    const int target = undoCurrent + 1 >= undoCapacity ? 0 : undoCurrent + 1;
    PopFU(target);
    --redoCount;
}

void RTriangleMesh::resetUndoPositions()
{
    undoHead = undoCurrent = undoCount = redoCount = 0;
}
