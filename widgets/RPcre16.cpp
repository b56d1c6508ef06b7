#include "widgets/RPcre16.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

RPcre16::RPcre16(const QString& pattern, bool matchCase)
{
    uint32_t options = PCRE2_MULTILINE | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    if (!matchCase)
        options |= PCRE2_CASELESS;
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    m_code = pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.utf16()),
        static_cast<PCRE2_SIZE>(pattern.size()), options, &errorCode, &errorOffset, nullptr);
    if (m_code) {
        m_data = pcre2_match_data_create_from_pattern_16(m_code, nullptr);
        if (!m_data) {
            pcre2_code_free_16(m_code);
            m_code = nullptr;
        }
    }
}

RPcre16::~RPcre16()
{
    if (m_data)
        pcre2_match_data_free_16(m_data);
    if (m_code)
        pcre2_code_free_16(m_code);
}

RPcre16::Result RPcre16::match(const QString& subject, qsizetype start, qsizetype& position,
    qsizetype& length) const
{
    if (!m_code)
        return Error;
    if (start < 0 || start > subject.size())
        return NoMatch;
    const int rc = pcre2_match_16(m_code, reinterpret_cast<PCRE2_SPTR16>(subject.utf16()),
        static_cast<PCRE2_SIZE>(subject.size()), static_cast<PCRE2_SIZE>(start), 0, m_data,
        nullptr);
    if (rc == PCRE2_ERROR_NOMATCH)
        return NoMatch;
    if (rc < 0)
        return Error;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(m_data);
    // \K inside a look-ahead can report an end before the start; treat it as empty.
    position = static_cast<qsizetype>(ovector[0]);
    length = ovector[1] > ovector[0] ? static_cast<qsizetype>(ovector[1] - ovector[0]) : 0;
    return Match;
}
