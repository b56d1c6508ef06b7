// The input data dialog: paging, New and Delete on the working copy, values typed into the
// grid, and OK or Cancel against the document.
#include "tests/widgets/ScriptedUserInterface.h"
#include "widgets/RScriptFont.h"
#include "widgets/RValueListEditor.h"
#include "dialogs/TForm9.h"
#include "document/RMORVDocument.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Inputs a and b; three sets labelled s1..s3.
void prepare(RMORVDocument& doc)
{
    doc.compiler->control->inputCount = 2;
    doc.compiler->symbols->inputNames = {"a", "b"};
    doc.compiler->symbols->inputComments = {"first input", "second input"};
    doc.inputData = {SInputData{{1, 2}, "s1"}, SInputData{{3, 4}, "s2"}, SInputData{{5, 6}, "s3"}};
    doc.inputDataIndex = 1;
    doc.compileState = 0;
}

// Types into a value cell's editor without leaving it.
void typeIntoCell(RValueListEditor* grid, int row, const QString& text)
{
    grid->setFocus();
    grid->setCurrentCell(row, 1);
    if (!grid->isEditing())
        grid->edit(grid->model()->index(row, 1));
    auto* line = qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(row, 1)));
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, text);
}

struct Dialog {
    explicit Dialog(RMORVDocument& doc) : form(doc, nullptr)
    {
        form.show();
        QApplication::setActiveWindow(&form);
    }
    TForm9 form;
};

} // namespace

TEST(InputDataDialog, ShowsTheCurrentSet)
{
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    EXPECT_EQ(d.form.windowTitle(), "Edit Input data : Untitled");
    EXPECT_EQ(d.form.Label1->text(), "No. 2");
    EXPECT_EQ(d.form.Edit1->text(), "s2");
    EXPECT_EQ(d.form.ValueListEditor1->key(1), "b");
    EXPECT_EQ(d.form.ValueListEditor1->value(1), "4");
    EXPECT_TRUE(d.form.SpeedButton3->isEnabled());
    EXPECT_TRUE(d.form.SpeedButton4->isEnabled());
    EXPECT_EQ(d.form.Label2->text(), "first input");
    // The grid's names and values are in the default gothic family at 12 pixels.
    EXPECT_EQ(d.form.ValueListEditor1->font().family(), defaultScriptFontName());
    EXPECT_EQ(d.form.ValueListEditor1->font().pixelSize(), 12);
}

// An index out of range (from a file) must not crash the dialog.
TEST(InputDataDialog, IndexOutOfRangeIsClamped)
{
    RMORVDocument doc;
    prepare(doc);
    doc.inputDataIndex = 7;
    Dialog d(doc);
    EXPECT_EQ(d.form.Label1->text(), "No. 3");
    EXPECT_FALSE(d.form.SpeedButton4->isEnabled());
}

TEST(InputDataDialog, NewDeleteAndPaging)
{
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    d.form.Edit1->setText("second");
    d.form.SpeedButton1->click(); // New: copy of the second set
    EXPECT_EQ(d.form.Label1->text(), "No. 4");
    EXPECT_EQ(d.form.Edit1->text(), "second");
    EXPECT_EQ(d.form.workingSets().at(3).values, (QList<double>{3, 4}));

    d.form.SpeedButton2->click(); // Delete the last: the new last shows
    EXPECT_EQ(d.form.Label1->text(), "No. 3");
    EXPECT_EQ(d.form.Edit1->text(), "s3");
    d.form.SpeedButton3->click();
    d.form.SpeedButton3->click();
    EXPECT_EQ(d.form.Label1->text(), "No. 1");
    EXPECT_FALSE(d.form.SpeedButton3->isEnabled());
    d.form.Edit1->setText("lost");
    d.form.SpeedButton2->click(); // Delete the first: the former second shows as No. 1
    EXPECT_EQ(d.form.Label1->text(), "No. 1");
    EXPECT_EQ(d.form.Edit1->text(), "second");
    d.form.SpeedButton2->click();
    EXPECT_FALSE(d.form.SpeedButton2->isEnabled());
    EXPECT_EQ(d.form.workingSets().size(), 1);
    // The document has not been touched.
    EXPECT_EQ(doc.inputData.size(), 3);
    EXPECT_EQ(doc.inputData[1].label, "s2");
}

