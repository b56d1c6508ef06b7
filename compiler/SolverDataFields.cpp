#include "compiler/SolverDataFields.h"

#include <charconv>
#include <cmath>
#include <cstdio>

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
