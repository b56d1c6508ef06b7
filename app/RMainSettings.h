#pragma once
#include <QRect>
#include <QString>
#include <QtGlobal>

// The user's preferences of the main window, kept in QSettings("Vesko", "MORV3") under the
// value names below. Each group is read on its own and falls back to its defaults as a whole;
// reading never creates anything.
struct RMainSettings {
    static const QString DefaultFontName;   // the Japanese fixed-pitch family
    static constexpr int DefaultWidth = 735;
    static constexpr int DefaultHeight = 570;

    // "SignificantDigit"
    int significantDigits = 6;
    // "StartupWindow": 0 small, 1 large, 2 previous size; "WindowState": 0 normal,
    // 1 minimised, 2 maximised; "WindowLeft", "WindowTop", "WindowRight", "WindowBottom".
    int startupWindow = 2;
    int windowState = 0;
    QRect windowRect;   // left, top, right + 1 = "WindowRight", bottom + 1 = "WindowBottom"
    // "ResultBufferSize", in units of 1024 result rows.
    int resultBufferSize = 10000;
    // "FontName", "FontSize".
    QString fontName = DefaultFontName;
    int fontSize = 10;

    // Reads the four groups; `workArea` gives the fallback window rectangle, centred in it.
    void read(const QRect& workArea);
    void readSignificantDigits();
    void readWindow(const QRect& workArea);
    void readResultBufferSize();
    void readFont();

    // Writes a group; false when the settings cannot be written (the caller shows
    // "Registry error").
    bool writeWindow() const;
    bool writePreferences() const;

    // The row limit of the result buffers: the buffer size in units of 1024 rows, computed
    // without overflow and never below one row.
    qint64 resultBufferRows() const;
};
