#pragma once
#include <utility>
#include <vector>

class RTriangleMesh;
struct RSegment;

// The chord points of a segment walked from its start: two for a straight segment, division + 1
// for an arc (none for an arc without pieces).
void segmentChordPoints(const RTriangleMesh& mesh, const RSegment& seg, std::vector<double>& xs,
                        std::vector<double>& ys);

// Whether the chord a0-a1 crosses the chord b0-b1 as the figure's checks understand it: their
// ends lie strictly on both sides of each other, or they touch or overlap where one of them sees
// the other under an obtuse angle.
bool chordsCross(double a0x, double a0y, double a1x, double a1y, double b0x, double b0y,
                 double b1x, double b1y);

// The pairs of segments (lower index first, in ascending order) whose chords cross anywhere
// other than at an end point the two segments share.
std::vector<std::pair<int, int>> crossingSegmentPairs(const RTriangleMesh& mesh);
