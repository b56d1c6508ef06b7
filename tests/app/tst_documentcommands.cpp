// The document commands of the main window: New, Open, Save, Save As, a dropped file and
// closing, with the save guard, the hold on the document file and the compile state.
#include "MainWindowFixture.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTest>

namespace {

void typeInto(RExtraMemo* memo, const QString& text)
{
    memo->moveCursor(QTextCursor::End);
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, lines[i]);
    }
}

QString fileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

TEST(DocumentCommands, SaveAsSaveNewOpenRoundTrip)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;

    typeInto(f.initial(), "Y = 2");
    EXPECT_TRUE(w.document().modified);
    EXPECT_EQ(w.statusText(), "Changed");
    EXPECT_EQ(w.document().compileState, 2);

    // An unnamed document is saved through Save As.
    const QString file = f.path("round.MV3");
    f.ui.files.push_back(file);
    w.Save1Click();
    EXPECT_TRUE(w.saveSucceeded());
    EXPECT_EQ(w.windowTitle(), "round.MV3");
    EXPECT_TRUE(w.document().named);
    EXPECT_FALSE(w.document().modified);
    EXPECT_EQ(w.statusText(), "");
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    EXPECT_TRUE(fileText(file).contains("Y = 2"));

    // Save in place keeps the compile state and the hold.
    w.document().compileState = 0;
    typeInto(f.initial(), "\nZ = 3");
    w.document().compileState = 1;
    w.Save1Click();
    EXPECT_TRUE(w.saveSucceeded());
    EXPECT_EQ(w.document().compileState, 1);
    EXPECT_TRUE(fileText(file).contains("Z = 3"));
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    EXPECT_TRUE(f.ui.questions.isEmpty());

    // New gives up the held file and its solver data file.
    MainWindowFixture::writeText(f.path("round.MVAT$"), "data");
    w.New1Click();
    EXPECT_EQ(w.windowTitle(), "Untitled");
    EXPECT_FALSE(w.document().named);
    EXPECT_EQ(f.initial()->text(), "");
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(file));
    EXPECT_FALSE(QFileInfo::exists(f.path("round.MVAT$")));

    f.ui.files.push_back(file);
    w.Open1Click();
    EXPECT_EQ(w.windowTitle(), "round.MV3");
    EXPECT_EQ(f.initial()->text(), "Y = 2\nZ = 3");
    EXPECT_FALSE(f.initial()->CanUndo());
    EXPECT_FALSE(f.initial()->modifiedMark());
    EXPECT_EQ(w.document().compileState, 2);
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
}

TEST(DocumentCommands, SecondHoldIsRefused)
{
    MainWindowFixture f;
    const QString file = f.writeDocument("open.MV3", {"A = 1"});
    ASSERT_TRUE(f.start({file}));
    TMORVMain& w = *f.window;

    f.ui.files.push_back(file);
    w.Open1Click();
    EXPECT_EQ(f.ui.messages, QStringList{"'" + file + "' has been already opened."});

    f.ui.messages.clear();
    f.ui.files.push_back(file);
    w.SaveAs1Click();
    EXPECT_EQ(f.ui.messages, QStringList{"'" + file + "' has been already opened."});
    EXPECT_FALSE(w.saveSucceeded());

    // Held by another holder: the same refusal.
    const QString other = f.writeDocument("other.MV3", {"B = 1"});
    RExcrusiveAccess holder;
    ASSERT_EQ(holder.CatchFile(other), 0);
    f.ui.messages.clear();
    w.WMDropFiles({other});
    EXPECT_EQ(f.ui.messages, QStringList{"'" + other + "' has been already opened."});
    EXPECT_EQ(w.windowTitle(), "open.MV3");
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
}

TEST(DocumentCommands, DroppedFiles)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TMORVMain& w = *f.window;
    const QString first = f.writeDocument("first.mv3", {"F = 1"});
    const QString second = f.writeDocument("second.MV3", {"S = 1"});

    // Only the first file counts.
    w.WMDropFiles({first, second});
    EXPECT_EQ(w.windowTitle(), "first.mv3");
    EXPECT_EQ(f.initial()->text(), "F = 1");

    // Another extension: the save guard first, then the refusal.
    typeInto(f.initial(), "x");
    f.ui.answers.push_back(QMessageBox::No);
    w.WMDropFiles({f.path("notes.txt")});
    EXPECT_EQ(f.ui.questions, QStringList{"MORV: Save current document?"});
    EXPECT_EQ(f.ui.messages, QStringList{"This is not a MORV document file."});
    EXPECT_EQ(w.windowTitle(), "first.mv3");

    // A file dropped on a section editor reaches the window.
    f.ui.answers.push_back(QMessageBox::No);
    w.show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(second)});
    QWidget* viewport = f.initial()->viewport();
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_EQ(w.windowTitle(), "second.MV3");
    EXPECT_EQ(f.initial()->text(), "S = 1");
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(first));
}

