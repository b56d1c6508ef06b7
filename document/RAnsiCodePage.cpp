#include "document/RAnsiCodePage.h"

#include <cerrno>
#include <iconv.h>

QByteArray windowsCodePageFor(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::Japanese:
        return "CP932";
    case QLocale::Chinese: {
        const auto t = locale.territory();
        if (locale.script() == QLocale::TraditionalChineseScript || t == QLocale::Taiwan
            || t == QLocale::HongKong || t == QLocale::Macao)
            return "CP950";
        return "CP936";
    }
    case QLocale::Korean:
        return "CP949";
    case QLocale::Thai:
        return "CP874";
    case QLocale::Vietnamese:
        return "CP1258";
    case QLocale::Russian:
    case QLocale::Ukrainian:
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Macedonian:
    case QLocale::Kazakh:
    case QLocale::Kyrgyz:
    case QLocale::Tatar:
    case QLocale::Mongolian:
        return "CP1251";
    case QLocale::Serbian:
        return locale.script() == QLocale::LatinScript ? "CP1250" : "CP1251";
    case QLocale::Polish:
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::Hungarian:
    case QLocale::Slovenian:
    case QLocale::Croatian:
    case QLocale::Romanian:
    case QLocale::Albanian:
    case QLocale::Bosnian:
        return "CP1250";
    case QLocale::Greek:
        return "CP1253";
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
        return "CP1254";
    case QLocale::Hebrew:
        return "CP1255";
    case QLocale::Arabic:
    case QLocale::Persian:
    case QLocale::Urdu:
        return "CP1256";
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        return "CP1257";
    default:
        return "CP1252";
    }
}

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned c = p[i];
        int more = 0;
        unsigned lo = 0x80, hi = 0xBF;   // range of the first continuation byte
        if (c < 0x80) { ++i; continue; }
        else if (c >= 0xC2 && c <= 0xDF) more = 1;
        else if (c == 0xE0) { more = 2; lo = 0xA0; }
        else if (c >= 0xE1 && c <= 0xEC) more = 2;
        else if (c == 0xED) { more = 2; hi = 0x9F; }
        else if (c >= 0xEE && c <= 0xEF) more = 2;
        else if (c == 0xF0) { more = 3; lo = 0x90; }
        else if (c >= 0xF1 && c <= 0xF3) more = 3;
        else if (c == 0xF4) { more = 3; hi = 0x8F; }
        else return false;
        if (i + more >= n)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= more; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        i += more + 1;
    }
    return true;
}

namespace {

QString decodeWithIconv(const QByteArray& bytes, const QByteArray& codePage, bool& replaced)
{
    iconv_t cd = iconv_open("UTF-8", codePage.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    QByteArray out;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, o - buffer);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // An undefined byte, or a lead byte without its trail byte at the end.
            out.append("\xEF\xBF\xBD");
            replaced = true;
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return QString::fromUtf8(out);
}

}

QString decodeAnsiText(const QByteArray& bytes, const QLocale& locale, bool* replaced)
{
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (replaced)
        *replaced = false;
    if (isValidUtf8(body))
        return QString::fromUtf8(body);
    bool substituted = false;
    QString text = decodeWithIconv(body, windowsCodePageFor(locale), substituted);
    if (replaced)
        *replaced = substituted;
    return text;
}
