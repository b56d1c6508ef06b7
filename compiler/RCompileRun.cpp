#include "compiler/RCompileRun.h"

#include "compiler/ChemistryPreparation.h"
#include "compiler/CompileList.h"
#include "compiler/OutputTimes.h"
#include "chemistry/RSSChem.h"
#include "compiler/SolverDataFileWriter.h"

#include "document/ByteCode.h"
#include "document/RMORVDocument.h"

#include <QDir>

#include <exception>

using namespace ByteCode;

namespace {

// EQUATION and TERMINATE run only in time, so a problem without time does not compile them.
bool sectionCompiled(const RMORVCompile& compiler, int section)
{
    return compiler.control->PARMT != 0 || (section != SectionEquation && section != SectionTerminate);
}

// The steps of a compile run up to the symbol listing; an exception leaves it early.
void compileSteps(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
                  const std::function<void(int)>& progress, const SChemistryDataBases& chemistry)
{
    RMORVCompile& compiler = *document.compiler;

    qsizetype lineCount = 0;
    for (int s = 0; s < sectionCount; ++s)
        if (sectionCompiled(compiler, s))
            lineCount += scripts[s].size();
    const double step = 100.0 / static_cast<double>(lineCount + 1);

    // Every file of the compile goes to the document folder, so it must exist (one level).
    if (!document.documentFolder.isEmpty() && !QDir(document.documentFolder).exists())
        QDir().mkdir(document.documentFolder);

    document.compileList.clear();
    compileListHeader(document.compileList, document.documentFileName);

    compiler.errorCount = 0;
    compiler.warningCount = 0;

    PrepareCProp(document, chemistry, log);

    // The pool starts with the labelled constants, so constant i is pool entry i.
    compiler.locals.clear();
    compiler.literals.assign(compiler.symbols->constantValues.cbegin(),
                             compiler.symbols->constantValues.cend());

    int base = 0;
    for (int s = 0; s < sectionCount; ++s) {
        compiler.code[s].clear();
        const QStringList& lines = scripts[s];
        if (lines.isEmpty() || !sectionCompiled(compiler, s))
            continue;
        compileListGroup(document.compileList, compiler, s);
        log.append(QStringLiteral("> Compiling ") + compiler.sectionLabels[s] + QStringLiteral(" ..."));
        compiler.compile(s, lines, progress, base, step);
        log.append(QStringLiteral("> Completed"));
        for (const SCompileList& entry : compiler.compileEntries)
            SymFileOut(document.compileList, entry.line, entry.codeOffset, entry.source);
        document.compileList.append(QString());
        base = static_cast<int>(base + lines.size() * step);
    }

    // A region naming a node outside the grid would make the run integrate over other points.
    for (const QString& region : integralRegionsOutsideGrid(compiler, *document.mesh)) {
        log.append(QStringLiteral("(E) Integral region does not match the grid :") + region);
        ++compiler.errorCount;
    }

    // An end time too far beyond the output interval would ask for more output times than any
    // run can take; the compile says so instead of failing on the solver data file.
    {
        const SControlData& c = *compiler.control;
        if (!outputTimesFit(c.PARMT != 0, c.TSTART, c.TEND, compiler.symbols->TGRID_A,
                            compiler.symbols->TGRID_B.size())) {
            log.append(QStringLiteral("(E) Too many output times :%1 to %2 every %3")
                           .arg(c.TSTART).arg(c.TEND).arg(compiler.symbols->TGRID_A));
            ++compiler.errorCount;
        }
    }

    log.append(QStringLiteral("> %1 error(s), %2 warning(s)").arg(compiler.errorCount).arg(compiler.warningCount));

    if (compiler.errorCount == 0) {
        log.append(QStringLiteral("> Creating data for Solver..."));
        compiler.control->localCount = static_cast<int>(compiler.locals.size());
        if (TempFileOut(document, solverDataFilePath(document)) != 0) {
            log.append(QStringLiteral("File I/O error"));
        } else {
            log.append(QStringLiteral("> Completed"));
            document.compileState = 0;
        }
    }

    QStringList chemistryLog;
    if (document.chemistry)
        for (const std::string& line : document.chemistry->GetLogText())
            chemistryLog.append(QString::fromStdString(line));
    SymListOut(document.compileList, compiler, document.chemistry ? &chemistryLog : nullptr);
}

} // namespace

int runCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
               const std::function<void(int)>& progress)
{
    return runCompile(document, scripts, log, progress, SChemistryDataBases());
}

int runCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
               const std::function<void(int)>& progress, const SChemistryDataBases& chemistry)
{
    RMORVCompile& compiler = *document.compiler;
    compiler.messages = &log;
    try {
        compileSteps(document, scripts, log, progress, chemistry);
    } catch (const std::exception& e) {
        log.append(QStringLiteral("> Unexpected error : ") + QString::fromLocal8Bit(e.what()));
        ++compiler.errorCount;
    } catch (...) {
        log.append(QStringLiteral("> Unexpected error : ") + QStringLiteral("unknown"));
        ++compiler.errorCount;
    }
    if (progress)
        progress(100);
    return compiler.errorCount;
}
