#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The editor's modeless find dialog: a find text, match case, whole word and Find Next.
// Searches run forward only, so there is no direction choice.
class RFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit RFindDialog(QWidget* parent);

    QString findText() const;
    bool matchCase() const;
    bool wholeWord() const;
    void setOptions(const QString& findText, bool matchCase, bool wholeWord);

    QPushButton* findNextButton() const { return m_findNext; }

signals:
    void findNext();

private:
    QLineEdit* m_find;
    QCheckBox* m_case;
    QCheckBox* m_word;
    QPushButton* m_findNext;
};

// The editor's modeless replace dialog: find and replace texts, match case, whole word, and
// the buttons Find Next, Replace and Replace All.
class RReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit RReplaceDialog(QWidget* parent);

    QString findText() const;
    QString replaceText() const;
    bool matchCase() const;
    bool wholeWord() const;
    void setOptions(const QString& findText, const QString& replaceText, bool matchCase,
        bool wholeWord);

    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* replaceButton() const { return m_replace; }
    QPushButton* replaceAllButton() const { return m_replaceAll; }

signals:
    void findNext();
    void replace();
    void replaceAll();

private:
    QLineEdit* m_find;
    QLineEdit* m_replaceWith;
    QCheckBox* m_case;
    QCheckBox* m_word;
    QPushButton* m_findNext;
    QPushButton* m_replace;
    QPushButton* m_replaceAll;
};
