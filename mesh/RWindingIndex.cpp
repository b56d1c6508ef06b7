#include "mesh/RWindingIndex.h"

#include "mesh/RExactPredicates.h"

#include <algorithm>
#include <cmath>

void RWindingIndex::build(const std::vector<double>& xs, const std::vector<double>& ys,
                          double minNearness)
{
    usable = false;
    px = xs;
    py = ys;
    bandStart.clear();
    bandChords.clear();
    const int n = int(px.size());
    if (n < 3)
        return;
    double xmin = px[0], xmax = px[0], ymin = py[0], ymax = py[0], largest = 0;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(px[i]) || !std::isfinite(py[i]))
            return; // the angle sum decides for a broken walk
        xmin = std::min(xmin, px[i]);
        xmax = std::max(xmax, px[i]);
        ymin = std::min(ymin, py[i]);
        ymax = std::max(ymax, py[i]);
        largest = std::max({largest, std::fabs(px[i]), std::fabs(py[i])});
    }
    // Beyond this distance from every chord the angle sum cannot be wrong by pi: a point that
    // near a chord (or a figure far from the origin, where differences lose digits) is decided
    // by the angle sum instead.
    nearness = std::max(1e-9 * std::max({xmax - xmin, ymax - ymin, largest}), minNearness);
    if (!(nearness > 0) || !std::isfinite(nearness))
        return;
    // A walk that does not come back to its start has no winding number.
    if (std::hypot(px[n - 1] - px[0], py[n - 1] - py[0]) > nearness)
        return;
    // Close it exactly.
    px.push_back(px[0]);
    py.push_back(py[0]);
    const int chords = n;
    bands = std::max(1, std::min(chords, 1 << 20));
    y0 = ymin - nearness;
    bandHeight = (ymax + nearness - y0) / bands;
    if (!(bandHeight > 0))
        return;
    auto bandOf = [&](double y) {
        const double f = (y - y0) / bandHeight;
        if (!(f > 0))
            return 0;
        return f >= bands - 1 ? bands - 1 : int(f);
    };
    std::vector<int> count(size_t(bands) + 1, 0);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < chords; ++i) {
            const int b0 = bandOf(std::min(py[i], py[i + 1]) - nearness);
            const int b1 = bandOf(std::max(py[i], py[i + 1]) + nearness);
            for (int b = b0; b <= b1; ++b) {
                if (pass == 0)
                    ++count[size_t(b) + 1];
                else
                    bandChords[size_t(bandStart[b] + count[b]++)] = i;
            }
        }
        if (pass == 0) {
            bandStart.assign(size_t(bands) + 1, 0);
            for (int b = 0; b < bands; ++b)
                bandStart[size_t(b) + 1] = bandStart[b] + count[size_t(b) + 1];
            bandChords.assign(size_t(bandStart[bands]), 0);
            std::fill(count.begin(), count.end(), 0);
        }
    }
    usable = true;
}

int RWindingIndex::classify(double x, double y) const
{
    if (!usable || !std::isfinite(x) || !std::isfinite(y))
        return -1;
    if (y < y0 || y > y0 + bands * bandHeight)
        return 0; // beyond every chord by more than the nearness
    const double f = (y - y0) / bandHeight;
    const int b = f >= bands - 1 ? bands - 1 : int(std::max(f, 0.0));
    const double near2 = nearness * nearness;
    int winding = 0;
    for (int k = bandStart[b]; k < bandStart[size_t(b) + 1]; ++k) {
        const int i = bandChords[size_t(k)];
        const double ax = px[i], ay = py[i], bx = px[i + 1], by = py[i + 1];
        // Distance to the chord.
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double ex = ax + t * dx - x, ey = ay + t * dy - y;
        if (ex * ex + ey * ey <= near2)
            return -1;
        // Crossings of the ray to the right: upwards with the point on the left count +1,
        // downwards with the point on the right -1.
        if ((ay <= y) != (by <= y)) {
            const int side = exactOrientation(ax, ay, bx, by, x, y);
            if (by > ay && side > 0)
                ++winding;
            else if (by <= ay && side < 0)
                --winding;
        }
    }
    return winding != 0 ? 1 : 0;
}
