// The two-dimensional mesh generator on figures decoded from the input (fuzz/MeshFuzzing.h):
// a figure the domain editor would accept and whose domain check passes is meshed as the mesh
// command does, with the mesh type and angle the input chooses. A mesh reported as finished
// must be sound (conformity, positive areas, the covered area, no needlessly flat angle in the
// refined types); a failed generation must say that it failed.
#include "fuzz/FuzzSupport.h"
#include "fuzz/MeshFuzzing.h"

#include "document/RTriangleMesh.h"
#include "mesh/RDelaunay.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzScratchFolder(); // the application object and the message sink
    fuzzSetInput(data, size);
    RTriangleMesh figure(30);
    FuzzMeshSettings settings;
    if (!decodeFigure(data, size, figure, settings)) {
        if (fuzzVerbose())
            std::fprintf(stderr, "fuzz: figure beyond the bounds\n");
        return 0;
    }
    // MORV_FUZZ_SAVE_FIGURE names a document the figure is written to, to show a finding with
    // morv_headless mesh.
    if (const QString save = qEnvironmentVariable("MORV_FUZZ_SAVE_FIGURE"); !save.isEmpty())
        saveFigureDocument(figure, settings, save);
    RDelaunay generator(&figure);
    const int problems = generator.CheckPath();
    if (fuzzVerbose()) {
        std::fprintf(stderr, "fuzz: %zu point(s), %zu segment(s), %d problem(s), mesh type %d, "
                     "angle %g\n", figure.points.size(), figure.segments.size(), problems,
                     settings.meshType, settings.meshAngle);
        for (const RPoint& p : figure.points)
            std::fprintf(stderr, "  point %.17g %.17g region %d%s\n", p.x, p.y, p.region,
                         p.connections.empty() ? " free" : "");
        for (const RSegment& s : figure.segments)
            std::fprintf(stderr, "  segment %d-%d type %d division %d radius %.17g bias %g\n",
                         s.startPoint, s.endPoint, s.type, s.division, s.radius, s.bias);
    }
    if (problems != 0)
        return 0;
    generator.meshAngle = settings.meshAngle;
    generator.meshType = settings.meshType;
    const int messagesBefore = fuzzMessageCount();
    bool finished = false;
    bool cut = false;
    {
        FuzzWallBound wall([&generator] { generator.cancel = true; });
        finished = generator.generate();
        cut = wall.expired();
    }
    if (cut)
        return 0;
    const std::string type = "mesh type " + std::to_string(settings.meshType) + ", "
                             + std::to_string(figure.segments.size()) + " segment(s)";
    if (!finished) {
        // The mesh command says "Mesh generation failed." for a generation that ends failed;
        // one that ends without the flag and without a cancel would be taken for a cancel.
        if (!generator.failed)
            fuzzFault("silent failure", type);
        else if (!figure.gridPoints.empty() || !figure.triangles.empty())
            fuzzFault("failed mesh kept", type);
        else
            fuzzFault("refused", type + (fuzzMessageCount() > messagesBefore
                                             ? ", said \"" + fuzzLastMessage().toStdString() + "\""
                                             : std::string(", said nothing")));
        return 0;
    }
    if (fuzzVerbose())
        std::fprintf(stderr, "fuzz: %zu node(s), %zu triangle(s)\n", figure.gridPoints.size(),
                     figure.triangles.size());
    // Without refinement the rough mesh keeps whatever angles the boundary nodes make.
    const std::string problem = checkFinishedMesh(generator, settings.meshType != 3);
    if (!problem.empty()) {
        const std::size_t colon = problem.find(':');
        fuzzFault(problem.substr(0, colon), problem.substr(colon + 2) + " (" + type + ")");
    }
    return 0;
}
