#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

// The compiler object: the holder of the compiled document. It owns the document's control
// data record, symbol table record and integral regions, and the state of the last compile
// (code sections, literal pool, local variable table, compile-list entries, counters).
// The translation itself lives in compiler/; this header only declares what it adds.
//
// Record arrays are containers whose size always equals the count that governs them
// (variable, sub-variable, temporary and input counts in SControlData; constant, output
// time and species counts in SSymbolTable); whoever changes a count replaces its arrays.

// Run control values of one document.
struct SControlData {
    int RESTART = 0;
    int IPRT = 2;
    int IPRN = 1;
    int IFIL = 1;
    int MISES = 1;
    int LMAX = 100;
    int PARMT = 0;
    int PARMX = 0;
    int PARMY = 0;
    int spaceDimension = 0;     // PARMX + PARMY after every load and reset
    int variableCount = 0;
    int subVariableCount = 0;
    int temporaryCount = 0;
    int localCount = 0;         // local variables of the last compile
    int inputCount = 0;
    int AUTODELT = 10;
    int METHOD = 0;
    int twoGrid = 0;            // 1 when a variable or sub variable has a non-zero cell attribute
    int FLOATINGERROR = 0;
    int FILEOUTTYPE = 0;
    double OMEGA = 1.0;
    double ALPHA = 1.0;
    double EPS = 1.0E-6;
    double DELP = 1.0E-8;
    double TSTART = 0.0;
    double DELT = 1.0;
    double TEND = 1000.0;
    double EPSDIF = 0.01;
};

// The document's symbols. The variable, sub-variable, temporary and input counts live in
// SControlData; the arrays here follow them.
struct SSymbolTable {
    int constantCount = 0;
    QList<int> variableAttributes;
    QList<int> subVariableAttributes;
    QStringList variableNames;
    QStringList subVariableNames;
    QStringList temporaryNames;
    QStringList inputNames;
    QStringList constantNames;
    QStringList variableComments;
    QStringList subVariableComments;
    QStringList temporaryComments;
    QStringList inputComments;
    QStringList constantComments;
    QString tName = QStringLiteral("t");
    QString xName = QStringLiteral("x");
    QString yName = QStringLiteral("y");
    QList<double> constantValues;
    // Output interval: positive gives output at its multiples; negative turns it off and
    // keeps the magnitude of the last interval entered.
    double TGRID_A = -1.0;
    QList<double> TGRID_B;
    int outputTimeCount = 0;
    int speciesCount = 0;
    QStringList speciesNames;
    int thermoFlag = 0;
    int transportFlag = 0;
};

// One named integral region. In INTEGRAL1 (lines) a negated node number marks the last node
// of a piece; in INTEGRAL2 (areas) the entries are vertex triples of triangles.
struct SIntegral {
    QString name;
    QList<int> list;
};

// One compiled statement.
struct SCompileList {
    int line = 0;          // 0-based index of the statement's first line in its section
    int codeOffset = 0;    // length of the section's code before the statement
    QString source;        // raw statement: its lines joined by CR LF, right-trimmed
};

class RMORVCompile {
public:
    RMORVCompile();
    ~RMORVCompile();
    RMORVCompile(const RMORVCompile&) = delete;
    RMORVCompile& operator=(const RMORVCompile&) = delete;

    // Nine characters each, index 0 ASSUME to 4 TERMINATE.
    std::array<QString, 5> sectionLabels;
    std::unique_ptr<SControlData> control;
    std::unique_ptr<SSymbolTable> symbols;
    // Byte code of each section, index 0 ASSUME to 4 TERMINATE.
    std::array<std::vector<unsigned char>, 5> code;
    int errorCount = 0;
    int warningCount = 0;
    QStringList* messages = nullptr;     // not owned; set by the compile run
    QList<SCompileList> compileEntries;  // statements of the section compiled last
    std::vector<double> literals;        // labelled constants first, then every literal
    QStringList locals;                  // keys "E%03d:" + name, in order of creation
    // The compiler's index of `locals`: each upper-cased key with the position of its first
    // entry, so that a name is found in constant time. Kept by the compiler, which indexes
    // `locals` anew whenever it was replaced or shortened elsewhere.
    struct LocalIndex {
        QHash<QString, int> positions;
        qsizetype covered = 0;                // entries of `locals` indexed
        const QString* storage = nullptr;     // locals.constData() when last indexed
    } localIndex;
    // While compile() runs: each symbol class's names, upper-cased, with the 1-based position of
    // their first entry, so that a name is resolved in constant time. The symbols do not change
    // during a compile; outside one the index is absent and the names are scanned.
    struct SymbolIndex {
        QHash<QString, int> variables, subVariables, inputs, temporaries, constants;
    };
    std::unique_ptr<SymbolIndex> symbolIndex;
    QList<SIntegral> INTEGRAL1;          // line regions
    QList<SIntegral> INTEGRAL2;          // area regions

    // Translation of the script, defined in compiler/ (morv_compiler).

    // Compiles one section's lines (section 0 ASSUME to 4 TERMINATE) onto the end of its code
    // section: compile-list entries, messages and counters as a side effect. bar, when set,
    // receives the progress position int(next line index * step + base) after each statement.
    void compile(int section, const QStringList& lines, const std::function<void(int)>& bar,
                 int base, double step);
    // Translates the expression text[pos..] into postfix code of the section. err is 0 or an
    // expression error code (ExpressionError); returns -1 after a complete expression, else the
    // position of the word at which it stopped.
    int fortran(int section, const QString& text, int pos, int& err);
    // Reads the word at pos and resolves it against the symbols; returns the position after it
    // (after a variable's bracket form, after a function's "("), or -1 at the end of the text.
    // wordClass: 0 punctuation, 1 operand (kind and 1-based index in its class), 31-46 an
    // operator, 51 a function followed by "(" (kind = function id, 0 when unknown; argCount
    // written only for a known function, -1 when it is not available here).
    int getWord(const QString& text, int pos, QString& word, unsigned char& wordClass,
                unsigned char& kind, int& index, int& argCount);
    // Finds the section's local variable (case-insensitive) or appends it; index is its
    // 1-based position. True when the variable is new.
    bool FindLocalVar(int section, const QString& name, unsigned short& index);
};

// Error codes of RMORVCompile::fortran. 1 to 9 and 12 are reported as "Illegal equation";
// the two above 100 have messages of their own.
enum ExpressionError : int {
    ExprOk = 0,
    ExprMisplacedWord = 1,       // operand/function/"(" after an operand, operator where an
                                 // operand is expected, unary sign after precedence >= 3
    ExprOperandInAssume = 2,     // bracket form or sub variable in ASSUME
    ExprStackFull = 3,           // operator stack (99) or the engine's operand stack (300) full
    ExprNoOpenParenthesis = 4,
    ExprUnclosedParenthesis = 5,
    ExprMissingOperand = 6,      // also an unknown function name
    ExprNotAvailable = 7,
    ExprArgumentCount = 8,
    ExprBadSpecialArgument = 9,
    ExprUnexpectedCharacter = 12,
    ExprIllegalNumber = 101,     // the number at the returned position does not convert
    ExprTooManySymbols = 102,    // an index or pool position above 65535
};
