// Find and replace in the editor control: plain, whole-word and regular-expression
// matching, the messages, the undo step of a replace-all, and the two dialogs.
#include "ScriptedUserInterface.h"
#include "widgets/RExtraMemo.h"
#include "widgets/RFindDialogs.h"

#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

std::unique_ptr<RExtraMemo> makeMemo(const QString& text, int selStart, int selLength = 0,
    bool regex = false)
{
    auto memo = std::make_unique<RExtraMemo>(nullptr, false, QString(), 0, 1000, 0);
    memo->setText(text);
    memo->setSelection(selStart, selLength);
    if (regex)
        memo->PMRegExClick();
    return memo;
}

struct FindCase {
    const char* name;
    const char* text;
    int caret;
    bool regex;
    const char* find;
    bool matchCase;
    bool wholeWord;
    int position;  // -1: no match
    int length;
};

} // namespace

TEST(FindReplace, FindTable)
{
    const FindCase cases[] = {
        {"plain from the caret", "xx abc", 1, false, "abc", false, false, 3, 3},
        {"plain ignores case", "x ABC", 0, false, "abc", false, false, 2, 3},
        {"plain with match case skips other case", "ABC abc", 0, false, "abc", true, false, 4, 3},
        {"plain with match case and no match", "x ABC", 0, false, "abc", true, false, -1, 0},
        {"empty plain text never matches", "abc", 0, false, "", false, false, -1, 0},
        {"no wrap-around to the start", "abc x", 1, false, "abc", false, false, -1, 0},
        {"whole word skips an identifier", "x1 = x+1", 0, false, "x", false, true, 5, 1},
        {"whole word finds a number token", "y = 12 + x+1", 0, false, "1", false, true, 11, 1},
        {"whole word ignores case", "a = X1", 0, false, "x1", false, true, 4, 2},
        {"whole word with match case", "X = x", 0, false, "x", true, true, 4, 1},
        {"regex anchored at a line start from mid-text", "abc\nxabc\nabc", 2, true, "^abc", false, false, 9, 3},
        {"regex case-insensitive by the library", "x ÄBC", 0, true, "äbc", false, false, 2, 3},
        {"regex with match case", "ÄBC äbc", 0, true, "äbc", true, false, 4, 3},
        {"regex sees text before the start for look-behind", "ab ab", 1, true, "(?<=b )a", false, false, 3, 1},
        {"regex whole word must match the whole token", "x12 x1", 0, true, "x1", false, true, 4, 2},
        {"regex whole word with a class", "a = beta1 + 7", 0, true, "[a-z]+[0-9]", false, true, 4, 5},
        // Positions are those of the text itself: a sharp s is not two letters here.
        {"case-insensitive positions stay in the text", "straße STRASSE", 0, false, "strasse", false, false, 7, 7},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUserInterface ui;
        auto memo = makeMemo(QString::fromUtf8(c.text), c.caret, 0, c.regex);
        const int count = memo->EMReplace(0, QString::fromUtf8(c.find), QString(), c.matchCase,
            c.wholeWord, false);
        if (c.position < 0) {
            EXPECT_EQ(count, 0);
            EXPECT_EQ(ui.messages, QStringList{"No match strings"});
        } else {
            EXPECT_EQ(count, 1);
            EXPECT_EQ(memo->selStart(), c.position);
            EXPECT_EQ(memo->selLength(), c.length);
            EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
        }
        EXPECT_EQ(memo->text(), QString::fromUtf8(c.text));
    }
}

TEST(FindReplace, FindSameStartsAfterTheSelection)
{
    ScriptedUserInterface ui;
    auto memo = makeMemo("abc", 0);
    memo->findDialog()->setOptions("abc", false, false);
    memo->PMFindSameClick();
    EXPECT_EQ(memo->selStart(), 0);
    EXPECT_EQ(memo->selLength(), 3);
    memo->PMFindSameClick();
    EXPECT_EQ(ui.messages, QStringList{"No match strings"});
}

TEST(FindReplace, InvalidExpressionIsReportedOnce)
{
    for (const bool wholeWord : {false, true}) {
        SCOPED_TRACE(wholeWord);
        ScriptedUserInterface ui;
        auto memo = makeMemo("a (b) c d", 0, 0, true);
        EXPECT_EQ(memo->EMReplace(0, "(", QString(), false, wholeWord, false), 0);
        EXPECT_EQ(ui.messages, (QStringList{"Error in regular expression.", "No match strings"}));
        ui.messages.clear();
        EXPECT_EQ(memo->EMReplace(1, "(", "x", false, wholeWord, true), 0);
        EXPECT_EQ(ui.messages, (QStringList{"Error in regular expression.", "0 replaced."}));
        EXPECT_EQ(memo->text(), "a (b) c d");
    }
}

struct ReplaceAllCase {
    const char* name;
    const char* text;
    int caret;
    bool regex;
    const char* find;
    const char* replace;
    bool wholeWord;
    const char* expected;
    int count;
};

