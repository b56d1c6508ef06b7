// The engine's set-up on any solver data file: reading the file into the run state, the
// checks of its code sections, the log, the work arrays and the stencils.
#include "fuzz/FuzzSupport.h"

#include "solver/RRazava.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzzScratchFolder() + QStringLiteral("run.MVAT$");
    writeFuzzFile(path, data, size);
    RRazava engine("MORV", path.toStdString());
    return 0;
}
