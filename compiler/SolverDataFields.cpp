#include "compiler/SolverDataFields.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace SolverDataFields {

QByteArray real(double value)
{
    char buf[64];
    QByteArray text;
    if (std::isfinite(value)) {
        // std::to_chars ignores the locale and rounds exactly like printf's %.14E.
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
        text = QByteArray(buf, int(res.ptr - buf)).toUpper();
    } else if (std::isnan(value)) {
        text = std::signbit(value) ? "-NAN" : "NAN";
    } else {
        text = value < 0 ? "-INF" : "INF";
    }
    return text.rightJustified(22, ' ');
}

QByteArray integer(long long value, int width)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return QByteArray(buf, int(res.ptr - buf)).rightJustified(width, ' ');
}

QByteArray separated(const QByteArray& text, int width)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.size() >= width)
        return ' ' + trimmed;
    return trimmed.rightJustified(width, ' ');
}

namespace {

// `text` right-aligned in `width` columns, or after one blank when it fills them.
int placeSeparated(char* buffer, const char* text, int length, int width)
{
    const int pad = length >= width ? 1 : width - length;
    std::memset(buffer, ' ', std::size_t(pad));
    std::memcpy(buffer + pad, text, std::size_t(length));
    return pad + length;
}

} // namespace

int formatSeparatedReal(char* buffer, double value)
{
    char text[40];
    int length = 0;
    if (std::isfinite(value)) {
        const auto res = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 14);
        length = int(res.ptr - text);
        for (int i = 0; i < length; ++i)
            if (text[i] == 'e')
                text[i] = 'E';
    } else {
        const char* word = std::isnan(value) ? (std::signbit(value) ? "-NAN" : "NAN")
                                             : (value < 0 ? "-INF" : "INF");
        length = int(std::strlen(word));
        std::memcpy(text, word, std::size_t(length));
    }
    return placeSeparated(buffer, text, length, 22);
}

int formatSeparatedInteger(char* buffer, long long value, int width)
{
    char text[24];
    const auto res = std::to_chars(text, text + sizeof text, value);
    return placeSeparated(buffer, text, int(res.ptr - text), width);
}

void ValueRun::add(const char* field, int length)
{
    m_out.append(field, length);
    if (++m_onLine == m_perLine) {
        m_out += kEol;
        m_onLine = 0;
    }
}

void ValueRun::add(const QByteArray& field)
{
    m_out += field;
    if (++m_onLine == m_perLine) {
        m_out += kEol;
        m_onLine = 0;
    }
}

void ValueRun::finish()
{
    if (m_onLine > 0)
        m_out += kEol;
    m_onLine = 0;
}

} // namespace SolverDataFields
