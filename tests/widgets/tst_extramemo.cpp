// The editor control: its undo ring, its keys and shortcuts, and every other way text can
// change (input method, drops, middle click).
#include "ScriptedUserInterface.h"
#include "widgets/RExtraMemo.h"
#include "widgets/RFindDialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<RExtraMemo> makeMemo(int depth = 1000, bool readOnly = false)
{
    auto memo = std::make_unique<RExtraMemo>(nullptr, readOnly, QString(), 0, depth, 0);
    memo->resize(400, 300);
    return memo;
}

void key(RExtraMemo& m, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(&m, k, mods);
}

// One step of an edit sequence.
struct Op {
    std::function<void(RExtraMemo&)> run;
};

Op type(const char* text)
{
    return {[t = QString::fromUtf8(text)](RExtraMemo& m) { QTest::keyClicks(&m, t); }};
}
Op press(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    return {[k, mods](RExtraMemo& m) { key(m, k, mods); }};
}
Op select(int start, int length)
{
    return {[start, length](RExtraMemo& m) { m.setSelection(start, length); }};
}
Op undo() { return press(Qt::Key_Z, Qt::ControlModifier); }
Op redo() { return press(Qt::Key_B, Qt::ControlModifier); }
Op clip(const char* text)
{
    return {[t = QString::fromUtf8(text)](RExtraMemo&) { QApplication::clipboard()->setText(t); }};
}

struct EditCase {
    const char* name;
    const char* initial;
    std::vector<Op> ops;
    const char* expected;
    bool canUndo;
    bool canRedo;
};

} // namespace

TEST(ExtraMemo, EditSequencesAndTheirUndoRedo)
{
    const EditCase cases[] = {
        {"three characters typed", "", {type("abc")}, "abc", true, false},
        {"three undos restore the empty text", "", {type("abc"), undo(), undo(), undo()}, "", false, true},
        {"three redos bring the characters back", "",
            {type("abc"), undo(), undo(), undo(), redo(), redo(), redo()}, "abc", true, false},
        {"typing after two undos ends redo", "", {type("abc"), undo(), undo(), type("x")}, "ax", true, false},
        {"undo with nothing to undo does nothing", "kept", {undo(), undo()}, "kept", false, false},
        {"redo with nothing to redo does nothing", "", {type("a"), redo(), redo()}, "a", true, false},
        {"backspace at a line start removes the break as one step", "ab\ncd",
            {select(3, 0), press(Qt::Key_Backspace)}, "abcd", true, false},
        {"and undo restores the break", "ab\ncd",
            {select(3, 0), press(Qt::Key_Backspace), undo()}, "ab\ncd", false, true},
        {"backspace at the very start records nothing", "ab",
            {select(0, 0), press(Qt::Key_Backspace)}, "ab", false, false},
        {"backspace with a selection removes it", "abcdef",
            {select(1, 3), press(Qt::Key_Backspace)}, "aef", true, false},
        {"enter over a selection is one step", "abcdef",
            {select(2, 2), press(Qt::Key_Return), undo()}, "abcdef", false, true},
        {"enter over a selection", "abcdef", {select(2, 2), press(Qt::Key_Return)}, "ab\nef", true, false},
        {"tab is text", "ab", {select(1, 0), press(Qt::Key_Tab)}, "a\tb", true, false},
        {"typing over a selection, undone", "hello",
            {select(0, 5), type("x"), undo()}, "hello", false, true},
        {"delete key deletes nothing", "abc", {select(1, 0), press(Qt::Key_Delete)}, "abc", false, false},
        {"shift+delete deletes nothing", "abc",
            {select(0, 2), press(Qt::Key_Delete, Qt::ShiftModifier)}, "abc", false, false},
        {"ctrl+delete deletes nothing", "abc",
            {select(0, 0), press(Qt::Key_Delete, Qt::ControlModifier)}, "abc", false, false},
        {"ctrl+backspace is refused", "abc def",
            {select(7, 0), press(Qt::Key_Backspace, Qt::ControlModifier)}, "abc def", false, false},
        {"cut removes the selection as one step", "abcdef",
            {select(1, 2), press(Qt::Key_X, Qt::ControlModifier)}, "adef", true, false},
        {"cut is undone", "abcdef",
            {select(1, 2), press(Qt::Key_X, Qt::ControlModifier), undo()}, "abcdef", false, true},
        {"cut without a selection does nothing", "abc",
            {select(1, 0), press(Qt::Key_X, Qt::ControlModifier)}, "abc", false, false},
        {"ctrl+v pastes as one step", "ab",
            {clip("XY"), select(1, 0), press(Qt::Key_V, Qt::ControlModifier)}, "aXYb", true, false},
        {"shift+insert pastes through the ring", "ab",
            {clip("XY"), select(1, 0), press(Qt::Key_Insert, Qt::ShiftModifier), undo()}, "ab", false, true},
        {"pasted CR LF counts as one break", "ab",
            {clip("1\r\n2"), select(2, 0), press(Qt::Key_V, Qt::ControlModifier), type("z"), undo(), undo()},
            "ab", false, true},
        {"select all then type replaces everything", "line1\nline2",
            {press(Qt::Key_A, Qt::ControlModifier), type("q")}, "q", true, false},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto memo = makeMemo();
        memo->setText(QString::fromUtf8(c.initial));
        for (const Op& op : c.ops)
            op.run(*memo);
        EXPECT_EQ(memo->text(), QString::fromUtf8(c.expected));
        EXPECT_EQ(memo->CanUndo(), c.canUndo);
        EXPECT_EQ(memo->CanRedo(), c.canRedo);
    }
}

