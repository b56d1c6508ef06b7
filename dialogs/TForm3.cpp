#include "dialogs/TForm3.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm3::TForm3(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Form3"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Fixed pitch, so that the statement and its message line up as typed.
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    resize(480, 300);
}
