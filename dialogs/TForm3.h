#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The error window of the symbol dialog: the error list in the fixed-pitch font above a
// "Close" button. Whoever opens it sets the caption.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* owner);
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
};
