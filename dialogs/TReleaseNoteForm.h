#pragma once
#include <QDialog>
#include <QUrl>

class QNetworkAccessManager;
class QTextBrowser;

// The release-note page of the maker's web site in a text browser.
class TReleaseNoteForm : public QDialog {
    Q_OBJECT
public:
    TReleaseNoteForm(QWidget* owner, const QUrl& site);

    void FormShow();
    QTextBrowser* WebBrowser1 = nullptr;

signals:
    // The page (or the reason it could not be read) is on show.
    void loaded();

protected:
    void showEvent(QShowEvent* e) override;

private:
    QUrl m_site;
    QNetworkAccessManager* m_network = nullptr;
};
