#include "domain_editor/RDomainEditor.h"

#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"
#include "mesh/RDelaunay.h"
#include "mesh/RMeshReplace.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void segmentMiddle(const RTriangleMesh& f, const RSegment& s, double& x, double& y)
{
    const RPoint& a = f.points[s.startPoint];
    const RPoint& b = f.points[s.endPoint];
    RTriangleMesh::segmentPoint(a.x, a.y, b.x, b.y, s.radius, 0.5, x, y);
}

bool toFiniteReal(const QString& text, double& value)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool toWholeNumber(const QString& text, int& value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        return false;
    value = v;
    return true;
}

QString realText(double v)
{
    return QString::number(v, 'g', 15);
}

RDomainEditor::RDomainEditor(RMORVDocument& doc, int width, int height)
    : document(doc)
    , view(width, height)
{
}

RTriangleMesh& RDomainEditor::figure() const
{
    return *document.mesh;
}

const SControlData& RDomainEditor::control() const
{
    return *document.compiler->control;
}

bool RDomainEditor::twoDimensional() const
{
    return control().spaceDimension == 2;
}

double RDomainEditor::updateScaleData()
{
    RTriangleMesh& f = figure();
    view.clearBounds();
    for (const RPoint& p : f.points)
        if (!p.hidden)
            view.widen(p.x, p.y);
    // A segment keeps its middle in view, so an arc shows its apex too.
    for (const RSegment& s : f.segments)
        if (!s.hidden) {
            double x = 0, y = 0;
            segmentMiddle(f, s, x, y);
            view.widen(x, y);
        }
    f.setToleranceFromFigure();
    view.calcScaleData();
    return f.tolerance;
}

void RDomainEditor::resize(int width, int height)
{
    view.width = width;
    view.height = height;
    view.calcScaleData();
}

void RDomainEditor::rebuildSelection()
{
    RTriangleMesh& f = figure();
    f.selectedPoints.clear();
    f.selectedSegments.clear();
    f.selectedOutlines.clear();
    for (int i = 0; i < int(f.outlines.size()); ++i)
        if (!f.outlines[i].hidden && f.outlines[i].selected)
            f.selectedOutlines.push_back(i);
    for (int i = 0; i < int(f.segments.size()); ++i)
        if (!f.segments[i].hidden && f.segments[i].selected)
            f.selectedSegments.push_back(i);
    for (int i = 0; i < int(f.points.size()); ++i)
        if (!f.points[i].hidden && f.points[i].selected)
            f.selectedPoints.push_back(i);
}

QList<RPropertyRow> RDomainEditor::propertyRows() const
{
    const RTriangleMesh& f = figure();
    const SControlData& c = control();
    QList<RPropertyRow> rows;
    int r = -1;
    QString regionText, labelText, compareLabel;

    if (!f.selectedPoints.empty()) {
        const RPoint& p0 = f.points[f.selectedPoints.front()];
        QString xText = realText(p0.x), yText = realText(p0.y);
        regionText = QString::number(p0.region);
        r = p0.region;
        bool fixed = false;
        for (int i : f.selectedPoints) {
            const RPoint& p = f.points[i];
            if (p.x != p0.x)
                xText.clear();
            if (p.y != p0.y)
                yText.clear();
            if (p.region != r)
                regionText.clear();
            if (MustBeFixedPt(i))
                fixed = true;
        }
        rows.append({QStringLiteral("x"), xText, fixed || !c.PARMX});
        rows.append({QStringLiteral("y"), yText, fixed || !c.PARMY});
    }
    if (!f.selectedSegments.empty()) {
        const RSegment& s0 = f.segments[f.selectedSegments.front()];
        if (r < 0) {
            r = s0.region;
            regionText = QString::number(s0.region);
        } else if (s0.region != r) {
            regionText.clear();
        }
        QString radius = realText(s0.radius), bias = realText(s0.bias);
        QString number = QString::number(s0.division);
        QString type = s0.type != 0 ? QStringLiteral("Outline") : QStringLiteral("InnerBorder");
        compareLabel = labelText = s0.label;
        for (std::size_t k = 1; k < f.selectedSegments.size(); ++k) {
            const RSegment& s = f.segments[f.selectedSegments[k]];
            if (s.radius != s0.radius)
                radius.clear();
            if (s.bias != s0.bias)
                bias.clear();
            if (s.division != s0.division)
                number.clear();
            if (s.region != r)
                regionText.clear();
            if ((s.type != 0) != (s0.type != 0))
                type.clear();
            if (s.label.toUpper() != compareLabel.toUpper())
                labelText.clear();
        }
        rows.append({QStringLiteral("radius"), radius, c.spaceDimension < 2});
        rows.append({QStringLiteral("bias"), bias, false});
        rows.append({QStringLiteral("number of mesh"), number, false});
        // Chosen from the pick list.
        rows.append({QStringLiteral("type"), type, false});
    }
    if (!f.selectedOutlines.empty()) {
        if (r < 0) {
            const ROutline& o0 = f.outlines[f.selectedOutlines.front()];
            r = o0.region;
            regionText = QString::number(r);
            compareLabel = labelText = o0.label;
        }
        for (int i : f.selectedOutlines) {
            const ROutline& o = f.outlines[i];
            if (o.region != r)
                regionText.clear();
            if (o.label != compareLabel)
                labelText.clear();
        }
    }
    const bool any = !f.selectedPoints.empty() || !f.selectedSegments.empty()
        || !f.selectedOutlines.empty();
    if (any)
        rows.append({QStringLiteral("region"), regionText, false});
    if (!f.selectedSegments.empty() || !f.selectedOutlines.empty())
        rows.append({QStringLiteral("label"), labelText, false});
    return rows;
}

