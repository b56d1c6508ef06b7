#pragma once
#include "document/RTriangleMesh.h"
#include "domain_editor/RCoord.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class RMORVDocument;
struct SControlData;

// One row of the editor's property list.
struct RPropertyRow {
    QString key;
    QString value;
    bool readOnly = false;
};

// Which Edit menu items may run, computed from the figure and its selection lists.
struct REditMenuState {
    bool undo = false;
    bool redo = false;
    bool move = false;
    bool copy = false;
    bool del = false;
};

// Hit kinds of findObject.
enum RHitKind { HitNothing = 0, HitPoint = 1, HitSegment = 2, HitOutline = 3 };

// The domain editor without its window: the document's figure, the view mapping, the edit
// mode and the commands that change the figure. The window forwards its events here and
// repaints; tests drive it directly.
class RDomainEditor {
public:
    RDomainEditor(RMORVDocument& document, int width, int height);

    RMORVDocument& document;
    RTriangleMesh& figure() const;
    const SControlData& control() const;

    RCoord view;
    bool meshView = false;          // the mesh is shown instead of the figure
    int editMode = 0;               // 0 select, 1 new point, 2 new line, 3 second point
    bool dragging = false;          // a selection drag of edit mode 0 is in progress
    std::array<QPoint, 5> band{};   // c0 = c4 pressed corner, c2 the free corner
    int firstPicked = -1;
    int secondPicked = -1;

    // Asked before a change of a two-dimensional figure that has a mesh; true to go on.
    std::function<bool()> askRemake;

    // --- view ---
    // Fits the view to the visible figure and sets the figure's geometric tolerance from it;
    // returns that tolerance.
    double updateScaleData();
    void resize(int width, int height);

    // --- selection, as the figure view's paint rebuilds it ---
    // Empties the three selection lists and refills them with the selected visible points,
    // segments and outlines in ascending index order (hidden outlines skipped). The mesh view
    // leaves them as they were.
    void rebuildSelection();
    // The property list for the selection lists.
    QList<RPropertyRow> propertyRows() const;

    // --- hit tests on pixel positions ---
    RHitKind findObject(int x, int y, int& index) const;
    void findObjectInRange(int x1, int y1, int x2, int y2, bool toggle);
    // The point ends a segment that lies on an outline, so it may not move.
    bool MustBeFixedPt(int p) const;

    // --- marking ---
    // After every change of the figure: modified, compile state at least 1, mesh state 1 and
    // the tolerance recomputed.
    void markChanged();
    // True when the change may go on: no mesh to lose, not two-dimensional, or the user
    // agreed to remake the grid.
    bool confirmRemake();
    bool twoDimensional() const;

    // --- trial backup ---
    void PushMW();
    void PopMW();

    // --- property list ---
    static QStringList pickList(const QString& key);
    static bool acceptsCharacter(QChar c);
    // Applies one edited value to the selection. False when nothing was done at all (empty
    // key or value, or the remake question refused); the caller repaints either way.
    bool validateProperty(const QString& key, const QString& value);

    // --- mouse ---
    void mouseDown(int x, int y);
    // Updates the rubber band or the rubber line; true when the overlay must be redrawn.
    bool mouseMove(int x, int y);
    // What a release in new-point or new-line mode asks the window to do.
    enum class Request { None, PointDialog, SegmentDialog, WrongPoint };
    Request mouseUp(int x, int y, bool shift, bool rightButton);
    // The division count the segment dialog proposes for the picked points.
    int proposedDivision() const;
    // Edit mode from the mode buttons (0 select, 1 point, 2 line).
    void setModeFromButtons(int button);

    // --- Edit menu and buttons ---
    REditMenuState editMenuState() const;
    bool undo();
    bool redo();
    bool deleteSelection();
    void selectAll();
    bool zoomToSelection();
    void zoomToAll();

    // --- one-dimensional grid ---
    static int CheckPath1D(const RTriangleMesh& mesh);
    // Builds the grid when the window closes: 0 when nothing was to be done or the grid is
    // valid, otherwise the check code the main window reports.
    int closeFor1D();

private:
    struct Backup {
        std::vector<RPoint> points;
        std::vector<RSegment> segments;
        std::vector<ROutline> outlines;
        std::vector<RPath> paths;
        int groupCount = 0;
        bool held = false;
    } m_backup;

    bool applyCoordinate(bool isX, double v);
    template <class Apply> void forSelectedSegments(Apply apply);
};

// Where the editor draws a segment's direction mark and picks the segment: halfway along it as
// the mesh runs it. That is the stored handle point except for a radius too short for the
// chord, whose handle stays at the chord's middle while the segment is a half circle over it.
void segmentMiddle(const RTriangleMesh& f, const RSegment& s, double& x, double& y);

// Locale-free conversions of typed values: finite decimal numbers only.
bool toFiniteReal(const QString& text, double& value);
bool toWholeNumber(const QString& text, int& value);
// A real in the property list's and dialogs' general form (up to 15 significant digits).
QString realText(double v);
