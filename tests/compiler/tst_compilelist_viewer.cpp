// The compile-list viewer: shows the list read-only and exports it as ".SYM".
#include "widgets/RExtraMemo.h"
#include "compiler/TForm12.h"
#include "document/RMORVDocument.h"
#include "tests/widgets/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(CompileListViewer, ShowsTheListReadOnlyAndExportsIt)
{
    ScriptedUserInterface ui;
    QTemporaryDir dir;
    RMORVDocument doc;
    doc.documentFolder = dir.path() + QLatin1Char('/');
    doc.documentFileName = QStringLiteral("heat.MV3");
    doc.named = true;
    doc.compileList = {"---- Compile List : heat.MV3 ----", "", "* SYMBOLS", "Variable     global      1   ü"};
    TForm12 viewer(nullptr, doc, QStringLiteral("Monospace"), 10);
    viewer.compileList = &doc.compileList;
    viewer.show();
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Compile list : heat.MV3"));
    EXPECT_EQ(viewer.memo->text().split('\n'), doc.compileList);
    EXPECT_FALSE(viewer.memo->canEdit());

    viewer.Button1Click();
    viewer.Button1Click();
    EXPECT_EQ(ui.messages, QStringList({"heat.SYM saved", "heat.SYM saved"}));
    QFile f(dir.filePath(QStringLiteral("heat.SYM")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBF---- Compile List : heat.MV3 ----\r\n\r\n* SYMBOLS\r\n"
                                      "Variable     global      1   \xC3\xBC\r\n"));

    QTest::mouseClick(viewer.Button2, Qt::LeftButton);
    EXPECT_FALSE(viewer.isVisible());
}

TEST(CompileListViewer, UntitledDocumentAndAFailedExport)
{
    ScriptedUserInterface ui;
    QTemporaryDir dir;
    RMORVDocument doc;
    doc.documentFolder = dir.filePath(QStringLiteral("missing")) + QLatin1Char('/');
    TForm12 viewer(nullptr, doc, QStringLiteral("Monospace"), 10);
    viewer.compileList = &doc.compileList;
    viewer.show();
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Compile list : Untitled"));
    viewer.Button1Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_FALSE(ui.messages.first().endsWith(QStringLiteral(" saved")));
}

} // namespace
