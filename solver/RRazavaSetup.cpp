// Preparation of a run: the result file's beginning, the start values from the restart file or
// the ASSUME section, the stencil listing, the parameter line of a run without time, and the
// INITIAL solve that makes the start level consistent.
#include "solver/RRazava.h"

#include "document/ByteCode.h"

#include <algorithm>
#include <string>

namespace {

// Solves the INITIAL section in place of EQUATION with the new level's weight 1.0, and puts
// both back however the solve ends.
class InitialSolveScope {
public:
    InitialSolveScope(int& section, double& weight)
        : section_(section), weight_(weight), savedSection_(section), savedWeight_(weight)
    {
        section_ = ByteCode::SectionInitial;
        weight_ = 1.0;
    }
    ~InitialSolveScope()
    {
        section_ = savedSection_;
        weight_ = savedWeight_;
    }
    InitialSolveScope(const InitialSolveScope&) = delete;
    InitialSolveScope& operator=(const InitialSolveScope&) = delete;

private:
    int& section_;
    double& weight_;
    int savedSection_;
    double savedWeight_;
};

} // namespace

int RRazava::Setup()
{
    startSparseSolver();
    StartResultFile();
    int code = 0;
    PrepareInitial(code);
    return code;
}

void RRazava::PrepareInitial(int& code)
{
    MORVGlobalData& g = *gd;
    const int n = g.variableCount, np = g.pointCount, m = g.subVariableCount;
    const bool continued = g.RESTART != 0 && g.PARMT != 0;
    code = 0;

    if (g.RESTART != 0) {
        // The start time is the file's as soon as its header was read, also when the file then
        // does not fit.
        if (rstin(g.newValues.data(), n, np, g.temporaries.data(), g.temporaryCount, g.TSTART)
            != 0) {
            code = 3;
            return;
        }
        std::copy(g.newValues.begin(), g.newValues.end(), g.oldValues.begin());
    }

    // The stencils and weights were computed with the work arrays (the non-zero list is sized
    // from them); a plane run lists them and, with a fresh header, writes its neighbour lines.
    // The listing is formatted without printf into large blocks and flushed once: a string and
    // a printf call per number made it several percent of a whole run at 1e5 points.
    // A widened stencil (a least-squares fit over more points) is marked at the end of its line,
    // and so is an inner point's stencil that has no second derivatives and could not be widened.
    if (g.dimension == 2 && g.IPRT % 10 >= 2 && g.IPRN > 0 && g.logFile.writer) {
        RLineBlock block(g.logFile);
        std::string& line = block.text();
        for (int p = 0; p < np; ++p) {
            appendInteger(line, p + 1, 5);
            line += '(';
            appendE(line, g.pointX[p], 12, 5);
            line += ',';
            appendE(line, g.pointY[p], 12, 5);
            line += ')';
            for (int j = 0; j < stencilCounts[p]; ++j)
                appendInteger(line, stencilPoints[stencilStart[p] + j] + 1, 6);
            if (stencilStart[p] >= static_cast<std::size_t>(np) * 6)
                line += "  widened";
            else if (!secondDerivativeMissing.empty() && secondDerivativeMissing[p] != 0)
                line += "  no second derivatives";
            block.endLine();
        }
        block.flush();
    }
    if (!continued)
        WriteNeighbourLines();

    if (g.RESTART == 0) {
        for (int p = 0; p < np; ++p) {
            const std::size_t row = std::size_t(p) * n;
            std::fill_n(g.newValues.begin() + row, n, 0.0);
            // The record reads the point's fresh zero start, never another point's values.
            double tTheta = 0;
            prmval(p, n, &term, g.oldValues.data(), g.newValues.data(), g.TSTART, g.DELT, g.ALPHA,
                   tTheta);
            REvalContext c;
            c.term = &term;
            c.subValues = m > 0 ? g.subValues.data() + std::size_t(p) * m : pointSubValues.data();
            c.t = g.TSTART;
            c.dt = g.DELT;
            c.x = g.pointX[p];
            c.y = g.pointY[p];
            c.nx = g.normalX[p];
            c.ny = g.normalY[p];
            c.point = p;
            c.values = g.newValues.data();
            c.residuals = g.residuals.data() + row;
            c.section = &decoded[ByteCode::SectionAssume];
            c.label = g.sectionLabel[ByteCode::SectionAssume].c_str();
            EvalEqu(c);
            std::copy_n(g.newValues.begin() + row, n, g.oldValues.begin() + row);
        }
    }

    if (g.PARMT == 0 && g.parameterCount > 0) {
        std::fill(g.parameterValues.begin(), g.parameterValues.end(), 0.0);
        if (ReadParameterLine() != 0) {
            code = 4;
            return;
        }
    }

    if (!continued) {
        // One fully implicit level from TSTART - DELT that ends at TSTART.
        InitialSolveScope scope(newtonSection, g.ALPHA);
        code = solver(g.DELT, g.TSTART - g.DELT, g.TEND);
    }
}
