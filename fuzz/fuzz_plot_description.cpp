// The plot description file on any bytes: its creator block as the plot export reads it, and
// the refresh of its file ID that keeps every other line.
#include "fuzz/FuzzSupport.h"

#include "results/PlotDescriptionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzzScratchFolder();
    const QString file = folder + QStringLiteral("doc_MV3.Kurvo");
    writeFuzzFile(file, data, size);
    int nVar = 0, nSub = 0, twoGrid = 0;
    QString varAttr, subAttr;
    (void)GetCreatorBlock(file, nVar, nSub, twoGrid, varAttr, subAttr);
    (void)UpdateFileID(file, folder + QStringLiteral("doc_MV3.KVbak"), QStringLiteral("12345678"),
                       QStringLiteral(".\\doc.MVO3"));
    return 0;
}
