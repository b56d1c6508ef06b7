#include "dialogs/TForm8.h"

#include "dialogs/RDialogCaption.h"
#include "dialogs/RDialogNumbers.h"
#include "document/RMORVDocument.h"
#include "document/RNumberText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A red rectangle without fill drawn just around a field; it lets the mouse through.
class RRedFrame : public QWidget {
public:
    explicit RRedFrame(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(QPen(Qt::red, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

QLineEdit* digitsOnly(QLineEdit* edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

} // namespace

TForm8::TForm8(RMORVDocument& doc, QWidget* owner)
    : QDialog(owner)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Control data"));
    auto edit = [this](QLineEdit*& e, const char* name) {
        e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };

    CheckBox1 = new QCheckBox(QStringLiteral("restart"), this);

    GroupBox1 = new QGroupBox(QStringLiteral("Calculation time"), this);
    auto* g1 = new QGridLayout(GroupBox1);
    g1->addWidget(new QLabel(QStringLiteral("from"), GroupBox1), 0, 0);
    g1->addWidget(edit(LabeledEdit1, "LabeledEdit1"), 0, 1);
    g1->addWidget(new QLabel(QStringLiteral("to"), GroupBox1), 0, 2);
    g1->addWidget(edit(LabeledEdit2, "LabeledEdit2"), 0, 3);
    g1->addWidget(new QLabel(QStringLiteral("time step"), GroupBox1), 1, 0);
    g1->addWidget(edit(LabeledEdit3, "LabeledEdit3"), 1, 1);
    CheckBox2 = new QCheckBox(QStringLiteral("adjust time step per"), GroupBox1);
    g1->addWidget(CheckBox2, 2, 0, 1, 2);
    g1->addWidget(digitsOnly(edit(LabeledEdit4, "LabeledEdit4")), 2, 2);
    g1->addWidget(new QLabel(QStringLiteral("times;"), GroupBox1), 2, 3);
    g1->addWidget(new QLabel(QStringLiteral("tolerance"), GroupBox1), 3, 0);
    g1->addWidget(edit(LabeledEdit6, "LabeledEdit6"), 3, 1);
    g1->addWidget(new QLabel(QStringLiteral("output every"), GroupBox1), 4, 0);
    g1->addWidget(digitsOnly(edit(LabeledEdit5, "LabeledEdit5")), 4, 1);
    g1->addWidget(new QLabel(QStringLiteral("step"), GroupBox1), 4, 2);
    g1->addWidget(new QLabel(QStringLiteral("alpha"), GroupBox1), 5, 0);
    g1->addWidget(edit(LabeledEdit11, "LabeledEdit11"), 5, 1);
    g1->addWidget(new QLabel(QStringLiteral("unkown variable output time"), GroupBox1), 6, 0, 1, 2);
    RadioButton1 = new QRadioButton(QStringLiteral("t+alpha*dt"), GroupBox1);
    RadioButton2 = new QRadioButton(QStringLiteral("t+dt"), GroupBox1);
    g1->addWidget(RadioButton1, 6, 2);
    g1->addWidget(RadioButton2, 6, 3);

    GroupBox2 = new QGroupBox(QStringLiteral("Time grid"), this);
    auto* g2 = new QGridLayout(GroupBox2);
    CheckBox3 = new QCheckBox(QStringLiteral("interval"), GroupBox2);
    g2->addWidget(CheckBox3, 0, 0);
    g2->addWidget(edit(Edit1, "Edit1"), 0, 1, 1, 2);
    CheckBox4 = new QCheckBox(QStringLiteral("specify time"), GroupBox2);
    g2->addWidget(CheckBox4, 1, 0);
    g2->addWidget(edit(Edit2, "Edit2"), 1, 1);
    SpeedButton1 = new QToolButton(GroupBox2);
    SpeedButton1->setText(QStringLiteral("Add"));
    SpeedButton2 = new QToolButton(GroupBox2);
    SpeedButton2->setText(QStringLiteral("Delete"));
    g2->addWidget(SpeedButton1, 1, 2);
    ListBox1 = new QListWidget(GroupBox2);
    g2->addWidget(ListBox1, 2, 1);
    g2->addWidget(SpeedButton2, 2, 2, Qt::AlignTop);

    auto* iteration = new QGridLayout;
    iteration->addWidget(new QLabel(QStringLiteral("iteration limit")), 0, 0);
    iteration->addWidget(digitsOnly(edit(LabeledEdit7, "LabeledEdit7")), 0, 1);
    iteration->addWidget(new QLabel(QStringLiteral("output level")), 0, 2);
    iteration->addWidget(digitsOnly(edit(LabeledEdit12, "LabeledEdit12")), 0, 3);
    iteration->addWidget(new QLabel(QStringLiteral("jacobi")), 0, 4);
    iteration->addWidget(digitsOnly(edit(LabeledEdit13, "LabeledEdit13")), 0, 5);
    iteration->addWidget(new QLabel(QStringLiteral("epsilon")), 1, 0);
    iteration->addWidget(edit(LabeledEdit8, "LabeledEdit8"), 1, 1);
    iteration->addWidget(new QLabel(QStringLiteral("omega")), 1, 2);
    iteration->addWidget(edit(LabeledEdit9, "LabeledEdit9"), 1, 3);
    iteration->addWidget(new QLabel(QStringLiteral("delta phi")), 1, 4);
    iteration->addWidget(edit(LabeledEdit10, "LabeledEdit10"), 1, 5);
    CheckBox5 = new QCheckBox(QStringLiteral("avoid terminating by WARNINGs at last iteration"), this);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* groups = new QHBoxLayout;
    groups->addWidget(GroupBox1);
    groups->addWidget(GroupBox2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBox1);
    layout->addLayout(groups);
    layout->addLayout(iteration);
    layout->addWidget(CheckBox5);
    layout->addLayout(buttons);

    const std::pair<unsigned, QWidget*> framed[] = {
        {FieldFrom, LabeledEdit1}, {FieldTo, LabeledEdit2}, {FieldTimeStep, LabeledEdit3},
        {FieldInterval, Edit1}, {FieldTolerance, LabeledEdit6}, {FieldEpsilon, LabeledEdit8},
        {FieldOmega, LabeledEdit9}, {FieldDeltaPhi, LabeledEdit10}, {FieldAlpha, LabeledEdit11},
        {FieldOutputEvery, LabeledEdit5}, {FieldTimes, LabeledEdit4},
        {FieldIterationLimit, LabeledEdit7}, {FieldJacobi, LabeledEdit13},
        {FieldOutputLevel, LabeledEdit12}, {FieldOutputTimes, ListBox1}};
    for (const auto& [field, widget] : framed) {
        m_framedWidget.insert(field, widget);
        m_frames.insert(field, new RRedFrame(this));
    }

    connect(CheckBox1, &QCheckBox::clicked, this, &TForm8::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, [this](bool on) {
        LabeledEdit4->setEnabled(on);
        LabeledEdit6->setEnabled(on);
    });
    connect(CheckBox3, &QCheckBox::toggled, Edit1, &QLineEdit::setEnabled);
    connect(CheckBox4, &QCheckBox::toggled, this, &TForm8::CheckBox4Click);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm8::Edit2Change);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TForm8::ListBox1Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm8::SpeedButton2Click);
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    resize(560, 351);
}

void TForm8::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TForm8::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    placeFrames();
}

