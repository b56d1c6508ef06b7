// Find and replace of RExtraMemo: plain, whole-word and regular-expression matching.
#include "widgets/RExtraMemo.h"

#include "widgets/RPcre16.h"
#include "widgets/RUserInterface.h"
#include "document/RScanner.h"

#include <memory>

// The search state of one EMReplace call.
class RExtraMemoSearch {
public:
    RExtraMemoSearch(RExtraMemo& memo, const QString& findText, bool matchCase, bool wholeWord)
        : m_memo(memo)
        , m_find(findText)
        , m_cs(matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive)
        , m_wholeWord(wholeWord)
    {
        if (memo.regexMode()) {
            m_regex = std::make_unique<RPcre16>(findText, matchCase);
            if (!m_regex->isValid())
                fail();
        }
    }

    // The first match at or after `from`; false when there is none or the expression failed.
    bool next(const QString& text, int from, int& position, int& length)
    {
        if (m_failed || from >= text.size())
            return false;
        if (m_wholeWord)
            return nextWord(text, from, position, length);
        if (m_regex) {
            qsizetype p = 0;
            qsizetype k = 0;
            switch (m_regex->match(text, from, p, k)) {
            case RPcre16::Match:
                position = static_cast<int>(p);
                length = static_cast<int>(k);
                return true;
            case RPcre16::NoMatch:
                return false;
            case RPcre16::Error:
                fail();
                return false;
            }
            return false;
        }
        if (m_find.isEmpty())
            return false;
        const qsizetype at = text.indexOf(m_find, from, m_cs);
        if (at < 0)
            return false;
        position = static_cast<int>(at);
        length = static_cast<int>(m_find.size());
        return true;
    }

private:
    bool nextWord(const QString& text, int from, int& position, int& length)
    {
        QString token;
        int kind = 0;
        int pos = from;
        for (;;) {
            const int after = getToken(text, pos, token, &kind);
            if (after < 0 || token.isEmpty())
                return false;
            if (m_regex) {
                qsizetype p = 0;
                qsizetype k = 0;
                const RPcre16::Result r = m_regex->match(token, 0, p, k);
                if (r == RPcre16::Error) {
                    fail();
                    return false;
                }
                if (r == RPcre16::Match && p == 0 && k == token.size()) {
                    position = pos;
                    length = static_cast<int>(token.size());
                    return true;
                }
            } else if (!m_find.isEmpty() && QString::compare(m_find, token, m_cs) == 0) {
                position = pos;
                length = static_cast<int>(token.size());
                return true;
            }
            pos = after;
        }
    }

    void fail()
    {
        if (!m_failed)
            showMessage(&m_memo, QStringLiteral("Error in regular expression."));
        m_failed = true;
    }

    RExtraMemo& m_memo;
    QString m_find;
    Qt::CaseSensitivity m_cs;
    bool m_wholeWord;
    std::unique_ptr<RPcre16> m_regex;
    bool m_failed = false;
};

int RExtraMemo::EMReplace(int mode, const QString& findText, const QString& replaceText,
    bool matchCase, bool wholeWord, bool all)
{
    const bool replacing = mode == 1;
    all = all && replacing;
    if (replacing && !canEdit()) {
        setFocus();
        return 0;
    }
    const QString before = all ? m_shadow : QString();
    const QString replacement = normalized(replaceText);
    int position = replacing ? selStart() : selStart() + selLength();
    int count = 0;

    RExtraMemoSearch search(*this, findText, matchCase, wholeWord);
    int m = 0;
    int k = 0;
    while (search.next(m_shadow, position, m, k)) {
        setSelection(m, k);
        ++count;
        if (!replacing)
            break;
        if (!all) {
            recordAndReplace(m, k, replacement);
            break;
        }
        replaceRange(m, k, replacement);
        position = m + static_cast<int>(replacement.size());
        // An empty match would be found again where the replacement ended: step over one
        // character (a surrogate pair as one) so the loop reaches the end of the text.
        if (k == 0 && position < m_shadow.size()) {
            const bool pair = m_shadow.at(position).isHighSurrogate()
                && position + 1 < m_shadow.size() && m_shadow.at(position + 1).isLowSurrogate();
            position += pair ? 2 : 1;
        } else if (k == 0) {
            break;
        }
        if (position >= m_shadow.size())
            break;
    }

    if (all) {
        m_ring.record(before, m_shadow, 0);
        if (count > 0)
            markUserChange();
        showMessage(this, QString::number(count) + QStringLiteral(" replaced."));
    } else if (count == 0) {
        showMessage(this, QStringLiteral("No match strings"));
    }
    setFocus();
    return count;
}
