#pragma once
#include "solver/ui/RWatchPoints.h"
#include "solver/ui/TMVExec.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class RMORVDocument;
class RRazava;
class RunEvent;

// The run monitor: a modal window that builds the engine from the open document's solver data
// file, takes the run lock of that file, runs it in the run thread and shows its progress. Stop
// asks the run to stop; once the run is over the button reads "Close", and closing commits the
// run's files when the run succeeded, then deletes the engine. The window cannot be closed
// while the run thread lives, so the engine outlives both threads.
class TForm13 : public QDialog {
public:
    // `solverObject` is the main window's slot for the engine of the current or last run; the
    // monitor fills it when it starts and empties it when it closes. The font is the compile
    // list viewer's.
    TForm13(QWidget* owner, RMORVDocument& doc, std::unique_ptr<RRazava>& solverObject,
            const QString& fontName, int fontSize);
    ~TForm13() override;

    // What the run thread executes on the engine; the engine's time loop unless replaced
    // before the window is shown.
    TMVExec::RunBody runBody;

    QLineEdit* LabeledEdit1 = nullptr;   // Time
    QLineEdit* LabeledEdit2 = nullptr;   // Iteration
    QLineEdit* LabeledEdit3 = nullptr;   // Error
    QLabel* Label1 = nullptr;            // run state
    QLabel* StaticText1 = nullptr;       // status line
    QPushButton* SpeedButton1 = nullptr; // Stop / Close
    QWidget* CategoryPanelGroup1 = nullptr;
    QWidget* CategoryPanel1 = nullptr;
    QToolButton* CategoryPanel1Header = nullptr; // "Watch": expands and collapses the panel
    QPushButton* SpeedButton2 = nullptr; // Input data
    QPushButton* SpeedButton3 = nullptr; // Control data
    QPushButton* SpeedButton4 = nullptr; // Compile list
    QTableWidget* ListView1 = nullptr;

    // The watch points A, B, C and A2, B2, C2 of the document's grid.
    const RWatchPointSet& watchPointSet() const { return m_watch; }
    // Cell attribute of each variable, as the document has it.
    const QList<int>& variableCellAttributes() const { return m_cellAttributes; }
    bool watchExpanded() const { return m_expanded; }
    int watchRowHeight() const { return m_rowHeight; }

    // This monitor started a run; and that run's thread has ended.
    bool runStarted() const { return m_runStarted; }
    bool runEnded() const { return m_runEnded; }

    void CategoryPanel1Expand();
    void CategoryPanel1Collapse();
    void FormShow();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void FormClose();

    // Called by the run thread's end handler: gives the run event back and finishes the
    // display.
    void runThreadEnded();

    // The run-state label while the run goes on, and at its end.
    void showExecuting();
    void showFinished(bool failedOrStopped);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWatchList();
    void refuse(const QString& status);
    void resizeToPanel();

    RMORVDocument& m_doc;
    std::unique_ptr<RRazava>& m_solverObject;
    QString m_fontName;
    int m_fontSize;
    RWatchPointSet m_watch {};
    QList<int> m_cellAttributes;
    std::unique_ptr<RunEvent> m_runEvent;
    QPointer<TMVExec> m_exec;
    int m_rowHeight = 17;
    int m_panelHeight = 0;
    int m_topHeight = 0;
    bool m_expanded = true;
    bool m_shown = false;
    bool m_runStarted = false;
    bool m_runEnded = false;
    bool m_closed = false;
};
