#pragma once
#include <QDialog>
#include <QStringList>

class QPushButton;
class QStatusBar;
class RExtraMemo;
class RMORVDocument;

// The compile-list viewer: shows the last compile's list read-only and exports it as the
// document's ".SYM" file. The opener sets compileList before showing it modally.
class TForm12 : public QDialog {
public:
    TForm12(QWidget* owner, const RMORVDocument& document, const QString& fontName, int fontSize);
    ~TForm12() override;

    const QStringList* compileList = nullptr;   // not owned

    RExtraMemo* memo = nullptr;
    QPushButton* Button1 = nullptr;   // Export
    QPushButton* Button2 = nullptr;   // Close
    QStatusBar* StatusBar1 = nullptr;

    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    const RMORVDocument& m_document;
};
