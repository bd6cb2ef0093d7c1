// The window's editing commands on the shown page, offscreen: the style-bit
// toggles, the format toolbar, the undo drop-down list and the plain-text
// clipboard.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QColorDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/codepage.h"
#include "document/format1.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "text/box_attributes.h"
#include "text/layout.h"
#include "text/text_attributes.h"
#include "document/hqv_set.h"
#include "document/hqv_object.h"
#include "ui/dialogs/character.h"
#include "ui/dialogs/styles.h"
#include "ui/main_window.h"
#include "ui/undo_popup.h"

namespace ovik::ui {
namespace {

struct WithApp {
    WithApp() { TestApp(); }
};

struct EditCommands : ::testing::Test, WithApp {
    platform::InMemorySettings store;
    TMainForm w{store};

    EditCommands() {
        w.Document().NewDocument();
        auto* page = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
        const std::string markup = "<Z S0 >x";
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        page->SetContent(content);
        w.View()->ShowPage(w.Set(), page->Number());
        w.View()->setFocus();
    }
    THQVbox& Box() { return *w.View()->Box(); }
    QWidget* Viewport() { return w.View()->viewport(); }
    std::string Text() {
        std::string s;
        for (int32_t i = 0; i < Box().ParagraphCount(); ++i) {
            if (i) s += '|';
            s += Box().Paragraph(i).Text();
        }
        return s;
    }
    // Style bits of character i of paragraph p.
    uint8_t StyleAt(int32_t p, int32_t i) { return Box().Paragraph(p).FontAt(i).style; }
    void Clear() {
        w.Action("EditSelectAll")->trigger();
        QTest::keyClick(Viewport(), Qt::Key_Delete);
    }
    // The newest undo entry, as the undo command shows it.
    std::string NewestUndo() { return cp1252::FromUtf8(w.Action("EditUndo")->statusTip().toStdString()); }
    // Acts on the next modal window once it runs its own event loop.
    template <class Window>
    void WhenShown(std::function<void(Window&)> act) {
        QTimer::singleShot(0, &w, [act] {
            auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget());
            ASSERT_NE(modal, nullptr);
            act(*modal);
        });
    }
};

TEST_F(EditCommands, BoldTurnsOffForTheNextTypedText) {
    ASSERT_NE(w.View()->Box(), nullptr);
    Clear();
    QTest::keyClicks(Viewport(), "ab");
    w.Action("FormatBold")->trigger();
    EXPECT_TRUE(w.Action("FormatBold")->isChecked());
    QTest::keyClicks(Viewport(), "cd");
    w.Action("FormatBold")->trigger();
    EXPECT_FALSE(w.Action("FormatBold")->isChecked());
    QTest::keyClicks(Viewport(), "ef");
    w.Action("FormatUnderline")->trigger();
    QTest::keyClicks(Viewport(), "g");
    ASSERT_EQ(Text(), "abcdefg");
    EXPECT_EQ(StyleAt(0, 1) & 1, 0);
    EXPECT_EQ(StyleAt(0, 2) & 1, 1);
    EXPECT_EQ(StyleAt(0, 3) & 1, 1);
    EXPECT_EQ(StyleAt(0, 4) & 1, 0);
    EXPECT_EQ(StyleAt(0, 5) & 1, 0);
    EXPECT_EQ(StyleAt(0, 6), 4);
}

TEST_F(EditCommands, FormatToolbarActsOnTheSelectionOrTheCaretParagraph) {
    Clear();
    QTest::keyClicks(Viewport(), "uno");
    QTest::keyClick(Viewport(), Qt::Key_Return);
    QTest::keyClicks(Viewport(), "due");
    w.Action("EditSelectAll")->trigger();
    emit w.SizeBox()->textActivated("18");
    emit w.FaceBox()->textActivated("Arial");
    EXPECT_EQ(Box().Paragraph(0).FontAt(1).size, 18);
    EXPECT_EQ(Box().Paragraph(1).FontAt(1).face, "Arial");
    EXPECT_EQ(w.SizeBox()->currentText().toStdString(), "18");

    THQVParaAttributes& pa = Box().ParaAttributes();
    struct Row {
        const char* action;
        uint8_t alignment;
    } rows[] = {{"FormatAlignCentre", 2}, {"FormatAlignRight", 1}, {"FormatAlignLeft", 0}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.action);
        w.Action(r.action)->trigger();
        EXPECT_EQ(pa.Alignment(), r.alignment);
        EXPECT_TRUE(w.Action(r.action)->isChecked());
    }
    // A list button sets its kind and takes it away again.
    w.Action("FormatNumbers")->trigger();
    EXPECT_EQ(pa.ListKind(), 6);
    w.Action("FormatBullets")->trigger();
    EXPECT_EQ(pa.ListKind(), 10);
    w.Action("FormatBullets")->trigger();
    EXPECT_EQ(pa.ListKind(), 0);
    // Indents move the left margin by a centimetre and never below 0.
    const double before = pa.LeftMargin();
    w.Action("FormatIndentMore")->trigger();
    EXPECT_NEAR(pa.LeftMargin() - before, PixelsToUnit(UnitToPixels(1.0, umCentimetres, 96), pa.Unit(), 96), 0.5);
    for (int i = 0; i < 40; ++i) w.Action("FormatIndentLess")->trigger();
    EXPECT_EQ(pa.LeftMargin(), 0);

