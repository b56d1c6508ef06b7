// The symbol-definition parser and the storing of a checked definition in the document.
#include "dialogs/RSymbolDefinition.h"
#include "document/RMORVDocument.h"

#include <gtest/gtest.h>

namespace {

SParameterChoice params(bool t, bool x, bool y, QString tName = "t", QString xName = "x",
    QString yName = "y")
{
    return SParameterChoice{t, x, y, tName, xName, yName};
}

struct SyntaxCase {
    const char* what;
    SParameterChoice parameters;
    QStringList lines;
    QStringList errors;
};

} // namespace

TEST(SymbolSyntax, ErrorLinesOfStatements)
{
    const SParameterChoice tx = params(true, true, false);
    const SParameterChoice txy = params(true, true, true);
    const SyntaxCase cases[] = {
        {"declaration before any header", tx, {"a", "%unknown", "b"},
            {"a", "! Unrecognized symbol type"}},
        {"blank and comment-only lines are no statements", tx, {"", "  # note", "%UNKNOWN", "   ", "#", "u"}, {}},
        {"header in lower case, with blanks and a comment", tx, {"% con stant # the constants", "c=1"}, {}},
        {"header with extra letters", tx, {"%UNKNOWN", "%UNKNOWNS"},
            {"%UNKNOWNS", "! Symbol must be a alphanumerical string"}},
        {"constant without value", tx, {"%CONSTANT", "k"}, {"k", "! Constant k assigned NO value"}},
        {"constant with a sign", tx, {"%CONSTANT", "k = -1"}, {"k = -1", "! Constant k invalid assignment"}},
        {"name and number split by a blank fuse", tx, {"%CONSTANT", "k 1"},
            {"k 1", "! Constant k1 assigned NO value"}},
        {"constant with inf is no number", tx, {"%CONSTANT", "k = inf"},
            {"k = inf", "! Constant k invalid assignment"}},
        {"constant that overflows", tx, {"%CONSTANT", "k = 1e999"},
            {"k = 1e999", "! Constant k invalid assignment"}},
        {"bad cell flag", tx, {"%UNKNOWN", "u, D"}, {"u, D", "! Variable type invalid declaration : u"}},
        {"bad separator", tx, {"%SUB", "s; C"}, {"s; C", "! Variable type invalid declaration : s"}},
        {"cell variable in 2-D", txy, {"%UNKNOWN", "u,c"}, {"u,c", "! Cell variable is available in 1D calculation"}},
        {"cell variable without space", params(true, false, false), {"%UNKNOWN", "u,C"},
            {"u,C", "! Cell variable is available in 1D calculation"}},
        {"same name in two sections, any case", tx, {"%UNKNOWN", "Temp", "%TEMPORARY", "tEMP"},
            {"tEMP", "! Duplicated define : tEMP"}},
        {"a symbol named like the ticked t", tx, {"%INPUT", "T"}, {"T", "! Duplicated define : T"}},
        {"t unticked reserves nothing", params(false, true, false), {"%INPUT", "t"}, {}},
        {"a rejected statement still reserves its name", tx, {"%UNKNOWN", "u,Q", "u"},
            {"u,Q", "! Variable type invalid declaration : u", "u", "! Duplicated define : u"}},
        {"x ticked without name", params(true, true, false, "t", ""), {"%UNKNOWN", "a"},
            {"parameter x", "! Duplicated define : "}},
        {"y ticked with the x name", params(false, true, true, "t", "x", " X "), {"junk"},
            {"parameter y", "! Duplicated define : X"}},
        {"x named like t after trimming", params(true, true, false, "t", " t "), {},
            {"parameter x", "! Duplicated define : t"}},
        {"t ticked without name is accepted", params(true, false, false, ""), {"%UNKNOWN", "u"}, {}},
        {"continued statement", tx, {"%CONSTANT", "k = &", "  2 x"}, {}},
        {"statement continued past the end is dropped", tx, {"%CONSTANT", "k &"}, {}},
    };
    for (const SyntaxCase& c : cases) {
        RSymbolDefinition def;
        const bool failed = def.CheckSyntax(c.parameters, c.lines);
        EXPECT_EQ(def.errors, c.errors) << c.what;
        EXPECT_EQ(failed, !c.errors.isEmpty()) << c.what;
    }
}

