#include "results/TShowTextForm.h"

#include "widgets/RExtraMemo.h"
#include "widgets/RUserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QVBoxLayout>

TShowTextForm::TShowTextForm(QWidget* owner, const QString& fontName, int fontSize)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Form3"));
    resize(601, 415);
    m_memo = new RExtraMemo(this, true, fontName, fontSize, 0, 0);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(true);
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button2 = new QPushButton(QStringLiteral("Export"), this);
    Button1->setDefault(true);
    Button2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_memo, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TShowTextForm::setLines(const QStringList& lines) { m_memo->setText(lines.join(u'\n')); }

QStringList TShowTextForm::lines() const { return m_memo->text().split(u'\n'); }

void TShowTextForm::Button1Click() { close(); }

void TShowTextForm::Button2Click()
{
    if (overwriteConfirmation && QFileInfo::exists(exportFileName)
        && askQuestion(this, exportFileName + QStringLiteral(" already exists.\nOverwrite ?"),
               QStringLiteral("Warning"), QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;

    QByteArray text;
    if (exportEncoding == Encoding::Utf8)
        text = "\xEF\xBB\xBF";
    for (const QString& line : lines())
        text += line.toUtf8() + "\r\n";
    // The old file stays whole when the new one cannot be written.
    QSaveFile file(exportFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        showMessage(this, QStringLiteral("Cannot create file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(exportFileName), file.errorString()));
        return;
    }
    showMessage(this, exportFileName + QStringLiteral(" saved"));
}
