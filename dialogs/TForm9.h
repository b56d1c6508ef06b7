#pragma once
#include "document/SInputData.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class RMORVDocument;
class RValueListEditor;

// The input data dialog: a working copy of the document's input data sets, one shown at a
// time on a key/value grid. OK replaces the document's sets and current index with the copy,
// raises the compile state to at least 1 and marks the document modified; Cancel drops it.
// Disabling OK before showing it makes it a read-only view.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    TForm9(RMORVDocument& doc, QWidget* owner);

    const QList<SInputData>& workingSets() const { return m_sets; }
    int shownSet() const { return m_shown; }

    void FormShow();
    void displayDataset();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Button1Click();

    QLabel* Label1 = nullptr;  // "No. n"
    QToolButton* SpeedButton1 = nullptr; // New
    QToolButton* SpeedButton2 = nullptr; // Delete
    QToolButton* SpeedButton3 = nullptr; // <
    QToolButton* SpeedButton4 = nullptr; // >
    QLineEdit* Edit1 = nullptr;  // label of the shown set
    RValueListEditor* ValueListEditor1 = nullptr;
    QLabel* Label2 = nullptr;  // comment of the selected input
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Commits the cell being edited and takes the label box; false when a value was refused.
    bool leaveShownSet();
    void showComment(int row);

    RMORVDocument& m_doc;
    QList<SInputData> m_sets;
    int m_shown = 0;
    bool m_refused = false;
    bool m_discarding = false;
};
