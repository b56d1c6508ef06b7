// The view mapping between world coordinates and pixels of the drawing area.
#include "domain_editor/RCoord.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

struct FitCase {
    const char* name;
    double xmin, ymin, xmax, ymax;
    int width, height;
    double scale, x0, y0;
};

TEST(Coord, FitTable)
{
    const FitCase cases[] = {
        // Wider frame than the figure: the height decides, the figure is centred across.
        {"square", 0, 0, 10, 10, 500, 400, 32.0, -1.25, 0.0},
        // No height: the width decides and the figure lies on the middle line.
        {"flat", 0, 0, 10, 0, 500, 400, 40.0, 0.0, -4.0},
        // One position only: one pixel per unit with world (0, 0) in the middle of the frame.
        {"single position", 3, 4, 3, 4, 500, 400, 1.0, -200.0, -160.0},
        // Equal ratios land on the width rule.
        {"equal ratio", 0, 0, 5, 4, 500, 400, 80.0, 0.0, 0.0},
    };
    for (const FitCase& c : cases) {
        RCoord v(c.width, c.height);
        v.widen(c.xmin, c.ymin);
        v.widen(c.xmax, c.ymax);
        v.calcScaleData();
        EXPECT_DOUBLE_EQ(v.scale, c.scale) << c.name;
        EXPECT_DOUBLE_EQ(v.xOrigin, c.x0) << c.name;
        EXPECT_DOUBLE_EQ(v.yOrigin, c.y0) << c.name;
    }
}

TEST(Coord, SquarePixelsAndOrigin)
{
    RCoord v(500, 400);
    v.widen(0, 0);
    v.widen(10, 10);
    v.calcScaleData();
    EXPECT_EQ(v.calcPX(0), 90);
    EXPECT_EQ(v.calcPY(0), 360);
    EXPECT_EQ(v.calcPX(10), 410);
    EXPECT_EQ(v.calcPY(10), 40);
    // The x origin sits on the frame's left edge and comes back from it.
    EXPECT_EQ(v.calcPX(v.xOrigin), 50);
    EXPECT_DOUBLE_EQ(v.calcX(50), v.xOrigin);
}

TEST(Coord, SinglePositionDrawnOffTheMiddle)
{
    RCoord v(500, 400);
    v.widen(3, 4);
    v.calcScaleData();
    // The middle of the frame is (250, 200); the point lies 3 right and 4 up of it.
    EXPECT_EQ(v.calcPX(3), 253);
    EXPECT_EQ(v.calcPY(4), 196);
}

TEST(Coord, RoundTripWithinHalfAPixel)
{
    RCoord v(637, 389);
    v.widen(-2.5, 1.0);
    v.widen(7.25, 3.5);
    v.calcScaleData();
    for (int px = 0; px < v.width; px += 7) {
        for (int py = 0; py < v.height; py += 11) {
            const double x = v.calcX(px), y = v.calcY(py);
            EXPECT_LE(std::abs(v.pixelX(x) - px), 0.5);
            EXPECT_LE(std::abs(v.pixelY(y) - py), 0.5);
            EXPECT_EQ(v.calcPX(x), px);
            EXPECT_EQ(v.calcPY(y), py);
        }
    }
}

TEST(Coord, EmptyBoundsAndZeroScale)
{
    RCoord v(500, 400);
    v.calcScaleData();
    EXPECT_EQ(v.scale, 0.0);
    EXPECT_EQ(v.calcX(123), 0.0);
    EXPECT_EQ(v.calcY(45), 0.0);
    // A view that fitted once keeps its scale when its bounds become empty.
    v.widen(0, 0);
    v.widen(10, 10);
    v.calcScaleData();
    v.clearBounds();
    v.calcScaleData();
    EXPECT_DOUBLE_EQ(v.scale, 32.0);
}

// A far-away object must not overflow the integer pixel position of a hit test.
TEST(Coord, FarPositionsClampInsteadOfOverflowing)
{
    RCoord v(500, 400);
    v.widen(0, 0);
    v.widen(1e-6, 1e-6);
    v.calcScaleData();
    EXPECT_EQ(v.calcPX(1e300), 32768);
    EXPECT_EQ(v.calcPX(-1e300), -32768);
    EXPECT_EQ(v.calcPY(1e300), -32768);
    EXPECT_EQ(v.calcPX(std::nan("")), 0);
}

} // namespace
