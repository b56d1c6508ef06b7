// The main window: start-up document, caption, preferences, the section selector and the
// menus' rules at each compile state.
#include "MainWindowFixture.h"
#include "tests/widgets/ModalAnswer.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSet>
#include <QTest>

namespace {

QAction* item(TMORVMain& w, const char* name)
{
    QAction* a = w.menuItem(QString::fromLatin1(name));
    EXPECT_TRUE(a) << name;
    return a;
}

} // namespace

TEST(MainWindowStartup, FirstStartWithoutAnything)
{
    MainWindowFixture f;
    ASSERT_FALSE(QFileInfo::exists(f.ui.documents));
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    EXPECT_EQ(w.windowTitle(), "Untitled");
    EXPECT_EQ(w.document().documentFileName, "$3");
    EXPECT_FALSE(w.document().named);
    EXPECT_FALSE(w.document().modified);
    EXPECT_EQ(w.statusText(), "");
    EXPECT_EQ(w.document().lock.GetOwnFileName(), "");
    // The data folder is made with its missing parents.
    EXPECT_TRUE(QFileInfo(f.dataFolder()).isDir());
    EXPECT_EQ(w.sectionSelector()->currentText(), "INITIAL");
    EXPECT_EQ(w.settings().significantDigits, 6);
    EXPECT_EQ(w.settings().startupWindow, 2);
    EXPECT_EQ(w.settings().windowRect.size(), QSize(735, 570));
    EXPECT_EQ(w.thermoDataPath(), f.ui.documents + "/MORV/THERMDAT");
    EXPECT_TRUE(f.ui.messages.isEmpty());
}

TEST(MainWindowStartup, DefaultDocumentIsLoadedUntitledAndNotHeld)
{
    MainWindowFixture f;
    const QString file = f.writeDocument(f.dataFolder() + "default.mv3", {"A = 1", "B = 2"});
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    EXPECT_EQ(w.windowTitle(), "Untitled");
    EXPECT_EQ(w.document().documentFileName, "default.mv3");
    EXPECT_FALSE(w.document().named);
    EXPECT_EQ(f.initial()->text(), "A = 1\nB = 2");
    EXPECT_FALSE(f.initial()->CanUndo());
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(file));
}

TEST(MainWindowStartup, CommandLineDocumentIsHeldAndNamed)
{
    MainWindowFixture f;
    const QString file = f.writeDocument("lower.mv3", {"X = 3"});
    ASSERT_TRUE(f.start({file}));
    TMORVMain& w = *f.window;
    EXPECT_EQ(w.windowTitle(), "lower.mv3");
    EXPECT_TRUE(w.document().named);
    EXPECT_EQ(w.document().documentFolder, f.tmp.path() + "/");
    EXPECT_EQ(f.initial()->text(), "X = 3");
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    EXPECT_EQ(w.thermoDataPath(), f.ui.documents + "/MORV/THERMDAT");
}

TEST(MainWindowStartup, RefusedCommandLineDocuments)
{
    MainWindowFixture f;
    const QString script = f.writeDocument("doc.MVS", {"X = 1"});
    const QString held = f.writeDocument("held.MV3", {"X = 1"});
    const QString garbage = f.path("garbage.MV3");
    MainWindowFixture::writeText(garbage, "no document here\n");
    RExcrusiveAccess other;
    ASSERT_EQ(other.CatchFile(held), 0);

    const struct {
        QString path;
        QString message;
    } cases[] = {
        {script, "This is not a MORV3 document file."},
        {f.path("noextension"), "This is not a MORV3 document file."},
        {held, "'" + held + "' has been already opened."},
        {garbage, "can't read (code:3)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        f.ui.messages.clear();
        EXPECT_FALSE(f.start({c.path}));
        EXPECT_EQ(f.ui.messages, QStringList{c.message});
        EXPECT_EQ(f.window->document().lock.GetOwnFileName(), "");
    }
}

// A damaged default document must not make the program unstartable.
TEST(MainWindowStartup, DamagedDefaultDocumentStartsEmpty)
{
    MainWindowFixture f;
    QDir().mkpath(f.dataFolder());
    MainWindowFixture::writeText(f.dataFolder() + "default.mv3", "$MORV\n");
    ASSERT_TRUE(f.start());
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages[0].startsWith("can't read (code:"));
    EXPECT_EQ(f.window->document().documentFileName, "$3");
    EXPECT_EQ(f.window->windowTitle(), "Untitled");
}

