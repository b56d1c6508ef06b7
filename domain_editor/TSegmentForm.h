#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class RDomainEditor;

// "Segment data": checks a new segment between the two picked points, appends and connects
// it, and may make its length per division the proposal for later segments.
class TSegmentForm : public QDialog {
    Q_OBJECT
public:
    TSegmentForm(RDomainEditor& editor, QWidget* owner);

    QLineEdit* LabeledEdit1;  // radius
    QLineEdit* LabeledEdit2;  // bias
    QLineEdit* LabeledEdit3;  // division
    QComboBox* ComboBox1;     // type
    QLineEdit* LabeledEdit4;  // region
    QCheckBox* CheckBox1;     // standard
    QPushButton* Button1;
    QPushButton* Button2;
    // While clear, edits of the radius and division boxes have no side effects.
    bool inputTracking = false;

    void Button1Click();
    void LabeledEdit1Change();
    void LabeledEdit3Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    RDomainEditor& m_editor;
};
