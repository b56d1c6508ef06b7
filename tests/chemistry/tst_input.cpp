// The chemistry input language, the element and species blocks and the log table.
#include "ChemTestUtil.h"

#include <gtest/gtest.h>

using namespace chemtest;

namespace {

const double kHigh[7] = {3.0, 1e-3, 0, 0, 0, -1000.0, 5.0};
const double kLow[7] = {3.5, 0, 0, 0, 0, -900.0, 4.0};

// A "THERMO ALL" block with default temperatures and records for the given species.
std::string thermoAll(const std::vector<std::pair<std::string, std::string>>& species)
{
    std::string s = "THERMO ALL\n   300.000  1000.000  5000.000\n";
    for (const auto& [name, elements] : species)
        s += record(name, elements, 'G', "", "", "", kHigh, kLow);
    return s + "END\n";
}

} // namespace

TEST(ChemistryInput, AtomicWeightTableFollowsMode)
{
    auto newer = makeChem("");
    auto older = makeChem("", "", "", 0);
    auto other = makeChem("", "", "", 7);
    EXPECT_EQ(newer->CKAWTM("C"), 12.0107);
    EXPECT_EQ(older->CKAWTM("C"), 12.01115);
    EXPECT_EQ(other->CKAWTM("c"), 12.01115);
    EXPECT_EQ(newer->CKAWTM("ar"), 39.948);
    EXPECT_EQ(newer->CKAWTM("E"), 0.000545);
    EXPECT_EQ(newer->CKAWTM("D"), 2.0141);
    EXPECT_EQ(newer->CKAWTM("FM"), 253.0);
    EXPECT_EQ(newer->CKAWTM("XX"), -1.0);
    EXPECT_EQ(newer->GetCKStatus(), 0);
}

TEST(ChemistryInput, WordCodes)
{
    struct Case {
        const char* text;
        std::vector<std::pair<int, std::string>> words;
    };
    const Case cases[] = {
        {"abc_1 $x2 12 -3.5e+2 .5 +7", {{1011, "abc_1"}, {1009, "$x2"}, {1010, "12"}, {1014, "-3.5e+2"},
                                         {1014, ".5"}, {1010, "+7"}}},
        {"{}()/:=,[]", {{1001, "{"}, {1002, "}"}, {1003, "("}, {1004, ")"}, {1005, "/"}, {1006, ":"},
                        {1007, "="}, {1008, ","}, {1012, "["}, {1013, "]"}}},
        // A sign or a point not followed by a digit is a character of its own; a second point or a
        // second exponent ends the number before it.
        {"+ - . 1.2.3 1e5e6 2D-3", {{1000, "+"}, {1000, "-"}, {1000, "."}, {1014, "1.2"}, {1014, ".3"},
                                   {1014, "1e5"}, {1011, "e6"}, {1014, "2D-3"}}},
        // An exponent letter without digit or sign after it is not part of the number.
        {"3E ! comment\n\n  4", {{1010, "3"}, {1011, "E"}, {1010, "4"}}},
    };
    for (const Case& c : cases) {
        auto chem = makeChem(c.text);
        for (const auto& [code, text] : c.words) {
            EXPECT_EQ(chem->GetWord(), code) << c.text << " / " << text;
            EXPECT_EQ(chem->currentWord(), text) << c.text;
        }
        EXPECT_EQ(chem->GetWord(), -2) << c.text;
    }
}

TEST(ChemistryInput, LineOperations)
{
    auto chem = makeChem("ab\n\n   ! only a comment\ncd ! tail\n");
    char c = 0;
    EXPECT_EQ(chem->PeekLetter(c), 0);
    EXPECT_EQ(c, 'a');
    EXPECT_EQ(chem->ProceedLetter(), 0);
    EXPECT_EQ(chem->ProceedLetter(), 1); // past "b": start of the empty second line
    std::string line;
    // LineInput passes over the empty and the comment-only line and returns the line cut at "!".
    EXPECT_EQ(chem->LineInput(line), 0);
    EXPECT_EQ(line, "cd ");
    EXPECT_EQ(chem->LineInput(line), 2);
    EXPECT_EQ(chem->PeekLetter(c), 2);

    auto two = makeChem("x\ny\n");
    EXPECT_EQ(two->NewLine(), 0);
    EXPECT_EQ(two->PeekLetter(c), 0);
    EXPECT_EQ(c, 'y');
    EXPECT_EQ(two->NewLine(), 2);
}

