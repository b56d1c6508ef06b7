#include "results/ResultMenuState.h"

#include "document/RMORVCompile.h"
#include "results/PlotDescriptionFile.h"

#include <QFileInfo>

QString resultSideFile(const QString& documentFolder, const QString& documentFileName,
    const QString& extension)
{
    return documentFolder + withExtension(documentFileName, extension);
}

RResultMenuState resultMenuState(const SControlData& control, const QString& documentFolder,
    const QString& documentFileName, const std::function<bool()>& kurvoInstalled)
{
    auto exists = [&](const char* extension) {
        return QFileInfo(resultSideFile(documentFolder, documentFileName,
                             QString::fromLatin1(extension)))
            .isFile();
    };
    RResultMenuState s;
    s.showLog1 = exists(".MVL3");
    s.showResult1 = exists(".MVO3");
    const bool anyParameter = control.PARMT != 0 || control.PARMX != 0 || control.PARMY != 0;
    // The desktop is asked at most once, and not at all when no plot could be offered.
    int installed = -1;
    auto isInstalled = [&] {
        if (installed < 0)
            installed = kurvoInstalled() ? 1 : 0;
        return installed == 1;
    };
    s.kurvo1 = anyParameter && s.showResult1 && isInstalled();
    s.showLog2 = exists(".MVL3$");
    const bool result2 = exists(".MVO3$");
    s.showResult2 = control.PARMT != 0 && result2;
    s.kurvo2 = control.PARMT != 0 && result2 && isInstalled();
    s.incompleteResult = s.showLog2 || s.showResult2 || s.kurvo2;
    return s;
}
