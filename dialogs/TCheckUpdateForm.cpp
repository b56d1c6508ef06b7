#include "dialogs/TCheckUpdateForm.h"

#include "dialogs/RSiteAddress.h"
#include "dialogs/RUpdatePageScan.h"
#include "widgets/RUserInterface.h"
#include "dialogs/TReleaseNoteForm.h"
#include "document/RUtilities.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QShowEvent>
#include <QToolButton>

TCheckUpdateForm::TCheckUpdateForm(QWidget* owner, const QUrl& site, int currentVersion)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_site(site.isEmpty() ? defaultSiteUrl() : site)
    , m_currentVersion(currentVersion < 0 ? programVersion() : currentVersion)
    , m_network(new QNetworkAccessManager(this))
{
    setObjectName(QStringLiteral("CheckUpdateForm"));
    setWindowTitle(QStringLiteral("Check update"));
    Label1 = new QLabel(this);
    auto button = [this](const QString& text) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    SpeedButton1 = button(QStringLiteral("Download now"));
    SpeedButton2 = button(QStringLiteral("Read release note"));
    SpeedButton3 = button(QStringLiteral("Close"));
    connect(SpeedButton1, &QToolButton::clicked, this, &TCheckUpdateForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TCheckUpdateForm::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &QDialog::accept);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(SpeedButton1, 1, 0);
    layout->addWidget(SpeedButton2, 2, 0);
    layout->addWidget(SpeedButton3, 3, 0);
    resize(236, 175);
}

// Closed before the page came: the hourglass must not outlive the window.
TCheckUpdateForm::~TCheckUpdateForm()
{
    if (m_waitCursor)
        QGuiApplication::restoreOverrideCursor();
}

void TCheckUpdateForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

// The check has no close box; Escape does not end it either, only "Close".
void TCheckUpdateForm::reject() {}

void TCheckUpdateForm::FormShow()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_waitCursor = true;
    m_pageDone = false;
    setWindowTitle(QStringLiteral("Current Version ") + versionWithBuild(m_currentVersion));
    Label1->clear();
    SpeedButton1->setEnabled(false);
    SpeedButton1->setText(QStringLiteral("Checking update..."));

    QNetworkRequest request(m_site.resolved(QUrl(QString::fromLatin1(DownloadPagePath))));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        // A page that did not load holds no archive link: the check ends as for no link.
        const QString page = reply->error() == QNetworkReply::NoError
            ? QString::fromUtf8(reply->readAll()) : QString();
        WebBrowser1DocumentComplete(page);
    });
}

void TCheckUpdateForm::WebBrowser1DocumentComplete(const QString& pageSource)
{
    if (m_pageDone)
        return;
    m_latest = GetLatestVerString(pageSource);
    if (m_waitCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
    m_pageDone = true;
    if (m_latest.isEmpty()) {
        showMessage(this, QStringLiteral("Sorry, try later"));
        SpeedButton1->setText(QStringLiteral("Network trouble"));
        SpeedButton1->setEnabled(false);
    } else {
        const qint64 latest = m_latest.toLongLong();
        if (m_currentVersion < latest) {
            Label1->setText(QStringLiteral("Version ") + versionWithBuild(int(latest)) + QStringLiteral(" available"));
            SpeedButton1->setText(QStringLiteral("Download now"));
            SpeedButton1->setEnabled(true);
        } else {
            Label1->setText(QStringLiteral("Version ") + versionWithBuild(m_currentVersion) + QStringLiteral(" is the Latest."));
            SpeedButton1->setText(QStringLiteral("No need to update"));
            SpeedButton1->setEnabled(false);
        }
    }
    emit evaluated();
}

void TCheckUpdateForm::SpeedButton1Click()
{
    if (m_latest.isEmpty())
        return;
    userInterface().openUrl(m_site.resolved(QUrl(setupArchivePath(m_latest))));
}

void TCheckUpdateForm::SpeedButton2Click()
{
    TReleaseNoteForm notes(this, m_site);
    notes.exec();
}