TEST(ExtraMemo, CutAndCopyPutTheSelectionOnTheClipboard)
{
    auto memo = makeMemo();
    memo->setText("abcdef");
    memo->setSelection(2, 3);
    key(*memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "cde");
    memo->setSelection(0, 2);
    key(*memo, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "ab");
    EXPECT_EQ(memo->text(), "cdef");
}

TEST(ExtraMemo, FullRingDropsTheOldestStep)
{
    auto memo = makeMemo(1000);
    memo->setText("");
    for (int i = 0; i < 1000; ++i)
        memo->EMType("x");
    int undos = 0;
    while (memo->CanUndo()) {
        memo->EMUndo();
        ++undos;
    }
    EXPECT_EQ(undos, 999);
    EXPECT_EQ(memo->text(), "x");  // the first edit can no longer be undone
    memo->EMUndo();
    EXPECT_EQ(memo->text(), "x");
    int redos = 0;
    while (memo->CanRedo()) {
        memo->EMRedo();
        ++redos;
    }
    EXPECT_EQ(redos, 999);
    EXPECT_EQ(memo->text().size(), 1000);
}

TEST(ExtraMemo, SmallRingKeepsDepthMinusOneSteps)
{
    auto memo = makeMemo(4);
    memo->setText("");
    QTest::keyClicks(memo.get(), "abcdef");
    for (int i = 0; i < 10; ++i)
        memo->EMUndo();
    EXPECT_EQ(memo->text(), "abc");
}

TEST(ExtraMemo, ReplacingTheWholeTextClearsTheRingAndTheMark)
{
    auto memo = makeMemo();
    int changes = 0;
    QObject::connect(memo.get(), &RExtraMemo::userChanged, [&] { ++changes; });
    memo->setText("first");
    EXPECT_FALSE(memo->modifiedMark());
    EXPECT_EQ(changes, 0);
    QTest::keyClicks(memo.get(), "ab");
    EXPECT_TRUE(memo->modifiedMark());
    EXPECT_EQ(changes, 2);
    memo->setText("second document");
    EXPECT_FALSE(memo->modifiedMark());
    EXPECT_FALSE(memo->CanUndo());
    // A step of the old text must not be applied to the new one.
    key(*memo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo->text(), "second document");
}

