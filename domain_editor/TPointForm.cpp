#include "domain_editor/TPointForm.h"

#include "widgets/RUserInterface.h"
#include "document/RTriangleMesh.h"
#include "domain_editor/RDomainEditor.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPointForm::TPointForm(RDomainEditor& editor, QWidget* owner)
    : QDialog(owner)
    , m_editor(editor)
{
    setWindowTitle(QStringLiteral("Point data"));
    setObjectName(QStringLiteral("PointForm"));
    auto* form = new QFormLayout;
    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit2 = new QLineEdit(this);
    LabeledEdit3 = new QLineEdit(this);
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit2->setObjectName(QStringLiteral("LabeledEdit2"));
    LabeledEdit3->setObjectName(QStringLiteral("LabeledEdit3"));
    form->addRow(QStringLiteral("x : "), LabeledEdit1);
    form->addRow(QStringLiteral("y : "), LabeledEdit2);
    form->addRow(QStringLiteral("region : "), LabeledEdit3);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TPointForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TPointForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Button1->setFocus();
}

void TPointForm::Button1Click()
{
    RTriangleMesh& f = m_editor.figure();
    if (!m_editor.confirmRemake()) {
        reject();
        return;
    }
    double x = 0, y = 0;
    int region = 0;
    if (!toFiniteReal(LabeledEdit1->text(), x) || !toFiniteReal(LabeledEdit2->text(), y)
        || !toWholeNumber(LabeledEdit3->text(), region))
        return;
    if (f.existingPt(x, y, -1)) {
        showMessage(this, QStringLiteral("wrong point! (already exists)"));
        return;
    }
    if (f.isOnline(x, y)) {
        showMessage(this, QStringLiteral("wrong point! (on segment)"));
        return;
    }
    f.PushFU();
    RPoint p;
    p.x = x;
    p.y = y;
    p.region = region;
    p.group = f.groupCount++;
    p.selected = true;
    f.points.push_back(std::move(p));
    accept();
}