    // The colour comes from the colour dialog (a platform colour: low byte red).
    QTimer::singleShot(0, &w, [] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            dialog->setCurrentColor(QColor(0x11, 0x22, 0x33));
            dialog->accept();
        }
    });
    w.Action("FormatColour")->trigger();
    EXPECT_EQ(Box().Paragraph(1).FontAt(0).colour, 0x332211);

    // The style box lists the hypertext's styles and applies one.
    auto names = w.Set().StyleNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(w.StyleBox()->count(), int(names.size()));
    const std::string style = names.back();
    // For the paragraph's own style the formatted text brings the question of
    // what to do; reformatting applies the style.
    QTimer::singleShot(0, &w, [] {
        if (auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            for (QAbstractButton* b : question->buttons())
                if (b->text().startsWith("Riformattare")) b->click();
    });
    emit w.StyleBox()->textActivated(QString::fromStdString(cp1252::ToUtf8(style)));
    QCoreApplication::processEvents();
    EXPECT_EQ(pa.StyleName(), style);
}

TEST_F(EditCommands, PastingAPageIsOneUndoableActionWithTheBackgroundWhenAsked) {
    auto* source = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
    const std::string markup = "<Z S0 >uno<Z S0 >due";
    source->SetContent(Bytes(markup.begin(), markup.end() + 1));
    source->SetI32(page_rec::kBackColour, 0x00FF00);
    const int32_t colour = Box().BackgroundColour();
    struct Row {
        bool withBackground;
        int32_t expectedColour;
    } rows[] = {{false, colour}, {true, 0x00FF00}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.withBackground);
        Box().hasSelection = false;
        Box().caret = Box().MakePosition(0, 0);
        ASSERT_TRUE(w.View()->CopyPageFrom(*source, row.withBackground));
        EXPECT_EQ(Text(), "uno|duex");
        EXPECT_EQ(Box().BackgroundColour(), row.expectedColour);
        EXPECT_TRUE(w.Action("EditPastePage")->isEnabled());
        EXPECT_EQ(w.Action("EditUndo")->statusTip(), "Copio pagina da preesistente");
        w.Action("EditUndo")->trigger();
        EXPECT_EQ(Text(), "x");
        Box().SetBackgroundColour(colour);
    }
    w.View()->SetReadOnly(true);
    EXPECT_FALSE(w.View()->CopyPageFrom(*source, false));
    EXPECT_EQ(Text(), "x");
}

