#include "dialogs/RUpdatePageScan.h"

QString GetLatestVerString(const QString& pageSource)
{
    static const QString pattern = QStringLiteral("<a href=\"Resources/MORV3_Setup_");
    static const QString zip = QStringLiteral(".zip");
    QString result;
    qint64 best = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype match = pageSource.indexOf(pattern, from, Qt::CaseInsensitive);
        if (match < 0)
            break;
        const qsizetype numberStart = match + pattern.size();
        const qsizetype zipOffset = pageSource.mid(numberStart, 100).indexOf(zip, 0, Qt::CaseInsensitive);
        if (zipOffset < 0) {
            from = numberStart;
            continue;
        }
        const QString text = pageSource.mid(numberStart, zipOffset);
        bool digitsOnly = !text.isEmpty();
        for (QChar c : text)
            digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
        bool ok = false;
        const qint64 number = digitsOnly ? text.toLongLong(&ok) : 0;
        if (ok && number > best) {
            best = number;
            result = text;
        }
        from = numberStart + zipOffset;
    }
    return result;
}

namespace {

void unpack(int n, int& major, int& minor, int& release, int& build)
{
    major = n / 1000000;
    minor = n / 10000 - major * 100;
    release = n / 100 - (n / 10000) * 100;
    build = n % 100;
}

} // namespace

QString versionDotted(int packed)
{
    int a, b, c, d;
    unpack(packed, a, b, c, d);
    return QStringLiteral("%1.%2.%3.%4").arg(a).arg(b).arg(c).arg(d);
}

QString versionWithBuild(int packed)
{
    int a, b, c, d;
    unpack(packed, a, b, c, d);
    return QStringLiteral("%1.%2.%3(%4)").arg(a).arg(b).arg(c).arg(d, 2, 10, QLatin1Char('0'));
}

QString setupArchivePath(const QString& numberText)
{
    return QStringLiteral("Resources/MORV3_Setup_") + numberText + QStringLiteral(".zip");
}
