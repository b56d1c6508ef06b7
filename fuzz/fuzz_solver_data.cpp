// The engine on any solver data file: reading the file into the run state, the checks of its
// code sections, the log, the work arrays and the stencils, and then, for a problem small
// enough, the run itself with its work bounded (fuzz/FuzzRun.h): the ASSUME section, the
// INITIAL solve and a few time steps of Newton iterations through the byte-code interpreter.
#include "fuzz/FuzzRun.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzzScratchFolder() + QStringLiteral("run.MVAT$");
    writeFuzzFile(path, data, size);
    runBounded(path.toStdString());
    return 0;
}
