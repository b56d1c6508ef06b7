// The interpreter on code written by the compiler: small documents are compiled to a solver
// data file, the engine is built on it, and each opcode class is checked through what its
// sections leave behind: operand fetch of every operand kind, operators, stores, jumps of
// %IF/%ELSEIF/%ELSE blocks, built-in calls, math errors with their log lines and substitutes,
// and the directives.
#include "compiler/RCompileRun.h"
#include "document/ByteCode.h"
#include "document/RMORVDocument.h"
#include "solver/RRazava.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace ByteCode;

namespace {

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// Replaces the lines between "$KEY" and its "$END" (or adds the block before $DOMAIN).
void setBlock(QString& text, const QString& key, const QStringList& body)
{
    QString block = key + "\r\n";
    for (const QString& line : body)
        block += line + "\r\n";
    block += "$END\r\n";
    const QRegularExpression re("(^|\\r\\n)" + QRegularExpression::escape(key)
                                + "\\r\\n(.*?\\r\\n)?\\$END\\r\\n",
                                QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(text);
    if (m.hasMatch())
        text.replace(m.capturedStart() + m.captured(1).size(),
                     m.capturedLength() - m.captured(1).size(), block);
    else
        text.replace("\r\n$DOMAIN\r\n", "\r\n" + block + "$DOMAIN\r\n");
}

void setControl(QString& text, const QString& key, const QString& value)
{
    text.replace(QRegularExpression("\\r\\n\\" + key + " [^\\r]*\\r\\n"),
                 "\r\n" + key + " " + value + "\r\n");
}

// Problem shapes: a one-dimensional grid of five points at 0, 0.25, ..., 1 along x or along y,
// and the plane mesh of four triangles around (0.5, 0.5).
enum class Shape { AlongX, AlongY, Plane };

// Swaps the two coordinates (and the normals) of every figure and grid point of the
// one-dimensional document, so that its grid runs along y.
QString alongY(const QString& text)
{
    QStringList lines = text.split("\r\n");
    QString block;
    for (QString& line : lines) {
        if (line.startsWith('$')) {
            block = line;
            continue;
        }
        QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (block == "$SEG_POINT" || block == "$GRID_POINT") {
            std::swap(f[0], f[1]);
            if (block == "$GRID_POINT")
                std::swap(f[5], f[6]);
        } else if (block == "$SEG_LINE") {
            std::swap(f[2], f[3]);
        } else {
            continue;
        }
        line = f.join("  ");
    }
    return lines.join("\r\n");
}

struct Symbols {
    QStringList variables{"u", "w"};
    QStringList subVariables{"s"};
    QStringList temporaries;
    QString input = "k";       // value 4
    QString constant = "c0";   // value 0.2
};

struct Sections {
    QStringList assume, subVariable, initial, equation, terminate;
};

// A compiled document and the engine built on its solver data file.
struct CompiledRun {
    QTemporaryDir folder;
    QStringList compileLog;
    QStringList listing;
    std::unique_ptr<RRazava> engine;
    MORVGlobalData* g = nullptr;

    CompiledRun(Shape shape, const Symbols& sym, const Sections& sec)
    {
        const QString scripts = QStringLiteral(MORV_TEST_DATA "/compiler/scripts/");
        QString text = readText(scripts + (shape == Shape::Plane ? "diffusion2d.MV3" : "heat1d.MV3"));
        if (shape == Shape::AlongY) {
            text = alongY(text);
            setControl(text, "$PARMX", "0,x");
            setControl(text, "$PARMY", "1,y");
        }
        auto attributes = [](const QStringList& names, const QString& tail) {
            QStringList out;
            for (const QString& n : names)
                out << n + tail;
            return out;
        };
        setBlock(text, "$VARATTR", attributes(sym.variables, ",0,"));
        setBlock(text, "$SUBVATTR", attributes(sym.subVariables, ",0,"));
        setBlock(text, "$TEMPATTR", attributes(sym.temporaries, ","));
        setBlock(text, "$INPATTR", {sym.input + ","});
        setBlock(text, "$INPDATA", {"1,0", "set", "  4.00000000000000E+00"});
        setBlock(text, "$LABELEDCONSTANT", {sym.constant + ",0.2,"});
        setBlock(text, "$ASSUME", sec.assume);
        setBlock(text, "$SUBVAR", sec.subVariable);
        setBlock(text, "$INITIAL", sec.initial);
        setBlock(text, "$DOMAIN", sec.equation);
        setBlock(text, "$TERMINATE", sec.terminate);
        QStringList definition{"%unknown   #------------------------", sym.variables.join(", "),
                               "%sub       #------------------------"};
        definition << sym.subVariables << "%temporary #------------------------" << sym.temporaries
                   << "%input     #------------------------" << sym.input
                   << "%constant  #------------------------" << sym.constant + " = 0.2";
        setBlock(text, "$DEFINESYMBOL", definition);

        const QString path = folder.filePath("doc.MV3");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return;
        f.write(text.toUtf8());
        f.close();
        RMORVDocument doc;
        if (doc.loadfile(path) != 0) {
            compileLog << "the document does not load";
            return;
        }
        doc.documentFolder = folder.path() + '/';
        doc.documentFileName = QStringLiteral("doc.MV3");
        doc.named = true;
        if (runCompile(doc, doc.scripts, compileLog) != 0)
            return;
        listing = doc.compileList;
        engine = std::make_unique<RRazava>("MORV", folder.filePath("doc.MVAT$").toStdString());
        g = engine->globalData();
    }

    bool ready() const { return engine && g->runStatus == 0; }
    std::string why() const
    {
        return engine ? engine->startupReason() : compileLog.join('\n').toStdString();
    }

    // The 0-based code offset of a statement of a section, from the compile list.
    int offsetOf(int section, const QString& statement) const
    {
        const QString group = QStringLiteral(" : ") + sectionLabels[section];
        bool inGroup = false;
        for (const QString& line : listing) {
            if (line.startsWith("* EQUATION GROUP"))
                inGroup = line.endsWith(group);
            const int at = line.indexOf(':');
            if (inGroup && line.contains('@') && at > 0 && line.mid(at + 3) == statement)
                return line.mid(line.indexOf('@') + 1, 6).toInt() - 1;
        }
        return -1;
    }

    int temporary(const QString& name, const Symbols& sym) const
    {
        return sym.temporaries.indexOf(name);
    }

    // Values of variable k (0 or 1) at grid coordinate s: u new 1 + 2s + 3s^2, old 1 + s;
    // w new 5 - s^2, old 0. dt 0.5 from t 1, so the evaluation time is 1.5.
    void setValues(bool alongYAxis)
    {
        const int n = g->variableCount;
        g->ALPHA = 1.0;
        g->DELT = 0.5;
        g->IPRN = 1;
        for (int p = 0; p < g->pointCount; ++p) {
            const double s = alongYAxis ? g->pointY[p] : g->pointX[p];
            const std::size_t b = static_cast<std::size_t>(p) * n;
            g->newValues[b] = 1 + 2 * s + 3 * s * s;
            g->oldValues[b] = 1 + s;
            g->newValues[b + 1] = 5 - s * s;
            g->oldValues[b + 1] = 0;
        }
    }

    // Evaluates one section at point p (the sub variables of p, its own residual vector). With
    // `markers` the operand record holds 10 k + 1 ... 10 k + 9 for variable k instead: value,
    // timeDerivative, ddx, ddy, d2dx2, d2dy2, d2dxdy, lowerValue, upperValue.
    void evaluate(int section, int p, std::vector<double>& residuals, bool markers = false)
    {
        const int n = g->variableCount, m = g->subVariableCount;
        double tTheta = 0;
        SPtTerm& t = engine->term;
        engine->prmval(p, n, &t, g->oldValues.data(), g->newValues.data(), 1.0, g->DELT,
                       g->ALPHA, tTheta);
        for (int k = 0; markers && k < n; ++k) {
            int marker = 10 * k;
            for (auto* v : {&t.value, &t.timeDerivative, &t.ddx, &t.ddy, &t.d2dx2, &t.d2dy2,
                            &t.d2dxdy, &t.lowerValue, &t.upperValue})
                (*v)[k] = ++marker;
        }
        REvalContext c;
        c.term = &engine->term;
        c.subValues = g->subValues.data() + static_cast<std::size_t>(p) * m;
        c.t = tTheta;
        c.dt = g->DELT;
        c.x = g->pointX[p];
        c.y = g->pointY[p];
        c.nx = g->normalX[p];
        c.ny = g->normalY[p];
        c.point = p;
        c.values = g->newValues.data();
        c.residuals = residuals.data();
        c.section = &engine->decoded[section];
        c.label = g->sectionLabel[section].c_str();
        engine->EvalEqu(c);
    }

    std::string log()
    {
        FlushFile(g->logFile);
        return readText(folder.filePath("doc.MVL3$")).toStdString();
    }
};

std::string mathErrorLine(const char* section, int pointer, const char* function)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, " ?  W0013  ? group:%s  , pointer:%08d, function:%s\r\n",
                  section, pointer, function);
    return buf;
}

