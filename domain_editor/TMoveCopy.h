#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class RDomainEditor;

// Moves the selected points or copies the selected objects by a parallel shift, a mirror
// image or a rotation. The caption, "Move" or "Copy", chooses the operation.
class TMoveCopy : public QDialog {
    Q_OBJECT
public:
    TMoveCopy(RDomainEditor& editor, QWidget* owner);

    QRadioButton* RadioButton1;  // parallel
    QRadioButton* RadioButton2;  // mirror
    QRadioButton* RadioButton3;  // rotate
    QStackedWidget* CardPanel1;
    QLineEdit* LabeledEdit[12] = {};  // 1 to 11 as laid out; 0 unused
    QPushButton* Button1;
    QPushButton* Button2;

    void Button1Click();
    void RadioButton1Click();
    void LabeledEdit4Change();
    void LabeledEdit5Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    RDomainEditor& m_editor;
    bool m_prepared = false;
};
