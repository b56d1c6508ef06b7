#pragma once
#include "widgets/SMenuItem.h"
#include "app/RMainSettings.h"
#include "document/RMORVDocument.h"
#include "results/RResultCommands.h"
#include "results/RResultHolder.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QStackedWidget;
class RExtraMemo;
class RRazava;

// The main window: owner of the one open document, the five section editors, the user's
// preferences and the per-document flags (held in the document holder: named, modified,
// compile state). Menu items get their enabled state when their menu opens; a shortcut
// runs a command only when the same rule allows it at that moment.
class TMORVMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMORVMain(QWidget* owner = nullptr);
    ~TMORVMain() override;

    // Chooses and loads the start-up document: the first argument when there is one, else
    // the default document of the user's data folder, else the empty document. False when
    // the program must end (a message has been shown).
    bool startup(const QStringList& arguments);
    // Sizes the window as the preferences say and shows it centred in the work area.
    void showAtStartup();

    RMORVDocument& document() { return m_doc; }
    RExtraMemo* editor(int section) const { return m_editors[section]; }
    // The editor of the section on show.
    RExtraMemo* activeEditor() const;
    RMainSettings& settings() { return m_settings; }
    // The loaded result, its row buffers and the variable selection.
    RResultHolder& results() { return m_results; }
    QString userDocumentsPath() const { return m_userDocumentsPath; }
    QString thermoDataPath() const { return m_thermoDataPath; }
    QString transportDataPath() const { return m_transportDataPath; }
    bool chemistryDataFlag() const { return m_chemistryDataFlag; }
    bool saveSucceeded() const { return m_saveSucceeded; }
    qint64 resultBufferRows() const { return m_settings.resultBufferRows(); }
    // The first panel of the status bar ("Changed" or empty).
    QString statusText() const;
    QString sectionLabel(int section) const { return m_sectionLabels[section]; }

    // The document file, the solver data file beside it, and the rules built on them.
    QString documentPath() const;
    QString solverDataFileName() const;
    bool gridReady() const;
    bool compilable() const;

    // A menu item by its component name ("New1", "Compile1", "PMUndo", ...).
    QAction* menuItem(const QString& name) const;
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* editMenu() const { return m_editMenu; }
    QMenu* runMenu() const { return m_runMenu; }
    QMenu* resultMenu() const { return m_resultMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    QComboBox* sectionSelector() const { return m_sectionSelector; }
    QLabel* noteLabel() const { return m_noteLabel; }
    // The engine of the current or last run; only the run monitor sets and clears it.
    RRazava* solverObject() const { return m_solverObject.get(); }

    // Menu-opening rules.
    void File1Click();
    void Edit1Click();
    void Run1Click();
    void Result1Click();

    // Document commands.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    // Files dropped on the window; only the first is used.
    void WMDropFiles(const QStringList& paths);

    // Run, Result, File and Help commands.
    void Compile1Click();
    void Execute1Click();
    void DefineSymbol1Click();
    void DefineGrid1Click();
    void SetControldata1Click();
    void SetInputdata1Click();
    void Gasproperty1Click();
    void Temporaryfile1Click();
    void Preference1Click();
    void ShowLog1Click();
    void ShowResult1Click();
    void Kurvo1Click();
    void ShowLog2Click();
    void ShowResult2Click();
    void Kurvo2Click();
    void UsersManual1Click();
    void Version1Click();
    void CheckUpdate1Click();
    void VisitWebsite1Click();

    // The document takes the editors' texts (before it is saved or compiled).
    void editorsToDocument();

    // What the preference dialog's OK leaves to the window: the preferences are written, the
    // result buffers take the new size (the loaded result is dropped) and the editors take
    // the script font.
    void applyPreferences();

    // The section selector's change: the card on show and the note label.
    void ComboBox1Click();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void buildMenus();
    void buildEditMenu();
    QAction* addItem(QMenu* menu, const QString& caption, const char* name,
        void (TMORVMain::*handler)(), const QKeySequence& shortcut = QKeySequence());
    void reenableAfterClose(QMenu* menu);
    void buildCentralArea();

    void EMChange(RExtraMemo* editor);
    bool FormCloseQuery();
    void FormClose();

    // Unsaved changes: ask; false when the command must end.
    bool saveGuard();
    // The held file's solver data file is deleted and the hold released.
    void giveUpHeldFile();
    // After Open, a drop or Save As: P becomes the document file, held, named.
    void takeIdentity(const QString& path);
    // Loads a file; on success the editors take the document's scripts.
    int loadDocument(const QString& path);
    void editorsFromDocument();
    void setModified(bool modified);
    void setCaption();
    // What the Result menu's commands work on.
    RResultCommandContext resultCommandContext();
    void showLog(bool incomplete);
    void showResult(bool incomplete);
    void plot(bool incomplete);
    QString derivedFile(const QString& extension) const;
    QRect workArea() const;

    RMORVDocument m_doc;
    RMainSettings m_settings;
    RResultHolder m_results;
    std::unique_ptr<RRazava> m_solverObject;
    QString m_plotFileName;       // the plot description file written last
    std::array<QString, 5> m_sectionLabels;
    std::array<RExtraMemo*, 5> m_editors {};
    SMenuItem m_editItems;
    QString m_userDocumentsPath;
    QString m_thermoDataPath;
    QString m_transportDataPath;
    bool m_chemistryDataFlag = false;
    bool m_saveSucceeded = false;
    bool m_shownOnce = false;
    QString m_lastSaveAsPath;

    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_runMenu = nullptr;
    QMenu* m_resultMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_incompleteMenu = nullptr;
    QComboBox* m_sectionSelector = nullptr;
    QLabel* m_noteLabel = nullptr;
    QStackedWidget* m_cards = nullptr;
    std::array<QLabel*, 3> m_statusPanels {};
};
