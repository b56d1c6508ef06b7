// The rough mesh: the enclosing triangle, the boundary division points inserted segment by
// segment with every division piece recovered as a constrained edge, the inner free points, and
// the removal of the triangles outside the domain.
#include "document/RMessages.h"
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"
#include "mesh/RInsertionOrder.h"

#include <algorithm>
#include <cmath>

namespace {
int positionOf(const RCellTriangle& t, int node)
{
    for (int k = 0; k < 3; ++k)
        if (t.vertices[k] == node)
            return k;
    return -1;
}

// Whether the open pieces P-Q and E-D cross, decided exactly: a piece of a large figure passing
// close by a node is told from one through it, where rounded sides took both for neither.
bool piecesCross(const RGridPoint& P, const RGridPoint& Q, const RGridPoint& E, const RGridPoint& D)
{
    return exactOrientation(P.x, P.y, Q.x, Q.y, E.x, E.y)
                   * exactOrientation(P.x, P.y, Q.x, Q.y, D.x, D.y)
               < 0
           && exactOrientation(E.x, E.y, D.x, D.y, P.x, P.y)
                      * exactOrientation(E.x, E.y, D.x, D.y, Q.x, Q.y)
                  < 0;
}

// The edge of t joining the nodes a and b (the one opposite its third vertex), -1 when none.
int edgeJoining(const RCellTriangle& t, int a, int b)
{
    for (int k = 0; k < 3; ++k)
        if (t.vertices[k] != a && t.vertices[k] != b)
            return positionOf(t, a) >= 0 && positionOf(t, b) >= 0 ? k : -1;
    return -1;
}

void neverHappened()
{
    postMessage(MessageKind::Error, QStringLiteral("This is never happened."));
}
} // namespace

int RDelaunay::getDirection(int a, int b, int c) const
{
    const RGridPoint& A = mesh->gridPoints[a];
    const RGridPoint& B = mesh->gridPoints[b];
    const RGridPoint& C = mesh->gridPoints[c];
    return (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x) < 0 ? 1 : -1;
}

int RDelaunay::AddIntegTable1(const QString& name, int chain, int node)
{
    if (chain < 0) {
        const QString key = name.toUpper();
        for (int i = 0; i < int(lineTable.size()); ++i)
            if (lineTable[i].name.toUpper() == key) {
                chain = i;
                break;
            }
        if (chain < 0) {
            lineTable.push_back(RIntegral{name, {}});
            chain = int(lineTable.size()) - 1;
        }
        std::vector<int>& values = lineTable[chain].values;
        if (!values.empty())
            values.back() = -values.back();
    }
    lineTable[chain].values.push_back(node);
    return chain;
}

void RDelaunay::clearMesh()
{
    mesh->gridPoints.clear();
    mesh->triangles.clear();
    seq.clear();
    index.clear();
    flipCount = 0;
    flipTotal = 0;
    failed = false;
    domainMeshed = false;
    flipRule = FlipRule::OneSide;
}

void RDelaunay::linkNextTriangle(int t)
{
    RTriangleMesh& m = *mesh;
    const RCellTriangle& T = m.triangles[t];
    for (int i = 0; i < 3; ++i) {
        const int nb = T.neighbours[i];
        if (nb < 0)
            continue;
        RCellTriangle& M = m.triangles[nb];
        const int j = positionOf(M, T.oppVertex[i]);
        if (j < 0)
            continue;
        M.neighbours[j] = t;
        M.oppVertex[j] = T.vertices[i];
    }
}

void RDelaunay::setAgainstTriangle(int a, int b)
{
    RTriangleMesh& m = *mesh;
    int found[2] = {-1, -1}, third[2] = {-1, -1};
    int count = 0;
    auto consider = [&](int t) {
        const RCellTriangle& T = m.triangles[t];
        const int pa = positionOf(T, a), pb = positionOf(T, b);
        if (pa < 0 || pb < 0 || count >= 2)
            return;
        found[count] = t;
        third[count] = 3 - pa - pb;
        ++count;
    };
    if (fast && index.active()) {
        std::vector<int> cand = index.incident(a);
        std::sort(cand.begin(), cand.end());
        for (int t : cand)
            consider(t);
    } else {
        for (int t = 0; t < int(m.triangles.size()); ++t)
            consider(t);
    }
    if (count < 2)
        return;
    RCellTriangle& T1 = m.triangles[found[0]];
    RCellTriangle& T2 = m.triangles[found[1]];
    T1.neighbours[third[0]] = found[1];
    T1.oppVertex[third[0]] = T2.vertices[third[1]];
    T2.neighbours[third[1]] = found[0];
    T2.oppVertex[third[1]] = T1.vertices[third[0]];
}