TEST(MainWindowStartup, PreferencesAndWindowSize)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        int startup;
        QSize size;
    } cases[] = {
        {0, {735, 570}},
        {1, area.size()},
        {2, {500, 400}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.startup);
        MainWindowFixture f;
        {
            QSettings s("Vesko", "MORV3");
            s.setValue("StartupWindow", c.startup);
            s.setValue("WindowState", 1);  // stored minimised: opens as a normal window
            s.setValue("WindowLeft", 10);
            s.setValue("WindowTop", 20);
            s.setValue("WindowRight", 510);
            s.setValue("WindowBottom", 420);
        }
        ASSERT_TRUE(f.start());
        f.window->showAtStartup();
        EXPECT_EQ(f.window->size(), c.size);
        EXPECT_FALSE(f.window->isMinimized());
    }
}

TEST(MainWindowStartup, SettingGroupsFallBackAsAWhole)
{
    MainWindowFixture f;
    {
        QSettings s("Vesko", "MORV3");
        s.setValue("StartupWindow", 0);  // the rest of its group is missing
        s.setValue("FontName", "Courier");  // without "FontSize"
        s.setValue("SignificantDigit", "abc");
        s.setValue("ResultBufferSize", 3);
    }
    ASSERT_TRUE(f.start());
    const RMainSettings& s = f.window->settings();
    EXPECT_EQ(s.startupWindow, 2);
    EXPECT_EQ(s.fontName, RMainSettings::DefaultFontName);
    EXPECT_EQ(s.fontSize, 10);
    EXPECT_EQ(s.significantDigits, 6);
    EXPECT_EQ(s.resultBufferSize, 3);
    EXPECT_EQ(f.window->resultBufferRows(), 3 * 1024);
    EXPECT_EQ(f.window->results().ResultBufferSize, 3);
}

// The result buffer size is a row count of 64 bits and at least one row.
TEST(MainWindowStartup, ResultBufferRowLimit)
{
    RMainSettings s;
    const struct {
        int size;
        qint64 rows;
    } cases[] = {{10000, 10240000}, {0, 1}, {-5, 1}, {3000000, qint64(3000000) * 1024}};
    for (const auto& c : cases) {
        s.resultBufferSize = c.size;
        EXPECT_EQ(s.resultBufferRows(), c.rows) << c.size;
    }
}

TEST(MainWindowStartup, WindowGroupIsWrittenOnClose)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    f.window->showAtStartup();
    f.window->resize(600, 450);
    EXPECT_TRUE(f.window->close());
    QSettings s("Vesko", "MORV3");
    EXPECT_EQ(s.value("StartupWindow").toInt(), 2);
    EXPECT_EQ(s.value("WindowState").toInt(), 0);
    EXPECT_EQ(s.value("WindowRight").toInt() - s.value("WindowLeft").toInt(), 600);
    EXPECT_EQ(s.value("WindowBottom").toInt() - s.value("WindowTop").toInt(), 450);
}

TEST(MainWindowMenus, CaptionsShortcutsAndOneShortcutPerAction)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    QStringList file;
    for (QAction* a : w.fileMenu()->actions())
        file << (a->isSeparator() ? "-" : a->text() + (a->shortcut().isEmpty() ? "" : "|" + a->shortcut().toString()));
    EXPECT_EQ(file, (QStringList{"New|Ctrl+N", "Open ...|Ctrl+O", "-", "Save|Ctrl+S", "Save As ...",
        "-", "Export", "-", "Preference ...", "-", "Exit|Ctrl+Q"}));
    QStringList run;
    for (QAction* a : w.runMenu()->actions())
        run << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(run, (QStringList{"Define Symbol ...", "Define Grid ...", "-", "Set Control data ...",
        "Set Input data ...", "-", "Chemical Property ...", "-", "Compile ...", "Execute"}));
    EXPECT_EQ(w.editMenu()->actions().size(), 13);

    QSet<QString> seen;
    for (QAction* a : w.findChildren<QAction*>()) {
        if (a->shortcut().isEmpty() || a->shortcutContext() == Qt::WidgetShortcut)
            continue;
        const QString key = a->shortcut().toString();
        EXPECT_FALSE(seen.contains(key)) << key.toStdString();
        seen.insert(key);
    }
}