TEST_F(EditCommands, UndoListSelectsARunFromTheNewestEntry) {
    TUndoPopup popup({"c", "b", "a"});
    struct Step {
        int key;
        int32_t selected;
    } steps[] = {{Qt::Key_Down, 2}, {Qt::Key_Right, 3}, {Qt::Key_Down, 3}, {Qt::Key_Up, 2},
                 {Qt::Key_Left, 1}, {Qt::Key_Up, 1},    {Qt::Key_Down, 2}};
    for (auto& s : steps) {
        QTest::keyClick(&popup, Qt::Key(s.key));
        EXPECT_EQ(popup.Rules().Selected(), s.selected);
    }
    EXPECT_EQ(popup.Confirmed(), 0);
    QTest::keyClick(&popup, Qt::Key_Return);
    EXPECT_EQ(popup.Confirmed(), 2);
    // Moving with the button down selects up to the item under the mouse;
    // a double click confirms the run up to its item.
    TUndoPopup mouse({"d", "c", "b", "a"});
    mouse.resize(TUndoBox::kWidth, 200);
    const QPoint third = mouse.visualItemRect(mouse.item(2)).center();
    QMouseEvent drag(QEvent::MouseMove, third, mouse.mapToGlobal(third), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(mouse.viewport(), &drag);
    EXPECT_EQ(mouse.Rules().Selected(), 3);
    QTest::mouseDClick(mouse.viewport(), Qt::LeftButton, {}, mouse.visualItemRect(mouse.item(1)).center());
    EXPECT_EQ(mouse.Confirmed(), 2);
    TUndoPopup cancelled({"b", "a"});
    QTest::keyClick(&cancelled, Qt::Key_Down);
    QTest::keyClick(&cancelled, Qt::Key_Escape);
    EXPECT_EQ(cancelled.Confirmed(), 0);
}

TEST_F(EditCommands, UndoFromTheListTakesBackThatManyEntries) {
    Clear();
    QTest::keyClicks(Viewport(), "uno");
    QTest::keyClick(Viewport(), Qt::Key_Return);
    QTest::keyClicks(Viewport(), "due");
    QTest::keyClick(Viewport(), Qt::Key_Return);
    ASSERT_EQ(Text(), "uno|due|");
    w.UndoFromList(3);  // the Enter, the typing of "due", the first Enter
    EXPECT_EQ(Text(), "uno");
    EXPECT_TRUE(w.Action("EditRedo")->isEnabled());
    w.Action("EditRedo")->trigger();
    EXPECT_EQ(Text(), "uno|");
}

TEST_F(EditCommands, UndoButtonOpensTheListBelowItAndUndoesTheConfirmedRun) {
    Clear();
    QTest::keyClicks(Viewport(), "uno");
    QTest::keyClick(Viewport(), Qt::Key_Return);
    QTest::keyClicks(Viewport(), "due");
    w.show();
    auto* button = w.findChild<QToolButton*>("UndoListButton");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    bool seen = false;
    // The list runs its own event loop: the keys go to it from a timer.
    QTimer::singleShot(0, &w, [&] {
        auto* popup = w.findChild<TUndoPopup*>();
        ASSERT_NE(popup, nullptr);
        seen = true;
        EXPECT_FALSE(button->isEnabled());
        EXPECT_EQ(popup->count(), 4);  // the clearing, "uno", the Enter, "due"
        EXPECT_EQ(popup->width(), TUndoBox::kWidth);
        const QPoint corner = button->mapToGlobal(QPoint(0, button->height()));
        EXPECT_EQ(popup->geometry().topLeft(), corner);
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    button->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(Text(), "uno");
}

TEST_F(EditCommands, ContextMenuOffersTheWindowsClipboardCommands) {
    Clear();
    QTest::keyClicks(Viewport(), "uno due");
    w.Action("EditSelectAll")->trigger();
    w.show();
    QStringList offered;
    QTimer::singleShot(0, &w, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions())
                if (a->isEnabled()) offered << a->objectName();
            menu->close();
        }
    });
    // A right click inside the selection keeps it for the menu's commands.
    TextPosition p = PositionOf(Box(), 0, 2);
    QTest::mouseClick(Viewport(), Qt::RightButton, {}, QPoint(p.x + 1, p.y + p.height / 2));
    // Then, after a separator, the character, paragraph and new-style windows.
    EXPECT_EQ(offered, (QStringList{"EditCut", "EditCopy", "EditPaste", "EditSelectAll", "", "FormatFont",
                                    "FormatParagraph", "FormatAddStyle"}));
    EXPECT_TRUE(w.View()->HasSelection());
}