void RDelaunay::deleteTriangle(int t)
{
    RTriangleMesh& m = *mesh;
    const int L = int(m.triangles.size()) - 1;
    if (m.triangles[t].splitEdge >= 0)
        delTriangleSeq(t);
    if (m.triangles[L].splitEdge >= 0)
        changeTriangleSeq(L, t);
    {
        const RCellTriangle T = m.triangles[t];
        for (int i = 0; i < 3; ++i) {
            const int nb = T.neighbours[i];
            if (nb < 0)
                continue;
            RCellTriangle& M = m.triangles[nb];
            const int j = positionOf(M, T.oppVertex[i]);
            if (j < 0)
                continue;
            M.neighbours[j] = -1;
            M.oppVertex[j] = -1;
        }
    }
    const RCellTriangle Lt = m.triangles[L];
    for (int i = 0; i < 3; ++i) {
        const int nb = Lt.neighbours[i];
        if (nb < 0)
            continue;
        RCellTriangle& M = m.triangles[nb];
        const int j = positionOf(M, Lt.oppVertex[i]);
        if (j < 0)
            continue;
        if (M.neighbours[j] >= 0)
            M.neighbours[j] = t;
    }
    for (auto* poly : {&leftPolygon, &rightPolygon})
        for (RPoly& r : *poly)
            if (r.outerTriangle == L)
                r.outerTriangle = t;
    if (fast)
        index.triangleDeleted(t, L);
    m.triangles[t] = m.triangles[L];
    m.triangles.pop_back();
}

bool RDelaunay::clipPolygon(std::vector<RPoly>& poly, bool left)
{
    RTriangleMesh& m = *mesh;
    auto makeTriangle = [&](int v0, int v1, int v2, const RPoly* e0, const RPoly* e1,
                            const RPoly* e2) {
        RCellTriangle T;
        T.vertices[0] = v0;
        T.vertices[1] = v1;
        T.vertices[2] = v2;
        const RPoly* e[3] = {e0, e1, e2};
        for (int k = 0; k < 3; ++k) {
            T.neighbours[k] = e[k] ? e[k]->outerTriangle : -1;
            T.oppVertex[k] = e[k] ? e[k]->outerVertex : -1;
            T.boundarySegments[k] = e[k] ? e[k]->segment : -1;
        }
        T.originTag = 9;
        T.orientationTag = getDirection(v0, v1, v2);
        appendTriangle(T);
        const int t = int(m.triangles.size()) - 1;
        rate(t);
        linkNextTriangle(t);
        pushFlip(t);
        return t;
    };
    // Position u is an ear when its corner turns the polygon's way and the triangle it cuts
    // off holds no other vertex of the polygon. Without the second test a corner beside a sharp
    // angle of the figure cut off a triangle over other vertices: the triangles overlapped and
    // the rest of the polygon could no longer be clipped. A vertex nearly on the line of its
    // neighbours is passed over while another ear exists; when a full round finds none, such
    // a corner is taken if it turns the polygon's way exactly.
    auto holdsNoVertex = [&](int i, int u, int w) {
        const RGridPoint& A = m.gridPoints[poly[i].vertex];
        const RGridPoint& B = m.gridPoints[poly[u].vertex];
        const RGridPoint& C = m.gridPoints[poly[w].vertex];
        const double xlo = std::min({A.x, B.x, C.x}), xhi = std::max({A.x, B.x, C.x});
        const double ylo = std::min({A.y, B.y, C.y}), yhi = std::max({A.y, B.y, C.y});
        const int turn = left ? 1 : -1;
        for (int k = 0; k < int(poly.size()); ++k) {
            if (k == i || k == u || k == w)
                continue;
            const RGridPoint& V = m.gridPoints[poly[k].vertex];
            if (V.x < xlo || V.x > xhi || V.y < ylo || V.y > yhi)
                continue;
            if (turn * exactOrientation(A.x, A.y, B.x, B.y, V.x, V.y) >= 0
                && turn * exactOrientation(B.x, B.y, C.x, C.y, V.x, V.y) >= 0
                && turn * exactOrientation(C.x, C.y, A.x, A.y, V.x, V.y) >= 0)
                return false;
        }
        return true;
    };
    int i = 0;
    int sinceClip = 0;
    bool strict = false;
    while (poly.size() > 3) {
        const int cnt = int(poly.size());
        const int u = (i + 1) % cnt, w = (u + 1) % cnt;
        const RGridPoint& Vi = m.gridPoints[poly[i].vertex];
        const RGridPoint& Vu = m.gridPoints[poly[u].vertex];
        const RGridPoint& Vw = m.gridPoints[poly[w].vertex];
        bool ear;
        if (!strict) {
            const double X = (Vu.x - Vi.x) * (Vw.y - Vi.y) - (Vu.y - Vi.y) * (Vw.x - Vi.x);
            ear = !m.isOnSimpleLine(Vu.x, Vu.y, Vi.x, Vi.y, Vw.x, Vw.y) && (left ? X > 0 : X <= 0);
        } else {
            const int turn = exactOrientation(Vi.x, Vi.y, Vu.x, Vu.y, Vw.x, Vw.y);
            ear = left ? turn > 0 : turn < 0;
        }
        ear = ear && holdsNoVertex(i, u, w);
        if (ear) {
            const RPoly recU = poly[u], recW = poly[w];
            int t;
            if (left)
                t = makeTriangle(poly[i].vertex, recU.vertex, recW.vertex, &recW, nullptr, &recU);
            else
                t = makeTriangle(recU.vertex, poly[i].vertex, recW.vertex, nullptr, &recW, &recU);
            poly[w].outerTriangle = t;
            poly[w].outerVertex = recU.vertex;
            poly[w].segment = -1;
            poly.erase(poly.begin() + u);
            sinceClip = 0;
            strict = false;
        } else if (++sinceClip > cnt) {
            if (strict)
                return false; // a full round without an ear: the polygon cannot be clipped
            strict = true;
            sinceClip = 0;
        }
        i = (i + 1) % int(poly.size());
    }
    if (poly.size() < 3)
        return false;
    const RPoly R0 = poly[0], R1 = poly[1], R2 = poly[2];
    if (left)
        makeTriangle(R0.vertex, R1.vertex, R2.vertex, &R2, &R0, &R1);
    else
        makeTriangle(R1.vertex, R0.vertex, R2.vertex, &R0, &R2, &R1);
    return true;
}

