#pragma once
// A document with a two-dimensional figure built the way the editor's dialogs build it, and a
// recorder of the figure checks' messages.
#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"
#include "document/RMessages.h"
#include "domain_editor/RDomainEditor.h"

#include <QStringList>
#include <vector>

class MessageLog : public RMessageSink {
public:
    MessageLog() { setMessageSink(this); }
    ~MessageLog() override { setMessageSink(nullptr); }
    void message(MessageKind, const QString& text) override { texts << text; }
    QStringList texts;
};

inline void setDimensions(RMORVDocument& doc, int parmx, int parmy)
{
    doc.compiler->control->PARMX = parmx;
    doc.compiler->control->PARMY = parmy;
    doc.compiler->control->spaceDimension = parmx + parmy;
}

inline int addPoint(RTriangleMesh& f, double x, double y, int region = 0)
{
    RPoint p;
    p.x = x;
    p.y = y;
    p.region = region;
    p.group = f.groupCount++;
    f.points.push_back(p);
    return int(f.points.size()) - 1;
}

inline int addSegment(RTriangleMesh& f, int a, int b, int type = 1, double radius = 0.0,
    int division = 1, int region = 0)
{
    RSegment s;
    s.startPoint = a;
    s.endPoint = b;
    s.type = type;
    s.radius = radius;
    s.division = division;
    s.region = region;
    RTriangleMesh::segmentHandle(f.points[a].x, f.points[a].y, f.points[b].x, f.points[b].y, radius,
        s.handleX, s.handleY);
    const int i = int(f.segments.size());
    f.segments.push_back(s);
    f.points[a].connections.push_back(i);
    f.points[b].connections.push_back(i);
    f.NewConnection(a, b, region);
    return i;
}

// A closed loop of straight outline segments through the corners (x0, y0, x1, y1, ...).
inline std::vector<int> addLoop(RTriangleMesh& f, const std::vector<double>& xy, int division = 1)
{
    std::vector<int> pts;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
        pts.push_back(addPoint(f, xy[i], xy[i + 1]));
    for (std::size_t i = 0; i < pts.size(); ++i)
        addSegment(f, pts[i], pts[(i + 1) % pts.size()], 1, 0.0, division);
    return pts;
}

// An editor on a 500 x 400 drawing area over a fresh two-dimensional document.
struct EditorFixture {
    RMORVDocument doc;
    RDomainEditor editor{doc, 500, 400};
    RTriangleMesh& f = *doc.mesh;
    MessageLog log;
    QStringList questions;
    bool answerYes = true;

    EditorFixture()
    {
        setDimensions(doc, 1, 1);
        doc.modified = false;
        doc.compileState = 0;
        editor.askRemake = [this] {
            questions << QStringLiteral("remake");
            return answerYes;
        };
    }
    void select(std::initializer_list<int> points, std::initializer_list<int> segments = {},
        std::initializer_list<int> outlines = {})
    {
        f.deselect(7);
        for (int p : points)
            f.points[p].selected = true;
        for (int s : segments)
            f.segments[s].selected = true;
        for (int o : outlines)
            f.outlines[o].selected = true;
        editor.rebuildSelection();
    }
    // The pixel position of a world position in the editor's view.
    QPoint at(double x, double y) const { return {editor.view.calcPX(x), editor.view.calcPY(y)}; }
};
