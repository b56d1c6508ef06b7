#include "domain_editor/RCoord.h"

#include <algorithm>

namespace {
int toPixel(double v)
{
    // The integer part cut toward zero; a NaN lands on 0.
    if (!(v == v))
        return 0;
    return static_cast<int>(std::clamp(v, -32768.0, 32768.0));
}
} // namespace

RCoord::RCoord(int w, int h)
    : width(w)
    , height(h)
{
}

double RCoord::pixelX(double x) const
{
    return 0.5 * margin * width + (x - xOrigin) * scale;
}

double RCoord::pixelY(double y) const
{
    return (1.0 - 0.5 * margin) * height - (y - yOrigin) * scale;
}

int RCoord::calcPX(double x) const
{
    return toPixel(pixelX(x) + 0.5);
}

int RCoord::calcPY(double y) const
{
    return toPixel(pixelY(y) + 0.5);
}

double RCoord::calcX(double px) const
{
    if (scale == 0.0)
        return 0.0;
    return (px - 0.5 * margin * width) / scale + xOrigin;
}

double RCoord::calcY(double py) const
{
    if (scale == 0.0)
        return 0.0;
    return ((height - py) - 0.5 * margin * height) / scale + yOrigin;
}

void RCoord::clearBounds()
{
    xmax = ymax = -1e30;
    xmin = ymin = 1e30;
}

void RCoord::widen(double x, double y)
{
    xmax = std::max(xmax, x);
    xmin = std::min(xmin, x);
    ymax = std::max(ymax, y);
    ymin = std::min(ymin, y);
}

void RCoord::calcScaleData()
{
    if (boundsEmpty())
        return;
    const double dx = xmax - xmin;
    const double dy = ymax - ymin;
    const double fw = (1.0 - margin) * width;
    const double fh = (1.0 - margin) * height;
    if (dy * fw > dx * fh) {
        scale = fh / dy;
        yOrigin = ymin;
        xOrigin = xmin - (fw / scale - dx) / 2.0;
    } else if (dx > 0.0) {
        scale = fw / dx;
        xOrigin = xmin;
        yOrigin = ymin - (fh / scale - dy) / 2.0;
    } else {
        scale = 1.0;
        xOrigin = -fw / 2.0;
        yOrigin = -fh / 2.0;
    }
}
