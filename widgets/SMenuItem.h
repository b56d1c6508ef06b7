#pragma once
#include <QString>

class QAction;
class QMenu;
class QObject;

// The thirteen items of an editor's edit menu, in menu order. Each editor fills one for its
// popup menu; a window with an Edit menu fills one for that menu. RExtraMemo::EMEnabledSet
// updates any of them from the editor's state.
struct SMenuItem {
    enum Index {
        Undo, Redo, Separator1, Cut, Copy, Paste, SelectAll, Separator2,
        RegEx, Find, FindSame, Replace, ReplaceSame, Count
    };
    QAction* item[Count] = {};

    QAction* operator[](int i) const { return item[i]; }
};

// Appends the thirteen items to `menu` with their captions, object names ("PMUndo", ...)
// and shortcuts, each enabled and unchecked ("Use Regular Expression" is checkable).
// `context` decides where the shortcuts act: a popup menu keeps them to itself
// (Qt::WidgetShortcut), a window's Edit menu acts window-wide.
void fillEditMenu(QMenu* menu, SMenuItem& items, int context);
