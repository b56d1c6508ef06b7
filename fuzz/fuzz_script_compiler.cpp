// The script compiler on any document: the document is loaded, and when the program would offer
// Compile for it, its five sections are compiled, the compile list made and the solver data file
// written, as Run > Compile does (without chemistry data bases).
#include "fuzz/FuzzSupport.h"

#include "compiler/ChemistryPreparation.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzzScratchFolder();
    const QString name = QStringLiteral("script.MV3");
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
    runCompile(document, document.scripts, log, {}, SChemistryDataBases());
    return 0;
}
