// The statement compiler of RMORVCompile: one script section, statement by statement, into the
// section's code with its %IF blocks, compile-list entries and messages.

#include "compiler/RCompilerInternal.h"
#include "document/ByteCode.h"
#include "document/RByteCodePacking.h"
#include "document/RScanner.h"

#include <vector>

using namespace ByteCode;
using compiler_internal::addMessage;

namespace {

// An open jump whose 4-byte target is written when the block's %ENDIF is compiled.
struct OpenJump {
    int position;  // byte position of the target field
    int kind;      // 0 the %IF's conditional jump, 1 an %ELSEIF's, 2 a leading unconditional jump
};
constexpr int maxOpenJumps = 100;

void reserveTarget(RCodeSection& code)
{
    code.insert(code.end(), 4, 0);
}

bool atEnd(const QString& text, int pos)
{
    return pos < 0 || pos >= text.size();
}

} // namespace

void RMORVCompile::compile(int section, const QStringList& lines, const std::function<void(int)>& bar,
                           int base, double step)
{
    // Every name of the section is resolved against the same symbols: index them once.
    struct IndexScope {
        RMORVCompile& c;
        ~IndexScope() { c.symbolIndex.reset(); }
    } indexScope{*this};
    symbolIndex = compiler_internal::indexSymbols(*symbols);

    RCodeSection& out = code[section];
    compileEntries.clear();
    std::vector<OpenJump> blocks;
    int equations = 0;

    QString raw, compact;
    // Messages about a statement follow its raw text.
    auto report = [&](const QString& message) {
        if (messages)
            messages->append(raw);
        addMessage(*this, message);
    };
    auto reportExpression = [&](int err, const QString& text, int at) {
        if (err == ExprIllegalNumber) {
            QString number;
            int kind = 0;
            getToken(text, at, number, &kind);
            report(QStringLiteral("(E) Illegal number :") + number);
        } else if (err == ExprTooManySymbols) {
            report(QStringLiteral("(E) Too many symbols or constants"));
        } else {
            report(QStringLiteral("(E) Illegal equation (code:%1)").arg(err));
        }
    };
    // Translates text[pos..]; reports a failure and returns false.
    auto expression = [&](int pos) {
        int err = 0;
        const int at = fortran(section, compact, pos, err);
        if (err != ExprOk) {
            reportExpression(err, compact, at);
            return false;
        }
        return true;
    };
    // Position after a ":" at pos, or -1.
    auto colon = [&](int pos) {
        QString token;
        int kind = 0;
        const int next = getToken(compact, pos, token, &kind);
        return next >= 0 && token == QLatin1String(":") ? next : -1;
    };
    // Records an open jump; false (with the message) when the block stack is full.
    auto open = [&](int position, int kind) {
        if (static_cast<int>(blocks.size()) >= maxOpenJumps) {
            report(QStringLiteral("(E) Too deep %IF block"));
            return false;
        }
        blocks.push_back(OpenJump{position, kind});
        return true;
    };
    auto emitStore = [&](int kind, int index) {
        if (index > maxIndex) {
            report(QStringLiteral("(E) Too many symbols or constants"));
            return;
        }
        out.push_back(OpStore);
        out.push_back(static_cast<unsigned char>(kind));
        PutUWord(static_cast<unsigned short>(index), out);
    };

    int line = 0;
    for (;;) {
        const int first = line;
        const int next = getLine(lines, line, raw, compact);
        if (next < 0) {
            if (first < lines.size()) {
                // A continuation ran past the last line: the statement is incomplete.
                compileEntries.append(SCompileList{first, static_cast<int>(out.size()), raw});
                report(QStringLiteral("(E) Syntax error"));
            }
            break;
        }
        line = next;
        if (bar)
            bar(static_cast<int>(next * step + base));
        compileEntries.append(SCompileList{first, static_cast<int>(out.size()), raw});

        QString word;
        unsigned char wordClass = 0, kind = 0;
        int index = 0, argCount = 0;
        const int pos = getWord(compact, 0, word, wordClass, kind, index, argCount);
        if (pos < 0)
            continue; // blank or comment-only statement

        if (wordClass == 1) {
            switch (kind) {
            case KindTime: case KindX: case KindY: case KindInput: case KindConstantMark:
                report(QStringLiteral("(E) Invalid assignment :") + word);
                continue;
            case KindVariable:
                if (section != SectionAssume) {
                    report(QStringLiteral("(E) Invalid assignment :") + word);
                    continue;
                }
                break;
            case KindSubVariable:
                if (section != SectionSubVariable)
                    report(QStringLiteral("(W) Invalid assignment of Sub V. :") + word);
                break;
            case KindTemporary:
                break;
            case KindLocal: {
                // An assignment creates its local variable without a warning.
                bool isNew = false;
                index = compiler_internal::localPosition(*this, section, word, isNew);
                break;
            }
            default:
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            QString token;
            int tokenKind = 0;
            const int rhs = getToken(compact, pos, token, &tokenKind);
            if (rhs < 0 || tokenKind != TokEqual) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            if (expression(rhs))
                emitStore(kind, index);
            continue;
        }

        if (wordClass != 0 || word != QLatin1String("%")) {
            report(QStringLiteral("(E) Syntax error"));
            continue;
        }

        QString name;
        int nameKind = 0;
        const int after = getToken(compact, pos, name, &nameKind);
        name = name.toUpper();
        if (name == QLatin1String("IF")) {
            const int p = colon(after);
            if (p < 0) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            if (!expression(p))
                continue;
            out.push_back(OpJumpIfFalse);
            const int target = static_cast<int>(out.size());
            reserveTarget(out);
            if (!open(target, 0))
                return;
        } else if (name == QLatin1String("ELSEIF")) {
            out.push_back(OpJump);
            const int leading = static_cast<int>(out.size());
            reserveTarget(out);
            if (!open(leading, 2))
                return;
            const int p = colon(after);
            if (p < 0) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            if (!expression(p))
                continue;
            out.push_back(OpJumpIfFalse);
            const int target = static_cast<int>(out.size());
            reserveTarget(out);
            if (!open(target, 1))
                return;
        } else if (name == QLatin1String("ELSE")) {
            if (!atEnd(compact, after)) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            out.push_back(OpJump);
            const int leading = static_cast<int>(out.size());
            reserveTarget(out);
            if (!open(leading, 2))
                return;
        } else if (name == QLatin1String("ENDIF")) {
            if (!atEnd(compact, after)) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            // Leading jumps go to the end; each conditional jump goes to the first byte of the
            // following branch (just after the next leading jump's target), or to the end.
            const int end = static_cast<int>(out.size());
            int following = end;
            for (;;) {
                if (blocks.empty()) {
                    report(QStringLiteral("(E) %ELSE/%ELSEIF/%ENDIF without %IF"));
                    break;
                }
                const OpenJump jump = blocks.back();
                blocks.pop_back();
                if (jump.kind == 2) {
                    PutSInt(end, out, jump.position);
                    following = jump.position + 4;
                } else {
                    PutSInt(following, out, jump.position);
                    if (jump.kind == 0)
                        break;
                }
            }
        } else if (name == QLatin1String("EQU")) {
            if (section != SectionInitial && section != SectionEquation) {
                report(QStringLiteral("(E) Invalid %EQU"));
                continue;
            }
            const int p = colon(after);
            if (p < 0) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            const int n = ++equations;
            if (expression(p))
                emitStore(KindEquation, n);
        } else if (name == QLatin1String("PRINT")) {
            const int p = colon(after);
            if (p < 0) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            if (expression(p))
                out.push_back(OpPrint);
        } else if (name == QLatin1String("GRID") || name == QLatin1String("TERMINATE")) {
            const bool grid = name == QLatin1String("GRID");
            if (section != SectionTerminate) {
                report(grid ? QStringLiteral("(E) Invalid %GRID") : QStringLiteral("(E) Invalid %TERMINATE"));
                continue;
            }
            const int p = colon(after);
            if (p < 0) {
                report(QStringLiteral("(E) Syntax error"));
                continue;
            }
            if (expression(p)) {
                out.push_back(OpDirective);
                out.push_back(grid ? DirectiveGrid : DirectiveTerminate);
            }
        } else {
            report(QStringLiteral("(E) Syntax error"));
        }
    }

    if (!blocks.empty())
        addMessage(*this, QStringLiteral("(E) Unclosed %IF"));
    if ((section == SectionInitial || section == SectionEquation) && equations != control->variableCount)
        addMessage(*this,
                   QStringLiteral("(E) Number of equations is different from Number of unknown variables."));
}
