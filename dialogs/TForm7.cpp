#include "dialogs/TForm7.h"

#include "dialogs/RDialogNumbers.h"
#include "widgets/RFixedPitchFontDialog.h"
#include "widgets/RScriptFont.h"
#include "widgets/RUserInterface.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

TForm7::TForm7(const SPreferences& values, QWidget* owner)
    : QDialog(owner)
    , m_values(values)
    , m_chooser(RFixedPitchFontDialog::getFont)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Preference"));
    const auto digits = [this](QLineEdit* e) {
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        return e;
    };

    auto* startup = new QGroupBox(QStringLiteral("Startup window"), this);
    RadioButton1 = new QRadioButton(QStringLiteral("small size"), startup);
    RadioButton2 = new QRadioButton(QStringLiteral("large size"), startup);
    RadioButton3 = new QRadioButton(QStringLiteral("previous size"), startup);
    RadioButton3->setChecked(true);
    auto* l1 = new QVBoxLayout(startup);
    l1->addWidget(RadioButton1);
    l1->addWidget(RadioButton2);
    l1->addWidget(RadioButton3);

    auto* significant = new QGroupBox(QStringLiteral("Significant digit"), this);
    Edit1 = digits(new QLineEdit(significant));
    (new QVBoxLayout(significant))->addWidget(Edit1);

    auto* font = new QGroupBox(QStringLiteral("Script font"), this);
    SpeedButton1 = new QToolButton(font);
    SpeedButton1->setText(QStringLiteral("Select ..."));
    LabeledEdit2 = new QLineEdit(font);
    LabeledEdit2->setReadOnly(true);
    LabeledEdit1 = new QLineEdit(font);
    LabeledEdit1->setReadOnly(true);
    Edit2 = new QLineEdit(QStringLiteral("Text sample"), font);
    auto* l3 = new QGridLayout(font);
    l3->addWidget(SpeedButton1, 0, 0);
    l3->addWidget(new QLabel(QStringLiteral("font name"), font), 1, 0);
    l3->addWidget(LabeledEdit2, 1, 1);
    l3->addWidget(new QLabel(QStringLiteral("size"), font), 2, 0);
    l3->addWidget(LabeledEdit1, 2, 1);
    l3->addWidget(Edit2, 3, 0, 1, 2);

    auto* buffer = new QGroupBox(QStringLiteral("Result data buffer size"), this);
    LabeledEdit3 = digits(new QLineEdit(buffer));
    auto* l4 = new QHBoxLayout(buffer);
    l4->addWidget(LabeledEdit3);
    l4->addWidget(new QLabel(QStringLiteral("KWORD"), buffer));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm7::SpeedButton1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(startup, 0, 0);
    grid->addWidget(significant, 1, 0);
    grid->addWidget(buffer, 2, 0);
    grid->addWidget(font, 0, 1, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(452, 282);
}

void TForm7::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TForm7::FormShow()
{
    switch (m_values.startupWindow) {
    case 0: RadioButton1->setChecked(true); break;
    case 1: RadioButton2->setChecked(true); break;
    default: RadioButton3->setChecked(true); break;
    }
    Edit1->setText(QString::number(m_values.significantDigits));
    LabeledEdit1->setText(QString::number(m_values.fontSize));
    LabeledEdit2->setText(m_values.fontName);
    LabeledEdit3->setText(QString::number(m_values.resultBufferSize));
    m_sampleFontName = m_values.fontName;
    m_sampleFontSize = m_values.fontSize;
    Edit2->setFont(scriptFont(m_sampleFontName, m_sampleFontSize));
    Button1->setFocus();
}

void TForm7::SpeedButton1Click()
{
    // The chooser opens on the face the sample is drawn with.
    QFont font = scriptFont(m_sampleFontName, m_sampleFontSize);
    if (!m_chooser(this, font))
        return;
    // Only the family and the size are taken.
    m_sampleFontName = font.family();
    m_sampleFontSize = font.pointSize();
    Edit2->setFont(scriptFont(m_sampleFontName, m_sampleFontSize));
    LabeledEdit1->setText(QString::number(m_sampleFontSize));
    LabeledEdit2->setText(m_sampleFontName);
}

void TForm7::Button1Click()
{
    int significant = 0;
    int bufferSize = 0;
    if (!dialogInt(Edit1->text(), significant) || !dialogInt(LabeledEdit3->text(), bufferSize)) {
        showMessage(this, QStringLiteral("Invalid Value"));
        return;
    }
    m_values.startupWindow = RadioButton1->isChecked() ? 0 : RadioButton2->isChecked() ? 1 : 2;
    m_values.significantDigits = significant;
    m_values.fontName = m_sampleFontName;
    m_values.fontSize = m_sampleFontSize;
    m_values.resultBufferSize = bufferSize;
    accept();
}
