// Run > Define Grid: the domain editor opens over the main window's document, and a failed
// one-dimensional grid is reported after it has closed.
#include "tests/app/MainWindowFixture.h"

#include "document/RMORVCompile.h"
#include "domain_editor/TForm4.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(DefineGrid, OneDimensionalCheckCodeReportedAfterTheEditorCloses)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    SControlData& c = *w.document().compiler->control;
    c.PARMX = 1;
    c.spaceDimension = 1;
    QString caption;
    QTimer::singleShot(50, [&caption] {
        if (auto* editor = qobject_cast<TForm4*>(QApplication::activeModalWidget())) {
            caption = editor->windowTitle();
            editor->close();
        }
    });
    QAction* item = w.menuItem(QStringLiteral("DefineGrid1"));
    ASSERT_TRUE(item);
    item->setEnabled(true);
    item->trigger();
    EXPECT_EQ(caption, QStringLiteral("Define Grid : Untitled"));
    EXPECT_EQ(w.document().meshCheck1D, 1);
    EXPECT_EQ(f.ui.messages, QStringList{QStringLiteral("Invalid 1D mesh (code:1)")});
}

} // namespace
