// The point, segment and move/copy dialogs on their own, and the drawing of the figure.
#include "tests/widgets/ScriptedUserInterface.h"

#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"
#include "document/RMessages.h"
#include "domain_editor/RDomainEditor.h"
#include "domain_editor/RFigurePainter.h"
#include "domain_editor/TForm4.h"
#include "domain_editor/TMoveCopy.h"
#include "domain_editor/TPointForm.h"
#include "domain_editor/TSegmentForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Dialogs {
    ScriptedUserInterface ui;
    RMORVDocument doc;
    RDomainEditor editor{doc, 500, 400};
    RTriangleMesh& f = *doc.mesh;

    explicit Dialogs(int parmx = 1, int parmy = 1)
    {
        installMessageBoxSink();
        doc.compiler->control->PARMX = parmx;
        doc.compiler->control->PARMY = parmy;
        doc.compiler->control->spaceDimension = parmx + parmy;
        editor.askRemake = [this] {
            return askQuestion(nullptr, QStringLiteral("You should remake grid again, OK?"),
                       QStringLiteral("Warning"), QMessageBox::Yes | QMessageBox::No)
                == QMessageBox::Yes;
        };
    }
    ~Dialogs() { setMessageSink(nullptr); }

    int point(double x, double y)
    {
        TPointForm d(editor, nullptr);
        d.LabeledEdit1->setText(QString::number(x));
        d.LabeledEdit2->setText(QString::number(y));
        d.LabeledEdit3->setText(QStringLiteral("1"));
        d.show();
        d.Button1->click();
        editor.updateScaleData();
        return int(f.points.size()) - 1;
    }

    // A segment dialog between two points, filled as the editor fills it, then shown.
    std::unique_ptr<TSegmentForm> segmentDialog(int a, int b)
    {
        editor.firstPicked = a;
        editor.secondPicked = b;
        auto d = std::make_unique<TSegmentForm>(editor, nullptr);
        d->inputTracking = false;
        d->LabeledEdit1->setText(QStringLiteral("0"));
        d->LabeledEdit2->setText(QStringLiteral("0"));
        d->LabeledEdit3->setText(QString::number(editor.proposedDivision()));
        d->ComboBox1->setCurrentIndex(1);
        d->LabeledEdit4->setText(QStringLiteral("1"));
        d->show();
        return d;
    }

    bool segment(int a, int b, int type = 1)
    {
        auto d = segmentDialog(a, b);
        d->ComboBox1->setCurrentIndex(type);
        d->Button1->click();
        editor.updateScaleData();
        return d->result() == QDialog::Accepted;
    }
};

TEST(PointDialog, ChecksAndTheRemakeQuestion)
{
    Dialogs t;
    const int a = t.point(0, 0);
    const int b = t.point(4, 0);
    t.segment(a, b, 0);
    // Already there comes before on a segment.
    TPointForm d(t.editor, nullptr);
    d.LabeledEdit1->setText(QStringLiteral("0"));
    d.LabeledEdit2->setText(QStringLiteral("0"));
    d.LabeledEdit3->setText(QStringLiteral("-3"));
    d.show();
    d.Button1->click();
    d.LabeledEdit1->setText(QStringLiteral("2"));
    d.Button1->click();
    // Not a number: no message, still open.
    d.LabeledEdit1->setText(QStringLiteral("nan"));
    d.Button1->click();
    EXPECT_EQ(t.ui.messages, (QStringList{QStringLiteral("wrong point! (already exists)"),
                                 QStringLiteral("wrong point! (on segment)")}));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(t.f.points.size(), 2u);
    d.LabeledEdit2->setText(QStringLiteral("1"));
    d.LabeledEdit1->setText(QStringLiteral("2"));
    d.Button1->click();
    ASSERT_EQ(t.f.points.size(), 3u);
    EXPECT_EQ(t.f.points[2].region, -3);
    EXPECT_TRUE(t.f.points[2].selected);
    EXPECT_EQ(t.f.points[2].group, t.f.groupCount - 1);
    const int groups = t.f.groupCount;
    t.f.UndoFU();
    EXPECT_EQ(t.f.points.size(), 2u);
    EXPECT_EQ(t.f.groupCount, groups - 1);

    // With a mesh every press asks; No closes the dialog as cancelled.
    t.f.meshState = 2;
    TPointForm e(t.editor, nullptr);
    e.LabeledEdit1->setText(QStringLiteral("0"));
    e.LabeledEdit2->setText(QStringLiteral("0"));
    e.LabeledEdit3->setText(QStringLiteral("1"));
    e.show();
    t.ui.answers = {QMessageBox::Yes, QMessageBox::No};
    e.Button1->click();
    EXPECT_TRUE(e.isVisible());
    e.Button1->click();
    EXPECT_EQ(e.result(), QDialog::Rejected);
    EXPECT_EQ(t.ui.questions.size(), 2);
    EXPECT_EQ(t.f.meshState, 2);
}