TEST(ChemistryInput, BlockItems)
{
    struct Case {
        const char* input;
        int block;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"ELEM H O N END", 1, {"H", "O", "N"}},
        {"elements\nh o\nend\n", 1, {"h", "o"}},
        {"ELEM AR/39.948/ X / 40.0 / C/12 END", 1, {"AR/39.948/", "X/40.0/", "C/12"}},
        // A "!" comment after the items is ignored; a "!" inside a name belongs to it.
        {"SPEC\nH2O ! water\nCH3!X OH\nEND\n", 2, {"H2O", "CH3!X", "OH"}},
        // Thermo-block and reaction-block lines between the blocks are passed over.
        {"ELEM H O END\nTHERMO\nREAC\nH2+O2=2OH 1 0 0\nEND\nSPEC H2 O2 END\n", 2, {"H2", "O2"}},
        {"ELEM H O END\nTHERMO\nREAC\nH2+O2=2OH 1 0 0\nEND\nSPEC H2 O2 END\n", 1, {"H", "O"}},
        // Items run on over several lines until the next keyword.
        {"SPEC A\nB C\nELEM H\n", 2, {"A", "B", "C"}},
        // "ELEM" directly followed by "SPEC": the element block takes "SPEC" and its words.
        {"ELEM\nSPEC H2 O2\nEND\n", 1, {"SPEC", "H2", "O2"}},
        {"SPEC /3/ 5X END", 2, {"/", "3", "/", "5", "X"}},
    };
    for (const Case& c : cases) {
        auto chem = makeChem(c.input);
        EXPECT_EQ(chem->GetKeySub(c.block), static_cast<int>(c.items.size())) << c.input;
        EXPECT_EQ(chem->items(), c.items) << c.input;
    }
}

TEST(ChemistryInput, ElementBlockValuesAndErrors)
{
    // Value 40.0 is taken, no value and value 0 take the table weight.
    {
        auto chem = makeChem("ELEM\nAR/40.0/ O H/0/\nEND\nSPEC\nX\nEND\n" + thermoAll({{"X", "AR  1O   1H   2"}}));
        ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
        EXPECT_EQ(chem->atomicWeights(), (std::vector<double>{40.0, 15.9994, 1.00794}));
        EXPECT_DOUBLE_EQ(chem->molecularWeights()[0], 40.0 + 15.9994 + 2 * 1.00794);
    }
    struct Case {
        const char* input;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"SPEC X END", {"! Error...NO ELEMENTS"}},
        {"ELEM H END", {"! Error...NO SPECIES"}},
        {"ELEM H QQ ZZ END SPEC X END", {"! Error...no atomic weight for element QQ",
                                         "! Error...no atomic weight for element ZZ"}},
        {"ELEM /1.0/ H END SPEC X END", {"! Error...misplaced value.../"}},
        {"ELEM H/x/ END SPEC X END", {"! Error...SYNTAX ERROR, OR ILLEGAL VALUE"}},
        {"ELEM H/nan/ END SPEC X END", {"! Error...SYNTAX ERROR, OR ILLEGAL VALUE"}},
        {"ELEM H/-inf/ END SPEC X END", {"! Error...SYNTAX ERROR, OR ILLEGAL VALUE"}},
        {"ELEM\nSPEC H2\nEND\n", {"! Error...no atomic weight for element SPEC"}},
    };
    for (const Case& c : cases) {
        auto chem = makeChem(c.input);
        EXPECT_EQ(chem->interpret(), 1) << c.input;
        for (const std::string& e : c.errors) EXPECT_TRUE(contains(chem->GetErrText(), e)) << c.input << "\n" << joined(chem->GetErrText());
        EXPECT_EQ(chem->GetCKStatus(), 0);
        EXPECT_EQ(chem->elementCount(), 0);
        EXPECT_TRUE(chem->atomicWeights().empty());
        EXPECT_EQ(chem->speciesCount(), 0);
    }
}

