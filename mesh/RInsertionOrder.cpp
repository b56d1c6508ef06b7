#include "mesh/RInsertionOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {
// Rounds are halved down to this size; the first round holds at most this many points.
constexpr int kFirstRound = 64;
constexpr unsigned kCurveSide = 1u << 16;

// SplitMix64: a small generator whose sequence is fixed by its seed on every platform.
struct SplitMix {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

// The grid cell of a coordinate in [lo, lo + extent], clamped to the curve's side.
unsigned cellOf(double v, double lo, double extent)
{
    if (!(extent > 0))
        return 0;
    const double f = (v - lo) / extent * double(kCurveSide - 1);
    if (!(f > 0))
        return 0;
    if (f >= double(kCurveSide - 1))
        return kCurveSide - 1;
    return unsigned(f);
}
} // namespace

unsigned long long hilbertKey(unsigned x, unsigned y)
{
    unsigned long long d = 0;
    for (unsigned s = kCurveSide / 2; s > 0; s /= 2) {
        const unsigned rx = (x & s) ? 1 : 0;
        const unsigned ry = (y & s) ? 1 : 0;
        d += (unsigned long long)s * s * ((3 * rx) ^ ry);
        // Turn the quadrant so the curve inside it runs as the curve of the whole square does.
        if (ry == 0) {
            if (rx == 1) {
                x = kCurveSide - 1 - x;
                y = kCurveSide - 1 - y;
            }
            std::swap(x, y);
        }
    }
    return d;
}

std::vector<int> roughInsertionOrder(const std::vector<double>& xs, const std::vector<double>& ys)
{
    const int n = int(xs.size());
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[size_t(i)] = i;
    if (n < 2)
        return order;
    // Fisher-Yates with a fixed seed.
    SplitMix rng{0x4D4F5256ull};
    for (int i = n - 1; i > 0; --i) {
        const int j = int(rng.next() % std::uint64_t(i + 1));
        std::swap(order[size_t(i)], order[size_t(j)]);
    }
    double x0 = xs[0], x1 = xs[0], y0 = ys[0], y1 = ys[0];
    for (int i = 1; i < n; ++i) {
        x0 = std::min(x0, xs[size_t(i)]);
        x1 = std::max(x1, xs[size_t(i)]);
        y0 = std::min(y0, ys[size_t(i)]);
        y1 = std::max(y1, ys[size_t(i)]);
    }
    // One scale for both axes keeps the curve's cells square.
    const double extent = std::max(x1 - x0, y1 - y0);
    std::vector<unsigned long long> key(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        key[size_t(i)] = hilbertKey(cellOf(xs[size_t(i)], x0, extent),
                                    cellOf(ys[size_t(i)], y0, extent));
    // Rounds from the front: [0, b1), [b1, b2), ... with each bound twice the one before it
    // and the last round the second half of the points.
    std::vector<int> bounds{n};
    while (bounds.back() > kFirstRound)
        bounds.push_back(bounds.back() / 2);
    bounds.push_back(0);
    std::reverse(bounds.begin(), bounds.end());
    for (size_t r = 0; r + 1 < bounds.size(); ++r) {
        // Every other round runs the curve backwards, so that it starts near where the round
        // before it ended.
        const bool forward = r % 2 == 0;
        std::sort(order.begin() + bounds[r], order.begin() + bounds[r + 1], [&](int a, int b) {
            const unsigned long long ka = key[size_t(a)], kb = key[size_t(b)];
            if (ka != kb)
                return forward ? ka < kb : ka > kb;
            return a < b;
        });
    }
    return order;
}
