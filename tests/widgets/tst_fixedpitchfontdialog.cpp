// The script font: the face that draws the default family name, and the fixed-pitch font
// chooser's families and the style it opens on.
#include "widgets/RFixedPitchFontDialog.h"
#include "widgets/RScriptFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QListWidget>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

bool installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// The first stand-in for the default family that this machine has, or empty.
QString installedDefaultFace()
{
    for (const QString& face : defaultScriptFontFaces())
        if (installed(face))
            return face;
    return QString();
}

} // namespace

// Guards against editors drawing the default family with a proportional fallback (or with
// boxes): a stand-in face draws it while the name stays as the settings give it.
TEST(ScriptFont, DefaultFamilyIsDrawnWithAJapaneseGothicFace)
{
    const QString face = installedDefaultFace();
    if (face.isEmpty())
        GTEST_SKIP() << "no stand-in face installed (scripts/install-deps.sh installs one)";
    const QFont font = scriptFont(defaultScriptFontName(), 11);
    EXPECT_EQ(font.family(), defaultScriptFontName());
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_EQ(QFontInfo(font).family(), face);
    EXPECT_TRUE(isFixedPitchFamily(face));
    // Japanese letters come from the face itself.
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x30B4)));
}

TEST(ScriptFont, MissingFamilyFallsBackToTheSystemFixedFont)
{
    const QFont font = scriptFont(QStringLiteral("No Such Font Family 4711"), 13);
    EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(font.pointSize(), 13);
}

TEST(FixedPitchFontDialog, ListsFixedPitchFamiliesOnly)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    RFixedPitchFontDialog dialog(fixed);
    QStringList families;
    for (int i = 0; i < dialog.familyList->count(); ++i)
        families << dialog.familyList->item(i)->text();
    EXPECT_TRUE(families.contains(QFontInfo(fixed).family())) << families.join('|').toStdString();
    for (const QString& family : families)
        EXPECT_TRUE(isFixedPitchFamily(family)) << family.toStdString();
    const QString proportional = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    if (!isFixedPitchFamily(proportional))
        EXPECT_FALSE(families.contains(proportional)) << proportional.toStdString();
    const QString face = installedDefaultFace();
    if (!face.isEmpty())
        EXPECT_TRUE(families.contains(face)) << face.toStdString();
}

// Guards against the chooser opening on an oblique or bold style of the current family
// (a family whose first style is "Oblique", or a family name it does not list).
TEST(FixedPitchFontDialog, OpensOnTheCurrentFamilysRegularStyle)
{
    const struct {
        const char* name;
        QFont preset;
    } cases[] = {
        {"system fixed font", scriptFont(QStringLiteral("No Such Font Family 4711"), 12)},
        {"default family", scriptFont(defaultScriptFontName(), 10)},
    };
    for (const auto& c : cases) {
        RFixedPitchFontDialog dialog(c.preset);
        ASSERT_NE(dialog.familyList->currentItem(), nullptr) << c.name;
        const QString family = dialog.familyList->currentItem()->text();
        EXPECT_EQ(family, QFontInfo(c.preset).family()) << c.name;
        ASSERT_NE(dialog.styleList->currentItem(), nullptr) << c.name;
        const QString style = dialog.styleList->currentItem()->text();
        const QFont shown = QFontDatabase::font(family, style, 12);
        EXPECT_EQ(shown.style(), QFont::StyleNormal) << c.name << " " << style.toStdString();
        EXPECT_EQ(shown.weight(), QFont::Normal) << c.name << " " << style.toStdString();
        EXPECT_EQ(dialog.sizeBox->value(), c.preset.pointSize()) << c.name;
        const QFont chosen = dialog.selectedFont();
        EXPECT_EQ(chosen.family(), family) << c.name;
        EXPECT_EQ(chosen.pointSize(), c.preset.pointSize()) << c.name;
    }
}
