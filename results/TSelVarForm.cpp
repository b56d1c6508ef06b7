#include "results/TSelVarForm.h"

#include "document/RMORVCompile.h"
#include "results/RResultHolder.h"

#include <QFontDatabase>
#include <QShowEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSelVarForm::TSelVarForm(QWidget* owner, const RMORVCompile& document, RResultHolder& holder)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::MSWindowsFixedSizeDialogHint),
      m_document(document), m_holder(holder)
{
    setWindowTitle(QStringLiteral("Select Variables"));
    setFixedSize(241, 400);

    SpeedButton1 = new QPushButton(QStringLiteral("Select All"), this);
    SpeedButton2 = new QPushButton(QStringLiteral("Clear"), this);
    SpeedButton1->setFlat(true);
    SpeedButton2->setFlat(true);
    SpeedButton1->setAutoDefault(false);
    SpeedButton2->setAutoDefault(false);
    ListBox1 = new QListWidget(this);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Names line up in a fixed-pitch face, 12 pixels high.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    ListBox1->setFont(font);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    Button2->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(SpeedButton1);
    top->addWidget(SpeedButton2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ListBox1);
    layout->addLayout(bottom);

    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TSelVarForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TSelVarForm::FormShow()
{
    ListBox1->clear();
    const SControlData& control = *m_document.control;
    const SSymbolTable& symbols = *m_document.symbols;
    for (int k = 0; k < control.variableCount; ++k)
        ListBox1->addItem(symbols.variableNames.value(k));
    for (int k = 0; k < control.subVariableCount; ++k)
        ListBox1->addItem(symbols.subVariableNames.value(k));
    ListBox1->setFocus();
}

void TSelVarForm::SpeedButton1Click() { ListBox1->selectAll(); }

void TSelVarForm::SpeedButton2Click() { ListBox1->clearSelection(); }

void TSelVarForm::Button1Click()
{
    const int variableCount = m_document.control->variableCount;
    const int subVariableCount = m_document.control->subVariableCount;
    m_holder.selectedVariables.clear();
    for (int k = 0; k < variableCount && k < ListBox1->count(); ++k)
        if (ListBox1->item(k)->isSelected())
            m_holder.selectedVariables.append(k + 1);
    m_holder.selectedSubVariables.clear();
    for (int j = 0; j < subVariableCount && variableCount + j < ListBox1->count(); ++j)
        if (ListBox1->item(variableCount + j)->isSelected())
            m_holder.selectedSubVariables.append(j + 1);
    accept();
}

void TSelVarForm::Button2Click() { reject(); }

// Escape cancels as the Cancel button does.
void TSelVarForm::reject()
{
    m_holder.selectedVariables.clear();
    m_holder.selectedSubVariables.clear();
    QDialog::reject();
}
