// morv_headless resave IN OUT: load a document and save it as version 3.
#include "Commands.h"
#include "document/RMORVDocument.h"

#include <QFileInfo>
#include <cstdio>

int cmdResave(const QStringList& args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: morv_headless resave IN.MV3 OUT.MV3\n");
        return 64;
    }
    // Loading changes the current directory to the document's folder.
    const QString in = QFileInfo(args[0]).absoluteFilePath();
    const QString out = QFileInfo(args[1]).absoluteFilePath();
    RMORVDocument doc;
    const int read = doc.loadfile(in);
    if (read != 0) {
        std::fprintf(stderr, "can't read (code:%d)\n", read);
        return read;
    }
    const int written = doc.savefile(out);
    if (written != 0) {
        std::fprintf(stderr, "can't save (code:%d)\n", written);
        return 100 + written;
    }
    return 0;
}