// One temporary's statement "Tn = expression" of the EQUATION section and what it must hold
// after an evaluation at the middle point (coordinate 0.5, third point). A math error names the
// failing operation and the byte after it, counted from the statement's first byte.
struct Case {
    QString expression;
    double expected;
    const char* error = nullptr;
    int errorAt = 0;
};

// `a` is the grid's coordinate name. At s = 0.5: u = 2.75, w = 4.75, u[t] = 2.5, w[t] = 9.5;
// the three-point differences are exact on these quadratics.
std::vector<Case> oneDimensionalCases(const QString& a)
{
    const double pi = std::acos(-1.0);
    return {
        // Operand fetch, one kind each.
        {"7", 7},                       // literal
        {"T1*2", 14},                   // temporary
        {"t", 1.5},                     // time
        {a, 0.5},                       // coordinate
        {"k", 4},                       // input
        {"c0", 0.2},                    // labelled constant
        {"loc + 1", 4},                 // local variable
        {"s", 5.5},                     // sub variable
        {"u", 2.75},                    {"w", 4.75},
        {"u[t]", 2.5},                  {"w[t]", 9.5},
        {"u[" + a + "]", 5},            {"w[" + a + "]", -1},
        {"u[" + a + ",2]", 6},          {"w[" + a + ",2]", -2},
        {"u[" + a + ",0]", 4.25},       {"u[" + a + ",1]", 5.75},
        {"u[" + a + ",=]", 5},
        {"u[0]", 1.6875},               {"u[1]", 4.1875},          {"w[1]", 4.4375},
        // Operators and precedence.
        {"2 + 3*4^2 - 8/4", 48},
        {"2**0.5", std::sqrt(2.0)},
        {"(3 > 2) + (2 >= 3)*10 + (2 = 2)*100 + (3 <= 2)*1000 + (2 < 3)*10000", 10101},
        {"(2.4 ~ 2.2) + (2.4 ! 2.6)*10 + (2 <> 2)*100", 11},
        {"(1 & 0) + (0.2 | 0.3)", 0.5},
        {"-u + 1", -1.75},
        // Built-in calls.
        {"SQRT(16) + ABS(-2)", 6},
        {"MAX(1, u) + MIN(1, u)", 3.75},
        {"SIGN(3, -1) + MOD(7, 3)", -2},
        {"EXP(0) + LOG(1) + COS(0)", 2},
        {"ATAN2(1, 1)", pi / 4},
        {"SYSTEM(1)", 0.5},             // the step in use
        {"ATTRIBUTE(2)", 3},            // the point's number
        // Math errors: substitute, log line, count.
        {"3/(u-u)", 3e10, "/0", 14},
        {"(" + a + "-8.5)**0.5", 1e-5, "**", 12},
        {"SQRT(" + a + "-1)", 0, "SQRT", 9},
        {"LOG(" + a + "-0.5)", std::log(1e-10), "LOG", 9},
        {"ATTRIBUTE(9)", 0, "ATTRIBUTE", 6},
        // Results that are not finite: a function names itself, a value stored names what it
        // is; an infinity becomes 1e308 with its sign, a NaN 0.
        {"EXP(1000)", 1e308, "EXP", 6},
        {"COSH(-1000) + 1", 1e308 + 1, "COSH", 11},
        {"1E308*10", 1e308, "INF", 13},
        {"(0 - 1E200)^3", -1e308, "INF", 18},
        {"1E308*10 - 1E308*10", 0, "NAN", 23},
        {"EXP(-1000) + 1E-300*1E-300", 0},   // underflow is no error
    };
}

