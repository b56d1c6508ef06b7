// Token readers and writers of the run files.
#include "solver/RFile.h"
#include "SolverTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

struct ScratchFile {
    QTemporaryDir dir;
    RFile file;
    explicit ScratchFile(const std::string& text)
    {
        file.name = dir.path().toStdString() + "/f.txt";
        writeAll(file.name, text);
        StartFile(file, RFileEncoding::ansi, Eio::read, false);
    }
};

} // namespace

TEST(RFileReaders, CommentCutCommasAndLineContinuation)
{
    ScratchFile s("1,2 / comment 3\r\n\r\n/ only a comment\r\n  7   8\r\n");
    int v = 0;
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 2);
    // Blank and comment-only lines give no item: the third read goes on to "7".
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 8);
    EXPECT_EQ(ReadOneInteger(s.file, v), 2);
    EXPECT_EQ(ReadOneInteger(s.file, v), 2); // stays at the end
}

TEST(RFileReaders, DExponentAndIntegerFailure)
{
    ScratchFile s("1.0D+02 1.0d+02 1.0D+02\r\n");
    double d = 0;
    EXPECT_EQ(ReadOneFloat(s.file, d), 0);
    EXPECT_EQ(d, 100.0);
    EXPECT_EQ(ReadOneFloat(s.file, d), 0);
    EXPECT_EQ(d, 100.0);
    int i = 0;
    EXPECT_EQ(ReadOneInteger(s.file, i), 1); // the item is consumed
    EXPECT_EQ(ReadOneInteger(s.file, i), 2);
}

TEST(RFileReaders, EmptyItemsAndLineFeed)
{
    ScratchFile s("3,,4\r\n5 6 7\r\n8\r\n");
    int v = 0;
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(ReadOneInteger(s.file, v), 1); // the empty middle item
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 4);
    DoLineFeed(s.file); // after the last item: harmless
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 5);
    DoLineFeed(s.file); // skips 6 and 7
    EXPECT_EQ(ReadOneInteger(s.file, v), 0);
    EXPECT_EQ(v, 8);
    EndFile(s.file);
    EndFile(s.file); // a closed file is left alone
    EXPECT_FALSE(s.file.isOpen());
}

