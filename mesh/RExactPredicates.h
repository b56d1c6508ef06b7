#pragma once

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