TEST(SegmentDialog, RangesOutlineDegreeAndStandardPitch)
{
    Dialogs t;
    const int c = t.point(0, 0);
    const int p1 = t.point(2.2, 0);
    const int p2 = t.point(0, 2);
    const int p3 = t.point(-2, 0);
    const int p4 = t.point(0, -2);

    auto d = t.segmentDialog(c, p1);
    for (const char* bias : {"1", "-1", "inf"}) {
        d->LabeledEdit2->setText(QString::fromLatin1(bias));
        d->Button1->click();
        EXPECT_TRUE(d->isVisible()) << bias;
    }
    d->LabeledEdit2->setText(QStringLiteral("0.999"));
    d->LabeledEdit3->setText(QStringLiteral("0"));
    d->Button1->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(t.ui.messages.isEmpty());
    // A typed division count offers "standard"; ticked, it sets the pitch.
    EXPECT_TRUE(d->CheckBox1->isVisibleTo(d.get()));
    d->LabeledEdit3->setText(QStringLiteral("4"));
    d->CheckBox1->setChecked(true);
    d->Button1->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_DOUBLE_EQ(t.doc.divisionPitch, 2.2 / 4);
    EXPECT_EQ(t.f.segments[0].bias, 0.999);

    // The proposal follows the pitch; a radius typed in proposes from the arc length.
    auto e = t.segmentDialog(c, p2);
    EXPECT_EQ(e->LabeledEdit3->text(), QStringLiteral("4"));
    EXPECT_FALSE(e->CheckBox1->isVisibleTo(e.get()));
    e->LabeledEdit1->setText(QStringLiteral("1"));
    EXPECT_EQ(e->LabeledEdit3->text(), QString::number(int(3.14159265358979 / 0.55 + 0.5)));
    EXPECT_FALSE(e->CheckBox1->isVisibleTo(e.get()));
    e->LabeledEdit1->setText(QStringLiteral("0"));
    e->Button1->click();

    // The third outline segment at a point is refused; an inner border is not.
    EXPECT_TRUE(t.segment(c, p3, 1) == false);
    EXPECT_EQ(t.ui.messages, QStringList{QStringLiteral("Invalid Outline!")});
    EXPECT_TRUE(t.segment(c, p4, 0));
    EXPECT_EQ(t.f.segments.size(), 3u);
}