void TForm8::FormShow()
{
    showFrames(0);
    setWindowTitle(documentDialogCaption(QStringLiteral("Control data"), m_doc));
    const SControlDataFields f = controlDataFields(m_doc);
    CheckBox1->setChecked(f.restart);
    LabeledEdit1->setText(f.from);
    LabeledEdit2->setText(f.to);
    LabeledEdit3->setText(f.timeStep);
    CheckBox2->setChecked(f.adjustTimeStep);
    LabeledEdit4->setText(f.times);
    LabeledEdit6->setText(f.tolerance);
    LabeledEdit5->setText(f.outputEvery);
    LabeledEdit11->setText(f.alpha);
    RadioButton1->setChecked(!f.tPlusDt);
    RadioButton2->setChecked(f.tPlusDt);
    CheckBox3->setChecked(f.interval);
    Edit1->setText(f.intervalText);
    CheckBox4->setChecked(f.specifyTime);
    ListBox1->clear();
    ListBox1->addItems(f.outputTimes);
    Edit2->clear();
    LabeledEdit7->setText(f.iterationLimit);
    LabeledEdit12->setText(f.outputLevel);
    LabeledEdit13->setText(f.jacobi);
    LabeledEdit8->setText(f.epsilon);
    LabeledEdit9->setText(f.omega);
    LabeledEdit10->setText(f.deltaPhi);
    CheckBox5->setChecked(f.avoidWarnings);

    const SControlData& control = *m_doc.compiler->control;
    const bool timed = control.PARMT != 0;
    GroupBox1->setEnabled(timed);
    GroupBox2->setEnabled(timed);
    LabeledEdit13->setEnabled(control.spaceDimension < 2);
    CheckBox1Click();
    LabeledEdit4->setEnabled(CheckBox2->isChecked());
    LabeledEdit6->setEnabled(CheckBox2->isChecked());
    Edit1->setEnabled(CheckBox3->isChecked());
    CheckBox4Click();
    if (Button1->isEnabled())
        Button1->setFocus();
    else
        setFocus();
}

