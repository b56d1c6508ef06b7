// The control data dialog: fields from the document, red frames on OK, the time list, the
// restart start time and the read-only view.
#include "dialogs/TForm8.h"
#include "document/RMORVDocument.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void timed(RMORVDocument& doc)
{
    doc.compiler->control->PARMT = 1;
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

TEST(ControlDataDialog, ShowsTheDocument)
{
    RMORVDocument doc;
    timed(doc);
    doc.compiler->control->TEND = 2.5e-7;
    doc.compiler->control->FILEOUTTYPE = 1;
    doc.compiler->symbols->TGRID_A = -5.0;
    doc.compiler->symbols->TGRID_B = {1, 2};
    doc.compiler->symbols->outputTimeCount = 2;
    TForm8 form(doc, nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Control data : Untitled");
    EXPECT_EQ(form.LabeledEdit2->text(), "2.5E-7");
    EXPECT_EQ(form.LabeledEdit3->text(), "1");
    EXPECT_TRUE(form.RadioButton2->isChecked());
    EXPECT_FALSE(form.CheckBox3->isChecked());
    EXPECT_EQ(form.Edit1->text(), "5");
    EXPECT_FALSE(form.Edit1->isEnabled());
    EXPECT_TRUE(form.CheckBox4->isChecked());
    EXPECT_EQ(listTexts(form.ListBox1), (QStringList{"1", "2"}));
    EXPECT_FALSE(form.SpeedButton2->isEnabled());
    EXPECT_FALSE(form.LabeledEdit4->isEnabled()); // adjust time step is off
    EXPECT_TRUE(form.GroupBox1->isEnabled());
    EXPECT_EQ(form.framedFields(), 0u);
}

TEST(ControlDataDialog, WithoutTimeTheGroupsAreOffButStillChecked)
{
    RMORVDocument doc;
    doc.compiler->control->spaceDimension = 2;
    TForm8 form(doc, nullptr);
    form.show();
    EXPECT_FALSE(form.GroupBox1->isEnabled());
    EXPECT_FALSE(form.GroupBox2->isEnabled());
    EXPECT_FALSE(form.LabeledEdit13->isEnabled());
    form.LabeledEdit3->setText("0");
    form.Button1->click();
    EXPECT_EQ(form.framedFields(), unsigned(FieldTimeStep));
    EXPECT_TRUE(form.isVisible());
}

TEST(ControlDataDialog, FramesShowTogetherAndGoOnTheNextOk)
{
    RMORVDocument doc;
    timed(doc);
    doc.compileState = 0;
    TForm8 form(doc, nullptr);
    form.show();
    form.LabeledEdit3->setText("0");
    form.LabeledEdit9->setText("1.0001");
    form.LabeledEdit7->clear();
    form.Button1->click();
    EXPECT_EQ(form.framedFields(), unsigned(FieldTimeStep | FieldOmega | FieldIterationLimit));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(doc.compileState, 0);
    EXPECT_FALSE(doc.modified);

    form.LabeledEdit3->setText("0.5");
    form.LabeledEdit9->setText("1");
    form.LabeledEdit7->setText("20");
    form.Button1->click();
    EXPECT_EQ(form.framedFields(), 0u);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(doc.compiler->control->DELT, 0.5);
    EXPECT_EQ(doc.compiler->control->LMAX, 20);
    EXPECT_EQ(doc.compileState, 1);
    EXPECT_TRUE(doc.modified);
}

TEST(ControlDataDialog, OutputTimesAreAddedInOrder)
{
    RMORVDocument doc;
    timed(doc);
    TForm8 form(doc, nullptr);
    form.show();
    EXPECT_FALSE(form.Edit2->isEnabled());
    form.CheckBox4->setChecked(true);
    for (const char* text : {" ", "abc", "inf"}) {
        form.Edit2->setText(text);
        EXPECT_FALSE(form.SpeedButton1->isEnabled()) << text;
    }
    for (const char* text : {"3", "1", "2", "2.0"}) {
        form.Edit2->setText(text);
        ASSERT_TRUE(form.SpeedButton1->isEnabled()) << text;
        form.SpeedButton1->click();
    }
    EXPECT_EQ(listTexts(form.ListBox1), (QStringList{"1", "2", "2.0", "3"}));
    EXPECT_TRUE(form.Edit2->text().isEmpty());
    EXPECT_FALSE(form.SpeedButton1->isEnabled());
    form.ListBox1->setCurrentRow(0);
    ASSERT_TRUE(form.SpeedButton2->isEnabled());
    form.SpeedButton2->click();
    form.Button1->click();
    EXPECT_EQ(doc.compiler->symbols->TGRID_B, (QList<double>{2, 2, 3}));
    EXPECT_EQ(doc.compiler->symbols->outputTimeCount, 3);
}

TEST(ControlDataDialog, RestartTakesTheStartTimeOfTheRestartFile)
{
    QTemporaryDir dir;
    RMORVDocument doc;
    timed(doc);
    doc.documentFolder = dir.path() + "/";
    doc.documentFileName = "run.MV3";
    doc.compiler->control->TSTART = 3;
    TForm8 form(doc, nullptr);
    form.show();
    form.CheckBox1->click();
    EXPECT_EQ(form.LabeledEdit1->text(), "0");
    EXPECT_FALSE(form.LabeledEdit1->isEnabled());
    form.CheckBox1->click();
    EXPECT_TRUE(form.LabeledEdit1->isEnabled());

    QFile file(dir.filePath("run.MVR3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("MORV_RESTART_FILE,  1.25000000000000E+01,4\r\n");
    file.close();
    form.CheckBox1->click();
    EXPECT_EQ(form.LabeledEdit1->text(), "12.5");
    form.Button1->click();
    EXPECT_EQ(doc.compiler->control->TSTART, 12.5);
    EXPECT_EQ(doc.compiler->control->RESTART, 1);
}

TEST(ControlDataDialog, ReadOnlyViewChangesNothing)
{
    RMORVDocument doc;
    timed(doc);
    TForm8 form(doc, nullptr);
    form.Button1->setEnabled(false);
    form.show();
    form.LabeledEdit2->setText("99");
    form.Button1Click();
    EXPECT_TRUE(form.isVisible());
    form.Button2->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(doc.compiler->control->TEND, 1000.0);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.compileState, 2);
}