TEST(FindReplace, ReplaceAllTable)
{
    const ReplaceAllCase cases[] = {
        {"only from the caret on", "aXa", 1, false, "a", "b", false, "aXb", 1},
        {"from the start", "aXa", 0, false, "a", "bb", false, "bbXbb", 2},
        {"replacement containing the pattern", "aa", 0, false, "a", "aa", false, "aaaa", 2},
        {"no match", "abc", 0, false, "z", "y", false, "abc", 0},
        {"whole words only", "x x1 x+1", 0, false, "x", "y", true, "y x1 y+1", 2},
        {"regex with line anchors", "ab\nab\nxab", 0, true, "^ab", "Z", false, "Z\nZ\nxab", 2},
        {"regex ignoring case", "Aa aA", 0, true, "a+", "-", false, "- -", 2},
        // An empty match is stepped over, so the loop ends.
        {"regex matching the empty string", "abc", 0, true, "x*", "-", false, "-a-b-c", 3},
        // After a non-empty match an empty one may follow at once, as in Perl.
        {"empty match next to real ones", "aXXb", 0, true, "X*", "-", false, "-a--b", 3},
        {"empty match before a surrogate pair", "a😀b", 0, true, "", "|", false, "|a|😀|b", 3},
        {"regex whole word", "v1 v22 w3", 0, true, "v[0-9]+", "V", true, "V V w3", 2},
    };
    for (const ReplaceAllCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUserInterface ui;
        auto memo = makeMemo(QString::fromUtf8(c.text), c.caret, 0, c.regex);
        const int count = memo->EMReplace(1, QString::fromUtf8(c.find),
            QString::fromUtf8(c.replace), false, c.wholeWord, true);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(memo->text(), QString::fromUtf8(c.expected));
        EXPECT_EQ(ui.messages, QStringList{QString::number(c.count) + " replaced."});
        // The whole replace-all is one undo step.
        ASSERT_TRUE(memo->CanUndo());
        memo->EMUndo();
        EXPECT_EQ(memo->text(), QString::fromUtf8(c.text));
        EXPECT_FALSE(memo->CanUndo());
        memo->EMRedo();
        EXPECT_EQ(memo->text(), QString::fromUtf8(c.expected));
    }
}

TEST(FindReplace, ReplaceOneIsOneStepWithTheCaretAfterIt)
{
    ScriptedUserInterface ui;
    auto memo = makeMemo("one two one", 0);
    EXPECT_EQ(memo->EMReplace(1, "ONE", "1", false, false, false), 1);
    EXPECT_EQ(memo->text(), "1 two one");
    EXPECT_EQ(memo->selStart(), 1);
    EXPECT_EQ(memo->selLength(), 0);
    memo->EMUndo();
    EXPECT_EQ(memo->text(), "one two one");
    memo->setSelection(9, 0);
    EXPECT_EQ(memo->EMReplace(1, "one", "1", false, false, false), 0);
    EXPECT_EQ(ui.messages, QStringList{"No match strings"});
}

TEST(FindReplace, DialogButtons)
{
    ScriptedUserInterface ui;
    auto memo = makeMemo("ab ab ab ab", 0);
    RFindDialog* find = memo->findDialog();
    RReplaceDialog* replace = memo->replaceDialog();

    // The find dialog closes on Find Next.
    memo->PMFindClick();
    find->setOptions("ab", false, false);
    find->findNextButton()->click();
    EXPECT_FALSE(find->isVisible());
    EXPECT_EQ(memo->selStart(), 0);
    EXPECT_EQ(memo->selLength(), 2);

    // The replace dialog stays open for Find Next and Replace.
    memo->PMReplaceClick();
    replace->setOptions("ab", "X", false, false);
    replace->findNextButton()->click();
    EXPECT_TRUE(replace->isVisible());
    EXPECT_EQ(memo->selStart(), 3);
    replace->replaceButton()->click();  // replaces the selected match, selects the next
    EXPECT_TRUE(replace->isVisible());
    EXPECT_EQ(memo->text(), "ab X ab ab");
    EXPECT_EQ(memo->selStart(), 5);
    EXPECT_EQ(memo->selLength(), 2);
    // Find Same now repeats the replace dialog's search.
    EXPECT_EQ(find->findText(), "ab");
    memo->PMFindSameClick();
    EXPECT_EQ(memo->selStart(), 8);

    // Replace Same replaces the next match from the selection start without a dialog.
    memo->setSelection(0, 0);
    memo->PMReplaceSameClick();
    EXPECT_EQ(memo->text(), "X X ab ab");

    replace->replaceAllButton()->click();  // from the caret (after the first X)
    EXPECT_FALSE(replace->isVisible());
    EXPECT_EQ(memo->text(), "X X X X");
    EXPECT_EQ(ui.messages, QStringList{"2 replaced."});
}
