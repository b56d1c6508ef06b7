// Broken version 2 and version 1.6 files: each is refused with its code, tells no
// completion, and leaves the open document as it was.
#include "ConvertFixtures.h"

#include <QDir>

TEST_F(OldFileTest, BrokenOldFilesAreRefusedAndTheOpenDocumentStays)
{
    struct Case { const char* what; QByteArray bytes; int code; };
    const QByteArray v2 = "$MORV 02000202\r\n";
    const QByteArray v16 = "$VERSION 19999\r\n";
    const Case cases[] = {
        {"2: bad integer", v2 + "$VARATTR\r\nu\r\n$END\r\n$LMAX ten\r\n", 99},
        {"2: bad real in output times", v2 + "$TGRID_B\r\n0.5\r\nlate\r\n$END\r\n", 99},
        {"2: blank line where a record begins", v2 + "$LMAX 5\r\n\r\n", 99},
        {"2: input values beyond the sets",
         v2 + "$INPATTR\r\na\r\n$END\r\n$INPDATA\r\n1,0\r\nset\r\n1 2\r\n$END\r\n", 99},
        {"2: segment to a missing point",
         v2 + "$SEG_POINT\r\n 0 0 0 0 1 0\r\n$END\r\n$SEG_LINE\r\n 0 1 0.5 0 0 1 1 0 0\r\n$END\r\n", 99},
        {"2: version below 2.0.2.2", "$MORV 02000201\r\n$LMAX 5\r\n", 8},
        {"1.6: unknown record", v16 + "$LMAX 5\r\n$TGRID 0.5\r\n", 7},
        {"1.6: lower-case keyword", v16 + "$lmax 5\r\n", 7},
        {"1.6: empty line after the last", v16 + "$LMAX 5\r\n\r\n", 99},
        {"1.6: blanks only", v16 + "  \t\r\n$LMAX 5\r\n", 99},
        {"1.6: value missing", v16 + "$LMAX\r\n", 99},
        {"1.6: bad real", v16 + "$TEND 1,5\r\n$DELT x\r\n", 99},
        {"1.6: parameter without name", v16 + "$PARMX 1\r\n", 99},
        {"1.6: variable without tolerance", v16 + "$VARATTR 1\r\nu\r\n", 99},
        {"1.6: variables cut short", v16 + "$VARATTR 2\r\nu 1e-3\r\n", 99},
        {"1.6: negative count", v16 + "$INPATTR -1\r\n", 99},
        {"1.6: negative set count", v16 + "$INPDATA -1 1\r\n", 99},
        {"1.6: input values beyond the sets",
         v16 + "$INPATTR 1\r\na\r\n$INPDATA 1 1\r\nset\r\n1 2\r\n", 99},
        {"1.6: negative interval count", v16 + "$PARMX 1 x\r\n$DIVX\r\n-1 0\r\n", 99},
        {"1.6: interval line with one field", v16 + "$PARMX 1 x\r\n$DIVX\r\n2 0\r\n4 1\r\n5\r\n", 99},
        {"1.6: chain cut short", v16 + "$PARMX 1 x\r\n$DIVX\r\n2 0\r\n4 1\r\n", 99},
        {"1.6: symbols cut short", v16 + "$INPATTR 2\r\na\r\n", 99},
        // Counts above the lines the file has left once sized arrays before any line was read.
        {"1.6: symbol count beyond the file", v16 + "$SUBVATTR,2000000000\r\nu\r\n", 99},
        {"1.6: interval count beyond the file",
         v16 + "$PARMX,1,x\r\n$DIVX\r\n2000000000,0\r\n1,1\r\n", 99},
        {"1.6: set count beyond the file",
         v16 + "$INPATTR,1\r\np\r\n$INPDATA,2000000000,1\r\nlabel\r\n", 99},
        {"1.6: value lines beyond the file", v16 + "$INPATTR 2\r\na\r\nb\r\n$INPDATA 1 1\r\nset\r\n1\r\n", 99},
        {"1.6: version too old", "$VERSION 10599\r\n$LMAX 5\r\n", 4},
        {"1.6: version too new", "$VERSION 20000\r\n$LMAX 5\r\n", 5},
    };
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(dataPath("full.MV3")), 0);
    doc.compileState = 0;
    const QByteArray before = doc.documentText();
    const QString cwd = QDir::currentPath();
    RecordedMessages messages;
    for (const Case& c : cases) {
        for (const char* name : {"old.MV3", "old.MVS"}) {
            EXPECT_EQ(load(doc, c.bytes, QString::fromLatin1(name)), c.code) << c.what << ' ' << name;
            EXPECT_EQ(doc.documentText(), before) << c.what;
            EXPECT_EQ(doc.compileState, 0) << c.what;
            EXPECT_EQ(doc.meshCheck1D, 0) << c.what;
        }
    }
    EXPECT_TRUE(messages.seen.empty());
    QDir::setCurrent(cwd);
}
