// Crossing segments: the chord test the figure's checks share, and a search over every chord of
// a figure that compares only chords whose boxes overlap.
#include "mesh/RSegmentCrossings.h"

#include "document/RTriangleMesh.h"

#include <algorithm>

namespace {
// Side of Q relative to the directed line A -> B.
inline double side(double qx, double qy, double ax, double ay, double bx, double by)
{
    return (qx - ax) * (by - ay) - (qy - ay) * (bx - ax);
}

struct Chord {
    double x0, y0, x1, y1;
    double xmin, xmax, ymin, ymax;
    int segment;
    // The figure points this chord ends at, -1 where it ends at a division point.
    int startPoint, endPoint;
};
} // namespace

void segmentChordPoints(const RTriangleMesh& m, const RSegment& seg, std::vector<double>& xs,
                        std::vector<double>& ys)
{
    xs.clear();
    ys.clear();
    if (seg.radius == 0.0) {
        xs = {m.points[seg.startPoint].x, m.points[seg.endPoint].x};
        ys = {m.points[seg.startPoint].y, m.points[seg.endPoint].y};
        return;
    }
    if (seg.division < 1)
        return;
    for (int k = 0; k <= seg.division; ++k) {
        double x, y;
        m.divisionPoint(seg, k, x, y);
        xs.push_back(x);
        ys.push_back(y);
    }
}

bool chordsCross(double a0x, double a0y, double a1x, double a1y, double b0x, double b0y,
                 double b1x, double b1y)
{
    const double sb1 = side(b1x, b1y, a0x, a0y, a1x, a1y);
    const double sb0 = side(b0x, b0y, a0x, a0y, a1x, a1y);
    const double sa1 = side(a1x, a1y, b0x, b0y, b1x, b1y);
    const double sa0 = side(a0x, a0y, b0x, b0y, b1x, b1y);
    if (!(sb1 * sb0 <= 0 && sa1 * sa0 <= 0))
        return false;
    // Two chords whose ends lie strictly on both sides of each other cross, even when no end
    // sees the other chord under an obtuse angle (the diagonals of a rectangle).
    if (sb1 * sb0 < 0 && sa1 * sa0 < 0)
        return true;
    return (b0x - a0x) * (b1x - a0x) + (b0y - a0y) * (b1y - a0y) < 0
           || (b1x - a1x) * (b0x - a1x) + (b1y - a1y) * (b0y - a1y) < 0
           || (a0x - b0x) * (a1x - b0x) + (a0y - b0y) * (a1y - b0y) < 0
           || (a1x - b1x) * (a0x - b1x) + (a1y - b1y) * (a0y - b1y) < 0;
}

std::vector<std::pair<int, int>> crossingSegmentPairs(const RTriangleMesh& m)
{
    std::vector<Chord> chords;
    std::vector<double> xs, ys;
    for (int s = 0; s < int(m.segments.size()); ++s) {
        const RSegment& seg = m.segments[s];
        segmentChordPoints(m, seg, xs, ys);
        const int n = int(xs.size()) - 1;
        for (int i = 1; i <= n; ++i) {
            Chord c;
            c.x0 = xs[i - 1];
            c.y0 = ys[i - 1];
            c.x1 = xs[i];
            c.y1 = ys[i];
            c.xmin = std::min(c.x0, c.x1);
            c.xmax = std::max(c.x0, c.x1);
            c.ymin = std::min(c.y0, c.y1);
            c.ymax = std::max(c.y0, c.y1);
            c.segment = s;
            c.startPoint = i == 1 ? seg.startPoint : -1;
            c.endPoint = i == n ? seg.endPoint : -1;
            chords.push_back(c);
        }
    }
    // Sweep along x: a chord is compared with the later chords that begin before it ends.
    std::sort(chords.begin(), chords.end(),
              [](const Chord& a, const Chord& b) { return a.xmin < b.xmin; });
    std::vector<std::pair<int, int>> pairs;
    for (size_t i = 0; i < chords.size(); ++i) {
        const Chord& a = chords[i];
        for (size_t j = i + 1; j < chords.size() && chords[j].xmin <= a.xmax; ++j) {
            const Chord& b = chords[j];
            if (b.segment == a.segment || b.ymin > a.ymax || b.ymax < a.ymin)
                continue;
            // Chords that end at a figure point both segments share meet there by design.
            const bool shareEnd = (a.startPoint >= 0
                                   && (a.startPoint == b.startPoint || a.startPoint == b.endPoint))
                                  || (a.endPoint >= 0
                                      && (a.endPoint == b.startPoint || a.endPoint == b.endPoint));
            if (shareEnd)
                continue;
            if (chordsCross(a.x0, a.y0, a.x1, a.y1, b.x0, b.y0, b.x1, b.y1))
                pairs.push_back({std::min(a.segment, b.segment), std::max(a.segment, b.segment)});
        }
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}