struct OneDimensional {
    Symbols sym;
    Sections sec;
    std::vector<Case> cases;
    QString a;

    explicit OneDimensional(Shape shape) : a(shape == Shape::AlongY ? "y" : "x")
    {
        cases = oneDimensionalCases(a);
        sec.equation << "loc = 3";
        for (std::size_t i = 0; i < cases.size(); ++i) {
            sym.temporaries << QString("T%1").arg(i + 1);
            sec.equation << QString("T%1 = %2").arg(i + 1).arg(cases[i].expression);
        }
        sym.temporaries << "B" << "G1" << "G2" << "G3" << "G4";
        sec.equation << "%IF: " + a + " < 0.3" << "  B = 1" << "%ELSEIF: " + a + " < 0.6"
                     << "  B = 2" << "%ELSE" << "  B = 3" << "%ENDIF";
        sec.equation << "%EQU: u - 1" << "%EQU: w[t]";
        sec.subVariable << "s = u*2";
        sec.initial << "%EQU: u - 1" << "%EQU: w";
        sec.assume << "u = 2*" + a << "w = u + 1";
        sec.terminate << "%PRINT: u" << "%TERMINATE: t >= 1" << "%GRID: 5" << "G1 = " + a
                      << "G2 = u" << "G3 = ATTRIBUTE(2)" << "%GRID: 0" << "G4 = " + a;
    }
};

