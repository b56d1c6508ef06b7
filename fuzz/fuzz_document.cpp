// The document reader on any bytes: version 3 documents, and the conversions of version 2
// and version 1.6 documents. A version 1.6 document is read as the ".MVS" file it comes in
// (decoded from the old code page when it is not UTF-8), anything else as a ".MV3". A document
// that loads is written out again, as the next save would.
#include "fuzz/FuzzSupport.h"

#include "document/RMORVDocument.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzzScratchFolder();
    static const char version16[] = "$VERSION";
    const bool old = size >= sizeof version16 - 1
                     && std::memcmp(data, version16, sizeof version16 - 1) == 0;
    const QString path = folder + (old ? QStringLiteral("doc.MVS") : QStringLiteral("doc.MV3"));
    writeFuzzFile(path, data, size);
    RMORVDocument document;
    if (document.loadfile(path) == 0)
        (void)document.documentText();
    return 0;
}
