#include "document/RMORVDocument.h"

namespace {
const char* const symbolHeaders[] = {
    "%unknown   #------------------------",
    "%sub       #------------------------",
    "%temporary #------------------------",
    "%input     #------------------------",
    "%constant  #------------------------",
};
}

RMORVDocument::RMORVDocument()
{
    gReset();
}

void RMORVDocument::gReset()
{
    // Fresh objects carry every default of the records, so nothing of the old document
    // (arrays, counts, integral regions, code) can survive.
    mesh = std::make_unique<RTriangleMesh>(UndoDepth);
    compiler = std::make_unique<RMORVCompile>();

    symbolDefinition.clear();
    for (const char* header : symbolHeaders)
        symbolDefinition.append(QString::fromLatin1(header));

    divisionPitch = 0.0;
    meshType = 0;
    meshAngle = 0.0;
    meshCheck1D = -1;
    compileState = 2;
    adjustTimeStep = false;

    inputData = {SInputData{}};
    inputDataIndex = 0;
}
