#include "mesh/RMeshIndex.h"

#include "document/RTriangleMesh.h"
#include "mesh/RExactPredicates.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
// A triangle registered over more cells than this is tested for every query instead.
constexpr int kBigSpan = 32;
constexpr int kMaxCellsPerAxis = 4096;

// A cell count along one axis from a wanted count of any size (a huge ratio of tolerance to
// figure, a figure of zero width): at least 1, at most kMaxCellsPerAxis, converted only in range.
int cellsPerAxis(double wanted)
{
    if (!(wanted >= 1))
        return 1;
    return wanted < kMaxCellsPerAxis ? int(wanted) : kMaxCellsPerAxis;
}
} // namespace

void RMeshIndex::eraseValue(std::vector<int>& v, int value)
{
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] == value) {
            v[i] = v.back();
            v.pop_back();
            return;
        }
}

void RMeshIndex::replaceValue(std::vector<int>& v, int from, int to)
{
    for (int& e : v)
        if (e == from) {
            e = to;
            return;
        }
}

void RMeshIndex::setListed(std::vector<int>& list, bool TriShadow::*flag, int TriShadow::*pos,
                           int t, bool listed)
{
    TriShadow& s = shadow[t];
    if (s.*flag == listed)
        return;
    if (listed) {
        s.*pos = int(list.size());
        list.push_back(t);
    } else {
        const int moved = list.back();
        list[size_t(s.*pos)] = moved;
        shadow[moved].*pos = s.*pos;
        list.pop_back();
        s.*pos = -1;
    }
    s.*flag = listed;
}

void RMeshIndex::addBig(int t) { setListed(bigList, &TriShadow::big, &TriShadow::bigPos, t, true); }

void RMeshIndex::removeBig(int t)
{
    setListed(bigList, &TriShadow::big, &TriShadow::bigPos, t, false);
}

void RMeshIndex::incAdd(int t, int k)
{
    const int v = shadow[t].v[k];
    if (int(inc.size()) <= v)
        inc.resize(size_t(v) + 1);
    shadow[t].incPos[k] = int(inc[v].size());
    inc[v].push_back(3 * t + k);
}

void RMeshIndex::incRemove(int t, int k)
{
    std::vector<int>& list = inc[shadow[t].v[k]];
    const int pos = shadow[t].incPos[k];
    const int moved = list.back();
    list[pos] = moved;
    shadow[moved / 3].incPos[moved % 3] = pos;
    list.pop_back();
    shadow[t].incPos[k] = -1;
}

std::vector<int> RMeshIndex::incident(int node) const
{
    std::vector<int> out;
    if (node < int(inc.size()))
        for (int e : inc[node])
            out.push_back(e / 3);
    return out;
}

void RMeshIndex::clear()
{
    // Swapped with empty lists, so the memory is released and not only the contents.
    on = false;
    std::vector<std::vector<int>>().swap(nodeCells);
    std::vector<std::vector<int>>().swap(triCells);
    std::vector<int>().swap(bigList);
    std::vector<int>().swap(degenerateList);
    std::vector<int>().swap(staleList);
    std::vector<TriShadow>().swap(shadow);
    std::vector<std::vector<int>>().swap(inc);
}

void RMeshIndex::reset(double xmin, double ymin, double xmax, double ymax, double tolerance)
{
    clear();
    on = true;
    x0 = xmin;
    y0 = ymin;
    x1 = xmax;
    y1 = ymax;
    tol = tolerance;
    const double ext = std::max(x1 - x0, y1 - y0);
    // Wider than the tolerance and than the rounding of the orientation tests.
    margin = std::max(tol, 1e-9 * ext) * 2;
    nx = ny = 1;
    cw = std::max(x1 - x0, 1e-300);
    ch = std::max(y1 - y0, 1e-300);
    nodeCells.assign(1, {});
    triCells.assign(1, {});
}

int RMeshIndex::cellX(double x) const
{
    const double f = (x - x0) / cw;
    if (!(f > 0))
        return 0;
    if (f >= nx - 1)
        return nx - 1;
    return int(f);
}

int RMeshIndex::cellY(double y) const
{
    const double f = (y - y0) / ch;
    if (!(f > 0))
        return 0;
    if (f >= ny - 1)
        return ny - 1;
    return int(f);
}

void RMeshIndex::sizeFor(int cells)
{
    if (on && cells > nx * ny)
        rebuild(cells);
}

