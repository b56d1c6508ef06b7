// The parameter file on any bytes, beside a fixed solver data file: the count the engine's
// set-up reads, then every parameter line as the time steps read them.
#include "fuzz/FuzzSupport.h"

#include "solver/RRazava.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzzScratchFolder();
    const QString path = folder + QStringLiteral("param.MVAT$");
    static bool dataFileWritten = false;
    if (!dataFileWritten) {
        writeFuzzFile(path, readSourceFile("tests/solver/data/point0d.MVAT$"));
        dataFileWritten = true;
    }
    writeFuzzFile(folder + QStringLiteral("param.PRM"), data, size);
    RRazava engine("MORV", path.toStdString());
    if (engine.globalData()->runStatus != 0)
        return 0;
    // Each line is one step; a run has no more steps than the file has lines.
    for (std::size_t line = 0; line <= size && engine.ReadParameterLine() == 0; ++line) {
    }
    return 0;
}
