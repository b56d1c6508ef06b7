#include "fuzz/MeshFuzzing.h"

#include "document/RMORVDocument.h"
#include "document/RTriangleMesh.h"
#include "mesh/RDelaunay.h"
#include "mesh/RExactPredicates.h"
#include "mesh/RMeshQuality.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
// The size of a figure: the work of the refinements grows with the boundary nodes (the
// worst-edge-first scheme offers at most 20 points per node, the lattice covers an area that
// the boundary's length bounds).
constexpr int MaxPoints = 24;
constexpr int MaxCommands = 24;
constexpr int MaxSegments = 40;
constexpr int MaxDivision = 24;
constexpr int MaxPieces = 200;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool atEnd() const { return pos_ >= size_; }
    int byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int signedByte() { return static_cast<std::int8_t>(static_cast<std::uint8_t>(byte())); }
    int signedWord()
    {
        const int low = byte();
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (byte() << 8)));
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

struct Shape {
    int division = 1;
    int radiusCode = 0;
    double bias = 0;
};

struct Command {
    int kind = 0;             // 0 loop, 1 inner border, 2 free point, 3 outline segment
    bool keepOrder = false;   // loop corners as given
    std::vector<int> points;  // decoded point numbers
    std::vector<Shape> shapes;
};

// The value as the document file stores it (15 significant digits), so that a figure saved
// for a finding meshes as it did here.
double stored(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.14E", v);
    return std::strtod(text, nullptr);
}

Shape readShape(Bytes& in)
{
    Shape s;
    s.division = 1 + in.byte() % MaxDivision;
    s.radiusCode = in.signedByte();
    const int b = in.signedByte();
    s.bias = std::abs(b) < 16 ? 0.0 : stored(b / 128.0 * 0.95);
    return s;
}

// Appends the segment when the segment dialog would take it; false otherwise.
bool addSegment(RTriangleMesh& f, int start, int end, int type, int region, const Shape& shape)
{
    if (start == end)
        return false;
    if (type == 1) {
        int total = 0, atStart = 0, atEnd = 0;
        f.countConnection(start, total, atStart);
        f.countConnection(end, total, atEnd);
        if (atStart >= 2 || atEnd >= 2)
            return false;
    }
    const RPoint& a = f.points[start];
    const RPoint& b = f.points[end];
    RSegment c;
    c.startPoint = start;
    c.endPoint = end;
    if (std::abs(shape.radiusCode) >= 8) {
        const double chord = std::hypot(b.x - a.x, b.y - a.y);
        const double factor = 0.9 + (std::abs(shape.radiusCode) - 8) / 24.0;
        c.radius = stored((shape.radiusCode > 0 ? 1 : -1) * factor * chord / 2);
    }
    c.bias = shape.bias;
    c.division = shape.division;
    c.type = type;
    c.region = region;
    RTriangleMesh::segmentHandle(a.x, a.y, b.x, b.y, c.radius, c.handleX, c.handleY);
    for (int i = 0; i < int(f.points.size()); ++i)
        if (i != start && i != end && f.isOnSegment(c, f.points[i].x, f.points[i].y))
            return false;
    for (const RSegment& s : f.segments) {
        if (f.isCrossingSegment(c, s))
            return false;
        // The dialog takes a segment whose pieces lie on those of an earlier one between the
        // same two points (their shared ends exempt them from the crossing test): two straight
        // ones, or an arc of one division, which is meshed as its chord. What the mesher makes
        // of such a figure is known, so the figures here leave it out unless
        // MORV_FUZZ_COINCIDENT is set.
        static const bool coincident = !qEnvironmentVariableIsEmpty("MORV_FUZZ_COINCIDENT");
        const bool sameEnds = (s.startPoint == start && s.endPoint == end)
                              || (s.startPoint == end && s.endPoint == start);
        const bool chords = (s.radius == 0 || s.division == 1) && (c.radius == 0 || c.division == 1);
        if (!coincident && sameEnds
            && (chords || f.isSamePt(s.handleX, s.handleY, c.handleX, c.handleY)))
            return false;
    }
    const int index = int(f.segments.size());
    f.segments.push_back(c);
    f.points[start].connections.push_back(index);
    f.points[end].connections.push_back(index);
    f.NewConnection(start, end, region);
    return true;
}

