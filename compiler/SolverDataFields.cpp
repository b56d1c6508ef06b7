#include "compiler/SolverDataFields.h"
#include "document/RNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace SolverDataFields {

QByteArray real(double value)
{
    char buf[40];
    QByteArray text;
    if (std::isfinite(value)) {
        text = QByteArray(buf, writeScientific14(buf, value));
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

int formatSeparatedReal(char* buffer, double value)
{
    char text[40];
    int length = 0;
    if (std::isfinite(value)) {
        length = writeScientific14(text, value);
    } else {
        const char* word = std::isnan(value) ? (std::signbit(value) ? "-NAN" : "NAN")
                                             : (value < 0 ? "-INF" : "INF");
        length = int(std::strlen(word));
        std::memcpy(text, word, std::size_t(length));
    }
    return placeInField(buffer, text, length, 22);
}

int formatSeparatedInteger(char* buffer, long long value, int width)
{
    char text[24];
    const auto res = std::to_chars(text, text + sizeof text, value);
    return placeInField(buffer, text, int(res.ptr - text), width);
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
