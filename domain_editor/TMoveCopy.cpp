#include "domain_editor/TMoveCopy.h"

#include "widgets/RUserInterface.h"
#include "document/RMORVCompile.h"
#include "domain_editor/RDomainEditor.h"
#include "domain_editor/RMoveCopy.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {
QWidget* card(QWidget* parent, QFormLayout*& form)
{
    auto* w = new QWidget(parent);
    form = new QFormLayout(w);
    return w;
}
} // namespace

TMoveCopy::TMoveCopy(RDomainEditor& editor, QWidget* owner)
    : QDialog(owner)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("MoveCopy"));
    RadioButton1 = new QRadioButton(QStringLiteral("Pararell"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("Mirror"), this);
    RadioButton3 = new QRadioButton(QStringLiteral("Rotate"), this);
    RadioButton1->setChecked(true);
    CardPanel1 = new QStackedWidget(this);
    static const char* const captions[12] = {"", "delta x", "delta y", "repeat", "x start",
        "y start", "x end", "y end", "x center", "y center", "angle (degree)", "repeat"};
    static const char* const texts[12] = {"", "0", "0", "1", "0", "0", "0", "0", "0", "0", "0", "1"};
    QFormLayout* forms[3] = {};
    for (int c = 0; c < 3; ++c)
        CardPanel1->addWidget(card(CardPanel1, forms[c]));
    for (int i = 1; i <= 11; ++i) {
        const int c = i <= 3 ? 0 : (i <= 7 ? 1 : 2);
        LabeledEdit[i] = new QLineEdit(QString::fromLatin1(texts[i]), CardPanel1->widget(c));
        LabeledEdit[i]->setObjectName(QStringLiteral("LabeledEdit%1").arg(i));
        forms[c]->addRow(QString::fromLatin1(captions[i]), LabeledEdit[i]);
    }
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    auto* radios = new QHBoxLayout;
    radios->addWidget(RadioButton1);
    radios->addWidget(RadioButton2);
    radios->addWidget(RadioButton3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(radios);
    layout->addWidget(CardPanel1);
    layout->addLayout(buttons);
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3})
        connect(r, &QRadioButton::clicked, this, &TMoveCopy::RadioButton1Click);
    connect(LabeledEdit[4], &QLineEdit::textChanged, this, &TMoveCopy::LabeledEdit4Change);
    connect(LabeledEdit[5], &QLineEdit::textChanged, this, &TMoveCopy::LabeledEdit5Change);
    connect(Button1, &QPushButton::clicked, this, &TMoveCopy::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TMoveCopy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_prepared)
        return;
    m_prepared = true;
    const SControlData& c = m_editor.control();
    const bool copy = windowTitle() == QLatin1String("Copy");
    LabeledEdit[3]->setVisible(copy);
    LabeledEdit[11]->setVisible(copy);
    if (auto* form = qobject_cast<QFormLayout*>(CardPanel1->widget(0)->layout()))
        form->setRowVisible(LabeledEdit[3], copy);
    if (auto* form = qobject_cast<QFormLayout*>(CardPanel1->widget(2)->layout()))
        form->setRowVisible(LabeledEdit[11], copy);
    RadioButton3->setVisible(c.spaceDimension > 1);
    if (c.spaceDimension == 1) {
        const bool alongX = c.PARMX != 0;
        LabeledEdit[4]->setText(QStringLiteral("0"));
        LabeledEdit[5]->setText(QStringLiteral("0"));
        LabeledEdit[6]->setText(alongX ? QStringLiteral("0") : QStringLiteral("1"));
        LabeledEdit[7]->setText(alongX ? QStringLiteral("1") : QStringLiteral("0"));
    }
    LabeledEdit[1]->setEnabled(c.PARMX != 0);
    LabeledEdit[4]->setEnabled(c.PARMX != 0);
    LabeledEdit[2]->setEnabled(c.PARMY != 0);
    LabeledEdit[5]->setEnabled(c.PARMY != 0);
    LabeledEdit[6]->setEnabled(c.spaceDimension > 1);
    LabeledEdit[7]->setEnabled(c.spaceDimension > 1);
    RadioButton1Click();
    Button1->setFocus();
}

void TMoveCopy::RadioButton1Click()
{
    CardPanel1->setCurrentIndex(RadioButton3->isChecked() ? 2 : (RadioButton2->isChecked() ? 1 : 0));
}

void TMoveCopy::LabeledEdit4Change()
{
    if (!m_editor.control().PARMY)
        LabeledEdit[6]->setText(LabeledEdit[4]->text());
}

void TMoveCopy::LabeledEdit5Change()
{
    if (!m_editor.control().PARMX)
        LabeledEdit[7]->setText(LabeledEdit[5]->text());
}

void TMoveCopy::Button1Click()
{
    RTransform t;
    t.mode = RadioButton3->isChecked() ? 2 : (RadioButton2->isChecked() ? 1 : 0);
    int n = 1;
    bool ok = true;
    auto real = [&](int i) {
        double v = 0;
        if (!toFiniteReal(LabeledEdit[i]->text(), v))
            ok = false;
        return v;
    };
    auto whole = [&](int i) {
        int v = 0;
        if (!toWholeNumber(LabeledEdit[i]->text(), v))
            ok = false;
        return v;
    };
    if (t.mode == 0) {
        t.dx = real(1);
        t.dy = real(2);
        n = whole(3);
        ok = ok && n >= 1;
    } else if (t.mode == 1) {
        t.xs = real(4);
        t.ys = real(5);
        const double xe = real(6), ye = real(7);
        const double length = std::hypot(xe - t.xs, ye - t.ys);
        if (!(length > 0) || !std::isfinite(length))
            ok = false;
        else {
            t.ux = (xe - t.xs) / length;
            t.uy = (ye - t.ys) / length;
        }
    } else {
        t.xc = real(8);
        t.yc = real(9);
        t.angle = real(10) / 180 * 3.14159265358979;
        n = whole(11);
        ok = ok && n >= 1;
    }
    if (!ok) {
        showMessage(this, QStringLiteral("Invalid Value"));
        return;
    }
    if (!m_editor.confirmRemake()) {
        reject();
        return;
    }
    if (windowTitle() == QLatin1String("Copy")) {
        if (copySelection(m_editor, t, n) > 0)
            showMessage(this, QStringLiteral("Some objects were not Copied/Moved."));
    } else {
        moveSelection(m_editor, t);
    }
    accept();
}