RHitKind RDomainEditor::findObject(int x, int y, int& index) const
{
    index = -1;
    if (meshView)
        return HitNothing;
    const RTriangleMesh& f = figure();
    auto inReach = [&](double wx, double wy) {
        return std::abs(view.calcPX(wx) - x) <= 5 && std::abs(view.calcPY(wy) - y) <= 5;
    };
    RHitKind kind = HitNothing;
    for (int i = 0; i < int(f.outlines.size()); ++i)
        if (inReach(f.outlines[i].labelX, f.outlines[i].labelY)) {
            kind = HitOutline;
            index = i;
        }
    for (int i = 0; i < int(f.segments.size()); ++i) {
        double mx = 0, my = 0;
        segmentMiddle(f, f.segments[i], mx, my);
        if (inReach(mx, my)) {
            kind = HitSegment;
            index = i;
        }
    }
    for (int i = 0; i < int(f.points.size()); ++i)
        if (inReach(f.points[i].x, f.points[i].y)) {
            kind = HitPoint;
            index = i;
        }
    return kind;
}

void RDomainEditor::findObjectInRange(int x1, int y1, int x2, int y2, bool toggle)
{
    if (meshView)
        return;
    RTriangleMesh& f = figure();
    auto inside = [&](double wx, double wy) {
        const long long px = view.calcPX(wx), py = view.calcPY(wy);
        return (px - x1) * (x2 - px) >= 0 && (py - y1) * (y2 - py) >= 0;
    };
    auto apply = [&](bool& flag) { flag = toggle ? !flag : true; };
    for (RPoint& p : f.points)
        if (inside(p.x, p.y))
            apply(p.selected);
    for (RSegment& s : f.segments) {
        double mx = 0, my = 0;
        segmentMiddle(f, s, mx, my);
        if (inside(mx, my))
            apply(s.selected);
    }
    for (ROutline& o : f.outlines)
        if (inside(o.labelX, o.labelY))
            apply(o.selected);
}

bool RDomainEditor::MustBeFixedPt(int p) const
{
    const RTriangleMesh& f = figure();
    for (int s : f.points[p].connections)
        for (const ROutline& o : f.outlines)
            if (std::find(o.segments.begin(), o.segments.end(), s) != o.segments.end())
                return true;
    return false;
}

void RDomainEditor::markChanged()
{
    document.modified = true;
    document.compileState = std::max(document.compileState, 1);
    figure().meshState = 1;
    updateScaleData();
}

bool RDomainEditor::confirmRemake()
{
    if (figure().meshState >= 2 && twoDimensional())
        return askRemake && askRemake();
    return true;
}

