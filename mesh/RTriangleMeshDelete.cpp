// Removing points and segments while keeping the arrays dense: the last element moves into the
// freed slot and every reference to it is renumbered; outlines and groups are repaired.
#include "document/RMessages.h"
#include "document/RTriangleMesh.h"

#include <algorithm>

namespace {
int indexOf(const std::vector<int>& v, int value)
{
    const auto it = std::find(v.begin(), v.end(), value);
    return it == v.end() ? -1 : int(it - v.begin());
}

bool contains(const std::vector<int>& v, int value)
{
    return indexOf(v, value) >= 0;
}

void removeConnection(std::vector<int>& conns, int s)
{
    const int i = indexOf(conns, s);
    if (i < 0)
        return;
    conns[i] = conns.back();
    conns.pop_back();
}
} // namespace

void RTriangleMesh::renumberPoint(int a, int b)
{
    if (a == b)
        return;
    for (int& i : selectedPoints)
        if (i == b)
            i = a;
    for (RSegment& s : segments) {
        if (s.startPoint == b)
            s.startPoint = a;
        if (s.endPoint == b)
            s.endPoint = a;
    }
}

void RTriangleMesh::renumberSegment(int a, int b)
{
    if (a == b)
        return;
    for (int& i : selectedSegments)
        if (i == b)
            i = a;
    for (ROutline& o : outlines) {
        const int i = indexOf(o.segments, b);
        if (i >= 0)
            o.segments[i] = a;
    }
    for (int p : {segments[b].startPoint, segments[b].endPoint}) {
        std::vector<int>& conns = points[p].connections;
        const int i = indexOf(conns, b);
        if (i >= 0)
            conns[i] = a;
    }
}

void RTriangleMesh::deletePoint(int i)
{
    const int last = int(points.size()) - 1;
    renumberPoint(i, last);
    if (i != last)
        points[i] = points[last];
    points.pop_back();
}

bool RTriangleMesh::deleteSegment(int s)
{
    std::vector<int> found;
    for (int k = 0; k < int(outlines.size()); ++k)
        if (contains(outlines[k].segments, s))
            found.push_back(k);

    // Two outlines sharing a segment are merged by walking the loop of the first from a segment
    // the second does not hold. More than two, or a first outline lying wholly in the second,
    // is a figure no edit makes; nothing is changed then.
    int walkSeg = -1, walkStart = -1, walkSecond = -1, dir = 1, mergedRegion = 0;
    if (found.size() > 2) {
        postMessage(MessageKind::Error, QStringLiteral("Please contact Vesko Soft."));
        return false;
    }
    if (found.size() == 2) {
        const ROutline& A = outlines[found[0]];
        const ROutline& B = outlines[found[1]];
        int p = -1;
        for (int i = 0; i < int(A.segments.size()); ++i)
            if (!contains(B.segments, A.segments[i])) {
                p = i;
                break;
            }
        if (p < 0) {
            postMessage(MessageKind::Error, QStringLiteral("Please contact Vesko Soft."));
            return false;
        }
        const int a = A.segments[p];
        const int b = A.segments[(p + 1) % int(A.segments.size())];
        const RSegment& sa = segments[a];
        const RSegment& sb = segments[b];
        const bool startShared = sa.startPoint == sb.startPoint || sa.startPoint == sb.endPoint;
        walkStart = startShared ? sa.endPoint : sa.startPoint;
        walkSecond = sa.startPoint + sa.endPoint - walkStart;
        walkSeg = a;
        dir = A.area > 0 ? 1 : -1;
        mergedRegion = std::min(A.region, B.region);
    }

    for (size_t k = 0; k < found.size(); ++k) {
        const int slot = found[k];
        const int last = int(outlines.size()) - 1;
        if (slot != last)
            outlines[slot] = outlines[last];
        outlines.pop_back();
        for (size_t j = k + 1; j < found.size(); ++j)
            if (found[j] == last)
                found[j] = slot;
    }

    auto deleteRecord = [&](int seg) {
        const int last = int(segments.size()) - 1;
        renumberSegment(seg, last);
        if (seg != last)
            segments[seg] = segments[last];
        segments.pop_back();
    };

    const int sp = segments[s].startPoint, ep = segments[s].endPoint;
    if (found.empty()) {
        removeConnection(points[sp].connections, s);
        removeConnection(points[ep].connections, s);
        deleteRecord(s);
        renumberGroup(groupCount, ep);
        ++groupCount;
    } else if (found.size() == 1) {
        removeConnection(points[sp].connections, s);
        removeConnection(points[ep].connections, s);
        deleteRecord(s);
    } else {
        removeConnection(points[sp].connections, s);
        removeConnection(points[ep].connections, s);
        std::vector<int>& path = dir > 0 ? rightPath : leftPath;
        double& area = dir > 0 ? rightArea : leftArea;
        path.clear();
        area = 0;
        if (searchClosedPath(walkStart, walkSeg, walkSecond, dir) < 0)
            postMessage(MessageKind::Error, QStringLiteral("Please contact Vesko Soft."));
        ROutline o;
        o.region = mergedRegion;
        o.segments = path;
        o.area = area;
        outlines.push_back(o);
        getPathHandle(int(outlines.size()) - 1);
        outlines.back().selected = true;
        outlines.back().hidden = false;
        deleteRecord(s);
    }
    return true;
}
