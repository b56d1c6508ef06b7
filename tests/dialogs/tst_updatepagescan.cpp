// The scan of the download page for the newest setup archive and the version texts.
#include "dialogs/RUpdatePageScan.h"

#include <gtest/gtest.h>

TEST(UpdatePageScan, FindsTheHighestArchive)
{
    struct Case {
        const char* what;
        QString page;
        QString latest;
    } cases[] = {
        {"no links", "<html><body>nothing</body></html>", ""},
        {"one link", R"(<a href="Resources/MORV3_Setup_03010006.zip">x</a>)", "03010006"},
        {"highest wherever it stands",
            R"(<a href="Resources/MORV3_Setup_03010006.zip">old</a><p><a href="Resources/MORV3_Setup_03020001.zip">new</a>
               <a href="Resources/MORV3_Setup_03010100.zip">mid</a>)", "03020001"},
        {"other case", R"(<A HREF="RESOURCES/morv3_setup_03050000.ZIP">)", "03050000"},
        {"first of equal numbers", R"(<a href="Resources/MORV3_Setup_3010000.zip"><a href="Resources/MORV3_Setup_03010000.zip">)", "3010000"},
        {"zero does not count", R"(<a href="Resources/MORV3_Setup_0.zip">)", ""},
        {"no .zip within reach is skipped",
            QString(R"(<a href="Resources/MORV3_Setup_03010006)") + QString(120, 'x') + R"(.zip"><a href="Resources/MORV3_Setup_03000001.zip">)",
            "03000001"},
        {"version text that is no number is skipped",
            R"(<a href="Resources/MORV3_Setup_latest.zip"><a href="Resources/MORV3_Setup_3.1.zip"><a href="Resources/MORV3_Setup_03000002.zip">)",
            "03000002"},
        {"a link to another path", R"(<a href="Other/MORV3_Setup_04000000.zip">)", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetLatestVerString(c.page), c.latest) << c.what;
}

TEST(UpdatePageScan, VersionTexts)
{
    EXPECT_EQ(versionDotted(3010006), "3.1.0.6");
    EXPECT_EQ(versionWithBuild(3010006), "3.1.0(06)");
    EXPECT_EQ(versionWithBuild(12345678), "12.34.56(78)");
    // A program without version information counts as 99999999.
    EXPECT_EQ(versionDotted(99999999), "99.99.99.99");
    EXPECT_EQ(setupArchivePath("03010006"), "Resources/MORV3_Setup_03010006.zip");
}
