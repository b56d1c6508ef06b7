#pragma once
#include "document/RTriangleMesh.h"
#include "mesh/RMeshIndex.h"
#include "mesh/RWindingIndex.h"

#include <QList>
#include <QString>

#include <atomic>
#include <set>
#include <vector>

// One vertex of a cavity polygon: the polygon edge ending at this vertex and what lies across.
struct RPoly {
    int vertex = -1;
    int outerTriangle = -1;
    int outerVertex = -1;
    int segment = -1;
};

// A named int list of the generator's line and region tables.
struct RIntegral {
    QString name;
    std::vector<int> values;
};

// Receives the generator's stage texts and percentages. The progress window hands them on to
// the user-interface thread; without a receiver the generator reports nothing.
class RMeshProgress {
public:
    virtual ~RMeshProgress() = default;
    virtual void setStage(const QString& text) = 0;
    virtual void setPosition(int percent) = 0;
    // The position last set (the boundary-cell scheme only moves the bar forward).
    virtual int position() const = 0;
};

// The two-dimensional mesh generator: a constrained Delaunay triangulation built incrementally
// inside one enclosing triangle, then refined, smoothed and given neighbour rings. It writes the
// grid points and triangles of the bound RTriangleMesh.
class RDelaunay {
public:
    explicit RDelaunay(RTriangleMesh* mesh);
    ~RDelaunay();

    // The flips one order of the last step, the splitting of flat triangles, may spend besides
    // 30 a triangle; there are at most six orders.
    static constexpr long long kFlatSplitFlips = 50000;
    static constexpr int kFlatSplitOrders = 6;

    int flipCount = 0;
    std::vector<int> flipStack;
    std::vector<int> innerPoints;
    std::vector<RPoly> leftPolygon, rightPolygon;
    double xMax = 0, yMax = 0, xMin = 0, yMin = 0;
    RTriangleMesh* mesh;
    double maxSpacing = 0, minSpacing = 1e35;
    double meshAngle = 0.0;
    int meshType = 0;
    std::atomic<bool> cancel{false};
    QList<RIntegral> lineTable;
    QList<RIntegral> regionTable;
    RMeshProgress* progress = nullptr;
    // Set when a step that must not fail (ear clipping, the quality sequence, a flip cascade
    // within its budget, the final check of the mesh) found the mesh inconsistent; the
    // generation then ends as failed and its mesh is discarded.
    bool failed = false;
    // Edge flips since the rough mesh began.
    long long flipTotal = 0;
    // One cascade of flips may make at most base + per triangle x the triangle count flips,
    // plus one flip per pair of nodes up to a cap. An edge flipped away by the exact circle test
    // never comes back, so a cascade can make no more flips than there are node pairs; the
    // first interior node of a figure with long straight sides starts a cascade that restores
    // the whole boundary mesh and needs about n^2 / 40 of them (n boundary nodes). The cap
    // keeps the flip stack of a cascade that cycles after all below some 120 MB.
    static constexpr long long kFlipBudgetBase = 100000;
    static constexpr long long kFlipBudgetPerTriangle = 10;
    static constexpr long long kFlipBudgetPairsCap = 30000000;
    // The flip test's margin: a far vertex must lie inside the circle shrunk to kCircleShrink
    // of its squared radius; for a nearly flat triangle, whose circle is huge, inside by
    // (1 - kCircleShrink) times kFlatCapFactor times the squared longest side is enough.
    static constexpr double kCircleShrink = 0.99999;
    static constexpr double kFlatCapFactor = 100.0;
    // Which flip test searchPoint applies: the far vertex inside the near triangle's circle by
    // the margin (while the rough mesh is built); that, or either far vertex inside the other
    // side's circle when a nearly flat triangle is involved (once the domain is meshed); or
    // either far vertex inside the other side's circle (the last pass over a finished mesh).
    // Exact: inside the circle exactly, without a margin, while the rough mesh puts its
    // boundary nodes in. The margin scales with the circle: along a flat figure (a long strip)
    // a triangle reaching far along it keeps a huge circle that every node put in near it lies
    // within the margin of, and such triangles would stay for good.
    enum class FlipRule { OneSide, FlatBothSides, BothSides, Exact };
    FlipRule flipRule = FlipRule::OneSide;

