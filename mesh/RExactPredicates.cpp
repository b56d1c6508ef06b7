// Floating-point filters with error bounds, and exact evaluation by expansion arithmetic: a value
// is held as a sum of doubles that do not overlap, ordered by increasing magnitude, so its sign
// is the sign of its last component. Sums and products of doubles are split exactly into the
// rounded result and its error (two-sum, two-product by fused multiply-add).
#include "mesh/RExactPredicates.h"

#include <cmath>
#include <vector>

namespace {
constexpr double kEpsilon = 1.1102230246251565e-16; // 2^-53, half a unit in the last place
constexpr double kOrientationBound = (3.0 + 16.0 * kEpsilon) * kEpsilon;
constexpr double kInCircleBound = (10.0 + 96.0 * kEpsilon) * kEpsilon;

using Expansion = std::vector<double>;

inline void twoSum(double a, double b, double& sum, double& error)
{
    sum = a + b;
    const double bVirtual = sum - a;
    const double aVirtual = sum - bVirtual;
    error = (a - aVirtual) + (b - bVirtual);
}

inline void twoProduct(double a, double b, double& product, double& error)
{
    product = a * b;
    error = std::fma(a, b, -product);
}

Expansion difference(double a, double b)
{
    // a - b = a + (-b) exactly.
    double s, e;
    twoSum(a, -b, s, e);
    if (e == 0.0)
        return {s};
    return {e, s};
}

// e + b, keeping the components non-overlapping and dropping zeros.
void grow(Expansion& e, double b)
{
    Expansion h;
    h.reserve(e.size() + 1);
    double q = b;
    for (double component : e) {
        double sum, error;
        twoSum(q, component, sum, error);
        q = sum;
        if (error != 0.0)
            h.push_back(error);
    }
    if (q != 0.0 || h.empty())
        h.push_back(q);
    e.swap(h);
}

Expansion sum(Expansion e, const Expansion& f)
{
    for (double component : f)
        grow(e, component);
    return e;
}

Expansion negated(Expansion e)
{
    for (double& component : e)
        component = -component;
    return e;
}

// e * b.
Expansion scaled(const Expansion& e, double b)
{
    Expansion h;
    for (double component : e) {
        double product, error;
        twoProduct(component, b, product, error);
        grow(h, error);
        grow(h, product);
    }
    if (h.empty())
        h.push_back(0.0);
    return h;
}

Expansion product(const Expansion& e, const Expansion& f)
{
    Expansion out{0.0};
    for (double component : f)
        out = sum(std::move(out), scaled(e, component));
    return out;
}

int signOf(const Expansion& e)
{
    const double top = e.back();
    return top > 0 ? 1 : top < 0 ? -1 : 0;
}

int signOf(double v)
{
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}
} // namespace

int exactOrientation(double ax, double ay, double bx, double by, double cx, double cy)
{
    const double left = (bx - ax) * (cy - ay);
    const double right = (by - ay) * (cx - ax);
    const double det = left - right;
    double magnitude;
    if (left > 0) {
        if (right <= 0)
            return signOf(det);
        magnitude = left + right;
    } else if (left < 0) {
        if (right >= 0)
            return signOf(det);
        magnitude = -left - right;
    } else {
        return signOf(det);
    }
    const double bound = kOrientationBound * magnitude;
    if (det >= bound || -det >= bound)
        return signOf(det);
    // Collinear points (a row of a lattice, the division points of a segment) end here often:
    // the exact value is built on the stack, as (bx - ax)(cy - ay) - (by - ay)(cx - ax) with
    // every difference and product split into its rounded part and its error.
    double d[4][2]; // the four differences as (rounded, error)
    const double pairs[4][2] = {{bx, ax}, {cy, ay}, {by, ay}, {cx, ax}};
    for (int k = 0; k < 4; ++k)
        twoSum(pairs[k][0], -pairs[k][1], d[k][0], d[k][1]);
    double terms[16];
    int n = 0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            twoProduct(d[0][i], d[1][j], terms[n], terms[n + 1]);
            twoProduct(-d[2][i], d[3][j], terms[n + 2], terms[n + 3]);
            n += 4;
        }
    // Sum the sixteen exact terms into a non-overlapping expansion and take its sign.
    double e[17];
    int m = 0;
    for (double b : terms) {
        double q = b;
        int h = 0;
        for (int i = 0; i < m; ++i) {
            double s, err;
            twoSum(q, e[i], s, err);
            q = s;
            if (err != 0.0)
                e[h++] = err;
        }
        e[h++] = q;
        m = h;
    }
    for (int i = m - 1; i >= 0; --i)
        if (e[i] != 0.0)
            return signOf(e[i]);
    return 0;
}

