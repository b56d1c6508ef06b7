#include "document/RCommaText.h"

#include <utility>

namespace {
bool needsQuotes(const QString& field)
{
    for (QChar c : field)
        if (isBlankOrControl(c) || c == u'"' || c == u',')
            return true;
    return false;
}
}

QString commaTextField(const QString& field)
{
    if (!needsQuotes(field))
        return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString commaTextJoin(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        line += commaTextField(fields[i]);
    }
    return line;
}

namespace {
// Walks the fields of a line by the reading rules of splitFields: an unquoted field is handed
// to `plain` as a view into the line, a quoted one to `quoted` without its quotes.
template <typename Plain, typename Quoted>
void walkFields(QStringView line, bool commas, Plain plain, Quoted quoted)
{
    const qsizetype n = line.size();
    qsizetype p = 0;
    auto skipBlanks = [&] {
        while (p < n && isBlankOrControl(line[p]))
            ++p;
    };
    skipBlanks();
    while (p < n) {
        if (line[p] == u'"') {
            QString field;
            ++p;
            while (p < n) {
                if (line[p] == u'"') {
                    if (p + 1 < n && line[p + 1] == u'"') {
                        field += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += line[p++];
            }
            quoted(std::move(field));
        } else {
            const qsizetype start = p;
            while (p < n && !isBlankOrControl(line[p]) && !(commas && line[p] == u','))
                ++p;
            plain(line.mid(start, p - start));
        }
        skipBlanks();
        if (commas && p < n && line[p] == u',') {
            if (p + 1 == n)
                plain(QStringView());
            ++p;
            skipBlanks();
        }
    }
}
}

QStringList splitFields(const QString& line, bool commas)
{
    QStringList fields;
    walkFields(
        line, commas, [&](QStringView field) { fields.append(field.toString()); },
        [&](QString&& field) { fields.append(std::move(field)); });
    return fields;
}

bool commaSplitViews(QStringView line, FieldViews& fields)
{
    fields.clear();
    if (line.contains(u'"'))
        return false;
    walkFields(
        line, true, [&](QStringView field) { fields.append(field); }, [](QString&&) {});
    return true;
}

namespace {
// Where the text begins and ends without its leading and trailing blanks and control characters.
std::pair<qsizetype, qsizetype> blankTrimmedRange(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlankOrControl(text[b]))
        ++b;
    while (e > b && isBlankOrControl(text[e - 1]))
        --e;
    return {b, e};
}
}

QStringView trimBlanksView(QStringView text)
{
    const auto [b, e] = blankTrimmedRange(text);
    return text.mid(b, e - b);
}

QString trimBlanks(const QString& text)
{
    // mid shares the text itself when nothing is trimmed.
    const auto [b, e] = blankTrimmedRange(text);
    return text.mid(b, e - b);
}

QString trimRightBlanks(const QString& text)
{
    qsizetype e = text.size();
    while (e > 0 && isBlankOrControl(text[e - 1]))
        --e;
    return text.left(e);
}
