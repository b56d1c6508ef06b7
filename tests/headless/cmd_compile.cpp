// morv_headless compile DOC.MV3: loads the document and runs the compile as Run > Compile
// does: the chemistry of the selected species against the user's data bases, the sections,
// the compile list and, without errors, the solver data file (".MVAT$") beside the document.
// Prints the compile log one line per line. Exit status 0 without errors, 1 with compile
// errors, 2 when the document cannot be read, 3 when the menu would not offer Compile for it
// (the reason on standard error), 4 when the compile had no errors but the solver data file
// could not be written ("File I/O error" in the log), 64 for a wrong call.

#include "Commands.h"
#include "compiler/ChemistryPreparation.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

namespace {

// Why Run > Compile would be disabled for the document, or empty when it is offered.
QString notCompilable(const RMORVDocument& document)
{
    if (QFileInfo(document.documentFileName).suffix().compare(QStringLiteral("MV3"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("not a .MV3 document");
    if (document.compiler->control->spaceDimension != 0 && document.mesh->meshState != 2)
        return QStringLiteral("the grid is not finished");
    return {};
}

} // namespace

int cmdCompile(const QStringList& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: morv_headless compile DOC.MV3\n");
        return 64;
    }
    const QFileInfo file(args.first());
    RMORVDocument document;
    const int code = document.loadfile(file.absoluteFilePath());
    if (code != 0) {
        std::fprintf(stderr, "can't read (code:%d)\n", code);
        return 2;
    }
    document.documentFolder = file.absolutePath() + QLatin1Char('/');
    document.documentFileName = file.fileName();
    document.named = true;
    const QString refusal = notCompilable(document);
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "can't compile: %s\n", refusal.toUtf8().constData());
        return 3;
    }

    QStringList log;
    const SChemistryDataBases chemistry =
        userChemistryDataBases(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const int errors = runCompile(document, document.scripts, log, {}, chemistry);
    for (const QString& line : log)
        std::printf("%s\n", line.toUtf8().constData());
    if (errors != 0)
        return 1;
    // Only a written solver data file lowers the compile state to 0.
    if (document.compileState != 0) {
        std::fprintf(stderr, "can't write the solver data file\n");
        return 4;
    }
    return 0;
}
