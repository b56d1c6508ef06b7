#include "dialogs/TForm9.h"

#include "dialogs/RDialogCaption.h"
#include "dialogs/RDialogNumbers.h"
#include "widgets/RScriptFont.h"
#include "widgets/RUserInterface.h"
#include "widgets/RValueListEditor.h"
#include "document/RMORVDocument.h"
#include "document/RNumberText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

TForm9::TForm9(RMORVDocument& doc, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("Form9"));
    Label1 = new QLabel(this);
    auto button = [this](const char* text) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromLatin1(text));
        return b;
    };
    SpeedButton1 = button("New");
    SpeedButton2 = button("Delete");
    SpeedButton3 = button("<");
    SpeedButton4 = button(">");
    Edit1 = new QLineEdit(this);
    ValueListEditor1 = new RValueListEditor(this);
    ValueListEditor1->setTitles(QStringLiteral("Input name"), QStringLiteral("Value"));
    // The Japanese gothic face at 12 pixels, fixed pitch, so that names and values line up.
    ValueListEditor1->setFont(gothicListFont());
    ValueListEditor1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Enter in the grid validates the cell; the dialog ends only by OK, Cancel or Escape.
    ValueListEditor1->setAlwaysShowEditor(true);
    Label2 = new QLabel(this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);

    ValueListEditor1->setValidator([this](int row, const QString& key, QString& value) {
        if (m_discarding)
            return false;
        if (key.isEmpty())
            return true;
        double v = 0.0;
        if (!dialogReal(value.trimmed(), v)) {
            m_refused = true;
            showMessage(this, QStringLiteral("'%1' is not a valid number.").arg(value));
            return false;
        }
        if (m_shown >= 0 && m_shown < m_sets.size() && row < m_sets[m_shown].values.size())
            m_sets[m_shown].values[row] = v;
        return true;
    });
    connect(ValueListEditor1, &QTableWidget::currentCellChanged, this,
        [this](int row, int column) {
            if (column == 1)
                showComment(row);
        });

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm9::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm9::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm9::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm9::SpeedButton4Click);
    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addStretch();
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        top->addWidget(b);
    auto* comment = new QHBoxLayout;
    comment->addWidget(new QLabel(QStringLiteral("comment : "), this));
    comment->addWidget(Label2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Edit1);
    layout->addWidget(ValueListEditor1, 1);
    layout->addLayout(comment);
    layout->addLayout(buttons);
    layout->addWidget(new QStatusBar(this));
    setFixedWidth(400);
    setMinimumHeight(350);
    resize(400, 350);
}

void TForm9::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TForm9::FormShow()
{
    setWindowTitle(documentDialogCaption(QStringLiteral("Edit Input data"), m_doc));
    Label2->clear();
    m_sets = m_doc.inputData;
    if (m_sets.isEmpty())
        m_sets.append(SInputData{});
    const int count = m_doc.compiler->control->inputCount;
    for (SInputData& set : m_sets)
        set.values.resize(count, 0.0);
    // An index read from a file may point past the sets.
    m_shown = qBound(0, m_doc.inputDataIndex, int(m_sets.size()) - 1);
    ValueListEditor1->clearRows();
    const QStringList& names = m_doc.compiler->symbols->inputNames;
    for (int i = 0; i < count; ++i)
        ValueListEditor1->addRow(i < names.size() ? names.at(i) : QString(), QString());
    displayDataset();
    Edit1->setFocus();
}

void TForm9::displayDataset()
{
    const SInputData& set = m_sets.at(m_shown);
    Label1->setText(QStringLiteral("No. %1").arg(m_shown + 1));
    Edit1->setText(set.label);
    for (int i = 0; i < ValueListEditor1->rowCount(); ++i)
        ValueListEditor1->setValue(i, formatGeneral15(set.values.value(i)));
    if (ValueListEditor1->rowCount() > 0)
        ValueListEditor1->setCurrentCell(0, 1);
    SpeedButton2->setEnabled(m_sets.size() > 1);
    SpeedButton3->setEnabled(m_shown > 0);
    SpeedButton4->setEnabled(m_shown < m_sets.size() - 1);
}

void TForm9::showComment(int row)
{
    const QStringList& comments = m_doc.compiler->symbols->inputComments;
    Label2->setText(row >= 0 && row < comments.size() ? comments.at(row) : QString());
}

bool TForm9::leaveShownSet()
{
    m_refused = false;
    ValueListEditor1->commitEdit();
    m_sets[m_shown].label = Edit1->text();
    return !m_refused;
}

void TForm9::SpeedButton1Click()
{
    if (!leaveShownSet())
        return;
    m_sets.append(m_sets.at(m_shown));
    m_shown = int(m_sets.size()) - 1;
    displayDataset();
}

void TForm9::SpeedButton2Click()
{
    if (m_sets.size() <= 1)
        return;
    // The set goes without its cell being validated: an open edit is dropped.
    m_discarding = true;
    ValueListEditor1->commitEdit();
    m_discarding = false;
    m_sets.removeAt(m_shown);
    if (m_shown >= m_sets.size())
        m_shown = int(m_sets.size()) - 1;
    displayDataset();
}

void TForm9::SpeedButton3Click()
{
    if (m_shown <= 0 || !leaveShownSet())
        return;
    --m_shown;
    displayDataset();
}

void TForm9::SpeedButton4Click()
{
    if (m_shown >= m_sets.size() - 1 || !leaveShownSet())
        return;
    ++m_shown;
    displayDataset();
}

void TForm9::Button1Click()
{
    if (!Button1->isEnabled())
        return;
    // A value still being typed counts; a refused one keeps the dialog open.
    if (!leaveShownSet())
        return;
    m_doc.inputData = m_sets;
    m_doc.inputDataIndex = m_shown;
    if (m_doc.compileState < 1)
        m_doc.compileState = 1;
    m_doc.modified = true;
    accept();
}
