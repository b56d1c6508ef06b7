#include "compiler/TEquationCompile.h"

#include "compiler/RCompileRun.h"

TEquationCompile::TEquationCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts,
                                   const SChemistryDataBases& chemistry, Output output)
    : m_document(document), m_scripts(scripts), m_chemistry(chemistry), m_output(std::move(output))
{
}

TEquationCompile::~TEquationCompile()
{
    wait();
}

void TEquationCompile::run()
{
    m_output.enableOk(false);
    QStringList log;
    qsizetype shown = 0;
    // The compiler appends to log; every progress step hands the new lines to the window first.
    const auto flush = [&] {
        if (log.size() > shown) {
            m_output.addLines(log.mid(shown));
            shown = log.size();
        }
    };
    runCompile(m_document, m_scripts, log,
               [&](int position) {
                   flush();
                   m_output.setProgress(position);
               },
               m_chemistry);
    flush();
    m_output.setProgress(100);
    m_output.enableOk(true);
}
