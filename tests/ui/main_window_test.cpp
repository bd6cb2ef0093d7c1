// The main window offscreen: named commands, shortcuts, captions, settings.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/spell_engine.h"
#include "qt_test_app.h"
#include <QMenuBar>
#include <QTemporaryDir>

#include "ui/main_window.h"
#include "ui/qt_platform.h"

namespace ovik::ui {
namespace {


struct MainWindowTest : ::testing::Test {
    void SetUp() override { TestApp(); }
    QTemporaryDir dir;
};

TEST_F(MainWindowTest, CommandsHaveTheirCaptionsAndShortcuts) {
    QtSettingsStore store(dir.filePath("ovik.ini"));
    TMainForm w(store);
    struct Row {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool enabled;
    } rows[] = {
        {"FileNew", "&Nuovo ipertesto", "Ctrl+N", true},
        {"FileOpen", "&Apri...", "Ctrl+F12", true},
        {"FileSave", "&Salva tutto", "Ctrl+S", true},
        {"FileExport", "Esp&orta pagine...", "Ctrl+E", true},
        {"FileExit", "&Esci", "Alt+X", true},
        {"EditUndo", "&Undo", "Alt+Backspace", false},
        {"EditRedo", "&Annulla undo", "Ctrl+Y", false},
        {"EditCut", "&Taglia", "Shift+Del", false},
        {"EditCopy", "&Copia", "Ctrl+Ins", false},
        {"EditPaste", "&Incolla", "Shift+Ins", false},
        {"FormatBold", "&Grassetto", "Ctrl+B", true},
        {"FormatUnderline", "&Sottolineato", "Ctrl+U", true},
        {"FormatAlignCentre", "Centra", "", false},
        {"SearchAgain", "&Ripeti ultima ricerca nella pagina", "F3", true},
        {"HypReadOnly", "Solo &lettura", "F11", true},
        {"HypAlbum", "&Album immagini - files - pagine e cancellazioni...", "F12", true},
        // Enabled when the spell checker opened: an Italian dictionary is installed.
        {"ToolsSpellPage", "&Controllo ortografia pagina...", "F7",
         app::FindDictionary(1040, app::SystemDictionaryFolders()).has_value()},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        QAction* a = w.Action(r.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().toStdString(), r.caption);
        EXPECT_EQ(a->shortcut().toString().toStdString(), r.shortcut);
        EXPECT_EQ(a->isEnabled(), r.enabled);
    }
    EXPECT_EQ(w.Action("EditUndo")->shortcuts().size(), 2);
}

TEST_F(MainWindowTest, CaptionFollowsTheDocument) {
    QtSettingsStore store(dir.filePath("ovik.ini"));
    TMainForm w(store);
    EXPECT_EQ(w.CaptionText().toStdString(), "Senza titolo - Ovik");
    QString file = dir.filePath("libro.hqv");
    ASSERT_TRUE(w.Set().SaveHypertext(file.toStdString()));
    ASSERT_TRUE(w.OpenDocument(file));
    EXPECT_EQ(w.CaptionText().toStdString(), "libro.hqv - Ovik");
    w.Action("HypReadOnly")->trigger();
    EXPECT_FALSE(w.EditMode());
    w.Action("HypReadOnly")->trigger();
    EXPECT_TRUE(w.EditMode());
}

TEST_F(MainWindowTest, SettingsKeepTheProgramsSections) {
    QString ini = dir.filePath("ovik.ini");
    {
        QtSettingsStore store(ini);
        store.Write("exp\\4", "largh", "100");
        store.Write("options", "Bak", "0");
        store.Sync();
    }
    QtSettingsStore again(ini);
    EXPECT_EQ(again.Read("exp\\4", "largh"), std::optional<std::string>("100"));
    EXPECT_EQ(again.Read("exp\\1", "largh"), std::nullopt);
    TMainForm w(again);
    EXPECT_FALSE(w.Set().Bak);
}

}  // namespace
}  // namespace ovik::ui

#include <QToolBar>

namespace ovik::ui {
namespace {

TEST_F(MainWindowTest, EditingToolbarsAppearWithAPage) {
    QtSettingsStore store(dir.filePath("ovik.ini"));
    TMainForm w(store);
    w.show();
    auto visible = [&](const char* name) { return w.findChild<QToolBar*>(name)->isVisible(); };
    QString file = dir.filePath("p.hqv");
    w.Set().AddNewObject(testoHtml);
    ASSERT_TRUE(w.Set().SaveHypertext(file.toStdString()));
    ASSERT_TRUE(w.OpenDocument(file));
    ASSERT_NE(w.View()->Box(), nullptr);
    EXPECT_TRUE(visible("formattoolbar"));
    EXPECT_TRUE(visible("edittoolbar"));
    w.Action("HypReadOnly")->trigger();  // preview: nothing to edit
    EXPECT_FALSE(visible("formattoolbar"));
    w.Action("HypReadOnly")->trigger();
    EXPECT_TRUE(visible("formattoolbar"));
}

}  // namespace
}  // namespace ovik::ui
