// The windows that reach the rest of the engine from the editor: toolbars,
// open windows, file search, tips, the paragraph window, new styles, the
// manual, message-box buttons, and saving that keeps the caret.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QKeyEvent>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>

#include "document/hqv_object.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "text/box_attributes.h"
#include "text/text_attributes.h"
#include "ui/dialogs/paragraph.h"
#include "ui/dialogs/styles.h"
#include "ui/dialogs/tools_windows.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"

namespace ovik::ui {
namespace {

struct WithApp {
    WithApp() { TestApp(); }
};

struct ToolsWindows : ::testing::Test, WithApp {
    platform::InMemorySettings store;
    TMainForm w{store};
    int32_t page = -1;

    void ShowText(const std::string& markup) {
        w.Document().NewDocument();
        auto* p = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        p->SetContent(content);
        page = p->Number();
        w.ShowPage(page);
    }
    // Runs `act` on the modal window of type T that `command` opens.
    template <class T>
    bool OnModal(const char* command, std::function<void(T&)> act) {
        bool seen = false;
        QTimer::singleShot(0, &w, [&] {
            if (auto* m = qobject_cast<T*>(QApplication::activeModalWidget())) {
                seen = true;
                act(*m);
            } else if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();
            }
        });
        w.Action(command)->trigger();
        return seen;
    }
    QString Status() const { return w.statusBar()->findChild<QLabel*>()->text(); }
};

TEST_F(ToolsWindows, AToolbarHiddenInTheToolbarsWindowStaysHiddenWithAPage) {
    ShowText("<Z S0 >abc");
    auto* format = w.findChild<QToolBar*>("formattoolbar");
    w.show();
    ASSERT_TRUE(format->isVisible());
    ASSERT_TRUE(OnModal<TFToolbars>("ToolsToolbars", [](TFToolbars& t) {
        for (int i = 0; i < t.bars->count(); ++i)
            if (t.bars->item(i)->data(Qt::UserRole).toString() == "formattoolbar")
                t.bars->item(i)->setCheckState(Qt::Unchecked);
        t.accept();
        t.Apply();
    }));
    EXPECT_FALSE(format->isVisible());
    w.ShowPage(page);  // the editing state would show it again
    EXPECT_FALSE(format->isVisible());
    // Ticked again, it comes back.
    OnModal<TFToolbars>("ToolsToolbars", [](TFToolbars& t) {
        for (int i = 0; i < t.bars->count(); ++i) t.bars->item(i)->setCheckState(Qt::Checked);
        t.Apply();
        t.accept();
    });
    EXPECT_TRUE(format->isVisible());
}

TEST_F(ToolsWindows, TheWindowListBringsBackAWindowThroughItsCommand) {
    ShowText("<Z S0 >abc");
    // The character window has been opened once.
    OnModal<QDialog>("FormatFont", [](QDialog& d) { d.reject(); });
    bool listed = false, reopened = false;
    QTimer::singleShot(0, &w, [&] {
        auto* list = qobject_cast<TFFinestre*>(QApplication::activeModalWidget());
        if (!list) return;
        for (int i = 0; i < list->list->count(); ++i)
            if (list->list->item(i)->data(Qt::UserRole).toString() == "fcarattere") {
                listed = true;
                list->list->setCurrentRow(i);
            }
        QTimer::singleShot(0, &w, [&] {
            if (auto* d = QApplication::activeModalWidget(); d && d->objectName() == "fcarattere") {
                reopened = true;
                static_cast<QDialog*>(d)->reject();
            }
        });
        list->accept();
    });
    w.Action("ToolsWindows")->trigger();
    EXPECT_TRUE(listed);
    EXPECT_TRUE(reopened);
}

TEST_F(ToolsWindows, FileSearchListsMatchingFilesInSubfoldersAndOpensTheChosen) {
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    std::filesystem::create_directories(root / "a" / "b");
    for (const char* f : {"uno.hqv", "a/due.HQV", "a/b/tre.hqv", "a/b/nota.txt"}) std::ofstream(root / f) << "x";
    TFTrovaFile find(store);
    find.folder->setText(dir.path());
    find.pattern->setText("*.hqv");
    EXPECT_EQ(find.Search(), 3);  // names compare without case
    find.pattern->setText("*.txt;*.hqv");
    EXPECT_EQ(find.Search(), 4);
    find.folder->setText(dir.filePath("manca"));
    EXPECT_EQ(find.Search(), 0);
    EXPECT_FALSE(find.status->text().isEmpty());

    find.folder->setText(dir.path());
    find.pattern->setText("tre.hqv");
    ASSERT_EQ(find.Search(), 1);
    EXPECT_EQ(find.Chosen(), root / "a" / "b" / "tre.hqv");
}

TEST_F(ToolsWindows, TheTipsWindowFollowsAutoHideTipAndShowsAnotherTipEachTime) {
    TFSuggerimenti tips(store);
    tips.Load();
    EXPECT_TRUE(tips.showAtStart->isChecked());
    const QString first = tips.tip->text();
    tips.next->click();
    EXPECT_NE(tips.tip->text(), first);
    tips.showAtStart->setChecked(false);
    EXPECT_EQ(store.ReadOr("options", "autoHideTip", ""), "1");
    // At start-up the window shows unless autoHideTip is "1".
    TMainForm shown(store);
    shown.StartupShow({});
    EXPECT_EQ(shown.CachedWindow("fsuggerimenti"), nullptr);
    store.Write("options", "autoHideTip", "0");
    TMainForm again(store);
    again.StartupShow({});
    ASSERT_NE(again.CachedWindow("fsuggerimenti"), nullptr);
    EXPECT_TRUE(again.CachedWindow("fsuggerimenti")->isVisible());
    again.CachedWindow("fsuggerimenti")->close();
}

TEST_F(ToolsWindows, TheParagraphWindowSetsEveryParagraphAttribute) {
    ShowText("<Z S0 >abc");
    THQVParaAttributes& pa = w.View()->Box()->ParaAttributes();
    ASSERT_TRUE(OnModal<TFParagrafo>("FormatParagraph", [](TFParagrafo& p) {
        p.unit->setCurrentIndex(umMillimetres);
        p.above->setValue(5);
        p.below->setValue(3);
        p.indent->setValue(10);
        p.left->setValue(20);
        p.right->setValue(15);
        p.lineHeight->setValue(8);
        p.linkColour->SetColour(0x0000FF);
        p.linkSize->setValue(14);
        p.linkBold->setChecked(true);
        p.accept();
    }));
    EXPECT_EQ(pa.Unit(), umMillimetres);
    EXPECT_NEAR(pa.SpaceAbove(), 5, 0.3);
    EXPECT_NEAR(pa.SpaceBelow(), 3, 0.3);
    EXPECT_NEAR(pa.FirstIndent(), 10, 0.3);
    EXPECT_NEAR(pa.LeftMargin(), 20, 0.3);
    EXPECT_NEAR(pa.RightMargin(), 15, 0.3);
    EXPECT_NEAR(pa.LineHeight(), 8, 0.3);
    EXPECT_EQ(pa.LinkColour(), 0x0000FF);
    EXPECT_EQ(pa.LinkSize(), 14);
    EXPECT_EQ(pa.LinkStyle() & 1, 1);
    // Untouched fields change nothing: no further undo entries.
    const size_t entries = w.Document().history->UndoDescriptions().size();
    OnModal<TFParagrafo>("FormatParagraph", [](TFParagrafo& p) { p.accept(); });
    EXPECT_EQ(w.Document().history->UndoDescriptions().size(), entries);
}

TEST_F(ToolsWindows, ChangingTheUnitInTheParagraphWindowKeepsTheLengths) {
    platform::InMemorySettings s;
    TFParagrafo p(s);
    ParagraphValues v;
    v.unit = umCentimetres;
    v.left = 2.54;
    p.Load(v, 96);
    p.unit->setCurrentIndex(umInches);
    EXPECT_NEAR(p.left->value(), 1.0, 0.02);
}

TEST_F(ToolsWindows, CreaStileMakesANewStyleAndTheParagraphTakesIt) {
    ShowText("<Z S0 >abc");
    const size_t before = w.Set().StyleNames().size();
    ASSERT_TRUE(OnModal<TFStili>("FormatAddStyle", [](TFStili& s) {
        s.name->setText("Mio stile");
        s.accept();
        s.Apply();
    }));
    EXPECT_EQ(w.Set().StyleNames().size(), before + 1);
    EXPECT_EQ(w.View()->Box()->ParaAttributes().StyleName(), "Mio stile");
    // The button of the style sheet too.
    platform::RecordingMessages m;
    THQVset set(m);
    set.NewHypertext();
    const size_t n = set.StyleNames().size();
    TFStili sheet(set, store);
    sheet.Edit(TFStili::Mode::Sheet);
    EXPECT_TRUE(sheet.createStyle->isVisibleTo(&sheet));
    sheet.createStyle->click();
    EXPECT_EQ(sheet.name->text(), "Nuovo stile");
    sheet.Apply();
    EXPECT_EQ(set.StyleNames().size(), n + 1);
}

TEST_F(ToolsWindows, SavingKeepsTheCaretAndSaysWhatItWrote) {
    QTemporaryDir dir;
    std::string markup;
    for (int i = 0; i < 80; ++i) markup += "<Z S0 >riga " + std::to_string(i);
    ShowText(markup);
    w.resize(600, 300);
    w.show();
    THQVbox* box = w.View()->Box();
    box->SetCaret(60, 3);
    w.View()->EnsureCaretVisible();
    const int scroll = w.View()->verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);
    const std::string file = dir.filePath("salvato.hqv").toStdString();
    ASSERT_TRUE(w.Set().SaveHypertext(file));
    w.Document().OpenDocument(file, false);
    w.ShowPage(page);
    w.View()->Box()->SetCaret(60, 3);
    w.View()->EnsureCaretVisible();
    w.Action("FileSave")->trigger();
    ASSERT_NE(w.View()->Box(), nullptr);
    EXPECT_EQ(w.View()->Box()->caret.paragraphIndex, 60);
    EXPECT_EQ(w.View()->Box()->caret.charIndex, 3);
    EXPECT_EQ(w.View()->verticalScrollBar()->value(), scroll);
    // The start page of the new hypertext and the page shown.
    EXPECT_TRUE(Status().startsWith("Salvato salvato.hqv (2 pagine, ")) << Status().toStdString();
    EXPECT_TRUE(Status().endsWith(" byte)"));
}

