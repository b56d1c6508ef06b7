// The key/value list: read-only rows, pick lists, the key filter and validation of a value
// when its cell is left.
#include "widgets/RValueListEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Opens the editor of row's value cell and types text into it (replacing what was there).
QWidget* editCell(RValueListEditor& list, int row, const QString& text)
{
    list.setCurrentCell(row, 1);
    if (!list.isEditing())
        list.edit(list.model()->index(row, 1));
    QWidget* editor = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        editor = combo->lineEdit();
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        return nullptr;
    line->selectAll();
    QTest::keyClicks(line, text);
    return line;
}

struct Fixture {
    Fixture()
    {
        list.addRow("x", "1");
        list.addRow("kind", "InnerBorder");
        list.addRow("fixed", "7", true);
        list.setPickList([](const QString& key) {
            return key == "kind" ? QStringList{"InnerBorder", "Outline"} : QStringList();
        });
        list.setValidator([this](int row, const QString& key, QString& value) {
            calls << QString("%1:%2=%3").arg(row).arg(key, value);
            bool ok = false;
            if (key == "x") {
                value.trimmed().toDouble(&ok);
                return ok;
            }
            return true;
        });
        list.resize(300, 200);
        list.show();
        QApplication::setActiveWindow(&list);
        list.setFocus();
    }
    RValueListEditor list;
    QStringList calls;
};

} // namespace

TEST(ValueList, LeavingAnEditedCellValidatesIt)
{
    Fixture f;
    ASSERT_TRUE(editCell(f.list, 0, "2.5"));
    f.list.setCurrentCell(1, 1);  // leave the cell for another
    EXPECT_EQ(f.calls, QStringList{"0:x=2.5"});
    EXPECT_EQ(f.list.value(0), "2.5");

    // A refused value leaves the previous one in place.
    f.calls.clear();
    ASSERT_TRUE(editCell(f.list, 0, "abc"));
    f.list.commitEdit();
    EXPECT_EQ(f.calls, QStringList{"0:x=abc"});
    EXPECT_EQ(f.list.value(0), "2.5");

    // An unchanged cell is not validated.
    f.calls.clear();
    ASSERT_TRUE(editCell(f.list, 0, "2.5"));
    f.list.commitEdit();
    EXPECT_TRUE(f.calls.isEmpty());
}

TEST(ValueList, EnterValidates)
{
    Fixture f;
    QWidget* editor = editCell(f.list, 0, "3");
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the item view commits Enter by a queued call
    EXPECT_EQ(f.calls, QStringList{"0:x=3"});
    EXPECT_EQ(f.list.value(0), "3");
}

TEST(ValueList, PickListAndReadOnlyRows)
{
    Fixture f;
    f.list.setCurrentCell(1, 1);
    f.list.edit(f.list.model()->index(1, 1));
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget()->parentWidget());
    if (!combo)
        combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "InnerBorder");
    EXPECT_EQ(combo->itemText(1), "Outline");
    combo->setCurrentIndex(1);
    f.list.commitEdit();
    EXPECT_EQ(f.list.value(1), "Outline");
    EXPECT_EQ(f.calls, QStringList{"1:kind=Outline"});

    EXPECT_TRUE(f.list.isRowReadOnly(2));
    EXPECT_FALSE(f.list.isRowReadOnly(0));
    EXPECT_FALSE(editCell(f.list, 2, "9"));
    EXPECT_EQ(f.list.value(2), "7");
    // Keys are never editable.
    EXPECT_FALSE(f.list.item(0, 0)->flags() & Qt::ItemIsEditable);
}

TEST(ValueList, KeyFilterDropsRefusedCharacters)
{
    Fixture f;
    f.list.setKeyFilter([](QChar c) { return c != ' ' && c != '#'; });
    ASSERT_TRUE(editCell(f.list, 0, "1 2#3"));
    f.list.commitEdit();
    EXPECT_EQ(f.list.value(0), "123");
}

// Fault guarded: a list destroyed with its editor open let the editor's event filter call the
// list after the list's own destructor had run (undefined behaviour; the sanitizer build sees it).
TEST(ValueList, DestroyedWithItsEditorOpen)
{
    auto list = std::make_unique<RValueListEditor>();
    list->setAlwaysShowEditor(true);
    list->addRow("x", "1");
    list->show();
    list->setCurrentCell(0, 1);
    list->edit(list->model()->index(0, 1));
    ASSERT_TRUE(list->isEditing());
    list.reset();
}
