#pragma once
#include "domain_editor/RDomainEditor.h"

#include <QDialog>
#include <QHash>
#include <memory>

class QAction;
class QButtonGroup;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QToolBar;
class QToolButton;
class RDelaunay;
class RMORVDocument;
class RValueListEditor;
class TForm4;

// The editor's drawing area: paints through the window and draws the rubber band or the
// rubber line of a new segment on top as an overlay.
class RPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit RPaintBox(TForm4* form, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TForm4* m_form;
};

// "Define Grid": draws and edits the document's figure, shows the mesh, starts the
// two-dimensional generation and, for a one-dimensional problem, builds the grid on close.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(RMORVDocument& document, QWidget* owner);
    ~TForm4() override;

    RDomainEditor& core() { return m_core; }
    RDelaunay& generator() { return *m_generator; }

    QMenuBar* MainMenu1;
    QMenu* Edit1;
    QAction* Undo1;
    QAction* Redo1;
    QAction* Move1;
    QAction* Copy1;
    QAction* Delete1;
    QAction* SelectAll1;
    QToolBar* ToolBar1;
    QToolButton* ToolButton1;  // select
    QToolButton* ToolButton2;  // new point
    QToolButton* ToolButton3;  // new line
    QAction* ToolButton4;      // separator
    QToolButton* ToolButton5;  // zoom to selection
    QToolButton* ToolButton6;  // zoom to all
    QAction* ToolButton7;      // separator before the mesh button
    QToolButton* ToolButton8;  // mesh view and generation
    RValueListEditor* ValueListEditor1;
    QFrame* Panel2;
    RPaintBox* PaintBox1;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel[3];

    // Events.
    void ToolButton1Click();
    void checkMeshMode();
    void Edit1Click();
    void Undo1Click();
    void Redo1Click();
    void Delete1Click();
    void Move1Click();
    void Copy1Click();
    void SelectAll1Click();
    void ToolButton5Click();
    void ToolButton6Click();
    void ToolButton8Click();
    void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
    void PaintBox1MouseMove(int x, int y);
    void PaintBox1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

    // Draws the figure or the mesh (called by the drawing area's paint event).
    void PaintBox1Paint(QPainter& painter);
    // The selection lists and the property list as the next paint will show them, then a
    // repaint.
    void refresh();
    // Tool bar buttons are shown and hidden through their tool bar actions.
    void setButtonVisible(QToolButton* button, bool visible);
    bool isButtonVisible(QToolButton* button) const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void FormClose();
    void fillPropertyList();
    void runMoveCopy(const QString& caption);
    void markChanged();
    bool remakeQuestion();
    // The Edit menu state now, from freshly rebuilt selection lists.
    REditMenuState menuState();

    RDomainEditor m_core;
    std::unique_ptr<RDelaunay> m_generator;
    QButtonGroup* m_modeButtons = nullptr;
    QHash<QToolButton*, QAction*> m_buttonActions;
    bool m_closed = false;
};