TEST_F(ToolsWindows, MessageBoxesCarryTheInterfaceButtonTexts) {
    QtMessages messages;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (QAbstractButton* b : box->buttons()) texts << b->text();
            box->button(QMessageBox::Cancel)->click();
        }
    });
    EXPECT_EQ(messages.AskYesNoCancel("Domanda?"), platform::Answer::Cancel);
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"Annulla", "No", QString::fromUtf8("Sì")}));
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts = {box->buttons().front()->text()};
            box->accept();
        }
    });
    messages.Information("Fatto.");
    EXPECT_EQ(texts, QStringList{"OK"});
}

TEST_F(ToolsWindows, ACharacterWindows1252CannotHoldIsNotTypedAndTheStatusLineSaysSo) {
    ShowText("<Z S0 >ab");
    w.View()->setFocus();
    QTest::keyClick(w.View()->viewport(), Qt::Key_End);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("x\u0416y"));
    QApplication::sendEvent(w.View()->viewport(), &press);
    EXPECT_EQ(w.View()->Box()->Paragraph(0).Text(), "abxy");
    EXPECT_TRUE(Status().contains(QString::fromUtf8("\u0416"))) << Status().toStdString();
    EXPECT_TRUE(Status().contains("Windows-1252"));
}

TEST_F(ToolsWindows, TheOpenDialogOffersHypertextsFirstAndTheFormatsThatOpen) {
    const QStringList filters = TMainForm::OpenFilters();
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_EQ(filters.front(), "Ipertesti oVik (*.hqv)");
    EXPECT_TRUE(filters.join(";").contains("*.txt"));
}

// "Cerca aiuto su..." opens the user manual in preview with the find window.
TEST_F(ToolsWindows, HelpSearchOpensTheManualWithTheFindWindow) {
    // The manual the build makes, put where the program looks for it.
    const std::filesystem::path dirOfProgram = QApplication::applicationDirPath().toStdString();
    const std::filesystem::path built = dirOfProgram / ".." / "src" / "ui" / "help" / "manuale.hqv";
    if (!std::filesystem::exists(built)) GTEST_SKIP() << "no manual built at " << built;
    std::filesystem::create_directories(dirOfProgram / "help");
    std::filesystem::copy_file(built, dirOfProgram / "help" / "manuale.hqv",
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(w.Action("HelpSearch")->isEnabled());
    w.Action("HelpSearch")->trigger();
    EXPECT_EQ(w.Set().HQVFileName().filename(), "manuale.hqv");
    EXPECT_FALSE(w.EditMode());
    QDialog* find = w.CachedWindow("fcerca");
    ASSERT_TRUE(find);
    EXPECT_TRUE(find->isVisible());
}

}  // namespace
}  // namespace ovik::ui
