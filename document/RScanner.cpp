#include "document/RScanner.h"

namespace {

void trimRawEnd(QString& raw)
{
    int n = raw.size();
    while (n > 0 && raw.at(n - 1).unicode() <= 32)
        --n;
    raw.truncate(n);
}

// Length in UTF-16 units (1, or 2 for a surrogate pair) of the code point at pos when it is a
// letter or a decimal digit as the test asks, else 0. Letters and digits beyond the first
// 65536 code points come as surrogate pairs and must not be split.
template <typename Test>
int codePointLength(const QString& text, int pos, Test test)
{
    const int n = text.size();
    if (pos < 0 || pos >= n)
        return 0;
    const QChar c = text.at(pos);
    if (c.isHighSurrogate() && pos + 1 < n && text.at(pos + 1).isLowSurrogate())
        return test(QChar::surrogateToUcs4(c, text.at(pos + 1))) ? 2 : 0;
    return test(c.unicode()) ? 1 : 0;
}

int letterLength(const QString& text, int pos)
{
    return codePointLength(text, pos, [](char32_t u) { return QChar::isLetter(u); });
}

int digitLength(const QString& text, int pos)
{
    return codePointLength(text, pos, [](char32_t u) { return QChar::isDigit(u); });
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
    while (int len = digitLength(text, p))
        p += len;
    *kind = inFraction ? TokReal : TokInteger;
    if (p >= n)
        return p;
    const QChar c = text.at(p);
    if (isExponentLetter(c)) {
        if (inExponent || p == n - 1)
            return p;
        const QChar next = text.at(p + 1);
        if (digitLength(text, p + 1))
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
    if (const int first = letterLength(text, pos)) {
        end = pos + first;
        for (;;) {
            int len = letterLength(text, end);
            if (!len)
                len = digitLength(text, end);
            if (!len && end < n && text.at(end) == u'_')
                len = 1;
            if (!len)
                break;
            end += len;
        }
        *kind = TokIdentifier;
    } else if (digitLength(text, pos) || (c == u'.' && digitLength(text, pos + 1))) {
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
            // One character, also when it takes a surrogate pair.
            if (c.isHighSurrogate() && next.isLowSurrogate())
                end = pos + 2;
            break;
        }
    }
    token = text.mid(pos, end - pos);
    return end;
}