void RMeshIndex::rebuild(int target)
{
    const int nt = int(shadow.size());
    target = std::max({1, nt, target});
    const double w = std::max(x1 - x0, 1e-300), h = std::max(y1 - y0, 1e-300);
    // Cells never narrower than a few tolerances, so a neighbourhood query looks at 3 x 3 cells.
    const double minCell = 4 * std::max(tol, 1e-300);
    const int gx = cellsPerAxis(std::min(std::sqrt(target * w / h), w / minCell));
    const int gy = cellsPerAxis(std::min(double(target / gx), h / minCell));
    nx = gx;
    ny = gy;
    cw = w / nx;
    ch = h / ny;
    nodeCells.assign(size_t(nx) * ny, {});
    triCells.assign(size_t(nx) * ny, {});
    bigList.clear();
    for (int i = 0; i < int(m->gridPoints.size()); ++i) {
        const RGridPoint& g = m->gridPoints[i];
        nodeCells[size_t(cellY(g.y)) * nx + cellX(g.x)].push_back(i);
    }
    for (int t = 0; t < nt; ++t) {
        TriShadow& s = shadow[t];
        s.i1 = -1;
        s.big = false;
        s.bigPos = -1;
        s.stale = false;
        s.stalePos = -1;
        if (s.live)
            registerCells(t);
    }
    staleList.clear();
}

void RMeshIndex::nodeAdded(int node)
{
    if (!on)
        return;
    if (int(inc.size()) <= node)
        inc.resize(node + 1);
    const RGridPoint& g = m->gridPoints[node];
    nodeCells[size_t(cellY(g.y)) * nx + cellX(g.x)].push_back(node);
}

void RMeshIndex::nodeMoved(int node, double oldX, double oldY)
{
    if (!on)
        return;
    const RGridPoint& g = m->gridPoints[node];
    const size_t oc = size_t(cellY(oldY)) * nx + cellX(oldX);
    const size_t nc = size_t(cellY(g.y)) * nx + cellX(g.x);
    if (oc != nc) {
        eraseValue(nodeCells[oc], node);
        nodeCells[nc].push_back(node);
    }
    // Its triangles keep their vertices: only their shape changed.
    for (int e : inc[size_t(node)]) {
        const int t = e / 3;
        setDegenerate(t, isDegenerate(t));
        setStale(t, true);
    }
}

void RMeshIndex::nodeRenamed(int from, int to, double toOldX, double toOldY)
{
    if (!on)
        return;
    eraseValue(nodeCells[size_t(cellY(toOldY)) * nx + cellX(toOldX)], to);
    if (from == to) {
        inc[to].clear();
        return;
    }
    const RGridPoint& g = m->gridPoints[to]; // already holds the moved node's record
    replaceValue(nodeCells[size_t(cellY(g.y)) * nx + cellX(g.x)], from, to);
    inc[to] = std::move(inc[from]);
    inc[from].clear();
    for (int e : inc[to])
        shadow[e / 3].v[e % 3] = to;
}

void RMeshIndex::setDegenerate(int t, bool degenerate)
{
    setListed(degenerateList, &TriShadow::degenerate, &TriShadow::degeneratePos, t, degenerate);
}

void RMeshIndex::setStale(int t, bool stale)
{
    setListed(staleList, &TriShadow::stale, &TriShadow::stalePos, t, stale);
}

void RMeshIndex::unregisterCells(int t)
{
    TriShadow& s = shadow[t];
    if (s.big)
        removeBig(t);
    else
        for (int j = s.j0; j <= s.j1; ++j)
            for (int i = s.i0; i <= s.i1; ++i)
                eraseValue(triCells[size_t(j) * nx + i], t);
    s.i1 = -1;
    s.big = false;
}

void RMeshIndex::registerCells(int t)
{
    TriShadow& s = shadow[t];
    const RCellTriangle& tri = m->triangles[t];
    double xs[3], ys[3];
    for (int k = 0; k < 3; ++k) {
        xs[k] = m->gridPoints[tri.vertices[k]].x;
        ys[k] = m->gridPoints[tri.vertices[k]].y;
    }
    s.bx0 = std::min({xs[0], xs[1], xs[2]}) - margin;
    s.bx1 = std::max({xs[0], xs[1], xs[2]}) + margin;
    s.by0 = std::min({ys[0], ys[1], ys[2]}) - margin;
    s.by1 = std::max({ys[0], ys[1], ys[2]}) + margin;
    s.i0 = cellX(s.bx0);
    s.i1 = cellX(s.bx1);
    s.j0 = cellY(s.by0);
    s.j1 = cellY(s.by1);
    if ((s.i1 - s.i0 + 1) * (s.j1 - s.j0 + 1) > kBigSpan) {
        addBig(t);
        return;
    }
    for (int j = s.j0; j <= s.j1; ++j)
        for (int i = s.i0; i <= s.i1; ++i)
            triCells[size_t(j) * nx + i].push_back(t);
}

