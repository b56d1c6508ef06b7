// The preference dialog: shown values, the font chooser, values stored as typed, and the
// empty-box message.
#include "tests/widgets/ScriptedUserInterface.h"
#include "dialogs/TForm7.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

SPreferences shown()
{
    SPreferences p;
    p.startupWindow = 1;
    p.significantDigits = 6;
    p.fontName = "Monospace";
    p.fontSize = 10;
    p.resultBufferSize = 10000;
    return p;
}

} // namespace

TEST(PreferenceDialog, ShowsTheValues)
{
    TForm7 form(shown(), nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Preference");
    EXPECT_TRUE(form.RadioButton2->isChecked());
    EXPECT_EQ(form.Edit1->text(), "6");
    EXPECT_EQ(form.LabeledEdit2->text(), "Monospace");
    EXPECT_EQ(form.LabeledEdit1->text(), "10");
    EXPECT_EQ(form.LabeledEdit3->text(), "10000");
    EXPECT_TRUE(form.LabeledEdit2->isReadOnly());
}

TEST(PreferenceDialog, OkStoresAsTyped)
{
    SPreferences p = shown();
    p.startupWindow = 7; // out of range: "previous size"
    TForm7 form(p, nullptr);
    form.show();
    EXPECT_TRUE(form.RadioButton3->isChecked());
    form.Edit1->setText("0");
    form.LabeledEdit3->setText("0");
    form.Button1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.values().startupWindow, 2);
    EXPECT_EQ(form.values().significantDigits, 0);
    EXPECT_EQ(form.values().resultBufferSize, 0);
    EXPECT_EQ(form.values().fontName, "Monospace");
}

TEST(PreferenceDialog, FontFromTheChooser)
{
    TForm7 form(shown(), nullptr);
    QStringList offered;
    form.setFontChooser([&](QWidget*, QFont& font) {
        offered << QString("%1 %2").arg(font.family()).arg(font.pointSize());
        font.setFamily("Courier");
        font.setPointSize(14);
        font.setBold(true);
        return true;
    });
    form.show();
    form.SpeedButton1->click();
    EXPECT_EQ(offered, QStringList{"Monospace 10"});
    EXPECT_EQ(form.LabeledEdit2->text(), "Courier");
    EXPECT_EQ(form.LabeledEdit1->text(), "14");
    EXPECT_EQ(form.Edit2->font().pointSize(), 14);
    form.Button1->click();
    EXPECT_EQ(form.values().fontName, "Courier");
    EXPECT_EQ(form.values().fontSize, 14);
}

TEST(PreferenceDialog, CancelledChoicesChangeNothing)
{
    {
        TForm7 form(shown(), nullptr);
        form.setFontChooser([](QWidget*, QFont& font) {
            font.setFamily("Courier");
            return false;
        });
        form.show();
        form.SpeedButton1->click();
        EXPECT_EQ(form.LabeledEdit2->text(), "Monospace");
    }
    TForm7 form(shown(), nullptr);
    form.setFontChooser([](QWidget*, QFont& font) {
        font.setFamily("Courier");
        return true;
    });
    form.show();
    form.SpeedButton1->click();
    form.Button2->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.values().fontName, "Monospace");
}

TEST(PreferenceDialog, EmptyBoxKeepsTheDialogOpen)
{
    for (int box : {0, 1}) {
        ScriptedUserInterface ui;
        TForm7 form(shown(), nullptr);
        form.show();
        (box == 0 ? form.Edit1 : form.LabeledEdit3)->clear();
        form.Button1->click();
        EXPECT_EQ(ui.messages, QStringList{"Invalid Value"});
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.values().significantDigits, 6);
    }
}
