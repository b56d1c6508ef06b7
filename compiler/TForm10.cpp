#include "compiler/TForm10.h"

#include "compiler/TEquationCompile.h"
#include "document/RMORVDocument.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TForm10::TForm10(RMORVDocument& document, const std::array<QStringList, 5>& scripts,
                 const SChemistryDataBases& chemistry, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_document(document), m_scripts(scripts), m_chemistry(chemistry)
{
    setWindowTitle(QStringLiteral("Compile log"));
    resize(640, 420);
    auto* column = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(Memo1, 1);
    auto* bottom = new QHBoxLayout;
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    bottom->addWidget(ProgressBar1, 1);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    bottom->addWidget(Button1);
    column->addLayout(bottom);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TForm10::~TForm10() = default;

void TForm10::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_thread)
        FormShow();
}

void TForm10::FormShow()
{
    setWindowTitle(QStringLiteral("Compile Log : ")
                   + (m_document.named ? m_document.documentFileName : QStringLiteral("Untitled")));
    ProgressBar1->setValue(0);
    Memo1->clear();
    Memo1->setFocus();
    // Every call from the thread runs here, in the user-interface thread, before the thread goes on.
    const auto inWindow = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::BlockingQueuedConnection);
    };
    TEquationCompile::Output output;
    output.addLines = [this, inWindow](const QStringList& lines) {
        inWindow([this, lines] {
            for (const QString& line : lines)
                Memo1->appendPlainText(line);
        });
    };
    output.setProgress = [this, inWindow](int position) { inWindow([this, position] { ProgressBar1->setValue(position); }); };
    output.enableOk = [this, inWindow](bool enabled) { inWindow([this, enabled] { Button1->setEnabled(enabled); }); };
    Button1->setEnabled(false);
    m_thread = std::make_unique<TEquationCompile>(m_document, m_scripts, m_chemistry, std::move(output));
    m_thread->start();
}

void TForm10::Button1Click()
{
    m_thread.reset();
    accept();
}

void TForm10::closeEvent(QCloseEvent* event)
{
    if (m_thread && !m_thread->isFinished()) {
        event->ignore();
        return;
    }
    // After the run a close request does what OK does.
    Button1Click();
    event->accept();
}

void TForm10::reject()
{
    // No Cancel: OK closes the window.
}
