#pragma once
#include <QTableWidget>

#include <functional>

// A two-column key/value list: keys in column 0 (never edited), values in column 1. A row
// may be read-only; a key may offer a pick list. When the user leaves a value cell whose
// text was changed (for another cell, another control, or by Enter), the validator is asked:
// it may take the value, adjust it, or refuse it, in which case the cell shows the previous
// value again. With the editor always shown, the current value cell is open for typing
// whenever the list has the focus, and Enter validates the cell without leaving it.
class RValueListEditor : public QTableWidget {
    Q_OBJECT
public:
    // Receives the row, its key and the new text (which it may change); false refuses it.
    using Validator = std::function<bool(int row, const QString& key, QString& value)>;
    // The values offered for a key; empty for a free-text cell.
    using PickList = std::function<QStringList(const QString& key)>;
    // Whether a typed character may enter a value cell.
    using KeyFilter = std::function<bool(QChar c)>;

    explicit RValueListEditor(QWidget* parent = nullptr);

    void setTitles(const QString& keyTitle, const QString& valueTitle);
    void clearRows();
    int addRow(const QString& key, const QString& value, bool readOnly = false);
    QString key(int row) const;
    QString value(int row) const;
    // Sets a value without asking the validator.
    void setValue(int row, const QString& value);
    bool isRowReadOnly(int row) const;
    void setRowReadOnly(int row, bool readOnly);

    void setValidator(Validator validator) { m_validator = std::move(validator); }
    void setPickList(PickList pickList) { m_pickList = std::move(pickList); }
    void setKeyFilter(KeyFilter filter) { m_keyFilter = std::move(filter); }

    // Keeps the current value cell's editor open while the list has the focus; Enter then
    // only validates the cell and never reaches a dialog's default button.
    void setAlwaysShowEditor(bool on) { m_alwaysShowEditor = on; }
    bool alwaysShowsEditor() const { return m_alwaysShowEditor; }

    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
    // Ends an edit in progress, validating its text (as leaving the cell does).
    void commitEdit();

    // Called by the cell editor when an edited value is committed.
    bool validateEdit(int row, QString& value);
    QStringList pickListFor(int row) const;
    bool acceptsCharacter(QChar c) const { return !m_keyFilter || m_keyFilter(c); }
    // Enter in the open editor, with the editor always shown: validates its text and keeps it
    // open on the cell's value (the previous one when the text was refused).
    void validateOpenEditor(QWidget* editor);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

signals:
    // A value was taken (after the validator accepted it).
    void valueChanged(int row, const QString& value);

private:
    Validator m_validator;
    PickList m_pickList;
    KeyFilter m_keyFilter;
    QAbstractItemDelegate* m_delegate = nullptr;
    bool m_alwaysShowEditor = false;
    // A validator that shows a message moves the focus, which would validate the same text
    // again from inside the first validation.
    bool m_validating = false;

    // Opens the current value cell's editor once the event in hand is done, if the list still
    // has the focus and nothing is being edited.
    void reopenEditorLater();
};
