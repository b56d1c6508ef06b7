// The expression translator of RMORVCompile: words of a compact statement resolved against the
// document's symbols, and expressions turned into postfix code for the operand stack machine.

#include "compiler/RCompilerInternal.h"
#include "document/ByteCode.h"
#include "document/RByteCodePacking.h"
#include "document/RScanner.h"

using namespace ByteCode;

namespace {

int findName(const QStringList& names, const QString& upperName)
{
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).toUpper() == upperName)
            return i + 1;
    return 0;
}

// findName through the compile's symbol index when there is one.
int findSymbol(const RMORVCompile& c, const QStringList& names,
               QHash<QString, int> RMORVCompile::SymbolIndex::*indexed, const QString& upperName)
{
    return c.symbolIndex ? ((*c.symbolIndex).*indexed).value(upperName, 0) : findName(names, upperName);
}

const FunctionInfo* findFunction(const QString& upperName)
{
    for (const FunctionInfo& f : functions)
        if (upperName == QLatin1String(f.name))
            return &f;
    return nullptr;
}

const FunctionInfo* functionById(int id)
{
    for (const FunctionInfo& f : functions)
        if (f.id == id)
            return &f;
    return nullptr;
}

const PropertyInfo* findProperty(const QString& upperName)
{
    for (const PropertyInfo& p : properties)
        if (upperName == QLatin1String(p.name))
            return &p;
    return nullptr;
}

// One entry of the translator's operator stack.
struct StackEntry {
    int code = 0;        // operator 31-46, parenthesisEntry or OpCall
    int precedence = 0;  // 0 for parentheses and functions
    int id = 0;          // function id
    int remaining = 0;   // arguments still to come, this one included
    int total = 0;       // arguments in all
};
constexpr int parenthesisEntry = 50;
constexpr int operatorStackSize = 99;

// Emits code into one section while tracking how deep the engine's operand stack gets.
class Emitter {
public:
    Emitter(RMORVCompile& c, int section) : m_c(c), m_code(c.code[section]) {}

    // Each returns 0 or an expression error code; nothing is emitted on error.
    int push(int kind, int index)
    {
        if (kindHasIndex(kind) && (index < 0 || index > maxIndex))
            return ExprTooManySymbols;
        if (!grow(1))
            return ExprStackFull;
        m_code.push_back(OpPush);
        m_code.push_back(static_cast<unsigned char>(kind));
        if (kindHasIndex(kind))
            PutUWord(static_cast<unsigned short>(index), m_code);
        return ExprOk;
    }
    int pushLiteral(double value)
    {
        m_c.literals.push_back(value);
        return push(KindLiteral, static_cast<int>(m_c.literals.size()));
    }
    void op(int code)
    {
        m_code.push_back(static_cast<unsigned char>(code));
        m_depth -= 1;
    }
    void call(int id, int popped)
    {
        m_code.push_back(OpCall);
        m_code.push_back(static_cast<unsigned char>(id));
        m_depth -= popped - 1;
    }

private:
    bool grow(int n)
    {
        m_depth += n;
        return m_depth <= operandStackSize;
    }
    RMORVCompile& m_c;
    RCodeSection& m_code;
    int m_depth = 0;
};

} // namespace

