// The interface language at run time: switching every window between Italian
// and English, the choice at start-up, the options window, message boxes and
// the English blocks and message table themselves.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <filesystem>
#include <set>

#include "qt_test_app.h"
#include "app/language_block.h"
#include "convert/hqv_to_txt.h"
#include "platform/clipboard.h"
#include "platform/settings_store.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/all_pages.h"
#include "ui/dialogs/character.h"
#include "ui/dialogs/delete_objects.h"
#include "ui/dialogs/errors.h"
#include "ui/dialogs/export_import.h"
#include "ui/dialogs/find.h"
#include "ui/dialogs/hypertext_options.h"
#include "ui/dialogs/keywords.h"
#include "ui/dialogs/links.h"
#include "ui/dialogs/new_page.h"
#include "ui/dialogs/open_html.h"
#include "ui/dialogs/page_order.h"
#include "ui/dialogs/page_properties.h"
#include "ui/dialogs/paragraph.h"
#include "ui/dialogs/picture_properties.h"
#include "ui/dialogs/control_properties.h"
#include "ui/dialogs/tables.h"
#include "ui/dialogs/picture_from_clipboard.h"
#include "ui/dialogs/program_options.h"
#include "ui/dialogs/slides.h"
#include "ui/dialogs/speller.h"
#include "ui/dialogs/styles.h"
#include "ui/dialogs/tools_windows.h"
#include "ui/languager.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/translations.h"

namespace ovik::ui {
namespace {

using app::InterfaceLanguage;

// Goes back to Italian whatever a test did.
struct LanguageGuard {
    ~LanguageGuard() { SetInterfaceLanguage(InterfaceLanguage::Italian); }
};

// key -> decoded value of every entry of a block resource.
std::map<std::string, std::string> BlockEntries(const QString& resource) {
    QFile f(resource);
    std::map<std::string, std::string> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n");
    for (int i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i].isEmpty()) continue;
        out[lines[i].toLower().toStdString()] = app::LanguageBlock::Decode(lines[i + 1].mid(1).toStdString());
    }
    return out;
}

QStringList BlockNames(const QString& code) {
    return QDir(":/lang/" + code).entryList({"*.blk"}, QDir::Files, QDir::Name);
}

TEST(InterfaceLanguage, EveryItalianBlockHasAnEnglishOneWithTheSameKeys) {
    TestApp();
    const QStringList names = BlockNames("it");
    ASSERT_GE(names.size(), 30);
    EXPECT_EQ(names, BlockNames("en"));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        auto it = BlockEntries(":/lang/it/" + name), en = BlockEntries(":/lang/en/" + name);
        ASSERT_FALSE(it.empty());
        std::set<std::string> itKeys, enKeys;
        for (auto& [k, v] : it) itKeys.insert(k);
        for (auto& [k, v] : en) enKeys.insert(k);
        EXPECT_EQ(itKeys, enKeys);
        // Counts of list items and column widths are the same in both.
        for (auto& [k, v] : it)
            if (k.ends_with("*count") || k.ends_with("_width")) EXPECT_EQ(en[k], v) << k;
    }
}

TEST(InterfaceLanguage, TheMessageTableReadsWholeAndItsPlacesAgree) {
    QFile f(":/lang/en/messages.txt");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    app::MessageTable t;
    EXPECT_TRUE(t.Parse(f.readAll().toStdString()).empty());
    EXPECT_GE(t.size(), 100u);
    // Each Italian text translates, and its English text uses the same places.
    for (const std::string& italian : t.ItalianTexts()) {
        SCOPED_TRACE(italian);
        auto english = t.Translate(italian);
        ASSERT_TRUE(english);
        for (char n = '1'; n <= '9'; ++n) {
            const std::string place = std::string("%") + n;
            EXPECT_EQ(italian.find(place) != std::string::npos, english->find(place) != std::string::npos) << place;
        }
    }
    EXPECT_EQ(EnglishMessages().size(), t.size());
}

