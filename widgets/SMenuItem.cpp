#include "widgets/SMenuItem.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

void fillEditMenu(QMenu* menu, SMenuItem& items, int context)
{
    struct Spec {
        const char* caption;
        const char* name;
        QKeyCombination key;
    };
    static const Spec specs[SMenuItem::Count] = {
        {"Undo", "PMUndo", Qt::CTRL | Qt::Key_Z},
        {"Redo", "PMRedo", Qt::CTRL | Qt::Key_B},
        {nullptr, nullptr, {}},
        {"Cut", "PMCut", Qt::CTRL | Qt::Key_X},
        {"Copy", "PMCopy", Qt::CTRL | Qt::Key_C},
        {"Paste", "PMPaste", Qt::CTRL | Qt::Key_V},
        {"SelectAll", "PMSelectAll", Qt::CTRL | Qt::Key_A},
        {nullptr, nullptr, {}},
        {"Use Regular Expression", "PMRegEx", Qt::CTRL | Qt::Key_R},
        {"Find...", "PMFind", Qt::CTRL | Qt::Key_F},
        {"Find Same", "PMFindSame", Qt::CTRL | Qt::Key_G},
        {"Replace...", "PMReplace", {}},
        {"Replace Same", "PMReplaceSame", Qt::CTRL | Qt::Key_T},
    };
    for (int i = 0; i < SMenuItem::Count; ++i) {
        const Spec& s = specs[i];
        if (!s.caption) {
            items.item[i] = menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(s.caption));
        action->setObjectName(QString::fromLatin1(s.name));
        if (s.key != QKeyCombination()) {
            action->setShortcut(QKeySequence(s.key));
            action->setShortcutContext(static_cast<Qt::ShortcutContext>(context));
        }
        if (i == SMenuItem::RegEx)
            action->setCheckable(true);
        items.item[i] = action;
    }
}