struct RunMenuCase {
    const char* name;
    const char* fileName;
    bool named;
    int spaceDimension;
    int meshState;
    int compileState;
    bool dataFile;
    const char* compileCaption;
    bool compileEnabled;
    bool executeEnabled;
    bool temporaryEnabled;
};

TEST(MainWindowMenus, RunMenuAtEachCompileState)
{
    const RunMenuCase cases[] = {
        {"fresh named document", "a.MV3", true, 0, 1, 2, false, "Compile ...", true, false, false},
        {"lower-case extension", "a.mv3", true, 0, 1, 2, false, "Compile ...", true, false, false},
        {"unnamed document", "default.mv3", false, 0, 1, 2, false, "Compile ...", false, false, false},
        {"named script file", "a.MVS", true, 0, 1, 2, false, "Compile ...", false, false, false},
        {"grid problem without grid", "a.MV3", true, 2, 1, 2, false, "Compile ...", false, false, false},
        {"grid problem without grid, state 1", "a.MV3", true, 1, 1, 1, false, "Compile", false, false, true},
        {"grid problem with grid", "a.MV3", true, 2, 2, 2, false, "Compile ...", true, false, false},
        {"state 1", "a.MV3", true, 0, 1, 1, false, "Compile", true, false, true},
        {"state 0 with the solver data file", "a.MV3", true, 0, 1, 0, true, "Show Compile List ...", true, true, true},
        {"state 0 without it", "a.MV3", true, 0, 1, 0, false, "Compile", true, true, true},
        {"state 0 without it, unnamed", "a.MV3", false, 0, 1, 0, false, "Compile", false, true, true},
    };
    for (const RunMenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f;
        ASSERT_TRUE(f.start());
        TMORVMain& w = *f.window;
        RMORVDocument& d = w.document();
        d.documentFolder = f.tmp.path() + "/";
        d.documentFileName = c.fileName;
        d.named = c.named;
        d.compiler->control->spaceDimension = c.spaceDimension;
        d.mesh->meshState = c.meshState;
        d.compileState = c.compileState;
        if (c.dataFile)
            MainWindowFixture::writeText(w.solverDataFileName(), "x");
        w.Run1Click();
        w.File1Click();
        EXPECT_EQ(item(w, "Compile1")->text(), c.compileCaption);
        EXPECT_EQ(item(w, "Compile1")->isEnabled(), c.compileEnabled);
        EXPECT_EQ(item(w, "Execute1")->isEnabled(), c.executeEnabled);
        EXPECT_EQ(item(w, "Temporaryfile1")->isEnabled(), c.temporaryEnabled);
        EXPECT_EQ(item(w, "DefineGrid1")->isEnabled(), c.spaceDimension > 0);
    }
}

TEST(MainWindowMenus, RunMenuOtherItems)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    w.Run1Click();
    EXPECT_FALSE(item(w, "SetInputdata1")->isEnabled());
    EXPECT_FALSE(item(w, "Gasproperty1")->isVisible());
    EXPECT_FALSE(item(w, "N11")->isVisible());
    w.document().compiler->control->inputCount = 2;
    w.Run1Click();
    EXPECT_TRUE(item(w, "SetInputdata1")->isEnabled());

    // Both chemistry data bases present when the window is shown: the item appears.
    MainWindowFixture g;
    QDir().mkpath(g.dataFolder());
    MainWindowFixture::writeText(g.dataFolder() + "THERMDAT", "x");
    MainWindowFixture::writeText(g.dataFolder() + "TRANDAT", "x");
    ASSERT_TRUE(g.start());
    g.window->show();
    g.window->Run1Click();
    EXPECT_TRUE(g.window->chemistryDataFlag());
    EXPECT_TRUE(item(*g.window, "Gasproperty1")->isVisible());
}

