#pragma once
// Whole runs for the time-loop tests: a document declared and scripted in code, compiled into a
// throw-away folder the way Run > Compile does, run by the engine, and its result file, log and
// restart file read back.
#include "../compiler/CompilerFixture.h"
#include "SolverTestSupport.h"
#include "compiler/RCompileRun.h"
#include "document/ByteCode.h"
#include "document/RMORVDocument.h"
#include "solver/RRazava.h"

#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Variables of a problem without grid, with or without the time parameter.
inline Declarations variablesOnly(const QStringList& variables, bool time)
{
    Declarations d;
    d.variables = variables;
    d.t = time;
    return d;
}

struct LoopDocument {
    QTemporaryDir folder;
    RMORVDocument doc;

    explicit LoopDocument(const Declarations& d)
    {
        doc.documentFolder = folder.path() + '/';
        doc.documentFileName = QStringLiteral("run.MV3");
        doc.named = true;
        declare(*doc.compiler, d);
    }
    SControlData& control() { return *doc.compiler->control; }
    SSymbolTable& symbols() { return *doc.compiler->symbols; }
    void script(int section, const QStringList& lines) { doc.scripts[section] = lines; }
    // A run file of the document: path(".MVO3$").
    std::string path(const char* extension) const
    {
        return folder.filePath(QStringLiteral("run") + QLatin1String(extension)).toStdString();
    }
    std::string dataFile() const { return path(".MVAT$"); }
    QString documentPath() const { return folder.filePath(QStringLiteral("run.MV3")); }
    // Compiles and writes the solver data file; the compile log when it failed, else empty.
    std::string compile()
    {
        QStringList log;
        return runCompile(doc, doc.scripts, log) == 0 ? std::string()
                                                      : log.join('\n').toStdString();
    }
};

// c' = -c from c = 1 (ASSUME c = 1, INITIAL c - 1), steps of 0.1 from 0 to 1 with an output
// time after every step, no step-size check, fully implicit, iteration lines in the log.
inline std::unique_ptr<LoopDocument> decayDocument(const Declarations& declared = variablesOnly({"c"}, true))
{
    auto d = std::make_unique<LoopDocument>(declared);
    SControlData& c = d->control();
    c.DELT = 0.1;
    c.TSTART = 0;
    c.TEND = 1;
    c.ALPHA = 1;
    c.IPRT = 2;
    c.IPRN = 1;
    c.IFIL = 1;
    c.FILEOUTTYPE = 0;
    d->symbols().TGRID_A = 0.1;
    d->doc.adjustTimeStep = false;
    d->script(ByteCode::SectionAssume, {"c = 1"});
    d->script(ByteCode::SectionInitial, {"%EQU: c - 1"});
    d->script(ByteCode::SectionEquation, {"%EQU: c[t] + c"});
    return d;
}

// One output record: the sub-variable block (time and values) and the variable block.
struct ResultRecord {
    double subTime = 0;
    std::vector<double> subValues; // np*m
    double time = 0;
    std::vector<double> values;    // np*n
};

inline std::vector<double> numbersOf(const std::string& line)
{
    std::vector<double> v;
    std::istringstream in(line);
    double x = 0;
    while (in >> x)
        v.push_back(x);
    return v;
}

// The records of a one-grid result file of a run without a plane mesh (the header is skipped
// by its counts).
inline std::vector<ResultRecord> readRecords(const std::string& path)
{
    const std::vector<std::string> lines = splitLines(readAll(path));
    std::vector<ResultRecord> records;
    if (lines.empty())
        return records;
    std::vector<int> counts;
    {
        std::string first = lines[0];
        std::replace(first.begin(), first.end(), ',', ' ');
        for (double x : numbersOf(first))
            counts.push_back(int(x));
    }
    if (counts.size() < 5)
        return records;
    const int m = counts[3], np = counts[4];
    std::size_t k = 2 + (m > 0 ? 1 : 0) + std::size_t(np);
    auto block = [&](double& time, std::vector<double>& values) {
        time = numbersOf(lines[k++]).at(0);
        for (int p = 0; p < np; ++p)
            for (double x : numbersOf(lines[k++]))
                values.push_back(x);
    };
    while (k < lines.size()) {
        ResultRecord r;
        if (m > 0)
            block(r.subTime, r.subValues);
        block(r.time, r.values);
        records.push_back(r);
    }
    return records;
}

// Lines of the run log without its byte-order mark.
inline std::vector<std::string> readLog(const std::string& path)
{
    std::string text = readAll(path);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    return splitLines(text);
}

inline int countLinesStartingWith(const std::vector<std::string>& lines, const std::string& head)
{
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.rfind(head, 0) == 0; }));
}

// Time and values of a restart file.
struct RestartContent {
    double time = 0;
    std::vector<double> values;
};

inline RestartContent readRestart(const std::string& path)
{
    RestartContent r;
    const std::vector<std::string> lines = splitLines(readAll(path));
    if (lines.size() < 2)
        return r;
    std::string head = lines[0];
    const std::size_t comma = head.find(',');
    r.time = numbersOf(head.substr(comma + 1, head.find(',', comma + 1) - comma - 1)).at(0);
    for (std::size_t i = 2; i < lines.size(); ++i)
        for (double x : numbersOf(lines[i]))
            r.values.push_back(x);
    return r;
}

struct RunOutcome {
    int status = -1;
    int errors = 0;
    int warnings = 0;
};

// Builds the engine on the data file and runs it to its end in this thread; `before` may change
// the run state first.
inline RunOutcome runEngine(const std::string& dataFile,
                            const std::function<void(RRazava&)>& before = {})
{
    RRazava engine("MORV", dataFile);
    MORVGlobalData& g = *engine.globalData();
    if (g.runStatus != 0)
        return {g.runStatus, g.runErrorCount, g.runWarningCount};
    if (before)
        before(engine);
    engine.SolveEquation();
    return {g.runStatus, g.runErrorCount, g.runWarningCount};
}