std::uint64_t edgeKey(int a, int b)
{
    return (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
}

std::uint64_t pointKey(double x, double y)
{
    std::uint64_t kx = 0, ky = 0;
    std::memcpy(&kx, &x, sizeof kx);
    std::memcpy(&ky, &y, sizeof ky);
    return kx * 0x9E3779B97F4A7C15ULL ^ ky;
}

// The angle at a between the directions to b and to c, in radians.
double angleAt(const RGridPoint& a, const RGridPoint& b, const RGridPoint& c)
{
    const double ux = b.x - a.x, uy = b.y - a.y, vx = c.x - a.x, vy = c.y - a.y;
    return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy);
}

double distanceToPiece(const RGridPoint& p, const RGridPoint& a, const RGridPoint& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    double u = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    u = std::clamp(u, 0.0, 1.0);
    return std::hypot(p.x - a.x - u * dx, p.y - a.y - u * dy);
}

// The nodes whose triangles may keep an angle below 1 degree because the boundary leaves no
// room for better, the pieces of segments never being split:
// - where two pieces meet below 2 degrees, triangles across the corner are as narrow as it is,
//   up to about the pieces' length from it (every node within twice the longer piece);
// - a piece whose middle lies nearer another piece (one it does not touch) than tan 2 degrees
//   of its length bounds a channel in which no triangle reaches 1 degree near the piece (every
//   node within the piece's length of its middle).
std::vector<char> excusedNodes(const RTriangleMesh& m, const std::vector<std::pair<int, int>>& pieces)
{
    const std::vector<RGridPoint>& g = m.gridPoints;
    const double corner = 2 * Pi / 180.0, channel = std::tan(corner);
    struct Disc {
        double x, y, r;
    };
    std::vector<Disc> discs;
    std::map<int, std::vector<int>> piecesAt;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        piecesAt[pieces[i].first].push_back(int(i));
        piecesAt[pieces[i].second].push_back(int(i));
    }
    auto length = [&](int i) {
        return std::hypot(g[pieces[i].second].x - g[pieces[i].first].x,
                          g[pieces[i].second].y - g[pieces[i].first].y);
    };
    auto otherEnd = [&](int i, int node) {
        return pieces[i].first == node ? pieces[i].second : pieces[i].first;
    };
    for (const auto& [node, at] : piecesAt)
        for (std::size_t i = 0; i < at.size(); ++i)
            for (std::size_t j = i + 1; j < at.size(); ++j) {
                const int a = otherEnd(at[i], node), b = otherEnd(at[j], node);
                if (a != b && angleAt(g[node], g[a], g[b]) < corner)
                    discs.push_back({g[node].x, g[node].y,
                                     2 * std::max(length(at[i]), length(at[j]))});
            }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto [p, q] = pieces[i];
        RGridPoint middle;
        middle.x = 0.5 * (g[p].x + g[q].x);
        middle.y = 0.5 * (g[p].y + g[q].y);
        const double limit = channel * length(int(i));
        for (std::size_t j = 0; j < pieces.size(); ++j) {
            const auto [r, s] = pieces[j];
            if (r == p || r == q || s == p || s == q)
                continue;
            if (distanceToPiece(middle, g[r], g[s]) < limit) {
                discs.push_back({middle.x, middle.y, length(int(i))});
                break;
            }
        }
    }
    std::vector<char> excused(g.size(), 0);
    for (const Disc& d : discs)
        for (std::size_t k = 3; k < g.size(); ++k)
            if (std::hypot(g[k].x - d.x, g[k].y - d.y) <= d.r)
                excused[k] = 1;
    return excused;
}