    // Spatial indexes and the ordered quality sequence. They change no result; off, every
    // lookup is the plain scan (used by the differential tests).
    void setFastPaths(bool on);
    bool fastPaths() const { return fast; }

    // Point location and insertion.
    int WhereIsThisPt(double x, double y, int& t, int& n, int& a, int& b);
    int MeshInsertPoint(double x, double y, int source, int kind, int region, double spacing);
    void getMaxAngle(int t, double& quality, int& edge) const;
    void addTriangleSeq(int t);
    void delTriangleSeq(int t);
    void changeTriangleSeq(int oldT, int newT);
    void searchPoint(int vertex, int t, int& d, int& n) const;
    void swapTriangle();
    // Flips every free edge of the mesh that fails the circle test from either side, until
    // none does.
    void flipFailingEdges();

    // The triangles that have a split edge, in ascending quality (the worst first).
    std::vector<int> triangleSeq() const;
    int triangleSeqSize() const;
    int triangleSeqHead() const;

    // Domain check.
    int CheckPath();
    int enclosePath(double x, double y) const;

    // Rough mesh and boundary recovery.
    void roughMesh();
    void forceBoundary(int p, int q, int one, int segment);
    void dividePolygon(std::vector<int> triangles, int p, int q, int one);
    void removeOuterTriangle();
    void deleteTriangle(int t);
    void linkNextTriangle(int t);
    void setAgainstTriangle(int a, int b);
    int getDirection(int a, int b, int c) const;
    int AddIntegTable1(const QString& name, int chain, int node);

    // Refinement schemes.
    void smallMesh_type1();
    void smallMesh_type2();
    void smallMesh_type3();
    void CheckMaxAngle(int t, double& cosine, int& edge) const;

    // Smoothing and node removal.
    double getNeighborhood(int node, std::vector<int>& ring, std::vector<int>& fan);
    int checkCorrectPoint(const std::vector<int>& ring, double x, double y) const;
    double correctInnerPoint(int node);
    void deleteGridPoint(int node);
    // One smoothing pass; false when cancelled.
    bool smoothingPass(double& largest);
    // The smoothing loop with its stop test; calls back the scheme's progress per pass.
    template <class F> bool smoothingLoop(F progressForPass);
    // The three-triangle node removal; false when cancelled.
    bool removeThreeTriangleNodes();
    // Removes generated nodes that end up nearly on a line with two neighbours or nearly on
    // top of one: a triangle with an angle below 1 degree loses the generated end of its
    // shortest side, and its hole is triangulated again.
    void removeNodesOfFlatTriangles();
    // Puts an inner node on the bisector of every angle below 1 degree that no corner of the
    // figure narrower than 2 degrees forces, in rounds, until none is left or the budget is
    // spent; a mesh without such an angle is left as it is.
    void splitAvoidableFlatTriangles();
    // Removes an inner node of kind 1 or 3: its fan of triangles goes, the polygon of its ring
    // is triangulated again and flipped. False when that fails (the generation has failed).
    bool removeInnerNode(int node);

    // Rings, normals and region tables.
    void SetConnNorm();
    void SetInteg2Grid();
    int AddIntegTable2(const QString& label, int value, int triangle);

    // One-dimensional grid.
    void GridFor1D(double a, double b, int twoGrid);

    // The widget-free run of a two-dimensional generation: rough mesh, the refinement chosen by
    // meshType, rings and region tables. Returns true for a finished mesh; a cancelled or
    // failed generation leaves no grid points and no triangles.
    bool generate();

