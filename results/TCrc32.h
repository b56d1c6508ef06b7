#pragma once
#include <QString>
#include <cstdint>

// CRC-32 of a file (reflected polynomial 0xEDB88320, the checksum of zip and PNG) and the
// short printable file ID made from it. The plot description file carries the ID of the result
// data it describes, so a new run is recognised by a changed ID.
class TCrc32 {
public:
    TCrc32();

    // Fills the table; the running value is left as it is.
    void make_crc_table();
    // The CRC that continues the running value over count bytes. It is not stored: the
    // caller stores it when it wants to go on. A count of 0 or less gives the running value.
    std::uint32_t update_crc(const unsigned char* bytes, int count);

    // The CRC-32 of the whole file. ok (when given) is false when the file cannot be opened
    // or read; the result is then 0. The next call starts afresh either way.
    std::uint32_t GetFileCRC32(const QString& path, bool* ok = nullptr);
    // The file ID of the file: see fileId. ok as for GetFileCRC32; empty on failure.
    QString GetFileCRC32Str(const QString& path, bool* ok = nullptr);

    // The checksum in base 94, least significant digit first, digit d written as the
    // character d + 32 (blank to '}'); 0 gives the empty string, anything else 1 to 5
    // characters.
    static QString fileId(std::uint32_t crc);

    // Size of the blocks a file is read in.
    static constexpr int BlockSize = 1024;

    std::uint32_t runningValue() const { return running; }
    void setRunningValue(std::uint32_t value) { running = value; }

private:
    std::uint32_t crcTable[256];
    bool tableMade = false;
    std::uint32_t running = 0;
};
