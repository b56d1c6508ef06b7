// The symbol dialog: what it shows, the error window, the question before the figure goes,
// and that only an applied OK changes the document.
#include "tests/widgets/ModalAnswer.h"
#include "tests/widgets/ScriptedUserInterface.h"
#include "widgets/RExtraMemo.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "document/RMORVDocument.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A one-dimensional document: variable u, inputs a and b in two sets, a figure with a point
// and a line region.
void prepare(RMORVDocument& doc)
{
    SControlData& c = *doc.compiler->control;
    SSymbolTable& s = *doc.compiler->symbols;
    c.PARMT = 1;
    c.PARMX = 1;
    c.spaceDimension = 1;
    c.variableCount = 1;
    s.variableNames = {"u"};
    s.variableComments = {""};
    s.variableAttributes = {0};
    c.inputCount = 2;
    s.inputNames = {"a", "b"};
    s.inputComments = {"", ""};
    doc.symbolDefinition = {"%UNKNOWN", "u", "%INPUT", "a", "b"};
    doc.inputData = {SInputData{{1, 2}, "one"}, SInputData{{3, 4}, "two"}};
    doc.mesh->points.resize(1);
    doc.compiler->INTEGRAL1 = {SIntegral{"wall", {3, -4}}};
    doc.compileState = 0;
}

struct Dialog {
    explicit Dialog(RMORVDocument& doc) : form(doc, QString(), 10, nullptr) { form.show(); }
    ~Dialog() { form.close(); }
    void setText(const QString& text) { form.memo->setText(text); }
    TForm2 form;
};

} // namespace

TEST(SymbolDialog, ShowsTheDocument)
{
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    EXPECT_EQ(d.form.windowTitle(), "Symbol definition : Untitled");
    EXPECT_EQ(d.form.memo->toPlainText(), "%UNKNOWN\nu\n%INPUT\na\nb");
    EXPECT_TRUE(d.form.CheckBox1->isChecked());
    EXPECT_TRUE(d.form.CheckBox2->isChecked());
    EXPECT_FALSE(d.form.CheckBox3->isChecked());
    EXPECT_EQ(d.form.Edit2->text(), "x");
    EXPECT_FALSE(d.form.Edit3->isEnabled());
    d.form.CheckBox3->setChecked(true);
    EXPECT_TRUE(d.form.Edit3->isEnabled());

    RMORVDocument named;
    named.named = true;
    named.documentFileName = "heat.MV3";
    Dialog n(named);
    EXPECT_EQ(n.form.windowTitle(), "Symbol definition : heat.MV3");
}

TEST(SymbolDialog, ErrorsAreListedAndNothingIsApplied)
{
    ScriptedUserInterface ui;
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    d.setText("%UNKNOWN\nu\nu, D\n%CONSTANT\nk");
    QString caption, errors;
    answerNextModal([&](QWidget* w) {
        auto* window = qobject_cast<TForm3*>(w);
        ASSERT_NE(window, nullptr);
        caption = window->windowTitle();
        errors = window->Memo1->toPlainText();
        window->Button1->click();
    });
    d.form.Button1Click();
    EXPECT_EQ(caption, "Symbol definition error");
    EXPECT_EQ(errors, "u, D\n! Duplicated define : u\nk\n! Constant k assigned NO value");
    EXPECT_TRUE(d.form.isVisible());
    EXPECT_FALSE(d.form.dialogChanged());
    EXPECT_EQ(doc.symbolDefinition.size(), 5);
    EXPECT_EQ(doc.compileState, 0);
    EXPECT_FALSE(doc.modified);
}

TEST(SymbolDialog, OkStoresCarriesInputsAndRaisesTheState)
{
    ScriptedUserInterface ui;
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    d.setText("%UNKNOWN\nu\n%INPUT\nB # renamed case\nc");
    d.form.Button1Click();
    EXPECT_EQ(d.form.result(), QDialog::Accepted);
    EXPECT_TRUE(d.form.dialogChanged());
    EXPECT_EQ(doc.inputData[0].values, (QList<double>{2, 0}));
    EXPECT_EQ(doc.inputData[1].values, (QList<double>{4, 0}));
    EXPECT_EQ(doc.compiler->symbols->inputComments, (QStringList{"renamed case", ""}));
    EXPECT_EQ(doc.symbolDefinition, (QStringList{"%UNKNOWN", "u", "%INPUT", "B # renamed case", "c"}));
    EXPECT_EQ(doc.compileState, 2);
    EXPECT_TRUE(doc.modified);
    // t alone changes nothing of the figure and asks nothing.
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(doc.mesh->points.size(), 1u);
}

TEST(SymbolDialog, ChangingSpaceParametersAsksBeforeTheFigureGoes)
{
    struct Case {
        QMessageBox::StandardButton answer;
        bool applied;
    } cases[] = {{QMessageBox::No, false}, {QMessageBox::Yes, true}};
    for (const Case& c : cases) {
        ScriptedUserInterface ui;
        ui.answers.push_back(c.answer);
        RMORVDocument doc;
        prepare(doc);
        Dialog d(doc);
        d.form.CheckBox3->setChecked(true);
        d.form.Button1Click();
        ASSERT_EQ(ui.questions, QStringList{"Warning: The figure of the domain will be deleted. OK?"});
        EXPECT_EQ(d.form.dialogChanged(), c.applied);
        EXPECT_EQ(doc.compiler->control->PARMY, c.applied ? 1 : 0);
        EXPECT_EQ(doc.mesh->points.size(), c.applied ? 0u : 1u);
        EXPECT_EQ(doc.compiler->INTEGRAL1.isEmpty(), c.applied);
        EXPECT_EQ(doc.compileState, c.applied ? 2 : 0);
        EXPECT_EQ(d.form.isVisible(), !c.applied);
    }
}

TEST(SymbolDialog, EmptyFigureIsReplacedWithoutAQuestion)
{
    ScriptedUserInterface ui;
    RMORVDocument doc;
    prepare(doc);
    doc.mesh->points.clear();
    Dialog d(doc);
    d.form.CheckBox2->setChecked(false);
    d.form.Button1Click();
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_TRUE(d.form.applyResult().figureReplaced);
    EXPECT_EQ(doc.compiler->control->spaceDimension, 0);
}

TEST(SymbolDialog, CancelLeavesTheDocument)
{
    RMORVDocument doc;
    prepare(doc);
    Dialog d(doc);
    d.setText("%UNKNOWN\nv");
    d.form.CheckBox2->setChecked(false);
    d.form.Button2->click();
    EXPECT_EQ(d.form.result(), QDialog::Rejected);
    EXPECT_FALSE(d.form.dialogChanged());
    EXPECT_EQ(doc.symbolDefinition.size(), 5);
    EXPECT_EQ(doc.compiler->control->PARMX, 1);
    EXPECT_EQ(doc.mesh->points.size(), 1u);
    EXPECT_FALSE(doc.modified);
}
