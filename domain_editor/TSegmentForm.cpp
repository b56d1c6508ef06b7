#include "domain_editor/TSegmentForm.h"

#include "widgets/RUserInterface.h"
#include "document/RMORVDocument.h"
#include "document/RTriangleMesh.h"
#include "domain_editor/RDomainEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSegmentForm::TSegmentForm(RDomainEditor& editor, QWidget* owner)
    : QDialog(owner)
    , m_editor(editor)
{
    setWindowTitle(QStringLiteral("Segment data"));
    setObjectName(QStringLiteral("SegmentForm"));
    auto* form = new QFormLayout;
    LabeledEdit1 = new QLineEdit(this);
    LabeledEdit2 = new QLineEdit(this);
    LabeledEdit3 = new QLineEdit(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("Inner border"), QStringLiteral("Outline")});
    LabeledEdit4 = new QLineEdit(this);
    CheckBox1 = new QCheckBox(QStringLiteral("standard"), this);
    form->addRow(QStringLiteral("radius : "), LabeledEdit1);
    form->addRow(QStringLiteral("bias : "), LabeledEdit2);
    form->addRow(QStringLiteral("division : "), LabeledEdit3);
    form->addRow(QStringLiteral(""), CheckBox1);
    form->addRow(QStringLiteral("type :"), ComboBox1);
    form->addRow(QStringLiteral("region : "), LabeledEdit4);
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
    CheckBox1->hide();
    connect(Button1, &QPushButton::clicked, this, &TSegmentForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(LabeledEdit1, &QLineEdit::textChanged, this, &TSegmentForm::LabeledEdit1Change);
    connect(LabeledEdit3, &QLineEdit::textChanged, this, &TSegmentForm::LabeledEdit3Change);
}

void TSegmentForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CheckBox1->hide();
    CheckBox1->setChecked(false);
    Button1->setFocus();
    inputTracking = true;
}

void TSegmentForm::LabeledEdit3Change()
{
    if (inputTracking)
        CheckBox1->show();
}

void TSegmentForm::LabeledEdit1Change()
{
    if (!inputTracking)
        return;
    inputTracking = false;
    double r = 0;
    if (toFiniteReal(LabeledEdit1->text(), r)) {
        const RTriangleMesh& f = m_editor.figure();
        const RPoint& a = f.points[m_editor.firstPicked];
        const RPoint& b = f.points[m_editor.secondPicked];
        double length = 0;
        RTriangleMesh::segmentLength(a.x, a.y, b.x, b.y, r, length);
        const double pitch = m_editor.document.divisionPitch;
        if (pitch > 0) {
            const double n = length / pitch + 0.5;
            LabeledEdit3->setText(QString::number(n < 2e9 ? int(n) : 2000000000));
        }
    }
    inputTracking = true;
}

void TSegmentForm::Button1Click()
{
    RTriangleMesh& f = m_editor.figure();
    if (!m_editor.confirmRemake()) {
        reject();
        return;
    }
    double radius = 0, bias = 0;
    int division = 0, region = 0;
    if (!toFiniteReal(LabeledEdit1->text(), radius) || !toFiniteReal(LabeledEdit2->text(), bias)
        || !toWholeNumber(LabeledEdit3->text(), division)
        || !toWholeNumber(LabeledEdit4->text(), region))
        return;
    const int type = ComboBox1->currentIndex();
    if (!(bias > -1 && bias < 1) || division < 1 || region < 0 || type < 0)
        return;
    const int start = m_editor.firstPicked, end = m_editor.secondPicked;
    if (type == 1) {
        int total = 0, atStart = 0, atEnd = 0;
        f.countConnection(start, total, atStart);
        f.countConnection(end, total, atEnd);
        if (atStart >= 2 || atEnd >= 2) {
            showMessage(this, QStringLiteral("Invalid Outline!"));
            return;
        }
    }
    RSegment c;
    c.startPoint = start;
    c.endPoint = end;
    c.radius = radius;
    c.bias = bias;
    c.division = division;
    c.type = type;
    c.region = region;
    c.selected = true;
    const RPoint& a = f.points[start];
    const RPoint& b = f.points[end];
    RTriangleMesh::segmentHandle(a.x, a.y, b.x, b.y, radius, c.handleX, c.handleY);

    bool obstacle = false;
    for (int i = 0; i < int(f.points.size()); ++i) {
        if (i == start || i == end)
            continue;
        if (f.isOnSegment(c, f.points[i].x, f.points[i].y)) {
            f.points[i].selected = true;
            obstacle = true;
        }
    }
    for (RSegment& s : f.segments) {
        if (f.isCrossingSegment(c, s)) {
            s.selected = true;
            obstacle = true;
        }
    }
    if (obstacle) {
        showMessage(this, QStringLiteral("Crossing!"));
        return;
    }

    f.PushFU();
    const int index = int(f.segments.size());
    f.segments.push_back(c);
    f.points[start].connections.push_back(index);
    f.points[end].connections.push_back(index);
    if (CheckBox1->isChecked()) {
        double length = 0;
        RTriangleMesh::segmentLength(a.x, a.y, b.x, b.y, radius, length);
        m_editor.document.divisionPitch = length / division;
    }
    f.NewConnection(start, end, 0);
    accept();
}