// All the texts a window shows: captions, hints, labels, titles, tabs, list
// items and columns, of the window, its widgets and its actions.
std::vector<QString> ShownTexts(QWidget* window) {
    std::vector<QString> out;
    auto add = [&](const QString& s) {
        if (!s.isEmpty()) out.push_back(s);
    };
    std::vector<QWidget*> widgets{window};
    for (QWidget* w : window->findChildren<QWidget*>()) widgets.push_back(w);
    for (QWidget* w : widgets) {
        if (w->isWindow() || qobject_cast<QToolBar*>(w) || qobject_cast<QDockWidget*>(w)) add(w->windowTitle());
        add(w->toolTip());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b->text());
        if (auto* l = qobject_cast<QLabel*>(w)) add(l->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) add(g->title());
        if (auto* m = qobject_cast<QMenu*>(w)) add(m->title());
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) add(t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w); c && !c->property("documentItems").toBool())
            for (int i = 0; i < c->count(); ++i) add(c->itemText(i));
        if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (int i = 0; i < tree->columnCount(); ++i) add(tree->headerItem()->text(i));
        if (auto* table = qobject_cast<QTableWidget*>(w))
            for (int i = 0; i < table->columnCount(); ++i)
                if (auto* h = table->horizontalHeaderItem(i)) add(h->text());
    }
    for (QAction* a : window->findChildren<QAction*>()) {
        add(a->text());
        add(a->toolTip());
        add(a->statusTip());
    }
    return out;
}

// The texts only one language has: the block values and messages of `from`
// that the other language says differently.
std::set<QString> OnlyIn(InterfaceLanguage from) {
    std::set<QString> mine, theirs;
    const QString code = from == InterfaceLanguage::English ? "en" : "it";
    const QString other = from == InterfaceLanguage::English ? "it" : "en";
    for (const QString& name : BlockNames("it")) {
        for (auto& [k, v] : BlockEntries(":/lang/" + code + "/" + name)) mine.insert(QString::fromStdString(v));
        for (auto& [k, v] : BlockEntries(":/lang/" + other + "/" + name)) theirs.insert(QString::fromStdString(v));
    }
    auto italian = EnglishMessages().ItalianTexts(), english = EnglishMessages().TranslatedTexts();
    for (auto& s : from == InterfaceLanguage::English ? english : italian)
        if (s.find('%') == std::string::npos) mine.insert(QString::fromStdString(s));
    for (auto& s : from == InterfaceLanguage::English ? italian : english) theirs.insert(QString::fromStdString(s));
    std::set<QString> only;
    for (const QString& s : mine)
        if (!theirs.count(s)) only.insert(s);
    return only;
}

// Every window of the program, made as the window cache makes them.
struct AllWindows {
    platform::InMemorySettings store;
    platform::RecordingMessages messages;
    TMainForm main{store};
    THQVset set{messages};
    THQVtoTxt txt{&set};
    THQVtoHtml html{&set};
    platform::InMemoryClipboard clipboard;
    app::ProgramFolders folders{std::filesystem::temp_directory_path()};
    std::vector<std::unique_ptr<QWidget>> windows;
    AllWindows() {
        auto keep = [&](QWidget* w) { windows.emplace_back(w); };
        keep(new TFPropIper(set, store));
        keep(new TFOpzioni(store));
        keep(new TFPropTesto(set, store));
        keep(new TFExport(set, txt, store));
        keep(new TFImport(txt, store));
        keep(new TFAlbum(set, store));
        keep(new TFCancella(set, store));
        keep(new TFNuova(set, store, folders));
        keep(new TFNuova(set, store, folders, TFNuova::Mode::Paste));
        keep(new TFErrori(store));
        keep(new TFStili(set, store));
        keep(new TFCarattere(store));
        keep(new TFSimbolo(store));
        keep(new TZtSpellerDialog(store));
        keep(new TFCollega(set, store));
        keep(new TFCollSpec(set, store));
        keep(new TFAncora(store));
        keep(new TFCollFile(nullptr, store));
        keep(new TFKeywords(set, store));
        keep(new TFOrdine(set, store));
        keep(new TFCerca(set, store));
        keep(new TFTuttePagine(set, store));
        keep(new TFslides(set, store));
        keep(new TFimgFromClip(set, clipboard, store));
        keep(new TFHtmlOptions(html, store));
        keep(new TFToolbars(main, store));
        keep(new TFFinestre(store));
        keep(new TFTrovaFile(store));
        keep(new TFSuggerimenti(store));
        keep(new TFParagrafo(store));
        keep(new TFScegliApriHtml(messages, store));
        keep(new TFPropImmagine(set, store));
        keep(new TFPropControllo(set, store));
        keep(new TFNuovaTabella(set, store));
        keep(new TFPropTabella(set, store));
    }
    std::vector<QWidget*> All() {
        std::vector<QWidget*> out{&main};
        for (auto& w : windows) out.push_back(w.get());
        return out;
    }
};

