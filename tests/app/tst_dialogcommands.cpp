// The main window's commands that open the document dialogs: what the window does with the
// document after OK and after Cancel.
#include "MainWindowFixture.h"
#include "tests/widgets/ModalAnswer.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm7.h"
#include "dialogs/TForm8.h"
#include "dialogs/TForm9.h"
#include "dialogs/TVersionInfoForm.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QAction* item(TMORVMain& w, const char* name)
{
    QAction* action = w.menuItem(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
}

template <typename Form>
void answerWith(std::function<void(Form*)> handler)
{
    answerNextModal([handler](QWidget* w) {
        auto* form = qobject_cast<Form*>(w);
        ASSERT_NE(form, nullptr);
        handler(form);
    });
}

} // namespace

TEST(DialogCommands, DefineSymbolMarksTheDocumentOnlyOnOk)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    RMORVDocument& doc = w.document();
    doc.compileState = 0;

    answerWith<TForm2>([](TForm2* form) { form->Button2->click(); });
    item(w, "DefineSymbol1")->trigger();
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.compileState, 0);

    answerWith<TForm2>([](TForm2* form) {
        form->memo->setText("%UNKNOWN\nu\n%INPUT\np");
        form->CheckBox1->setChecked(true);
        form->Button1->click();
    });
    item(w, "DefineSymbol1")->trigger();
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(w.statusText(), "Changed");
    EXPECT_EQ(doc.compileState, 2);
    EXPECT_EQ(doc.compiler->control->inputCount, 1);
    EXPECT_EQ(doc.compiler->control->PARMT, 1);
}

TEST(DialogCommands, ControlAndInputDataRaiseTheStateToOne)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    RMORVDocument& doc = w.document();
    doc.compiler->control->inputCount = 1;
    doc.compiler->symbols->inputNames = {"p"};
    doc.compiler->symbols->inputComments = {""};
    doc.inputData = {SInputData{{1.0}, ""}};

    struct Case {
        const char* command;
        int stateBefore;
        bool ok;
        int stateAfter;
    } cases[] = {
        {"SetControldata1", 0, false, 0},
        {"SetControldata1", 0, true, 1},
        {"SetControldata1", 2, true, 2},
        {"SetInputdata1", 0, false, 0},
        {"SetInputdata1", 0, true, 1},
    };
    for (const Case& c : cases) {
        doc.compileState = c.stateBefore;
        doc.modified = false;
        const bool ok = c.ok;
        answerNextModal([ok](QWidget* form) {
            const char* button = ok ? "OK" : "Cancel";
            for (QPushButton* b : form->findChildren<QPushButton*>())
                if (b->text() == QLatin1String(button)) {
                    b->click();
                    return;
                }
            ADD_FAILURE() << "no " << button << " button";
        });
        item(w, c.command)->trigger();
        EXPECT_EQ(doc.compileState, c.stateAfter) << c.command;
        EXPECT_EQ(doc.modified, c.ok) << c.command;
    }
}

TEST(DialogCommands, PreferencesReachTheWindow)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    answerWith<TForm7>([](TForm7* form) {
        form->Edit1->setText("9");
        form->LabeledEdit3->setText("2");
        form->Button1->click();
    });
    item(w, "Preference1")->trigger();
    EXPECT_EQ(w.settings().significantDigits, 9);
    EXPECT_EQ(w.settings().resultBufferSize, 2);

    answerWith<TForm7>([](TForm7* form) {
        form->Edit1->setText("3");
        form->Button2->click();
    });
    item(w, "Preference1")->trigger();
    EXPECT_EQ(w.settings().significantDigits, 9);
}

TEST(DialogCommands, VersionShowsTheAboutBox)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    QString version;
    answerWith<TVersionInfoForm>([&](TVersionInfoForm* form) {
        version = form->Label3->text();
        form->Button1->click();
    });
    item(*f.window, "Version1")->trigger();
    EXPECT_TRUE(version.startsWith("Version ")) << version.toStdString();
}
