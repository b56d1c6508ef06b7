#include "results/TCrc32.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// CRC-32 bit by bit, without a table: the oracle the table-driven code is checked against.
std::uint32_t bitwiseCrc32(const QByteArray& bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes) {
        c ^= std::uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ ((c & 1u) ? 0xEDB88320u : 0u);
    }
    return ~c;
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + 7) & 0xFF);
    return bytes;
}

QList<int> codes(const QString& text)
{
    QList<int> out;
    for (QChar c : text)
        out << c.unicode();
    return out;
}

class Crc32File : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("data%1.bin").arg(++count));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
    int count = 0;
};

} // namespace

struct CrcCase {
    const char* name;
    QByteArray content;
    std::uint32_t crc;
};

TEST_F(Crc32File, KnownChecksumsOfWholeFiles)
{
    const CrcCase cases[] = {
        {"empty", QByteArray(), 0u},
        {"abc", QByteArray("abc"), 0x352441C2u},
        {"check string", QByteArray("123456789"), 0xCBF43926u},
        // Around the 1024-byte read: the last block full, empty or one byte long.
        {"1023 bytes", pattern(1023), bitwiseCrc32(pattern(1023))},
        {"1024 bytes", pattern(1024), bitwiseCrc32(pattern(1024))},
        {"1025 bytes", pattern(1025), bitwiseCrc32(pattern(1025))},
        {"2048 bytes", pattern(2048), bitwiseCrc32(pattern(2048))},
        {"3000 bytes", pattern(3000), bitwiseCrc32(pattern(3000))},
    };
    TCrc32 crc;
    for (const CrcCase& c : cases) {
        bool ok = false;
        EXPECT_EQ(crc.GetFileCRC32(write(c.content), &ok), c.crc) << c.name;
        EXPECT_TRUE(ok) << c.name;
    }
}

TEST_F(Crc32File, FileIdsOfEmptyAndAbcFiles)
{
    TCrc32 crc;
    bool ok = false;
    EXPECT_EQ(crc.GetFileCRC32Str(write(QByteArray()), &ok), QString());
    EXPECT_TRUE(ok);
    EXPECT_EQ(codes(crc.GetFileCRC32Str(write("abc"), &ok)), QList<int>({42, 110, 71, 71, 43}));
    EXPECT_EQ(crc.GetFileCRC32Str(write("abc")), QStringLiteral("*nGG+"));
}

TEST(Crc32FileId, Base94DigitsLeastSignificantFirst)
{
    struct {
        std::uint32_t crc;
        QString id;
    } cases[] = {
        {0u, QString()},
        {1u, QStringLiteral("!")},
        {93u, QStringLiteral("}")},
        {94u, QStringLiteral(" !")},            // digit 0 is a blank
        {94u * 94u * 2u + 12u, QStringLiteral(", \"")}, // digits 12, 0, 2: comma, blank, quote
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCrc32::fileId(c.crc), c.id) << c.crc;
    // The largest checksum takes all five digits.
    const QString largest = TCrc32::fileId(0xFFFFFFFFu);
    ASSERT_EQ(largest.size(), 5);
    std::uint64_t value = 0;
    for (qsizetype i = largest.size() - 1; i >= 0; --i) {
        EXPECT_GE(largest[i].unicode(), 32);
        EXPECT_LE(largest[i].unicode(), 125);
        value = value * 94 + (largest[i].unicode() - 32);
    }
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST(Crc32Update, ContinuesTheRunningValueOnlyWhenStored)
{
    TCrc32 crc;
    const QByteArray text("123456789");
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData());
    // A count of 0 or less gives the running value back.
    EXPECT_EQ(crc.update_crc(bytes, 0), 0u);
    EXPECT_EQ(crc.update_crc(bytes, -5), 0u);
    // Not stored: a second call starts from the same running value.
    EXPECT_EQ(crc.update_crc(bytes, 4), crc.update_crc(bytes, 4));
    // Stored after each block: the CRC of the blocks put together.
    for (int split : {1, 4, 8}) {
        crc.setRunningValue(0);
        crc.setRunningValue(crc.update_crc(bytes, split));
        EXPECT_EQ(crc.update_crc(bytes + split, 9 - split), 0xCBF43926u) << split;
    }
}

TEST_F(Crc32File, MissingFileFailsAndTheObjectStaysUsable)
{
    TCrc32 crc;
    bool ok = true;
    EXPECT_EQ(crc.GetFileCRC32Str(dir.filePath(QStringLiteral("none.MVO3")), &ok), QString());
    EXPECT_FALSE(ok);
    EXPECT_EQ(crc.GetFileCRC32(write("abc"), &ok), 0x352441C2u);
    EXPECT_TRUE(ok);
    // The running value of one file never leaks into the next.
    EXPECT_EQ(crc.GetFileCRC32(write("123456789"), &ok), 0xCBF43926u);
}