void RDomainEditor::PushMW()
{
    const RTriangleMesh& f = figure();
    m_backup.points = f.points;
    m_backup.segments = f.segments;
    m_backup.outlines = f.outlines;
    m_backup.paths = f.paths;
    m_backup.groupCount = f.groupCount;
    m_backup.held = true;
}

void RDomainEditor::PopMW()
{
    if (!m_backup.held)
        return;
    RTriangleMesh& f = figure();
    f.points = std::move(m_backup.points);
    f.segments = std::move(m_backup.segments);
    f.outlines = std::move(m_backup.outlines);
    f.paths = std::move(m_backup.paths);
    f.groupCount = m_backup.groupCount;
    m_backup = Backup{};
}

QStringList RDomainEditor::pickList(const QString& key)
{
    if (key == QLatin1String("type"))
        return {QStringLiteral("InnerBorder"), QStringLiteral("Outline")};
    return {};
}

bool RDomainEditor::acceptsCharacter(QChar c)
{
    const ushort u = c.unicode();
    if ((u >= 32 && u <= 41) || u == 44 || u == 47 || (u >= 58 && u <= 64) || (u >= 91 && u <= 94)
        || u == 96 || (u >= 123 && u <= 126))
        return false;
    return true;
}

bool RDomainEditor::applyCoordinate(bool isX, double v)
{
    RTriangleMesh& f = figure();
    PushMW();
    for (RPoint& p : f.points)
        p.mark = -2;
    for (int i : f.selectedPoints) {
        const RPoint& p = f.points[i];
        const bool ok = isX ? f.PointTotalCheck(v, p.y, i, 0) : f.PointTotalCheck(p.x, v, i, 0);
        if (!ok) {
            PopMW();
            return false;
        }
    }
    PopMW();
    f.PushFU();
    for (int i : f.selectedPoints)
        (isX ? f.points[i].x : f.points[i].y) = v;
    for (int i : f.selectedPoints)
        for (int s : f.points[i].connections)
            f.updateHandle(s);
    return true;
}

template <class Apply> void RDomainEditor::forSelectedSegments(Apply apply)
{
    RTriangleMesh& f = figure();
    f.PushFU();
    for (RPoint& p : f.points)
        p.mark = -1;
    for (int s : f.selectedSegments) {
        RSegment candidate = f.segments[s];
        apply(candidate);
        const RPoint& a = f.points[candidate.startPoint];
        const RPoint& b = f.points[candidate.endPoint];
        RTriangleMesh::segmentHandle(a.x, a.y, b.x, b.y, candidate.radius, candidate.handleX,
            candidate.handleY);
        candidate.selected = true;
        candidate.hidden = false;
        if (f.SegmentTotalCheck(candidate, s)) {
            RSegment& target = f.segments[s];
            target.radius = candidate.radius;
            target.bias = candidate.bias;
            target.division = candidate.division;
            target.handleX = candidate.handleX;
            target.handleY = candidate.handleY;
        }
    }
}

bool RDomainEditor::validateProperty(const QString& key, const QString& typed)
{
    if (key.isEmpty())
        return false;
    QString value = typed;
    if (key != QLatin1String("label") && value.trimmed().isEmpty())
        return false;
    double real = 0.0;
    int whole = 0;
    if (key == QLatin1String("x") || key == QLatin1String("y") || key == QLatin1String("radius")
        || key == QLatin1String("bias")) {
        if (!toFiniteReal(value, real))
            value = QStringLiteral("0"), real = 0.0;
    } else if (key == QLatin1String("number of mesh") || key == QLatin1String("region")) {
        if (!toWholeNumber(value, whole))
            value = QStringLiteral("0"), whole = 0;
    }
    if (!confirmRemake())
        return false;

    RTriangleMesh& f = figure();
    if (key == QLatin1String("x") || key == QLatin1String("y")) {
        applyCoordinate(key == QLatin1String("x"), real);
    } else if (key == QLatin1String("radius")) {
        forSelectedSegments([&](RSegment& s) { s.radius = real; });
    } else if (key == QLatin1String("bias")) {
        const double v = real >= 1.0 ? 0.999 : (real <= -1.0 ? -0.999 : real);
        forSelectedSegments([&](RSegment& s) { s.bias = v; });
    } else if (key == QLatin1String("number of mesh")) {
        const int n = whole > 0 ? whole : 1;
        forSelectedSegments([&](RSegment& s) { s.division = n; });
    } else if (key == QLatin1String("type")) {
        f.PushFU();
        for (int s : f.selectedSegments) {
            if (value == QLatin1String("InnerBorder")) {
                f.segments[s].type = 0;
                continue;
            }
            int total = 0, outlinesAtStart = 0, outlinesAtEnd = 0;
            f.countConnection(f.segments[s].startPoint, total, outlinesAtStart);
            f.countConnection(f.segments[s].endPoint, total, outlinesAtEnd);
            if (outlinesAtStart <= 1 && outlinesAtEnd <= 1)
                f.segments[s].type = 1;
        }
    } else if (key == QLatin1String("region")) {
        const int v = std::max(whole, 0);
        f.PushFU();
        for (int i : f.selectedPoints)
            f.points[i].region = v;
        for (int i : f.selectedSegments)
            f.segments[i].region = v;
        for (int i : f.selectedOutlines)
            f.outlines[i].region = v;
    } else if (key == QLatin1String("label")) {
        f.PushFU();
        for (int i : f.selectedSegments)
            f.segments[i].label = value;
        for (int i : f.selectedOutlines)
            f.outlines[i].label = value;
    }
    markChanged();
    return true;
}