TEST(SymbolSyntax, ListsNamesCommentsAndValues)
{
    RSymbolDefinition def;
    const QStringList text = {
        "%UNKNOWN", "u , c   # cell # more", "v",
        "%SUB", "s",
        "%TEMPORARY", "w extra stuff",
        "%INPUT", "p # pressure",
        "%CONSTANT", "k = 2.5e1 # twenty-five", "m=3D2", "n=4 trailing",
    };
    ASSERT_FALSE(def.CheckSyntax(params(true, true, false), text)) << def.errors.join('|').toStdString();
    const auto& l = def.lists;
    ASSERT_EQ(l[RSymbolDefinition::Variables].size(), 2);
    EXPECT_EQ(l[RSymbolDefinition::Variables][0].name, "u");
    EXPECT_EQ(l[RSymbolDefinition::Variables][0].comment, "cell");
    EXPECT_EQ(l[RSymbolDefinition::Variables][0].value, 1.0);
    EXPECT_EQ(l[RSymbolDefinition::Variables][1].value, 0.0);
    EXPECT_EQ(l[RSymbolDefinition::Temporaries][0].name, "wextrastuff");
    EXPECT_EQ(l[RSymbolDefinition::Inputs][0].comment, "pressure");
    ASSERT_EQ(l[RSymbolDefinition::Constants].size(), 3);
    EXPECT_EQ(l[RSymbolDefinition::Constants][0].value, 25.0);
    EXPECT_EQ(l[RSymbolDefinition::Constants][0].comment, "twenty-five");
    EXPECT_EQ(l[RSymbolDefinition::Constants][1].value, 300.0);
    EXPECT_EQ(l[RSymbolDefinition::Constants][2].value, 4.0);
}

namespace {

// A document with inputs a, b, c in two sets, a 1-D figure with one point and regions.
void prepare(RMORVDocument& doc)
{
    RSymbolDefinition def;
    ASSERT_FALSE(def.CheckSyntax(params(true, true, false), {"%UNKNOWN", "u", "%INPUT", "a", "b", "c"}));
    applySymbolDefinition(doc, def, {"%UNKNOWN", "u", "%INPUT", "a", "b", "c"}, 0);
    doc.inputData = {SInputData{{1, 2, 3}, "first"}, SInputData{{4, 5, 6}, "second"}};
    doc.inputDataIndex = 1;
    doc.mesh->points.resize(1);
    doc.mesh->meshState = 2;
    doc.compiler->INTEGRAL1 = {SIntegral{"line", {3, -4}}};
    doc.compileState = 0;
    doc.modified = false;
}

void apply(RMORVDocument& doc, const SParameterChoice& p, const QStringList& text,
    SSymbolApplyResult* result = nullptr)
{
    RSymbolDefinition def;
    ASSERT_FALSE(def.CheckSyntax(p, text)) << def.errors.join('|').toStdString();
    const SSymbolApplyResult r = applySymbolDefinition(doc, def, text, doc.compiler->control->twoGrid);
    if (result)
        *result = r;
}

} // namespace

TEST(SymbolApply, InputsCarryTheirValuesByName)
{
    struct Case {
        const char* what;
        QStringList inputs;
        QList<double> set0, set1;
    } cases[] = {
        {"case change keeps values", {"A", "b", "C"}, {1, 2, 3}, {4, 5, 6}},
        {"renamed input starts at 0", {"a", "bb", "c"}, {1, 0, 3}, {4, 0, 6}},
        {"swapped inputs swap values", {"c", "b", "a"}, {3, 2, 1}, {6, 5, 4}},
        {"removed input loses its values", {"c"}, {3}, {6}},
        {"no inputs", {}, {}, {}},
    };
    for (const Case& c : cases) {
        RMORVDocument doc;
        prepare(doc);
        apply(doc, params(true, true, false), QStringList{"%UNKNOWN", "u", "%INPUT"} + c.inputs);
        ASSERT_EQ(doc.inputData.size(), 2) << c.what;
        EXPECT_EQ(doc.inputData[0].values, c.set0) << c.what;
        EXPECT_EQ(doc.inputData[1].values, c.set1) << c.what;
        EXPECT_EQ(doc.inputData[1].label, "second") << c.what;
        EXPECT_EQ(doc.inputDataIndex, 1) << c.what;
        EXPECT_EQ(doc.compiler->control->inputCount, c.inputs.size()) << c.what;
        EXPECT_EQ(doc.compiler->symbols->inputNames, c.inputs) << c.what;
    }
}

