#pragma once
#include <QString>

struct pcre2_real_code_16;
struct pcre2_real_match_data_16;

// One compiled regular expression over UTF-16 text, matched directly on a QString's data.
// Always multi-line (^ and $ at every line); case-insensitive through the library's own flag
// unless case matters. A failed compile or match leaves isValid() false or returns Error.
class RPcre16 {
public:
    RPcre16(const QString& pattern, bool matchCase);
    ~RPcre16();
    RPcre16(const RPcre16&) = delete;
    RPcre16& operator=(const RPcre16&) = delete;

    bool isValid() const { return m_code != nullptr; }

    enum Result { Match, NoMatch, Error };
    // Searches `subject` from `start` (the text before it stays visible to anchors and
    // look-behind). On Match, `position` and `length` give the matched span.
    Result match(const QString& subject, qsizetype start, qsizetype& position,
        qsizetype& length) const;

private:
    pcre2_real_code_16* m_code = nullptr;
    pcre2_real_match_data_16* m_data = nullptr;
};