    // The lowest-index triangle that has the node as a vertex, -1 when none.
    int firstTriangleOf(int node) const;

private:
    void setProgressStage(const char* text);
    void setProgressPosition(int pos);
    void rate(int t);
    void unrate(int t);
    // Rates t again after its shape changed: as unrate before the change and rate after.
    void rerate(int t);
    void pushFlip(int t);
    bool edgeFailsCircleTest(const RGridPoint& A, const RGridPoint& B, const RGridPoint& C,
                             const RGridPoint& D) const;
    void flipEdge(int t, int vertexPos);
    int lookupRegion(double x, double y, int region);
    void clearMesh();
    bool stopped() const { return failed || cancel.load(std::memory_order_acquire); }
    // Whether the point lies outside the domain (parity of the closed paths) and farther than
    // the index's nearness from every path.
    bool outsideDomainByMargin(double x, double y) const;
    // The closed paths around the point. With `indexOnly`, -1 as soon as a path's index cannot
    // tell (the point lies near that path) instead of walking the path.
    int countEnclosingPaths(double x, double y, bool indexOnly) const;
    void appendTriangle(const RCellTriangle& tri);
    void touchTriangle(int t);
    bool clipPolygon(std::vector<RPoly>& poly, bool left);
    // Per triangle 1 inside the domain, 0 outside, walked from the enclosing corners across the
    // edges: crossing a piece of an outline segment changes the side. False when the walk does
    // not reach every triangle or meets one from two sides that disagree.
    bool walkDomainParity(std::vector<char>& inside) const;
    int locateScan(double x, double y, int& t, int& n, int& a, int& b) const;
    // The lowest-index node within the mesh tolerance of (x, y), -1 when none.
    int nodeNear(double x, double y) const;
    // WhereIsThisPt without its look for a node at the point.
    int locateInTriangles(double x, double y, int& t, int& n, int& a, int& b);
    // Whether a point located as `where` in triangle t (neighbour nb, vertex a opposite the
    // edge) can split it: on a free edge with a triangle beyond, every new triangle with area.
    bool canSplit(double x, double y, int where, int t, int nb, int a) const;
    // WhereIsThisPt's answers from exact orientations alone, without the tolerance; a point on
    // an edge is named from the lower-index triangle of the two.
    int locateExactly(double x, double y, int& t, int& n, int& a, int& b);
    // Splits what the location found for node N, then flips.
    void splitFor(int N, int where, int t, int nb, int a, int b);
    // Inserts a node that is already a grid point but in no triangle yet; 1 when refused.
    int insertPlacedNode(int node);
    int testTriangle(int tri, double x, double y) const;
    void prepareOutlineWalks();
    bool inOutline(double x, double y, int k) const;