TEST(MainWindowMenus, ResultMenuFollowsTheFilesPresent)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    RMORVDocument& d = w.document();
    d.documentFolder = f.tmp.path() + "/";
    d.documentFileName = "r.MV3";
    d.named = true;
    w.Result1Click();
    for (const char* name : {"ShowLog1", "ShowResult1", "Kurvo1", "ShowLog2", "ShowResult2", "Kurvo2"})
        EXPECT_FALSE(item(w, name)->isEnabled()) << name;
    EXPECT_FALSE(item(w, "Incompleteresult1")->isVisible());
    EXPECT_FALSE(item(w, "N10")->isVisible());

    // A steady document with the incomplete files: only the incomplete log is offered.
    MainWindowFixture::writeText(f.path("r.MVL3$"), "log");
    MainWindowFixture::writeText(f.path("r.MVO3$"), "out");
    MainWindowFixture::writeText(f.path("r.MVL3"), "log");
    w.Result1Click();
    EXPECT_TRUE(item(w, "ShowLog1")->isEnabled());
    EXPECT_TRUE(item(w, "ShowLog2")->isEnabled());
    EXPECT_FALSE(item(w, "ShowResult2")->isEnabled());
    EXPECT_TRUE(item(w, "Incompleteresult1")->isVisible());
    d.compiler->control->PARMT = 1;
    w.Result1Click();
    EXPECT_TRUE(item(w, "ShowResult2")->isEnabled());
}

// Guards against the "Incomplete result" items running the complete-result commands: each
// named handler, called directly or through its menu item, reads the files of its own result.
TEST(MainWindowMenus, ResultHandlersReadTheirOwnResult)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    RMORVDocument& d = w.document();
    d.documentFolder = f.tmp.path() + "/";
    d.documentFileName = "r.MV3";
    d.named = true;
    d.compiler->control->PARMT = 1;
    d.compiler->control->variableCount = 1;
    d.compiler->symbols->variableNames = {"U"};
    d.compiler->symbols->variableAttributes = {0};
    MainWindowFixture::writeText(f.path("r.MVL3"), "complete");
    MainWindowFixture::writeText(f.path("r.MVL3$"), "stopped");
    MainWindowFixture::writeText(f.path("r.MVO3$"), "abc");
    QSettings("Vesko", "MORV3").setValue("KurvoCommand", "/bin/true");

    // The caption of the first modal window an action opens; the window is closed.
    const auto modalOf = [](const std::function<void()>& action) {
        QString seen;
        answerNextModal([&seen](QWidget* modal) {
            seen = modal->windowTitle();
            modal->close();
        });
        action();
        return seen;
    };
    const struct {
        const char* name;
        void (TMORVMain::*handler)();
        const char* shown;
    } logs[] = {
        {"ShowLog1", &TMORVMain::ShowLog1Click, "Execution log : r.MVL3"},
        {"ShowLog2", &TMORVMain::ShowLog2Click, "Execution log : r.MVL3$"},
    };
    for (const auto& c : logs) {
        EXPECT_EQ(modalOf([&] { (w.*c.handler)(); }).toStdString(), c.shown) << c.name;
        EXPECT_EQ(modalOf([&] { item(w, c.name)->trigger(); }).toStdString(), c.shown) << c.name;
    }
    // Only the incomplete result exists: its variable selection opens.
    EXPECT_EQ(modalOf([&] { w.ShowResult2Click(); }).toStdString(), "Select Variables");
    EXPECT_EQ(modalOf([&] { item(w, "ShowResult2")->trigger(); }).toStdString(), "Select Variables");

    // The incomplete plot names the incomplete result file; the complete one has no result.
    const QString plotFile = f.path("r_MV3.Kurvo");
    w.Kurvo1Click();
    EXPECT_FALSE(QFile::exists(plotFile));
    w.Kurvo2Click();
    QFile plot(plotFile);
    ASSERT_TRUE(plot.open(QIODevice::ReadOnly));
    EXPECT_TRUE(plot.readAll().contains("$DATAFILE,.\\r.MVO3$"));
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
}