std::string text(const char* kind, const std::string& detail)
{
    return std::string(kind) + ": " + detail;
}

std::string num(long long v) { return std::to_string(v); }

} // namespace

bool saveFigureDocument(const RTriangleMesh& figure, const FuzzMeshSettings& settings,
                        const QString& path)
{
    RMORVDocument document;
    SControlData& control = *document.compiler->control;
    control.PARMX = 1;
    control.PARMY = 1;
    control.spaceDimension = 2;
    document.mesh->points = figure.points;
    document.mesh->segments = figure.segments;
    document.mesh->outlines = figure.outlines;
    document.mesh->groupCount = figure.groupCount;
    document.meshType = settings.meshType;
    document.meshAngle = settings.meshAngle;
    return document.savefile(path) == 0;
}

double figureDomainArea(const RTriangleMesh& m)
{
    std::vector<std::vector<double>> wx, wy;
    for (const RPath& p : m.paths) {
        std::vector<double> xs, ys;
        int cur = m.segments[p.segments[0]].startPoint;
        xs.push_back(m.points[cur].x);
        ys.push_back(m.points[cur].y);
        for (int s : p.segments) {
            const RSegment& seg = m.segments[s];
            const bool fromEnd = cur == seg.endPoint;
            const int other = seg.startPoint + seg.endPoint - cur;
            for (int k = 1; k <= seg.division; ++k) {
                double x = m.points[other].x, y = m.points[other].y;
                if (k < seg.division)
                    m.walkPoint(seg, fromEnd, k, x, y);
                xs.push_back(x);
                ys.push_back(y);
            }
            cur = other;
        }
        wx.push_back(std::move(xs));
        wy.push_back(std::move(ys));
    }
    double total = 0;
    for (std::size_t i = 0; i < wx.size(); ++i) {
        // Taken about the path's first point: products of coordinates far from the origin
        // cancel to an error far above the area of a small figure there.
        const double ox = wx[i][0], oy = wy[i][0];
        double twice = 0;
        for (std::size_t k = 1; k < wx[i].size(); ++k)
            twice += (wx[i][k - 1] - ox) * (wy[i][k] - oy) - (wx[i][k] - ox) * (wy[i][k - 1] - oy);
        int depth = 0;
        for (std::size_t j = 0; j < wx.size(); ++j)
            if (j != i && std::fabs(RTriangleMesh::windingSum(wx[i][0], wy[i][0], wx[j], wy[j])) > Pi)
                ++depth;
        total += (depth % 2 == 0 ? 0.5 : -0.5) * std::fabs(twice);
    }
    return total;
}

