#include "results/RResultLineReader.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {
constexpr std::size_t ReadChunk = 1 << 20;

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// from_chars takes a minus sign but no plus sign; one plus sign before the digits is allowed.
bool stripPlus(std::string_view& text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return false;
    }
    return !text.empty();
}
}

RResultLineReader::RResultLineReader(const QString& path) : m_file(path)
{
    m_open = m_file.open(QIODevice::ReadOnly);
    if (m_open)
        m_buffer.resize(ReadChunk);
}

// Moves the unread rest to the front and appends what the file gives; grows the buffer only
// for a line longer than it.
bool RResultLineReader::fill()
{
    if (m_eof)
        return false;
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2);
    const qint64 got = m_file.read(m_buffer.data() + m_end, qint64(m_buffer.size() - m_end));
    if (got < 0) {
        m_failed = true;
        m_eof = true;
        return false;
    }
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_end += std::size_t(got);
    return true;
}

bool RResultLineReader::readLine(std::string_view& line)
{
    if (!m_open)
        return false;
    std::size_t scan = m_begin;
    for (;;) {
        const char* base = m_buffer.data();
        std::size_t p = scan;
        while (p < m_end && base[p] != '\n' && base[p] != '\r')
            ++p;
        if (p < m_end) {
            // A CR at the very end of the buffer may be the first half of CR LF.
            if (base[p] == '\r' && p + 1 == m_end && !m_eof) {
                const std::size_t offset = p - m_begin;
                fill();
                scan = m_begin + offset;
                continue;
            }
            line = std::string_view(base + m_begin, p - m_begin);
            std::size_t next = p + 1;
            if (base[p] == '\r' && next < m_end && base[next] == '\n')
                ++next;
            m_begin = next;
            m_lineEnded = true;
            return true;
        }
        const std::size_t offset = p - m_begin;
        if (!fill()) {
            if (m_begin == m_end)
                return false;
            line = std::string_view(m_buffer.data() + m_begin, m_end - m_begin);
            m_begin = m_end;
            m_lineEnded = false;
            return true;
        }
        scan = m_begin + offset;
    }
}

bool RResultLineReader::atEnd()
{
    if (!m_open)
        return true;
    if (m_begin < m_end)
        return false;
    return !fill();
}

RResultFields::RResultFields(std::string_view line) : m_line(line) { skipBlanks(); }

void RResultFields::skipBlanks()
{
    while (m_pos < m_line.size() && isBlank(m_line[m_pos]))
        ++m_pos;
}

bool RResultFields::next(std::string_view& field)
{
    if (m_emptyLast) {
        m_emptyLast = false;
        field = std::string_view();
        return true;
    }
    const std::size_t n = m_line.size();
    if (m_pos >= n)
        return false;
    if (m_line[m_pos] == '"') {
        // A doubled quote inside stays in the item as it is; such an item is never a number.
        const std::size_t start = ++m_pos;
        while (m_pos < n) {
            if (m_line[m_pos] == '"') {
                if (m_pos + 1 < n && m_line[m_pos + 1] == '"') {
                    m_pos += 2;
                    continue;
                }
                break;
            }
            ++m_pos;
        }
        field = m_line.substr(start, m_pos - start);
        if (m_pos < n)
            ++m_pos;
    } else {
        const std::size_t start = m_pos;
        while (m_pos < n && !isBlank(m_line[m_pos]) && m_line[m_pos] != ',')
            ++m_pos;
        field = m_line.substr(start, m_pos - start);
    }
    skipBlanks();
    if (m_pos < n && m_line[m_pos] == ',') {
        if (m_pos + 1 == n)
            m_emptyLast = true;
        ++m_pos;
        skipBlanks();
    }
    return true;
}

bool resultToInt(std::string_view text, int& value)
{
    if (!stripPlus(text))
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool resultToDouble(std::string_view text, double& value)
{
    if (!stripPlus(text))
        return false;
    // from_chars also reads "inf" and "nan", which no run writes as a value.
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v,
        std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool isBlankLine(std::string_view line)
{
    for (char c : line)
        if (!isBlank(c))
            return false;
    return true;
}
