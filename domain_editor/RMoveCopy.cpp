#include "domain_editor/RMoveCopy.h"

#include "document/RUtilities.h"
#include "domain_editor/RDomainEditor.h"

#include <cmath>

void RTransform::apply(int k, double x, double y, double& ox, double& oy) const
{
    if (mode == 0) {
        ox = x + k * dx;
        oy = y + k * dy;
    } else if (mode == 1) {
        const double t = (x - xs) * ux + (y - ys) * uy;
        const double fx = xs + t * ux, fy = ys + t * uy;
        ox = 2 * fx - x;
        oy = 2 * fy - y;
    } else {
        const double a = k * angle;
        const double c = std::cos(a), s = std::sin(a);
        ox = xc + (x - xc) * c + (y - yc) * s;
        oy = yc + (y - yc) * c - (x - xc) * s;
    }
    ox = round45(ox, 10);
    oy = round45(oy, 10);
}

bool moveSelection(RDomainEditor& editor, const RTransform& t)
{
    RTriangleMesh& f = editor.figure();
    const bool mirror = t.mode == 1;
    editor.PushMW();
    for (RPoint& p : f.points)
        p.mark = -2;
    for (int i : f.selectedPoints) {
        double x = 0, y = 0;
        t.apply(1, f.points[i].x, f.points[i].y, x, y);
        if (!f.PointTotalCheck(x, y, i, mirror ? 1 : 0)) {
            editor.PopMW();
            return false;
        }
    }
    editor.PopMW();
    f.PushFU();
    if (mirror) {
        for (int s : f.selectedSegments) {
            RSegment& seg = f.segments[s];
            if (f.points[seg.startPoint].selected || f.points[seg.endPoint].selected)
                seg.radius = -seg.radius;
        }
    }
    for (int i : f.selectedPoints) {
        RPoint& p = f.points[i];
        double x = 0, y = 0;
        t.apply(1, p.x, p.y, x, y);
        p.x = x;
        p.y = y;
        for (int s : p.connections)
            f.updateHandle(s);
    }
    return true;
}

namespace {

struct RCopyRound {
    RTriangleMesh& f;
    const RTransform& t;
    int k;
    int failures = 0;

    bool copyPoint(int p)
    {
        f.points[p].mark = int(f.points.size());
        double x = 0, y = 0;
        t.apply(k, f.points[p].x, f.points[p].y, x, y);
        if (f.existingPt(x, y, -1) || f.isOnline(x, y)) {
            f.points[p].mark = -1;
            return false;
        }
        RPoint made;
        made.x = x;
        made.y = y;
        made.region = f.points[p].region;
        made.group = f.groupCount++;
        f.points.push_back(std::move(made));
        return true;
    }

    void copySegment(int s, int region)
    {
        f.segments[s].visited = int(f.segments.size());
        for (int end : {f.segments[s].startPoint, f.segments[s].endPoint}) {
            if (f.points[end].mark == -1 && !copyPoint(end)) {
                f.segments[s].visited = -1;
                ++failures;
                return;
            }
        }
        const RSegment& src = f.segments[s];
        RSegment c;
        c.startPoint = f.points[src.startPoint].mark;
        c.endPoint = f.points[src.endPoint].mark;
        c.radius = t.mode == 1 ? -src.radius : src.radius;
        c.type = src.type;
        c.division = src.division;
        c.region = src.region;
        c.bias = src.bias;
        c.visited = -1;
        const RPoint& a = f.points[c.startPoint];
        const RPoint& b = f.points[c.endPoint];
        RTriangleMesh::segmentHandle(a.x, a.y, b.x, b.y, c.radius, c.handleX, c.handleY);
        if (!f.SegmentTotalCheck(c, -1)) {
            f.segments[s].visited = -1;
            ++failures;
            return;
        }
        const int index = int(f.segments.size());
        const int start = c.startPoint, end = c.endPoint;
        f.segments.push_back(std::move(c));
        f.points[start].connections.push_back(index);
        f.points[end].connections.push_back(index);
        f.NewConnection(start, end, region);
    }
};

} // namespace

int copySelection(RDomainEditor& editor, const RTransform& t, int n)
{
    RTriangleMesh& f = editor.figure();
    f.PushFU();
    int failures = 0;
    // The passes walk copies of the lists: building an outline clears the selected flags,
    // never these lists, but the copies keep the walk independent of that.
    const std::vector<int> outlines = f.selectedOutlines;
    const std::vector<int> segments = f.selectedSegments;
    const std::vector<int> points = f.selectedPoints;
    for (int k = 1; k <= n; ++k) {
        for (RPoint& p : f.points)
            p.mark = -1;
        for (RSegment& s : f.segments)
            s.visited = -1;
        RCopyRound round{f, t, k};
        for (int o : outlines) {
            const std::vector<int> loop = f.outlines[o].segments;
            const int region = f.outlines[o].region;
            for (int s : loop)
                if (f.segments[s].visited == -1)
                    round.copySegment(s, region);
        }
        for (int s : segments)
            if (f.segments[s].visited == -1)
                round.copySegment(s, f.segments[s].region);
        for (int p : points)
            if (f.points[p].mark == -1 && !round.copyPoint(p))
                ++round.failures;
        failures += round.failures;
    }
    return failures;
}
