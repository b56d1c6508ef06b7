#include "results/TCrc32.h"

#include <QFile>

TCrc32::TCrc32()
{
    make_crc_table();
    running = 0;
}

void TCrc32::make_crc_table()
{
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        crcTable[n] = c;
    }
    tableMade = true;
}

std::uint32_t TCrc32::update_crc(const unsigned char* bytes, int count)
{
    if (count <= 0)
        return running;
    if (!tableMade)
        make_crc_table();
    std::uint32_t c = ~running;
    for (int i = 0; i < count; ++i)
        c = (c >> 8) ^ crcTable[(c ^ bytes[i]) & 0xFFu];
    return ~c;
}

std::uint32_t TCrc32::GetFileCRC32(const QString& path, bool* ok)
{
    running = 0;
    if (ok)
        *ok = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    unsigned char buffer[BlockSize];
    for (;;) {
        const qint64 n = file.read(reinterpret_cast<char*>(buffer), BlockSize);
        if (n < 0) {
            running = 0;
            return 0;
        }
        if (n == 0)
            break;
        running = update_crc(buffer, int(n));
    }
    if (ok)
        *ok = true;
    return running;
}

QString TCrc32::GetFileCRC32Str(const QString& path, bool* ok)
{
    bool read = false;
    const std::uint32_t crc = GetFileCRC32(path, &read);
    if (ok)
        *ok = read;
    return read ? fileId(crc) : QString();
}

QString TCrc32::fileId(std::uint32_t crc)
{
    QString id;
    while (crc != 0) {
        id += QChar(char16_t(crc % 94 + 32));
        crc /= 94;
    }
    return id;
}
