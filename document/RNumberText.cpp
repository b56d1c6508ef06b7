#include "document/RNumberText.h"
#include "document/RCommaText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// Scientific form with 14 digits after the point, upper case, or INF/-INF/NAN.
QString scientific14(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    char buf[40];
    return QString::fromLatin1(buf, writeScientific14(buf, value));
}

}

QString formatReal22(double value)
{
    return scientific14(value).rightJustified(22, u' ');
}

QString formatIntWidth(int value, int width)
{
    return QString::number(value).rightJustified(width, u' ');
}

int writeScientific14(char* text, double value)
{
    // std::to_chars ignores the locale and rounds exactly like printf's %.14E.
    const auto r = std::to_chars(text, text + 32, value, std::chars_format::scientific, 14);
    const int length = int(r.ptr - text);
    for (int i = 0; i < length; ++i)
        if (text[i] == 'e')
            text[i] = 'E';
    return length;
}

int placeInField(char* buffer, const char* text, int length, int width)
{
    const int pad = length >= width ? 1 : width - length;
    std::memset(buffer, ' ', std::size_t(pad));
    std::memcpy(buffer + pad, text, std::size_t(length));
    return pad + length;
}

int writeFixedReal22(char* buffer, double value)
{
    char text[40];
    int length;
    if (std::isnan(value)) {
        std::memcpy(text, "NAN", 3);
        length = 3;
    } else if (std::isinf(value)) {
        length = value < 0 ? 4 : 3;
        std::memcpy(text, value < 0 ? "-INF" : "INF", std::size_t(length));
    } else {
        length = writeScientific14(text, value);
    }
    return placeInField(buffer, text, length, 22);
}

int writeFixedInt(char* buffer, int value, int width)
{
    char text[16];
    const auto r = std::to_chars(text, text + sizeof text, value);
    return placeInField(buffer, text, int(r.ptr - text), width);
}

QString fixedReal22(double value)
{
    char buffer[48];
    return QString::fromLatin1(buffer, writeFixedReal22(buffer, value));
}

QString fixedInt(int value, int width)
{
    char buffer[48];
    return QString::fromLatin1(buffer, writeFixedInt(buffer, value, width));
}

QString formatGeneral15(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return scientific14(value);
    if (value == 0.0)
        return QStringLiteral("0");
    // Round to 15 significant digits once, then lay the digits out.
    const QString sci = scientific14(value);   // [-]d.ddddddddddddddE[+-]xx
    const bool negative = sci.startsWith(u'-');
    const QString body = negative ? sci.mid(1) : sci;
    const qsizetype ePos = body.indexOf(u'E');
    QString digits = body.left(1) + body.mid(2, ePos - 2);
    const int exponent = body.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString text;
    if (exponent >= -5 && exponent <= 14) {
        if (exponent >= 0) {
            QString whole = digits.left(exponent + 1);
            const QString fraction = digits.mid(exponent + 1);
            while (whole.size() < exponent + 1)
                whole += u'0';
            text = fraction.isEmpty() ? whole : whole + u'.' + fraction;
        } else {
            text = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
        }
    } else {
        text = digits.left(1);
        if (digits.size() > 1)
            text += u'.' + digits.mid(1);
        text += u'E' + QString::number(exponent);
    }
    return negative ? u'-' + text : text;
}

bool parseReal(QStringView text, double& value)
{
    const QStringView t = trimBlanksView(text);
    qsizetype p = 0;
    bool negative = false;
    if (p < t.size() && (t[p] == u'+' || t[p] == u'-'))
        negative = t[p++] == u'-';
    const QStringView rest = t.mid(p);
    // digits [. digits] | . digits, then an optional exponent. "INF" and "NAN", which the
    // writer gives a value that is no number, are refused like any other word: no field of a
    // document may hold one.
    qsizetype q = 0;
    int mantissaDigits = 0;
    while (q < rest.size() && rest[q].unicode() >= '0' && rest[q].unicode() <= '9') { ++q; ++mantissaDigits; }
    if (q < rest.size() && rest[q] == u'.') {
        ++q;
        while (q < rest.size() && rest[q].unicode() >= '0' && rest[q].unicode() <= '9') { ++q; ++mantissaDigits; }
    }
    if (mantissaDigits == 0)
        return false;
    if (q < rest.size() && (rest[q] == u'E' || rest[q] == u'e')) {
        ++q;
        if (q < rest.size() && (rest[q] == u'+' || rest[q] == u'-'))
            ++q;
        int exponentDigits = 0;
        while (q < rest.size() && rest[q].unicode() >= '0' && rest[q].unicode() <= '9') { ++q; ++exponentDigits; }
        if (exponentDigits == 0)
            return false;
    }
    if (q != rest.size())
        return false;
    // Every character is now ASCII. A number as the files write it fits the buffer on the
    // stack; a longer one (many leading zeros, say) takes the heap.
    char small[64];
    std::string large;
    char* digits = small;
    if (rest.size() > qsizetype(sizeof small)) {
        large.resize(std::size_t(rest.size()));
        digits = large.data();
    }
    for (qsizetype i = 0; i < rest.size(); ++i)
        digits[i] = char(rest[i].unicode());
    // strtod in the C locale would depend on LC_NUMERIC; from_chars does not. Results below
    // the normal range (which from_chars may report as out of range) are still correct
    // values, so only a true overflow is refused.
    double v = 0.0;
    const auto r = std::from_chars(digits, digits + rest.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        bool ok = false;
        v = rest.toDouble(&ok);   // locale independent
        if (std::isinf(v))
            return false;
    } else if (r.ec != std::errc() || r.ptr != digits + rest.size()) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

bool parseInt(QStringView text, int& value)
{
    const QStringView t = trimBlanksView(text);
    qsizetype p = 0;
    const bool negative = p < t.size() && t[p] == u'-';
    if (p < t.size() && (t[p] == u'+' || t[p] == u'-'))
        ++p;
    if (p == t.size())
        return false;
    // Accumulated as a negative number, which reaches the int minimum; leading zeros of any
    // count are fine.
    long long v = 0;
    for (qsizetype q = p; q < t.size(); ++q) {
        const char16_t c = t[q].unicode();
        if (c < '0' || c > '9')
            return false;
        v = v * 10 - (c - '0');
        if (v < std::numeric_limits<int>::min())
            return false; // beyond the int range whatever the sign
    }
    if (!negative) {
        if (-v > std::numeric_limits<int>::max())
            return false;
        v = -v;
    }
    value = static_cast<int>(v);
    return true;
}