void RDomainEditor::mouseDown(int x, int y)
{
    if (editMode != 0)
        return;
    band.fill(QPoint(x, y));
    dragging = true;
}

bool RDomainEditor::mouseMove(int x, int y)
{
    const QPoint at(x, y);
    if (dragging) {
        if (at == band[2])
            return false;
    } else if (editMode != 3) {
        return false;
    }
    band[2] = at;
    band[1] = QPoint(x, band[0].y());
    band[3] = QPoint(band[0].x(), y);
    return true;
}

RDomainEditor::Request RDomainEditor::mouseUp(int x, int y, bool shift, bool rightButton)
{
    RTriangleMesh& f = figure();
    Request request = Request::None;
    switch (editMode) {
    case 0:
        if (dragging && std::abs(x - band[0].x()) >= 7 && std::abs(y - band[0].y()) >= 7) {
            if (!shift)
                f.deselect(7);
            findObjectInRange(band[0].x(), band[0].y(), x, y, shift);
        } else {
            int index = -1;
            const RHitKind kind = findObject(x, y, index);
            if (!shift)
                f.deselect(7);
            bool* flag = nullptr;
            if (kind == HitPoint)
                flag = &f.points[index].selected;
            else if (kind == HitSegment)
                flag = &f.segments[index].selected;
            else if (kind == HitOutline)
                flag = &f.outlines[index].selected;
            if (flag)
                *flag = shift ? !*flag : true;
        }
        break;
    case 1:
        f.deselect(7);
        request = Request::PointDialog;
        break;
    case 2: {
        f.deselect(7);
        int index = -1;
        if (findObject(x, y, index) == HitPoint) {
            firstPicked = index;
            band.fill(QPoint(x, y));
            editMode = 3;
        }
        break;
    }
    case 3:
        if (rightButton) {
            editMode = 2;
            break;
        }
        {
            int index = -1;
            if (findObject(x, y, index) != HitPoint)
                break;
            if (index == firstPicked || f.isConnect(firstPicked, index) >= 0) {
                request = Request::WrongPoint;
                break;
            }
            secondPicked = index;
            request = Request::SegmentDialog;
        }
        break;
    default:
        break;
    }
    dragging = false;
    return request;
}

int RDomainEditor::proposedDivision() const
{
    const double pitch = document.divisionPitch;
    if (!(pitch > 0.0))
        return 1;
    const RPoint& a = figure().points[firstPicked];
    const RPoint& b = figure().points[secondPicked];
    const double n = std::hypot(b.x - a.x, b.y - a.y) / pitch + 0.5;
    if (!(n < 2e9))
        return 2000000000;
    return std::max(1, int(n));
}

void RDomainEditor::setModeFromButtons(int button)
{
    RTriangleMesh& f = figure();
    if (button == 0) {
        editMode = 0;
    } else if (button == 1) {
        if (editMode == 2 || editMode == 3)
            f.deselect(7);
        editMode = 1;
    } else if (button == 2) {
        if (editMode == 1)
            f.deselect(7);
        editMode = 2;
    }
}