// Texts of `w` that belong to the other language only.
std::vector<std::string> LeftOver(QWidget* w, const std::set<QString>& otherOnly) {
    std::vector<std::string> out;
    for (const QString& s : ShownTexts(w))
        if (otherOnly.count(s)) out.push_back(s.toStdString());
    return out;
}

TEST(InterfaceLanguage, SwitchingLeavesNoTextOfTheOtherLanguageInAnyWindow) {
    TestApp();
    LanguageGuard guard;
    AllWindows all;
    ASSERT_EQ(all.windows.size() + 1, size_t(BlockNames("it").size()));
    const std::set<QString> italianOnly = OnlyIn(InterfaceLanguage::Italian);
    const std::set<QString> englishOnly = OnlyIn(InterfaceLanguage::English);
    // Made in Italian, the windows show Italian-only texts: the check sees them.
    EXPECT_GT(LeftOver(&all.main, italianOnly).size(), 100u);
    EXPECT_FALSE(LeftOver(all.windows.front().get(), italianOnly).empty());

    SetInterfaceLanguage(InterfaceLanguage::English);
    for (QWidget* w : all.All()) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(LeftOver(w, italianOnly), std::vector<std::string>());
    }
    EXPECT_EQ(all.main.windowTitle(), "Untitled - Ovik");
    // Every tip of the tips window has its English text.
    for (const QString& tip : TFSuggerimenti::Tips()) EXPECT_NE(Tr(tip), tip) << tip.toStdString();
    EXPECT_EQ(all.main.Action("FileSave")->text(), "&Save all");

    SetInterfaceLanguage(InterfaceLanguage::Italian);
    for (QWidget* w : all.All()) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(LeftOver(w, englishOnly), std::vector<std::string>());
    }
    EXPECT_EQ(all.main.windowTitle(), "Senza titolo - Ovik");
    EXPECT_EQ(all.main.Action("FileSave")->text(), "&Salva tutto");
}

TEST(InterfaceLanguage, AWindowMadeAfterTheSwitchSpeaksTheNewLanguage) {
    TestApp();
    LanguageGuard guard;
    SetInterfaceLanguage(InterfaceLanguage::English);
    platform::InMemorySettings store;
    TFOpzioni options(store);
    EXPECT_EQ(options.windowTitle(), "Program options");
    EXPECT_EQ(options.findChild<QAbstractButton*>("bannulla")->text(), "&Cancel");
    // Combo boxes keep their items' data when their texts change.
    SetInterfaceLanguage(InterfaceLanguage::Italian);
    EXPECT_EQ(options.windowTitle(), "Opzioni del programma");
    auto* language = options.findChild<QComboBox*>("olanguage");
    ASSERT_TRUE(language);
    EXPECT_EQ(language->itemText(1), "English");
}