void checkOneDimensional(Shape shape)
{
    OneDimensional d(shape);
    CompiledRun run(shape, d.sym, d.sec);
    ASSERT_TRUE(run.ready()) << run.why();
    MORVGlobalData& g = *run.g;
    ASSERT_EQ(g.pointCount, 5);
    ASSERT_EQ(g.dimension, 1);
    ASSERT_EQ(g.variableCount, 2);
    const std::vector<double>& coordinate = shape == Shape::AlongY ? g.pointY : g.pointX;
    for (int p = 0; p < 5; ++p)
        ASSERT_EQ(coordinate[p], 0.25 * p);
    run.setValues(shape == Shape::AlongY);
    std::vector<double> residuals(2, 0.0);

    // SUB VARIABLE stores the sub variable of the point.
    run.evaluate(SectionSubVariable, 2, residuals);
    EXPECT_EQ(g.subValues[2], 5.5);

    // EQUATION: the %IF/%ELSEIF/%ELSE block takes one branch per point; the middle point last.
    for (auto [p, branch] : {std::pair{0, 1.0}, {4, 3.0}, {3, 3.0}, {1, 1.0}, {2, 2.0}}) {
        g.mathErrorCount = 0;
        run.evaluate(SectionEquation, p, residuals);
        EXPECT_EQ(g.temporaries[d.sym.temporaries.indexOf("B")], branch) << p;
    }
    int errors = 0;
    std::string log = run.log();
    for (std::size_t i = 0; i < d.cases.size(); ++i) {
        const Case& c = d.cases[i];
        const double v = g.temporaries[i];
        EXPECT_NEAR(v, c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected)))
            << c.expression.toStdString();
        if (c.error) {
            ++errors;
            const QString statement = QString("T%1 = %2").arg(i + 1).arg(c.expression);
            const int at = run.offsetOf(SectionEquation, statement);
            ASSERT_GE(at, 0) << statement.toStdString();
            EXPECT_NE(log.find(mathErrorLine("equation ", at + c.errorAt, c.error)),
                      std::string::npos) << c.expression.toStdString() << "\n" << log;
        }
    }
    EXPECT_EQ(g.mathErrorCount, errors);
    // %EQU stores the residuals of the point.
    EXPECT_EQ(residuals[0], 1.75);
    EXPECT_EQ(residuals[1], 9.5);

    // ASSUME stores into the variables of the point; a later statement reads the stored value.
    run.evaluate(SectionAssume, 3, residuals);
    EXPECT_EQ(g.newValues[6], 1.5);
    EXPECT_EQ(g.newValues[7], 2.5);
    run.setValues(shape == Shape::AlongY);

    // TERMINATE: %PRINT, %TERMINATE, and %GRID to the last point and to a clamped point.
    g.mathErrorCount = 0;
    run.evaluate(SectionTerminate, 2, residuals);
    EXPECT_EQ(g.terminateValue, 1.0);
    const auto temporary = [&](const char* name) {
        return g.temporaries[d.sym.temporaries.indexOf(name)];
    };
    EXPECT_EQ(temporary("G1"), 1.0);
    EXPECT_EQ(temporary("G2"), 6.0);
    EXPECT_EQ(temporary("G3"), 5.0);
    EXPECT_EQ(temporary("G4"), 0.0);
    EXPECT_EQ(g.mathErrorCount, 1);
    log = run.log();
    EXPECT_NE(log.find("Group=terminate, Pointer=     5, Value=  2.7500000E+00\r\n"),
              std::string::npos) << log;
    const int clamp = run.offsetOf(SectionTerminate, "%GRID: 0");
    ASSERT_GE(clamp, 0);
    EXPECT_NE(log.find(mathErrorLine("terminate", clamp + 6, "%GRID")), std::string::npos) << log;
}

} // namespace