TEST(ChemistryInput, DuplicatesWarnOnceAndAreNotCounted)
{
    auto chem = makeChem("ELEM H O H END\nSPEC OH OH END\n" + thermoAll({{"OH", "O   1H   1"}}));
    ASSERT_EQ(chem->interpret(), 0);
    EXPECT_EQ(chem->elementNames(), (std::vector<std::string>{"H", "O"}));
    EXPECT_EQ(chem->speciesNames(), (std::vector<std::string>{"OH"}));
    const auto& err = chem->GetErrText();
    EXPECT_EQ(std::count(err.begin(), err.end(), "? Warning...duplicate array element ignored...H"), 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), "? Warning...duplicate array element ignored...OH"), 1);
    EXPECT_EQ(err.back(), " No errors found on input.");
}

TEST(ChemistryInput, LowerCaseBlockFindsTableWeights)
{
    auto chem = makeChem("elem\nh o\nend\nspec\nX\nend\n" + thermoAll({{"X", "h   2o   1"}}));
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    EXPECT_EQ(chem->atomicWeights(), (std::vector<double>{1.00794, 15.9994}));
}

TEST(ChemistryInput, SpeciesValueIsReplacedByCompositionWeight)
{
    auto chem = makeChem("ELEM H O END\nSPEC H2O/99.0/ END\n" + thermoAll({{"H2O", "H   2O   1"}}));
    ASSERT_EQ(chem->interpret(), 0);
    EXPECT_DOUBLE_EQ(chem->molecularWeights()[0], 2 * 1.00794 + 15.9994);
}

TEST(ChemistryInput, SecondInterpretationChangesNothing)
{
    auto chem = makeChem("ELEM H END\nSPEC H2 END\n" + thermoAll({{"H2", "H   2"}}));
    ASSERT_EQ(chem->interpret(), 0);
    size_t logSize = chem->GetLogText().size(), errSize = chem->GetErrText().size();
    EXPECT_EQ(chem->interpret(), 0);
    EXPECT_EQ(chem->GetCKStatus(), 1);
    EXPECT_EQ(chem->GetLogText().size(), logSize);
    EXPECT_EQ(chem->GetErrText().size(), errSize);
}

TEST(ChemistryInput, DataSetWithoutInputIsNotInterpreted)
{
    RSSChem chem(1, nullptr, "", "", "", "");
    EXPECT_EQ(chem.interpret(), 1);
    EXPECT_EQ(chem.GetCKStatus(), 0);
}

TEST(ChemistryInput, LogTable)
{
    std::string input = "ELEM H O E END\nSPEC OH- H2 END\nTHERMO ALL\n   300.000  1000.000  5000.000\n";
    input += record("OH-", "O   1H   1E   1", 'G', "", "", "", kHigh, kLow);
    input += record("H2", "H   2", 'S', "200", "3000", "", kHigh, kLow);
    input += "END\n";
    auto chem = makeChem(input);
    ASSERT_EQ(chem->interpret(), 0) << joined(chem->GetErrText());
    const std::vector<std::string> expected = {
        " Elements---------Atomic weight",
        "  1:H                   1.00794",
        "  2:O                  15.99940",
        "  3:E                   0.00055",
        "-------------------------------",
        "                                                               Composition",
        " Species-----------Mole. weight--Phase---Charge--Low T-High T-  H  O  E",
        "  1:OH-                17.00788  Gas         -1    300   5000    1  1  1",
        "  2:H2                  2.01588  Solid       0    200   3000    2  0  0",
        std::string(71, '-'),
    };
    EXPECT_EQ(chem->GetLogText(), expected);
    EXPECT_EQ(chem->charges(), (std::vector<int>{-1, 0}));
    EXPECT_EQ(chem->phases(), (std::vector<int>{0, -1}));
}
