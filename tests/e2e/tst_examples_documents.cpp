// The example documents as a new user meets them: each opens, is exactly what the program
// itself would save, declares its symbols as the symbol dialog reads them back, and compiles
// without a message.
#include "dialogs/RSymbolDefinition.h"
#include "compiler/RCompileRun.h"
#include "document/RMORVDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const examples[] = {"decay", "stiff_kinetics", "heat_1d", "diffusion_reaction_1d",
                                "laplace_2d"};

QStringList names(const QList<SSymInfo>& list)
{
    QStringList result;
    for (const SSymInfo& symbol : list)
        result.append(symbol.name);
    return result;
}

TEST(ExampleDocuments, OpenAsSavedAndCompileWithoutMessages)
{
    for (const char* name : examples) {
        SCOPED_TRACE(name);
        const QString file =
            QStringLiteral(MORV_TEST_DATA "/../examples/") + QLatin1String(name) + ".MV3";
        QFile original(file);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();

        QTemporaryDir dir;
        const QString copy = dir.filePath(QFileInfo(file).fileName());
        ASSERT_TRUE(QFile::copy(file, copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        RMORVDocument doc;
        ASSERT_EQ(doc.loadfile(copy), 0);
        // A hand-edited file would be rewritten differently on its first save.
        EXPECT_EQ(doc.documentText(), bytes);
        const SControlData& control = *doc.compiler->control;
        const SSymbolTable& symbols = *doc.compiler->symbols;
        // A grid problem must arrive with its grid, or Compile is not offered.
        if (control.spaceDimension != 0) {
            EXPECT_EQ(doc.mesh->meshState, 2);
        }

        // OK in the symbol dialog must neither report an error nor change the symbols.
        RSymbolDefinition definition;
        const SParameterChoice parameters{control.PARMT != 0, control.PARMX != 0,
                                          control.PARMY != 0, symbols.tName, symbols.xName,
                                          symbols.yName};
        EXPECT_FALSE(definition.CheckSyntax(parameters, doc.symbolDefinition))
            << definition.errors.join(u'\n').toStdString();
        EXPECT_EQ(names(definition.lists[RSymbolDefinition::Variables]), symbols.variableNames);
        EXPECT_EQ(names(definition.lists[RSymbolDefinition::SubVariables]),
                  symbols.subVariableNames);
        EXPECT_EQ(names(definition.lists[RSymbolDefinition::Temporaries]), symbols.temporaryNames);
        EXPECT_EQ(names(definition.lists[RSymbolDefinition::Inputs]), symbols.inputNames);
        EXPECT_EQ(names(definition.lists[RSymbolDefinition::Constants]), symbols.constantNames);
        for (int i = 0; i < int(definition.lists[RSymbolDefinition::Constants].size()); ++i)
            EXPECT_EQ(definition.lists[RSymbolDefinition::Constants][i].value,
                      symbols.constantValues.value(i));

        doc.documentFolder = dir.path() + u'/';
        doc.documentFileName = QFileInfo(copy).fileName();
        doc.named = true;
        QStringList log;
        EXPECT_EQ(runCompile(doc, doc.scripts, log), 0) << log.join(u'\n').toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("> 0 error(s), 0 warning(s)")))
            << log.join(u'\n').toStdString();
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QFileInfo(file).completeBaseName() + ".MVAT$")));
    }
}

} // namespace
