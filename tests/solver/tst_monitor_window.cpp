// The run monitor before any run: its watch points, the captions and size of its watch list,
// and its collapsible Watch panel.
#include "MonitorFixture.h"

#include "widgets/RExtraMemo.h"
#include "dialogs/TForm8.h"
#include "dialogs/TForm9.h"
#include "compiler/TForm12.h"
#include "document/RMORVDocument.h"
#include "solver/RRazava.h"
#include "solver/RunEvent.h"
#include "solver/ui/TMVWatch.h"
#include "tests/widgets/ModalAnswer.h"
#include "solver/ui/RWatchPoints.h"
#include "solver/ui/TForm13.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A document with `points` grid points along x (spacing 0.1) and `variables` variables.
std::unique_ptr<RMORVDocument> gridDocument(int dimension, int points, int variables, bool twoGrid = false)
{
    auto doc = std::make_unique<RMORVDocument>();
    SControlData& c = *doc->compiler->control;
    SSymbolTable& s = *doc->compiler->symbols;
    c.PARMX = dimension >= 1 ? 1 : 0;
    c.PARMY = dimension >= 2 ? 1 : 0;
    c.spaceDimension = dimension;
    c.twoGrid = twoGrid ? 1 : 0;
    c.variableCount = variables;
    for (int i = 0; i < variables; ++i) {
        s.variableNames << QStringLiteral("v%1").arg(i + 1);
        s.variableComments << QString();
        s.variableAttributes << (twoGrid && i % 2 == 1 ? 1 : 0);
    }
    doc->mesh->gridPoints.resize(dimension == 0 ? 0 : 3 + points);
    for (int p = 0; dimension > 0 && p < points; ++p) {
        doc->mesh->gridPoints[3 + p].x = 0.1 * p;
        doc->mesh->gridPoints[3 + p].y = dimension == 2 ? 2.0 + p : 0.0;
    }
    return doc;
}

QStringList valueCaptions(const TForm13& m)
{
    QStringList captions;
    for (int c = 1; c <= 3; ++c)
        captions << m.ListView1->horizontalHeaderItem(c)->text();
    return captions;
}

} // namespace

