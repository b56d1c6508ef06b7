#pragma once

class RDomainEditor;

// One of the three transformations of the Move and Copy commands; copy k is the image under
// the k-th power (k shifts, the mirror image, k rotations). Results are rounded to 10
// significant digits.
struct RTransform {
    int mode = 0;                        // 0 parallel, 1 mirror, 2 rotate
    double dx = 0.0, dy = 0.0;           // parallel shift
    double xs = 0.0, ys = 0.0;           // mirror line start
    double ux = 0.0, uy = 0.0;           // mirror line unit direction
    double xc = 0.0, yc = 0.0;           // rotation centre
    double angle = 0.0;                  // rotation in radians; positive turns clockwise

    void apply(int k, double x, double y, double& ox, double& oy) const;
};

// Moves the selected points once. A position refused by the figure's checks (they show their
// message) leaves the figure exactly as it was and returns false; otherwise one undo snapshot
// is taken and true returned.
bool moveSelection(RDomainEditor& editor, const RTransform& t);

// Copies the selected outlines, segments and points n times under one undo snapshot; returns
// the number of objects that could not be copied.
int copySelection(RDomainEditor& editor, const RTransform& t, int n);
