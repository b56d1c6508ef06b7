// morv_headless compile DOC.MV3: loads the document and runs the compile as Run > Compile
// does, printing the compile log one line per line. Exit status 0 without errors, 1 with
// compile errors, 2 when the document cannot be read, 64 for a wrong call.

#include "Commands.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"

#include <QFileInfo>
#include <cstdio>

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

    QStringList log;
    const int errors = runCompile(document, document.scripts, log);
    for (const QString& line : log)
        std::printf("%s\n", line.toUtf8().constData());
    return errors == 0 ? 0 : 1;
}
