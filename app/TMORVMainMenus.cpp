// The main window's menus: their items, the rules that enable them when a menu opens, and the
// commands of the Run, Result and Help menus.
#include "app/TMORVMain.h"

#include "widgets/RExtraMemo.h"
#include "dialogs/RSiteAddress.h"
#include "widgets/RUserInterface.h"
#include "dialogs/TCheckUpdateForm.h"
#include "dialogs/TForm16.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm7.h"
#include "dialogs/TForm8.h"
#include "dialogs/TForm9.h"
#include "dialogs/TVersionInfoForm.h"
#include "compiler/ChemistryPreparation.h"
#include "compiler/SolverDataFileWriter.h"
#include "compiler/TForm10.h"
#include "compiler/TForm12.h"
#include "domain_editor/TForm4.h"
#include "results/RPlotProgram.h"
#include "results/RResultCommands.h"
#include "results/ResultMenuState.h"
#include "solver/RRazava.h"
#include "solver/ui/TForm13.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QUrl>

namespace {

const QString kHomePage = defaultSiteUrl().toString();

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

// The Result menu's rule at this moment; a command runs only when it allows it.
RResultMenuState resultMenuRule(const RMORVDocument& doc)
{
    return resultMenuState(*doc.compiler->control, doc.documentFolder, doc.documentFileName,
        [] { return KurvoInstalled(); });
}

} // namespace

QAction* TMORVMain::addItem(QMenu* menu, const QString& caption, const char* name,
    void (TMORVMain::*handler)(), const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    return action;
}

// A menu's rules are applied when it opens; once it closes every item is enabled and shown
// again, so a shortcut reaches its command, which applies the same rule when it runs.
void TMORVMain::reenableAfterClose(QMenu* menu)
{
    connect(menu, &QMenu::aboutToHide, this, [menu] {
        for (QAction* action : menu->actions()) {
            action->setEnabled(true);
            if (!action->isSeparator())
                action->setVisible(true);
        }
    });
}

