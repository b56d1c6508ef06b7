#include "widgets/RExtraMemo.h"

#include "widgets/RFindDialogs.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int CTRL = Qt::ControlModifier;
constexpr int SHIFT = Qt::ShiftModifier;

constexpr int kModifierMask = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier
    | Qt::MetaModifier;

int keyWithModifiers(const QKeyEvent* e)
{
    return e->key() | (static_cast<int>(e->modifiers()) & kModifierMask);
}

// The key combinations the control handles itself, whatever else would claim them.
bool isOwnKey(int combined)
{
    switch (combined) {
    case CTRL | Qt::Key_Z:
    case CTRL | Qt::Key_B:
    case CTRL | Qt::Key_X:
    case CTRL | Qt::Key_C:
    case CTRL | Qt::Key_V:
    case CTRL | Qt::Key_A:
    case CTRL | Qt::Key_R:
    case CTRL | Qt::Key_F:
    case CTRL | Qt::Key_G:
    case CTRL | Qt::Key_T:
    case SHIFT | Qt::Key_Insert:
    case CTRL | Qt::Key_Insert:
        return true;
    default:
        return false;
    }
}

} // namespace

RExtraMemo::RExtraMemo(QWidget* owner, bool readOnly, const QString& fontName, int fontSize,
    int undoDepth, int number)
    : QPlainTextEdit(owner)
    , m_ring(undoDepth)
    , m_number(number)
{
    setUndoRedoEnabled(false);
    setTabChangesFocus(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setAcceptDrops(true);

    m_popup = new QMenu(this);
    fillEditMenu(m_popup, m_popupItems, Qt::WidgetShortcut);
    connect(m_popup, &QMenu::aboutToShow, this, [this] { EMEnabledSet(m_popupItems); });
    const Command commands[SMenuItem::Count] = {Undo, Redo, Undo, Cut, Copy, Paste, SelectAll,
        Undo, RegEx, Find, FindSame, Replace, ReplaceSame};
    for (int i = 0; i < SMenuItem::Count; ++i) {
        if (i == SMenuItem::Separator1 || i == SMenuItem::Separator2)
            continue;
        const Command command = commands[i];
        connect(m_popupItems[i], &QAction::triggered, this, [this, command] {
            runCommand(command);
        });
    }

    m_findDialog = new RFindDialog(this);
    m_replaceDialog = new RReplaceDialog(this);
    connect(m_findDialog, &RFindDialog::findNext, this, &RExtraMemo::EMFindDialogFind);
    connect(m_replaceDialog, &RReplaceDialog::findNext, this, &RExtraMemo::EMReplaceDialogFind);
    connect(m_replaceDialog, &RReplaceDialog::replace, this,
        [this] { EMReplaceDialogReplace(false); });
    connect(m_replaceDialog, &RReplaceDialog::replaceAll, this,
        [this] { EMReplaceDialogReplace(true); });

    setFont(scriptFont(defaultScriptFontName(), 10));
    setReadOnly(readOnly);
    if (!fontName.isEmpty() || fontSize > 0)
        setScriptFont(fontName.isEmpty() ? defaultScriptFontName() : fontName, fontSize > 0 ? fontSize : 10);

    connect(document(), &QTextDocument::contentsChanged, this, &RExtraMemo::onContentsChanged);
}

RExtraMemo::~RExtraMemo() = default;

bool RExtraMemo::canEdit() const
{
    return !isReadOnly() && m_ring.depth() > 1;
}

void RExtraMemo::setReadOnly(bool readOnly)
{
    // Without a ring the control could not record a change, so it never edits.
    QPlainTextEdit::setReadOnly(readOnly || m_ring.depth() <= 1);
}

void RExtraMemo::setText(const QString& text)
{
    m_applying = true;
    setPlainText(normalized(text));
    m_applying = false;
    m_shadow = toPlainText();
    m_ring.clear();
    m_modified = false;
}

int RExtraMemo::selStart() const
{
    return textCursor().selectionStart();
}

int RExtraMemo::selLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

QString RExtraMemo::selText() const
{
    const QTextCursor c = textCursor();
    return m_shadow.mid(c.selectionStart(), c.selectionEnd() - c.selectionStart());
}

void RExtraMemo::setSelection(int start, int length)
{
    const int last = document()->characterCount() - 1;
    QTextCursor c(document());
    c.setPosition(qBound(0, start, last));
    c.setPosition(qBound(0, start + length, last), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void RExtraMemo::setScriptFont(const QString& fontName, int fontSize)
{
    setFont(scriptFont(fontName, fontSize));
}

QString RExtraMemo::normalized(const QString& text)
{
    // The document keeps every line break as one separator; text recorded in the ring must
    // count its characters the same way.
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar(u'\r'), QChar(u'\n'));
    s.replace(QChar(QChar::ParagraphSeparator), QChar(u'\n'));
    s.replace(QChar(QChar::LineSeparator), QChar(u'\n'));
    return s;
}

void RExtraMemo::replaceRange(int start, int length, const QString& text)
{
    const int last = document()->characterCount() - 1;
    const int from = qBound(0, start, last);
    const int to = qBound(from, start + length, last);
    QTextCursor c(document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    m_applying = true;
    if (text.isEmpty())
        c.removeSelectedText();
    else
        c.insertText(text);
    m_applying = false;
    m_shadow.replace(from, to - from, text);
    setTextCursor(c);
    ensureCursorVisible();
}

void RExtraMemo::recordAndReplace(int start, int length, const QString& text)
{
    const QString inserted = normalized(text);
    const int last = document()->characterCount() - 1;
    const int from = qBound(0, start, last);
    const int to = qBound(from, start + length, last);
    m_ring.record(m_shadow.mid(from, to - from), inserted, from);
    replaceRange(from, to - from, inserted);
    markUserChange();
}

void RExtraMemo::markUserChange()
{
    m_modified = true;
    document()->setModified(true);
    emit userChanged();
}

void RExtraMemo::onContentsChanged()
{
    if (m_applying)
        return;
    // A change that reached the document by a path the control does not handle itself (an
    // input method, a text dragged out of the control): record it so that the ring keeps
    // matching the text.
    const QString now = toPlainText();
    if (now == m_shadow)
        return;
    const qsizetype oldLen = m_shadow.size();
    const qsizetype newLen = now.size();
    qsizetype prefix = 0;
    const qsizetype maxPrefix = qMin(oldLen, newLen);
    while (prefix < maxPrefix && m_shadow.at(prefix) == now.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < oldLen - prefix && suffix < newLen - prefix
        && m_shadow.at(oldLen - 1 - suffix) == now.at(newLen - 1 - suffix))
        ++suffix;
    m_ring.record(m_shadow.mid(prefix, oldLen - prefix - suffix),
        now.mid(prefix, newLen - prefix - suffix), static_cast<int>(prefix));
    m_shadow = now;
    markUserChange();
}

void RExtraMemo::EMUndo()
{
    if (!canEdit())
        return;
    const SUndoStep* step = m_ring.undo();
    if (!step)
        return;
    replaceRange(step->start, static_cast<int>(step->inserted.size()), step->removed);
    markUserChange();
}

void RExtraMemo::EMRedo()
{
    if (!canEdit())
        return;
    const SUndoStep* step = m_ring.redo();
    if (!step)
        return;
    replaceRange(step->start, static_cast<int>(step->removed.size()), step->inserted);
    markUserChange();
}

void RExtraMemo::EMCut()
{
    if (!canEdit())
        return;
    const QString selected = selText();
    QApplication::clipboard()->setText(selected);
    recordAndReplace(selStart(), selLength(), QString());
}

void RExtraMemo::EMCopy()
{
    QApplication::clipboard()->setText(selText());
}

void RExtraMemo::EMPaste()
{
    if (!canEdit())
        return;
    recordAndReplace(selStart(), selLength(), QApplication::clipboard()->text());
}

void RExtraMemo::EMSelectAll()
{
    selectAll();
}

void RExtraMemo::EMType(const QString& text)
{
    if (!canEdit())
        return;
    recordAndReplace(selStart(), selLength(), text);
}

bool RExtraMemo::clipboardHasText() const
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool RExtraMemo::commandEnabled(Command command) const
{
    switch (command) {
    case Undo: return canEdit() && CanUndo();
    case Redo: return canEdit() && CanRedo();
    case Cut: return canEdit() && selLength() > 0;
    case Copy: return selLength() > 0;
    case Paste: return canEdit() && clipboardHasText();
    case Replace:
    case ReplaceSame: return canEdit();
    case SelectAll:
    case RegEx:
    case Find:
    case FindSame: return true;
    }
    return false;
}

void RExtraMemo::runCommand(Command command)
{
    if (!commandEnabled(command))
        return;
    switch (command) {
    case Undo: EMUndo(); break;
    case Redo: EMRedo(); break;
    case Cut: EMCut(); break;
    case Copy: EMCopy(); break;
    case Paste: EMPaste(); break;
    case SelectAll: EMSelectAll(); break;
    case RegEx: PMRegExClick(); break;
    case Find: PMFindClick(); break;
    case FindSame: PMFindSameClick(); break;
    case Replace: PMReplaceClick(); break;
    case ReplaceSame: PMReplaceSameClick(); break;
    }
}

void RExtraMemo::EMEnabledSet(SMenuItem& items) const
{
    const bool editable = canEdit();
    for (int i : {SMenuItem::Undo, SMenuItem::Redo, SMenuItem::Cut, SMenuItem::Paste,
             SMenuItem::Replace, SMenuItem::ReplaceSame})
        items[i]->setVisible(editable);
    if (editable) {
        items[SMenuItem::Undo]->setEnabled(commandEnabled(Undo));
        items[SMenuItem::Redo]->setEnabled(commandEnabled(Redo));
        items[SMenuItem::Cut]->setEnabled(commandEnabled(Cut));
        items[SMenuItem::Paste]->setEnabled(commandEnabled(Paste));
    }
    items[SMenuItem::RegEx]->setChecked(m_regexMode);
    items[SMenuItem::Copy]->setEnabled(commandEnabled(Copy));
}

void RExtraMemo::PMRegExClick()
{
    m_regexMode = !m_regexMode;
}

void RExtraMemo::PMFindClick()
{
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void RExtraMemo::PMReplaceClick()
{
    if (!canEdit())
        return;
    m_replaceDialog->show();
    m_replaceDialog->raise();
    m_replaceDialog->activateWindow();
}

void RExtraMemo::PMFindSameClick()
{
    if (m_findDialog->findText().isEmpty()) {
        PMFindClick();
        return;
    }
    EMReplace(0, m_findDialog->findText(), QString(), m_findDialog->matchCase(),
        m_findDialog->wholeWord(), false);
}

void RExtraMemo::PMReplaceSameClick()
{
    if (!canEdit())
        return;
    if (m_replaceDialog->findText().isEmpty()) {
        PMReplaceClick();
        return;
    }
    EMReplace(1, m_replaceDialog->findText(), m_replaceDialog->replaceText(),
        m_replaceDialog->matchCase(), m_replaceDialog->wholeWord(), false);
}

void RExtraMemo::EMFindDialogFind()
{
    m_findDialog->hide();
    EMReplace(0, m_findDialog->findText(), QString(), m_findDialog->matchCase(),
        m_findDialog->wholeWord(), false);
}

void RExtraMemo::EMReplaceDialogFind()
{
    EMReplace(0, m_replaceDialog->findText(), m_replaceDialog->replaceText(),
        m_replaceDialog->matchCase(), m_replaceDialog->wholeWord(), false);
    m_findDialog->setOptions(m_replaceDialog->findText(), m_replaceDialog->matchCase(),
        m_replaceDialog->wholeWord());
}

void RExtraMemo::EMReplaceDialogReplace(bool all)
{
    if (all)
        m_replaceDialog->hide();
    const QString findText = m_replaceDialog->findText();
    const QString replaceText = m_replaceDialog->replaceText();
    const bool matchCase = m_replaceDialog->matchCase();
    const bool wholeWord = m_replaceDialog->wholeWord();
    if (canEdit()) {
        EMReplace(1, findText, replaceText, matchCase, wholeWord, all);
        if (!all)
            EMReplace(0, findText, replaceText, matchCase, wholeWord, false);
    }
    m_findDialog->setOptions(findText, matchCase, wholeWord);
}

void RExtraMemo::showPopup(const QPoint& globalPos)
{
    m_popup->popup(globalPos);
}

bool RExtraMemo::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        const int combined = keyWithModifiers(key);
        // The control's own edit keys and the Delete key never reach a window shortcut.
        if (isOwnKey(combined) || key->key() == Qt::Key_Delete
            || key->key() == Qt::Key_Backspace) {
            e->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

bool RExtraMemo::handleShortcut(QKeyEvent* e)
{
    switch (keyWithModifiers(e)) {
    case CTRL | Qt::Key_Z: runCommand(Undo); return true;
    case CTRL | Qt::Key_B: runCommand(Redo); return true;
    case CTRL | Qt::Key_X: runCommand(Cut); return true;
    case CTRL | Qt::Key_C:
    case CTRL | Qt::Key_Insert: runCommand(Copy); return true;
    case CTRL | Qt::Key_V:
    case SHIFT | Qt::Key_Insert: runCommand(Paste); return true;
    case CTRL | Qt::Key_A: runCommand(SelectAll); return true;
    case CTRL | Qt::Key_R: runCommand(RegEx); return true;
    case CTRL | Qt::Key_F: runCommand(Find); return true;
    case CTRL | Qt::Key_G: runCommand(FindSame); return true;
    case CTRL | Qt::Key_T: runCommand(ReplaceSame); return true;
    default: return false;
    }
}

void RExtraMemo::keyPressEvent(QKeyEvent* e)
{
    if (handleShortcut(e)) {
        e->accept();
        return;
    }
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool ctrlOrAlt = mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = e->key();

    // The Delete key deletes nothing, with or without Shift or Ctrl.
    if (key == Qt::Key_Delete) {
        e->accept();
        return;
    }
    if (!canEdit()) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!ctrlOrAlt)
            EMType(QStringLiteral("\n"));
        e->accept();
        return;
    }
    if (key == Qt::Key_Tab && !ctrlOrAlt && !(mods & Qt::ShiftModifier)) {
        EMType(QStringLiteral("\t"));
        e->accept();
        return;
    }
    if (key == Qt::Key_Backspace) {
        // Word-wise deletion has no place in the ring's vocabulary; it is refused.
        if (!ctrlOrAlt) {
            int start = selStart();
            int length = selLength();
            if (length == 0) {
                if (start > 0) {
                    // A surrogate pair goes as one character.
                    const bool pair = start >= 2 && m_shadow.at(start - 1).isLowSurrogate()
                        && m_shadow.at(start - 2).isHighSurrogate();
                    length = pair ? 2 : 1;
                    start -= length;
                    recordAndReplace(start, length, QString());
                }
            } else {
                recordAndReplace(start, length, QString());
            }
        }
        e->accept();
        return;
    }
    const QString typed = e->text();
    const bool printable = !typed.isEmpty()
        && std::all_of(typed.begin(), typed.end(),
            [](QChar c) { return c.unicode() >= 32 && c.unicode() != 127; });
    // AltGr arrives as Ctrl+Alt on some platforms and still types a character.
    const bool altGr = (mods & Qt::ControlModifier) && (mods & Qt::AltModifier);
    if (printable && (!ctrlOrAlt || altGr)) {
        EMType(typed);
        e->accept();
        return;
    }
    // Navigation and selection keys; anything else the widget would change by itself is
    // recorded by the contents watcher.
    QPlainTextEdit::keyPressEvent(e);
}

void RExtraMemo::contextMenuEvent(QContextMenuEvent* e)
{
    showPopup(e->globalPos());
    e->accept();
}

void RExtraMemo::mousePressEvent(QMouseEvent* e)
{
    if (e->modifiers() & Qt::ControlModifier) {
        showPopup(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    // The middle button would paste the primary selection past the ring.
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(e);
}

void RExtraMemo::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(e);
}

void RExtraMemo::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QPlainTextEdit::mouseDoubleClickEvent(e);
}

namespace {

bool carriesFiles(const QMimeData* data)
{
    return data && data->hasUrls();
}

} // namespace

void RExtraMemo::dragEnterEvent(QDragEnterEvent* e)
{
    // Files go on to the window (a dropped document); only text is dropped into the editor.
    if (!canEdit() || carriesFiles(e->mimeData()) || !e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(e);
}

void RExtraMemo::dragMoveEvent(QDragMoveEvent* e)
{
    if (!canEdit() || carriesFiles(e->mimeData()) || !e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    QPlainTextEdit::dragMoveEvent(e);
}

void RExtraMemo::dropEvent(QDropEvent* e)
{
    if (!canEdit() || carriesFiles(e->mimeData()) || !e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    // A drop inserts a copy at the drop point as one step; the source keeps its text, so a
    // drag inside the control never changes the text in two places.
    const int position = cursorForPosition(e->position().toPoint()).position();
    setSelection(position, 0);
    EMType(e->mimeData()->text());
    e->setDropAction(Qt::CopyAction);
    e->accept();
    // The widget's drop caret is cleared as if the drag had left.
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);
    setFocus();
}
