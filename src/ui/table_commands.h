// The commands of tables in the main window: inserting a table (Ctrl+T, the
// new-table window), the table property window, adding and deleting the
// caret's row or column, selecting the table, and the popup menus of a
// selected table ("PopupTable") and of a cell ("PopupTableChild").
#pragma once

#include <QDialog>
#include <QMenu>
#include <QObject>
#include <functional>

#include "ui/qt_platform.h"

namespace ovik::ui {

class TMainForm;
class TFNuovaTabella;
class TFPropTabella;

class TTableCommands : public QObject {
    Q_OBJECT
public:
    TTableCommands(TMainForm& window, platform::SettingsStore& store);

    // "&Tabella...": the new-table window, then the table at the caret.
    void InsertTable();
    // The property window of the current table; its change is one undo entry.
    void TableProperties();
    // The caret's row or column: a new one before it, or it deleted. A
    // table selected as a whole without a cell takes its last row or column.
    void AddRow();
    void AddColumn();
    void DeleteRow();
    void DeleteColumn();
    // Selects the caret's table as a whole (its header and handles show).
    void SelectTable();

    QMenu* popupTable = nullptr;
    QMenu* popupTableChild = nullptr;
    // Runs a window modally (tests replace it to fill the window and answer).
    std::function<int(QDialog&)> execWindow = [](QDialog& d) { return d.exec(); };

private:
    TMainForm& w_;
    platform::SettingsStore& store_;
};

}  // namespace ovik::ui
