#include "dialogs/TVersionInfoForm.h"

#include "dialogs/RSiteAddress.h"
#include "dialogs/RUpdatePageScan.h"
#include "widgets/RUserInterface.h"
#include "document/RUtilities.h"

#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

namespace {

// The product picture: a 128 by 128 tile drawn here, so the program carries no image file.
QPixmap productPicture()
{
    QPixmap pixmap(128, 128);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 128, 128);
    gradient.setColorAt(0, QColor(40, 90, 170));
    gradient.setColorAt(1, QColor(20, 40, 90));
    p.setBrush(gradient);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 16, 16);
    p.setPen(QPen(QColor(240, 200, 60), 5));
    // A damped wave: the kind of curve the program computes.
    QPainterPath wave;
    wave.moveTo(14, 64);
    for (int x = 14; x <= 114; ++x) {
        const double t = (x - 14) / 100.0;
        wave.lineTo(x, 64 - 40 * std::exp(-3 * t) * std::cos(18 * t));
    }
    p.drawPath(wave);
    return pixmap;
}

} // namespace

TVersionInfoForm::TVersionInfoForm(QWidget* owner, const QUrl& site, int version)
    : QDialog(owner)
    , m_site(site.isEmpty() ? defaultSiteUrl() : site)
    , m_version(version < 0 ? programVersion() : version)
{
    setObjectName(QStringLiteral("VersionInfoForm"));
    setWindowTitle(QStringLiteral("About MORV"));
    auto* picture = new QLabel(this);
    picture->setPixmap(productPicture());
    Label1 = new QLabel(QStringLiteral("MORV"), this);
    QFont big = Label1->font();
    big.setPixelSize(21);
    Label1->setFont(big);
    Label2 = new QLabel(QStringLiteral("The numerical analysis tool"), this);
    Label3 = new QLabel(this);
    LinkLabel1 = new QLabel(QStringLiteral("<a href=\"%1\">Visit website ...</a>").arg(m_site.toString().toHtmlEscaped()), this);
    LinkLabel1->setToolTip(m_site.toString());
    LinkLabel1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(LinkLabel1, &QLabel::linkActivated, this, [this] { LinkLabel1LinkClick(); });
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 5, 1);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(Label2, 1, 1);
    layout->addWidget(Label3, 2, 1);
    layout->addWidget(LinkLabel1, 3, 1);
    layout->addWidget(Button1, 4, 1, Qt::AlignRight);
    resize(362, 200);
}

void TVersionInfoForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TVersionInfoForm::FormShow()
{
    Label3->setText(QStringLiteral("Version ") + versionDotted(m_version));
}

void TVersionInfoForm::LinkLabel1LinkClick()
{
    userInterface().openUrl(m_site);
}
