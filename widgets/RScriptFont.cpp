#include "widgets/RScriptFont.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>
#include <QFontMetricsF>

namespace {

bool isInstalled(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// Qt draws a family that is not installed with the first installed substitute it was given.
void registerDefaultFaces()
{
    static const bool registered = [] {
        if (!isInstalled(defaultScriptFontName()))
            QFont::insertSubstitutions(defaultScriptFontName(), defaultScriptFontFaces());
        return true;
    }();
    (void)registered;
}

} // namespace

QString defaultScriptFontName()
{
    return QStringLiteral("\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");
}

QStringList defaultScriptFontFaces()
{
    return {QStringLiteral("IPAGothic"), QStringLiteral("TakaoGothic"), QStringLiteral("Noto Sans Mono CJK JP")};
}

QFont scriptFont(const QString& fontName, int fontSize)
{
    registerDefaultFaces();
    bool drawable = !fontName.isEmpty() && isInstalled(fontName);
    if (!drawable && !fontName.isEmpty()) {
        const QStringList faces = QFont::substitutes(fontName);
        drawable = std::any_of(faces.cbegin(), faces.cend(), isInstalled);
    }
    QFont font = drawable ? QFont(fontName) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (fontSize > 0)
        font.setPointSize(fontSize);
    return font;
}

QFont gothicListFont()
{
    QFont font = scriptFont(defaultScriptFontName(), 0);
    font.setPixelSize(12);
    return font;
}

bool isFixedPitchFamily(const QString& family)
{
    if (QFontDatabase::isFixedPitch(family))
        return true;
    // "Family [Foundry]" when two foundries share a family name.
    const QString bare = family.section(QStringLiteral(" ["), 0, 0);
    QFont font(bare);
    font.setPointSize(12);
    if (QFontInfo(font).family().compare(bare, Qt::CaseInsensitive) != 0)
        return false;
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('M'));
    if (width <= 0)
        return false;
    for (const QChar c : QStringLiteral("il1.,:|WmM0_ "))
        if (!qFuzzyCompare(metrics.horizontalAdvance(c), width))
            return false;
    return true;
}
