#pragma once
#include <QCursor>

// The editor's two mouse cursors, drawn in code: a cross-hair with a small ring for new points
// (hot spot 16, 15) and an arrow with a chain for new lines (hot spot at the arrow's tip, 5, 3).
QCursor newPointCursor();
QCursor newLineCursor();