// A document that fails to load must leave the open one exactly as it was.
TEST(DocumentCommands, FailedLoadChangesNothing)
{
    MainWindowFixture f;
    const QString file = f.writeDocument("keep.MV3", {"K = 1"});
    const QString bad = f.path("bad.MV3");
    MainWindowFixture::writeText(bad, "rubbish\n");
    ASSERT_TRUE(f.start({file}));
    TMORVMain& w = *f.window;
    typeInto(f.initial(), "2");

    for (const bool drop : {false, true}) {
        SCOPED_TRACE(drop);
        f.ui.messages.clear();
        f.ui.answers.push_back(QMessageBox::No);
        if (drop) {
            w.WMDropFiles({bad});
        } else {
            f.ui.files.push_back(bad);
            w.Open1Click();
        }
        ASSERT_EQ(f.ui.messages.size(), 1);
        EXPECT_TRUE(f.ui.messages[0].startsWith("can't read (code:"));
        EXPECT_EQ(w.windowTitle(), "keep.MV3");
        EXPECT_EQ(f.initial()->text(), "K = 12");
        EXPECT_TRUE(w.document().modified);
        EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
        EXPECT_TRUE(RExcrusiveAccess::CheckFile(bad));
    }

    // New with a damaged default document: the message, and nothing changes.
    QDir().mkpath(f.dataFolder());
    MainWindowFixture::writeText(f.dataFolder() + "default.mv3", "rubbish\n");
    f.ui.messages.clear();
    f.ui.answers.push_back(QMessageBox::No);
    w.New1Click();
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages[0].startsWith("can't read (code:"));
    EXPECT_EQ(w.windowTitle(), "keep.MV3");
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
}

