// The "Define Grid" window driven by mouse events: drawing a square, closing it into an
// outline, rubber-band selection, a property edit, meshing through the progress window,
// cancelling a generation, undo back to the empty figure, and the dialogs' refusals.
#include "tests/widgets/ScriptedUserInterface.h"

#include "widgets/RValueListEditor.h"
#include "document/RMORVCompile.h"
#include "document/RMORVDocument.h"
#include "document/RMessages.h"
#include "domain_editor/TForm4.h"
#include "domain_editor/TForm5.h"
#include "domain_editor/TPointForm.h"
#include "domain_editor/TSegmentForm.h"
#include "mesh/RDelaunay.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

namespace {

// Runs `act` on the next modal dialog of type T as soon as it is shown.
template <class T> void onModal(std::function<void(T*)> act)
{
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, tries, poll] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            if (dialog->isVisible()) {
                act(dialog);
                *poll = nullptr;
                return;
            }
        }
        if (++*tries > 500) {
            ADD_FAILURE() << "no modal dialog appeared";
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, [poll] {
            if (*poll)
                (*poll)();
        });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

struct Window {
    ScriptedUserInterface ui;
    RMORVDocument doc;
    std::unique_ptr<TForm4> form;

    explicit Window(int parmx = 1, int parmy = 1)
    {
        installMessageBoxSink();
        doc.compiler->control->PARMX = parmx;
        doc.compiler->control->PARMY = parmy;
        doc.compiler->control->spaceDimension = parmx + parmy;
        doc.modified = false;
        doc.compileState = 0;
        form = std::make_unique<TForm4>(doc, nullptr);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    ~Window()
    {
        form.reset();
        setMessageSink(nullptr);
    }
    RTriangleMesh& f() { return *doc.mesh; }
    QPoint at(double x, double y) { return {form->core().view.calcPX(x), form->core().view.calcPY(y)}; }

    void addPointByClick(double x, double y)
    {
        form->ToolButton2->click();
        onModal<TPointForm>([x, y](TPointForm* d) {
            d->LabeledEdit1->setText(QString::number(x));
            d->LabeledEdit2->setText(QString::number(y));
            d->Button1->click();
        });
        QTest::mouseClick(form->PaintBox1, Qt::LeftButton, {}, QPoint(30, 30));
    }

    void addSegmentByClicks(int a, int b, std::function<void(TSegmentForm*)> fill = nullptr)
    {
        if (!form->ToolButton3->isChecked())
            form->ToolButton3->click();
        const RPoint& pa = f().points[a];
        const RPoint& pb = f().points[b];
        const QPoint qa = at(pa.x, pa.y), qb = at(pb.x, pb.y);
        QTest::mouseClick(form->PaintBox1, Qt::LeftButton, {}, qa);
        QTest::mouseMove(form->PaintBox1, qb);
        onModal<TSegmentForm>([fill](TSegmentForm* d) {
            if (fill)
                fill(d);
            else
                d->Button1->click();
        });
        QTest::mouseClick(form->PaintBox1, Qt::LeftButton, {}, qb);
    }

    void drawSquare(double size, int division)
    {
        addPointByClick(0, 0);
        addPointByClick(size, 0);
        addPointByClick(size, size);
        addPointByClick(0, size);
        for (int i = 0; i < 4; ++i)
            addSegmentByClicks(i, (i + 1) % 4, [division](TSegmentForm* d) {
                d->LabeledEdit3->setText(QString::number(division));
                d->Button1->click();
            });
    }

    int row(const QString& key)
    {
        for (int r = 0; r < form->ValueListEditor1->rowCount(); ++r)
            if (form->ValueListEditor1->key(r) == key)
                return r;
        return -1;
    }

    void editProperty(const QString& key, const QString& text)
    {
        RValueListEditor& list = *form->ValueListEditor1;
        const int r = row(key);
        ASSERT_GE(r, 0) << key.toStdString();
        list.setCurrentCell(r, 1);
        if (!list.isEditing())
            list.edit(list.model()->index(r, 1));
        auto* line = list.findChild<QLineEdit*>();
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
        QTest::qWait(20);
    }
};

TEST(Form4Window, DrawSelectEditMeshAndUndo)
{
    Window w;
    w.drawSquare(1.0, 2);
    ASSERT_EQ(w.f().points.size(), 4u);
    ASSERT_EQ(w.f().segments.size(), 4u);
    ASSERT_EQ(w.f().outlines.size(), 1u);
    EXPECT_TRUE(w.doc.modified);
    EXPECT_EQ(w.doc.compileState, 1);
    EXPECT_EQ(w.form->core().editMode, 2);
    EXPECT_TRUE(w.ui.messages.isEmpty()) << w.ui.messages.join('|').toStdString();

    // Select everything by a rectangle dragged from the upper right to the lower left.
    w.form->ToolButton1->click();
    const QPoint hi = w.at(1.2, 1.2), lo = w.at(-0.2, -0.2);
    QTest::mousePress(w.form->PaintBox1, Qt::LeftButton, {}, hi);
    QTest::mouseMove(w.form->PaintBox1, lo);
    QTest::mouseRelease(w.form->PaintBox1, Qt::LeftButton, {}, lo);
    EXPECT_EQ(w.f().selectedPoints.size(), 4u);
    EXPECT_EQ(w.f().selectedSegments.size(), 4u);
    EXPECT_EQ(w.f().selectedOutlines.size(), 1u);
    EXPECT_EQ(w.form->ValueListEditor1->value(w.row("number of mesh")), "2");
    EXPECT_TRUE(w.form->ValueListEditor1->isRowReadOnly(w.row("x")));

    w.editProperty(QStringLiteral("number of mesh"), QStringLiteral("6"));
    for (const RSegment& s : w.f().segments)
        EXPECT_EQ(s.division, 6);
    EXPECT_EQ(w.form->ValueListEditor1->value(w.row("number of mesh")), "6");

    // Mesh it through the progress window with the real generator.
    w.doc.meshType = 3;
    QTest::mouseClick(w.form->ToolButton8, Qt::LeftButton);
    EXPECT_EQ(w.f().meshState, 2);
    EXPECT_GT(w.f().triangles.size(), 0u);
    EXPECT_TRUE(w.form->core().meshView);
    EXPECT_FALSE(w.form->ToolButton1->isEnabled());
    EXPECT_EQ(w.form->StatusPanel[2]->text(),
        QStringLiteral("%1 Grids, %2 Triangles").arg(w.f().gridPoints.size()).arg(w.f().triangles.size()));
    EXPECT_FALSE(w.form->ValueListEditor1->isEnabled());

    // Undo while the mesh is shown asks first; then back to the empty figure.
    w.ui.answers.push_back(QMessageBox::Yes);
    w.form->Undo1->trigger();
    EXPECT_EQ(w.ui.questions, QStringList{QStringLiteral("Warning: You should remake grid again, OK?")});
    EXPECT_EQ(w.f().meshState, 1);
    EXPECT_TRUE(w.form->isButtonVisible(w.form->ToolButton8));
    int guard = 0;
    while (w.f().canUndo() && ++guard < 50)
        w.form->Undo1->trigger();
    EXPECT_TRUE(w.f().points.empty());
    EXPECT_TRUE(w.f().segments.empty());
    EXPECT_TRUE(w.f().outlines.empty());
    // Nothing left: Undo changes nothing.
    w.form->Undo1->trigger();
    EXPECT_TRUE(w.f().points.empty());
}

TEST(Form4Window, CancelALongGeneration)
{
    Window w;
    w.drawSquare(1.0, 400);
    ASSERT_EQ(w.f().outlines.size(), 1u);
    w.doc.meshType = 4;
    QString firstLabel;
    onModal<TForm5>([&firstLabel](TForm5* d) {
        firstLabel = d->Label1->text();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QTest::mouseClick(w.form->ToolButton8, Qt::LeftButton);
    EXPECT_EQ(firstLabel, QStringLiteral("Label1"));
    EXPECT_EQ(w.f().meshState, 1);
    EXPECT_TRUE(w.f().gridPoints.empty());
    EXPECT_TRUE(w.f().triangles.empty());
    EXPECT_FALSE(w.form->ToolButton8->isChecked());
    EXPECT_FALSE(w.form->core().meshView);
    EXPECT_TRUE(w.form->ToolButton1->isEnabled());
    EXPECT_TRUE(w.ui.messages.isEmpty()) << w.ui.messages.join('|').toStdString();
}

TEST(Form4Window, DomainCheckFailureShowsTheOffendersInTheFigureView)
{
    Window w;
    w.addPointByClick(0, 0);
    w.addPointByClick(1, 0);
    w.addPointByClick(1, 1);
    // An open chain of outline segments bounds nothing.
    w.addSegmentByClicks(0, 1);
    w.addSegmentByClicks(1, 2);
    w.form->ToolButton1->click();
    w.f().deselect(7);
    QTest::mouseClick(w.form->ToolButton8, Qt::LeftButton);
    EXPECT_FALSE(w.form->ToolButton8->isChecked());
    EXPECT_FALSE(w.form->core().meshView);
    EXPECT_EQ(w.f().meshState, 1);
    EXPECT_TRUE(w.f().triangles.empty());
    EXPECT_FALSE(w.f().selectedPoints.empty() && w.f().selectedSegments.empty());
    EXPECT_GT(w.form->ValueListEditor1->rowCount(), 0);
}

TEST(Form4Window, DialogsRefuseCoincidentPointAndCrossingSegment)
{
    Window w;
    w.addPointByClick(0, 0);
    w.addPointByClick(2, 2);
    w.addPointByClick(2, 0);
    w.addPointByClick(0, 2);
    ASSERT_EQ(w.f().points.size(), 4u);

    bool stayedOpen = false;
    w.form->ToolButton2->click();
    onModal<TPointForm>([&stayedOpen](TPointForm* d) {
        d->LabeledEdit1->setText(QStringLiteral("0"));
        d->LabeledEdit2->setText(QStringLiteral("0"));
        d->Button1->click();
        stayedOpen = d->isVisible();
        d->Button2->click();
    });
    QTest::mouseClick(w.form->PaintBox1, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(w.ui.messages, QStringList{QStringLiteral("wrong point! (already exists)")});
    EXPECT_EQ(w.f().points.size(), 4u);

    w.addSegmentByClicks(0, 1);
    ASSERT_EQ(w.f().segments.size(), 1u);
    w.ui.messages.clear();
    stayedOpen = false;
    w.addSegmentByClicks(2, 3, [&stayedOpen](TSegmentForm* d) {
        d->Button1->click();
        stayedOpen = d->isVisible();
        d->Button2->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(w.ui.messages, QStringList{QStringLiteral("Crossing!")});
    EXPECT_EQ(w.f().segments.size(), 1u);
    // The obstacle is left selected.
    EXPECT_TRUE(w.f().segments[0].selected);

    // Picking the first point again, then a joined one: "wrong point!".
    w.ui.messages.clear();
    w.form->ToolButton3->click();
    const QPoint p0 = w.at(0, 0), p1 = w.at(2, 2);
    QTest::mouseClick(w.form->PaintBox1, Qt::LeftButton, {}, p0);
    QTest::mouseClick(w.form->PaintBox1, Qt::LeftButton, {}, p0);
    QTest::mouseClick(w.form->PaintBox1, Qt::LeftButton, {}, p1);
    EXPECT_EQ(w.ui.messages, (QStringList{QStringLiteral("wrong point!"), QStringLiteral("wrong point!")}));
    EXPECT_EQ(w.form->core().editMode, 3);
    QTest::mouseClick(w.form->PaintBox1, Qt::RightButton, {}, p1);
    EXPECT_EQ(w.form->core().editMode, 2);
}

// A segment is drawn, marked and picked where the mesh runs it, whatever its radius: one too
// short for its chord was drawn as the chord while the mesh bit a half circle out of the figure.
TEST(Form4Window, SegmentsAreDrawnAndPickedWhereTheMeshRunsThem)
{
    Window w;
    w.drawSquare(2.0, 8);
    ASSERT_EQ(w.f().segments.size(), 4u);
    ASSERT_EQ(w.f().segments[0].startPoint, 0); // the bottom side, (0, 0) -> (2, 0)
    w.form->ToolButton1->click();

    struct Case {
        double radius;
        double midX, midY; // halfway along the segment, worked out by hand
        const char* what;
    };
    const Case cases[] = {
        {0.0, 1, 0, "straight"},
        {0.5, 1, 1, "radius below half the chord: half circle over it, into the square"},
        {-0.5, 1, -1, "radius below half the chord, negative: half circle out of the square"},
        {1.0, 1, 1, "radius of half the chord: half circle"},
        {1.25, 1, 0.5, "arc into the square"},
        {-1.25, 1, -0.5, "arc out of the square"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.f().deselect(7);
        w.f().segments[0].radius = c.radius;
        w.f().updateHandle(0);
        w.doc.compiler->control->twoGrid = 0;
        w.form->core().updateScaleData();
        const RCoord& v = w.form->core().view;
        auto grab = [&] { return w.form->PaintBox1->grab().toImage(); };
        // Something is drawn within a pixel of the world position.
        auto painted = [&](const QImage& img, double x, double y) {
            const int px = v.calcPX(x), py = v.calcPY(y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (img.valid(px + dx, py + dy) && img.pixelColor(px + dx, py + dy) != Qt::white)
                        return true;
            return false;
        };
        auto blank = [&](const QImage& img, double x, double y) {
            const int px = v.calcPX(x), py = v.calcPY(y);
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx)
                    if (!img.valid(px + dx, py + dy) || img.pixelColor(px + dx, py + dy) != Qt::white)
                        return false;
            return true;
        };
        auto check = [&](const QImage& img) {
            // The mesh's boundary nodes on the segment lie on the drawn line, and so does its
            // middle, which the view keeps in the picture.
            for (int k = 1; k < 8; ++k) {
                double x = 0, y = 0;
                w.f().divisionPoint(0, k, x, y);
                EXPECT_TRUE(painted(img, x, y)) << "division point " << k << " at " << x << ", " << y;
            }
            EXPECT_TRUE(painted(img, c.midX, c.midY));
            if (c.radius == 0.0) {
                EXPECT_TRUE(blank(img, 1, 0.5));
                EXPECT_TRUE(blank(img, 1, -0.2));
            } else {
                for (double x : {0.5, 1.0, 1.5})
                    EXPECT_TRUE(blank(img, x, 0)) << "chord at x = " << x;
            }
        };
        check(grab());

        // A click on the segment's middle picks it, not the nearest other object.
        const QPoint mid = w.at(c.midX, c.midY);
        QTest::mouseClick(w.form->PaintBox1, Qt::LeftButton, {}, mid);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(w.f().segments[i].selected, i == 0) << "segment " << i;

        // Selected, and in the finite-volume layout, which bands a straight segment.
        w.doc.compiler->control->twoGrid = 1;
        const QImage fvm = grab();
        EXPECT_TRUE(painted(fvm, c.midX, c.midY));
        if (c.radius != 0.0)
            for (double x : {0.5, 1.0, 1.5})
                EXPECT_TRUE(blank(fvm, x, 0)) << "chord at x = " << x;
    }
    w.doc.compiler->control->twoGrid = 0;
}

TEST(Form4Window, EditMenuStateAndOneDimensionalLayout)
{
    Window w(1, 0);
    EXPECT_FALSE(w.form->isButtonVisible(w.form->ToolButton8));
    EXPECT_FALSE(w.form->ToolButton7->isVisible());
    w.addPointByClick(0, 0);
    w.addPointByClick(1, 0);
    // The points were made with y = 0 since the y box is disabled in x alone.
    EXPECT_EQ(w.f().points[1].y, 0.0);
    w.form->Edit1Click();
    EXPECT_TRUE(w.form->Undo1->isEnabled());
    EXPECT_FALSE(w.form->Redo1->isEnabled());
    EXPECT_TRUE(w.form->Delete1->isEnabled());  // the new point is selected
    EXPECT_TRUE(w.form->Move1->isEnabled());
    w.form->SelectAll1->trigger();
    EXPECT_EQ(w.f().selectedPoints.size(), 2u);
    w.form->Delete1->trigger();
    EXPECT_TRUE(w.f().points.empty());
    // A selection that is empty leaves Delete without effect.
    const int snapshots = w.f().undoCount;
    w.form->Delete1->trigger();
    EXPECT_EQ(w.f().undoCount, snapshots);
    // Closing with no segment leaves the check code for the main window.
    w.form->close();
    EXPECT_EQ(w.doc.meshCheck1D, 1);
}

} // namespace