TEST(SymbolApply, FigureAndMeshFollowTheSpaceParameters)
{
    struct Case {
        const char* what;
        SParameterChoice p;
        QStringList text;
        bool replaced;
        int meshState;
        int meshCheck1D;
    } cases[] = {
        {"toggling t keeps the figure", params(false, true, false), {"%UNKNOWN", "u"}, false, 2, 0},
        {"toggling y replaces it", params(true, true, true), {"%UNKNOWN", "u"}, true, 1, 0},
        {"first cell variable remakes the mesh", params(true, true, false), {"%UNKNOWN", "u,C"}, false, 1, -1},
    };
    for (const Case& c : cases) {
        RMORVDocument doc;
        prepare(doc);
        doc.meshCheck1D = 0;
        SSymbolApplyResult r;
        apply(doc, c.p, c.text, &r);
        EXPECT_EQ(r.figureReplaced, c.replaced) << c.what;
        EXPECT_EQ(doc.mesh->points.size(), c.replaced ? 0u : 1u) << c.what;
        // Regions name nodes of the mesh they came with; they go when it is replaced.
        EXPECT_EQ(doc.compiler->INTEGRAL1.isEmpty(), c.replaced) << c.what;
        EXPECT_EQ(r.integralsEmptied, c.replaced) << c.what;
        EXPECT_EQ(doc.mesh->meshState, c.meshState) << c.what;
        EXPECT_EQ(doc.meshCheck1D, c.meshCheck1D) << c.what;
        EXPECT_EQ(doc.compileState, 2) << c.what;
        EXPECT_TRUE(doc.modified) << c.what;
        EXPECT_EQ(doc.compiler->control->spaceDimension, int(c.p.x) + int(c.p.y)) << c.what;
    }
}

TEST(SymbolApply, SecondCellVariableKeepsTheMesh)
{
    RMORVDocument doc;
    prepare(doc);
    apply(doc, params(true, true, false), {"%UNKNOWN", "u,C"});
    doc.mesh->meshState = 2;
    doc.meshCheck1D = 0;
    apply(doc, params(true, true, false), {"%UNKNOWN", "u,C", "%SUB", "s,c"});
    EXPECT_EQ(doc.mesh->meshState, 2);
    EXPECT_EQ(doc.meshCheck1D, 0);
    EXPECT_EQ(doc.compiler->control->twoGrid, 1);
    EXPECT_EQ(doc.compiler->symbols->subVariableAttributes, QList<int>{1});
}

TEST(SymbolApply, RecordsAndTextAreStored)
{
    RMORVDocument doc;
    const QStringList text = {"# my symbols", "%CONSTANT", "g = 9.8 # gravity", "", "%TEMPORARY", "w"};
    apply(doc, params(true, false, false, " time "), text);
    const SSymbolTable& s = *doc.compiler->symbols;
    EXPECT_EQ(doc.symbolDefinition, text);
    EXPECT_EQ(s.tName, "time");
    EXPECT_EQ(s.constantCount, 1);
    EXPECT_EQ(s.constantNames, QStringList{"g"});
    EXPECT_EQ(s.constantComments, QStringList{"gravity"});
    EXPECT_EQ(s.constantValues, QList<double>{9.8});
    EXPECT_EQ(s.temporaryNames, QStringList{"w"});
    EXPECT_EQ(doc.compiler->control->temporaryCount, 1);
    EXPECT_EQ(doc.compiler->control->PARMT, 1);
    EXPECT_EQ(doc.compiler->control->variableCount, 0);
}