void RDelaunay::dividePolygon(std::vector<int> triangles, int p, int q, int)
{
    for (size_t k = 0; k < triangles.size(); ++k) {
        const int t = triangles[k];
        deleteTriangle(t);
        const int moved = int(mesh->triangles.size());
        for (size_t j = k + 1; j < triangles.size(); ++j)
            if (triangles[j] == moved)
                triangles[j] = t;
    }
    flipCount = 0;
    if (!clipPolygon(leftPolygon, true) || !clipPolygon(rightPolygon, false)) {
        fail(QStringLiteral("the mesh around ") + pieceText(p, q, -1)
             + QStringLiteral(", could not be rebuilt."));
        return;
    }
    setAgainstTriangle(p, q);
    swapTriangle();
}

void RDelaunay::forceBoundary(int p, int q, int, int s)
{
    RTriangleMesh& m = *mesh;
    const RGridPoint& P = m.gridPoints[p];
    const RGridPoint& Q = m.gridPoints[q];
    // The walks below end only at p; a piece that runs through another node, or so close to
    // it that the crossing tests cannot tell, ends them early.
    const QString throughNode =
        QStringLiteral(", passes through another node of the mesh or too close to one.");
    int t = firstTriangleOf(q);
    if (t < 0) {
        fail(pieceText(p, q, s) + QStringLiteral(", ends at no node of the mesh."));
        return;
    }
    int d = m.triangles[t].vertices[(positionOf(m.triangles[t], q) + 2) % 3];
    bool exists = false;
    // Turn around q; a full turn visits each triangle at q once.
    const int maxTurn = int(m.triangles.size()) + 1;
    int turns = 0;
    for (;; ++turns) {
        if (turns > maxTurn) {
            fail(pieceText(p, q, s) + throughNode);
            return;
        }
        const RCellTriangle& T = m.triangles[t];
        if (d == p) {
            exists = true;
            break;
        }
        const int e = T.vertices[0] + T.vertices[1] + T.vertices[2] - q - d;
        const int edgeED = positionOf(T, q); // the edge e-d is opposite q
        const RGridPoint& E = m.gridPoints[e];
        const RGridPoint& Dp = m.gridPoints[d];
        if (piecesCross(P, Q, E, Dp) && T.neighbours[edgeED] >= 0)
            break;
        const int edgeQD = positionOf(T, e);
        const int next = T.neighbours[edgeQD];
        if (next < 0) {
            fail(pieceText(p, q, s) + throughNode);
            return;
        }
        d = T.oppVertex[edgeQD];
        t = next;
    }
    if (!exists) {
        leftPolygon.clear();
        rightPolygon.clear();
        auto isLeft = [&](int v) {
            const RGridPoint& V = m.gridPoints[v];
            return (V.x - Q.x) * (P.y - Q.y) - (V.y - Q.y) * (P.x - Q.x) >= 0;
        };
        auto record = [&](int v, const RCellTriangle& T, int edge) {
            return RPoly{v, T.neighbours[edge], T.oppVertex[edge], T.boundarySegments[edge]};
        };
        const RCellTriangle& T = m.triangles[t];
        const int kq = positionOf(T, q);
        const int V1 = T.vertices[(kq + 1) % 3], V2 = T.vertices[(kq + 2) % 3];
        const RPoly r1 = record(V1, T, (kq + 2) % 3); // edge q-V1 is opposite V2
        const RPoly r2 = record(V2, T, (kq + 1) % 3); // edge V2-q is opposite V1
        if (isLeft(V1)) {
            leftPolygon.push_back(r1);
            rightPolygon.push_back(r2);
        } else {
            rightPolygon.push_back(r1);
            leftPolygon.push_back(r2);
        }
        // The piece may not cross a piece already made an edge: two segments cross there.
        auto crossesSegment = [&](int other) {
            fail(pieceText(p, q, s) + QStringLiteral(", crosses segment %1.").arg(other));
        };
        if (T.boundarySegments[kq] >= 0) {
            crossesSegment(T.boundarySegments[kq]);
            return;
        }
        int N = T.neighbours[kq];
        int D = T.oppVertex[kq];
        std::vector<int> cavity{t, N};
        const int maxCavity = int(m.triangles.size());
        while (D != p) {
            const RCellTriangle& Nt = m.triangles[N];
            const int kd = positionOf(Nt, D);
            if (kd < 0) {
                fail(pieceText(p, q, s) + throughNode);
                return;
            }
            const int A = Nt.vertices[(kd + 1) % 3];
            const RGridPoint& Dg = m.gridPoints[D];
            const RGridPoint& Ag = m.gridPoints[A];
            std::vector<RPoly>& poly = isLeft(D) ? leftPolygon : rightPolygon;
            int crossEdge;
            if (piecesCross(P, Q, Dg, Ag)) {
                poly.push_back(record(D, Nt, (kd + 1) % 3)); // edge B-D is opposite A
                crossEdge = (kd + 2) % 3;                     // edge D-A is opposite B
            } else {
                poly.push_back(record(D, Nt, (kd + 2) % 3));
                crossEdge = (kd + 1) % 3;
            }
            if (Nt.boundarySegments[crossEdge] >= 0) {
                crossesSegment(Nt.boundarySegments[crossEdge]);
                return;
            }
            D = Nt.oppVertex[crossEdge];
            N = Nt.neighbours[crossEdge];
            // The walk must reach p: a piece through a node, or a walk off the mesh, does not.
            if (N < 0 || D < 0 || int(cavity.size()) > maxCavity) {
                fail(pieceText(p, q, s) + throughNode);
                return;
            }
            cavity.push_back(N);
        }
        const RCellTriangle& M = m.triangles[cavity.back()];
        for (auto* poly : {&leftPolygon, &rightPolygon}) {
            const int lastV = poly->back().vertex;
            const int e = edgeJoining(M, lastV, p);
            if (e < 0) {
                fail(pieceText(p, q, s) + throughNode);
                return;
            }
            poly->push_back(record(p, M, e));
            poly->push_back(RPoly{q, -1, -1, s});
        }
        // A node whose triangles the piece crosses all around but one edge stands inside the
        // cavity on that edge alone: the side's polygon runs out to it and back (v, w, v).
        // Clipping such a polygon made a triangle with a repeated vertex and corrupted the
        // mesh, so the spur is taken out, the node put back in the rebuilt triangles, and the
        // edge recovered again when it is a piece already made an edge.
        struct Spur {
            int node, base, segment;
        };
        std::vector<Spur> spurs;
        for (auto* poly : {&leftPolygon, &rightPolygon})
            for (size_t i = 0; i + 2 < poly->size();) {
                if ((*poly)[i].vertex != (*poly)[i + 2].vertex) {
                    ++i;
                    continue;
                }
                spurs.push_back({(*poly)[i + 1].vertex, (*poly)[i].vertex,
                                 std::max((*poly)[i + 1].segment, (*poly)[i + 2].segment)});
                poly->erase(poly->begin() + long(i) + 1, poly->begin() + long(i) + 3);
                i = i > 0 ? i - 1 : 0; // the spur may sit at the end of a longer one
            }
        dividePolygon(cavity, p, q, 1);
        if (failed)
            return;
        // A spur at the end of a longer one has its base among the spurs too: every node is
        // put back before any of their pieces is recovered, the outer ones first.
        for (auto spur = spurs.rbegin(); spur != spurs.rend(); ++spur)
            if (insertPlacedNode(spur->node) != 0) {
                fail(pieceText(p, q, s) + throughNode);
                return;
            }
        for (auto spur = spurs.rbegin(); spur != spurs.rend(); ++spur)
            if (spur->segment >= 0) {
                forceBoundary(spur->base, spur->node, 1, spur->segment);
                if (failed)
                    return;
            }
        // The rebuilt cavity holds the piece as an edge: it is looked up among the triangles
        // at p. Locating the piece's middle cannot tell in a figure only a few tolerances wide,
        // where the middle lies within the tolerance of other edges as well.
        t = -1;
        auto hasPiece = [&](int k) { return edgeJoining(m.triangles[k], p, q) >= 0; };
        if (fast && index.active()) {
            for (int k : index.incident(p))
                if (hasPiece(k)) {
                    t = k;
                    break;
                }
        } else {
            for (int k = 0; k < int(m.triangles.size()) && t < 0; ++k)
                if (hasPiece(k))
                    t = k;
        }
        if (t < 0) {
            neverHappened();
            fail(pieceText(p, q, s) + QStringLiteral(", is no edge after the mesh around it "
                                                     "was rebuilt."));
            return;
        }
    }
    // Mark the piece constrained on both sides.
    RCellTriangle& T = m.triangles[t];
    const int e = edgeJoining(T, p, q);
    if (e < 0)
        return;
    const int nb = T.neighbours[e];
    unrate(t);
    T.boundarySegments[e] = s;
    rate(t);
    if (nb >= 0) {
        RCellTriangle& U = m.triangles[nb];
        const int eu = edgeJoining(U, p, q);
        if (eu >= 0) {
            unrate(nb);
            U.boundarySegments[eu] = s;
            rate(nb);
        }
    }
}

