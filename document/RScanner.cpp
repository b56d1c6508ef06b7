#include "document/RScanner.h"

namespace {

void trimRawEnd(QString& raw)
{
    int n = raw.size();
    while (n > 0 && raw.at(n - 1).unicode() <= 32)
        --n;
    raw.truncate(n);
}

bool isExponentLetter(QChar c)
{
    return c == u'D' || c == u'E' || c == u'd' || c == u'e';
}

} // namespace

int getLine(const QStringList& lines, int i, QString& raw, QString& compact)
{
    raw.clear();
    compact.clear();
    if (i < 0 || i >= lines.size())
        return -1;
    for (;;) {
        const QString& line = lines.at(i);
        raw += line;
        raw += QStringLiteral("\r\n");
        for (QChar c : line) {
            if (c == u'#')
                break;
            if (c.isSpace())
                continue;
            compact += c;
        }
        ++i;
        if (compact.isEmpty() || !compact.endsWith(u'&'))
            break;
        compact.chop(1);
        if (i >= lines.size()) {
            trimRawEnd(raw);
            return -1;
        }
    }
    trimRawEnd(raw);
    return i;
}

int getNumber(const QString& text, int pos, int* kind, int inFraction, int inExponent)
{
    const int n = text.size();
    int p = pos;
    while (p < n && text.at(p).isDigit())
        ++p;
    *kind = inFraction ? TokReal : TokInteger;
    if (p >= n)
        return p;
    const QChar c = text.at(p);
    if (isExponentLetter(c)) {
        if (inExponent || p == n - 1)
            return p;
        const QChar next = text.at(p + 1);
        if (next.isDigit())
            return getNumber(text, p + 1, kind, 1, 1);
        if (next == u'+' || next == u'-') {
            if (p + 1 == n - 1)
                return p + 1; // the letter belongs to the number, the sign does not
            return getNumber(text, p + 2, kind, 1, 1);
        }
        return p;
    }
    if (c == u'.') {
        if (inFraction || inExponent || p == n - 1)
            return p + 1;
        return getNumber(text, p + 1, kind, 1, inExponent);
    }
    return p;
}

int getToken(const QString& text, int pos, QString& token, int* kind)
{
    token.clear();
    *kind = TokOther;
    const int n = text.size();
    if (pos < 0 || pos >= n)
        return -1;
    const QChar c = text.at(pos);
    const QChar next = pos + 1 < n ? text.at(pos + 1) : QChar();
    int end = pos + 1;
    if (c.isLetter()) {
        while (end < n && (text.at(end).isLetter() || text.at(end).isDigit() || text.at(end) == u'_'))
            ++end;
        *kind = TokIdentifier;
    } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
        end = getNumber(text, pos, kind, 0, 0);
    } else {
        switch (c.unicode()) {
        case u'+': *kind = TokPlus; break;
        case u'-': *kind = TokMinus; break;
        case u'*':
            if (next == u'*') { *kind = TokPower; end = pos + 2; }
            else *kind = TokTimes;
            break;
        case u'/': *kind = TokDivide; break;
        case u'^': *kind = TokCaret; break;
        case u'~': *kind = TokTilde; break;
        case u'!': *kind = TokBang; break;
        case u'<':
            if (next == u'=') { *kind = TokLessEqual; end = pos + 2; }
            else if (next == u'>') { *kind = TokNotEqual; end = pos + 2; }
            else *kind = TokLess;
            break;
        case u'=':
            if (next == u'>') { *kind = TokGreaterEqual; end = pos + 2; }
            else if (next == u'<') { *kind = TokLessEqual; end = pos + 2; }
            else *kind = TokEqual;
            break;
        case u'>':
            if (next == u'=') { *kind = TokGreaterEqual; end = pos + 2; }
            else if (next == u'<') { *kind = TokNotEqual; end = pos + 2; }
            else *kind = TokGreater;
            break;
        default:
            *kind = TokOther;
            break;
        }
    }
    token = text.mid(pos, end - pos);
    return end;
}
