// Encodings of document files: UTF-8, and the old platform's code pages for ".MVS" files.
#include "ConvertFixtures.h"
#include "document/RAnsiCodePage.h"
#include "document/RDocumentLineReader.h"

#include <QTemporaryDir>

namespace {
const QString notUtf8Message = QStringLiteral(
    "This document contains bytes that are not UTF-8. They are shown as replacement characters "
    "and will be saved so.");
}

TEST(Encoding, CodePageOfTheUserLocale)
{
    struct Case { const char* locale; const char* codePage; };
    const Case cases[] = {
        {"ja_JP", "CP932"}, {"zh_CN", "CP936"}, {"zh_TW", "CP950"}, {"ko_KR", "CP949"},
        {"ru_RU", "CP1251"}, {"uk_UA", "CP1251"}, {"pl_PL", "CP1250"}, {"el_GR", "CP1253"},
        {"tr_TR", "CP1254"}, {"he_IL", "CP1255"}, {"ar_EG", "CP1256"}, {"lt_LT", "CP1257"},
        {"vi_VN", "CP1258"}, {"th_TH", "CP874"}, {"de_DE", "CP1252"}, {"C", "CP1252"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(windowsCodePageFor(QLocale(QString::fromLatin1(c.locale))),
                  QByteArray(c.codePage)) << c.locale;
}

TEST(Encoding, AnsiTextIsUtf8WhenValidElseTheLocaleCodePage)
{
    EXPECT_EQ(decodeAnsiText("caf\xC3\xA9", QLocale("ja_JP")), QString::fromUtf8("café"));
    EXPECT_EQ(decodeAnsiText("\xEF\xBB\xBFx", QLocale::c()), QString("x"));
    EXPECT_EQ(decodeAnsiText("caf\xE9", QLocale::c()), QString::fromUtf8("café"));
    EXPECT_EQ(decodeAnsiText("\xCF\xF0\xE8", QLocale("ru_RU")), QString::fromUtf8("При"));
    EXPECT_EQ(decodeAnsiText("\x93\xFA\x96\x7B", QLocale("ja_JP")), QString::fromUtf8("日本"));
    // A byte the code page leaves undefined becomes a replacement character.
    EXPECT_EQ(decodeAnsiText("a\x81z", QLocale::c()), QString::fromUtf8("a\uFFFDz"));
}

TEST(Encoding, OnlyTheExactMvsExtensionIsReadInTheAnsiCodePage)
{
    // Tests run in the C locale: the old platform's code page is then CP1252.
    QTemporaryDir dir;
    const QByteArray latin1 = "$MORV 03010000\r\n$DOMAIN\r\nx = 1 # caf\xE9\r\n$END\r\n";
    // A byte that is neither UTF-8 nor defined in CP1252.
    const QByteArray undefined = "$MORV 03010000\r\n$DOMAIN\r\na\x81z\r\n$END\r\n";
    struct Case { const char* name; QByteArray bytes; const char* line; bool replaced; };
    const Case cases[] = {
        {"a.MVS", latin1, "x = 1 # café", false},
        {"b.MVS", "\xEF\xBB\xBF$MORV 03010000\r\n$DOMAIN\r\n\xC3\xA9\r\n$END\r\n", "é", false},
        {"c.mvs", latin1, "x = 1 # caf\uFFFD", true},
        {"d.MV3", latin1, "x = 1 # caf\uFFFD", true},
        {"e.MVS", undefined, "a\uFFFDz", true},
        {"f.MV3", "$MORV 03010000\r\n$DOMAIN\r\ncaf\xC3\xA9\r\n$END\r\n", "café", false},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        writeBytes(path, c.bytes);
        RecordedMessages messages;
        RMORVDocument doc;
        ASSERT_EQ(doc.loadfile(path), 0) << c.name;
        EXPECT_EQ(doc.scripts[RMORVDocument::Equation], QStringList{QString::fromUtf8(c.line)})
            << c.name;
        EXPECT_EQ(messages.texts(), c.replaced ? QStringList{notUtf8Message} : QStringList())
            << c.name;
    }
}

// Bytes that were not UTF-8 became replacement characters on load without a word, and the
// next save wrote the replacements in their place.
TEST(Encoding, InvalidUtf8StillOpensAndTheUserIsToldOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("latin1.MV3");
    writeBytes(path, "$MORV 03010000\r\n$ASSUME\r\na = 1 # caf\xE9 \xFF\xFE end\r\n$END\r\n");
    RecordedMessages messages;
    RMORVDocument doc;
    ASSERT_EQ(doc.loadfile(path), 0);
    ASSERT_EQ(messages.seen.size(), 1u);
    EXPECT_EQ(messages.seen[0].first, MessageKind::Warning);
    EXPECT_EQ(messages.seen[0].second, notUtf8Message);
    EXPECT_EQ(doc.scripts[RMORVDocument::Assume],
              QStringList{QString::fromUtf8("a = 1 # caf\uFFFD \uFFFD\uFFFD end")});
    // The save writes what the user was told: the replacement characters.
    ASSERT_EQ(doc.savefile(dir.filePath("saved.MV3")), 0);
    EXPECT_TRUE(readBytes(dir.filePath("saved.MV3")).contains("caf\xEF\xBF\xBD "));
    // A load that fails tells nothing about the bytes: the document was not opened.
    messages.seen.clear();
    writeBytes(path, "$MORV 03010000\r\n$LMAX \xE9\r\n");
    EXPECT_EQ(doc.loadfile(path), 99);
    EXPECT_TRUE(messages.seen.empty());
}

TEST(Encoding, NonAsciiTextRoundTripsAsUtf8)
{
    QTemporaryDir dir;
    RMORVDocument doc;
    doc.scripts[RMORVDocument::Initial] = {QString::fromUtf8("温度 = 1 # Größe")};
    doc.inputData[0].label = QString::fromUtf8("начальный");
    doc.mesh->segments.resize(1);
    doc.mesh->points.resize(2);
    doc.mesh->segments[0].endPoint = 1;
    doc.mesh->segments[0].label = QString::fromUtf8("壁");
    ASSERT_EQ(doc.savefile(dir.filePath("u.MV3")), 0);
    EXPECT_TRUE(readBytes(dir.filePath("u.MV3")).contains("\xE5\xA3\x81"));
    RMORVDocument back;
    ASSERT_EQ(back.loadfile(dir.filePath("u.MV3")), 0);
    EXPECT_EQ(back.scripts[RMORVDocument::Initial], doc.scripts[RMORVDocument::Initial]);
    EXPECT_EQ(back.mesh->segments[0].label, doc.mesh->segments[0].label);
}

// A document read as its UTF-8 bytes gives the lines, character counts and skips that decoding
// the whole text first gives: line ends of every kind, plain ASCII, characters of two, three
// and four bytes, and byte-order marks, dropped at the very start of the text only.
TEST(DocumentLineReader, BytesReadLikeTheDecodedText)
{
    const QByteArray texts[] = {
        "",
        "one line",
        "a\r\nb\nc\rd\r\n",
        "a\n\n\r\n\rlast\n",
        "x = 1 / 2\r\n$END\r\n",
        "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\r\n\xF0\x9F\x98\x80 four\n$ mid line $ two\r\nend",
        "\xEF\xBB\xBF" "second mark\r\n\xEF\xBB\xBF" "at a line start\n\xEF\xBB\xBF",
        "no dollar here\r\nnor here",
    };
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        for (int skip = 0; skip < 2; ++skip) {
            RDocumentLineReader expected(QString::fromUtf8(text));
            RDocumentLineReader reader = RDocumentLineReader::fromValidUtf8("\xEF\xBB\xBF" + text, 3);
            EXPECT_EQ(reader.textSize(), expected.textSize());
            while (!expected.atEnd()) {
                ASSERT_FALSE(reader.atEnd());
                EXPECT_EQ(reader.linesLeft(), expected.linesLeft());
                if (skip) {
                    expected.skipUntil(u'$');
                    reader.skipUntil(u'$');
                    EXPECT_EQ(reader.atEnd(), expected.atEnd());
                }
                EXPECT_EQ(reader.readLine(), expected.readLine());
            }
            EXPECT_TRUE(reader.atEnd());
            EXPECT_EQ(reader.readLine(), QString());
        }
    }
}
