// morv_headless mesh IN OUT: build the grid of the document's figure, as the domain editor's
// mesh command (two dimensions) or its close (one dimension) does, and save the document.
#include "Commands.h"
#include "document/RMORVDocument.h"
#include "mesh/RDelaunay.h"
#include "mesh/RMeshReplace.h"
#include "mesh/RSegmentCrossings.h"

#include <QFileInfo>
#include <cstdio>

int cmdMesh(const QStringList& args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: morv_headless mesh IN.MV3 OUT.MV3\n");
        return 64;
    }
    const QString in = QFileInfo(args[0]).absoluteFilePath();
    const QString out = QFileInfo(args[1]).absoluteFilePath();
    RMORVDocument doc;
    const int read = doc.loadfile(in);
    if (read != 0) {
        std::fprintf(stderr, "can't read (code:%d)\n", read);
        return read;
    }
    RTriangleMesh& mesh = *doc.mesh;
    const SControlData& control = *doc.compiler->control;
    mesh.setToleranceFromFigure();
    RDelaunay gen(&mesh);
    if (control.spaceDimension == 1) {
        int code = checkPath1D(mesh);
        if (code == 0) {
            gen.GridFor1D(double(control.PARMX), double(control.PARMY), control.twoGrid);
            code = mesh.gridPoints.size() > 5 ? 0 : 3;
        }
        doc.meshCheck1D = code;
        if (code != 0) {
            std::fprintf(stderr, "Invalid 1D mesh (code:%d)\n", code);
            return 1;
        }
    } else if (control.spaceDimension == 2) {
        const int problems = gen.CheckPath();
        if (problems != 0) {
            std::fprintf(stderr, "%d problem(s) in the figure\npoints:", problems);
            for (int i = 0; i < int(mesh.points.size()); ++i)
                if (mesh.points[i].selected)
                    std::fprintf(stderr, " %d", i);
            std::fprintf(stderr, "\nsegments:");
            for (int i = 0; i < int(mesh.segments.size()); ++i)
                if (mesh.segments[i].selected)
                    std::fprintf(stderr, " %d", i);
            std::fprintf(stderr, "\n");
            // The selection names the places; crossings are the one problem whose reason the
            // listing cannot show (an open chain selects points, an item outside the domain
            // itself).
            for (const auto& [a, b] : crossingSegmentPairs(mesh))
                std::fprintf(stderr, "segments %d and %d cross\n", a, b);
            return 1;
        }
        gen.meshAngle = doc.meshAngle;
        gen.meshType = doc.meshType;
        if (!gen.generate()) {
            std::fprintf(stderr, "mesh generation failed\n");
            return 2;
        }
    } else {
        std::fprintf(stderr, "the document has no space parameter\n");
        return 1;
    }
    mesh.meshState = 2;
    doc.compileState = std::max(doc.compileState, 1);
    if (emptyIntegralLists(*doc.compiler))
        doc.compileState = 2;
    doc.modified = true;
    const int written = doc.savefile(out);
    if (written != 0) {
        std::fprintf(stderr, "can't save (code:%d)\n", written);
        return 100 + written;
    }
    return 0;
}
