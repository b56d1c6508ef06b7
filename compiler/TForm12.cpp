#include "compiler/TForm12.h"

#include "widgets/RExtraMemo.h"
#include "widgets/RUserInterface.h"
#include "compiler/CompileList.h"
#include "document/RMORVDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

TForm12::TForm12(QWidget* owner, const RMORVDocument& document, const QString& fontName, int fontSize)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_document(document)
{
    resize(720, 520);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    // Created editable with its undo depth, then made read-only, as the section editors are.
    memo = new RExtraMemo(this, false, fontName, fontSize, 1000, 0);
    memo->setReadOnly(true);
    column->addWidget(memo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 6, 0);
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Export"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    column->addLayout(buttons);
    StatusBar1 = new QStatusBar(this);
    column->addWidget(StatusBar1);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TForm12::~TForm12() = default;

void TForm12::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm12::FormShow()
{
    setWindowTitle(QStringLiteral("Compile list : ")
                   + (m_document.named ? m_document.documentFileName : QStringLiteral("Untitled")));
    memo->setText(compileList ? compileList->join(QLatin1Char('\n')) : QString());
    Button2->setFocus();
}

void TForm12::Button1Click()
{
    const QString path = compileListExportPath(m_document.documentFolder, m_document.documentFileName);
    const QStringList lines = memo->text().split(QLatin1Char('\n'));
    if (!exportCompileList(lines, path)) {
        showMessage(this, QStringLiteral("Cannot create file \"%1\".").arg(QDir::toNativeSeparators(path)));
        return;
    }
    showMessage(this, QFileInfo(path).fileName() + QStringLiteral(" saved"));
}

void TForm12::Button2Click()
{
    accept();
}