bool RDelaunay::walkDomainParity(std::vector<char>& inside) const
{
    const RTriangleMesh& m = *mesh;
    const int nt = int(m.triangles.size());
    inside.assign(size_t(nt), char(-1));
    const int start = firstTriangleOf(0);
    if (start < 0)
        return false;
    // The enclosing corners lie outside every closed path.
    std::vector<int> todo{start};
    inside[size_t(start)] = 0;
    int reached = 1;
    while (!todo.empty()) {
        const int t = todo.back();
        todo.pop_back();
        const RCellTriangle& T = m.triangles[t];
        for (int i = 0; i < 3; ++i) {
            const int nb = T.neighbours[i];
            if (nb < 0 || nb >= nt)
                continue;
            // Only a piece of an outline segment is a chord of a closed path.
            const int seg = T.boundarySegments[i];
            const bool crosses = seg >= 0 && seg < int(m.segments.size()) && m.segments[seg].type == 1;
            const char side = char(crosses ? 1 - inside[size_t(t)] : inside[size_t(t)]);
            if (inside[size_t(nb)] < 0) {
                inside[size_t(nb)] = side;
                todo.push_back(nb);
                ++reached;
            } else if (inside[size_t(nb)] != side) {
                return false;
            }
        }
    }
    return reached == nt;
}

