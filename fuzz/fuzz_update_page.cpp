// The update check's scan of the download page on any bytes, decoded as the network reply is.
#include "fuzz/FuzzSupport.h"

#include "dialogs/RUpdatePageScan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)fuzzScratchFolder();
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString number = GetLatestVerString(page);
    if (!number.isEmpty()) {
        (void)versionWithBuild(int(number.toLongLong()));
        (void)setupArchivePath(number);
    }
    return 0;
}