QAction* TMORVMain::menuItem(const QString& name) const
{
    for (QMenu* menu : {m_fileMenu, m_editMenu, m_runMenu, m_resultMenu, m_helpMenu})
        for (QAction* action : menu->findChildren<QAction*>())
            if (action->objectName() == name)
                return action;
    for (QAction* action : findChildren<QAction*>())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

void TMORVMain::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("File1"));
    addItem(m_fileMenu, QStringLiteral("New"), "New1", &TMORVMain::New1Click, QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(m_fileMenu, QStringLiteral("Open ..."), "Open1", &TMORVMain::Open1Click, QKeySequence(Qt::CTRL | Qt::Key_O));
    m_fileMenu->addSeparator()->setObjectName(QStringLiteral("N3"));
    // Save is offered only while there are unsaved changes.
    connect(addItem(m_fileMenu, QStringLiteral("Save"), "Save1", nullptr, QKeySequence(Qt::CTRL | Qt::Key_S)),
        &QAction::triggered, this, [this] {
            if (m_doc.modified)
                Save1Click();
        });
    addItem(m_fileMenu, QStringLiteral("Save As ..."), "SaveAs1", &TMORVMain::SaveAs1Click);
    m_fileMenu->addSeparator()->setObjectName(QStringLiteral("N7"));
    QMenu* exportMenu = m_fileMenu->addMenu(QStringLiteral("Export"));
    exportMenu->menuAction()->setObjectName(QStringLiteral("N8"));
    addItem(exportMenu, QStringLiteral("Temporary file"), "Temporaryfile1", &TMORVMain::Temporaryfile1Click);
    m_fileMenu->addSeparator()->setObjectName(QStringLiteral("N4"));
    addItem(m_fileMenu, QStringLiteral("Preference ..."), "Preference1", &TMORVMain::Preference1Click);
    m_fileMenu->addSeparator()->setObjectName(QStringLiteral("N5"));
    addItem(m_fileMenu, QStringLiteral("Exit"), "Exit1", &TMORVMain::Exit1Click, QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_fileMenu, &QMenu::aboutToShow, this, &TMORVMain::File1Click);
    reenableAfterClose(m_fileMenu);
    reenableAfterClose(exportMenu);

    buildEditMenu();

    m_runMenu = menuBar()->addMenu(QStringLiteral("&Run"));
    m_runMenu->setObjectName(QStringLiteral("Run1"));
    addItem(m_runMenu, QStringLiteral("Define Symbol ..."), "DefineSymbol1", &TMORVMain::DefineSymbol1Click);
    addItem(m_runMenu, QStringLiteral("Define Grid ..."), "DefineGrid1", &TMORVMain::DefineGrid1Click);
    m_runMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    addItem(m_runMenu, QStringLiteral("Set Control data ..."), "SetControldata1", &TMORVMain::SetControldata1Click);
    addItem(m_runMenu, QStringLiteral("Set Input data ..."), "SetInputdata1", &TMORVMain::SetInputdata1Click);
    m_runMenu->addSeparator()->setObjectName(QStringLiteral("N11"));
    addItem(m_runMenu, QStringLiteral("Chemical Property ..."), "Gasproperty1", &TMORVMain::Gasproperty1Click);
    m_runMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    addItem(m_runMenu, QStringLiteral("Compile ..."), "Compile1", &TMORVMain::Compile1Click);
    addItem(m_runMenu, QStringLiteral("Execute"), "Execute1", &TMORVMain::Execute1Click);
    connect(m_runMenu, &QMenu::aboutToShow, this, &TMORVMain::Run1Click);
    reenableAfterClose(m_runMenu);

    m_resultMenu = menuBar()->addMenu(QStringLiteral("Re&sult"));
    m_resultMenu->setObjectName(QStringLiteral("Result1"));
    addItem(m_resultMenu, QStringLiteral("Show Log"), "ShowLog1", &TMORVMain::ShowLog1Click);
    addItem(m_resultMenu, QStringLiteral("Show Result ..."), "ShowResult1", &TMORVMain::ShowResult1Click);
    m_resultMenu->addSeparator()->setObjectName(QStringLiteral("N6"));
    addItem(m_resultMenu, QStringLiteral("Kurvo ..."), "Kurvo1", &TMORVMain::Kurvo1Click);
    m_resultMenu->addSeparator()->setObjectName(QStringLiteral("N10"));
    m_incompleteMenu = m_resultMenu->addMenu(QStringLiteral("Incomplete result"));
    m_incompleteMenu->menuAction()->setObjectName(QStringLiteral("Incompleteresult1"));
    addItem(m_incompleteMenu, QStringLiteral("Show Log"), "ShowLog2", &TMORVMain::ShowLog2Click);
    addItem(m_incompleteMenu, QStringLiteral("Show Result ..."), "ShowResult2", &TMORVMain::ShowResult2Click);
    addItem(m_incompleteMenu, QStringLiteral("Kurvo ..."), "Kurvo2", &TMORVMain::Kurvo2Click);
    connect(m_resultMenu, &QMenu::aboutToShow, this, &TMORVMain::Result1Click);

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpMenu->setObjectName(QStringLiteral("Help1"));
    addItem(m_helpMenu, QStringLiteral("User's Manual"), "UsersManual1", &TMORVMain::UsersManual1Click);
    addItem(m_helpMenu, QStringLiteral("Version"), "Version1", &TMORVMain::Version1Click);
    addItem(m_helpMenu, QStringLiteral("Check Update ..."), "CheckUpdate1", &TMORVMain::CheckUpdate1Click);
    m_helpMenu->addSeparator()->setObjectName(QStringLiteral("N9"));
    addItem(m_helpMenu, QStringLiteral("Visit Website"), "VisitWebsite1", &TMORVMain::VisitWebsite1Click);
}

void TMORVMain::buildEditMenu()
{
    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("Edit1"));
    fillEditMenu(m_editMenu, m_editItems, Qt::WindowShortcut);
    const RExtraMemo::Command commands[SMenuItem::Count] = {RExtraMemo::Undo, RExtraMemo::Redo,
        RExtraMemo::Undo, RExtraMemo::Cut, RExtraMemo::Copy, RExtraMemo::Paste,
        RExtraMemo::SelectAll, RExtraMemo::Undo, RExtraMemo::RegEx, RExtraMemo::Find,
        RExtraMemo::FindSame, RExtraMemo::Replace, RExtraMemo::ReplaceSame};
    for (int i = 0; i < SMenuItem::Count; ++i) {
        if (i == SMenuItem::Separator1 || i == SMenuItem::Separator2)
            continue;
        const RExtraMemo::Command command = commands[i];
        // Each item forwards to the editor on show; the editor applies the item's rule.
        connect(m_editItems[i], &QAction::triggered, this, [this, command] {
            activeEditor()->runCommand(command);
        });
    }
    connect(m_editMenu, &QMenu::aboutToShow, this, &TMORVMain::Edit1Click);
    reenableAfterClose(m_editMenu);
}

void TMORVMain::File1Click()
{
    menuItem(QStringLiteral("Save1"))->setEnabled(m_doc.modified);
    menuItem(QStringLiteral("Temporaryfile1"))->setEnabled(m_doc.compileState < 2);
}

void TMORVMain::Edit1Click()
{
    activeEditor()->EMEnabledSet(m_editItems);
}