TEST(MainWindowMenus, NoteLabelFollowsSectionAndTimeParameter)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    w.show();
    const struct {
        int parmt;
        int section;
        bool visible;
    } cases[] = {{0, 2, false}, {0, 3, true}, {0, 4, true}, {0, 1, false}, {1, 3, false}, {1, 4, false}};
    for (const auto& c : cases) {
        w.document().compiler->control->PARMT = c.parmt;
        w.sectionSelector()->setCurrentIndex(c.section == 0 ? 1 : 0);
        w.sectionSelector()->setCurrentIndex(c.section);
        EXPECT_EQ(w.noteLabel()->isVisible(), c.visible) << c.parmt << " " << c.section;
        EXPECT_EQ(w.activeEditor(), w.editor(c.section));
    }
}

TEST(MainWindowMenus, EditMenuFollowsTheActiveEditor)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    w.sectionSelector()->setCurrentIndex(3);
    RExtraMemo* eq = w.editor(3);
    eq->setText("abc");
    eq->setSelection(0, 1);
    eq->EMCut();
    w.Edit1Click();
    EXPECT_TRUE(item(w, "PMUndo")->isEnabled());
    EXPECT_FALSE(item(w, "PMRedo")->isEnabled());
    EXPECT_FALSE(item(w, "PMCut")->isEnabled());
    EXPECT_TRUE(item(w, "PMPaste")->isEnabled());
    item(w, "PMUndo")->trigger();
    EXPECT_EQ(eq->text(), "abc");
    w.sectionSelector()->setCurrentIndex(0);
    w.Edit1Click();
    EXPECT_FALSE(item(w, "PMUndo")->isEnabled());
}

TEST(MainWindowMenus, CommandsNotYetThereSaySo)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    // Commands whose rule does not allow them do nothing at all.
    f.ui.messages.clear();
    for (const char* name : {"Compile1", "Execute1", "DefineGrid1", "SetInputdata1", "Temporaryfile1", "ShowLog1"})
        item(w, name)->trigger();
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();

    f.ui.urlResult = false;
    item(w, "VisitWebsite1")->trigger();
    item(w, "UsersManual1")->trigger();
    EXPECT_EQ(f.ui.messages, (QStringList{"Web Browser open error", "Manual.PDF open error"}));
}

// A script font that is not installed must still give a fixed-pitch editor font.
TEST(MainWindowStartup, MissingScriptFontFallsBackToFixedPitch)
{
    MainWindowFixture f;
    {
        QSettings s("Vesko", "MORV3");
        s.setValue("FontName", "No Such Font Family 4711");
        s.setValue("FontSize", 13);
    }
    ASSERT_TRUE(f.start());
    const QFont font = f.initial()->font();
    EXPECT_NE(font.family(), "No Such Font Family 4711");
    // The system's fixed-pitch font, whatever family this machine resolves it to (some
    // monospaced families are not flagged fixed-pitch by the font database).
    EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(font.pointSize(), 13);
    EXPECT_EQ(f.window->settings().fontName, "No Such Font Family 4711");
}

TEST(MainWindowStartup, PreferencesAppliedAfterTheDialog)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    RMainSettings& s = f.window->settings();
    s.resultBufferSize = 7;
    s.fontName = "No Such Font Family 4711";
    s.fontSize = 15;
    s.significantDigits = 9;
    f.window->applyPreferences();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(f.window->editor(i)->font().pointSize(), 15);
    EXPECT_EQ(f.window->resultBufferRows(), 7 * 1024);
    EXPECT_EQ(f.window->results().ResultBufferSize, 7);
    QSettings stored("Vesko", "MORV3");
    EXPECT_EQ(stored.value("ResultBufferSize").toInt(), 7);
    EXPECT_EQ(stored.value("FontName").toString(), "No Such Font Family 4711");
    EXPECT_EQ(stored.value("FontSize").toInt(), 15);
    EXPECT_EQ(stored.value("SignificantDigit").toInt(), 9);
    EXPECT_TRUE(f.ui.messages.isEmpty());
}
