#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class RDomainEditor;

// "Point data": checks the typed position against the figure and appends one point.
class TPointForm : public QDialog {
    Q_OBJECT
public:
    TPointForm(RDomainEditor& editor, QWidget* owner);

    QLineEdit* LabeledEdit1;  // x
    QLineEdit* LabeledEdit2;  // y
    QLineEdit* LabeledEdit3;  // region
    QPushButton* Button1;
    QPushButton* Button2;

    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    RDomainEditor& m_editor;
};
