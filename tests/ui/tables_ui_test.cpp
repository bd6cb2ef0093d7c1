// Tables in the editor, offscreen: a table inserted through the new-table
// window, typed into with Tab between cells, a column added and dragged wider
// on the header, a table nested in a cell, the file saved and the page's
// text export; the table commands follow whether the caret is in a table;
// the property window applies a cell background; cells are painted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "page/placed_table.h"
#include "page/table_mouse.h"
#include "platform/messages.h"
#include "editor_window.h"
#include "mouse_events.h"
#include "qt_test_app.h"
#include "support/page_text.h"
#include "ui/dialogs/tables.h"
#include "ui/main_window.h"
#include "ui/table_commands.h"

namespace ovik::ui {
namespace {

using ovik::testing::Content;

struct TablesUi : ::testing::Test {
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<platform::InMemorySettings> store;
    std::unique_ptr<TMainForm> window;

    void SetUp() override {
        TestApp();
        file = dir.filePath("tabelle.hqv");
        {
            platform::RecordingMessages msgs;
            THQVset set(msgs);
            set.NewHypertext();
            set.AddNewObject(testoHtml)->SetName("Zero");
            set.Page(0)->SetContent(Content("<Z S0 >prima<Z S0 >dopo"));
            ASSERT_TRUE(set.SaveHypertext(file.toStdString()));
        }
        store = std::make_unique<platform::InMemorySettings>();
        window = OpenEditor(*store, file);
        ASSERT_NE(window, nullptr);
        View().setFocus();
        QApplication::processEvents();
    }
    void TearDown() override {
        window.reset();
        store.reset();
    }
    TPageView& View() { return *window->View(); }
    // Answers the new-table window with `rows` x `cols` and template `index`.
    void AnswerNewTable(int rows, int cols, int templateIndex) {
        window->Tables().execWindow = [=](QDialog& d) {
            auto* w = dynamic_cast<TFNuovaTabella*>(&d);
            if (!w) return int(QDialog::Rejected);
            w->rows->setValue(rows);
            w->columns->setValue(cols);
            w->templates->setCurrentRow(templateIndex + 1);
            return int(QDialog::Accepted);
        };
    }
    void TypeText(const QString& s) { QTest::keyClicks(&View(), s); }
    std::pair<int32_t, int32_t> Where() {
        int32_t r = -1, c = -1;
        return View().Model().CurrentTable(&r, &c) ? std::pair{r, c} : std::pair{-1, -1};
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        SendMouse(View().viewport(), type, at, button, buttons);
    }
    void Click(QPoint at) {
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
};

TEST_F(TablesUi, InsertTypeWithTabAddAColumnDragItNestSaveAndExport) {
    const QStringList tableCommands{"TableProperties", "TableAddRow",       "TableAddColumn",
                                    "TableDeleteRow",  "TableDeleteColumn", "TableSelect"};
    // Outside a table the Tabella commands have nothing to act on.
    for (const QString& name : tableCommands) EXPECT_FALSE(window->Action(name)->isEnabled()) << name.toStdString();
    QAction* insert = window->Action("InsertTable");
    ASSERT_TRUE(insert->isEnabled());
    EXPECT_EQ(insert->shortcut(), QKeySequence("Ctrl+T"));

    View().MainBox()->SetCaret(0, 5);
    AnswerNewTable(3, 3, 1);  // "Righe alternate"
    insert->trigger();
    QApplication::processEvents();
    TMyyTable* table = View().Model().CurrentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Record().Template(), 1);
    EXPECT_EQ(Where(), (std::pair{0, 0}));
    for (const QString& name : tableCommands) EXPECT_TRUE(window->Action(name)->isEnabled()) << name.toStdString();

    // Typing, Tab to the next cell.
    const QStringList words{"uno", "due", "tre", "quattro"};
    for (const QString& w : words) {
        TypeText(w);
        QTest::keyClick(&View(), Qt::Key_Tab);
    }
    EXPECT_EQ(Where(), (std::pair{1, 1}));
    QTest::keyClick(&View(), Qt::Key_Backtab);
    EXPECT_EQ(Where(), (std::pair{1, 0}));
    EXPECT_EQ(table->CellAt(0, 2)->Paragraph(0).Text(), "tre");

    // A column added at the caret's (the first) column.
    window->Action("TableAddColumn")->trigger();
    EXPECT_EQ(table->Columns(), 4);
    EXPECT_EQ(table->CellAt(0, 1)->Paragraph(0).Text(), "uno");

