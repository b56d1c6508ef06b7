#pragma once
#include "widgets/REditUndoRing.h"
#include "widgets/RScriptFont.h"
#include "widgets/SMenuItem.h"

#include <QPlainTextEdit>

class QMenu;
class RFindDialog;
class RReplaceDialog;

// The plain-text editor of the section editors, the symbol editor and the text viewers.
// It keeps its own undo ring (the widget's own undo is off) and handles its edit commands and
// their shortcuts itself, so every change of the text is either one step of the ring or
// refused. A line break is one character ("\n") in positions and recorded texts.
class RExtraMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    enum Command { Undo, Redo, Cut, Copy, Paste, SelectAll, RegEx, Find, FindSame, Replace,
        ReplaceSame };

    // An undo depth of 0 or less makes the control read-only for good.
    RExtraMemo(QWidget* owner, bool readOnly, const QString& fontName, int fontSize,
        int undoDepth, int number);
    ~RExtraMemo() override;

    int number() const { return m_number; }
    int undoDepth() const { return m_ring.depth(); }

    // Editing is possible: not read-only and a ring to record into.
    bool canEdit() const;
    void setReadOnly(bool readOnly);

    // Replaces the whole text as a new document: the ring and the modified mark are cleared.
    void setText(const QString& text);
    QString text() const { return toPlainText(); }
    // The user changed the text since the last setText.
    bool modifiedMark() const { return m_modified; }

    int selStart() const;
    int selLength() const;
    QString selText() const;
    void setSelection(int start, int length);

    // The font named, or the system's fixed-pitch font when that family is not installed.
    void setScriptFont(const QString& fontName, int fontSize);

    // Edit operations. They change nothing when the control cannot edit.
    void EMUndo();
    void EMRedo();
    void EMCut();
    void EMCopy();
    void EMPaste();
    void EMSelectAll();
    void EMType(const QString& text);
    bool CanUndo() const { return m_ring.canUndo(); }
    bool CanRedo() const { return m_ring.canRedo(); }

    // Whether a command is offered now (the rule behind the menus' enabled states and the
    // shortcuts), and running a command when it is offered.
    bool commandEnabled(Command command) const;
    void runCommand(Command command);
    // Updates visibility, enabling and the check mark of an edit menu from this control.
    void EMEnabledSet(SMenuItem& items) const;

    bool regexMode() const { return m_regexMode; }
    void PMRegExClick();
    void PMFindClick();
    void PMFindSameClick();
    void PMReplaceClick();
    void PMReplaceSameClick();

    // Searches (mode 0) or replaces (mode 1); returns the number of matches.
    int EMReplace(int mode, const QString& findText, const QString& replaceText, bool matchCase,
        bool wholeWord, bool all);

    // The find dialog's Find Next, the replace dialog's Find Next, Replace and Replace All.
    void EMFindDialogFind();
    void EMReplaceDialogFind();
    void EMReplaceDialogReplace(bool all);

    RFindDialog* findDialog() const { return m_findDialog; }
    RReplaceDialog* replaceDialog() const { return m_replaceDialog; }
    QMenu* popupMenu() const { return m_popup; }
    const SMenuItem& popupItems() const { return m_popupItems; }
    // Opens the popup menu at a global position (as a right or Ctrl click does).
    void showPopup(const QPoint& globalPos);

signals:
    // The user changed the text (the modified mark is set).
    void userChanged();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    friend class RExtraMemoSearch;

    // Replaces [start, start + length) by text without recording; caret after the new text.
    void replaceRange(int start, int length, const QString& text);
    // Records the change and applies it.
    void recordAndReplace(int start, int length, const QString& text);
    void markUserChange();
    void onContentsChanged();
    bool handleShortcut(QKeyEvent* e);
    bool clipboardHasText() const;
    static QString normalized(const QString& text);

    REditUndoRing m_ring;
    int m_number;
    bool m_regexMode = false;
    bool m_modified = false;
    // The text as last seen, so a change made outside the operations above can still be
    // recorded as a step; `m_applying` marks changes the control makes itself.
    QString m_shadow;
    bool m_applying = false;
    QMenu* m_popup = nullptr;
    SMenuItem m_popupItems;
    RFindDialog* m_findDialog = nullptr;
    RReplaceDialog* m_replaceDialog = nullptr;
};