bool decodeFigure(const std::uint8_t* data, std::size_t size, RTriangleMesh& f,
                  FuzzMeshSettings& settings)
{
    Bytes in(data, size);
    settings.meshType = in.byte() % 5;
    settings.meshAngle = in.signedByte() * 1.5;
    // Coordinates are decimals of a few digits (an exact power of ten applied once), so that
    // the document file holds them exactly.
    const int exponent = in.byte() % 11 - 5;
    const double power = std::pow(10.0, std::abs(exponent));
    auto coordinate = [&](int units) {
        return exponent >= 0 ? units / 256.0 * power : units / 256.0 / power;
    };
    const int pointCount = 1 + in.byte() % MaxPoints;
    std::vector<double> px(pointCount), py(pointCount);
    for (int i = 0; i < pointCount; ++i) {
        px[i] = coordinate(in.signedWord());
        py[i] = coordinate(in.signedWord());
    }
    std::vector<Command> commands;
    while (!in.atEnd() && int(commands.size()) < MaxCommands) {
        Command c;
        const int head = in.byte();
        c.kind = head & 3;
        int corners = 0;
        if (c.kind == 0) {
            const int k = in.byte();
            corners = 3 + k % 8;
            c.keepOrder = (k & 0x80) != 0;
        } else {
            corners = c.kind == 2 ? 1 : 2;
        }
        for (int i = 0; i < corners; ++i)
            c.points.push_back(in.byte() % pointCount);
        const int shapes = c.kind == 0 ? corners : c.kind == 2 ? 0 : 1;
        for (int i = 0; i < shapes; ++i)
            c.shapes.push_back(readShape(in));
        commands.push_back(std::move(c));
    }

    // The points in the order of their first use, placed as the point dialog places them; the
    // tolerance is the editor's for a view of the whole figure.
    std::vector<int> used;
    for (const Command& c : commands)
        for (int p : c.points)
            if (std::find(used.begin(), used.end(), p) == used.end())
                used.push_back(p);
    if (used.empty())
        return false;
    double xmin = 1e300, xmax = -1e300, ymin = 1e300, ymax = -1e300;
    for (int p : used) {
        xmin = std::min(xmin, px[p]);
        xmax = std::max(xmax, px[p]);
        ymin = std::min(ymin, py[p]);
        ymax = std::max(ymax, py[p]);
    }
    const double tolerance = 1e-8 * std::max(xmax - xmin, ymax - ymin);
    f.tolerance = tolerance > 0 ? tolerance : 1e-10;
    std::vector<int> figurePoint(pointCount, -1);
    int loopNumber = 0;
    for (const Command& c : commands) {
        const int region = c.kind == 0 ? loopNumber++ % 3 : 0;
        for (int p : c.points) {
            if (figurePoint[p] >= 0)
                continue;
            for (int i = 0; i < int(f.points.size()) && figurePoint[p] < 0; ++i)
                if (f.isSamePt(px[p], py[p], f.points[i].x, f.points[i].y))
                    figurePoint[p] = i;
            if (figurePoint[p] >= 0)
                continue;
            RPoint q;
            q.x = px[p];
            q.y = py[p];
            q.region = region;
            q.group = f.groupCount++;
            figurePoint[p] = int(f.points.size());
            f.points.push_back(q);
        }
    }

    loopNumber = 0;
    int pieces = 0;
    for (const Command& c : commands) {
        std::vector<int> pts;
        for (int p : c.points)
            if (std::find(pts.begin(), pts.end(), figurePoint[p]) == pts.end())
                pts.push_back(figurePoint[p]);
        const int region = c.kind == 0 ? loopNumber++ % 3 : 0;
        auto add = [&](int a, int b, int type, const Shape& shape) {
            if (int(f.segments.size()) >= MaxSegments || pieces + shape.division > MaxPieces)
                return false;
            if (addSegment(f, a, b, type, region, shape))
                pieces += shape.division;
            return true;
        };
        if (c.kind == 0) {
            if (pts.size() < 2)
                continue;
            if (!c.keepOrder) {
                double cx = 0, cy = 0;
                for (int p : pts) {
                    cx += f.points[p].x;
                    cy += f.points[p].y;
                }
                cx /= double(pts.size());
                cy /= double(pts.size());
                std::stable_sort(pts.begin(), pts.end(), [&](int a, int b) {
                    return std::atan2(f.points[a].y - cy, f.points[a].x - cx)
                           < std::atan2(f.points[b].y - cy, f.points[b].x - cx);
                });
            }
            const int n = int(pts.size());
            for (int i = 0; i < n; ++i)
                if (!add(pts[i], pts[(i + 1) % n], 1, c.shapes[std::size_t(i)]))
                    return false;
        } else if (c.kind == 1 || c.kind == 3) {
            if (pts.size() == 2 && !add(pts[0], pts[1], c.kind == 3 ? 1 : 0, c.shapes[0]))
                return false;
        }
    }
    // What the segments and outlines derive from their points is stored too.
    for (RSegment& seg : f.segments) {
        seg.handleX = stored(seg.handleX);
        seg.handleY = stored(seg.handleY);
    }
    for (ROutline& o : f.outlines) {
        o.labelX = stored(o.labelX);
        o.labelY = stored(o.labelY);
        o.area = stored(o.area);
    }
    settings.meshAngle = std::fmod(settings.meshAngle, 360.0);
    return true;
}