namespace compiler_internal {

namespace {

// Brings the index up to date with `locals`: anew when the list was replaced or shortened,
// else only the entries appended since.
void indexLocals(RMORVCompile& c, bool anew)
{
    RMORVCompile::LocalIndex& index = c.localIndex;
    if (anew || index.storage != c.locals.constData() || index.covered > c.locals.size()) {
        index.positions.clear();
        index.covered = 0;
    }
    for (; index.covered < c.locals.size(); ++index.covered) {
        const QString upper = c.locals.at(index.covered).toUpper();
        if (!index.positions.contains(upper)) // the first of equal keys is the one found
            index.positions.insert(upper, int(index.covered));
    }
    index.storage = c.locals.constData();
}

// Position (0-based) of the first entry equal to upperKey once upper-cased, or -1.
int findLocal(RMORVCompile& c, const QString& upperKey)
{
    indexLocals(c, false);
    auto it = c.localIndex.positions.constFind(upperKey);
    if (it != c.localIndex.positions.cend() && c.locals.at(*it).toUpper() == upperKey)
        return *it;
    if (it == c.localIndex.positions.cend())
        return -1;
    // An entry changed in place behind the index's back: index everything again.
    indexLocals(c, true);
    it = c.localIndex.positions.constFind(upperKey);
    return it == c.localIndex.positions.cend() ? -1 : *it;
}

} // namespace

int localPosition(RMORVCompile& c, int section, const QString& name, bool& isNew)
{
    const QString key = QStringLiteral("E%1:").arg(section, 3, 10, QLatin1Char('0')) + name;
    const QString upperKey = key.toUpper();
    const int found = findLocal(c, upperKey);
    if (found >= 0) {
        isNew = false;
        return found + 1;
    }
    c.locals.append(key);
    c.localIndex.positions.insert(upperKey, int(c.locals.size() - 1));
    c.localIndex.covered = c.locals.size();
    c.localIndex.storage = c.locals.constData();
    isNew = true;
    return int(c.locals.size());
}

std::unique_ptr<RMORVCompile::SymbolIndex> indexSymbols(const SSymbolTable& symbols)
{
    auto index = std::make_unique<RMORVCompile::SymbolIndex>();
    auto fill = [](QHash<QString, int>& positions, const QStringList& names) {
        positions.reserve(names.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString upper = names.at(i).toUpper();
            if (!positions.contains(upper)) // the first of equal names is the one found
                positions.insert(upper, int(i + 1));
        }
    };
    fill(index->variables, symbols.variableNames);
    fill(index->subVariables, symbols.subVariableNames);
    fill(index->inputs, symbols.inputNames);
    fill(index->temporaries, symbols.temporaryNames);
    fill(index->constants, symbols.constantNames);
    return index;
}

void addMessage(RMORVCompile& c, const QString& text)
{
    if (text.startsWith(QLatin1String("(W) ")))
        ++c.warningCount;
    else
        ++c.errorCount;
    if (c.messages)
        c.messages->append(text);
}

} // namespace compiler_internal

bool RMORVCompile::FindLocalVar(int section, const QString& name, unsigned short& index)
{
    bool isNew = false;
    index = static_cast<unsigned short>(compiler_internal::localPosition(*this, section, name, isNew));
    return isNew;
}

