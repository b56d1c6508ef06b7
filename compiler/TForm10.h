#pragma once
#include "compiler/ChemistryPreparation.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class RMORVDocument;
class TEquationCompile;

// The compile log window: showing it starts the compile thread on the open document; the log
// and the progress bar follow the run, and OK, enabled only at its end, deletes the thread and
// closes the window. OK is the only way out: Esc and a close request are ignored while the
// thread runs, and Esc always.
class TForm10 : public QDialog {
public:
    // scripts: copies of the five section editors' texts, taken before the window is shown.
    TForm10(RMORVDocument& document, const std::array<QStringList, 5>& scripts,
            const SChemistryDataBases& chemistry, QWidget* owner);
    ~TForm10() override;

    QPlainTextEdit* Memo1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button1 = nullptr;

    // Deletes the compile thread (waiting for it) and closes the window.
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void FormShow();

    RMORVDocument& m_document;
    const std::array<QStringList, 5> m_scripts;
    const SChemistryDataBases m_chemistry;
    std::unique_ptr<TEquationCompile> m_thread;
};