TEST_F(EditCommands, TheEditorsOwnFormatCarriesStylesAndLinksToAnotherPage) {
    auto address = w.Set().NewInternetLink("http://esempio.it/");
    THQVoggetto* web = THQVoggetto::Register(address, -1);
    char tag[16];
    std::snprintf(tag, sizeof tag, "<$%08x>", uint32_t(web->Id()));
    auto addPage = [&](const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
        p->SetContent(Bytes(markup.begin(), markup.end() + 1));
        return p->Number();
    };
    const int32_t from = addPage("<Z S0 >" + std::string(tag) + "web<%> <Y y1 >neretto");
    const int32_t to = addPage("<Z S0 >x");
    w.View()->ShowPage(w.Set(), from);
    w.View()->Run([](BoxEditor& e) { e.SelectAll(); });
    ASSERT_TRUE(w.View()->HasSelection());
    w.View()->Copy();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasFormat(TPageView::kObjectsFormat));
    EXPECT_EQ(mime->text(), "web neretto");

    w.View()->ShowPage(w.Set(), to);
    Box().caret = Box().MakePosition(0, 1);
    w.View()->Paste();
    w.View()->Paste();
    EXPECT_EQ(Text(), "xweb nerettoweb neretto");
    // Each paste gave the page its own page-local copy of the link.
    const THQVparag& p = Box().Paragraph(0);
    const int32_t first = p.Records()[1].link, second = p.Records()[12].link;
    EXPECT_EQ(IdKind(first), kPageLocalKind);
    EXPECT_EQ(IdKind(second), kPageLocalKind);
    EXPECT_NE(first, second);
    EXPECT_TRUE(p.FontAt(5).style & 1);  // bold came along
    EXPECT_EQ(w.Action("EditUndo")->statusTip(), "Inserimento da Cartella appunti");
    // Stored, the two copies are the one link of that address.
    w.View()->StorePage();
    std::vector<int32_t> tags = ObjectTagsIn(*w.Set().Page(to)->MemContent());
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0], web->Id());
    EXPECT_EQ(tags[1], web->Id());
}

