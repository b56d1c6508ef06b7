#include "domain_editor/TForm4.h"

#include "widgets/RUserInterface.h"
#include "widgets/RValueListEditor.h"
#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"
#include "domain_editor/RCursors.h"
#include "domain_editor/RFigurePainter.h"
#include "domain_editor/TForm5.h"
#include "domain_editor/TMoveCopy.h"
#include "domain_editor/TPointForm.h"
#include "domain_editor/TSegmentForm.h"
#include "mesh/RDelaunay.h"
#include "mesh/RMeshReplace.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Toolbar pictures, drawn in code.
QIcon picture(int which)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    switch (which) {
    case 0: { // select: an arrow
        const QPoint arrow[7] = {{3, 1}, {3, 13}, {6, 10}, {9, 15}, {11, 14}, {8, 9}, {12, 9}};
        p.setBrush(Qt::black);
        p.drawPolygon(arrow, 7);
        break;
    }
    case 1: // new point: a dot in a cross
        p.drawLine(8, 1, 8, 15);
        p.drawLine(1, 8, 15, 8);
        p.setBrush(Qt::black);
        p.drawEllipse(QPoint(8, 8), 2, 2);
        break;
    case 2: // new line: two dots joined
        p.setBrush(Qt::black);
        p.drawLine(3, 12, 13, 4);
        p.drawEllipse(QPoint(3, 12), 2, 2);
        p.drawEllipse(QPoint(13, 4), 2, 2);
        break;
    case 3: // zoom to the selection: a magnifier over a dashed box
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(1, 1, 9, 9);
        p.setPen(QPen(Qt::black, 2));
        p.drawEllipse(QPoint(9, 9), 3, 3);
        p.drawLine(11, 11, 15, 15);
        break;
    case 4: // zoom to all: a magnifier over a full box
        p.drawRect(0, 0, 15, 15);
        p.setPen(QPen(Qt::black, 2));
        p.drawEllipse(QPoint(7, 7), 3, 3);
        p.drawLine(9, 9, 13, 13);
        break;
    default: // mesh: two triangles
        p.setPen(QPen(QColor(255, 0, 255), 1));
        p.drawLine(1, 14, 8, 2);
        p.drawLine(8, 2, 15, 14);
        p.drawLine(1, 14, 15, 14);
        p.drawLine(8, 2, 8, 14);
        break;
    }
    return QIcon(pm);
}

QToolButton* toolButton(QToolBar* bar, const char* name, int pic, bool checkable,
    QHash<QToolButton*, QAction*>& actions)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setIcon(picture(pic));
    b->setCheckable(checkable);
    b->setFixedHeight(23);
    // A widget on a tool bar is shown and hidden through its action.
    actions.insert(b, bar->addWidget(b));
    return b;
}

} // namespace

RPaintBox::RPaintBox(TForm4* form, QWidget* parent)
    : QWidget(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("PaintBox1"));
    setMouseTracking(true);
    setAutoFillBackground(false);
}

void RPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_form->PaintBox1Paint(painter);
}

void RPaintBox::mousePressEvent(QMouseEvent* e)
{
    m_form->PaintBox1MouseDown(e->button(), e->position().toPoint().x(), e->position().toPoint().y());
}

void RPaintBox::mouseMoveEvent(QMouseEvent* e)
{
    m_form->PaintBox1MouseMove(e->position().toPoint().x(), e->position().toPoint().y());
}

void RPaintBox::mouseReleaseEvent(QMouseEvent* e)
{
    m_form->PaintBox1MouseUp(e->button(), e->modifiers(), e->position().toPoint().x(),
        e->position().toPoint().y());
}

void RPaintBox::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    m_form->core().resize(width(), height());
}

