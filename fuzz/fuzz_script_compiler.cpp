// The script compiler on any document, and the run of what it compiled: the document is loaded,
// and when the program would offer Compile for it, its five sections are compiled, the compile
// list made and the solver data file written, as Run > Compile does (without chemistry data
// bases). A compile without errors is then run as Execute would run it, with its work bounded
// (fuzz/FuzzRun.h).
#include "fuzz/FuzzRun.h"
#include "fuzz/FuzzSupport.h"

#include "compiler/ChemistryPreparation.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzzScratchFolder();
    const QString name = QStringLiteral("script.MV3");
    fuzzSetInput(data, size);
    writeFuzzFile(folder + name, data, size);
    RMORVDocument document;
    if (document.loadfile(folder + name) != 0)
        return 0;
    // Compile is offered only for a document without space parameters or with a finished grid.
    if (document.compiler->control->spaceDimension != 0 && document.mesh->meshState != 2)
        return 0;
    document.documentFolder = folder;
    document.documentFileName = name;
    document.named = true;
    QStringList log;
    const int errors =
        runCompile(document, document.scripts, log, {}, SChemistryDataBases());
    // The compile turns an exception into a line of its log: for the fuzzer it is a fault.
    for (const QString& line : log)
        if (line.contains(QLatin1String("Unexpected error")))
            fuzzFault("compile exception", line.toStdString());
    if (fuzzVerbose())
        std::fprintf(stderr, "fuzz: compiled with %d error(s)\n", errors);
    if (errors == 0 && document.compileState == 0)
        runBounded((folder + QStringLiteral("script.MVAT$")).toStdString());
    return 0;
}