TEST(MoveCopyDialog, InvalidValuesLayoutAndMirrorInXAlone)
{
    {
        Dialogs t;
        t.point(1, 1);
        TMoveCopy d(t.editor, nullptr);
        d.setWindowTitle(QStringLiteral("Copy"));
        d.show();
        EXPECT_TRUE(d.RadioButton3->isVisibleTo(&d));
        EXPECT_TRUE(d.LabeledEdit[3]->isVisibleTo(&d));
        d.LabeledEdit[3]->setText(QStringLiteral("0"));
        d.Button1->click();
        // A mirror line of no length, as the card opens in two dimensions.
        d.RadioButton2->click();
        d.Button1->click();
        EXPECT_EQ(t.ui.messages, (QStringList{QStringLiteral("Invalid Value"), QStringLiteral("Invalid Value")}));
        EXPECT_TRUE(d.isVisible());
    }
    {
        Dialogs t(1, 0);
        const int p = t.point(3, 0);
        t.point(5, 0);
        t.f.deselect(7);
        t.f.points[p].selected = true;
        t.editor.rebuildSelection();
        TMoveCopy d(t.editor, nullptr);
        d.setWindowTitle(QStringLiteral("Move"));
        d.show();
        EXPECT_FALSE(d.RadioButton3->isVisibleTo(&d));
        EXPECT_FALSE(d.LabeledEdit[3]->isVisibleTo(&d));
        EXPECT_FALSE(d.LabeledEdit[2]->isEnabled());
        EXPECT_FALSE(d.LabeledEdit[6]->isEnabled());
        d.RadioButton2->click();
        d.LabeledEdit[4]->setText(QStringLiteral("2"));
        EXPECT_EQ(d.LabeledEdit[6]->text(), QStringLiteral("2"));
        d.Button1->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(t.f.points[p].x, 1.0);
        EXPECT_EQ(t.f.points[p].y, 0.0);
    }
}

// The pixel colour at a world position of a figure drawn into an image.
struct Drawn {
    QImage image{500, 400, QImage::Format_RGB32};
    QColor at(const RCoord& v, double x, double y) const
    {
        return image.pixelColor(int(v.pixelX(x)), int(v.pixelY(y)));
    }
};

TEST(FigureDrawing, ArcsBulgeToTheirSideAndSelectedSegmentsShowDivisions)
{
    Dialogs t;
    const int a = t.point(0, 0);
    const int b = t.point(2, 0);
    const int c = t.point(0, 3);
    const int d = t.point(2, 3);
    t.point(3, -2);  // keeps the space below the arc in view
    RSegment arc;
    arc.startPoint = a;
    arc.endPoint = b;
    arc.radius = 1.0;  // bulges left of (0,0) -> (2,0): upwards
    arc.division = 1;
    RTriangleMesh::segmentHandle(0, 0, 2, 0, 1.0, arc.handleX, arc.handleY);
    t.f.segments.push_back(arc);
    RSegment line;
    line.startPoint = c;
    line.endPoint = d;
    line.division = 4;
    line.type = 1;
    line.selected = true;
    line.handleX = 1;
    line.handleY = 3;
    t.f.segments.push_back(line);
    t.editor.updateScaleData();

    Drawn img;
    img.image.fill(Qt::white);
    {
        QPainter p(&img.image);
        RFigurePainter(p, t.editor.view, t.f).drawDomain(false);
    }
    // The apex of the arc is drawn, its mirror image below the chord is not.
    EXPECT_NE(img.at(t.editor.view, 1, 1), QColor(Qt::white));
    EXPECT_EQ(img.at(t.editor.view, 1, -1), QColor(Qt::white));
    // The selected straight segment is red with black division dots at its quarters.
    EXPECT_EQ(img.at(t.editor.view, 0.25, 3), QColor(255, 0, 0));
    for (double x : {0.5, 1.5})
        EXPECT_EQ(img.at(t.editor.view, x, 3), QColor(Qt::black)) << x;
}

TEST(EditorWindow, OpeningAgainStartsWithoutUndo)
{
    Dialogs t;
    t.point(0, 0);
    t.point(1, 0);
    {
        TForm4 form(t.doc, nullptr);
        form.Edit1Click();
        EXPECT_FALSE(form.Undo1->isEnabled());
        EXPECT_FALSE(form.Redo1->isEnabled());
        // The shortcut finds nothing to undo either.
        form.Undo1->setEnabled(true);
        form.Undo1->trigger();
        EXPECT_EQ(t.f.points.size(), 2u);
    }
}

} // namespace
