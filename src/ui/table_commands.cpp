#include "ui/table_commands.h"

#include "page/placed_table.h"
#include "ui/dialogs/tables.h"
#include "ui/main_window.h"

namespace ovik::ui {

namespace {

// The cell the row and column commands act on: the caret's, when it is in
// `t` (null when the table is selected as a whole).
THQVbox* CaretCell(TPageView& view, TMyyTable& t) {
    int32_t r = 0, c = 0;
    THQVbox* box = view.Box();
    return box && t.CellPosition(box, r, c) ? box : nullptr;
}

}  // namespace

TTableCommands::TTableCommands(TMainForm& window, platform::SettingsStore& store)
    : QObject(&window), w_(window), store_(store) {
    // Both menus hold the Tabella menu's own commands.
    popupTable = new QMenu(&w_);
    popupTable->setObjectName("PopupTable");
    popupTableChild = new QMenu(&w_);
    popupTableChild->setObjectName("PopupTableChild");
    for (const char* name : {"TableProperties", "TableAddRow", "TableAddColumn", "TableDeleteRow",
                             "TableDeleteColumn"}) {
        if (QAction* a = w_.Action(name)) {
            popupTable->addAction(a);
            popupTableChild->addAction(a);
        }
    }
    popupTableChild->addAction(w_.Action("TableSelect"));
    popupTable->addSeparator();
    popupTableChild->addSeparator();
    for (const char* name : {"EditCut", "EditCopy"})
        if (QAction* a = w_.Action(name)) popupTable->addAction(a);
    for (const char* name : {"EditCut", "EditCopy", "EditPaste"})
        if (QAction* a = w_.Action(name)) popupTableChild->addAction(a);
    w_.View()->SetTableMenus(popupTable, popupTableChild);
}

void TTableCommands::InsertTable() {
    TPageView* view = w_.View();
    if (!view->Editor() || view->ReadOnly()) return;
    TFNuovaTabella window(w_.Set(), store_, &w_);
    window.Load();
    if (execWindow(window) != QDialog::Accepted) return;
    view->InsertTable(window.Choice());
    view->setFocus();
}

void TTableCommands::TableProperties() {
    TPageView* view = w_.View();
    TMyyTable* table = view->CurrentTable();
    if (!table || view->ReadOnly()) return;
    int32_t row = 0, col = 0;
    if (THQVbox* cell = CaretCell(*view, *table)) table->CellPosition(cell, row, col);
    TFPropTabella window(w_.Set(), store_, &w_);
    window.Load(*table, row, col);
    if (execWindow(window) != QDialog::Accepted) return;
    const ovik::TableProperties p = window.Properties();
    view->RunOnTable([&](TMyyTable& t) { t.ApplyProperties(p, std::max(t.LastAvailableWidth(), 0)); });
}

void TTableCommands::AddRow() {
    TPageView* view = w_.View();
    view->RunOnTable([view](TMyyTable& t) {
        if (THQVbox* cell = CaretCell(*view, t)) t.AddRowAt(cell);
        else t.AddRows(t.Rows(), 1);
    });
}

void TTableCommands::AddColumn() {
    TPageView* view = w_.View();
    view->RunOnTable([view](TMyyTable& t) {
        if (THQVbox* cell = CaretCell(*view, t)) t.AddColumnAt(cell);
        else t.AddColumns(t.Columns(), 1);
    });
}

void TTableCommands::DeleteRow() {
    TPageView* view = w_.View();
    view->RunOnTable([view](TMyyTable& t) {
        if (THQVbox* cell = CaretCell(*view, t)) t.DeleteRowOf(cell);
        else t.DeleteRows(t.Rows() - 1, t.Rows() - 1);
    });
}

void TTableCommands::DeleteColumn() {
    TPageView* view = w_.View();
    view->RunOnTable([view](TMyyTable& t) {
        if (THQVbox* cell = CaretCell(*view, t)) t.DeleteColumnOf(cell);
        else t.DeleteColumns(t.Columns() - 1, t.Columns() - 1);
    });
}

void TTableCommands::SelectTable() {
    TPageView* view = w_.View();
    if (TMyyTable* t = view->CurrentTable(); t && !view->ReadOnly()) view->SelectTable(t);
}

}  // namespace ovik::ui