void RDelaunay::removeOuterTriangle()
{
    RTriangleMesh& m = *mesh;
    // Every piece is a constrained edge, so each triangle lies wholly inside or wholly outside:
    // the parity of the paths around it follows from its neighbours' without a winding test,
    // which near a chord (a thin triangle along a finely divided arc) sums every chord's angle.
    // A walk that finds the parities inconsistent (a figure the check refuses) leaves each
    // triangle to the winding test of its centroid.
    std::vector<char> inside;
    const bool walked = walkDomainParity(inside);
    int i = 0;
    while (i < int(m.triangles.size())) {
        if (cancel.load(std::memory_order_acquire))
            return;
        bool keep;
        if (walked) {
            keep = inside[size_t(i)] == 1;
        } else {
            const RCellTriangle& T = m.triangles[i];
            const RGridPoint& a = m.gridPoints[T.vertices[0]];
            const RGridPoint& b = m.gridPoints[T.vertices[1]];
            const RGridPoint& c = m.gridPoints[T.vertices[2]];
            const double cx = (a.x + b.x + c.x) / 3.0, cy = (a.y + b.y + c.y) / 3.0;
            keep = enclosePath(cx, cy) % 2 == 1;
        }
        if (keep) {
            ++i;
            continue;
        }
        if (walked) {
            // The last triangle takes slot i.
            inside[size_t(i)] = inside.back();
            inside.pop_back();
        }
        deleteTriangle(i);
    }
}