TForm4::TForm4(RMORVDocument& document, QWidget* owner)
    : QDialog(owner)
    , m_core(document, 460, 365)
{
    setObjectName(QStringLiteral("Form4"));
    setMinimumSize(300, 200);
    resize(637, 414 + 25);

    MainMenu1 = new QMenuBar(this);
    Edit1 = MainMenu1->addMenu(QStringLiteral("Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    auto action = [&](const char* name, const QString& caption, const QKeySequence& key,
                      void (TForm4::*slot)()) {
        QAction* a = Edit1->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    Undo1 = action("Undo1", QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm4::Undo1Click);
    Redo1 = action("Redo1", QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::Key_B), &TForm4::Redo1Click);
    Edit1->addSeparator();
    Move1 = action("Move1", QStringLiteral("Move ..."), QKeySequence(), &TForm4::Move1Click);
    Copy1 = action("Copy1", QStringLiteral("Copy ..."), QKeySequence(Qt::CTRL | Qt::Key_C), &TForm4::Copy1Click);
    Delete1 = action("Delete1", QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete), &TForm4::Delete1Click);
    Edit1->addSeparator();
    SelectAll1 = action("SelectAll1", QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A),
        &TForm4::SelectAll1Click);
    connect(Edit1, &QMenu::aboutToShow, this, &TForm4::Edit1Click);
    // Between two openings of the menu every item stays reachable by its shortcut; each
    // command checks its own enabling rule when it runs.
    connect(Edit1, &QMenu::aboutToHide, this, [this] {
        for (QAction* a : {Undo1, Redo1, Move1, Copy1, Delete1, SelectAll1})
            a->setEnabled(true);
    });

    auto* Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(177);
    ToolBar1 = new QToolBar(Panel1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(25);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolButton1 = toolButton(ToolBar1, "ToolButton1", 0, true, m_buttonActions);
    ToolButton2 = toolButton(ToolBar1, "ToolButton2", 1, true, m_buttonActions);
    ToolButton3 = toolButton(ToolBar1, "ToolButton3", 2, true, m_buttonActions);
    ToolButton4 = ToolBar1->addSeparator();
    ToolButton5 = toolButton(ToolBar1, "ToolButton5", 3, false, m_buttonActions);
    ToolButton6 = toolButton(ToolBar1, "ToolButton6", 4, false, m_buttonActions);
    ToolButton7 = ToolBar1->addSeparator();
    ToolButton8 = toolButton(ToolBar1, "ToolButton8", 5, true, m_buttonActions);
    ToolButton1->setToolTip(QStringLiteral("Select"));
    ToolButton2->setToolTip(QStringLiteral("New point"));
    ToolButton3->setToolTip(QStringLiteral("New line"));
    ToolButton5->setToolTip(QStringLiteral("Zoom to the selection"));
    ToolButton6->setToolTip(QStringLiteral("Zoom to all"));
    ToolButton8->setToolTip(QStringLiteral("Mesh"));
    m_modeButtons = new QButtonGroup(this);
    m_modeButtons->addButton(ToolButton1);
    m_modeButtons->addButton(ToolButton2);
    m_modeButtons->addButton(ToolButton3);
    ToolButton1->setChecked(true);
    for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton3})
        connect(b, &QToolButton::clicked, this, &TForm4::ToolButton1Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TForm4::ToolButton5Click);
    connect(ToolButton6, &QToolButton::clicked, this, &TForm4::ToolButton6Click);
    connect(ToolButton8, &QToolButton::clicked, this, &TForm4::ToolButton8Click);

    ValueListEditor1 = new RValueListEditor(Panel1);
    ValueListEditor1->setObjectName(QStringLiteral("ValueListEditor1"));
    ValueListEditor1->horizontalHeader()->setDefaultSectionSize(100);
    ValueListEditor1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ValueListEditor1->setPickList([](const QString& key) { return RDomainEditor::pickList(key); });
    ValueListEditor1->setKeyFilter([](QChar c) { return RDomainEditor::acceptsCharacter(c); });
    ValueListEditor1->setValidator([this](int, const QString& key, QString& value) {
        m_core.validateProperty(key, value);
        // The list is rebuilt from the figure once the edit has ended.
        QTimer::singleShot(0, this, &TForm4::refresh);
        return true;
    });
    auto* left = new QVBoxLayout(Panel1);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    left->addWidget(ToolBar1);
    left->addWidget(ValueListEditor1);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setAutoFillBackground(true);
    QPalette white = Panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel2->setPalette(white);
    PaintBox1 = new RPaintBox(this, Panel2);
    auto* right = new QVBoxLayout(Panel2);
    right->setContentsMargins(2, 2, 2, 2);
    right->addWidget(PaintBox1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(25);
    const int widths[3] = {50, 200, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanel[i] = new QLabel(StatusBar1);
        StatusPanel[i]->setMinimumWidth(widths[i]);
        StatusBar1->addWidget(StatusPanel[i], i == 2 ? 1 : 0);
    }
    QFont fixed = StatusPanel[1]->font();
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFamily(QStringLiteral("monospace"));
    StatusPanel[1]->setFont(fixed);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(Panel1);
    middle->addWidget(Panel2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addLayout(middle, 1);
    layout->addWidget(StatusBar1);

    m_core.askRemake = [this] { return remakeQuestion(); };
    m_generator = std::make_unique<RDelaunay>(&m_core.figure());
    // Each opening of the editor starts with an empty undo history.
    m_core.figure().resetUndoPositions();
    m_core.updateScaleData();
    PaintBox1->setCursor(Qt::ArrowCursor);
}

TForm4::~TForm4() = default;

void TForm4::setButtonVisible(QToolButton* button, bool visible)
{
    if (QAction* a = m_buttonActions.value(button))
        a->setVisible(visible);
}

bool TForm4::isButtonVisible(QToolButton* button) const
{
    const QAction* a = m_buttonActions.value(button);
    return a && a->isVisible();
}

bool TForm4::remakeQuestion()
{
    return askQuestion(this, QStringLiteral("You should remake grid again, OK?"),
               QStringLiteral("Warning"), QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void TForm4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm4::FormShow()
{
    const RMORVDocument& doc = m_core.document;
    const QString name = doc.named ? doc.documentFileName : QStringLiteral("Untitled");
    setWindowTitle(QStringLiteral("Define Grid : ") + name);
    StatusPanel[0]->setText(m_core.control().twoGrid > 0 ? QStringLiteral("FVM") : QString());
    const bool two = m_core.twoDimensional();
    ToolButton7->setVisible(two);
    setButtonVisible(ToolButton8, two);
    refresh();
}

void TForm4::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TForm4::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    m_core.closeFor1D();
}

void TForm4::refresh()
{
    if (!m_core.meshView) {
        m_core.rebuildSelection();
        fillPropertyList();
        StatusPanel[2]->clear();
    } else if (m_core.figure().meshState >= 2) {
        ValueListEditor1->clearRows();
        ValueListEditor1->setEnabled(false);
        StatusPanel[2]->setText(QStringLiteral("%1 Grids, %2 Triangles")
                                    .arg(m_core.figure().gridPoints.size())
                                    .arg(m_core.figure().triangles.size()));
    }
    PaintBox1->update();
}

void TForm4::fillPropertyList()
{
    const QList<RPropertyRow> rows = m_core.propertyRows();
    ValueListEditor1->setEnabled(true);
    bool same = ValueListEditor1->rowCount() == rows.size();
    for (int i = 0; same && i < rows.size(); ++i)
        same = ValueListEditor1->key(i) == rows[i].key && ValueListEditor1->value(i) == rows[i].value
            && ValueListEditor1->isRowReadOnly(i) == rows[i].readOnly;
    if (same)
        return;
    ValueListEditor1->clearRows();
    for (const RPropertyRow& r : rows)
        ValueListEditor1->addRow(r.key, r.value, r.readOnly);
}

void TForm4::PaintBox1Paint(QPainter& painter)
{
    painter.fillRect(PaintBox1->rect(), Qt::white);
    RFigurePainter draw(painter, m_core.view, m_core.figure());
    if (m_core.meshView) {
        if (m_core.figure().meshState >= 2)
            draw.drawMesh();
    } else {
        m_core.rebuildSelection();
        draw.drawDomain(m_core.control().twoGrid > 0);
        fillPropertyList();
    }
    // The rubber band of a selection drag, or the rubber line of a new segment.
    if (m_core.dragging) {
        painter.setPen(QPen(QColor(128, 0, 0), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(m_core.band.data(), 5);
    } else if (m_core.editMode == 3 && m_core.firstPicked >= 0
        && m_core.firstPicked < int(m_core.figure().points.size())) {
        const RPoint& p = m_core.figure().points[m_core.firstPicked];
        painter.setPen(QPen(QColor(0, 128, 128), 1));
        painter.drawLine(QPointF(m_core.view.pixelX(p.x), m_core.view.pixelY(p.y)),
            QPointF(m_core.band[2]));
    }
}

void TForm4::ToolButton1Click()
{
    checkMeshMode();
}

void TForm4::checkMeshMode()
{
    if (ToolButton1->isChecked()) {
        m_core.setModeFromButtons(0);
        PaintBox1->setCursor(Qt::ArrowCursor);
    } else if (ToolButton2->isChecked()) {
        m_core.setModeFromButtons(1);
        PaintBox1->setCursor(newPointCursor());
    } else if (ToolButton3->isChecked()) {
        m_core.setModeFromButtons(2);
        PaintBox1->setCursor(newLineCursor());
    }
    refresh();
}

void TForm4::PaintBox1MouseDown(Qt::MouseButton, int x, int y)
{
    m_core.mouseDown(x, y);
}

void TForm4::PaintBox1MouseMove(int x, int y)
{
    if (m_core.mouseMove(x, y))
        PaintBox1->update();
    StatusPanel[1]->setText(QString::asprintf("%14.7f,%14.7f", m_core.view.calcX(x), m_core.view.calcY(y)));
}

void TForm4::markChanged()
{
    m_core.markChanged();
}

void TForm4::PaintBox1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)
{
    const RDomainEditor::Request request
        = m_core.mouseUp(x, y, modifiers.testFlag(Qt::ShiftModifier), button == Qt::RightButton);
    switch (request) {
    case RDomainEditor::Request::PointDialog: {
        const SControlData& c = m_core.control();
        auto coordinate = [](double v) { return QString::asprintf("%14.7f", v).trimmed(); };
        TPointForm dialog(m_core, this);
        dialog.LabeledEdit1->setEnabled(c.PARMX != 0);
        dialog.LabeledEdit1->setText(coordinate(c.PARMX ? m_core.view.calcX(x) : 0.0));
        dialog.LabeledEdit2->setEnabled(c.PARMY != 0);
        dialog.LabeledEdit2->setText(coordinate(c.PARMY ? m_core.view.calcY(y) : 0.0));
        dialog.LabeledEdit3->setText(QStringLiteral("1"));
        if (dialog.exec() == QDialog::Accepted)
            markChanged();
        break;
    }
    case RDomainEditor::Request::SegmentDialog: {
        TSegmentForm dialog(m_core, this);
        dialog.inputTracking = false;
        dialog.LabeledEdit1->setText(QStringLiteral("0"));
        dialog.LabeledEdit1->setEnabled(m_core.twoDimensional());
        dialog.LabeledEdit2->setText(QStringLiteral("0"));
        dialog.LabeledEdit3->setText(QString::number(m_core.proposedDivision()));
        dialog.ComboBox1->setCurrentIndex(1);
        dialog.LabeledEdit4->setText(QStringLiteral("1"));
        const int result = dialog.exec();
        m_core.editMode = 2;
        if (result == QDialog::Accepted)
            markChanged();
        break;
    }
    case RDomainEditor::Request::WrongPoint:
        showMessage(this, QStringLiteral("wrong point!"));
        break;
    case RDomainEditor::Request::None:
        break;
    }
    m_core.dragging = false;
    refresh();
}

REditMenuState TForm4::menuState()
{
    if (!m_core.meshView)
        m_core.rebuildSelection();
    return m_core.editMenuState();
}

void TForm4::Edit1Click()
{
    const REditMenuState s = menuState();
    Undo1->setEnabled(s.undo);
    Redo1->setEnabled(s.redo);
    Delete1->setEnabled(s.del);
    Copy1->setEnabled(s.copy);
    Move1->setEnabled(s.move);
}

void TForm4::Undo1Click()
{
    if (!menuState().undo)
        return;
    const bool hadMesh = m_core.figure().meshState >= 2;
    if (!m_core.undo())
        return;
    if (!hadMesh) {
        refresh();
        return;
    }
    // The mesh is gone: the buttons return, the mesh button only in two dimensions.
    m_modeButtons->setExclusive(false);
    ToolButton1->setChecked(false);
    m_modeButtons->setExclusive(true);
    const bool two = m_core.twoDimensional();
    setButtonVisible(ToolButton3, true);
    ToolButton4->setVisible(true);
    setButtonVisible(ToolButton5, true);
    ToolButton7->setVisible(two);
    setButtonVisible(ToolButton8, two);
    checkMeshMode();
}

void TForm4::Redo1Click()
{
    if (!menuState().redo)
        return;
    if (m_core.redo())
        refresh();
}

void TForm4::Delete1Click()
{
    if (!menuState().del)
        return;
    if (m_core.deleteSelection())
        refresh();
}

void TForm4::runMoveCopy(const QString& caption)
{
    TMoveCopy dialog(m_core, this);
    dialog.setWindowTitle(caption);
    if (dialog.exec() != QDialog::Accepted)
        return;
    markChanged();
    refresh();
}

void TForm4::Move1Click()
{
    if (!menuState().move)
        return;
    runMoveCopy(QStringLiteral("Move"));
}

void TForm4::Copy1Click()
{
    if (!menuState().copy)
        return;
    runMoveCopy(QStringLiteral("Copy"));
}

void TForm4::SelectAll1Click()
{
    m_core.selectAll();
    refresh();
}

void TForm4::ToolButton5Click()
{
    if (!m_core.meshView)
        m_core.rebuildSelection();
    if (m_core.zoomToSelection())
        refresh();
}

void TForm4::ToolButton6Click()
{
    m_core.zoomToAll();
    refresh();
}

void TForm4::ToolButton8Click()
{
    RTriangleMesh& f = m_core.figure();
    RMORVDocument& doc = m_core.document;
    QStringList later;
    bool failed = false;
    if (f.meshState != 2) {
        m_generator->meshAngle = doc.meshAngle;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (ToolButton8->isChecked() && f.meshState == 1) {
            if (m_generator->CheckPath() > 0) {
                ToolButton8->setChecked(false);
            } else {
                TForm5 progress(*m_generator, doc, this);
                progress.exec();
                later = progress.collectedMessages();
                failed = progress.failed();
                if (progress.cancelled() || failed) {
                    ToolButton8->setChecked(false);
                } else {
                    f.meshState = 2;
                    doc.modified = true;
                    doc.compileState = std::max(doc.compileState, 1);
                    if (emptyIntegralLists(*doc.compiler))
                        doc.compileState = 2;
                }
            }
        }
        QApplication::restoreOverrideCursor();
    }
    const bool up = !ToolButton8->isChecked();
    for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton3, ToolButton5, ToolButton6})
        b->setEnabled(up);
    m_core.meshView = !up;
    if (up)
        checkMeshMode();
    else
        PaintBox1->setCursor(Qt::ArrowCursor);
    refresh();
    for (const QString& text : later)
        showMessage(this, text);
    if (failed)
        showMessage(this, QStringLiteral("Mesh generation failed."));
}
