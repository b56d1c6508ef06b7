#pragma once
#include <QDialog>
#include <QFont>
#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// The five user preferences of the main window as the preference dialog edits them.
struct SPreferences {
    int startupWindow = 2;      // 0 small, 1 large, 2 previous size
    int significantDigits = 6;
    QString fontName;
    int fontSize = 10;
    int resultBufferSize = 10000; // in units of 1024 result rows
};

// The preference dialog. It shows the values it is given and, on OK, hands back the values
// as typed; the main window stores them. An empty number box keeps it open with
// "Invalid Value".
class TForm7 : public QDialog {
    Q_OBJECT
public:
    // Offers fixed-pitch fonts, preset with `font`; true with the chosen font, false on Cancel.
    using FontChooser = std::function<bool(QWidget* parent, QFont& font)>;

    TForm7(const SPreferences& values, QWidget* owner);

    // The values after OK (the shown ones before).
    const SPreferences& values() const { return m_values; }
    // Replaces the platform's font dialog, for tests.
    void setFontChooser(FontChooser chooser) { m_chooser = std::move(chooser); }

    void FormShow();
    void SpeedButton1Click();
    void Button1Click();

    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QLineEdit* Edit1 = nullptr;         // significant digits
    QToolButton* SpeedButton1 = nullptr; // Select ...
    QLineEdit* LabeledEdit2 = nullptr;  // font name
    QLineEdit* LabeledEdit1 = nullptr;  // size
    QLineEdit* Edit2 = nullptr;         // sample
    QLineEdit* LabeledEdit3 = nullptr;  // buffer size
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    SPreferences m_values;
    QString m_sampleFontName;
    int m_sampleFontSize = 10;
    FontChooser m_chooser;
};