void TMORVMain::Run1Click()
{
    const SControlData& control = *m_doc.compiler->control;
    menuItem(QStringLiteral("DefineGrid1"))->setEnabled(control.spaceDimension > 0);
    menuItem(QStringLiteral("SetInputdata1"))->setEnabled(control.inputCount != 0);
    QAction* compile = menuItem(QStringLiteral("Compile1"));
    switch (m_doc.compileState) {
    case 0:
        if (isFile(solverDataFileName())) {
            compile->setText(QStringLiteral("Show Compile List ..."));
            compile->setEnabled(true);
        } else {
            compile->setText(QStringLiteral("Compile"));
            compile->setEnabled(compilable());
        }
        break;
    case 1:
        compile->setText(QStringLiteral("Compile"));
        compile->setEnabled(compilable());
        break;
    default:
        compile->setText(QStringLiteral("Compile ..."));
        compile->setEnabled(compilable());
        break;
    }
    menuItem(QStringLiteral("N11"))->setVisible(m_chemistryDataFlag);
    menuItem(QStringLiteral("Gasproperty1"))->setVisible(m_chemistryDataFlag);
    menuItem(QStringLiteral("Execute1"))->setEnabled(m_doc.compileState == 0);
}

void TMORVMain::Result1Click()
{
    const RResultMenuState state = resultMenuRule(m_doc);
    menuItem(QStringLiteral("ShowLog1"))->setEnabled(state.showLog1);
    menuItem(QStringLiteral("ShowResult1"))->setEnabled(state.showResult1);
    menuItem(QStringLiteral("Kurvo1"))->setEnabled(state.kurvo1);
    menuItem(QStringLiteral("ShowLog2"))->setEnabled(state.showLog2);
    menuItem(QStringLiteral("ShowResult2"))->setEnabled(state.showResult2);
    menuItem(QStringLiteral("Kurvo2"))->setEnabled(state.kurvo2);
    menuItem(QStringLiteral("Incompleteresult1"))->setVisible(state.incompleteResult);
    menuItem(QStringLiteral("N10"))->setVisible(state.incompleteResult);
}

RResultCommandContext TMORVMain::resultCommandContext()
{
    RResultCommandContext context;
    context.owner = this;
    context.document = m_doc.compiler.get();
    context.results = &m_results;
    context.documentFolder = m_doc.documentFolder;
    context.documentFileName = m_doc.documentFileName;
    context.fontName = m_settings.fontName;
    context.fontSize = m_settings.fontSize;
    context.significantDigits = m_settings.significantDigits;
    return context;
}

QString TMORVMain::derivedFile(const QString& extension) const
{
    const QFileInfo info(m_doc.documentFileName);
    return m_doc.documentFolder + info.completeBaseName() + extension;
}

QString TMORVMain::solverDataFileName() const
{
    return derivedFile(QStringLiteral(".MVAT$"));
}

bool TMORVMain::gridReady() const
{
    return m_doc.compiler->control->spaceDimension == 0 || m_doc.mesh->meshState == 2;
}

bool TMORVMain::compilable() const
{
    return gridReady() && m_doc.named
        && QFileInfo(m_doc.documentFileName).suffix().compare(QStringLiteral("MV3"), Qt::CaseInsensitive) == 0;
}

void TMORVMain::Compile1Click()
{
    const bool dataFileExists = isFile(solverDataFileName());
    if (m_doc.compileState == 0 && dataFileExists) {
        TForm12 viewer(this, m_doc, m_settings.fontName, m_settings.fontSize);
        viewer.compileList = &m_doc.compileList;
        viewer.exec();
        return;
    }
    if (!compilable())
        return;
    if (m_doc.compileState >= 2) {
        // The compile thread works on copies of the editors' texts taken here.
        editorsToDocument();
        SChemistryDataBases chemistry;
        chemistry.available = m_chemistryDataFlag;
        chemistry.thermoPath = m_thermoDataPath;
        chemistry.transportPath = m_transportDataPath;
        TForm10 log(m_doc, m_doc.scripts, chemistry, this);
        log.exec();
        return;
    }
    // Only the control data, the input data or the grid changed: the solver data file is
    // written again from the last compile.
    setEnabled(false);
    editorsToDocument();
    const int result = TempFileOut(m_doc, solverDataFileName());
    setEnabled(true);
    if (result != 0) {
        showMessage(this, QStringLiteral("File I/O error"));
        return;
    }
    m_doc.compileState = 0;
}

void TMORVMain::Execute1Click()
{
    if (m_doc.compileState != 0)
        return;
    TForm13 monitor(this, m_doc, m_solverObject, m_settings.fontName, m_settings.fontSize);
    monitor.exec();
}

void TMORVMain::DefineSymbol1Click()
{
    TForm2 form(m_doc, m_settings.fontName, m_settings.fontSize, this);
    form.exec();
    // The dialog's OK has set the compile state to 2.
    if (form.dialogChanged())
        setModified(true);
}

