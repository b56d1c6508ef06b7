#pragma once
#include "dialogs/RSpeciesSelection.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class RMORVDocument;

// The species window: the species of the thermo data base not yet selected, and the
// selection in its order. OK stores the selection and its data flags in the document, sets
// the compile state to 2 and marks the document modified.
class TForm16 : public QDialog {
    Q_OBJECT
public:
    TForm16(RMORVDocument& doc, const QString& thermoPath, const QString& transportPath, QWidget* owner);

    bool dialogChanged() const { return m_dialogChanged; }
    const RSpeciesSelection& model() const { return m_model; }

    void FormShow();
    void ListBox1Click();
    void ListBox2Click();
    void Edit1Change();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void DisplaySelectedSP();
    void Button1Click();

    QListWidget* ListBox1 = nullptr; // selection
    QListWidget* ListBox2 = nullptr; // available
    QLineEdit* Edit1 = nullptr;      // seek
    QToolButton* SpeedButton1 = nullptr; // <
    QToolButton* SpeedButton2 = nullptr; // > or Del
    QToolButton* SpeedButton3 = nullptr; // Up
    QToolButton* SpeedButton4 = nullptr; // Down
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fillAvailable();
    void selectInSelection(int row);

    RMORVDocument& m_doc;
    QString m_thermoPath;
    QString m_transportPath;
    RSpeciesSelection m_model;
    bool m_dialogChanged = false;
};
