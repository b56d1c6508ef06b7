#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>

// Files written on the old platform in its "ANSI" code page. Text that is valid UTF-8 is
// taken as UTF-8 (this platform's ANSI code page); any other text is decoded with the
// Windows code page that the old platform used for the user's locale.

// The iconv name of that code page: "CP932" for Japanese, "CP1251" for Cyrillic languages,
// ... and "CP1252" for a locale that names none.
QByteArray windowsCodePageFor(const QLocale& locale);

// Bytes in the ANSI code page of the given locale, as text. A byte order mark of UTF-8 is
// skipped; bytes that the code page does not define become U+FFFD. *replaced, when given,
// tells whether any did.
QString decodeAnsiText(const QByteArray& bytes, const QLocale& locale = QLocale::system(),
                       bool* replaced = nullptr);

// Well-formed UTF-8: no stray continuation byte, no overlong form, no surrogate, nothing
// above U+10FFFF, no sequence cut short. Exactly the bytes QString::fromUtf8 takes without a
// replacement character.
bool isValidUtf8(QByteArrayView bytes);
