// The command tables as the window assembles them: every action and submenu
// either has a handler or waits for a feature named in the not-built list, and
// the commands built from the tables act on the shown page.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <tuple>
#include <QMenuBar>
#include <QMetaMethod>
#include <QTest>
#include <set>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "text/box_attributes.h"
#include "text/text_attributes.h"
#include "ui/commands/not_built.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

struct WithApp {
    WithApp() { TestApp(); }
};

struct Commands : ::testing::Test, WithApp {
    platform::InMemorySettings store;
    TMainForm w{store};
    int32_t page = -1;

    Commands() {
        w.Document().NewDocument();
        auto* p = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
        const std::string markup = "<Z S0 >abc";
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        p->SetContent(content);
        page = p->Number();
        w.ShowPage(page);
        w.View()->setFocus();
    }
    THQVbox& Box() { return *w.View()->Box(); }
    void SelectAll() { w.Action("EditSelectAll")->trigger(); }
    static bool Connected(QAction* a) {
        return a->property("handled").toBool() || a->menu() != nullptr;
    }
};

TEST_F(Commands, EveryActionHasAHandlerOrWaitsForANamedFeature) {
    SelectAll();
    ASSERT_TRUE(w.View()->HasSelection());
    int walked = 0;
    for (QAction* a : w.findChildren<QAction*>()) {
        const QString name = a->objectName();
        if (name.isEmpty() || name.startsWith("qt_")) continue;
        SCOPED_TRACE(name.toStdString());
        ++walked;
        if (const char* feature = MissingFeature(name.toStdString())) {
            EXPECT_FALSE(a->isEnabled()) << "waits for " << feature;
            EXPECT_FALSE(a->property("handled").toBool());
        } else {
            EXPECT_TRUE(Connected(a));
        }
    }
    EXPECT_GT(walked, 80);
    // Disabled submenus wait for a feature too; enabled ones hold commands.
    for (QMenu* m : w.menuBar()->findChildren<QMenu*>()) {
        if (m->objectName().isEmpty()) continue;
        SCOPED_TRACE(m->objectName().toStdString());
        if (!m->isEnabled()) {
            EXPECT_NE(MissingFeature(m->objectName().toStdString()), nullptr);
        }
    }
    // Every name in the list belongs to a command or a submenu there is.
    for (const NotBuiltCommand& c : NotBuiltCommands()) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(w.Action(c.name) || w.findChild<QMenu*>(c.name));
    }
}

TEST_F(Commands, WithAPageAndASelectionOnlyUnbuiltOrStateBoundCommandsAreDisabled) {
    SelectAll();
    // Disabled for reasons of state, not of a missing feature: nothing to
    // undo or redo, no history to go back or forward in, the spell checker
    // without a dictionary, a page that is no slide, and a caret in no table.
    const std::set<std::string> stateBound = {
        "EditUndo",        "EditRedo",      "HypPrevious",    "HypNext",        "ToolsSpellPage",
        "ToolsSpellAll",   "HypGoTo",       "HypNextSlide",   "TableProperties", "TableAddRow",
        "TableAddColumn",  "TableDeleteRow", "TableDeleteColumn", "TableSelect"};
    for (QAction* a : w.findChildren<QAction*>()) {
        const std::string name = a->objectName().toStdString();
        if (name.empty() || name.rfind("qt_", 0) == 0 || stateBound.count(name)) continue;
        // The popups of a picture, a zone, a header or footer object and the
        // other placed controls act on one; the page holds none.
        const QString menu = a->parent() ? a->parent()->objectName() : QString();
        static const QStringList objectPopups = {"PopupImage",      "PopupMapZone",    "PopupInactive",
                                                 "PopupInput",      "PopupDin",        "PopupButton",
                                                 "PopupFormStart",  "PopupMultimedia", "PopupJava",
                                                 "PopupComment",    "PopupFloating"};
        if (objectPopups.contains(menu)) continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(a->isEnabled(), MissingFeature(name) == nullptr);
    }
}

TEST_F(Commands, SuperscriptAndSubscriptSwitchTheVerticalPosition) {
    SelectAll();
    w.Action("FormatSuperscript")->trigger();
    EXPECT_EQ(Box().Paragraph(0).FontAt(1).position, 2);
    w.Action("FormatSubscript")->trigger();
    EXPECT_EQ(Box().Paragraph(0).FontAt(1).position, 1);
    w.Action("FormatSubscript")->trigger();
    EXPECT_EQ(Box().Paragraph(0).FontAt(1).position, 0);
}

TEST_F(Commands, ReloadReadsThePageAgainFromTheSet) {
    QTest::keyClick(w.View()->viewport(), Qt::Key_End);
    QTest::keyClicks(w.View()->viewport(), "zz");
    ASSERT_EQ(Box().caret.charIndex, 5);
    w.Action("HypReload")->trigger();
    ASSERT_NE(w.View()->Box(), nullptr);
    // Shown anew: the caret starts at the first editable place again.
    EXPECT_EQ(Box().caret.charIndex, 0);
    EXPECT_EQ(Box().Paragraph(0).Text(), "abczz");
    EXPECT_EQ(w.View()->PageNumber(), page);
}

TEST_F(Commands, ReformatKeepsThePageShownAndItsText) {
    QTest::keyClick(w.View()->viewport(), Qt::Key_End);
    QTest::keyClicks(w.View()->viewport(), "d");
    w.Action("FormatReformat")->trigger();
    ASSERT_NE(w.View()->Box(), nullptr);
    EXPECT_EQ(w.View()->PageNumber(), page);
    EXPECT_EQ(Box().Paragraph(0).Text(), "abcd");
}

}  // namespace
}  // namespace ovik::ui
