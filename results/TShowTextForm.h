#pragma once
#include <QDialog>
#include <QStringList>

class QPushButton;
class QStatusBar;
class RExtraMemo;

// The modal viewer of long read-only text (result tables, run log) with "Close" and an
// "Export" that writes the shown lines to exportFileName.
class TShowTextForm : public QDialog {
public:
    // How Export encodes the file: UTF-8 with a byte-order mark, or the ANSI code page, which
    // on this platform is UTF-8 without one.
    enum class Encoding { Utf8, Ansi };

    TShowTextForm(QWidget* owner, const QString& fontName, int fontSize);

    RExtraMemo* memo() const { return m_memo; }
    void setLines(const QStringList& lines);
    QStringList lines() const;

    Encoding exportEncoding = Encoding::Utf8;
    QString exportFileName;
    bool overwriteConfirmation = true;

    QStatusBar* StatusBar1 = nullptr;
    QPushButton* Button1 = nullptr;  // "Close"
    QPushButton* Button2 = nullptr;  // "Export"

    void Button1Click();
    void Button2Click();

private:
    RExtraMemo* m_memo = nullptr;
};