TEST(ExtraMemo, ReadOnlyControlRefusesEveryEdit)
{
    ScriptedUserInterface ui;
    for (const int depth : {1000, 0}) {
        SCOPED_TRACE(depth);
        auto memo = makeMemo(depth, depth != 0);
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_FALSE(memo->canEdit());
        memo->setText("view");
        memo->setSelection(0, 2);
        QApplication::clipboard()->setText("P");
        QTest::keyClicks(memo.get(), "abc");
        for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Delete})
            key(*memo, k);
        for (Qt::Key k : {Qt::Key_X, Qt::Key_V, Qt::Key_Z, Qt::Key_B, Qt::Key_T})
            key(*memo, k, Qt::ControlModifier);
        key(*memo, Qt::Key_Insert, Qt::ShiftModifier);
        memo->EMPaste();
        memo->EMCut();
        memo->EMType("z");
        EXPECT_EQ(memo->EMReplace(1, "v", "w", false, false, true), 0);
        EXPECT_EQ(memo->text(), "view");
        EXPECT_FALSE(memo->CanUndo());
        EXPECT_FALSE(memo->modifiedMark());
        EXPECT_FALSE(memo->replaceDialog()->isVisible());
        // Copying still works.
        memo->setSelection(0, 2);
        key(*memo, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "vi");
    }
}

TEST(ExtraMemo, MenuStateFollowsTheControl)
{
    auto memo = makeMemo();
    QMenu menu;
    SMenuItem items;
    fillEditMenu(&menu, items, Qt::WidgetShortcut);
    ASSERT_EQ(menu.actions().size(), 13);
    const QStringList captions = {"Undo", "Redo", "", "Cut", "Copy", "Paste", "SelectAll", "",
        "Use Regular Expression", "Find...", "Find Same", "Replace...", "Replace Same"};
    const QStringList keys = {"Ctrl+Z", "Ctrl+B", "", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Ctrl+A", "",
        "Ctrl+R", "Ctrl+F", "Ctrl+G", "", "Ctrl+T"};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(items[i]->text(), captions[i]);
        EXPECT_EQ(items[i]->shortcut().toString(), keys[i]);
    }

    memo->setText("abc");
    QApplication::clipboard()->clear();
    memo->EMEnabledSet(items);
    EXPECT_FALSE(items[SMenuItem::Undo]->isEnabled());
    EXPECT_FALSE(items[SMenuItem::Redo]->isEnabled());
    EXPECT_FALSE(items[SMenuItem::Cut]->isEnabled());
    EXPECT_FALSE(items[SMenuItem::Copy]->isEnabled());
    EXPECT_FALSE(items[SMenuItem::Paste]->isEnabled());
    EXPECT_FALSE(items[SMenuItem::RegEx]->isChecked());

    memo->setSelection(0, 1);
    key(*memo, Qt::Key_X, Qt::ControlModifier);
    memo->EMUndo();
    memo->setSelection(0, 2);
    key(*memo, Qt::Key_R, Qt::ControlModifier);
    memo->EMEnabledSet(items);
    EXPECT_FALSE(items[SMenuItem::Undo]->isEnabled());
    EXPECT_TRUE(items[SMenuItem::Redo]->isEnabled());
    EXPECT_TRUE(items[SMenuItem::Cut]->isEnabled());
    EXPECT_TRUE(items[SMenuItem::Copy]->isEnabled());
    EXPECT_TRUE(items[SMenuItem::Paste]->isEnabled());
    EXPECT_TRUE(items[SMenuItem::RegEx]->isChecked());
    for (int i : {SMenuItem::Undo, SMenuItem::Redo, SMenuItem::Cut, SMenuItem::Paste,
             SMenuItem::Replace, SMenuItem::ReplaceSame})
        EXPECT_TRUE(items[i]->isVisible());

    memo->setReadOnly(true);
    memo->EMEnabledSet(items);
    for (int i : {SMenuItem::Undo, SMenuItem::Redo, SMenuItem::Cut, SMenuItem::Paste,
             SMenuItem::Replace, SMenuItem::ReplaceSame})
        EXPECT_FALSE(items[i]->isVisible()) << i;
    EXPECT_TRUE(items[SMenuItem::Copy]->isVisible());
    EXPECT_TRUE(items[SMenuItem::Find]->isVisible());
}