TEST_F(EditCommands, ClipboardCarriesPlainUnicodeText) {
    Clear();
    QClipboard* clip = QGuiApplication::clipboard();
    // Characters Windows-1252 holds come back as they were; others become
    // the closest one or "?"; line breaks become paragraphs.
    clip->setText(QString::fromUtf8("Perché 5€\r\nriga ✓ due"));
    w.Action("EditPaste")->trigger();
    EXPECT_EQ(Text(), cp1252::FromUtf8("Perché 5€") + "|riga ? due");
    // The paste is one undo entry.
    w.Action("EditUndo")->trigger();
    EXPECT_EQ(Text(), "");
    w.Action("EditRedo")->trigger();
    EXPECT_EQ(Text(), cp1252::FromUtf8("Perché 5€") + "|riga ? due");
    w.Action("EditSelectAll")->trigger();
    EXPECT_TRUE(w.Action("EditCopy")->isEnabled());
    w.Action("EditCopy")->trigger();
    EXPECT_EQ(clip->text().toStdString(), "Perché 5€\nriga ? due");
    // Cut: the selection goes to the clipboard and leaves the page.
    QTest::keyClick(Viewport(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(Viewport(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(Viewport(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(Viewport(), Qt::Key_Left, Qt::ShiftModifier);
    w.Action("EditCut")->trigger();
    EXPECT_EQ(clip->text().toStdString(), "due");
    EXPECT_EQ(Text(), cp1252::FromUtf8("Perché 5€") + "|riga ? ");
    w.View()->Undo();
    EXPECT_EQ(Text(), cp1252::FromUtf8("Perché 5€") + "|riga ? due");
    // Markup characters in the text stay text.
    Clear();
    w.View()->PasteText("<Z S0 >a\\<b>");
    EXPECT_EQ(Text(), "<Z S0 >a\\<b>");
}

}  // namespace
}  // namespace ovik::ui

namespace ovik::ui {
namespace {

// Text from other programs takes the style of the paragraph it is pasted in,
// in every line, also in an empty paragraph.
TEST_F(EditCommands, PastedPlainTextTakesTheCaretParagraphsStyle) {
    for (const char* start : {"x", ""}) {
        SCOPED_TRACE(std::string("into \"") + start + "\"");
        Clear();
        QTest::keyClicks(Viewport(), start);
        ASSERT_TRUE(Box().ParaAttributes().ApplyStyle("[nessuno stile tabella]"));
        w.View()->PasteText("uno\ndue\ntre");
        ASSERT_EQ(Box().ParagraphCount(), 3);
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_EQ(Box().Paragraph(i).Style().Base()->Number(), 1) << i;
    }
}

TEST_F(EditCommands, TheCharacterWindowShowsTheSelectionsFontAndChangesItInOneUndoStep) {
    Clear();
    QTest::keyClicks(Viewport(), "abc");
    EXPECT_TRUE(w.Action("FormatFont")->isEnabled());
    EXPECT_TRUE(w.Action("InsertSymbol")->isEnabled());
    emit w.SizeBox()->textActivated("18");  // pending: "d" comes 18 points
    QTest::keyClicks(Viewport(), "d");
    w.Action("EditSelectAll")->trigger();
    const std::string before = NewestUndo();
    TMyFont shown;
    WhenShown<TFCarattere>([&](TFCarattere& d) {
        shown = d.Font();
        d.bold->setChecked(true);
        d.accept();
    });
    w.Action("FormatFont")->trigger();
    EXPECT_EQ(shown.style, 0);
    EXPECT_EQ(shown.size, Box().Paragraph(0).FontAt(0).size);
    ASSERT_EQ(Text(), "abcd");
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(StyleAt(0, i), 1) << i;
    EXPECT_EQ(Box().Paragraph(0).FontAt(3).size, 18);  // only what was changed changes
    EXPECT_EQ(NewestUndo(), "Applica stile font: Grassetto ");
    w.Action("EditUndo")->trigger();
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(StyleAt(0, i), 0) << i;
    EXPECT_EQ(Box().Paragraph(0).FontAt(3).size, 18);
    EXPECT_EQ(NewestUndo(), before);

    // Annulla changes nothing.
    WhenShown<TFCarattere>([](TFCarattere& d) {
        d.italic->setChecked(true);
        d.reject();
    });
    w.Action("FormatFont")->trigger();
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(StyleAt(0, i), 0) << i;

    // Without a page to edit both windows are out of reach.
    w.View()->ShowPage(w.Set(), -1);
    emit w.View()->Changed();
    EXPECT_FALSE(w.Action("FormatFont")->isEnabled());
    EXPECT_FALSE(w.Action("InsertSymbol")->isEnabled());
}

TEST_F(EditCommands, TheSymbolWindowTypesItsCharacterAtTheCaret) {
    Clear();
    QTest::keyClicks(Viewport(), "ab");
    QTest::keyClick(Viewport(), Qt::Key_Left);
    WhenShown<TFSimbolo>([](TFSimbolo& d) {
        d.Select(0xE8);
        d.accept();
    });
    w.Action("InsertSymbol")->trigger();
    EXPECT_EQ(Text(), "a\xE8" "b");
    QTest::keyClicks(Viewport(), "x");  // the caret is after the symbol
    EXPECT_EQ(Text(), "a\xE8" "xb");
    WhenShown<TFSimbolo>([](TFSimbolo& d) {
        d.Select(0xE9);
        d.reject();
    });
    w.Action("InsertSymbol")->trigger();
    EXPECT_EQ(Text(), "a\xE8" "xb");
}

TEST_F(EditCommands, ChoosingTheParagraphsOwnStyleForDifferentTextAsksWhatToDo) {
    const std::string own = Box().ParaAttributes().StyleName();
    ASSERT_FALSE(own.empty());
    const QString ownText = QString::fromStdString(cp1252::ToUtf8(own));
    auto prepare = [&] {
        Clear();
        QTest::keyClicks(Viewport(), "abc");
        w.Action("EditSelectAll")->trigger();
        emit w.SizeBox()->textActivated("30");
        ASSERT_EQ(Box().Paragraph(0).FontAt(1).size, 30);
    };
    // The window asks in so many words.
    std::unique_ptr<QMessageBox> question = StyleQuestion(own);
    EXPECT_EQ(question->text(), "Stile \"" + ownText + "\" Si desidera:");
    QStringList buttons;
    for (QAbstractButton* b : question->buttons()) buttons << b->text();
    EXPECT_TRUE(buttons.contains("Modificare lo stile usando come esempio il testo selezionato"));
    EXPECT_TRUE(buttons.contains("Riformattare la selezione usando lo stile"));
    EXPECT_TRUE(buttons.contains("A&nnulla"));

    struct Case {
        const char* button;
        int32_t size;         // of the text afterwards
        bool styleUndo;       // the newest undo entry is the style's
    } cases[] = {{"A&nnulla", 30, false}, {"Riformattare la selezione usando lo stile", 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        prepare();
        const std::string before = NewestUndo();
        QString asked;
        WhenShown<QMessageBox>([&](QMessageBox& box) {
            asked = box.text();
            for (QAbstractButton* b : box.buttons())
                if (b->text() == c.button) b->click();
        });
        emit w.StyleBox()->textActivated(ownText);
        EXPECT_EQ(asked, "Stile \"" + ownText + "\" Si desidera:");
        EXPECT_EQ(Text(), "abc");
        if (c.size) EXPECT_EQ(Box().Paragraph(0).FontAt(1).size, c.size);
        else EXPECT_NE(Box().Paragraph(0).FontAt(1).size, 30);
        EXPECT_EQ(NewestUndo(), c.styleUndo ? "Stile " + own : before);
        EXPECT_EQ(Box().ParaAttributes().StyleName(), own);
    }

    // Text that looks like its style gets the style without a question.
    Clear();
    QTest::keyClicks(Viewport(), "abc");
    bool questioned = false;
    QTimer::singleShot(0, &w, [&] {
        if (auto* modal = QApplication::activeModalWidget()) {
            questioned = true;
            modal->close();
        }
    });
    emit w.StyleBox()->textActivated(ownText);
    QCoreApplication::processEvents();
    EXPECT_FALSE(questioned);
    EXPECT_EQ(NewestUndo(), "Stile " + own);

    // Modifying opens the style window on the style, with the text's font.
    prepare();
    int32_t exampleSize = 0;
    QString title;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        WhenShown<TFStili>([&](TFStili& d) {
            exampleSize = StyleValue(&d.Scratch(), Attr::Size);
            title = d.windowTitle();
            EXPECT_EQ(d.Modified(), w.Set().FindStyle(own));
            d.reject();
        });
        for (QAbstractButton* b : box.buttons())
            if (b->text().startsWith("Modificare")) b->click();
    });
    emit w.StyleBox()->textActivated(ownText);
    EXPECT_EQ(exampleSize, 30);
    EXPECT_EQ(title, "Modifica stile");
    EXPECT_EQ(Box().Paragraph(0).FontAt(1).size, 30);
}

TEST_F(EditCommands, AStyleStoredInTheStylesWindowIsLaidOutAtOnceKeepingTheCaret) {
    QTest::keyClick(Viewport(), Qt::Key_End);
    QTest::keyClick(Viewport(), Qt::Key_Return);
    QTest::keyClicks(Viewport(), "yz");
    const QString style = w.StyleBox()->currentText();
    const int32_t size = Box().Paragraph(0).FontAt(0).size;
    const int32_t secondY = Box().Paragraph(1).top;
    int32_t sizeWhileOpen = 0;
    WhenShown<TFStili>([&](TFStili& d) {
        for (int row = 0; row < d.styles->count(); ++row)
            if (d.styles->item(row)->text() == style) d.styles->setCurrentRow(row);
        d.size->setValue(size + 20);
        d.Apply();
        // The page behind the window already shows the change.
        sizeWhileOpen = Box().Paragraph(0).FontAt(0).size;
        d.accept();
    });
    w.Action("FormatStyles")->trigger();
    EXPECT_EQ(sizeWhileOpen, size + 20);
    EXPECT_EQ(Box().Paragraph(0).FontAt(0).size, size + 20);
    // Laid out again: the second paragraph moved down instead of overlapping.
    EXPECT_GT(Box().Paragraph(1).top, secondY);
    EXPECT_EQ(Box().caret.paragraphIndex, 1);
    EXPECT_EQ(Box().caret.charIndex, 2);
}

}  // namespace
}  // namespace ovik::ui
