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
    // without a dictionary, and a page that is no slide.
    const std::set<std::string> stateBound = {"EditUndo",       "EditRedo",      "HypPrevious", "HypNext",
                                              "ToolsSpellPage", "ToolsSpellAll", "HypGoTo",     "HypNextSlide"};
    for (QAction* a : w.findChildren<QAction*>()) {
        const std::string name = a->objectName().toStdString();
        if (name.empty() || name.rfind("qt_", 0) == 0 || stateBound.count(name)) continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(a->isEnabled(), MissingFeature(name) == nullptr);
    }
}

// What a command may change that a user sees: the page shown and its text,
// the caret and selection, the mode, the status line, the caption, checked
// states, visible windows and bars, the clipboard and the undo history.
struct Snapshot {
    QString status, title, clipboard;
    int32_t page = -1, caretParagraph = -1, caretChar = -1;
    bool readOnly = false, selection = false, modified = false;
    std::string text;
    size_t undo = 0, objects = 0;
    QStringList checked, visible;

    static Snapshot Of(TMainForm& w) {
        Snapshot s;
        s.status = w.statusBar()->findChild<QLabel*>()->text();
        s.title = w.windowTitle();
        s.clipboard = QGuiApplication::clipboard()->text();
        s.page = w.View()->PageNumber();
        s.readOnly = w.View()->ReadOnly();
        s.selection = w.View()->HasSelection();
        s.modified = w.Set().Modified() || w.View()->Modified();
        if (THQVbox* b = w.View()->Box()) {
            s.caretParagraph = b->caret.paragraphIndex;
            s.caretChar = b->caret.charIndex;
            for (int32_t i = 0; i < b->ParagraphCount(); ++i) {
                const THQVparag& p = b->Paragraph(i);
                s.text += p.Text() + "|";
                for (int32_t c = 0; c <= p.Length(); ++c) {
                    const auto f = p.FontAt(c);
                    s.text += std::to_string(f.style) + "," + std::to_string(f.position) + "," +
                              std::to_string(f.size) + "," + std::to_string(f.colour) + ";";
                }
                s.text += p.Style().Base() ? p.Style().Base()->Name() : "";
                for (int a = 0; a < kAttrCount; ++a)
                    if (Attr(a) != Attr::Face) s.text += "," + std::to_string(p.Style().Get(Attr(a)));
            }
        }
        s.undo = w.Document().history->UndoDescriptions().size() * 1000 +
                 w.Document().history->RedoDescriptions().size();
        for (uint8_t k = 0; k < 27; ++k) s.objects += size_t(w.Set().ObjectCount(k));
        for (QAction* a : w.findChildren<QAction*>())
            if (a->isChecked()) s.checked << a->objectName();
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible()) s.visible << t->objectName();
        for (QWidget* t : w.findChildren<QWidget*>())
            if (t->isVisible() && (qobject_cast<QToolBar*>(t) || qobject_cast<QDockWidget*>(t)))
                s.visible << t->objectName();
        return s;
    }
    bool operator==(const Snapshot& o) const {
        return std::tie(status, title, clipboard, page, caretParagraph, caretChar, readOnly, selection, modified, text,
                        undo, objects, checked, visible) ==
               std::tie(o.status, o.title, o.clipboard, o.page, o.caretParagraph, o.caretChar, o.readOnly,
                        o.selection, o.modified, o.text, o.undo, o.objects, o.checked, o.visible);
    }
};

// Closes every modal window and popup menu that shows while it lives, and
// names them.
struct ModalCloser {
    QStringList seen;
    QTimer timer;
    ModalCloser() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                seen << "popup:" + popup->objectName();
                popup->close();
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            seen << modal->metaObject()->className() + QString(":") + modal->objectName();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
                    if (QAbstractButton* button = box->button(b)) {
                        button->click();
                        return;
                    }
            }
            if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
            else modal->close();
        });
        timer.start();
    }
};

TEST(CommandWalk, EveryEnabledCommandDoesSomethingObservable) {
    TestApp();
    // Commands that reach outside the program (a browser) are left out.
    const std::set<std::string> outside = {"PreviewPage", "PreviewAll"};
    // The names of the commands enabled with a page and a selection.
    std::vector<std::string> names;
    auto prepare = [](TMainForm& w) {
        const std::vector<std::pair<int32_t, const char*>> pages = {{1, "<Z S0 >primo"},
                                                                    {2, "<Z S0 >abc def<Z S0 >secondo"},
                                                                    {3, "<Z S0 >terzo"}};
        w.Document().NewDocument();
        for (auto [n, markup] : pages) {
            auto* p = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
            const std::string m = markup;
            Bytes content(m.begin(), m.end());
            content.push_back(0);
            p->SetContent(content);
            p->SetTitle("Pagina " + std::to_string(n));
        }
        w.Set().SetModified(false);
        w.show();
        w.ShowPage(2);
        w.View()->setFocus();
        // "de" of the first paragraph selected, the caret after it.
        w.View()->Run([](BoxEditor& e) {
            THQVbox& b = e.Box();
            b.Select(b.MakePosition(0, 4), b.MakePosition(0, 6));
        });
        QGuiApplication::clipboard()->setText("");
        QApplication::processEvents();
    };
    {
        platform::InMemorySettings store;
        TMainForm w(store);
        prepare(w);
        for (QAction* a : w.findChildren<QAction*>()) {
            const std::string name = a->objectName().toStdString();
            if (!name.empty() && name.rfind("qt_", 0) != 0 && a->isEnabled() && !a->menu() && !outside.count(name))
                names.push_back(name);
        }
    }
    ASSERT_GT(names.size(), 60u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        platform::InMemorySettings store;
        TMainForm w(store);
        prepare(w);
        QAction* a = w.Action(QString::fromStdString(name));
        if (!a) a = w.findChild<QAction*>(QString::fromStdString(name));
        ASSERT_NE(a, nullptr);
        if (!a->isEnabled()) continue;  // enabled by a state this fixture lacks
        const Snapshot before = Snapshot::Of(w);
        ModalCloser closer;
        a->trigger();
        QApplication::processEvents();
        const Snapshot after = Snapshot::Of(w);
        EXPECT_TRUE(!closer.seen.isEmpty() || !(before == after)) << "nothing observable happened";
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != &w && t->isVisible()) t->close();
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