TEST(RFileReaders, ByteCodeValueKeepsLowBits)
{
    ScratchFile s(" 001 255 300\r\n");
    unsigned char b = 0;
    int raw = 0;
    EXPECT_EQ(ReadOneMCode(s.file, b), 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(ReadOneMCode(s.file, b), 0);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(ReadOneMCode(s.file, b, &raw), 0);
    EXPECT_EQ(b, 300 & 0xFF);
    EXPECT_EQ(raw, 300);
}

TEST(RFileReaders, CommaTextSplitting)
{
    struct Case {
        const char* line;
        std::vector<std::string> items;
    } cases[] = {
        {"3,,4", {"3", "", "4"}},
        {"3,", {"3", ""}},
        {"  a  b , c ", {"a", "b", "c"}},
        {",3", {"", "3"}},
        {"\"x, \"\"y\"\"\" z", {"x, \"y\"", "z"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitCommaText(c.line), c.items) << c.line;
}

TEST(RFileWriters, Utf8GetsByteOrderMarkAnsiDoesNot)
{
    QTemporaryDir dir;
    RFile f;
    f.name = dir.path().toStdString() + "/log.txt";
    StartFile(f, RFileEncoding::utf8, Eio::write, false);
    WriteLine(f, "a");
    StartFile(f, RFileEncoding::utf8, Eio::write, true); // reopening closes the open stream first
    WriteLine(f, "b");
    EndFile(f);
    EXPECT_EQ(readAll(f.name), "\xEF\xBB\xBF" "a\r\nb\r\n");
    StartFile(f, RFileEncoding::ansi, Eio::write, false);
    WriteLine(f, "c");
    EndFile(f);
    EXPECT_EQ(readAll(f.name), "c\r\n");
}

TEST(RFileWriters, NumberFormatsIgnoreLocaleAndFieldsNeverFuse)
{
    EXPECT_EQ(formatE(1.5, 22, 14), "  1.50000000000000E+00");
    EXPECT_EQ(formatE(-2.5e-7, 12, 4), " -2.5000E-07");
    EXPECT_EQ(formatE(0.000123, 12, 5, true), " 1.23000e-04");
    // A negative value with a three-digit exponent fills all 22 columns: it gets one blank more.
    EXPECT_EQ(formatField22(-1.25e100), " -1.25000000000000E+100");
    EXPECT_EQ(formatField22(1.25e100), " 1.25000000000000E+100");
    EXPECT_EQ(formatField22(-1.5), " -1.50000000000000E+00");
    double v = 0;
    EXPECT_TRUE(parseReal("-1.25000000000000E+100", v));
    EXPECT_EQ(v, -1.25e100);
    // Every run file refuses a value that is no finite number; an underflow reads as 0.
    EXPECT_TRUE(parseReal("1E-400", v));
    EXPECT_EQ(v, 0.0);
    v = 7;
    for (const char* bad : {"nan", "-nan", "NAN", "inf", "-inf", "Infinity", "1E400"})
        EXPECT_FALSE(parseReal(bad, v)) << bad;
    EXPECT_EQ(v, 7.0);
}

// The appending formatters write what printf writes for the same format, after what the
// string already holds; non-finite values read as the platform's upper-case words.
TEST(RFileWriters, AppendedNumbersMatchPrintf)
{
    const double reals[] = {0.0, -0.0, 1.5, -2.5e-7, 123456789.125, 9.99999999999999999e99,
                            -1.25e100, 1e-300, 4.9e-324, 1.7976931348623157e308, -0.1};
    const struct {
        int width, precision;
    } formats[] = {{22, 14}, {12, 4}, {15, 7}, {11, 4}, {0, 3}};
    for (double v : reals)
        for (const auto& f : formats) {
            char expected[80];
            std::snprintf(expected, sizeof expected, "%*.*E", f.width, f.precision, v);
            std::string s = "x";
            appendE(s, v, f.width, f.precision);
            EXPECT_EQ(s, std::string("x") + expected) << v;
        }
    const long long integers[] = {0, 7, -12, 1234, 12345, -12345, 2147483647LL, -9223372036854775807LL};
    for (long long v : integers)
        for (int width : {0, 4, 6}) {
            char expected[40];
            std::snprintf(expected, sizeof expected, "%*lld", width, v);
            std::string s = ",";
            appendInteger(s, v, width);
            EXPECT_EQ(s, std::string(",") + expected) << v;
        }
    std::string s;
    appendE(s, std::nan(""), 6, 2);
    appendE(s, -std::numeric_limits<double>::infinity(), 6, 2, true);
    EXPECT_EQ(s, "   NAN  -inf");
}

// Lines collected in a block reach the file whole and in order, also past the block's piece
// size, at the latest when the block is flushed.
TEST(RFileWriters, LineBlockWritesEveryLine)
{
    QTemporaryDir dir;
    RFile f;
    f.name = dir.path().toStdString() + "/block.txt";
    StartFile(f, RFileEncoding::ansi, Eio::write, false);
    std::string expected;
    {
        RLineBlock block(f);
        for (int i = 0; i < 100000; ++i) {
            const std::string line = std::to_string(i) + " of many lines of this listing";
            block.text() += line;
            block.endLine();
            expected += line + "\r\n";
        }
        block.flush();
        EXPECT_EQ(readAll(f.name), expected);
    }
    EndFile(f);
}

TEST(RFileErrors, MissingFileRaises)
{
    RFile f;
    f.name = "/nonexistent-folder-of-morv/x.txt";
    EXPECT_THROW(StartFile(f, RFileEncoding::ansi, Eio::read, false), RFileError);
    EXPECT_THROW(StartFile(f, RFileEncoding::ansi, Eio::write, false), RFileError);
}
