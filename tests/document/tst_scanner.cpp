#include "document/RScanner.h"

#include <gtest/gtest.h>

namespace {

struct TokenCase {
    const char* text;
    // Expected tokens and kinds, in order, until the text ends.
    std::vector<std::pair<QString, int>> tokens;
};

std::vector<std::pair<QString, int>> scanAll(const QString& text)
{
    std::vector<std::pair<QString, int>> out;
    int pos = 0;
    QString token;
    int kind = 0;
    while ((pos = getToken(text, pos, token, &kind)) != -1)
        out.emplace_back(token, kind);
    return out;
}

} // namespace

TEST(Scanner, TokensAndKinds)
{
    const TokenCase cases[] = {
        {"1.5E-3", {{"1.5E-3", TokReal}}},
        {"2d+4", {{"2d+4", TokReal}}},
        {".25", {{".25", TokReal}}},
        {"12", {{"12", TokInteger}}},
        {"12.", {{"12.", TokInteger}}},
        {"12.)", {{"12.", TokReal}, {")", TokOther}}},
        {"1.5.2", {{"1.5.", TokReal}, {"2", TokInteger}}},
        {"1e5.3", {{"1e5.", TokReal}, {"3", TokInteger}}},
        {"3E", {{"3", TokInteger}, {"E", TokIdentifier}}},
        {"3E+", {{"3E", TokInteger}, {"+", TokPlus}}},
        {"3E+x", {{"3E+", TokReal}, {"x", TokIdentifier}}},
        {"3EX", {{"3", TokInteger}, {"EX", TokIdentifier}}},
        {"=<", {{"=<", TokLessEqual}}},
        {"<=", {{"<=", TokLessEqual}}},
        {"==", {{"=", TokEqual}, {"=", TokEqual}}},
        {"=>>=", {{"=>", TokGreaterEqual}, {">=", TokGreaterEqual}}},
        {"<>><", {{"<>", TokNotEqual}, {"><", TokNotEqual}}},
        {"<a>b", {{"<", TokLess}, {"a", TokIdentifier}, {">", TokGreater}, {"b", TokIdentifier}}},
        {"a**b*c", {{"a", TokIdentifier}, {"**", TokPower}, {"b", TokIdentifier},
                    {"*", TokTimes}, {"c", TokIdentifier}}},
        {"+-/^~!", {{"+", TokPlus}, {"-", TokMinus}, {"/", TokDivide}, {"^", TokCaret},
                    {"~", TokTilde}, {"!", TokBang}}},
        {"_a1_", {{"_", TokOther}, {"a1_", TokIdentifier}}},
        {"1a", {{"1", TokInteger}, {"a", TokIdentifier}}},
        {"u[x,=]&|", {{"u", TokIdentifier}, {"[", TokOther}, {"x", TokIdentifier},
                      {",", TokOther}, {"=", TokEqual}, {"]", TokOther}, {"&", TokOther},
                      {"|", TokOther}}},
        {".a", {{".", TokOther}, {"a", TokIdentifier}}},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(scanAll(QString::fromUtf8(c.text)), c.tokens) << c.text;
}

TEST(Scanner, UnicodeLettersAndDigitsAreClassified)
{
    // Greek letters form identifiers; Arabic-Indic digits form numbers.
    EXPECT_EQ(scanAll(QString::fromUtf8("\u03b1\u03b2=\u0661\u0662")),
              (std::vector<std::pair<QString, int>>{
                  {QString::fromUtf8("\u03b1\u03b2"), TokIdentifier},
                  {"=", TokEqual},
                  {QString::fromUtf8("\u0661\u0662"), TokInteger}}));
}

// Regression: a letter or digit beyond the first 65536 code points (a surrogate pair) must stay
// whole inside a name instead of splitting it into stray characters.
TEST(Scanner, SurrogatePairsStayWhole)
{
    EXPECT_EQ(scanAll(QString::fromUtf8("\U0001D465\U0001D7D9_1+\U0001F600")),
              (std::vector<std::pair<QString, int>>{
                  {QString::fromUtf8("\U0001D465\U0001D7D9_1"), TokIdentifier},
                  {"+", TokPlus},
                  {QString::fromUtf8("\U0001F600"), TokOther}}));
}

TEST(Scanner, GetTokenAtOrPastEnd)
{
    QString token = "junk";
    int kind = 0;
    EXPECT_EQ(getToken("ab", 2, token, &kind), -1);
    EXPECT_TRUE(token.isEmpty());
    EXPECT_EQ(kind, TokOther);
    EXPECT_EQ(getToken("", 0, token, &kind), -1);
    EXPECT_EQ(getToken("ab", 1, token, &kind), 2);
    EXPECT_EQ(token, "b");
}

TEST(Scanner, GetLineStatements)
{
    struct Case {
        QStringList lines;
        int start;
        int next;
        QString raw;
        QString compact;
    };
    const Case cases[] = {
        {{"a=b+&", "c"}, 0, 2, "a=b+&\r\nc", "a=b+c"},
        {{"# only a comment", "a=1"}, 0, 1, "# only a comment", ""},
        {{"  A B = 1   ", "x"}, 0, 1, "  A B = 1", "AB=1"},
        {{"a=1 # c & d"}, 0, 1, "a=1 # c & d", "a=1"},
        // A continuation mark followed by a comment still continues.
        {{"a=b+& # more", "\tc # end"}, 0, 2, "a=b+& # more\r\n\tc # end", "a=b+c"},
        // A blank line after a continued line ends the statement and belongs to it.
        {{"a=b&", "", "c=1"}, 0, 2, "a=b&", "a=b"},
        {{"x", "", "y"}, 1, 2, "", ""},
        // Every Unicode white space leaves the compact form; raw keeps all above code 32.
        {{"x=\u3000 1\u00a0 "}, 0, 1, "x=\u3000 1\u00a0", "x=1"},
    };
    for (const Case& c : cases) {
        QString raw = "junk", compact = "junk";
        EXPECT_EQ(getLine(c.lines, c.start, raw, compact), c.next) << c.lines.join('|').toStdString();
        EXPECT_EQ(raw, c.raw) << c.lines.join('|').toStdString();
        EXPECT_EQ(compact, c.compact) << c.lines.join('|').toStdString();
    }
}

TEST(Scanner, GetLineEnds)
{
    QString raw, compact;
    EXPECT_EQ(getLine({"a=1"}, 1, raw, compact), -1);
    EXPECT_TRUE(raw.isEmpty());
    EXPECT_TRUE(compact.isEmpty());
    // A continuation past the last line ends the scan; what was read stays readable.
    EXPECT_EQ(getLine({"a=1", "b=2+&"}, 1, raw, compact), -1);
    EXPECT_EQ(raw, "b=2+&");
    EXPECT_EQ(compact, "b=2+");
}
