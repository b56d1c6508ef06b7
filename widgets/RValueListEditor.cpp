#include "widgets/RValueListEditor.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// Drops the characters the list's key filter refuses before the editor sees them.
class RCharFilter : public QObject {
public:
    RCharFilter(const RValueListEditor* list, QObject* parent)
        : QObject(parent)
        , m_list(list)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (text.size() == 1 && text.at(0).unicode() >= 32 && !m_list->acceptsCharacter(text.at(0)))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const RValueListEditor* m_list;
};

class RValueDelegate : public QStyledItemDelegate {
public:
    explicit RValueDelegate(RValueListEditor* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        QWidget* editor = nullptr;
        const QStringList picks = m_list->pickListFor(index.row());
        if (!picks.isEmpty()) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->addItems(picks);
            editor = combo;
            if (combo->lineEdit())
                combo->lineEdit()->installEventFilter(new RCharFilter(m_list, combo));
        } else {
            editor = QStyledItemDelegate::createEditor(parent, option, index);
            editor->installEventFilter(new RCharFilter(m_list, editor));
        }
        m_editor = editor;
        return editor;
    }

    QWidget* openEditor() const { return m_editor; }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        // The type first: while the list is being destroyed its editors still send events
        // through here, and the list may then no longer be asked anything.
        if (event->type() == QEvent::KeyPress && m_list->alwaysShowsEditor()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            auto* editor = qobject_cast<QWidget*>(object);
            if (editor && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                m_list->validateOpenEditor(editor);
                return true;
            }
            // Escape drops the typed text and goes on to the window, so that a dialog's
            // Cancel key still ends it.
            if (editor && key == Qt::Key_Escape) {
                setEditorData(editor, m_list->currentIndex());
                return false;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentText(index.data(Qt::EditRole).toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
        const QModelIndex& index) const override
    {
        QString text;
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            text = combo->currentText();
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            text = line->text();
        else
            return QStyledItemDelegate::setModelData(editor, model, index);
        if (text == index.data(Qt::EditRole).toString())
            return;
        if (!m_list->validateEdit(index.row(), text))
            return;
        model->setData(index, text, Qt::EditRole);
        emit m_list->valueChanged(index.row(), text);
    }

private:
    RValueListEditor* m_list;
    mutable QPointer<QWidget> m_editor;
};

} // namespace

RValueListEditor::RValueListEditor(QWidget* parent)
    : QTableWidget(0, 2, parent)
{
    m_delegate = new RValueDelegate(this);
    setItemDelegateForColumn(1, m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setTitles(tr("Key"), tr("Value"));
}

void RValueListEditor::setTitles(const QString& keyTitle, const QString& valueTitle)
{
    setHorizontalHeaderLabels({keyTitle, valueTitle});
}

void RValueListEditor::clearRows()
{
    setRowCount(0);
}

int RValueListEditor::addRow(const QString& key, const QString& value, bool readOnly)
{
    const int row = rowCount();
    insertRow(row);
    auto* keyItem = new QTableWidgetItem(key);
    keyItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, 0, keyItem);
    setItem(row, 1, new QTableWidgetItem(value));
    setRowReadOnly(row, readOnly);
    return row;
}

QString RValueListEditor::key(int row) const
{
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->text() : QString();
}

QString RValueListEditor::value(int row) const
{
    const QTableWidgetItem* it = item(row, 1);
    return it ? it->text() : QString();
}

void RValueListEditor::setValue(int row, const QString& value)
{
    if (QTableWidgetItem* it = item(row, 1))
        it->setText(value);
}

bool RValueListEditor::isRowReadOnly(int row) const
{
    const QTableWidgetItem* it = item(row, 1);
    return !it || !(it->flags() & Qt::ItemIsEditable);
}

void RValueListEditor::setRowReadOnly(int row, bool readOnly)
{
    QTableWidgetItem* it = item(row, 1);
    if (!it)
        return;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!readOnly)
        flags |= Qt::ItemIsEditable;
    it->setFlags(flags);
}

void RValueListEditor::commitEdit()
{
    QWidget* editor = static_cast<RValueDelegate*>(m_delegate)->openEditor();
    if (!editor || state() != QAbstractItemView::EditingState)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool RValueListEditor::validateEdit(int row, QString& value)
{
    if (isRowReadOnly(row) || m_validating)
        return false;
    if (!m_validator)
        return true;
    m_validating = true;
    const bool accepted = m_validator(row, key(row), value);
    m_validating = false;
    return accepted;
}

void RValueListEditor::validateOpenEditor(QWidget* editor)
{
    const QPointer<QWidget> open(editor);
    const QModelIndex index = currentIndex();
    commitData(editor);
    // A refusal's message may have closed the editor.
    if (!open || !isEditing()) {
        reopenEditorLater();
        return;
    }
    m_delegate->setEditorData(editor, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        line = combo->lineEdit();
    if (line)
        line->selectAll();
}

void RValueListEditor::keyPressEvent(QKeyEvent* event)
{
    if (m_alwaysShowEditor && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Nothing is typed in a cell without an editor: Enter only opens the editor again.
        const QModelIndex index = currentIndex();
        if (index.isValid() && index.column() == 1 && !isRowReadOnly(index.row()))
            edit(index);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void RValueListEditor::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    if (m_alwaysShowEditor)
        reopenEditorLater();
}

void RValueListEditor::reopenEditorLater()
{
    QTimer::singleShot(0, this, [this] {
        if (!hasFocus())
            return;
        // An editor opened while another control had the focus is still open: type into it.
        QWidget* open = static_cast<RValueDelegate*>(m_delegate)->openEditor();
        if (isEditing() && open) {
            open->setFocus();
            return;
        }
        const QModelIndex index = currentIndex();
        if (!isEditing() && index.isValid() && index.column() == 1 && !isRowReadOnly(index.row()))
            edit(index);
    });
}

QStringList RValueListEditor::pickListFor(int row) const
{
    return m_pickList ? m_pickList(key(row)) : QStringList();
}
