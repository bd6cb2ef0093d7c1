// The main window follows its options and keeps its state: typographic
// quotes, the page count in the status line, placement and toolbar layout,
// saving as text and showing what an import made.
#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <fstream>
#include <sstream>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "text/box_attributes.h"
#include "ui/icons.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

struct WindowOptions : ::testing::Test {
    void SetUp() override { TestApp(); }
    platform::InMemorySettings store;
    QTemporaryDir dir;

    static QString StatusText(TMainForm& w) {
        for (QLabel* l : w.statusBar()->findChildren<QLabel*>())
            if (!l->text().isEmpty()) return l->text();
        return {};
    }
    static int32_t AddPage(TMainForm& w, const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        p->SetContent(content);
        return p->Number();
    }
};

TEST_F(WindowOptions, VirgoletteTurnsTypedQuotesTypographic) {
    for (auto [option, expected] : {std::pair{"1", "\x93" "ab\x94 it\x92s"}, {"", "\"ab\" it's"}}) {
        SCOPED_TRACE(option);
        platform::InMemorySettings s;
        s.Write("options", "Virgolette", option);
        TMainForm w(s);
        w.Document().NewDocument();
        w.ShowPage(AddPage(w, "<Z S0 >"));
        w.View()->setFocus();
        QTest::keyClicks(w.View()->viewport(), "\"ab\" it's");
        ASSERT_NE(w.View()->Box(), nullptr);
        EXPECT_EQ(w.View()->Box()->Paragraph(0).Text(), expected);
    }
}

TEST_F(WindowOptions, TheStatusLineCountsPagesInItalian) {
    TMainForm w(store);
    auto live = [&] {
        int n = 0;
        for (int32_t k = 0; k < w.Set().ObjectCount(testoHtml); ++k)
            if (THQVtesto* p = w.Set().Page(k); p && !p->IsFree()) ++n;
        return n;
    };
    w.Document().NewDocument();
    w.Document().ui.viewShowStartPage(false);
    ASSERT_EQ(live(), 1);  // the start page
    EXPECT_EQ(StatusText(w).toStdString(), "1 pagina");
    AddPage(w, "<Z S0 >b");
    w.Document().ui.viewShowStartPage(false);
    EXPECT_EQ(StatusText(w).toStdString(), "2 pagine");
}

TEST_F(WindowOptions, ANewHypertextShowsItsStartPageReadyForTyping) {
    TMainForm w(store);
    w.Action("FileNew")->trigger();
    ASSERT_NE(w.View()->Box(), nullptr);
    EXPECT_FALSE(w.View()->ReadOnly());
    EXPECT_FALSE(w.Set().Modified());  // nothing typed yet: closing asks nothing
    w.View()->setFocus();
    QTest::keyClicks(w.View()->viewport(), "ciao");
    EXPECT_EQ(w.View()->Box()->Paragraph(0).Text(), "ciao");
}

TEST_F(WindowOptions, BordoSxShowsTheLeftBorderPanel) {
    store.Write("options", "NotSaveTool", "0");
    store.Write("options", "BordoSx", "1");
    {
        TMainForm w(store);
        w.show();
        auto* left = w.findChild<QToolBar*>("leftbordertoolbar");
        ASSERT_NE(left, nullptr);
        EXPECT_TRUE(left->isVisible());
        EXPECT_EQ(w.toolBarArea(left), Qt::LeftToolBarArea);
        EXPECT_TRUE(left->actions().contains(w.Action("HypCover")));
        // Turned off in the options: gone at once.
        store.Write("options", "BordoSx", "0");
        w.ApplyOptions();
        EXPECT_FALSE(left->isVisible());
        store.Write("options", "BordoSx", "1");
        w.ApplyOptions();
        EXPECT_TRUE(left->isVisible());
        ASSERT_TRUE(w.close());
    }
    // A kept toolbar layout that shows the panel does not outvote the option.
    store.Write("options", "BordoSx", "0");
    TMainForm again(store);
    again.show();
    EXPECT_FALSE(again.findChild<QToolBar*>("leftbordertoolbar")->isVisible());
}

TEST_F(WindowOptions, ToolbarButtonsShowIconsAndFitAt1280Pixels) {
    UseIconThemeFallback();
    TMainForm w(store);
    w.Document().NewDocument();
    w.ShowPage(AddPage(w, "<Z S0 >testo"));
    w.resize(1280, 800);
    w.show();
    QApplication::processEvents();
    for (QToolBar* bar : w.findChildren<QToolBar*>()) {
        if (!bar->isVisible()) continue;
        SCOPED_TRACE(bar->objectName().toStdString());
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || a->objectName().isEmpty() || qobject_cast<QWidgetAction*>(a)) continue;
            SCOPED_TRACE(a->objectName().toStdString());
            EXPECT_FALSE(a->icon().isNull());
            // The caption is the button's tooltip.
            if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a)))
                EXPECT_EQ(button->toolTip(), a->text().remove('&'));
        }
        // A toolbar too long for the window shows its overflow button.
        if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button")) EXPECT_FALSE(more->isVisible());
    }
}

TEST_F(WindowOptions, PlacementAndToolbarLayoutAreKept) {
    store.Write("options", "NotSaveTool", "0");
    {
        TMainForm w(store);
        w.resize(700, 480);
        ASSERT_TRUE(w.close());
    }
    EXPECT_FALSE(store.ReadOr("forms", "mainform", "").empty());
    EXPECT_FALSE(store.ReadOr("toolbar", "layout", "").empty());
    TMainForm again(store);
    EXPECT_EQ(again.size(), QSize(700, 480));
}

TEST_F(WindowOptions, SaveAsATextNameWritesThePageAsText) {
    TMainForm w(store);
    w.Document().NewDocument();
    w.ShowPage(AddPage(w, "<Z S0 >riga di testo"));
    const std::filesystem::path target = dir.filePath("pagina.txt").toStdString();
    w.Document().ui.askSaveName = [&](const app::SaveDialogRequest&) {
        return std::optional<app::SaveDialogResult>(app::SaveDialogResult{target, app::SaveType::Hypertext});
    };
    EXPECT_TRUE(w.Document().SaveDocumentAs());
    std::ifstream in(target, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "riga di testo");
    EXPECT_TRUE(StatusText(w).contains("pagina.txt"));
}

TEST_F(WindowOptions, OpeningATextFileShowsTheImportedPage) {
    TMainForm w(store);
    w.Document().NewDocument();
    const std::string file = dir.filePath("nota.txt").toStdString();
    std::ofstream(file, std::ios::binary) << "prima riga\nseconda riga\n";
    ASSERT_TRUE(w.Document().OpenAnyFile(file, false));
    ASSERT_NE(w.View()->Box(), nullptr);
    EXPECT_EQ(w.View()->Box()->Paragraph(0).Text(), "prima riga");
}

}  // namespace
}  // namespace ovik::ui
