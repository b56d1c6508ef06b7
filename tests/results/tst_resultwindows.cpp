#include "ResultTestDocuments.h"
#include "widgets/RExtraMemo.h"
#include "results/RResultHolder.h"
#include "results/TSelVarForm.h"
#include "results/TShowTextForm.h"
#include "tests/widgets/ScriptedUserInterface.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const ResultDocumentShape ThreeAndTwo{1, 1, 0, {"A", "B", "C"}, {}, {"S", "T"}, {}};

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

TEST(SelVarForm, ListsVariablesThenSubVariablesAndStoresNumbersOfEachKind)
{
    auto doc = makeResultDocument(ThreeAndTwo);
    RResultHolder holder;
    TSelVarForm form(nullptr, *doc, holder);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Select Variables"));
    EXPECT_EQ(itemTexts(form.ListBox1), (QStringList{"A", "B", "C", "S", "T"}));
    EXPECT_TRUE(form.ListBox1->selectedItems().isEmpty());
    form.ListBox1->item(1)->setSelected(true);
    form.ListBox1->item(4)->setSelected(true);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(holder.selectedVariables, QList<int>{2});
    EXPECT_EQ(holder.selectedSubVariables, QList<int>{2});
}

TEST(SelVarForm, ButtonsAndEscape)
{
    struct Case {
        const char* what;
        ResultDocumentShape shape;
        std::function<void(TSelVarForm&)> act;
        QList<int> variables, subs;
    };
    const Case cases[] = {
        {"Select All then OK", ThreeAndTwo,
            [](TSelVarForm& f) {
                QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
                QTest::mouseClick(f.Button1, Qt::LeftButton);
            },
            {1, 2, 3}, {1, 2}},
        {"OK with nothing selected", ThreeAndTwo,
            [](TSelVarForm& f) { QTest::mouseClick(f.Button1, Qt::LeftButton); }, {}, {}},
        {"Clear then OK", ThreeAndTwo,
            [](TSelVarForm& f) {
                QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
                QTest::mouseClick(f.SpeedButton2, Qt::LeftButton);
                QTest::mouseClick(f.Button1, Qt::LeftButton);
            },
            {}, {}},
        {"Cancel", ThreeAndTwo,
            [](TSelVarForm& f) {
                QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
                QTest::mouseClick(f.Button2, Qt::LeftButton);
            },
            {}, {}},
        {"Escape", ThreeAndTwo,
            [](TSelVarForm& f) {
                QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
                QTest::keyClick(f.ListBox1, Qt::Key_Escape);
            },
            {}, {}},
        {"document without sub variables", {0, 0, 0, {"A", "B"}, {}, {}, {}},
            [](TSelVarForm& f) {
                EXPECT_EQ(f.ListBox1->count(), 2);
                QTest::mouseClick(f.SpeedButton1, Qt::LeftButton);
                QTest::mouseClick(f.Button1, Qt::LeftButton);
            },
            {1, 2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = makeResultDocument(c.shape);
        RResultHolder holder;
        // An earlier choice is replaced, never kept.
        holder.selectedVariables = {3};
        holder.selectedSubVariables = {1};
        TSelVarForm form(nullptr, *doc, holder);
        form.show();
        c.act(form);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(holder.selectedVariables, c.variables);
        EXPECT_EQ(holder.selectedSubVariables, c.subs);
    }
}

TEST(SelVarForm, ShowsAgainWithNothingSelected)
{
    auto doc = makeResultDocument(ThreeAndTwo);
    RResultHolder holder;
    TSelVarForm form(nullptr, *doc, holder);
    form.show();
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    form.show();
    EXPECT_EQ(form.ListBox1->count(), 5);
    EXPECT_TRUE(form.ListBox1->selectedItems().isEmpty());
    form.reject();
}

class ShowTextForm : public ::testing::Test {
protected:
    QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    ScriptedUserInterface ui;
};

TEST_F(ShowTextForm, NewViewerIsReadOnlyAndExportsUtf8ByDefault)
{
    TShowTextForm form(nullptr, QStringLiteral("Monospace"), 10);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Form3"));
    EXPECT_EQ(form.Button1->text(), QStringLiteral("Close"));
    EXPECT_EQ(form.Button2->text(), QStringLiteral("Export"));
    EXPECT_TRUE(form.overwriteConfirmation);
    EXPECT_TRUE(form.exportFileName.isEmpty());
    EXPECT_EQ(form.exportEncoding, TShowTextForm::Encoding::Utf8);
    form.setLines({"one", "two"});
    form.show();
    form.memo()->setFocus();
    QTest::keyClicks(form.memo(), "x");
    EXPECT_EQ(form.lines(), (QStringList{"one", "two"}));

    form.exportFileName = dir.filePath(QStringLiteral("log.txt"));
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_EQ(read(form.exportFileName), QByteArray("\xEF\xBB\xBFone\r\ntwo\r\n"));
}

TEST_F(ShowTextForm, ExportWritesTheShownLinesAndAsksBeforeReplacing)
{
    TShowTextForm form(nullptr, QStringLiteral("Monospace"), 10);
    const QStringList lines{"            U __________", "  1.00000E+00", ""};
    form.setLines(lines);
    form.exportEncoding = TShowTextForm::Encoding::Ansi;
    const QString path = dir.filePath(QStringLiteral("doc.M3TXT"));
    form.exportFileName = path;
    form.show();

    // A new file is written without a question; ANSI text has no byte-order mark.
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    const QByteArray written("            U __________\r\n  1.00000E+00\r\n\r\n");
    EXPECT_EQ(read(path), written);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(ui.messages, QStringList{path + " saved"});

    // No leaves the old file untouched and shows nothing.
    write(path, "old");
    ui.messages.clear();
    ui.answers.push_back(QMessageBox::No);
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_EQ(ui.questions, QStringList{"Warning: " + path + " already exists.\nOverwrite ?"});
    EXPECT_EQ(read(path), QByteArray("old"));
    EXPECT_TRUE(ui.messages.isEmpty());

    ui.answers.push_back(QMessageBox::Yes);
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_EQ(read(path), written);
    EXPECT_EQ(ui.messages, QStringList{path + " saved"});

    // Without the confirmation an existing file is replaced without a question.
    write(path, "old");
    form.overwriteConfirmation = false;
    ui.questions.clear();
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(read(path), written);
    EXPECT_TRUE(form.isVisible());
}

// A file that cannot be written is reported, and the viewer stays open.
TEST_F(ShowTextForm, ExportToAnUnwritablePlaceReportsAndStaysOpen)
{
    TShowTextForm form(nullptr, QStringLiteral("Monospace"), 10);
    form.setLines({"a"});
    form.exportFileName = dir.filePath(QStringLiteral("missing/doc.M3TXT"));
    form.show();
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith(QStringLiteral("Cannot create file")));
    EXPECT_FALSE(QFile::exists(form.exportFileName));
    EXPECT_TRUE(form.isVisible());
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
