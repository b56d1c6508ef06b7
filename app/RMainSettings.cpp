#include "app/RMainSettings.h"

#include "widgets/RScriptFont.h"

#include <QSettings>
#include <QVariant>

const QString RMainSettings::DefaultFontName = defaultScriptFontName();

namespace {

QSettings openSettings()
{
    return QSettings(QStringLiteral("Vesko"), QStringLiteral("MORV3"));
}

bool readInt(const QSettings& s, const char* name, int& value)
{
    const QVariant v = s.value(QLatin1String(name));
    if (!v.isValid())
        return false;
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok)
        value = n;
    return ok;
}

bool finish(QSettings& s)
{
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace

void RMainSettings::read(const QRect& workArea)
{
    readSignificantDigits();
    readWindow(workArea);
    readResultBufferSize();
    readFont();
}

void RMainSettings::readSignificantDigits()
{
    const QSettings s = openSettings();
    if (!readInt(s, "SignificantDigit", significantDigits))
        significantDigits = 6;
}

void RMainSettings::readWindow(const QRect& workArea)
{
    const QSettings s = openSettings();
    int startup = 0, state = 0, left = 0, top = 0, right = 0, bottom = 0;
    if (readInt(s, "StartupWindow", startup) && readInt(s, "WindowState", state)
        && readInt(s, "WindowLeft", left) && readInt(s, "WindowTop", top)
        && readInt(s, "WindowRight", right) && readInt(s, "WindowBottom", bottom)) {
        startupWindow = startup;
        windowState = state;
        windowRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        return;
    }
    startupWindow = 2;
    windowState = 0;
    const int l = (workArea.width() - DefaultWidth) / 2;
    const int t = (workArea.height() - DefaultHeight) / 2;
    windowRect = QRect(l, t, DefaultWidth, DefaultHeight);
}

void RMainSettings::readResultBufferSize()
{
    const QSettings s = openSettings();
    if (!readInt(s, "ResultBufferSize", resultBufferSize))
        resultBufferSize = 10000;
}

void RMainSettings::readFont()
{
    const QSettings s = openSettings();
    int size = 0;
    if (!readInt(s, "FontSize", size)) {
        fontName = DefaultFontName;
        fontSize = 10;
        return;
    }
    fontSize = size;
    fontName = s.value(QStringLiteral("FontName")).toString();
}

bool RMainSettings::writeWindow() const
{
    QSettings s = openSettings();
    s.setValue(QStringLiteral("StartupWindow"), startupWindow);
    s.setValue(QStringLiteral("WindowState"), windowState);
    s.setValue(QStringLiteral("WindowLeft"), windowRect.left());
    s.setValue(QStringLiteral("WindowTop"), windowRect.top());
    s.setValue(QStringLiteral("WindowRight"), windowRect.left() + windowRect.width());
    s.setValue(QStringLiteral("WindowBottom"), windowRect.top() + windowRect.height());
    return finish(s);
}

bool RMainSettings::writePreferences() const
{
    QSettings s = openSettings();
    s.setValue(QStringLiteral("ResultBufferSize"), resultBufferSize);
    s.setValue(QStringLiteral("FontName"), fontName);
    s.setValue(QStringLiteral("FontSize"), fontSize);
    s.setValue(QStringLiteral("SignificantDigit"), significantDigits);
    return finish(s);
}

qint64 RMainSettings::resultBufferRows() const
{
    return qMax<qint64>(1, static_cast<qint64>(resultBufferSize) * 1024);
}
