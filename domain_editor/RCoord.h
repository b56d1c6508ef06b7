#pragma once

// World/pixel mapping of the editor's drawing area. The drawing frame leaves margin/2 of the
// width free on the left and right and margin/2 of the height at the top and bottom; the
// scale is the same for both axes and y grows upwards in the world.
class RCoord {
public:
    RCoord(int width, int height);

    // Bounds are empty while xmax < xmin or ymax < ymin.
    double xmax = -1e30, xmin = 1e30, ymax = -1e30, ymin = 1e30;
    double scale = 0.0;       // pixels per world unit
    double xOrigin = 0.0;     // world x at the left edge of the drawing frame
    double yOrigin = 0.0;     // world y at the bottom edge of the drawing frame
    int width = 0;
    int height = 0;
    double margin = 0.2;

    // Pixel position as a real number, for drawing.
    double pixelX(double x) const;
    double pixelY(double y) const;
    // Pixel position cut to an integer, for hit tests; clamped to +-32768 first so that no
    // far-away object overflows.
    int calcPX(double x) const;
    int calcPY(double y) const;
    // Pixel to world; 0 while the scale is 0.
    double calcX(double px) const;
    double calcY(double py) const;

    bool boundsEmpty() const { return xmax < xmin || ymax < ymin; }
    void clearBounds();
    void widen(double x, double y);
    // Scale and origins from the bounds, the size and the margin; empty bounds change nothing.
    void calcScaleData();
};
