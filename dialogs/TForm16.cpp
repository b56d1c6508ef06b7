#include "dialogs/TForm16.h"

#include "widgets/RScriptFont.h"
#include "widgets/RUserInterface.h"
#include "document/RMORVDocument.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

TForm16::TForm16(RMORVDocument& doc, const QString& thermoPath, const QString& transportPath,
    QWidget* owner)
    : QDialog(owner)
    , m_doc(doc)
    , m_thermoPath(thermoPath)
    , m_transportPath(transportPath)
{
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral("Chemical species"));
    // Fixed pitch, so that the "*" and "?" marks line up.
    const QFont fixed = gothicListFont();
    ListBox1 = new QListWidget(this);
    ListBox1->setFont(fixed);
    ListBox2 = new QListWidget(this);
    ListBox2->setFont(fixed);
    Edit1 = new QLineEdit(this);
    auto button = [this](const char* text) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromLatin1(text));
        return b;
    };
    SpeedButton1 = button("<");
    SpeedButton2 = button(">");
    SpeedButton3 = button("Up");
    SpeedButton4 = button("Down");
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);

    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TForm16::ListBox1Click);
    connect(ListBox2, &QListWidget::itemSelectionChanged, this, &TForm16::ListBox2Click);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm16::Edit1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm16::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm16::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm16::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm16::SpeedButton4Click);
    connect(Button1, &QPushButton::clicked, this, &TForm16::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Selected species;"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("seek"), this), 0, 2);
    grid->addWidget(Edit1, 1, 2);
    grid->addWidget(ListBox1, 1, 0, 3, 1);
    auto* middle = new QVBoxLayout;
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        middle->addWidget(b);
    middle->addStretch();
    grid->addLayout(middle, 1, 1, 3, 1);
    grid->addWidget(ListBox2, 2, 2, 2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("* = no transport data"), this));
    bottom->addStretch();
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(bottom);
    resize(459, 300);
}

void TForm16::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TForm16::FormShow()
{
    m_dialogChanged = false;
    const SSymbolTable& symbols = *m_doc.compiler->symbols;
    const QStringList species = symbols.speciesCount > 0 ? symbols.speciesNames.mid(0, symbols.speciesCount) : QStringList();
    const RSpeciesSelection::LoadResult loaded = m_model.load(species, m_thermoPath, m_transportPath);
    if (loaded != RSpeciesSelection::Loaded) {
        const QString& path = loaded == RSpeciesSelection::ThermoNotOpened ? m_thermoPath : m_transportPath;
        showMessage(this, QStringLiteral("can't open ") + path);
    }
    fillAvailable();
    DisplaySelectedSP();
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        b->setEnabled(false);
    Button1->setFocus();
}

void TForm16::fillAvailable()
{
    const QSignalBlocker block(ListBox2);
    ListBox2->clear();
    ListBox2->addItems(m_model.available);
}

void TForm16::DisplaySelectedSP()
{
    const QSignalBlocker block(ListBox1);
    ListBox1->clear();
    ListBox1->addItems(m_model.selectionTexts());
}

void TForm16::ListBox2Click()
{
    SpeedButton1->setEnabled(!ListBox2->selectedItems().isEmpty());
}

void TForm16::ListBox1Click()
{
    const int row = ListBox1->selectedItems().isEmpty() ? -1 : ListBox1->currentRow();
    SpeedButton2->setEnabled(row >= 0);
    if (row >= 0)
        SpeedButton2->setText(m_model.selection.at(row).inThermoData ? QStringLiteral(">") : QStringLiteral("Del"));
    SpeedButton3->setEnabled(row > 0);
    SpeedButton4->setEnabled(row >= 0 && row < ListBox1->count() - 1);
}

void TForm16::Edit1Change()
{
    if (ListBox2->count() == 0)
        return;
    const int row = m_model.seek(Edit1->text());
    if (row < 0)
        return;
    ListBox2->setCurrentRow(row);
    ListBox2Click();
}

void TForm16::SpeedButton1Click()
{
    const int row = ListBox2->selectedItems().isEmpty() ? -1 : ListBox2->currentRow();
    if (row < 0)
        return;
    m_model.moveIn(row);
    ListBox1->addItem(m_model.selectionTexts().constLast());
    delete ListBox2->takeItem(row);
    ListBox2->clearSelection();
    ListBox2Click();
}

void TForm16::SpeedButton2Click()
{
    const int row = ListBox1->selectedItems().isEmpty() ? -1 : ListBox1->currentRow();
    if (row < 0)
        return;
    m_model.moveOut(row);
    fillAvailable();
    DisplaySelectedSP();
    ListBox1Click();
}

void TForm16::selectInSelection(int row)
{
    DisplaySelectedSP();
    ListBox1->setCurrentRow(row);
    ListBox1Click();
}

void TForm16::SpeedButton3Click()
{
    const int row = ListBox1->currentRow();
    if (m_model.moveUp(row))
        selectInSelection(row - 1);
}

void TForm16::SpeedButton4Click()
{
    const int row = ListBox1->currentRow();
    if (m_model.moveDown(row))
        selectInSelection(row + 1);
}

void TForm16::Button1Click()
{
    // Without the data bases there is nothing to choose from: the document keeps its species.
    if (m_model.loaded()) {
        m_model.store(*m_doc.compiler->symbols);
        m_dialogChanged = true;
        m_doc.compileState = 2;
        m_doc.modified = true;
    }
    accept();
}