int RMORVCompile::getWord(const QString& text, int pos, QString& word, unsigned char& wordClass,
                          unsigned char& kind, int& index, int& argCount)
{
    word.clear();
    wordClass = 0;
    kind = 0;
    index = 0;
    QString token;
    int tokenKind = 0;
    int next = getToken(text, pos, token, &tokenKind);
    if (next < 0)
        return -1;
    word = token;
    switch (tokenKind) {
    case TokPlus: wordClass = OpAdd; return next;
    case TokMinus: wordClass = OpSub; return next;
    case TokTimes: wordClass = OpMul; return next;
    case TokDivide: wordClass = OpDiv; return next;
    case TokPower: wordClass = OpPow; return next;
    case TokCaret: wordClass = OpIPow; return next;
    case TokGreater: wordClass = OpGreater; return next;
    case TokGreaterEqual: wordClass = OpGreaterEqual; return next;
    case TokEqual: wordClass = OpEqual; return next;
    case TokLessEqual: wordClass = OpLessEqual; return next;
    case TokLess: wordClass = OpLess; return next;
    case TokTilde: wordClass = OpIntEqual; return next;
    case TokNotEqual: wordClass = OpNotEqual; return next;
    case TokBang: wordClass = OpIntNotEqual; return next;
    case TokInteger:
    case TokReal:
        wordClass = 1;
        kind = KindLiteral;
        return next;
    case TokIdentifier:
        break;
    default:
        if (token == QLatin1String("&"))
            wordClass = OpAnd;
        else if (token == QLatin1String("|"))
            wordClass = OpOr;
        return next;
    }

    const SControlData& cd = *control;
    const SSymbolTable& st = *symbols;
    const QString name = token.toUpper();
    wordClass = 1;
    if (cd.PARMT && name == st.tName.toUpper()) {
        kind = KindTime;
        return next;
    }
    if (cd.PARMX && name == st.xName.toUpper()) {
        kind = KindX;
        return next;
    }
    if (cd.PARMY && name == st.yName.toUpper()) {
        kind = KindY;
        return next;
    }
    if (int i = findSymbol(*this, st.variableNames, &RMORVCompile::SymbolIndex::variables, name)) {
        kind = KindVariable;
        index = i;
        // The bracket forms, first match wins.
        struct Form {
            QString text;
            OperandKind kind;
        };
        const QString x = st.xName, y = st.yName, t = st.tName;
        QList<Form> forms;
        if (cd.PARMX) {
            forms << Form{"[" + x + "]", KindDdx} << Form{"[" + x + ",2]", KindD2dx2};
            if (!cd.PARMY)
                forms << Form{"[" + x + ",0]", KindLowerDiffX} << Form{"[" + x + ",1]", KindUpperDiffX}
                      << Form{"[" + x + ",=]", KindCentralX} << Form{"[0]", KindLowerX}
                      << Form{"[1]", KindUpperX};
            else
                forms << Form{"[" + x + "," + y + "]", KindD2dxdy};
        }
        if (cd.PARMY) {
            forms << Form{"[" + y + "]", KindDdy} << Form{"[" + y + ",2]", KindD2dy2};
            if (!cd.PARMX)
                forms << Form{"[" + y + ",0]", KindLowerDiffY} << Form{"[" + y + ",1]", KindUpperDiffY}
                      << Form{"[" + y + ",=]", KindCentralY} << Form{"[0]", KindLowerY}
                      << Form{"[1]", KindUpperY};
            else
                forms << Form{"[" + y + "," + x + "]", KindD2dxdy};
        }
        if (cd.PARMT)
            forms << Form{"[" + t + "]", KindTimeDerivative};
        for (const Form& f : forms) {
            const QString here = text.mid(next, f.text.size());
            if (here.size() == f.text.size() && here.toUpper() == f.text.toUpper()) {
                word += here;
                kind = f.kind;
                return next + f.text.size();
            }
        }
        return next;
    }
    if (int i = findSymbol(*this, st.subVariableNames, &RMORVCompile::SymbolIndex::subVariables, name)) {
        kind = KindSubVariable;
        index = i;
        return next;
    }
    if (int i = findSymbol(*this, st.inputNames, &RMORVCompile::SymbolIndex::inputs, name)) {
        kind = KindInput;
        index = i;
        return next;
    }
    if (int i = findSymbol(*this, st.temporaryNames, &RMORVCompile::SymbolIndex::temporaries, name)) {
        kind = KindTemporary;
        index = i;
        return next;
    }
    if (int i = findSymbol(*this, st.constantNames, &RMORVCompile::SymbolIndex::constants, name)) {
        kind = KindConstantMark;
        index = i;
        return next;
    }
    if (next < text.size() && text.at(next) == u'(') {
        wordClass = OpCall;
        const FunctionInfo* f = findFunction(name);
        if (!f)
            return next + 1; // id 0: unknown
        kind = f->id;
        const int dimension = cd.PARMX + cd.PARMY;
        switch (f->scope) {
        case ScopeAlways: argCount = f->argCount; break;
        case ScopeOneDimensional: argCount = dimension == 1 ? f->argCount : -1; break;
        case ScopeTwoDimensional: argCount = dimension == 2 ? f->argCount : -1; break;
        case ScopeThermo: argCount = st.thermoFlag == 1 ? f->argCount : -1; break;
        }
        return next + 1;
    }
    kind = KindLocal;
    return next;
}