bool RMeshIndex::isDegenerate(int t) const
{
    const RCellTriangle& tri = m->triangles[t];
    double xs[3], ys[3];
    for (int k = 0; k < 3; ++k) {
        xs[k] = m->gridPoints[tri.vertices[k]].x;
        ys[k] = m->gridPoints[tri.vertices[k]].y;
    }
    // A sliver's orientation tests may accept points away from it: such triangles are tested
    // for every query.
    const double cross = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (ys[1] - ys[0]) * (xs[2] - xs[0]);
    double l[3];
    for (int k = 0; k < 3; ++k) {
        const int a = (k + 1) % 3, b = (k + 2) % 3;
        l[k] = (xs[b] - xs[a]) * (xs[b] - xs[a]) + (ys[b] - ys[a]) * (ys[b] - ys[a]);
    }
    // |cross| / (L_max * L_mid) is the sine of the smallest angle; the two longest squared
    // lengths are the two that are not the shortest.
    const int shortest = l[0] <= l[1] ? (l[0] <= l[2] ? 0 : 2) : (l[1] <= l[2] ? 1 : 2);
    const double longTwo = l[(shortest + 1) % 3] * l[(shortest + 2) % 3];
    return !(cross * cross > 1e-12 * longTwo);
}

void RMeshIndex::updateIncidence(int t)
{
    TriShadow& s = shadow[t];
    const std::array<int, 3>& nv = m->triangles[t].vertices;
    // An entry of a vertex the triangle keeps stays where it is in that vertex's list; only
    // the vertices it loses or gains change their lists.
    int kept[3] = {-1, -1, -1};
    for (int k = 0; k < 3; ++k) {
        if (s.incPos[k] < 0)
            continue;
        int j = 0;
        while (j < 3 && nv[j] != s.v[k])
            ++j;
        if (j < 3 && kept[j] < 0)
            kept[j] = s.incPos[k];
        else
            incRemove(t, k);
    }
    for (int j = 0; j < 3; ++j) {
        s.v[j] = nv[j];
        s.incPos[j] = -1;
    }
    for (int j = 0; j < 3; ++j) {
        // A vertex named twice (a triangle without area) is entered once.
        if ((j > 0 && nv[j] == nv[j - 1]) || (j == 2 && nv[2] == nv[0]))
            continue;
        if (kept[j] >= 0) {
            s.incPos[j] = kept[j];
            inc[size_t(nv[j])][size_t(kept[j])] = 3 * t + j;
        } else {
            incAdd(t, j);
        }
    }
}

void RMeshIndex::flushStale()
{
    for (int t : staleList) {
        TriShadow& s = shadow[t];
        unregisterCells(t);
        registerCells(t);
        s.stale = false;
        s.stalePos = -1;
    }
    staleList.clear();
}

void RMeshIndex::triangleWritten(int t)
{
    if (!on)
        return;
    if (int(shadow.size()) <= t)
        shadow.resize(size_t(t) + 1);
    shadow[t].live = true;
    updateIncidence(t);
    setDegenerate(t, isDegenerate(t));
    // The cells follow only when a query needs them: a triangle rewritten many times in
    // between (a long edge passed along a lattice row) is filed once.
    setStale(t, true);
    if (int(shadow.size()) > 2 * nx * ny && nx * ny < kMaxCellsPerAxis * kMaxCellsPerAxis)
        rebuild(0);
}

void RMeshIndex::triangleDeleted(int t, int last)
{
    if (!on)
        return;
    {
        TriShadow& s = shadow[t];
        for (int k = 0; k < 3; ++k)
            if (s.incPos[k] >= 0)
                incRemove(t, k);
        unregisterCells(t);
        setDegenerate(t, false);
        setStale(t, false);
        s.v[0] = s.v[1] = s.v[2] = -1;
        s.live = false;
    }
    if (t != last) {
        TriShadow& s = shadow[last];
        for (int k = 0; k < 3; ++k)
            if (s.incPos[k] >= 0)
                inc[size_t(s.v[k])][size_t(s.incPos[k])] = 3 * t + k;
        if (s.big)
            bigList[size_t(s.bigPos)] = t;
        else
            for (int j = s.j0; j <= s.j1; ++j)
                for (int i = s.i0; i <= s.i1; ++i)
                    replaceValue(triCells[size_t(j) * nx + i], last, t);
        if (s.degenerate)
            degenerateList[size_t(s.degeneratePos)] = t;
        if (s.stale)
            staleList[size_t(s.stalePos)] = t;
        shadow[t] = s;
    }
    shadow.pop_back();
}