TEST(InputDataDialog, TypedValuesAndOk)
{
    ScriptedUserInterface ui;
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    typeIntoCell(d.form.ValueListEditor1, 0, "7.5");
    QTest::keyClick(d.form.ValueListEditor1->indexWidget(d.form.ValueListEditor1->model()->index(0, 1)), Qt::Key_Return);
    EXPECT_EQ(d.form.workingSets().at(1).values.at(0), 7.5);
    // A value still in its editor counts on OK.
    typeIntoCell(d.form.ValueListEditor1, 1, "-2e3");
    d.form.Edit1->setText("edited");
    d.form.Button1->click();
    EXPECT_EQ(d.form.result(), QDialog::Accepted);
    EXPECT_EQ(doc.inputData[1].values, (QList<double>{7.5, -2000}));
    EXPECT_EQ(doc.inputData[1].label, "edited");
    EXPECT_EQ(doc.inputDataIndex, 1);
    EXPECT_EQ(doc.compileState, 1);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(ui.messages.isEmpty());
}

// Guards against Enter in the grid closing the dialog through its default OK button once the
// editor had closed: Enter only validates the cell and the editor stays open on it.
TEST(InputDataDialog, EnterInTheGridOnlyValidatesTheCell)
{
    ScriptedUserInterface ui;
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    RValueListEditor* grid = d.form.ValueListEditor1;
    const auto focused = [] {
        QCoreApplication::processEvents();
        return QApplication::focusWidget();
    };
    d.form.Edit1->setFocus();
    QTest::keyClick(d.form.Edit1, Qt::Key_Tab);  // into the grid: the editor opens on its own
    auto* editor = qobject_cast<QLineEdit*>(focused());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "3");
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "7.5");
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_TRUE(d.form.isVisible());
    EXPECT_TRUE(grid->isEditing());
    EXPECT_EQ(focused(), editor);
    EXPECT_EQ(d.form.workingSets().at(1).values.at(0), 7.5);
    EXPECT_EQ(grid->value(0), "7.5");

    // A refused text leaves the previous value in the editor, which stays open.
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "x1");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(d.form.isVisible());
    EXPECT_EQ(d.form.workingSets().at(1).values.at(0), 7.5);
    ASSERT_EQ(focused(), editor);
    EXPECT_EQ(editor->text(), "7.5");

    // Enter on a cell without an editor (a key) does not end the dialog either.
    grid->setCurrentCell(1, 0);
    grid->setFocus();
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_TRUE(d.form.isVisible());
    EXPECT_FALSE(doc.modified);

    QTest::mouseClick(d.form.Button1, Qt::LeftButton);
    EXPECT_FALSE(d.form.isVisible());
    EXPECT_EQ(d.form.result(), QDialog::Accepted);
    EXPECT_EQ(doc.inputData[1].values, (QList<double>{7.5, 4}));
}

TEST(InputDataDialog, EscapeInTheGridCancels)
{
    ScriptedUserInterface ui;
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    d.form.Edit1->setFocus();
    QTest::keyClick(d.form.Edit1, Qt::Key_Tab);
    QCoreApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "9");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(d.form.isVisible());
    EXPECT_EQ(d.form.result(), QDialog::Rejected);
    EXPECT_EQ(doc.inputData[1].values, (QList<double>{3, 4}));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST(InputDataDialog, ValueThatIsNoNumberIsRefused)
{
    for (const char* text : {"abc", "nan", "inf"}) {
        ScriptedUserInterface ui;
        RMORVDocument doc;
        prepare(doc);
        Dialog d(doc);
        typeIntoCell(d.form.ValueListEditor1, 0, text);
        d.form.Button1->click();
        EXPECT_EQ(ui.messages.size(), 1) << text;
        EXPECT_TRUE(d.form.isVisible()) << text;
        EXPECT_EQ(d.form.workingSets().at(1).values.at(0), 3.0) << text;
        EXPECT_FALSE(doc.modified) << text;
    }
}

TEST(InputDataDialog, OkTakesTheShownSetAsCurrent)
{
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    d.form.SpeedButton1->click();
    d.form.Button1->click();
    EXPECT_EQ(doc.inputData.size(), 4);
    EXPECT_EQ(doc.inputDataIndex, 3);
}

TEST(InputDataDialog, CancelAndReadOnlyLeaveTheDocument)
{
    for (bool readOnly : {false, true}) {
        RMORVDocument doc;
        prepare(doc);
        TForm9 form(doc, nullptr);
        form.Button1->setEnabled(!readOnly);
        form.show();
        form.SpeedButton1->click();
        form.Edit1->setText("changed");
        if (readOnly) {
            form.Button1Click();
            EXPECT_TRUE(form.isVisible());
        }
        form.Button2->click();
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_EQ(doc.inputData.size(), 3);
        EXPECT_EQ(doc.inputDataIndex, 1);
        EXPECT_FALSE(doc.modified);
    }
}
