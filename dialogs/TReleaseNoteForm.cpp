#include "dialogs/TReleaseNoteForm.h"

#include "dialogs/RUpdatePageScan.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QShowEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

TReleaseNoteForm::TReleaseNoteForm(QWidget* owner, const QUrl& site)
    : QDialog(owner)
    , m_site(site)
    , m_network(new QNetworkAccessManager(this))
{
    setObjectName(QStringLiteral("ReleaseNoteForm"));
    setWindowTitle(QStringLiteral("MORV release note"));
    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1);
    resize(527, 337);
}

void TReleaseNoteForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TReleaseNoteForm::FormShow()
{
    const QUrl page = m_site.resolved(QUrl(QString::fromLatin1(ReleaseNotePagePath)));
    QNetworkRequest request(page);
    // Always the page as it is now, never a stored copy.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, page] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError) {
            WebBrowser1->document()->setBaseUrl(page);
            WebBrowser1->setHtml(QString::fromUtf8(reply->readAll()));
        } else {
            WebBrowser1->setPlainText(reply->errorString());
        }
        emit loaded();
    });
}