namespace {
// The in-circle determinant of a, b, c, d without rounding.
Expansion exactInCircleValue(double ax, double ay, double bx, double by, double cx, double cy,
                             double dx, double dy)
{
    const Expansion eadx = difference(ax, dx), eady = difference(ay, dy);
    const Expansion ebdx = difference(bx, dx), ebdy = difference(by, dy);
    const Expansion ecdx = difference(cx, dx), ecdy = difference(cy, dy);
    auto lift = [](const Expansion& x, const Expansion& y) {
        return sum(product(x, x), product(y, y));
    };
    auto cross = [](const Expansion& x1, const Expansion& y1, const Expansion& x2,
                    const Expansion& y2) {
        return sum(product(x1, y2), negated(product(x2, y1)));
    };
    Expansion exact = product(lift(eadx, eady), cross(ebdx, ebdy, ecdx, ecdy));
    exact = sum(std::move(exact), product(lift(ebdx, ebdy), cross(ecdx, ecdy, eadx, eady)));
    exact = sum(std::move(exact), product(lift(ecdx, ecdy), cross(eadx, eady, ebdx, ebdy)));
    return exact;
}

// The in-circle determinant in floating point and the bound of its rounding error.
double inCircleFiltered(double ax, double ay, double bx, double by, double cx, double cy,
                        double dx, double dy, double& bound)
{
    return inCircleEstimate(ax, ay, bx, by, cx, cy, dx, dy, bound);
}
} // namespace

int exactInCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                  double dy)
{
    double bound;
    const double det = inCircleFiltered(ax, ay, bx, by, cx, cy, dx, dy, bound);
    if (det > bound || -det > bound)
        return signOf(det);
    return signOf(exactInCircleValue(ax, ay, bx, by, cx, cy, dx, dy));
}

int exactInShrunkCircle(double ax, double ay, double bx, double by, double cx, double cy,
                        double dx, double dy, double shrink)
{
    // The power of d about the circle is -I / o and the squared radius is
    // |ab|^2 |bc|^2 |ca|^2 / (4 o^2); d lies inside the shrunk circle when its power is below
    // -(1 - shrink) times the squared radius, that is when 4 I o > (1 - shrink) times the
    // product of the squared sides (o > 0).
    const double k = 1.0 - shrink;
    double inBound;
    const double in = inCircleFiltered(ax, ay, bx, by, cx, cy, dx, dy, inBound);
    const double left = (bx - ax) * (cy - ay), right = (by - ay) * (cx - ax);
    const double o = left - right;
    const double oBound = kOrientationBound * (std::fabs(left) + std::fabs(right));
    auto sq = [](double x, double y) { return x * x + y * y; };
    const double sides = sq(bx - ax, by - ay) * sq(cx - bx, cy - by) * sq(ax - cx, ay - cy);
    const double lhs = 4.0 * in * o;
    const double rhs = k * sides;
    const double value = lhs - rhs;
    // Each squared side is off by a few units in the last place, their product by some 30.
    const double bound = 4.0 * (std::fabs(in) * oBound + std::fabs(o) * inBound + inBound * oBound)
                         + 64.0 * kEpsilon * (std::fabs(lhs) + std::fabs(rhs));
    if (value > bound || -value > bound)
        return signOf(value);

    const Expansion eab = sum(product(difference(bx, ax), difference(bx, ax)),
                              product(difference(by, ay), difference(by, ay)));
    const Expansion ebc = sum(product(difference(cx, bx), difference(cx, bx)),
                              product(difference(cy, by), difference(cy, by)));
    const Expansion eca = sum(product(difference(ax, cx), difference(ax, cx)),
                              product(difference(ay, cy), difference(ay, cy)));
    const Expansion orientation =
        sum(product(difference(bx, ax), difference(cy, ay)),
            negated(product(difference(by, ay), difference(cx, ax))));
    const Expansion inCircle = exactInCircleValue(ax, ay, bx, by, cx, cy, dx, dy);
    const Expansion exactLhs = scaled(product(inCircle, orientation), 4.0);
    const Expansion exactRhs = scaled(product(product(eab, ebc), eca), k);
    return signOf(sum(exactLhs, negated(exactRhs)));
}

bool exactInCircleByMargin(double ax, double ay, double bx, double by, double cx, double cy,
                           double dx, double dy, double shrink, double capSquared)
{
    if (exactInShrunkCircle(ax, ay, bx, by, cx, cy, dx, dy, shrink) > 0)
        return true;
    if (!(capSquared < 1e300))
        return false;
    // Otherwise inside by the capped margin: I / o > (1 - shrink) capSquared, that is
    // I - kc o > 0 with kc = (1 - shrink) capSquared (taken as rounded: it only sets the margin).
    const double kc = (1.0 - shrink) * capSquared;
    double inBound;
    const double in = inCircleFiltered(ax, ay, bx, by, cx, cy, dx, dy, inBound);
    const double left = (bx - ax) * (cy - ay), right = (by - ay) * (cx - ax);
    const double o = left - right;
    const double oBound = kOrientationBound * (std::fabs(left) + std::fabs(right));
    const double value = in - kc * o;
    const double bound = inBound + kc * oBound + 4.0 * kEpsilon * (std::fabs(in) + std::fabs(kc * o));
    if (value > bound || -value > bound)
        return value > 0;
    const Expansion orientation =
        sum(product(difference(bx, ax), difference(cy, ay)),
            negated(product(difference(by, ay), difference(cx, ax))));
    const Expansion inCircle = exactInCircleValue(ax, ay, bx, by, cx, cy, dx, dy);
    return signOf(sum(inCircle, negated(scaled(orientation, kc)))) > 0;
}
