#pragma once
#include <cmath>

// Exact signs of the two determinants a triangulation is built on. Each is evaluated in floating
// point first and trusted when it lies beyond its rounding-error bound; otherwise it is evaluated
// again without rounding, as a sum of non-overlapping doubles. So a sign never depends on which
// of two equal configurations is asked about, or in which vertex order.

// +1 when a, b, c turn counterclockwise, -1 when clockwise, 0 when they are collinear.
int exactOrientation(double ax, double ay, double bx, double by, double cx, double cy);

// For a counterclockwise a, b, c: +1 when d lies inside their circumcircle, -1 outside, 0 on it
// (the signs swap for a clockwise a, b, c). The sign is the same for (d, c, b, a).
int exactInCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                  double dy);

// For a counterclockwise a, b, c: +1 when d lies strictly inside their circumcircle shrunk, about
// the same centre, to `shrink` (0 < shrink <= 1) of its squared radius; 0 on that circle, -1
// outside. Exact for the given doubles: the sign of 4 I o - (1 - shrink) |ab|^2 |bc|^2 |ca|^2,
// where I is the in-circle determinant and o the orientation determinant of a, b, c.
int exactInShrunkCircle(double ax, double ay, double bx, double by, double cx, double cy,
                        double dx, double dy, double shrink);

// As exactInShrunkCircle, but the circle is shrunk by (1 - shrink) times the smaller of its
// squared radius and `capSquared`: true when the power of d about the circle is below
// -(1 - shrink) min(R^2, capSquared). For a nearly flat a, b, c the radius is huge, and a margin
// in proportion to it would keep every point out.
bool exactInCircleByMargin(double ax, double ay, double bx, double by, double cx, double cy,
                           double dx, double dy, double shrink, double capSquared);

// The in-circle determinant of a, b, c, d in floating point, with the bound of its rounding
// error: its sign is the exact one when |value| > bound. Inline, for the flip test's common case
// of a point clearly outside the circle.
inline double inCircleEstimate(double ax, double ay, double bx, double by, double cx, double cy,
                               double dx, double dy, double& bound)
{
    const double adx = ax - dx, ady = ay - dy;
    const double bdx = bx - dx, bdy = by - dy;
    const double cdx = cx - dx, cdy = cy - dy;
    const double bdxcdy = bdx * cdy, cdxbdy = cdx * bdy;
    const double cdxady = cdx * ady, adxcdy = adx * cdy;
    const double adxbdy = adx * bdy, bdxady = bdx * ady;
    const double alift = adx * adx + ady * ady;
    const double blift = bdx * bdx + bdy * bdy;
    const double clift = cdx * cdx + cdy * cdy;
    const double det = alift * (bdxcdy - cdxbdy) + blift * (cdxady - adxcdy)
                       + clift * (adxbdy - bdxady);
    const double permanent = (std::fabs(bdxcdy) + std::fabs(cdxbdy)) * alift
                             + (std::fabs(cdxady) + std::fabs(adxcdy)) * blift
                             + (std::fabs(adxbdy) + std::fabs(bdxady)) * clift;
    constexpr double eps = 1.1102230246251565e-16;
    bound = (10.0 + 96.0 * eps) * eps * permanent;
    return det;
}

// +1 or -1 when the floating-point orientation of a, b, c is beyond its rounding error (then it
// is the exact sign), 0 when exactOrientation must decide.
inline int orientationEstimate(double ax, double ay, double bx, double by, double cx, double cy)
{
    const double left = (bx - ax) * (cy - ay);
    const double right = (by - ay) * (cx - ax);
    const double det = left - right;
    constexpr double eps = 1.1102230246251565e-16;
    const double bound = (3.0 + 16.0 * eps) * eps * (std::fabs(left) + std::fabs(right));
    return det > bound ? 1 : -det > bound ? -1 : 0;
}
