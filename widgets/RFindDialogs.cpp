#include "widgets/RFindDialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* addButton(QVBoxLayout* column, const QString& caption)
{
    auto* button = new QPushButton(caption);
    column->addWidget(button);
    return button;
}

} // namespace

RFindDialog::RFindDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Find"));
    setModal(false);
    m_find = new QLineEdit;
    m_case = new QCheckBox(tr("Match case"));
    m_word = new QCheckBox(tr("Match whole word only"));
    auto* fields = new QFormLayout;
    fields->addRow(tr("Find what:"), m_find);
    fields->addRow(m_word);
    fields->addRow(m_case);
    auto* buttons = new QVBoxLayout;
    m_findNext = addButton(buttons, tr("Find Next"));
    m_findNext->setDefault(true);
    QPushButton* cancel = addButton(buttons, tr("Cancel"));
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    connect(m_findNext, &QPushButton::clicked, this, &RFindDialog::findNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString RFindDialog::findText() const { return m_find->text(); }
bool RFindDialog::matchCase() const { return m_case->isChecked(); }
bool RFindDialog::wholeWord() const { return m_word->isChecked(); }

void RFindDialog::setOptions(const QString& findText, bool matchCase, bool wholeWord)
{
    m_find->setText(findText);
    m_case->setChecked(matchCase);
    m_word->setChecked(wholeWord);
}

RReplaceDialog::RReplaceDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Replace"));
    setModal(false);
    m_find = new QLineEdit;
    m_replaceWith = new QLineEdit;
    m_case = new QCheckBox(tr("Match case"));
    m_word = new QCheckBox(tr("Match whole word only"));
    auto* fields = new QFormLayout;
    fields->addRow(tr("Find what:"), m_find);
    fields->addRow(tr("Replace with:"), m_replaceWith);
    fields->addRow(m_word);
    fields->addRow(m_case);
    auto* buttons = new QVBoxLayout;
    m_findNext = addButton(buttons, tr("Find Next"));
    m_findNext->setDefault(true);
    m_replace = addButton(buttons, tr("Replace"));
    m_replaceAll = addButton(buttons, tr("Replace All"));
    QPushButton* cancel = addButton(buttons, tr("Cancel"));
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    connect(m_findNext, &QPushButton::clicked, this, &RReplaceDialog::findNext);
    connect(m_replace, &QPushButton::clicked, this, &RReplaceDialog::replace);
    connect(m_replaceAll, &QPushButton::clicked, this, &RReplaceDialog::replaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString RReplaceDialog::findText() const { return m_find->text(); }
QString RReplaceDialog::replaceText() const { return m_replaceWith->text(); }
bool RReplaceDialog::matchCase() const { return m_case->isChecked(); }
bool RReplaceDialog::wholeWord() const { return m_word->isChecked(); }

void RReplaceDialog::setOptions(const QString& findText, const QString& replaceText,
    bool matchCase, bool wholeWord)
{
    m_find->setText(findText);
    m_replaceWith->setText(replaceText);
    m_case->setChecked(matchCase);
    m_word->setChecked(wholeWord);
}