REditMenuState RDomainEditor::editMenuState() const
{
    const RTriangleMesh& f = figure();
    REditMenuState s;
    s.undo = f.canUndo();
    s.redo = f.canRedo();
    s.del = !f.selectedPoints.empty() || !f.selectedSegments.empty();
    s.copy = s.del || !f.selectedOutlines.empty();
    s.move = f.selectedOutlines.empty() && !f.selectedPoints.empty();
    for (int p : f.selectedPoints)
        if (MustBeFixedPt(p))
            s.move = false;
    return s;
}

bool RDomainEditor::undo()
{
    RTriangleMesh& f = figure();
    if (!f.canUndo())
        return false;
    const bool hadMesh = f.meshState >= 2;
    if (hadMesh && twoDimensional() && !(askRemake && askRemake()))
        return false;
    f.UndoFU();
    if (hadMesh)
        f.meshState = 1;
    updateScaleData();
    return true;
}

bool RDomainEditor::redo()
{
    RTriangleMesh& f = figure();
    if (!f.canRedo())
        return false;
    if (f.meshState >= 2) {
        if (twoDimensional() && !(askRemake && askRemake()))
            return false;
        f.meshState = 1;
    }
    f.RedoFU();
    updateScaleData();
    return true;
}

bool RDomainEditor::deleteSelection()
{
    RTriangleMesh& f = figure();
    if (f.selectedPoints.empty() && f.selectedSegments.empty())
        return false;
    if (!confirmRemake())
        return false;
    f.PushFU();
    // From the end of the ascending lists, so that the renumbering of a deletion (the last
    // record moves into the freed slot) never touches an index still waiting in a list.
    while (!f.selectedSegments.empty()) {
        f.deleteSegment(f.selectedSegments.back());
        f.selectedSegments.pop_back();
    }
    while (!f.selectedPoints.empty()) {
        const int p = f.selectedPoints.back();
        bool free = true;
        while (!f.points[p].connections.empty()) {
            // A segment the figure refuses to delete keeps its end points too.
            if (!f.deleteSegment(f.points[p].connections.back())) {
                free = false;
                break;
            }
        }
        if (free)
            f.deletePoint(p);
        f.selectedPoints.pop_back();
    }
    markChanged();
    return true;
}

void RDomainEditor::selectAll()
{
    if (meshView)
        return;
    RTriangleMesh& f = figure();
    for (RPoint& p : f.points)
        p.selected = true;
    for (RSegment& s : f.segments)
        s.selected = true;
    for (ROutline& o : f.outlines)
        o.selected = true;
}

bool RDomainEditor::zoomToSelection()
{
    RTriangleMesh& f = figure();
    if (f.selectedPoints.size() + f.selectedSegments.size() < 2)
        return false;
    for (RPoint& p : f.points)
        p.hidden = true;
    for (RSegment& s : f.segments)
        s.hidden = true;
    for (int i : f.selectedPoints)
        f.points[i].hidden = false;
    for (int i : f.selectedSegments)
        f.segments[i].hidden = false;
    updateScaleData();
    return true;
}

void RDomainEditor::zoomToAll()
{
    RTriangleMesh& f = figure();
    for (RPoint& p : f.points)
        p.hidden = false;
    for (RSegment& s : f.segments)
        s.hidden = false;
    updateScaleData();
}

int RDomainEditor::CheckPath1D(const RTriangleMesh& mesh)
{
    return checkPath1D(mesh);
}

int RDomainEditor::closeFor1D()
{
    RTriangleMesh& f = figure();
    const SControlData& c = control();
    if (c.spaceDimension != 1 || !(document.modified || f.meshState <= 1))
        return 0;
    document.compileState = std::max(document.compileState, 1);
    f.redoCount = 0;
    int code = CheckPath1D(f);
    if (code == 0) {
        RDelaunay generator(&f);
        generator.GridFor1D(double(c.PARMX), double(c.PARMY), c.twoGrid);
        if (emptyIntegralLists(*document.compiler))
            document.compileState = 2;
        if (f.gridPoints.size() > 5) {
            f.meshState = 2;
            document.meshCheck1D = 0;
            return 0;
        }
        code = 3;
    }
    document.meshCheck1D = code;
    return code;
}