void RDelaunay::roughMesh()
{
    RTriangleMesh& m = *mesh;
    setProgressStage("rough mesh");
    clearMesh();
    lineTable.clear();
    regionTable.clear();
    outlineWalksReady = false;
    pathWalksReady = false;
    pieces.clear();
    xMax = yMax = -1e30;
    xMin = yMin = 1e30;
    auto take = [&](double x, double y) {
        xMax = std::max(xMax, x);
        xMin = std::min(xMin, x);
        yMax = std::max(yMax, y);
        yMin = std::min(yMin, y);
    };
    for (int s = 0; s < int(m.segments.size()); ++s) {
        const RSegment& seg = m.segments[s];
        take(m.points[seg.startPoint].x, m.points[seg.startPoint].y);
        if (seg.radius == 0.0) {
            take(m.points[seg.endPoint].x, m.points[seg.endPoint].y);
        } else {
            for (int k = 1; k <= seg.division; ++k) {
                double x, y;
                m.divisionPoint(seg, k, x, y);
                take(x, y);
            }
        }
    }
    if (cancel.load(std::memory_order_acquire))
        return;
    const double dx = xMax - xMin, dy = yMax - yMin;
    RGridPoint corner;
    corner.nodeKind = 0;
    corner.regionCode = -1;
    corner.sourcePoint = -1;
    corner.spacing = 0;
    const double cxs[3] = {0.5 * (xMax + xMin), xMin - 0.6 * dx, xMax + 0.6 * dx};
    const double cys[3] = {yMin + 2.1 * dy, yMin - 0.03 * dy, yMin - 0.03 * dy};
    for (int k = 0; k < 3; ++k) {
        corner.x = cxs[k];
        corner.y = cys[k];
        m.gridPoints.push_back(corner);
    }
    if (fast) {
        // The grid covers the figure, where every later node lies; the corners clamp to its rim.
        index.reset(xMin, yMin, xMax, yMax, m.tolerance);
        for (int k = 0; k < 3; ++k)
            index.nodeAdded(k);
    }
    RCellTriangle first;
    first.vertices[0] = 0;
    first.vertices[1] = 1;
    first.vertices[2] = 2;
    first.orientationTag = -1;
    first.originTag = 0;
    first.splitEdge = -1;
    first.quality = 0;
    first.oppVertex = {-1, -1, -1};
    first.neighbours = {-1, -1, -1};
    first.boundarySegments = {-1, -1, -1};
    appendTriangle(first);
    maxSpacing = 0;
    minSpacing = 1e35;

    const int nseg = int(m.segments.size());
    // The boundary nodes are numbered in walking order, segment by segment, and each division
    // piece is noted; a figure point shared by segments is one node. Only then are the nodes
    // put into the triangulation, in an order that keeps the flips few (RInsertionOrder.h),
    // and after them the pieces are recovered as constrained edges in walking order.
    std::vector<int> placed;
    if (fast) {
        // A grid cell for every node or so, as the index would lay it out for their triangles.
        long long nodes = 0;
        for (const RSegment& seg : m.segments)
            nodes += std::max(1, seg.division);
        index.sizeFor(int(std::min(nodes, 1LL << 24)));
    }
    auto place = [&](double x, double y, int source, int region, double spacing) {
        RGridPoint g;
        g.x = x;
        g.y = y;
        g.sourcePoint = source;
        g.nodeKind = 2;
        g.spacing = spacing;
        g.regionCode = region;
        m.gridPoints.push_back(g);
        const int N = int(m.gridPoints.size()) - 1;
        if (fast)
            index.nodeAdded(N);
        placed.push_back(N);
        return N;
    };
    // The node standing at a figure point: an existing one, else a new boundary node.
    auto nodeAt = [&](int pt, int region, double spacing) {
        const RPoint& P = m.points[pt];
        const int existing = nodeNear(P.x, P.y);
        return existing >= 0 ? existing : place(P.x, P.y, pt, region, spacing);
    };
    for (int s = 0; s < nseg; ++s) {
        const RSegment seg = m.segments[s];
        const int nd = seg.division;
        int prev = nodeAt(seg.startPoint, m.points[seg.startPoint].region, m.calcDeltaLength(1, s));
        const bool labelled = !seg.label.isEmpty();
        int chain = -1;
        if (labelled)
            chain = AddIntegTable1(seg.label, -1, prev);
        for (int k = 1; k <= nd - 1; ++k) {
            double x, y;
            m.divisionPoint(seg, k, x, y);
            const RGridPoint& pg = m.gridPoints[prev];
            const double d = std::sqrt((x - pg.x) * (x - pg.x) + (y - pg.y) * (y - pg.y));
            maxSpacing = std::max(maxSpacing, d);
            minSpacing = std::min(minSpacing, d);
            // A division point on a node already there cannot become a node of its own.
            if (!std::isfinite(x) || !std::isfinite(y) || nodeNear(x, y) >= 0) {
                fail(QStringLiteral("division point %1 of segment %2, at (%3, %4), lies on "
                                    "another node.")
                         .arg(k)
                         .arg(s)
                         .arg(x, 0, 'g', 15)
                         .arg(y, 0, 'g', 15));
                return;
            }
            const int g = place(x, y, -1, seg.region, d);
            pieces.push_back({prev, g, s});
            if (labelled)
                AddIntegTable1(seg.label, chain, g);
            prev = g;
        }
        const RPoint& P2 = m.points[seg.endPoint];
        const RGridPoint& pg = m.gridPoints[prev];
        const double d = std::sqrt((P2.x - pg.x) * (P2.x - pg.x) + (P2.y - pg.y) * (P2.y - pg.y));
        maxSpacing = std::max(maxSpacing, d);
        minSpacing = std::min(minSpacing, d);
        const int end = nodeAt(seg.endPoint, P2.region, d);
        if (labelled)
            AddIntegTable1(seg.label, chain, end);
        pieces.push_back({prev, end, s});
        if (cancel.load(std::memory_order_acquire))
            return;
    }
    {
        std::vector<double> xs, ys;
        xs.reserve(placed.size());
        ys.reserve(placed.size());
        for (int node : placed) {
            xs.push_back(m.gridPoints[node].x);
            ys.push_back(m.gridPoints[node].y);
        }
        // Exact flips make these nodes a Delaunay triangulation of them; the recovery of the
        // pieces and everything after flip with the margin again.
        flipRule = FlipRule::Exact;
        for (int i : roughInsertionOrder(xs, ys)) {
            if (insertPlacedNode(placed[size_t(i)]) != 0) {
                const RGridPoint& g = m.gridPoints[placed[size_t(i)]];
                fail(QStringLiteral("the boundary node at (%1, %2) lies too close to another "
                                    "node or segment.")
                         .arg(g.x, 0, 'g', 15)
                         .arg(g.y, 0, 'g', 15));
            }
            if (stopped())
                break;
        }
        flipRule = FlipRule::OneSide;
        if (stopped())
            return;
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece piece = pieces[i];
        forceBoundary(piece.p, piece.q, 1, piece.segment);
        if (stopped())
            return;
        if (i + 1 == pieces.size() || pieces[i + 1].segment != piece.segment)
            setProgressPosition((4 * piece.segment) / nseg);
    }
    for (int pt : innerPoints) {
        const RPoint& P = m.points[pt];
        MeshInsertPoint(P.x, P.y, pt, 3, P.region, minSpacing);
        if (cancel.load(std::memory_order_acquire))
            return;
    }
    removeOuterTriangle();
    domainMeshed = true;
    flipRule = FlipRule::FlatBothSides;
    if (cancel.load(std::memory_order_acquire))
        return;
    setProgressPosition(4);
}
