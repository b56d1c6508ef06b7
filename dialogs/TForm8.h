#pragma once
#include "dialogs/RControlDataCheck.h"

#include <QDialog>
#include <QMap>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;
class RMORVDocument;

// The control data dialog. OK checks every field, frames each failing one in red and stays
// open; when all pass it stores the values, raises the compile state to at least 1 and marks
// the document modified. Disabling OK before showing it makes it a read-only view.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(RMORVDocument& doc, QWidget* owner);

    // The fields whose red frame shows (ControlDataField bits).
    unsigned framedFields() const;

    void FormShow();
    void CheckBox1Click();
    void CheckBox4Click();
    void Edit2Change();
    void ListBox1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button1Click();

    QCheckBox* CheckBox1 = nullptr;  // restart
    QLineEdit* LabeledEdit1 = nullptr; // from
    QLineEdit* LabeledEdit2 = nullptr; // to
    QLineEdit* LabeledEdit3 = nullptr; // time step
    QCheckBox* CheckBox2 = nullptr;  // adjust time step per
    QLineEdit* LabeledEdit4 = nullptr; // times;
    QLineEdit* LabeledEdit6 = nullptr; // tolerance
    QLineEdit* LabeledEdit5 = nullptr; // output every
    QLineEdit* LabeledEdit11 = nullptr; // alpha
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;  // interval
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox4 = nullptr;  // specify time
    QLineEdit* Edit2 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QToolButton* SpeedButton1 = nullptr; // Add
    QToolButton* SpeedButton2 = nullptr; // Delete
    QLineEdit* LabeledEdit7 = nullptr; // iteration limit
    QLineEdit* LabeledEdit12 = nullptr; // output level
    QLineEdit* LabeledEdit13 = nullptr; // jacobi
    QLineEdit* LabeledEdit8 = nullptr; // epsilon
    QLineEdit* LabeledEdit9 = nullptr; // omega
    QLineEdit* LabeledEdit10 = nullptr; // delta phi
    QCheckBox* CheckBox5 = nullptr;  // avoid terminating by WARNINGs
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    SControlDataFields fields() const;
    void showFrames(unsigned fields);
    void placeFrames();
    void updateListButtons();

    RMORVDocument& m_doc;
    QMap<unsigned, QWidget*> m_framedWidget;  // field bit -> the widget it frames
    QMap<unsigned, QWidget*> m_frames;        // field bit -> its red frame
};