TEST(InterfaceLanguage, TheOptionsWindowStoresTheChoiceAndTheMainWindowSwitches) {
    TestApp();
    LanguageGuard guard;
    platform::InMemorySettings store;
    store.Write("options", "autoHideTip", "1");
    TMainForm main(store);
    auto* options = static_cast<TFOpzioni*>(main.PrepareWindow("fopzioni"));
    auto* language = options->findChild<QComboBox*>("olanguage");
    ASSERT_TRUE(language);
    // Nothing stored: the window shows the language in use.
    EXPECT_EQ(options->Language(), InterfaceLanguage::Italian);
    // English chosen and Ok in the options window: the choice is stored and
    // the options applied.
    QTimer::singleShot(0, options, [options, language] {
        language->setCurrentIndex(language->findData(int(InterfaceLanguage::English)));
        options->findChild<QAbstractButton*>("bok")->click();
    });
    main.Action("ToolsOptions")->trigger();
    EXPECT_EQ(store.ReadOr("options", "Language", ""), "eng");
    EXPECT_EQ(CurrentLanguage(), InterfaceLanguage::English);
    EXPECT_EQ(main.Action("FileSave")->text(), "&Save all");
    EXPECT_EQ(options->windowTitle(), "Program options");
    // The stored choice is taken at the next start, whatever the desktop says.
    SetInterfaceLanguage(InterfaceLanguage::Italian);
    EXPECT_EQ(StartInterfaceLanguage(store), InterfaceLanguage::English);
    EXPECT_EQ(main.Action("FileSave")->text(), "&Save all");
}

TEST(InterfaceLanguage, FirstStartFollowsTheDesktopLanguage) {
    TestApp();
    LanguageGuard guard;
    struct Case {
        const char* locale;
        InterfaceLanguage want;
    } cases[] = {{"en-US", InterfaceLanguage::English},
                 {"en_GB.UTF-8", InterfaceLanguage::English},
                 {"it-IT", InterfaceLanguage::Italian},
                 {"de-DE", InterfaceLanguage::Italian}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        platform::InMemorySettings store;
        TMainForm main(store);
        EXPECT_EQ(StartInterfaceLanguage(store, c.locale), c.want);
        EXPECT_EQ(CurrentLanguage(), c.want);
        EXPECT_EQ(main.Action("FileSave")->text(),
                  c.want == InterfaceLanguage::English ? "&Save all" : "&Salva tutto");
        // The first start stores nothing: the desktop decides again next time.
        EXPECT_EQ(store.ReadOr("options", "Language", ""), "");
    }
    // Without a name given, the desktop's own locale is asked.
    EXPECT_FALSE(DesktopLocaleName().empty());
}

TEST(InterfaceLanguage, MessageBoxesSpeakTheInterfaceLanguage) {
    TestApp();
    LanguageGuard guard;
    struct Case {
        InterfaceLanguage language;
        const char* title;
        const char* text;
        std::vector<const char*> buttons;
    } cases[] = {
        {InterfaceLanguage::Italian, "Ovik", "Promemoria: vuoi salvare?", {"S\xC3\xAC", "No", "Annulla"}},
        {InterfaceLanguage::English, "Ovik", "Reminder: do you want to save?", {"Yes", "No", "Cancel"}},
    };
    for (const Case& c : cases) {
        SetInterfaceLanguage(c.language);
        QString title, text;
        std::vector<QString> buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            text = box->text();
            for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) buttons.push_back(box->button(b)->text());
            box->button(QMessageBox::No)->click();
        });
        QtMessages messages;
        messages.SetApplicationTitle("Ovik");
        EXPECT_EQ(messages.AskYesNoCancel("Promemoria: vuoi salvare?"), platform::Answer::No);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(text, c.text);
        ASSERT_EQ(buttons.size(), 3u);
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(buttons[i], QString::fromUtf8(c.buttons[i]));
    }
    // Messages with varying parts and the box titles.
    SetInterfaceLanguage(InterfaceLanguage::English);
    EXPECT_EQ(Tr("Il file /a/b.hqv \xC3\xA8 aperto in sola lettura: salvalo con un altro nome."),
              "The file /a/b.hqv is open read-only: save it under another name.");
    EXPECT_EQ(Tr(platform::kErrorCaption), "Error!");
    EXPECT_EQ(Tr("Un testo che la tabella non ha"), "Un testo che la tabella non ha");
    EXPECT_EQ(MessageButtonText(QMessageBox::Ok), "OK");
    SetInterfaceLanguage(InterfaceLanguage::Italian);
    EXPECT_EQ(Tr(platform::kErrorCaption), "Errore!");
}

}  // namespace
}  // namespace ovik::ui
