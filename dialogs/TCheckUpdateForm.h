#pragma once
#include <QDialog>
#include <QUrl>

class QLabel;
class QNetworkAccessManager;
class QToolButton;

// The update check: reads the download page of the maker's web site, finds the newest setup
// archive and compares it with the program's version. "Download now" hands the archive's
// address to the desktop. Without the page (no network, no such page) it ends with
// "Sorry, try later".
class TCheckUpdateForm : public QDialog {
    Q_OBJECT
public:
    // An empty site means the address compiled in; a negative version the program's own.
    explicit TCheckUpdateForm(QWidget* owner, const QUrl& site = {}, int currentVersion = -1);
    ~TCheckUpdateForm() override;

    void FormShow();
    // Evaluates the download page once; later calls change nothing.
    void WebBrowser1DocumentComplete(const QString& pageSource);
    void SpeedButton1Click();
    void SpeedButton2Click();
    // Escape does nothing: only "Close" ends the check.
    void reject() override;

    bool pageDone() const { return m_pageDone; }
    QString latestNumberText() const { return m_latest; }

    QLabel* Label1 = nullptr;            // the verdict line
    QToolButton* SpeedButton1 = nullptr; // download
    QToolButton* SpeedButton2 = nullptr; // Read release note
    QToolButton* SpeedButton3 = nullptr; // Close

signals:
    void evaluated();

protected:
    void showEvent(QShowEvent* e) override;

private:
    QUrl m_site;
    int m_currentVersion = 0;
    QString m_latest;
    bool m_pageDone = false;
    bool m_waitCursor = false;
    QNetworkAccessManager* m_network = nullptr;
};