int RMeshIndex::firstNodeNear(double x, double y) const
{
    const int i0 = cellX(x - margin), i1 = cellX(x + margin);
    const int j0 = cellY(y - margin), j1 = cellY(y + margin);
    int best = -1;
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i)
            for (int n : nodeCells[size_t(j) * nx + i])
                if ((best < 0 || n < best)
                    && m->isSamePt(x, y, m->gridPoints[n].x, m->gridPoints[n].y))
                    best = n;
    return best;
}

void RMeshIndex::triangleCandidates(double x, double y, std::vector<int>& out)
{
    flushStale();
    out.clear();
    // Clamping keeps a point beyond the grid in the rim cell, where every triangle reaching
    // beyond the rim is registered too.
    const auto& cell = triCells[size_t(cellY(y)) * nx + cellX(x)];
    out.insert(out.end(), cell.begin(), cell.end());
    for (int t : bigList) {
        const TriShadow& s = shadow[t];
        if (x >= s.bx0 && x <= s.bx1 && y >= s.by0 && y <= s.by1)
            out.push_back(t);
    }
    out.insert(out.end(), degenerateList.begin(), degenerateList.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

int RMeshIndex::walkTo(double x, double y) const
{
    const std::vector<RCellTriangle>& tris = m->triangles;
    const std::vector<RGridPoint>& g = m->gridPoints;
    const int nt = int(tris.size());
    if (nt == 0 || !std::isfinite(x) || !std::isfinite(y))
        return -1;
    int t = walkStart < nt ? walkStart : nt - 1;
    // Walk: leave each triangle across an edge the point lies beyond. The first edge tried
    // turns with every step, so the walk cannot circle in a mesh that is not Delaunay.
    const int bound = 64 + 4 * int(std::sqrt(double(nt)));
    for (int steps = 0;; ++steps) {
        if (steps > bound)
            return -1;
        const RCellTriangle& T = tris[t];
        int across = -1;
        for (int k = 0; k < 3; ++k) {
            const int i = (k + steps) % 3;
            const RGridPoint& a = g[T.vertices[(i + 1) % 3]];
            const RGridPoint& b = g[T.vertices[(i + 2) % 3]];
            if (exactOrientation(a.x, a.y, b.x, b.y, x, y) < 0) {
                across = i;
                break;
            }
        }
        if (across < 0)
            return t;
        t = T.neighbours[across];
        if (t < 0)
            return -1;
    }
}

bool RMeshIndex::nearbyTriangles(double x, double y, std::vector<int>& out) const
{
    const std::vector<RCellTriangle>& tris = m->triangles;
    const std::vector<RGridPoint>& g = m->gridPoints;
    const int t = walkTo(x, y);
    if (t < 0)
        return false;
    walkStart = t;
    // Every triangle that reaches within the margin of the point is edge-connected to this
    // one through edges that do too; a boundary edge that near means another part of the
    // mesh might be near as well, which only the grid can tell.
    out.clear();
    out.push_back(t);
    const double m2 = margin * margin;
    for (size_t next = 0; next < out.size(); ++next) {
        const RCellTriangle& T = tris[out[next]];
        for (int i = 0; i < 3; ++i) {
            const RGridPoint& a = g[T.vertices[(i + 1) % 3]];
            const RGridPoint& b = g[T.vertices[(i + 2) % 3]];
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double len2 = dx * dx + dy * dy;
            double u = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0.0;
            u = std::clamp(u, 0.0, 1.0);
            const double ex = a.x + u * dx - x, ey = a.y + u * dy - y;
            if (!(ex * ex + ey * ey <= m2))
                continue;
            const int nb = T.neighbours[i];
            if (nb < 0)
                return false;
            if (std::find(out.begin(), out.end(), nb) == out.end())
                out.push_back(nb);
        }
    }
    out.insert(out.end(), degenerateList.begin(), degenerateList.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

void RMeshIndex::degenerateTriangles(std::vector<int>& out) const
{
    out.assign(degenerateList.begin(), degenerateList.end());
    std::sort(out.begin(), out.end());
}

int RMeshIndex::firstTriangleOf(int node) const
{
    if (node >= int(inc.size()))
        return -1;
    int best = -1;
    for (int e : inc[node])
        if (best < 0 || e / 3 < best)
            best = e / 3;
    return best;
}

// ---- quality sequence ----

double RQualitySeq::q(int t) const
{
    return m->triangles[t].quality;
}

void RQualitySeq::clear()
{
    plain.clear();
    heap.clear();
    heapPos.clear();
    counter = 0;
    ok = true;
}

void RQualitySeq::place(int p, const Entry& e)
{
    heap[p] = e;
    heapPos[e.triangle] = p;
}

void RQualitySeq::siftUp(int p)
{
    const Entry e = heap[p];
    while (p > 0) {
        const int parent = (p - 1) / 2;
        if (!before(e, heap[parent]))
            break;
        place(p, heap[parent]);
        p = parent;
    }
    place(p, e);
}

void RQualitySeq::siftDown(int p)
{
    const Entry e = heap[p];
    const int n = int(heap.size());
    for (;;) {
        int c = 2 * p + 1;
        if (c >= n)
            break;
        if (c + 1 < n && before(heap[c + 1], heap[c]))
            ++c;
        if (!before(heap[c], e))
            break;
        place(p, heap[c]);
        p = c;
    }
    place(p, e);
}

void RQualitySeq::add(int t)
{
    if (usePlain) {
        int lo = -1, hi = int(plain.size());
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            if (q(plain[mid]) > q(t))
                hi = mid;
            else
                lo = mid;
        }
        plain.insert(plain.begin() + hi, t);
        return;
    }
    if (int(heapPos.size()) <= t)
        heapPos.resize(size_t(t) + 1, -1);
    heap.push_back(Entry{q(t), counter++, t});
    heapPos[t] = int(heap.size()) - 1;
    siftUp(int(heap.size()) - 1);
}

int RQualitySeq::findPlain(int t) const
{
    int lo = -1, hi = int(plain.size());
    int probe = (int(plain.size()) - 1) / 2;
    const double qt = q(t);
    while (hi - lo > 1 && probe > lo && probe < hi) {
        const int e = plain[probe];
        if (e == t)
            return probe;
        if (q(e) == qt) {
            for (int i = lo + 1; i < hi; ++i)
                if (plain[i] == t)
                    return i;
            return -1;
        }
        if (q(e) > qt)
            hi = probe;
        else
            lo = probe;
        probe = (lo + hi) / 2;
    }
    return -1;
}

void RQualitySeq::remove(int t)
{
    if (usePlain) {
        const int i = findPlain(t);
        if (i < 0) {
            ok = false;
            return;
        }
        plain.erase(plain.begin() + i);
        return;
    }
    const int p = t < int(heapPos.size()) ? heapPos[t] : -1;
    if (p < 0) {
        ok = false;
        return;
    }
    heapPos[t] = -1;
    const Entry last = heap.back();
    heap.pop_back();
    if (p == int(heap.size()))
        return;
    place(p, last);
    siftUp(p);
    siftDown(heapPos[last.triangle]);
}

void RQualitySeq::rename(int oldT, int newT)
{
    if (oldT == newT)
        return;
    if (usePlain) {
        const int i = findPlain(oldT);
        if (i < 0) {
            ok = false;
            return;
        }
        plain[i] = newT;
        return;
    }
    const int p = oldT < int(heapPos.size()) ? heapPos[oldT] : -1;
    if (p < 0) {
        ok = false;
        return;
    }
    heapPos[oldT] = -1;
    if (int(heapPos.size()) <= newT)
        heapPos.resize(size_t(newT) + 1, -1);
    heap[p].triangle = newT;
    heapPos[newT] = p;
}

void RQualitySeq::rerated(int t, double oldQuality)
{
    const bool stays = m->triangles[t].splitEdge >= 0;
    if (usePlain) {
        // The plain array finds t by its old quality.
        const double newQuality = m->triangles[t].quality;
        m->triangles[t].quality = oldQuality;
        remove(t);
        m->triangles[t].quality = newQuality;
        if (stays)
            add(t);
        return;
    }
    if (!stays) {
        remove(t);
        return;
    }
    const int p = t < int(heapPos.size()) ? heapPos[t] : -1;
    if (p < 0) {
        ok = false;
        return;
    }
    place(p, Entry{q(t), counter++, t});
    siftUp(p);
    siftDown(heapPos[t]);
}

bool RQualitySeq::empty() const
{
    return usePlain ? plain.empty() : heap.empty();
}

int RQualitySeq::size() const
{
    return usePlain ? int(plain.size()) : int(heap.size());
}

int RQualitySeq::head() const
{
    if (empty())
        return -1;
    return usePlain ? plain.front() : heap.front().triangle;
}

std::vector<int> RQualitySeq::ordered() const
{
    if (usePlain)
        return plain;
    std::vector<Entry> sorted = heap;
    std::sort(sorted.begin(), sorted.end(), before);
    std::vector<int> out;
    out.reserve(sorted.size());
    for (const Entry& e : sorted)
        out.push_back(e.triangle);
    return out;
}