TEST(MonitorWatchPoints, FollowGridSizeAndTwoGridFlag)
{
    struct Case {
        int points, dimension;
        bool twoGrid;
        RWatchPointSet expected;
    };
    const Case cases[] = {
        {11, 1, false, {0, 5, 10, 0, 0, 0}},
        {10, 1, false, {0, 5, 9, 0, 0, 0}},
        {9, 1, true, {0, 4, 8, 1, 5, 7}},
        {12, 2, true, {0, 6, 11, 1, 7, 10}},
        {7, 0, false, {0, 0, 0, 0, 0, 0}},
        {1, 1, false, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(watchPoints(c.points, c.dimension, c.twoGrid), c.expected)
            << c.points << " points, dimension " << c.dimension << ", two-grid " << c.twoGrid;
}

// A two-grid watch point past the grid would read values of a point that does not exist.
TEST(MonitorWatchPoints, TinyTwoGridStaysInsideTheGrid)
{
    for (int n = 1; n <= 4; ++n)
        for (int p : watchPoints(n, 1, true)) {
            EXPECT_GE(p, 0) << n;
            EXPECT_LT(p, n) << n;
        }
}

TEST(MonitorWatchList, RowsAndColumnCaptionsFollowTheDocument)
{
    {
        const auto doc = gridDocument(1, 11, 2);
        std::unique_ptr<RRazava> solver;
        TForm13 m(nullptr, *doc, solver, QString(), 10);
        EXPECT_EQ(m.watchPointSet(), (RWatchPointSet{0, 5, 10, 0, 0, 0}));
        EXPECT_EQ(valueCaptions(m), (QStringList{"x= 0.000E+00", "x= 5.000E-01", "x= 1.000E+00"}));
        ASSERT_EQ(m.ListView1->rowCount(), 2);
        EXPECT_EQ(m.ListView1->horizontalHeaderItem(0)->text(), "Name");
        EXPECT_EQ(m.ListView1->item(1, 0)->text(), "v2");
        for (int c = 1; c <= 3; ++c)
            EXPECT_EQ(m.ListView1->item(0, c)->text(), "-");
        EXPECT_EQ(m.ListView1->columnWidth(0), 100);
        EXPECT_EQ(m.ListView1->columnWidth(3), 130);
        EXPECT_FALSE(m.ListView1->horizontalHeader()->sectionsClickable());
        // No inputs: the input data view has nothing to show.
        EXPECT_FALSE(m.SpeedButton2->isEnabled());
    }
    {
        // Two grids: the second grid's coordinate in brackets.
        const auto doc = gridDocument(1, 9, 2, true);
        std::unique_ptr<RRazava> solver;
        TForm13 m(nullptr, *doc, solver, QString(), 10);
        EXPECT_EQ(m.watchPointSet(), (RWatchPointSet{0, 4, 8, 1, 5, 7}));
        EXPECT_EQ(valueCaptions(m), (QStringList{"x= 0.000E+00( 1.000E-01)", "x= 4.000E-01( 5.000E-01)",
                                                 "x= 8.000E-01( 7.000E-01)"}));
        EXPECT_EQ(m.variableCellAttributes(), (QList<int>{0, 1}));
    }
    {
        // A grid along y only is named by the y parameter.
        auto doc = gridDocument(1, 3, 1);
        doc->compiler->control->PARMX = 0;
        doc->compiler->control->PARMY = 1;
        doc->compiler->symbols->yName = QStringLiteral("h");
        for (int p = 0; p < 3; ++p)
            doc->mesh->gridPoints[3 + p].y = 10.0 * p;
        std::unique_ptr<RRazava> solver;
        TForm13 m(nullptr, *doc, solver, QString(), 10);
        EXPECT_EQ(valueCaptions(m), (QStringList{"h= 0.000E+00", "h= 1.000E+01", "h= 2.000E+01"}));
    }
    {
        const auto doc = gridDocument(2, 5, 1);
        std::unique_ptr<RRazava> solver;
        TForm13 m(nullptr, *doc, solver, QString(), 10);
        EXPECT_EQ(valueCaptions(m), (QStringList{" 0.00E+00, 2.00E+00", " 2.00E-01, 4.00E+00",
                                                 " 4.00E-01, 6.00E+00"}));
    }
    {
        // No space parameters: three unnamed columns, all watching point 0.
        auto doc = gridDocument(0, 0, 1);
        doc->compiler->control->inputCount = 1;
        std::unique_ptr<RRazava> solver;
        TForm13 m(nullptr, *doc, solver, QString(), 10);
        EXPECT_EQ(m.watchPointSet(), (RWatchPointSet{}));
        EXPECT_EQ(valueCaptions(m), (QStringList{"", "", ""}));
        EXPECT_TRUE(m.SpeedButton2->isEnabled());
    }
}

TEST(MonitorWatchList, TenRowsAtMostThenAScrollBar)
{
    for (const int variables : {3, 10, 12}) {
        const auto doc = gridDocument(1, 5, variables);
        std::unique_ptr<RRazava> solver;
        TForm13 m(nullptr, *doc, solver, QString(), 10);
        const int chrome = m.ListView1->horizontalHeader()->height() + 2 * m.ListView1->frameWidth();
        EXPECT_EQ(m.ListView1->height(), std::min(variables, 10) * m.watchRowHeight() + chrome) << variables;
        EXPECT_GE(m.watchRowHeight(), 17);
        EXPECT_EQ(m.ListView1->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, variables > 10) << variables;
    }
}

TEST(MonitorWatchList, PanelOpensCollapsedAndResizesTheWindow)
{
    const auto doc = gridDocument(1, 5, 4);
    std::unique_ptr<RRazava> solver;
    TForm13 m(nullptr, *doc, solver, QString(), 10);
    EXPECT_FALSE(m.watchExpanded());
    EXPECT_EQ(m.CategoryPanelGroup1->height(), 35);
    const int smallHeight = m.height();
    m.CategoryPanel1Expand();
    EXPECT_TRUE(m.watchExpanded());
    // The panel holds the list and its header and buttons rows; the group is 2 pixels taller.
    EXPECT_GE(m.CategoryPanel1->height(), m.ListView1->height() + 35);
    EXPECT_EQ(m.CategoryPanelGroup1->height(), m.CategoryPanel1->height() + 2);
    EXPECT_EQ(m.height() - smallHeight, m.CategoryPanelGroup1->height() - 35);
    m.CategoryPanel1Collapse();
    EXPECT_EQ(m.height(), smallHeight);
    EXPECT_EQ(m.CategoryPanelGroup1->height(), 35);
}

// The monitor's views of the control data and the input data must not change the document
// whose run is going on.
TEST(MonitorViews, DocumentDialogsOpenReadOnlyAndTheCompileListShows)
{
    MonitorFixture f;
    f.compile("oscillator.MV3");
    ASSERT_GT(f.doc.compiler->control->inputCount, 0);
    const double input = f.doc.inputData[0].values[0];
    const double tEnd = f.doc.compiler->control->TEND;
    auto m = f.makeMonitor();
    EXPECT_TRUE(m->SpeedButton2->isEnabled());

    bool seen = false;
    answerNextModal([&](QWidget* w) {
        auto* form = qobject_cast<TForm8*>(w);
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_FALSE(form->Button1->isEnabled());
        form->LabeledEdit2->setText(QStringLiteral("12345"));
        QTest::keyClick(form, Qt::Key_Return);
        form->Button1Click();
        EXPECT_TRUE(form->isVisible());
        form->Button2->click();
    });
    m->SpeedButton3->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(f.doc.compiler->control->TEND, tEnd);

    seen = false;
    answerNextModal([&](QWidget* w) {
        auto* form = qobject_cast<TForm9*>(w);
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_FALSE(form->Button1->isEnabled());
        QTest::keyClick(form, Qt::Key_Return);
        form->Button1Click();
        EXPECT_TRUE(form->isVisible());
        form->Button2->click();
    });
    m->SpeedButton2->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(f.doc.inputData[0].values[0], input);

    seen = false;
    answerNextModal([&](QWidget* w) {
        auto* viewer = dynamic_cast<TForm12*>(w);
        ASSERT_NE(viewer, nullptr);
        seen = true;
        EXPECT_EQ(viewer->memo->text(), f.doc.compileList.join('\n'));
        viewer->Button2->click();
    });
    m->SpeedButton4->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(f.doc.compileState, 0);
    EXPECT_FALSE(f.doc.modified);
}

// Cell variables of a two-grid run live on the second grid: reading them at the first grid's
// points would show a neighbouring cell's value.
TEST(MonitorWatchList, CellVariablesShowTheSecondGridsPoints)
{
    const auto doc = gridDocument(1, 9, 2, true);
    std::unique_ptr<RRazava> solver;
    TForm13 m(nullptr, *doc, solver, QString(), 10);
    m.CategoryPanel1Expand();
    MORVGlobalData g;
    g.variableCount = 2;
    g.pointCount = 9;
    g.newValues.resize(18);
    for (int p = 0; p < 9; ++p)
        for (int i = 0; i < 2; ++i)
            g.newValues[p * 2 + i] = 100.0 * i + p;
    const RWatchPointSet& w = m.watchPointSet();
    g.setWatchPoints(std::vector<int>(w.begin(), w.end()));
    g.publishSnapshot();
    QTemporaryDir dir;
    RunEvent event(dir.filePath("doc.MVAT$").toStdString());
    {
        TMVWatch watch(&m, &g, &event);
        watch.requestInterruption();
        event.set();
        ASSERT_TRUE(QTest::qWaitFor([&] { return watch.isFinished(); }, kMonitorTimeout));
    }
    const QStringList pointVariable {m.ListView1->item(0, 1)->text(), m.ListView1->item(0, 2)->text(),
                                     m.ListView1->item(0, 3)->text()};
    const QStringList cellVariable {m.ListView1->item(1, 1)->text(), m.ListView1->item(1, 2)->text(),
                                    m.ListView1->item(1, 3)->text()};
    EXPECT_EQ(pointVariable, (QStringList {" 0.00000E+00", " 4.00000E+00", " 8.00000E+00"}));
    EXPECT_EQ(cellVariable, (QStringList {" 1.01000E+02", " 1.05000E+02", " 1.07000E+02"}));
}