void TMORVMain::DefineGrid1Click()
{
    if (m_doc.compiler->control->spaceDimension <= 0)
        return;
    {
        TForm4 editor(m_doc, this);
        editor.exec();
    }
    if (m_doc.modified)
        setModified(true);
    if (m_doc.compiler->control->spaceDimension == 1 && m_doc.meshCheck1D != 0)
        showMessage(this, QStringLiteral("Invalid 1D mesh (code:%1)").arg(m_doc.meshCheck1D));
}

void TMORVMain::SetControldata1Click()
{
    TForm8 form(m_doc, this);
    // OK has stored the values and raised the compile state to at least 1.
    if (form.exec() == QDialog::Accepted)
        setModified(true);
}

void TMORVMain::SetInputdata1Click()
{
    if (m_doc.compiler->control->inputCount == 0)
        return;
    TForm9 form(m_doc, this);
    if (form.exec() == QDialog::Accepted)
        setModified(true);
}

void TMORVMain::Gasproperty1Click()
{
    if (!m_chemistryDataFlag)
        return;
    TForm16 form(m_doc, m_thermoDataPath, m_transportDataPath, this);
    form.exec();
    if (form.dialogChanged())
        setModified(true);
}

void TMORVMain::Temporaryfile1Click()
{
    if (m_doc.compileState >= 2)
        return;
    const QString path = userInterface().saveFileName(this, QString(), derivedFile(QStringLiteral(".DAT")),
        QStringLiteral("MORV temporary file (*.DAT)"), QStringLiteral("DAT"));
    if (path.isEmpty())
        return;
    editorsToDocument();
    showMessage(this, TempFileOut(m_doc, path) != 0 ? QStringLiteral("can't export") : QStringLiteral("Completed"));
}

void TMORVMain::Preference1Click()
{
    SPreferences shown;
    shown.startupWindow = m_settings.startupWindow;
    shown.significantDigits = m_settings.significantDigits;
    shown.fontName = m_settings.fontName;
    shown.fontSize = m_settings.fontSize;
    shown.resultBufferSize = m_settings.resultBufferSize;
    TForm7 form(shown, this);
    if (form.exec() != QDialog::Accepted)
        return;
    const SPreferences& chosen = form.values();
    m_settings.startupWindow = chosen.startupWindow;
    m_settings.significantDigits = chosen.significantDigits;
    m_settings.fontName = chosen.fontName;
    m_settings.fontSize = chosen.fontSize;
    m_settings.resultBufferSize = chosen.resultBufferSize;
    applyPreferences();
}

void TMORVMain::ShowLog1Click()
{
    showLog(false);
}

void TMORVMain::ShowResult1Click()
{
    showResult(false);
}

void TMORVMain::Kurvo1Click()
{
    plot(false);
}

void TMORVMain::ShowLog2Click()
{
    showLog(true);
}

void TMORVMain::ShowResult2Click()
{
    showResult(true);
}

void TMORVMain::Kurvo2Click()
{
    plot(true);
}

// The complete-result commands and their twins under "Incomplete result" differ only in the
// files they read; each runs only while the Result menu's rule would offer it.
void TMORVMain::showLog(bool incomplete)
{
    const RResultMenuState rule = resultMenuRule(m_doc);
    if (!(incomplete ? rule.showLog2 : rule.showLog1))
        return;
    showRunLog(resultCommandContext(), incomplete);
}

void TMORVMain::showResult(bool incomplete)
{
    const RResultMenuState rule = resultMenuRule(m_doc);
    if (!(incomplete ? rule.showResult2 : rule.showResult1))
        return;
    showResultTables(resultCommandContext(), incomplete);
}

void TMORVMain::plot(bool incomplete)
{
    const RResultMenuState rule = resultMenuRule(m_doc);
    if (!(incomplete ? rule.kurvo2 : rule.kurvo1))
        return;
    plotResult(resultCommandContext(), incomplete, m_plotFileName);
}

void TMORVMain::UsersManual1Click()
{
    const QString manual = QCoreApplication::applicationDirPath() + QStringLiteral("/MORV_Manual.PDF");
    if (!isFile(manual) || !userInterface().openUrl(QUrl::fromLocalFile(manual)))
        showMessage(this, QStringLiteral("Manual.PDF open error"));
}

void TMORVMain::Version1Click()
{
    TVersionInfoForm form(this);
    form.exec();
}

void TMORVMain::CheckUpdate1Click()
{
    TCheckUpdateForm form(this);
    form.exec();
}

void TMORVMain::VisitWebsite1Click()
{
    if (!userInterface().openUrl(QUrl(kHomePage)))
        showMessage(this, QStringLiteral("Web Browser open error"));
}
