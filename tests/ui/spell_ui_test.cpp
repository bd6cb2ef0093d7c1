// Spell checking in the page widget and the spelling dialog, offscreen: the
// background check underlines a misspelt word, the context menu corrects it,
// ignores or adds a word, and F7 walks the page's errors with the dialog.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <variant>

#include "app/spell_checker.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "text/layout.h"
#include "ui/dialogs/program_options.h"
#include "ui/main_window.h"
#include "ui/dialogs/speller.h"
#include "ui/page_view.h"
#include "ui/qt_platform.h"
#include "ui/spell_support.h"
#include "undo/undo.h"

namespace ovik::ui {
namespace {

namespace fs = std::filesystem;

struct SpellView : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVundoList history{set};
    app::TZtSpellChecker checker;
    fs::path dir;
    TPageView* view = nullptr;
    std::unique_ptr<TPageView> owned;

    SpellView() {
        TestApp();
        dir = fs::temp_directory_path() / ("ovik-spell-ui-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        checker.DictionaryFolders = {fs::path(OVIK_SOURCE_DIR) / "tests" / "data" / "spell"};
        checker.UserDictionaryPath = dir / "CUSTOM.DIC";
        ConnectToEventLoop(checker);
        checker.Open();
        auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        std::string markup = "<Z S0 >il gattto mangia<Z S0 >la casaa<Z S0 >casaa e gattto";
        Bytes b(markup.begin(), markup.end());
        b.push_back(0);
        page->SetContent(b);
        owned = std::make_unique<TPageView>();
        view = owned.get();
        view->SetHistory(&history);
        view->resize(600, 400);
        view->show();
        view->SetSpellChecker(&checker, true);
        view->ShowPage(set, 0);
    }
    ~SpellView() override {
        owned.reset();
        fs::remove_all(dir);
    }
    // Runs the event loop until `done` or the time is up.
    template <class Pred>
    bool WaitFor(Pred done, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    const std::string& Mask(int p) { return view->Box()->Paragraph(p).SpellMask(); }
    int Squiggles() {
        int n = 0;
        for (const DisplayItem& item : view->VisibleList().items) n += std::holds_alternative<SquiggleItem>(item);
        return n;
    }
    // The middle of character `ch` of paragraph `p`, in box coordinates.
    QPoint At(int p, int ch) {
        TextPosition a = PositionOf(*view->Box(), p, ch), b = PositionOf(*view->Box(), p, ch + 1);
        return QPoint((a.x + b.x) / 2, a.y + a.height / 2);
    }
};

TEST_F(SpellView, BackgroundCheckUnderlinesAndTheMenuCorrects) {
    ASSERT_TRUE(checker.IsOpen());
    // Nothing before the delay, the marks within a second after it.
    EXPECT_TRUE(Mask(0).empty());
    ASSERT_TRUE(WaitFor([&] { return Mask(2) == "!!!!! ! !!!!!!"; }, 20000)) << Mask(2);
    EXPECT_EQ(Mask(0), "   !!!!!!       ");
    EXPECT_EQ(Mask(1), "!! !!!!!");
    EXPECT_GE(Squiggles(), 5);

    // The context menu over "gattto": suggestions first, then the four items.
    QMenu menu;
    menu.addAction("&Taglia");
    QPoint p = At(0, 5);
    view->AddSpellingItems(menu, p.x(), p.y());
    QList<QAction*> items = menu.actions();
    ASSERT_GE(items.size(), 6);
    EXPECT_EQ(items[0]->text(), "gatto");
    QStringList texts;
    for (QAction* a : items) texts << a->text();
    EXPECT_TRUE(texts.contains("&Ignora tutti"));
    EXPECT_TRUE(texts.contains("&Aggiungi"));
    EXPECT_TRUE(texts.contains("&Controllo ortografia"));
    EXPECT_EQ(texts.last(), "&Taglia");
    items[0]->trigger();
    EXPECT_EQ(view->Box()->Paragraph(0).Text(), "il gatto mangia");
    EXPECT_TRUE(history.CanUndo());

    // "&Aggiungi" on "casaa": its marks go everywhere at once, and it is in the
    // user dictionary for the next run.
    QMenu menu2;
    p = At(1, 4);
    view->AddSpellingItems(menu2, p.x(), p.y());
    for (QAction* a : menu2.actions())
        if (a->text() == "&Aggiungi") a->trigger();
    EXPECT_EQ(Mask(1), "!!      ");
    EXPECT_EQ(Mask(2).substr(0, 5), "     ");
    std::ifstream in(checker.UserDictionaryPath);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "casaa");

    // A word without a mark gets no spelling items.
    QMenu menu3;
    menu3.addAction("&Taglia");
    p = At(0, 0);
    view->AddSpellingItems(menu3, p.x(), p.y());
    EXPECT_EQ(menu3.actions().size(), 1);
}

TEST_F(SpellView, F7WalksThePageErrorsWithTheDialog) {
    platform::InMemorySettings store;
    TZtSpellerDialog dialog(store);
    std::vector<QString> seen;
    std::string last;
    checker.RunDialog = [&](app::TZtSpellSession& s) {
        // Each error: note it, then press a button as a user would.
        s.onViewChanged = nullptr;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, &dialog, [&] {
            if (!dialog.isVisible() || !dialog.InfoMsg->isVisible()) return;
            const QString word = dialog.Misspelling->toPlainText().mid(int(s.View().redStart), int(s.ErrorLength()));
            const std::string key = s.Text() + "@" + std::to_string(s.ErrorPosition());
            if (key == last) return;
            last = key;
            seen.push_back(word);
            if (word == "gattto") dialog.ChangeButton->click();  // the first suggestion
            else dialog.SkipButton->click();
        });
        timer.start();
        dialog.Run(s, "Controllo ortografico Italiano");
    };
    view->Box()->SetCaret(0, 0);
    view->SpellCheckFromCursor();
    EXPECT_EQ(seen, (std::vector<QString>{"gattto", "la", "casaa", "casaa", "e", "gattto"}));
    EXPECT_EQ(view->Box()->Paragraph(0).Text(), "il gatto mangia");
    EXPECT_EQ(view->Box()->Paragraph(2).Text(), "casaa e gatto");  // change-once: the engine's replacement first
    EXPECT_FALSE(checker.cancelled);
    EXPECT_EQ(dialog.windowTitle(), "Controllo ortografico Italiano");
}

TEST_F(SpellView, DialogControlsFollowTheError) {
    platform::InMemorySettings store;
    TZtSpellerDialog dialog(store);
    checker.SetOptions(app::kDefaultSpellOptions | app::spoFindRepeatWord);
    std::string text = "Il il gatto";
    checker.OnGetPar = [&](std::string& t, int32_t&) {
        t = text;
        text.clear();
    };
    checker.OnChangeText = nullptr;
    checker.OnMisspelling = nullptr;
    checker.OnEnd = nullptr;
    bool checkedRepeat = false;
    checker.RunDialog = [&](app::TZtSpellSession& s) {
        QTimer::singleShot(50, &dialog, [&] {
            EXPECT_EQ(dialog.InfoMsg->text(), "Parole ripetute:");
            EXPECT_TRUE(dialog.DelButton->isVisible());
            EXPECT_FALSE(dialog.ChangeButton->isVisible());
            EXPECT_FALSE(dialog.AddButton->isEnabled());
            EXPECT_FALSE(dialog.BSalta->isVisible());
            // Only the red range can be edited: a change elsewhere is undone.
            dialog.Misspelling->setPlainText("XX il gatto");
            EXPECT_EQ(dialog.Misspelling->toPlainText(), "Il il gatto");
            checkedRepeat = true;
            dialog.CancelButton->click();
        });
        dialog.Run(s, "x");
    };
    checker.ShowProgressWin = false;
    checker.Execute();
    EXPECT_TRUE(checkedRepeat);
    EXPECT_TRUE(checker.cancelled);
}

TEST(SpellOptions, TheSpellingPartShowsOnlyWithAnOpenChecker) {
    TestApp();
    platform::InMemorySettings store;
    for (bool open : {false, true}) {
        TFOpzioni::spellAvailability = [open] {
            SpellAvailability a;
            a.open = open;
            a.languages = {{1040, "Italiano"}};
            return a;
        };
        TFOpzioni w(store);
        w.show();
        EXPECT_EQ(w.Field("orto\\repeat")->isVisible(), open);
        auto* missing = w.findChild<QLabel*>("lnoorto");
        ASSERT_TRUE(missing);
        EXPECT_EQ(missing->isVisible(), !open);
        EXPECT_TRUE(missing->text().startsWith("Il correttore ortografico non è disponibile"));
    }
    TFOpzioni::spellAvailability = nullptr;
}

TEST_F(SpellView, CheckOfAllPagesSkipsOrStops) {
    // Three pages with one error each; the view shows the second.
    for (const char* text : {"<Z S0 >il gatttto", "<Z S0 >la caasa"}) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        std::string markup = text;
        p->SetContent(Bytes(markup.begin(), markup.end() + 1));
    }
    view->ShowPage(set, 1);
    std::vector<std::string> errors;
    checker.RunDialog = [&](app::TZtSpellSession& s) {
        s.RunLoop();
        errors.push_back(s.ErrorText());
        EXPECT_TRUE(s.View().skipPageVisible);
        // "&Salta la pagina" on the first page, "C&hiudi" on the second.
        if (errors.size() == 1) s.SkipPage();
        else s.Close();
    };
    view->SpellCheckAllPages();
    EXPECT_EQ(errors, (std::vector<std::string>{"gattto", "gatttto"}));
    EXPECT_TRUE(checker.cancelled);
    EXPECT_EQ(view->PageNumber(), 1);  // the page shown before
}

