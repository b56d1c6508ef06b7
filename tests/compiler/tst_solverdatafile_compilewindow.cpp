// The compile log window: the run in its thread, the log lines, progress, OK and the compile
// state it leaves.
#include "SolverDataDocuments.h"
#include "compiler/TForm10.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace SolverDataDocuments;

namespace {

struct Window {
    std::unique_ptr<RMORVDocument> doc;
    std::unique_ptr<TForm10> form;
};

Window runUntilOk(std::unique_ptr<RMORVDocument> doc)
{
    Window w;
    w.doc = std::move(doc);
    w.form = std::make_unique<TForm10>(*w.doc, w.doc->scripts, SChemistryDataBases(), nullptr);
    w.form->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form->Button1->isEnabled(); }, 20000));
    return w;
}

TEST(CompileWindow, SuccessfulRunShowsTheLogAndLowersTheState)
{
    QTemporaryDir dir;
    auto doc = document(NoGrid);
    doc->documentFolder = dir.path() + QLatin1Char('/');
    doc->documentFileName = QStringLiteral("nogrid.MV3");
    doc->named = true;
    Window w = runUntilOk(std::move(doc));
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Compile Log : nogrid.MV3"));
    const QStringList lines = w.form->Memo1->toPlainText().split('\n');
    EXPECT_EQ(lines.first(), QStringLiteral("> Compiling sub var.  ..."));
    EXPECT_TRUE(lines.contains(QStringLiteral("> 0 error(s), 0 warning(s)")));
    EXPECT_EQ(lines.last(), QStringLiteral("> Completed"));
    EXPECT_EQ(w.form->ProgressBar1->value(), 100);
    EXPECT_EQ(w.doc->compileState, 0);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("nogrid.MVAT$"))));

    // Esc never closes the window; OK does.
    QTest::keyClick(w.form.get(), Qt::Key_Escape);
    EXPECT_TRUE(w.form->isVisible());
    QSignalSpy accepted(w.form.get(), &QDialog::accepted);
    QTest::mouseClick(w.form->Button1, Qt::LeftButton);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(w.form->isVisible());
}

TEST(CompileWindow, RunWithAnErrorKeepsTheStateAndNamesAnUntitledDocument)
{
    QTemporaryDir dir;
    auto doc = document(Grid1D);
    doc->documentFolder = dir.path() + QLatin1Char('/');
    doc->scripts[RMORVDocument::Initial].append(QStringLiteral("%EQU: u"));
    Window w = runUntilOk(std::move(doc));
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Compile Log : Untitled"));
    const QStringList lines = w.form->Memo1->toPlainText().split('\n');
    EXPECT_EQ(lines.last(), QStringLiteral("> 1 error(s), 0 warning(s)"));
    EXPECT_EQ(w.form->ProgressBar1->value(), 100);
    EXPECT_EQ(w.doc->compileState, 2);
    w.form->Button1Click();
}

} // namespace
