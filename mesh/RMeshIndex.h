#pragma once
#include <cstdint>
#include <utility>
#include <vector>

class RTriangleMesh;

// Lookups of the mesh generator that would otherwise scan every node or every triangle: the
// nodes near a position, the triangles that may contain a position, and the triangles around a
// node. Every query returns a superset of the objects the plain scan could accept, so the caller
// runs the scan's own test on the candidates in ascending index order and gets the scan's answer.
class RMeshIndex {
public:
    void attach(RTriangleMesh* mesh) { m = mesh; }
    // Forget everything and lay a grid over the given box (the enclosing triangle).
    void reset(double xmin, double ymin, double xmax, double ymax, double tol);
    void clear();
    bool active() const { return on; }
    // Lays the grid out now with about this many cells, where it otherwise grows with the
    // triangles: nodes filed before their triangles are then found without scanning them all.
    void sizeFor(int cells);

    void nodeAdded(int node);
    // The node's coordinates changed from (oldX, oldY); its triangles are registered again.
    void nodeMoved(int node, double oldX, double oldY);
    // The last node `from` took the slot `to`, whose own node is gone (and had no triangles).
    void nodeRenamed(int from, int to, double toOldX, double toOldY);

    // Triangle t was written (appended or rewritten).
    void triangleWritten(int t);
    // Triangle t was deleted and the last triangle `last` took its slot (t == last: popped).
    void triangleDeleted(int t, int last);

    // Lowest-index node within the mesh tolerance of (x, y), -1 when none.
    int firstNodeNear(double x, double y) const;
    // Candidate triangles for a point, ascending, without duplicates.
    void triangleCandidates(double x, double y, std::vector<int>& out);
    // The same candidates found by walking the mesh from the triangle last found towards the
    // point: the triangles within the margin of it, and every triangle without area. False
    // when the walk cannot tell (it leaves the mesh, meets a boundary edge near the point or
    // runs too long); triangleCandidates must answer then.
    bool nearbyTriangles(double x, double y, std::vector<int>& out) const;
    // The triangle where a walk from the triangle last found towards the point stops: one that
    // holds the point, decided with exact orientations (inside or on its boundary). -1 when
    // the walk leaves the mesh or runs too long.
    int walkTo(double x, double y) const;
    // The next walk starts from this triangle (one just found by other means).
    void walkFrom(int t) const { walkStart = t; }
    // The triangles without area, ascending: the only candidates for a point farther than the
    // margin from every other triangle.
    void degenerateTriangles(std::vector<int>& out) const;
    // How near a point must come to a triangle to be a candidate of it.
    double nearness() const { return margin; }
    // Triangles having the node as a vertex (any order).
    std::vector<int> incident(int node) const;
    int firstTriangleOf(int node) const;

private:
    struct TriShadow {
        int v[3] = {-1, -1, -1};
        int incPos[3] = {-1, -1, -1}; // where inc[v[k]] holds this triangle
        int i0 = 0, i1 = -1, j0 = 0, j1 = -1; // registered cell range (empty when i1 < i0)
        bool big = false;
        int bigPos = -1;                     // position in bigList
        double bx0 = 0, bx1 = 0, by0 = 0, by1 = 0; // box widened by the margin
        bool degenerate = false;
        int degeneratePos = -1;                // position in degenerateList
        bool stale = false;                    // written since its cells were filed
        int stalePos = -1;                     // position in staleList
        bool live = false;
    };
    int cellX(double x) const;
    int cellY(double y) const;
    void unregisterCells(int t);
    void registerCells(int t);
    bool isDegenerate(int t) const;
    // Puts t into `list` or takes it out; `flag` tells whether it is listed and `pos` where.
    // The last entry takes the place of one taken out.
    void setListed(std::vector<int>& list, bool TriShadow::*flag, int TriShadow::*pos, int t,
                   bool listed);
    void setDegenerate(int t, bool degenerate);
    void setStale(int t, bool stale);
    void updateIncidence(int t);
    // Files the cells of every triangle written since the last query that needed them.
    void flushStale();
    void rebuild(int target);
    static void eraseValue(std::vector<int>& v, int value);
    void addBig(int t);
    void removeBig(int t);
    static void replaceValue(std::vector<int>& v, int from, int to);

    RTriangleMesh* m = nullptr;
    bool on = false;
    mutable int walkStart = 0;
    double x0 = 0, y0 = 0, x1 = 1, y1 = 1, cw = 1, ch = 1, tol = 0, margin = 0;
    int nx = 1, ny = 1;
    std::vector<std::vector<int>> nodeCells;
    std::vector<std::vector<int>> triCells;
    std::vector<int> bigList;
    std::vector<int> degenerateList;
    std::vector<int> staleList;
    std::vector<TriShadow> shadow;
    // Per node the triangles around it, each entry 3 * triangle + vertex position.
    std::vector<std::vector<int>> inc;
    void incAdd(int t, int k);
    void incRemove(int t, int k);
};

// The triangles that have a split edge, ordered by quality; among equal qualities the one that
// entered first comes first. A heap keyed by (quality, entry number) gives the same head as the
// plain sorted array kept by bisection.
class RQualitySeq {
public:
    void attach(RTriangleMesh* mesh) { m = mesh; }
    void setPlain(bool plain) { usePlain = plain; }
    void clear();
    // Qualities are read from the mesh's triangles.
    void add(int t);
    void remove(int t);
    void rename(int oldT, int newT);
    // Triangle t, in the sequence with the quality it had, was rated again: it moves to its new
    // place as a triangle entering now would, or leaves when it has no split edge any more.
    void rerated(int t, double oldQuality);
    bool empty() const;
    int size() const;
    int head() const;
    std::vector<int> ordered() const;
    // False when a triangle to remove or rename was not found (an inconsistent mesh).
    bool consistent() const { return ok; }

private:
    int findPlain(int t) const;
    double q(int t) const;
    // Binary heap on (quality, entry number) with each triangle's heap position.
    struct Entry {
        double quality;
        std::uint64_t order;
        int triangle;
    };
    static bool before(const Entry& a, const Entry& b)
    {
        return a.quality < b.quality || (a.quality == b.quality && a.order < b.order);
    }
    void place(int p, const Entry& e);
    void siftUp(int p);
    void siftDown(int p);
    RTriangleMesh* m = nullptr;
    bool usePlain = false;
    bool ok = true;
    std::vector<int> plain;
    std::vector<Entry> heap;
    std::vector<int> heapPos;
    std::uint64_t counter = 0;
};
