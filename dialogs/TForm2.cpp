#include "dialogs/TForm2.h"

#include "dialogs/RDialogCaption.h"
#include "widgets/RExtraMemo.h"
#include "widgets/RUserInterface.h"
#include "dialogs/TForm3.h"
#include "document/RMORVDocument.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The hourglass for the time the OK handler works; restored on every way out.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (active)
            QGuiApplication::restoreOverrideCursor();
        active = false;
    }
    bool active = true;
};

} // namespace

TForm2::TForm2(RMORVDocument& doc, const QString& fontName, int fontSize, QWidget* owner)
    : QDialog(owner)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Symbol definition : "));
    setMinimumSize(510, 100);

    MainMenu1 = new QMenuBar(this);
    QMenu* edit = MainMenu1->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("Edit4"));
    fillEditMenu(edit, editItems, Qt::WindowShortcut);

    memo = new RExtraMemo(this, false, fontName, fontSize, 1000, 0);
    const RExtraMemo::Command commands[SMenuItem::Count] = {RExtraMemo::Undo, RExtraMemo::Redo,
        RExtraMemo::Undo, RExtraMemo::Cut, RExtraMemo::Copy, RExtraMemo::Paste,
        RExtraMemo::SelectAll, RExtraMemo::Undo, RExtraMemo::RegEx, RExtraMemo::Find,
        RExtraMemo::FindSame, RExtraMemo::Replace, RExtraMemo::ReplaceSame};
    for (int i = 0; i < SMenuItem::Count; ++i) {
        if (i == SMenuItem::Separator1 || i == SMenuItem::Separator2)
            continue;
        const RExtraMemo::Command command = commands[i];
        connect(editItems[i], &QAction::triggered, this, [this, command] { memo->runCommand(command); });
    }
    connect(edit, &QMenu::aboutToShow, this, &TForm2::Edit4Click);

    CheckBox1 = new QCheckBox(QStringLiteral("t :"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("x :"), this);
    CheckBox3 = new QCheckBox(QStringLiteral("y :"), this);
    Edit1 = new QLineEdit(this);
    Edit2 = new QLineEdit(this);
    Edit3 = new QLineEdit(this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    for (auto [box, line] : {std::pair{CheckBox1, Edit1}, {CheckBox2, Edit2}, {CheckBox3, Edit3}}) {
        QLineEdit* name = line;
        connect(box, &QCheckBox::toggled, name, &QLineEdit::setEnabled);
    }
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* panel = new QHBoxLayout;
    for (auto [box, line] : {std::pair{CheckBox1, Edit1}, {CheckBox2, Edit2}, {CheckBox3, Edit3}}) {
        panel->addWidget(box);
        line->setMaximumWidth(70);
        panel->addWidget(line);
    }
    panel->addStretch();
    panel->addWidget(Button1);
    panel->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(memo, 1);
    layout->addLayout(panel);
    resize(521, 317 + MainMenu1->sizeHint().height());
}

void TForm2::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TForm2::FormShow()
{
    m_dialogChanged = false;
    setWindowTitle(documentDialogCaption(QStringLiteral("Symbol definition"), m_doc));
    memo->setText(m_doc.symbolDefinition.join(u'\n'));
    memo->moveCursor(QTextCursor::Start);
    const SControlData& control = *m_doc.compiler->control;
    const SSymbolTable& symbols = *m_doc.compiler->symbols;
    CheckBox1->setChecked(control.PARMT != 0);
    CheckBox2->setChecked(control.PARMX != 0);
    CheckBox3->setChecked(control.PARMY != 0);
    Edit1->setText(symbols.tName);
    Edit2->setText(symbols.xName);
    Edit3->setText(symbols.yName);
    m_shownTwoGrid = control.twoGrid;
    Edit1->setEnabled(CheckBox1->isChecked());
    Edit2->setEnabled(CheckBox2->isChecked());
    Edit3->setEnabled(CheckBox3->isChecked());
    Button1->setFocus();
}

void TForm2::Edit4Click()
{
    memo->EMEnabledSet(editItems);
}

SParameterChoice TForm2::parameterChoice() const
{
    SParameterChoice p;
    p.t = CheckBox1->isChecked();
    p.x = CheckBox2->isChecked();
    p.y = CheckBox3->isChecked();
    p.tText = Edit1->text();
    p.xText = Edit2->text();
    p.yText = Edit3->text();
    return p;
}

void TForm2::Button1Click()
{
    WaitCursor cursor;
    const QStringList text = memo->toPlainText().split(u'\n');
    if (m_definition.CheckSyntax(parameterChoice(), text)) {
        cursor.restore();
        TForm3 errors(this);
        errors.setWindowTitle(QStringLiteral("Symbol definition error"));
        errors.Memo1->clear();
        // A statement continued over several lines holds its line breaks as CR LF.
        errors.Memo1->setPlainText(m_definition.errors.join(u'\n').replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        errors.exec();
        return;
    }
    // Changing x or y discards the figure and the mesh: ask before anything is applied.
    if (symbolChangeReplacesFigure(m_doc, m_definition) && !m_doc.mesh->points.empty()) {
        cursor.restore();
        if (askQuestion(this, QStringLiteral("The figure of the domain will be deleted. OK?"),
                QStringLiteral("Warning"), QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    m_applyResult = applySymbolDefinition(m_doc, m_definition, text, m_shownTwoGrid);
    m_dialogChanged = true;
    cursor.restore();
    accept();
}
