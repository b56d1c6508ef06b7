#pragma once
#include "dialogs/RSymbolDefinition.h"
#include "widgets/SMenuItem.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class RExtraMemo;
class RMORVDocument;

// The symbol definition dialog: the symbol-definition text in an editor and the choice of the
// parameters t, x and y. OK checks the text; errors are listed in the error window and the
// dialog stays open; a clean text is stored in the document.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(RMORVDocument& doc, const QString& fontName, int fontSize, QWidget* owner);

    // True after an OK that applied the definition.
    bool dialogChanged() const { return m_dialogChanged; }
    const RSymbolDefinition& definition() const { return m_definition; }
    // What the last applied OK did to the figure.
    const SSymbolApplyResult& applyResult() const { return m_applyResult; }

    void FormShow();
    void Edit4Click();
    void Button1Click();

    RExtraMemo* memo = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    SMenuItem editItems;

protected:
    void showEvent(QShowEvent* e) override;

private:
    SParameterChoice parameterChoice() const;

    RMORVDocument& m_doc;
    RSymbolDefinition m_definition;
    SSymbolApplyResult m_applyResult;
    int m_shownTwoGrid = 0;
    bool m_dialogChanged = false;
};