int RMORVCompile::fortran(int section, const QString& text, int pos, int& err)
{
    Emitter gen(*this, section);
    StackEntry stack[operatorStackSize];
    int sp = 0;
    bool expecting = true;
    err = ExprOk;
    auto fail = [&err](int code, int at) {
        err = code;
        return at;
    };
    // Pops and emits operators down to the nearest parenthesis or function entry.
    auto popOperators = [&]() {
        while (sp > 0 && stack[sp - 1].code != parenthesisEntry && stack[sp - 1].code != OpCall)
            gen.op(stack[--sp].code);
        return sp > 0;
    };

    for (;;) {
        const int start = pos;
        QString word;
        unsigned char wordClass = 0, kind = 0;
        int index = 0, argCount = 0;
        const int next = pos < 0 ? -1 : getWord(text, pos, word, wordClass, kind, index, argCount);

        if (next < 0) {
            if (expecting)
                return fail(ExprMissingOperand, start);
            while (sp > 0) {
                const StackEntry& e = stack[--sp];
                if (e.code == parenthesisEntry || e.code == OpCall)
                    return fail(ExprUnclosedParenthesis, start);
                gen.op(e.code);
            }
            return -1;
        }

        if (wordClass == 1) {
            if (!expecting)
                return fail(ExprMisplacedWord, start);
            int e = ExprOk;
            if (kind == KindConstantMark) {
                // The pool starts with the labelled constants, so the constant's own index.
                e = gen.push(KindLiteral, index);
            } else if (kind == KindLocal) {
                bool isNew = false;
                const int position = compiler_internal::localPosition(*this, section, word, isNew);
                if (isNew)
                    compiler_internal::addMessage(*this, QStringLiteral("(W) Refer undefined variable :") + word);
                e = gen.push(KindLocal, position);
            } else if (kind == KindLiteral) {
                QString number = word;
                number.replace(u'D', u'E').replace(u'd', u'E');
                bool ok = false;
                const double value = number.toDouble(&ok);
                if (!ok)
                    return fail(ExprIllegalNumber, start);
                e = gen.pushLiteral(value);
            } else {
                if (section == SectionAssume && kind > KindVariable)
                    return fail(ExprOperandInAssume, start);
                e = gen.push(kind, index);
            }
            if (e != ExprOk)
                return fail(e, start);
            expecting = false;
            pos = next;
            continue;
        }

        if (isOperator(wordClass)) {
            if (expecting) {
                if (wordClass != OpAdd && wordClass != OpSub)
                    return fail(ExprMisplacedWord, start);
                // A unary sign is 0 + a or 0 - a, allowed only where it cannot steal an operand
                // from a tighter operator: at the start or after "(", "," or precedence <= 2.
                if (sp > 0 && stack[sp - 1].precedence > 2)
                    return fail(ExprMisplacedWord, start);
                if (int e = gen.pushLiteral(0.0))
                    return fail(e, start);
            }
            const int precedence = operatorPrecedence(wordClass);
            while (sp > 0 && stack[sp - 1].precedence >= precedence)
                gen.op(stack[--sp].code);
            if (sp == operatorStackSize)
                return fail(ExprStackFull, start);
            stack[sp++] = StackEntry{wordClass, precedence, 0, 0, 0};
            expecting = true;
            pos = next;
            continue;
        }

        if (wordClass == OpCall) {
            if (!expecting)
                return fail(ExprMisplacedWord, start);
            if (sp == operatorStackSize)
                return fail(ExprStackFull, start);
            const int id = kind;
            StackEntry& entry = stack[sp++];
            entry = StackEntry{OpCall, 0, id, argCount, argCount};
            if (id == 0)
                return fail(ExprMissingOperand, start);
            if (argCount == -1)
                return fail(ExprNotAvailable, start);
            if (id == FnFILE) {
                const bool timeUsed = control->PARMT != 0;
                if (!((section == SectionEquation && timeUsed) || (section == SectionInitial && !timeUsed)))
                    return fail(ExprNotAvailable, start);
            }
            pos = next;
            expecting = true;
            const FunctionInfo* f = functionById(id);
            if (f->first == FirstVariable || f->first == FirstVariableAndRegion) {
                QString w;
                unsigned char c = 0, k = 0;
                int variable = 0, unused = 0;
                int p = getWord(text, pos, w, c, k, variable, unused);
                if (p < 0 || c != 1 || k != KindVariable)
                    return fail(ExprBadSpecialArgument, pos);
                const int cell = symbols->variableAttributes.value(variable - 1);
                if ((id == FnINTEGRALV && cell != 1) || (id == FnINTEGRALG && cell != 0))
                    return fail(ExprNotAvailable, pos);
                if (int e = gen.pushLiteral(variable))
                    return fail(e, pos);
                const int comma = p;
                p = getWord(text, comma, w, c, k, variable, unused);
                if (p < 0 || c != 0 || w != QLatin1String(","))
                    return fail(ExprBadSpecialArgument, comma);
                pos = p;
                if (f->first == FirstVariableAndRegion) {
                    QString token;
                    int tokenKind = 0;
                    p = getToken(text, pos, token, &tokenKind);
                    const QList<SIntegral>& regions = id == FnINTEGRAL1 ? INTEGRAL1 : INTEGRAL2;
                    int region = 0;
                    if (p >= 0 && tokenKind == TokIdentifier) {
                        for (int i = 0; i < regions.size() && !region; ++i)
                            if (regions.at(i).name.toUpper() == token.toUpper())
                                region = i + 1;
                    }
                    if (!region)
                        return fail(ExprBadSpecialArgument, pos);
                    if (int e = gen.pushLiteral(region))
                        return fail(e, pos);
                    pos = p;
                    expecting = false;
                }
                entry.remaining -= 1;
            } else if (f->first == FirstProperty) {
                QString token;
                int tokenKind = 0;
                int p = getToken(text, pos, token, &tokenKind);
                const PropertyInfo* property =
                    p >= 0 && tokenKind == TokIdentifier ? findProperty(token.toUpper()) : nullptr;
                if (!property)
                    return fail(ExprBadSpecialArgument, pos);
                if (property->needsTransport && symbols->transportFlag == 0)
                    return fail(ExprNotAvailable, pos);
                entry.remaining = entry.total = property->argCount(symbols->speciesCount);
                if (int e = gen.pushLiteral(property->code))
                    return fail(e, pos);
                QString w;
                unsigned char c = 0, k = 0;
                int unused = 0, unusedCount = 0;
                const int comma = p;
                p = getWord(text, comma, w, c, k, unused, unusedCount);
                if (p < 0 || c != 0 || w != QLatin1String(","))
                    return fail(ExprBadSpecialArgument, comma);
                pos = p;
                entry.remaining -= 1;
            }
            continue;
        }

        // Punctuation.
        if (word == QLatin1String("(")) {
            if (!expecting)
                return fail(ExprMisplacedWord, start);
            if (sp == operatorStackSize)
                return fail(ExprStackFull, start);
            stack[sp++] = StackEntry{parenthesisEntry, 0, 0, 1, 1};
            pos = next;
            continue;
        }
        if (word == QLatin1String(",")) {
            if (expecting)
                return fail(ExprMisplacedWord, start);
            if (!popOperators())
                return fail(ExprNoOpenParenthesis, start);
            StackEntry& top = stack[sp - 1];
            if (top.remaining < 2)
                return fail(ExprArgumentCount, start);
            top.remaining -= 1;
            expecting = true;
            pos = next;
            continue;
        }
        if (word == QLatin1String(")")) {
            if (expecting)
                return fail(ExprMisplacedWord, start);
            if (!popOperators())
                return fail(ExprNoOpenParenthesis, start);
            StackEntry top = stack[--sp];
            if (top.remaining != 1)
                return fail(ExprArgumentCount, start);
            if (top.code == OpCall) {
                int popped = top.total;
                if (top.id == FnCPROPERTY) {
                    // The interpreter finds the property code below the argument count.
                    if (int e = gen.pushLiteral(top.total))
                        return fail(e, start);
                    popped = top.total + 1;
                }
                gen.call(top.id, popped);
            }
            pos = next;
            continue;
        }
        return fail(ExprUnexpectedCharacter, start);
    }
}