std::string checkFinishedMesh(const RDelaunay& generator, bool angles)
{
    const RTriangleMesh& m = *generator.mesh;
    const int nodes = int(m.gridPoints.size());
    const int nt = int(m.triangles.size());
    if (nt == 0)
        return text("empty mesh", "a generation reported as finished left no triangle");

    // Nodes 0 to 2 are the corners of the enclosing triangle, which no triangle keeps.
    std::vector<char> usedNode(std::size_t(std::max(nodes, 0)), 0);
    for (int t = 0; t < nt; ++t) {
        const auto& v = m.triangles[t].vertices;
        for (int i = 0; i < 3; ++i) {
            if (v[i] < 3 || v[i] >= nodes)
                return text("triangle vertex", "triangle " + num(t) + " uses node " + num(v[i]));
            usedNode[v[i]] = 1;
        }
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
            return text("triangle vertex", "triangle " + num(t) + " repeats a node");
        const RGridPoint& a = m.gridPoints[v[0]];
        const RGridPoint& b = m.gridPoints[v[1]];
        const RGridPoint& c = m.gridPoints[v[2]];
        if (exactOrientation(a.x, a.y, b.x, b.y, c.x, c.y) <= 0)
            return text("orientation", "triangle " + num(t) + " (nodes " + num(v[0]) + " "
                                           + num(v[1]) + " " + num(v[2])
                                           + ") is flat or turns clockwise");
    }
    for (int i = 3; i < nodes; ++i)
        if (!usedNode[i])
            return text("unused node", "node " + num(i) + " is a vertex of no triangle");

    // Every directed edge once; the triangle across it is the neighbour, and both sides carry
    // the same segment; an edge with one side is a piece of an outline segment.
    std::unordered_map<std::uint64_t, std::pair<int, int>> directed;
    directed.reserve(std::size_t(nt) * 3);
    for (int t = 0; t < nt; ++t) {
        const auto& v = m.triangles[t].vertices;
        for (int i = 0; i < 3; ++i) {
            const auto [it, added] = directed.emplace(edgeKey(v[(i + 1) % 3], v[(i + 2) % 3]),
                                                      std::make_pair(t, i));
            if (!added)
                return text("overlap", "triangles " + num(it->second.first) + " and " + num(t)
                                           + " run along the edge " + num(v[(i + 1) % 3]) + "-"
                                           + num(v[(i + 2) % 3]) + " the same way");
        }
    }
    const int segments = int(m.segments.size());
    for (int t = 0; t < nt; ++t) {
        const RCellTriangle& T = m.triangles[t];
        for (int i = 0; i < 3; ++i) {
            const int a = T.vertices[(i + 1) % 3], b = T.vertices[(i + 2) % 3];
            const auto across = directed.find(edgeKey(b, a));
            const int expected = across == directed.end() ? -1 : across->second.first;
            if (T.neighbours[i] != expected)
                return text("neighbours", "triangle " + num(t) + " names " + num(T.neighbours[i])
                                              + " across the edge " + num(a) + "-" + num(b)
                                              + ", where " + num(expected) + " lies");
            const int s = T.boundarySegments[i];
            if (s >= segments)
                return text("boundary edge", "triangle " + num(t) + " names segment " + num(s));
            if (across != directed.end()) {
                const RCellTriangle& N = m.triangles[across->second.first];
                if (N.boundarySegments[across->second.second] != s)
                    return text("boundary edge", "the two sides of the edge " + num(a) + "-"
                                                     + num(b) + " carry different segments");
            } else if (s < 0 || m.segments[s].type != 1) {
                return text("boundary edge", "the edge " + num(a) + "-" + num(b) + " of triangle "
                                                 + num(t)
                                                 + " has no triangle across and is no piece of an outline");
            }
        }
    }

    // Every division piece of every segment is an edge carrying the segment.
    std::unordered_multimap<std::uint64_t, int> nodeAt;
    for (int i = 3; i < nodes; ++i)
        nodeAt.emplace(pointKey(m.gridPoints[i].x, m.gridPoints[i].y), i);
    auto findNode = [&](double x, double y) {
        const auto range = nodeAt.equal_range(pointKey(x, y));
        for (auto it = range.first; it != range.second; ++it)
            if (m.gridPoints[it->second].x == x && m.gridPoints[it->second].y == y)
                return it->second;
        for (int i = 3; i < nodes; ++i)
            if (m.isSamePt(x, y, m.gridPoints[i].x, m.gridPoints[i].y))
                return i;
        return -1;
    };
    std::vector<std::pair<int, int>> pieces;
    for (int s = 0; s < segments; ++s) {
        const RSegment& seg = m.segments[s];
        int prev = findNode(m.points[seg.startPoint].x, m.points[seg.startPoint].y);
        for (int k = 1; k <= seg.division; ++k) {
            double x = m.points[seg.endPoint].x, y = m.points[seg.endPoint].y;
            if (k < seg.division)
                m.divisionPoint(s, k, x, y);
            const int cur = findNode(x, y);
            if (prev < 0 || cur < 0)
                return text("piece", "division point " + num(cur < 0 ? k : k - 1) + " of segment "
                                         + num(s) + " has no node");
            const auto one = directed.find(edgeKey(prev, cur));
            const auto other = directed.find(edgeKey(cur, prev));
            if (one == directed.end() && other == directed.end())
                return text("piece", "piece " + num(k) + " of segment " + num(s) + " is no edge");
            for (const auto& side : {one, other})
                if (side != directed.end()
                    && m.triangles[side->second.first].boundarySegments[side->second.second] != s)
                    return text("piece", "piece " + num(k) + " of segment " + num(s)
                                             + " does not carry its segment");
            pieces.push_back({prev, cur});
            prev = cur;
        }
    }

    double area = 0, absolute = 0;
    for (const RCellTriangle& T : m.triangles) {
        const RGridPoint& a = m.gridPoints[T.vertices[0]];
        const RGridPoint& b = m.gridPoints[T.vertices[1]];
        const RGridPoint& c = m.gridPoints[T.vertices[2]];
        const double half = 0.5 * ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
        area += half;
        absolute += std::fabs(half);
    }
    const double expected = figureDomainArea(m);
    if (std::fabs(area - expected) > 1e-8 * (absolute + std::fabs(expected)))
        return text("area", "the triangles cover " + std::to_string(area) + " of a domain of "
                                + std::to_string(expected));

    if (angles) {
        const std::vector<char> excused = excusedNodes(m, pieces);
        const double smallest = Pi / 180.0;
        // A flat triangle of boundary nodes alone (the segments' division nodes) is one the
        // refinement placed no node near, told apart from one with a node the refinement
        // placed or an inner point of the figure: their causes differ.
        auto boundaryNode = [&](int node) { return m.gridPoints[node].nodeKind == 2; };
        for (int t = 0; t < nt; ++t) {
            const auto& v = m.triangles[t].vertices;
            if (excused[v[0]] || excused[v[1]] || excused[v[2]] || flatAngleForced(m, t))
                continue;
            const bool unsplit = boundaryNode(v[0]) && boundaryNode(v[1]) && boundaryNode(v[2]);
            for (int i = 0; i < 3; ++i) {
                const double angle = angleAt(m.gridPoints[v[i]], m.gridPoints[v[(i + 1) % 3]],
                                             m.gridPoints[v[(i + 2) % 3]]);
                if (angle < smallest)
                    return text(unsplit ? "unsplit angle" : "angle",
                                "triangle " + num(t) + " has an angle of "
                                    + std::to_string(angle * 180 / Pi) + " degrees at node "
                                    + num(v[i]));
            }
        }
    }
    return {};
}