TEST(DocumentCommands, SaveGuardAnswers)
{
    const struct {
        const char* name;
        QMessageBox::StandardButton answer;
        bool unnamed;  // Save runs Save As, whose dialog is cancelled
        bool replaced;
        bool saved;
    } cases[] = {
        {"Cancel keeps everything", QMessageBox::Cancel, false, false, false},
        {"No drops the changes", QMessageBox::No, false, true, false},
        {"Yes saves first", QMessageBox::Yes, false, true, true},
        {"Yes with a cancelled Save As keeps everything", QMessageBox::Yes, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f;
        const QString named = f.writeDocument("guard.MV3", {"G = 1"});
        const QString next = f.writeDocument("next.MV3", {"N = 1"});
        ASSERT_TRUE(c.unnamed ? f.start() : f.start({named}));
        TMORVMain& w = *f.window;
        const QString title = w.windowTitle();
        const QString before = f.initial()->text();
        typeInto(f.initial(), "0");
        f.ui.answers.push_back(c.answer);
        if (c.unnamed)
            f.ui.files.push_back(QString());
        if (c.answer != QMessageBox::Cancel && !c.unnamed)
            f.ui.files.push_back(next);
        w.Open1Click();
        EXPECT_EQ(f.ui.questions, QStringList{"MORV: Save current document?"});
        EXPECT_TRUE(f.ui.files.empty());
        EXPECT_EQ(w.windowTitle(), c.replaced ? QString("next.MV3") : title);
        if (c.replaced) {
            EXPECT_EQ(f.initial()->text(), "N = 1");
            EXPECT_FALSE(w.document().modified);
        } else {
            EXPECT_EQ(f.initial()->text(), before + "0");
            EXPECT_TRUE(w.document().modified);
        }
        EXPECT_EQ(fileText(named).contains("G = 10"), c.saved);
    }
}

TEST(DocumentCommands, CloseAsksAndCleansUp)
{
    const struct {
        const char* name;
        bool modified;
        QMessageBox::StandardButton answer;
        bool closes;
    } cases[] = {
        {"unmodified closes without asking", false, QMessageBox::NoButton, true},
        {"Cancel keeps the window", true, QMessageBox::Cancel, false},
        {"No closes", true, QMessageBox::No, true},
        {"Yes saves and closes", true, QMessageBox::Yes, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowFixture f;
        const QString file = f.writeDocument("close.MV3", {"C = 1"});
        ASSERT_TRUE(f.start({file}));
        TMORVMain& w = *f.window;
        w.show();
        MainWindowFixture::writeText(f.path("close.MVAT$"), "data");
        if (c.modified) {
            typeInto(f.initial(), "9");
            f.ui.answers.push_back(c.answer);
        }
        EXPECT_EQ(w.close(), c.closes);
        EXPECT_EQ(w.isVisible(), !c.closes);
        // Closing a named document deletes its solver data file and releases it.
        EXPECT_EQ(QFileInfo::exists(f.path("close.MVAT$")), !c.closes);
        EXPECT_EQ(RExcrusiveAccess::CheckFile(file), c.closes);
        EXPECT_EQ(fileText(file).contains("C = 19"), c.answer == QMessageBox::Yes);
    }

    // Yes, then Cancel in the Save As dialog: the window stays and nothing is lost.
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    f.window->show();
    typeInto(f.initial(), "U = 1");
    f.ui.answers.push_back(QMessageBox::Yes);
    f.ui.files.push_back(QString());
    EXPECT_FALSE(f.window->close());
    EXPECT_EQ(f.initial()->text(), "U = 1");
}

// A shortcut must follow the menu's rule when pressed, not the state the menu last showed.
TEST(DocumentCommands, ShortcutsApplyTheRuleWhenPressed)
{
    MainWindowFixture f;
    const QString file = f.writeDocument("keys.MV3", {"K = 1"});
    ASSERT_TRUE(f.start({file}));
    TMORVMain& w = *f.window;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    // The File menu opened while nothing was modified: Save was disabled there.
    emit w.fileMenu()->aboutToShow();
    EXPECT_FALSE(w.menuItem("Save1")->isEnabled());
    emit w.fileMenu()->aboutToHide();

    f.initial()->setFocus();
    typeInto(f.initial(), "7");
    QTest::keyClick(f.initial(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w.document().modified);
    EXPECT_TRUE(fileText(file).contains("K = 17"));

    // Not modified: Ctrl+S does nothing (no dialog, no write).
    QFile::remove(f.path("keys.MVAT$"));
    const QDateTime before = QFileInfo(file).lastModified();
    w.sectionSelector()->setFocus();
    QTest::keyClick(w.sectionSelector(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(f.ui.files.empty());
    EXPECT_EQ(QFileInfo(file).lastModified(), before);

    // An Edit shortcut pressed outside the editor reaches the editor on show, by its rule.
    QTest::keyClick(w.sectionSelector(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.initial()->text(), "K = 1");  // the typed 7 is undone
}

// A failed save must keep the file as it was, keep it held and keep the changes unsaved.
TEST(DocumentCommands, FailedSaveKeepsFileHoldAndChanges)
{
    MainWindowFixture f;
    const QString file = f.writeDocument("fail.MV3", {"A = 1"});
    ASSERT_TRUE(f.start({file}));
    TMORVMain& w = *f.window;
    const QString before = fileText(file);
    // A line that would end its block cannot be written.
    typeInto(f.initial(), "\n$END");

    w.Save1Click();
    EXPECT_TRUE(f.ui.messages.contains("error"));
    EXPECT_FALSE(w.saveSucceeded());
    EXPECT_TRUE(w.document().modified);
    EXPECT_EQ(fileText(file), before);
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));

    f.ui.messages.clear();
    const QString other = f.path("other.MV3");
    f.ui.files.push_back(other);
    w.SaveAs1Click();
    EXPECT_TRUE(f.ui.messages.contains("can't save"));
    EXPECT_FALSE(QFileInfo::exists(other));
    EXPECT_EQ(w.windowTitle(), "fail.MV3");
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(file));
}

TEST(DocumentCommands, SaveAsStartsANewCompile)
{
    MainWindowFixture f;
    const QString file = f.writeDocument("state.MV3", {"A = 1"});
    ASSERT_TRUE(f.start({file}));
    TMORVMain& w = *f.window;
    w.document().compileState = 0;
    f.ui.files.push_back(f.path("copy.MV3"));
    w.SaveAs1Click();
    EXPECT_TRUE(w.saveSucceeded());
    EXPECT_EQ(w.document().compileState, 2);
    EXPECT_EQ(w.windowTitle(), "copy.MV3");
    // The first file is given up, the new one held.
    EXPECT_TRUE(RExcrusiveAccess::CheckFile(file));
    EXPECT_FALSE(RExcrusiveAccess::CheckFile(f.path("copy.MV3")));
    EXPECT_EQ(f.ui.saveDirs, QStringList{f.path("state.MV3")});
}
