#pragma once
#include <QDialog>

class QListWidget;
class QPushButton;
class RMORVCompile;
class RResultHolder;

// The modal choice of the variables and sub variables that the result tables show. It lists
// every variable, then every sub variable, of the open document, none selected; OK replaces the
// holder's two selection lists with the selection (which may be empty), Cancel and Escape empty
// them.
class TSelVarForm : public QDialog {
public:
    TSelVarForm(QWidget* owner, const RMORVCompile& document, RResultHolder& holder);

    QListWidget* ListBox1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;  // "Select All"
    QPushButton* SpeedButton2 = nullptr;  // "Clear"
    QPushButton* Button1 = nullptr;       // "OK"
    QPushButton* Button2 = nullptr;       // "Cancel"

    void FormShow();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button1Click();
    void Button2Click();
    // Escape and Cancel: both lists emptied.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    const RMORVCompile& m_document;
    RResultHolder& m_holder;
};