void TForm8::CheckBox1Click()
{
    if (m_doc.compiler->control->PARMT == 0)
        return;
    if (CheckBox1->isChecked())
        LabeledEdit1->setText(formatGeneral15(GetTimeFromRestartFile(restartFilePath(m_doc))));
    LabeledEdit1->setEnabled(!CheckBox1->isChecked());
}

void TForm8::CheckBox4Click()
{
    const bool on = CheckBox4->isChecked();
    Edit2->setEnabled(on);
    ListBox1->setEnabled(on);
    Edit2Change();
    updateListButtons();
}

void TForm8::Edit2Change()
{
    double value = 0.0;
    SpeedButton1->setEnabled(CheckBox4->isChecked() && !Edit2->text().trimmed().isEmpty()
        && dialogReal(Edit2->text(), value));
}

void TForm8::ListBox1Click()
{
    updateListButtons();
}

void TForm8::updateListButtons()
{
    SpeedButton2->setEnabled(CheckBox4->isChecked() && ListBox1->currentRow() >= 0
        && !ListBox1->selectedItems().isEmpty());
}

void TForm8::SpeedButton1Click()
{
    // Only a number is added (the button is off otherwise, and a shortcut may still land here).
    double value = 0.0;
    if (!dialogReal(Edit2->text(), value))
        return;
    QStringList entries;
    for (int i = 0; i < ListBox1->count(); ++i)
        entries << ListBox1->item(i)->text();
    ListBox1->insertItem(outputTimeInsertPosition(entries, value), Edit2->text());
    Edit2->clear();
    ListBox1->clearSelection();
    ListBox1->setCurrentRow(-1);
    SpeedButton2->setEnabled(false);
}

void TForm8::SpeedButton2Click()
{
    const int row = ListBox1->currentRow();
    if (row >= 0 && !ListBox1->selectedItems().isEmpty())
        delete ListBox1->takeItem(row);
    updateListButtons();
}

SControlDataFields TForm8::fields() const
{
    SControlDataFields f;
    f.restart = CheckBox1->isChecked();
    f.from = LabeledEdit1->text();
    f.to = LabeledEdit2->text();
    f.timeStep = LabeledEdit3->text();
    f.adjustTimeStep = CheckBox2->isChecked();
    f.times = LabeledEdit4->text();
    f.tolerance = LabeledEdit6->text();
    f.outputEvery = LabeledEdit5->text();
    f.alpha = LabeledEdit11->text();
    f.tPlusDt = RadioButton2->isChecked();
    f.interval = CheckBox3->isChecked();
    f.intervalText = Edit1->text();
    f.specifyTime = CheckBox4->isChecked();
    for (int i = 0; i < ListBox1->count(); ++i)
        f.outputTimes << ListBox1->item(i)->text();
    f.iterationLimit = LabeledEdit7->text();
    f.outputLevel = LabeledEdit12->text();
    f.jacobi = LabeledEdit13->text();
    f.epsilon = LabeledEdit8->text();
    f.omega = LabeledEdit9->text();
    f.deltaPhi = LabeledEdit10->text();
    f.avoidWarnings = CheckBox5->isChecked();
    return f;
}

void TForm8::Button1Click()
{
    if (!Button1->isEnabled())
        return;
    showFrames(0);
    const SControlDataFields f = fields();
    const unsigned failed = checkControlData(f, m_doc);
    if (failed) {
        showFrames(failed);
        return;
    }
    storeControlData(f, m_doc);
    accept();
}

unsigned TForm8::framedFields() const
{
    unsigned shown = 0;
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it)
        if (!it.value()->isHidden())
            shown |= it.key();
    return shown;
}

void TForm8::showFrames(unsigned fieldsToShow)
{
    placeFrames();
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it) {
        it.value()->setVisible(fieldsToShow & it.key());
        it.value()->raise();
    }
}

void TForm8::placeFrames()
{
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it) {
        QWidget* target = m_framedWidget.value(it.key());
        const QRect r(target->mapTo(this, QPoint(0, 0)), target->size());
        it.value()->setGeometry(r.adjusted(-3, -3, 3, 3));
    }
}
