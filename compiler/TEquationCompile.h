#pragma once
#include "compiler/ChemistryPreparation.h"

#include <QStringList>
#include <QThread>

#include <array>
#include <functional>

class RMORVDocument;

// The compile thread: one compile run of the open document (chemistry preparation, the five
// sections, compile list, solver data file, compile state). It works on the document while the
// modal compile log window keeps the user out, and reads copies of the five script texts taken
// before it starts. It touches no widget: its log lines, progress and the state of OK go to
// the window through the given calls, which block until the user-interface thread has run them.
class TEquationCompile : public QThread {
public:
    struct Output {
        std::function<void(const QStringList& lines)> addLines;
        std::function<void(int position)> setProgress;
        std::function<void(bool enabled)> enableOk;
    };

    TEquationCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts,
                     const SChemistryDataBases& chemistry, Output output);
    // Waits for the run to end.
    ~TEquationCompile() override;

protected:
    void run() override;

private:
    RMORVDocument& m_document;
    const std::array<QStringList, 5> m_scripts;
    const SChemistryDataBases m_chemistry;
    const Output m_output;
};
