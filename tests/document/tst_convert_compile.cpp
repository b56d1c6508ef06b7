// Converted old documents compile without errors or warnings.
#include "ConvertFixtures.h"
#include "compiler/RCompileRun.h"

TEST_F(OldFileTest, ConvertedFixturesCompileCleanly)
{
    RecordedMessages messages;
    for (const char* fixture : {"v2_rod.MV3", "v16_rod.MVS"}) {
        RMORVDocument doc;
        ASSERT_EQ(doc.loadfile(dataPath(QString::fromLatin1(fixture))), 0) << fixture;
        doc.documentFolder = dir.path() + '/';
        doc.documentFileName = QStringLiteral("converted.MV3");
        doc.named = true;
        QStringList log;
        EXPECT_EQ(runCompile(doc, doc.scripts, log), 0) << fixture << '\n'
                                                      << qPrintable(log.join('\n'));
        EXPECT_TRUE(log.contains("> 0 error(s), 0 warning(s)")) << fixture << '\n'
                                                               << qPrintable(log.join('\n'));
    }
}
