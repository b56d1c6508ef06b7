// The species window over small data bases: marks, buttons, seek, OK and Cancel, and a data
// base that cannot be opened.
#include "tests/widgets/ScriptedUserInterface.h"
#include "widgets/RScriptFont.h"
#include "dialogs/TForm16.h"
#include "document/RMORVDocument.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString record(const char* name)
{
    return QString(name).leftJustified(18) + "L 1/89H   2    0    0    0G   200.000  6000.000 1000.000    1\n"
        + " 0.3E+01 0.7E-03-0.6E-07 0.1E-10-0.7E-15-0.8E+03-0.2E+01                   2\n"
          " 0.2E+01 0.7E-03-0.2E-06-0.1E-09 0.7E-12-0.9E+03 0.7E+00                   3\n"
          " 0.1E-02 0.1E-02 0.1E-02 0.1E-02                                           4\n";
}

struct Fixture {
    Fixture()
    {
        write(thermo, "THERMO\n   300.000  1000.000  5000.000\n" + record("O2") + record("H2")
                + record("H2O") + record("N2") + "END\n");
        write(transport, "H2 1 38.0\nO2 1 107.4\nN2 1 97.5\n");
        doc.compiler->symbols->speciesCount = 2;
        doc.compiler->symbols->speciesNames = {"N2", "XX"};
        doc.compileState = 0;
    }
    void write(const QString& path, const QString& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toLatin1());
    }
    QStringList texts(QListWidget* list)
    {
        QStringList t;
        for (int i = 0; i < list->count(); ++i)
            t << list->item(i)->text();
        return t;
    }
    QTemporaryDir dir;
    QString thermo = dir.filePath("THERMDAT");
    QString transport = dir.filePath("TRANDAT");
    RMORVDocument doc;
};

} // namespace

TEST(SpeciesWindow, ListsMarksAndButtons)
{
    Fixture f;
    TForm16 form(f.doc, f.thermo, f.transport, nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Chemical species");
    EXPECT_EQ(f.texts(form.ListBox1), (QStringList{"N2", "XX                ?"}));
    EXPECT_EQ(f.texts(form.ListBox2), (QStringList{"H2", "H2O               *", "O2"}));
    for (const QListWidget* list : {form.ListBox1, form.ListBox2}) {
        EXPECT_EQ(list->font().family(), defaultScriptFontName());
        EXPECT_EQ(list->font().pixelSize(), 12);
    }
    for (QToolButton* b : {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3, form.SpeedButton4})
        EXPECT_FALSE(b->isEnabled());
    form.ListBox1->setCurrentRow(1);
    EXPECT_EQ(form.SpeedButton2->text(), "Del");
    EXPECT_TRUE(form.SpeedButton3->isEnabled());
    EXPECT_FALSE(form.SpeedButton4->isEnabled());
    form.ListBox1->setCurrentRow(0);
    EXPECT_EQ(form.SpeedButton2->text(), ">");
    form.SpeedButton2->click();
    EXPECT_EQ(f.texts(form.ListBox2), (QStringList{"H2", "H2O               *", "N2", "O2"}));

    form.Edit1->setText("h2o");
    EXPECT_EQ(form.ListBox2->currentRow(), 1);
    EXPECT_TRUE(form.SpeedButton1->isEnabled());
    form.Edit1->setText("Z");
    EXPECT_EQ(form.ListBox2->currentRow(), 1);
    form.SpeedButton1->click();
    EXPECT_EQ(f.texts(form.ListBox1), (QStringList{"XX                ?", "H2O               *"}));
    form.ListBox1->setCurrentRow(1);
    form.SpeedButton3->click();
    EXPECT_EQ(f.texts(form.ListBox1), (QStringList{"H2O               *", "XX                ?"}));
    EXPECT_EQ(form.ListBox1->currentRow(), 0);
}

TEST(SpeciesWindow, OkStoresTheSelection)
{
    Fixture f;
    TForm16 form(f.doc, f.thermo, f.transport, nullptr);
    form.show();
    form.ListBox1->setCurrentRow(1);
    form.SpeedButton2->click(); // drops XX
    form.ListBox2->setCurrentRow(0);
    form.SpeedButton1->click(); // H2
    form.Button1->click();
    const SSymbolTable& s = *f.doc.compiler->symbols;
    EXPECT_TRUE(form.dialogChanged());
    EXPECT_EQ(s.speciesNames, (QStringList{"N2", "H2"}));
    EXPECT_EQ(s.speciesCount, 2);
    EXPECT_EQ(s.thermoFlag, 1);
    EXPECT_EQ(s.transportFlag, 1);
    EXPECT_EQ(f.doc.compileState, 2);
    EXPECT_TRUE(f.doc.modified);
}

TEST(SpeciesWindow, CancelLeavesTheDocument)
{
    Fixture f;
    TForm16 form(f.doc, f.thermo, f.transport, nullptr);
    form.show();
    form.ListBox1->setCurrentRow(0);
    form.SpeedButton2->click();
    form.Button2->click();
    EXPECT_FALSE(form.dialogChanged());
    EXPECT_EQ(f.doc.compiler->symbols->speciesNames, (QStringList{"N2", "XX"}));
    EXPECT_EQ(f.doc.compileState, 0);
    EXPECT_FALSE(f.doc.modified);
}

TEST(SpeciesWindow, DataBaseThatCannotBeOpened)
{
    Fixture f;
    ScriptedUserInterface ui;
    const QString missing = f.dir.filePath("NOTHERE");
    TForm16 form(f.doc, f.thermo, missing, nullptr);
    form.show();
    EXPECT_EQ(ui.messages, QStringList{"can't open " + missing});
    EXPECT_EQ(form.ListBox1->count(), 0);
    EXPECT_EQ(form.ListBox2->count(), 0);
    form.Button1->click();
    EXPECT_FALSE(form.dialogChanged());
    EXPECT_EQ(f.doc.compiler->symbols->speciesNames, (QStringList{"N2", "XX"}));
    EXPECT_EQ(f.doc.compileState, 0);
}