TEST(InterpreterCompiled, OneDimensionalAlongX)
{
    checkOneDimensional(Shape::AlongX);
}

TEST(InterpreterCompiled, OneDimensionalAlongY)
{
    checkOneDimensional(Shape::AlongY);
}

TEST(InterpreterCompiled, PlaneDerivativesReadTheirRecordEntries)
{
    // On the plane mesh each derivative form reads its own entry of the operand record: first
    // with marked entries, then with the entries the mesh's stencils give.
    struct Form {
        const char* text;
        double marker;
    } forms[] = {{"u", 1},      {"u[t]", 2},    {"u[x]", 3},    {"u[y]", 4},
                 {"u[x,2]", 5}, {"u[y,2]", 6},  {"u[x,y]", 7},  {"u[y,x]", 7},
                 {"w", 11},     {"w[x]", 13},   {"w[y]", 14},   {"w[x,y]", 17}};
    const int count = static_cast<int>(std::size(forms));
    Symbols sym;
    Sections sec;
    for (int i = 0; i < count; ++i) {
        sym.temporaries << QString("T%1").arg(i + 1);
        sec.equation << QString("T%1 = %2").arg(i + 1).arg(forms[i].text);
    }
    sym.temporaries << "px" << "py";
    sec.equation << "px = x" << "py = y" << "%EQU: u" << "%EQU: w";
    sec.initial << "%EQU: u" << "%EQU: w";
    CompiledRun run(Shape::Plane, sym, sec);
    ASSERT_TRUE(run.ready()) << run.why();
    MORVGlobalData& g = *run.g;
    ASSERT_EQ(g.dimension, 2);
    g.ALPHA = 1.0;
    g.DELT = 0.5;
    for (int p = 0; p < g.pointCount; ++p) {
        const double x = g.pointX[p], y = g.pointY[p];
        g.newValues[2 * p] = x * x + 3 * y * y + 5 * x * y + x + 2 * y;
        g.oldValues[2 * p] = 1;
        g.newValues[2 * p + 1] = g.oldValues[2 * p + 1] = 2 * x - y;
    }
    std::vector<double> residuals(2, 0.0);
    for (int p = 0; p < g.pointCount; ++p) {
        run.evaluate(SectionEquation, p, residuals, true);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(g.temporaries[i], forms[i].marker) << forms[i].text << " at " << p;
        EXPECT_EQ(g.temporaries[count], g.pointX[p]);
        EXPECT_EQ(g.temporaries[count + 1], g.pointY[p]);
        run.evaluate(SectionEquation, p, residuals);
        const SPtTerm& t = run.engine->term;
        const double entries[] = {t.value[0], t.timeDerivative[0], t.ddx[0], t.ddy[0],
                                  t.d2dx2[0], t.d2dy2[0], t.d2dxdy[0], t.d2dxdy[0],
                                  t.value[1], t.ddx[1], t.ddy[1], t.d2dxdy[1]};
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(g.temporaries[i], entries[i]) << forms[i].text << " at " << p;
        // Any stencil's weights differentiate a linear function exactly.
        EXPECT_NEAR(t.ddx[1], 2.0, 1e-12) << p;
        EXPECT_NEAR(t.ddy[1], -1.0, 1e-12) << p;
    }
}