// A window shortcut on the same keys must not take the editor's own keys away from it.
TEST(ExtraMemo, OwnShortcutsWinOverWindowShortcuts)
{
    QMainWindow window;
    auto* memo = new RExtraMemo(&window, false, QString(), 0, 1000, 0);
    window.setCentralWidget(memo);
    QMenu* edit = window.menuBar()->addMenu("Edit");
    SMenuItem items;
    fillEditMenu(edit, items, Qt::WindowShortcut);
    int triggered = 0;
    for (QAction* a : edit->actions())
        QObject::connect(a, &QAction::triggered, [&] { ++triggered; });
    window.show();
    QApplication::setActiveWindow(&window);
    memo->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    memo->setText("");
    QTest::keyClicks(memo, "ab");
    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo->text(), "a");
    QTest::keyClick(memo, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(memo->text(), "ab");
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(memo->text(), "");
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo->text(), "ab");
    EXPECT_EQ(triggered, 0);
}

TEST(ExtraMemo, FindShortcutsOpenTheDialogs)
{
    ScriptedUserInterface ui;
    auto memo = makeMemo();
    memo->setText("abc abc");
    key(*memo, Qt::Key_G, Qt::ControlModifier);  // nothing to repeat yet: the dialog opens
    EXPECT_TRUE(memo->findDialog()->isVisible());
    memo->findDialog()->hide();
    key(*memo, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(memo->findDialog()->isVisible());
    memo->findDialog()->hide();
    key(*memo, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(memo->replaceDialog()->isVisible());
    memo->replaceDialog()->setOptions("abc", "x", false, false);
    memo->replaceDialog()->hide();
    memo->setSelection(0, 0);
    key(*memo, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(memo->text(), "x abc");
    EXPECT_TRUE(ui.messages.isEmpty());
}

// Text that reaches the control past the key handling must still be undoable exactly.
TEST(ExtraMemo, InputMethodCommitIsRecorded)
{
    auto memo = makeMemo();
    memo->setText("ab");
    memo->setSelection(1, 0);
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString(QString::fromUtf8("日本"));
    QApplication::sendEvent(memo.get(), &commit);
    EXPECT_EQ(memo->text(), QString::fromUtf8("a日本b"));
    EXPECT_TRUE(memo->modifiedMark());
    memo->EMUndo();
    EXPECT_EQ(memo->text(), "ab");
    memo->EMRedo();
    EXPECT_EQ(memo->text(), QString::fromUtf8("a日本b"));
}

TEST(ExtraMemo, DropsInsertTextAndLeaveFilesToTheWindow)
{
    auto memo = makeMemo();
    memo->show();
    memo->setText("abc");
    const QPoint at = memo->cursorRect(memo->textCursor()).center();

    QMimeData text;
    text.setText("XY");
    // A drop reaches the widget that accepted the drag's entry.
    QDragEnterEvent enterText(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &enterText);
    EXPECT_TRUE(enterText.isAccepted());
    QDropEvent dropText(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &dropText);
    EXPECT_TRUE(dropText.isAccepted());
    EXPECT_EQ(memo->text().size(), 5);
    memo->EMUndo();
    EXPECT_EQ(memo->text(), "abc");

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile("/tmp/a.MV3")});
    file.setText("/tmp/a.MV3");
    QDragEnterEvent enter(at, Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent dropFile(at, Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->viewport(), &dropFile);
    EXPECT_EQ(memo->text(), "abc");
}

TEST(ExtraMemo, MiddleClickPastesNothing)
{
    auto memo = makeMemo();
    memo->show();
    memo->setText("abc");
    QApplication::clipboard()->setText("SEL", QClipboard::Selection);
    QApplication::clipboard()->setText("CLIP");
    QTest::mouseClick(memo->viewport(), Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(memo->text(), "abc");
    EXPECT_FALSE(memo->CanUndo());
}

TEST(ExtraMemo, CtrlClickOpensThePopup)
{
    auto memo = makeMemo();
    memo->show();
    memo->setText("abc");
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(10, 10));
    EXPECT_TRUE(memo->popupMenu()->isVisible());
    memo->popupMenu()->hide();
}