TEST(SpellWindow, OptionsOfSectionOrtoAndLanguageSwitches) {
    TestApp();
    platform::InMemorySettings store;
    store.Write("orto", "repeat", "1");
    store.Write("orto", "caps", "0");
    store.Write("orto", "progr", "0");
    TMainForm w(store);
    app::TZtSpellChecker& c = w.Spelling()->Checker();
    EXPECT_TRUE(c.Options() & app::spoFindRepeatWord);
    EXPECT_FALSE(c.Options() & app::spoIgnoreAllCaps);
    EXPECT_TRUE(c.Options() & app::spoIgnoreRomanNumerals);  // left as it was
    EXPECT_FALSE(c.ShowProgressWin);
    EXPECT_EQ(c.Language(), 1040);
    if (!c.IsOpen()) GTEST_SKIP() << "no Italian dictionary installed";
    EXPECT_TRUE(w.Action("ToolsSpellAll")->isEnabled());
    // A language without a dictionary: back to the previous one, still open.
    const bool readOnly = w.View()->ReadOnly();
    EXPECT_FALSE(w.Spelling()->SwitchLanguage(1062));  // Latvian
    EXPECT_EQ(c.Language(), 1040);
    EXPECT_TRUE(c.IsOpen());
    EXPECT_EQ(w.View()->ReadOnly(), readOnly);
}

}  // namespace
}  // namespace ovik::ui
