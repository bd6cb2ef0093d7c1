// The editor's commands as tables: each menu (and the format toolbar) lists
// its commands with object name, caption, shortcuts, handler and the state
// that enables them; the main window assembles the tables into its menus,
// toolbars and the view's context menu.
#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <vector>

namespace ovik::ui {

// When a command is enabled; the main window applies it after every change
// of the view (UpdateEditActions).
enum class EnabledWhen {
    Fixed,             // as `enabled` says; the feature that wires it may switch it
    Editing,           // a page is shown for editing
    Selection,         // text is selected (editing or preview)
    EditingSelection,  // text is selected in a page shown for editing
    PageShown,         // a page is shown, for editing or in preview
    InTable,           // a page is edited and the caret is in a table (or one is selected)
};

struct Command {
    const char* name = nullptr;  // the action's object name, reached by language blocks
    QString caption;
    QList<QKeySequence> shortcuts;
    // Null when the feature behind the command is not built yet (it is then in
    // the not-built list) or when the feature wires the command itself (links,
    // search, spelling).
    std::function<void()> run;
    EnabledWhen when = EnabledWhen::Fixed;
    bool enabled = true;  // the state before the first page is shown
    bool checkable = false;
};

struct MenuEntry {
    enum class Kind { Item, Separator, SubMenu, RecentFiles };
    Kind kind = Kind::Item;
    Command command;
    // A submenu: its object name, caption and entries.
    const char* subName = nullptr;
    QString subCaption;
    std::vector<MenuEntry> sub;

    MenuEntry(Command c) : command(std::move(c)) {}  // NOLINT: a table row is a command
    static MenuEntry Separator() { return MenuEntry(Kind::Separator); }
    // Where the recent files are listed (the File menu).
    static MenuEntry RecentFiles() { return MenuEntry(Kind::RecentFiles); }
    static MenuEntry SubMenu(const char* name, QString caption, std::vector<MenuEntry> entries) {
        MenuEntry e(Kind::SubMenu);
        e.subName = name;
        e.subCaption = std::move(caption);
        e.sub = std::move(entries);
        return e;
    }

private:
    explicit MenuEntry(Kind k) : kind(k) {}
};

struct MenuTable {
    const char* name;  // the menu's object name
    QString caption;
    std::vector<MenuEntry> entries;
};

// Connects a command's handler and marks the action as handled (the property
// "handled"), so that the commands without one can be told apart: features
// that wire their commands themselves use this too.
void SetHandler(QAction* action, QObject* context, std::function<void()> run);

// Shortcut lists from their portable texts: Keys("Ctrl+X", "Shift+Del").
template <class... S>
QList<QKeySequence> Keys(const S&... texts) {
    return {QKeySequence(QString::fromLatin1(texts))...};
}

}  // namespace ovik::ui
