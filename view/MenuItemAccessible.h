#pragma once

// The menus' texts carry their shortcut after a tab, as the telephone
// program's menus always did ("&Rückgängig\tCtrl+Z"), and Qt's menu shows
// that part in its shortcut column. Qt's own interface of a menu item would
// read the whole text as the item's name; this one names the item by the
// text before the tab and gives the rest as its shortcut.

#include <QString>

class QAccessibleInterface;
class QAction;

namespace velkaro {

// The interface of a menu item whose text has a shortcut part; null for
// any other action, which Qt describes itself.
QAccessibleInterface* MenuItemAccessible(QAction* action);

// A menu text as read aloud: without its shortcut part and letter marks.
QString MenuItemName(const QString& text);

}  // namespace velkaro