    // The sweeps of splitAvoidableFlatTriangles; no flat angle it leaves is below `floor`.
    // With `strictFirst`, nodes that leave no flat triangle are looked for before any that
    // only improve one; without, only the latter.
    void splitFlatTriangleRounds(double floor, bool strictFirst);
    // The other order: always the flattest triangle next, one of its nodes taken out or a node
    // put in or near it, each kept when it improves the flat angles around.
    void splitFlattestFirst(double floor);
    // What one order of splitting may spend: nodes kept, nodes tried, the flip count it must
    // stay below (kFlatSplitFlips and 30 a triangle more than at its start), and triangles and
    // pieces looked at.
    struct FlatSplitLimits {
        long nodes = 0, tries = 0, scans = 0;
        long long flips = 0;
        bool bounded = false; // whether looks at pieces count against `scans`
        bool left() const { return nodes > 0 && tries > 0; }
    };
    FlatSplitLimits flatSplitLimits() const;
    // Tries to take flat triangle t away with one node (see RDelaunayFlatSplit.cpp); true when
    // a node was kept. `relaxed` keeps a node whose flat angles around it are all wider than
    // t's and not below `floor`; otherwise it must leave no flat angle around it.
    bool splitFlatTriangle(int t, bool relaxed, double floor, FlatSplitLimits& limits);
    // Tries to take flat triangle t (smallest angle `worst`) away by removing one of its
    // generated nodes, each node tried once until something changes (`removalTried`); true
    // when one was removed. `ended` names the node removed (kept, or put back as the last
    // node), -1 when none was.
    bool removeFlatTriangleNode(int t, double worst, FlatSplitLimits& limits, int& ended);
    std::set<std::pair<double, double>> removalTried;
    // How many triangles have an angle below 1 degree that no corner forces, and the
    // smallest such angle (radians; pi when there is none).
    void surveyFlatTriangles(long& count, double& smallest) const;
    // Puts back nodes and triangles kept earlier (swapping them in) and files them again in
    // the lookups and the quality sequence.
    void restoreMesh(std::vector<RGridPoint>& nodes, std::vector<RCellTriangle>& triangles);
    // The triangle with the nodes a, b and c as its vertices, -1 when there is none.
    int findTriangle(int a, int b, int c) const;
    // Puts fans of nodes around the corners at flat triangles whose two boundary edges differ
    // much in length, of `fewerSteps` steps fewer than the fairest; false when there is no
    // such corner.
    bool gradeCorners(int fewerSteps);
    // Removes the generated nodes that see the boundary piece of their triangle at more than
    // 178 degrees, round after round.
    void removePieceLensApexes();
    // Whether the point sees some division piece at an angle above 178 degrees: the piece's
    // triangle would then have an angle below 1 degree at one of its ends.
    bool inPieceLens(double x, double y) const;
    // Whether the point sees nodes a and b: no division piece crosses the lines to them.
    bool seesBoth(double x, double y, int a, int b) const;
    // Whether the mesh may be handed out: every triangle has area (counterclockwise, exactly)
    // and every division piece the rough mesh recovered is still an edge carrying its segment.
    // When not, `fault` says what and where.
    bool finishedMeshIsSound(QString& fault) const;
    // Whether every triangle keeps its area when the node coordinates are saved to the
    // document's 15 significant digits and read again. When not, `fault` says where.
    bool nodesSurviveSaving(QString& fault) const;
    // Moves every node to the coordinates the document keeps of it (15 significant digits, read
    // back), so that the mesh measured and handed out is the one a saved document holds; returns
    // the coordinates as generated (x, y of each node in turn).
    std::vector<double> roundNodesAsSaved();
    // Exchanges the coordinates of every node with those in `xy` (x, y of each node in turn).
    void swapNodeCoordinates(std::vector<double>& xy);
    // Ends the generation as failed and, for its first failure, tells the user why and where.
    void fail(const QString& reason);
    // "piece k of segment s, from (x, y) to (x, y)" for the division piece between two nodes
    // (of the segment that has such a piece when `segment` is negative).
    QString pieceText(int p, int q, int segment) const;

    // The division pieces the rough mesh made constrained edges: nodes p, q and the segment.
    // Boundary nodes keep their indices (only generated and fixed nodes are ever removed).
    struct Piece {
        int p, q, segment;
    };
    std::vector<Piece> pieces;

    bool fast = true;
    // While set, every node whose ring or whose distances to its ring may have changed is
    // appended here (the boundary-cell splitting follows them).
    std::vector<int>* changedNodes = nullptr;
    // Set once the outside triangles are removed: the mesh then covers the domain only.
    bool domainMeshed = false;
    RMeshIndex index;
    RQualitySeq seq;
    // Chord points of each outline and each closed path, as the winding tests walk them.
    std::vector<std::vector<double>> outlineWalkX, outlineWalkY;
    std::vector<double> outlineBox; // 4 per outline: xmin, xmax, ymin, ymax
    bool outlineWalksReady = false;
    std::vector<std::vector<double>> pathWalkX, pathWalkY;
    bool pathWalksReady = false;
    // The same winding tests filed for many points (fast paths only).
    std::vector<RWindingIndex> outlineIndex, pathIndex;
    void preparePathWalks();
};

template <class F> bool RDelaunay::smoothingLoop(F progressForPass)
{
    const double tol = 1e-5 * std::max(xMax - xMin, yMax - yMin);
    for (int p = 0; p < 10; ++p) {
        double largest = 0;
        if (!smoothingPass(largest))
            return false;
        if (largest < tol)
            break;
        progressForPass(p);
    }
    return true;
}
