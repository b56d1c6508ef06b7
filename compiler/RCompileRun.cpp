#include "compiler/RCompileRun.h"

#include "document/ByteCode.h"
#include "document/RMORVDocument.h"

using namespace ByteCode;

namespace {

// EQUATION and TERMINATE run only in time, so a problem without time does not compile them.
bool sectionCompiled(const RMORVCompile& compiler, int section)
{
    return compiler.control->PARMT != 0 || (section != SectionEquation && section != SectionTerminate);
}

} // namespace

int runCompile(RMORVDocument& document, const std::array<QStringList, 5>& scripts, QStringList& log,
               const std::function<void(int)>& progress)
{
    RMORVCompile& compiler = *document.compiler;
    compiler.messages = &log;

    qsizetype lineCount = 0;
    for (int s = 0; s < sectionCount; ++s)
        if (sectionCompiled(compiler, s))
            lineCount += scripts[s].size();
    const double step = 100.0 / static_cast<double>(lineCount + 1);

    compiler.errorCount = 0;
    compiler.warningCount = 0;

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
        log.append(QStringLiteral("> Compiling ") + compiler.sectionLabels[s] + QStringLiteral(" ..."));
        compiler.compile(s, lines, progress, base, step);
        log.append(QStringLiteral("> Completed"));
        base = static_cast<int>(base + lines.size() * step);
    }

    log.append(QStringLiteral("> %1 error(s), %2 warning(s)").arg(compiler.errorCount).arg(compiler.warningCount));
    return compiler.errorCount;
}
