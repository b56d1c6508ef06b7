#pragma once
#include <vector>

// The winding test of one closed walk (a point is inside when the signed angles it sees along
// the walk add up to more than pi in magnitude) for many points, without summing an angle per
// walk point: the chords are filed by horizontal bands, and a point counts the chords of its
// band that cross the ray to its right, with exact orientation signs. That count is the winding
// number, which the angle sum equals up to rounding far below pi for a point not very close to
// the walk. A point that close is left to the angle sum.
class RWindingIndex {
public:
    // The walk's points in order; it must end where it began (up to rounding) to be usable.
    // Points nearer to the walk than minNearness (or than its own rounding bound) are left to
    // the angle sum.
    void build(const std::vector<double>& xs, const std::vector<double>& ys,
               double minNearness = 0.0);
    // 1 inside, 0 outside, -1 when the point lies too close to the walk (or the walk is not
    // closed) to be decided here.
    int classify(double x, double y) const;

private:
    bool usable = false;
    std::vector<double> px, py; // chord i runs from point i to point i + 1
    double y0 = 0, bandHeight = 1, nearness = 0;
    int bands = 0;
    std::vector<int> bandStart; // chords of band b: bandChords[bandStart[b] .. bandStart[b + 1])
    std::vector<int> bandChords;
};