    // Selected, the table shows its header; the last column's edge dragged.
    window->Action("TableSelect")->trigger();
    ASSERT_EQ(View().SelectedTable(), table);
    QApplication::processEvents();
    const QRect tr = View().TableRect(*table);
    ASSERT_FALSE(tr.isNull());
    const int32_t before = table->Header()[3].width;
    const QPoint edge = tr.topLeft() + QPoint(TableMouse::SectionRight(*table, 3), -5);
    Mouse(QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton);
    ASSERT_NE(View().TableGesture(), nullptr);
    Mouse(QEvent::MouseMove, edge + QPoint(40, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(View().TableGesture()->LineX(), TableMouse::SectionRight(*table, 3) + 40);
    Mouse(QEvent::MouseButtonRelease, edge + QPoint(40, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(View().TableGesture(), nullptr);
    EXPECT_GT(table->Header()[3].width, before);
    EXPECT_EQ(View().Model().History()->UndoDescriptions().front(), "Dimensiona celle");

    // A click into the last cell, and a table nested there.
    QApplication::processEvents();
    const QRect again = View().TableRect(*table);
    const TMyyTable::CellPlace last = table->PlaceOf(2, 3);
    Click(again.topLeft() + QPoint(last.x + 4, last.y + 4));
    EXPECT_EQ(View().SelectedTable(), nullptr);
    EXPECT_EQ(Where(), (std::pair{2, 3}));
    AnswerNewTable(1, 2, -1);
    insert->trigger();
    TMyyTable* nested = View().Model().CurrentTable();
    ASSERT_NE(nested, nullptr);
    ASSERT_NE(nested, table);
    QTest::keyClick(&View(), Qt::Key_Tab);
    TypeText("x");
    EXPECT_EQ(nested->CellAt(0, 1)->Paragraph(0).Text(), "x");

    // Cells are painted where they stand: the first row's cells have the
    // template's colour, a transparent cell of the second row the page's.
    QApplication::processEvents();
    const QImage shot = View().viewport()->grab().toImage();
    const QRect t2 = View().TableRect(*table);
    const TMyyTable::CellPlace c01 = table->PlaceOf(0, 1), c11 = table->PlaceOf(1, 1);
    const QPoint inFirstRow = t2.topLeft() + QPoint(c01.x + c01.width - 3, c01.y + c01.height - 2);
    const QPoint inSecondRow = t2.topLeft() + QPoint(c11.x + c11.width - 3, c11.y + c11.height - 2);
    EXPECT_NE(shot.pixelColor(inFirstRow), shot.pixelColor(inSecondRow));

    ASSERT_TRUE(window->Document().SaveDocument());
    THQVtoTxt txt(&window->Set());
    std::string text;
    txt.AppendPage(0, text);
    EXPECT_EQ(text, "prima\r\n\tuno\tdue\ttre\r\n\tquattro\t\t\r\n\t\t\t\tx\r\n\r\n\r\ndopo") << text;
}

TEST_F(TablesUi, ThePropertyWindowAppliesACellBackgroundAndTheRowCommandsUndo) {
    View().MainBox()->SetCaret(0, 5);
    AnswerNewTable(2, 2, -1);
    window->Action("InsertTable")->trigger();
    TMyyTable* table = View().Model().CurrentTable();
    ASSERT_NE(table, nullptr);
    QTest::keyClick(&View(), Qt::Key_Tab);  // the cell at (0, 1)
    window->Tables().execWindow = [](QDialog& d) {
        auto* w = dynamic_cast<TFPropTabella*>(&d);
        if (!w) return int(QDialog::Rejected);
        EXPECT_EQ(w->column->value(), 2);
        w->pages->setCurrentIndex(TFPropTabella::CellPage);
        w->cellColour->setChecked(true);
        w->cellColourButton->SetColour(0x0000FF);
        w->applyTo->setCurrentIndex(int(ApplyTo::Column));
        return int(QDialog::Accepted);
    };
    window->Action("TableProperties")->trigger();
    EXPECT_EQ(View().Model().History()->UndoDescriptions().front(), "Modifica tabella");
    EXPECT_EQ(table->CellBackgroundCode(0, 1), 0x0000FF);
    EXPECT_EQ(table->CellBackgroundCode(1, 1), 0x0000FF);
    EXPECT_EQ(table->CellBackgroundCode(0, 0), -1);

    window->Action("TableAddRow")->trigger();
    EXPECT_EQ(table->Rows(), 3);
    EXPECT_EQ(View().Model().History()->UndoDescriptions().front(), "Aggiunta righe");
    // The caret's row deleted: the caret stays in the table.
    window->Action("TableDeleteRow")->trigger();
    EXPECT_EQ(table->Rows(), 2);
    EXPECT_NE(View().Model().CurrentTable(), nullptr);
    window->Action("TableDeleteColumn")->trigger();
    EXPECT_EQ(table->Columns(), 1);
    // The last column is not deleted.
    window->Action("TableDeleteColumn")->trigger();
    EXPECT_EQ(table->Columns(), 1);
    window->Action("EditUndo")->trigger();
    EXPECT_EQ(table->Columns(), 2);

    // Leaving the table disables its commands again.
    View().Model().FocusBox(View().MainBox(), 0, 0);
    View().Run([](BoxEditor&) {});
    EXPECT_FALSE(window->Action("TableAddRow")->isEnabled());
}

TEST_F(TablesUi, TheNewTableWindowRefusesTooManyCells) {
    TFNuovaTabella w(window->Set(), *store);
    w.Load();
    EXPECT_EQ(w.rows->maximum(), kMaxNewTableRows);
    EXPECT_EQ(w.columns->maximum(), kMaxTableColumns);
    w.rows->setValue(200);
    w.columns->setValue(50);
    EXPECT_NE(CheckNewTableSize(w.rows->value(), w.columns->value()), "");
    w.rows->setValue(100);
    w.columns->setValue(50);
    EXPECT_EQ(CheckNewTableSize(w.rows->value(), w.columns->value()), "");
    const NewTableChoice c = w.Choice();
    EXPECT_EQ(c.templateIndex, -1);
    EXPECT_EQ(c.rows, 100);
}

}  // namespace
}  // namespace ovik::ui
