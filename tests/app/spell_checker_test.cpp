// The spell checker: the engine's verification with the option bits, the
// languages and dictionaries, the word lists and the user dictionary, the
// interactive check's dialog logic and the background thread. A small test
// dictionary (tests/data/spell) keeps the answers fixed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/spell_checker.h"
#include "app/spell_session.h"
#include "core/codepage.h"

namespace ovik::app {
namespace {

namespace fs = std::filesystem;

const fs::path kDictionaries = fs::path(OVIK_TEST_DATA) / "spell";

struct SpellFixture : ::testing::Test {
    fs::path dir;
    TZtSpellChecker checker;
    SpellFixture() {
        dir = fs::temp_directory_path() /
              ("ovik-spell-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        checker.DictionaryFolders = {kDictionaries};
        checker.UserDictionaryPath = dir / "CUSTOM.DIC";
        checker.Pacing = {1, 1};
    }
    ~SpellFixture() override { fs::remove_all(dir); }
    SpellEngine& OpenEngine(TSpellOptions options) {
        checker.SetOptions(options);
        checker.Open();
        EXPECT_TRUE(checker.IsOpen());
        return *checker.Engine();
    }
};

TEST_F(SpellFixture, VerificationFindsTheFirstErrorWithTheOptionBits) {
    const TSpellOptions def = kDefaultSpellOptions;
    struct Row {
        const char* text;
        size_t from;
        int state;
        TSpellOptions options;
        int code, offset, length;
    } rows[] = {
        {"il gatto mangia", 0, 2, def, 0, 0, 0},
        {"il gatttto mangia", 0, 2, def, 1, 3, 7},
        {"il il gatto", 0, 2, def, 0, 0, 0},
        {"il il gatto", 0, 2, def | spoFindRepeatWord, 11, 3, 2},
        {"il, il gatto", 0, 2, def | spoFindRepeatWord, 0, 0, 0},  // punctuation between
        {"il cane", 0, 2, def | spoFindUncappedSentences, 10, 0, 2},
        {"il cane", 0, 0, def | spoFindUncappedSentences, 0, 0, 0},
        {"Il cane. il gatto", 0, 2, def | spoFindUncappedSentences, 10, 9, 2},
        {"uno   due", 0, 2, def, 0, 0, 0},
        {"uno   due", 0, 2, def | spoFindExtraSpaces, 12, 2, 5},
        {"   uno due", 0, 0, def | spoFindExtraSpaces, 0, 0, 0},  // leading blanks are no error
        {"uno ,due", 0, 2, def | spoFindSpacesBeforePunc, 12, 2, 3},
        {"uno,due", 0, 2, def | spoFindMissingSpaces, 13, 3, 2},
        {"uno.due", 0, 2, def | spoFindSpacesAfterPunc, 0, 0, 0},  // a dot needs a capital after it
        {"3gatto", 0, 2, def | spoFindInitialNumerals, 14, 0, 6},
        {"3gatto", 0, 2, def, 0, 0, 0},                   // mixed digits ignored
        {"3gatto", 0, 2, 0, 1, 0, 6},                     // not ignored
        {"1999 casa", 0, 2, 0, 0, 0, 0},                  // numbers are words of no language
        {"CASAX", 0, 2, def, 0, 0, 0},
        {"CASAX", 0, 2, 0, 1, 0, 5},
        {"Xiv XIV", 0, 2, spoIgnoreRomanNumerals, 1, 0, 3},
        {"XIV", 0, 2, spoIgnoreRomanNumerals, 0, 0, 0},
        {"dell'anno dell\x92" "anno", 0, 2, def, 0, 0, 0},  // elisions, both apostrophes
        {"citt\xE0 perch\xE9", 0, 2, def, 0, 0, 0},       // Windows-1252 letters
        {"uno gattto", 6, 0, def, 1, 0, 4},               // a word cut by the start
        {"il il", 2, 1, def | spoFindRepeatWord, 11, 1, 2},  // the previous word counts
        {"uno fooo barr", 8, 1, def, 1, 1, 4},
    };
    SpellEngine& e = OpenEngine(def);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        e.SetOptions(r.options);
        VerifyResult v = e.Verify(r.text, r.from, r.state);
        EXPECT_EQ(v.code, r.code);
        if (r.code) {
            EXPECT_EQ(v.offset, r.offset);
            EXPECT_EQ(v.length, r.length);
        }
    }
}

TEST_F(SpellFixture, LanguagesMapToDictionariesWithThePrimaryFallback) {
    auto exact = FindDictionary(1040, {kDictionaries});
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->aff.filename(), "it_IT.aff");
    EXPECT_EQ(exact->language, 1040);
    // Swiss Italian has no dictionary here: 2064 AND 0x3FF OR 0x400 = 1040.
    auto fallback = FindDictionary(2064, {kDictionaries});
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->language, 1040);
    EXPECT_FALSE(FindDictionary(1031, {kDictionaries}));
    EXPECT_FALSE(FindDictionary(9999, {kDictionaries}));
    auto installed = InstalledLanguages({kDictionaries});
    ASSERT_EQ(installed.size(), 2u);
    EXPECT_EQ(installed[0], (std::pair<TLanguage, std::string>{1033, "Inglese (Stati Uniti)"}));
    EXPECT_EQ(installed[1], (std::pair<TLanguage, std::string>{1040, "Italiano"}));

    // The language changes only while closed, and only to an installed one.
    EXPECT_FALSE(checker.SetLanguage(1031));
    EXPECT_TRUE(checker.SetLanguage(1033));
    checker.Open();
    EXPECT_FALSE(checker.SetLanguage(1040));
    EXPECT_EQ(checker.DialogCaption(), "Controllo ortografico Inglese (Stati Uniti)");
    checker.Close();
    // No dictionary: Open stays closed and says nothing.
    checker.DictionaryFolders = {dir};
    checker.Open();
    EXPECT_FALSE(checker.IsOpen());
}

TEST_F(SpellFixture, WordsReachADictionaryInItsOwnEncoding) {
    ASSERT_TRUE(checker.SetLanguage(1033));  // the test dictionary is ISO 8859-1
    SpellEngine& e = OpenEngine(kDefaultSpellOptions);
    EXPECT_EQ(e.Verify("the caf\xE9", 0, 2).code, 0);
    EXPECT_EQ(e.Verify("the cafe", 0, 2).code, 1);
    auto s = checker.GetSuggestions("cafe");
    EXPECT_NE(std::find(s.begin(), s.end(), "caf\xE9"), s.end());
}

TEST_F(SpellFixture, WordListsAndTheUserDictionary) {
    SpellEngine& e = OpenEngine(kDefaultSpellOptions);
    EXPECT_TRUE(fs::exists(checker.UserDictionaryPath));  // created when missing
    EXPECT_EQ(e.Verify("gattone", 0, 2).code, 1);
    checker.IgnoreAlways("gattone");
    EXPECT_EQ(e.Verify("gattone", 0, 2).code, 0);
    e.AddChange("gato", "gatto", false);
    VerifyResult once = e.Verify("il gato", 0, 2);
    EXPECT_EQ(once.code, 3);
    EXPECT_EQ(once.replacement, "gatto");
    e.AddChange("gato", "gatto", true);
    EXPECT_EQ(e.Verify("il gato", 0, 2).code, 2);

    checker.AddToUserDictionary("caffettiera");
    EXPECT_EQ(e.Verify("caffettiera", 0, 2).code, 0);
    // A language switch forgets the ignored word and keeps the added one.
    checker.Close();
    checker.Open();
    EXPECT_EQ(checker.Engine()->Verify("gattone", 0, 2).code, 1);
    EXPECT_EQ(checker.Engine()->Verify("caffettiera", 0, 2).code, 0);
    std::ifstream in(checker.UserDictionaryPath);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "caffettiera");

    // A closed checker does nothing.
    checker.Close();
    EXPECT_TRUE(checker.GetSuggestions("gato").empty());
    checker.AddToUserDictionary("gnomo");
    checker.IgnoreAlways("gnomo");
}

// The owner side of an interactive check: hands out texts and records events.
struct Owner {
    std::vector<std::string> texts;
    std::vector<int32_t> offsets;
    size_t next = 0;
    std::string current;
    std::vector<std::string> events;
    void Bind(TZtSpellChecker& c) {
        c.OnGetPar = [this](std::string& text, int32_t& offset) {
            if (next < texts.size()) {
                current = texts[next];
                text = current;
                if (next < offsets.size()) offset = offsets[next];
            } else {
                text.clear();
            }
            ++next;
        };
        c.OnMisspelling = [this](int code, int32_t length, int32_t position) {
            events.push_back("mis " + std::to_string(code) + " " + std::to_string(position) + " " +
                             std::to_string(length));
        };
        c.OnChangeText = [this](int32_t position, int flag, const std::string& text, int32_t length) {
            current.replace(size_t(position), size_t(length), text);
            events.push_back("change " + std::to_string(position) + " " + std::to_string(flag) + " \"" + text +
                             "\" " + std::to_string(length));
        };
        c.OnEnd = [this] { events.push_back("end"); };
    }
};

TEST_F(SpellFixture, InteractiveCheckEdgeCases) {
    OpenEngine(kDefaultSpellOptions | spoFindRepeatWord | spoFindUncappedSentences | spoFindExtraSpaces);

    {
        SCOPED_TRACE("the cursor inside the second of two words");
        Owner o;
        o.texts = {"gattto mangia"};  // the cursor in "mangia": offset 6, the first word is blanked
        o.offsets = {6};
        o.Bind(checker);
        TZtSpellSession s(checker);
        ASSERT_TRUE(s.Begin());
        s.RunLoop();
        EXPECT_TRUE(s.Finished());
        EXPECT_EQ(o.events, (std::vector<std::string>{"end"}));
        // The same text checked whole reports the first word.
        o = Owner{};
        o.texts = {"gattto mangia"};
        o.Bind(checker);
        TZtSpellSession whole(checker);
        ASSERT_TRUE(whole.Begin());
        whole.RunLoop();
        EXPECT_EQ(o.events, (std::vector<std::string>{"mis 1 0 6"}));
        whole.Close();
    }
    {
        SCOPED_TRACE("positions stay those of the text handed over");
        Owner o;
        o.texts = {"uno mangiaa"};
        o.offsets = {3};
        o.Bind(checker);
        TZtSpellSession s(checker);
        ASSERT_TRUE(s.Begin());
        EXPECT_EQ(s.Text(), "    mangiaa");
        s.RunLoop();
        EXPECT_EQ(o.events, (std::vector<std::string>{"mis 1 4 7"}));
        EXPECT_EQ(s.View().line, "    mangiaa");
        EXPECT_EQ(s.View().redStart, 4);
        EXPECT_TRUE(s.View().addEnabled);
        EXPECT_TRUE(s.View().skipAllEnabled);
        s.Close();
        EXPECT_TRUE(checker.cancelled);
    }
    {
        SCOPED_TRACE("a lower-case first word with uncapped sentences");
        Owner o;
        o.texts = {"il gatto"};
        o.Bind(checker);
        TZtSpellSession s(checker);
        ASSERT_TRUE(s.Begin());
        s.RunLoop();
        EXPECT_EQ(s.ErrorCode(), 10);
        EXPECT_EQ(s.View().infoMsg, "Errore nella maiuscola a inizio frase:");
        EXPECT_EQ(s.View().variants, (std::vector<std::string>{"Il"}));
        EXPECT_FALSE(s.View().changeAllEnabled);
        EXPECT_FALSE(s.View().addEnabled);
        s.Change();
        EXPECT_EQ(o.current, "Il gatto");
        EXPECT_TRUE(s.Finished());
    }
    {
        SCOPED_TRACE("Ca&ncella on a repeated three-letter word");
        Owner o;
        o.texts = {"Uno uno due"};
        o.Bind(checker);
        TZtSpellSession s(checker);
        ASSERT_TRUE(s.Begin());
        s.RunLoop();
        EXPECT_EQ(s.ErrorCode(), 11);
        EXPECT_TRUE(s.View().delVisible);
        EXPECT_FALSE(s.View().changeVisible);
        EXPECT_FALSE(s.View().addEnabled);
        s.Delete();
        EXPECT_EQ(o.events, (std::vector<std::string>{"mis 11 4 3", "change 3 0 \"\" 4", "end"}));
        EXPECT_EQ(o.current, "Uno due");
    }
    {
        SCOPED_TRACE("x   y offers x y");
        Owner o;
        o.texts = {"X   y"};
        o.Bind(checker);
        TZtSpellSession s(checker);
        ASSERT_TRUE(s.Begin());
        s.RunLoop();
        EXPECT_EQ(s.ErrorCode(), 12);
        EXPECT_EQ(s.ErrorText(), "X   y");
        EXPECT_EQ(s.View().variants, (std::vector<std::string>{"X y"}));
        EXPECT_EQ(s.View().infoMsg, "Spazi extra:");
        s.Change();
        EXPECT_EQ(o.current, "X y");
        EXPECT_TRUE(s.Finished());
    }
    {
        SCOPED_TRACE("&Aggiungi verifies the word again at once, and it passes");
        checker.cancelled = false;
        Owner o;
        o.texts = {"Gattone", "Casa gatttto"};
        o.Bind(checker);
        TZtSpellSession s(checker);
        ASSERT_TRUE(s.Begin());
        s.RunLoop();
        EXPECT_EQ(s.ErrorText(), "Gattone");
        s.Add();
        // The next text's error shows: the added word passed.
        EXPECT_EQ(s.ErrorText(), "gatttto");
        EXPECT_EQ(o.events, (std::vector<std::string>{"mis 1 0 7", "mis 1 5 7"}));
        s.Skip();
        EXPECT_TRUE(s.Finished());
        EXPECT_FALSE(checker.cancelled);
    }
}

TEST_F(SpellFixture, ChangeOnceChangeAllAndEditing) {
    OpenEngine(kDefaultSpellOptions);
    Owner o;
    o.texts = {"Gatttto e gatttto", "gatttto"};
    o.Bind(checker);
    TZtSpellSession s(checker);
    ASSERT_TRUE(s.Begin());
    s.RunLoop();
    ASSERT_EQ(s.ErrorCode(), 1);
    EXPECT_EQ(s.View().label2, "Correggi la parola in rosso o scegli uno dei &suggerimenti:");
    // An edit of the red range: only Change stays, until it is cancelled.
    s.EditRed("Gatto");
    EXPECT_TRUE(s.View().cancelEditVisible);
    EXPECT_FALSE(s.View().changeAllEnabled);
    EXPECT_FALSE(s.View().addEnabled);
    s.CancelEdit();
    EXPECT_EQ(s.RedText(), "Gatttto");
    EXPECT_TRUE(s.View().changeAllEnabled);
    EXPECT_FALSE(s.View().cancelEditVisible);
    s.EditRed("Gatto");
    s.Change();
    EXPECT_EQ(o.current, "Gatto e gatttto");
    // "e" is no word of the test dictionary; skip it.
    ASSERT_EQ(s.ErrorText(), "e");
    s.SkipAll();
    ASSERT_EQ(s.ErrorText(), "gatttto");
    s.EditRed("gatto");
    s.Change();
    // The second text: the edited word was not listed, so it shows again.
    ASSERT_EQ(s.ErrorText(), "gatttto");
    EXPECT_EQ(s.ErrorCode(), 1);
    s.EditRed("gatto");
    s.Close();
    EXPECT_EQ(o.events.back(), "end");
}

TEST_F(SpellFixture, ExecuteWithoutProgressShowsNoWindowWhenThereIsNoError) {
    OpenEngine(kDefaultSpellOptions);
    Owner o;
    o.texts = {"il gatto", "la casa"};
    o.Bind(checker);
    int dialogs = 0;
    checker.RunDialog = [&](TZtSpellSession& s) {
        ++dialogs;
        while (!s.Finished()) s.Skip();
    };
    checker.ShowProgressWin = false;
    o.texts = {"il gatto", "casa"};
    checker.Execute();
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(o.events, (std::vector<std::string>{"end"}));
    o = Owner{};
    o.texts = {"il gattto"};
    o.Bind(checker);
    checker.Execute();
    EXPECT_EQ(dialogs, 1);
    // With the progress window, the dialog always shows.
    o = Owner{};
    o.texts = {"il gatto"};
    o.Bind(checker);
    checker.ShowProgressWin = true;
    checker.RunDialog = [&](TZtSpellSession& s) {
        ++dialogs;
        EXPECT_FALSE(s.View().fullView);
        s.RunLoop();
    };
    checker.Execute();
    EXPECT_EQ(dialogs, 2);
    EXPECT_FALSE(checker.cancelled);
}

// Drains the checker's queue until `done`, as the interface thread's loop would.
template <class Pred>
bool DrainUntil(TZtSpellChecker& c, Pred done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        if (c.Queue().Drain() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(SpellFixture, BackgroundThreadReportsEveryErrorOnTheInterfaceThread) {
    OpenEngine(kDefaultSpellOptions);
    const std::thread::id ui = std::this_thread::get_id();
    std::vector<std::string> texts = {"uno gatttoo due caasa tre perchee", "", "il gatto"};
    size_t next = 0;
    std::vector<std::string> log;
    bool finished = false, offThread = false;
    platform::SpellCallbacks cb;
    cb.nextText = [&](std::string& t) {
        offThread |= std::this_thread::get_id() != ui;
        if (next >= texts.size()) return false;
        t = texts[next++];
        return true;
    };
    cb.mark = [&](int32_t start, int32_t length) {
        offThread |= std::this_thread::get_id() != ui;
        log.push_back(std::to_string(start) + "+" + std::to_string(length));
    };
    cb.paragraphDone = [&] { log.push_back("done"); };
    cb.finished = [&] {
        offThread |= std::this_thread::get_id() != ui;
        finished = true;
    };
    auto thread = checker.Start(cb);
    ASSERT_TRUE(DrainUntil(checker, [&] { return finished; }));
    EXPECT_FALSE(offThread);
    // Three reports, positions from the paragraph's start; no report for the
    // empty paragraph.
    EXPECT_EQ(log, (std::vector<std::string>{"4+7", "16+5", "26+7", "done", "done"}));

    // Termination: the thread stops at its next step and still says finished.
    finished = false;
    next = 0;
    log.clear();
    checker.Pacing = {200, 200};
    auto slow = checker.Start(cb);
    slow->Terminate();
    ASSERT_TRUE(DrainUntil(checker, [&] { return finished; }));
    EXPECT_TRUE(log.empty());

    // Closing the checker while a thread runs: the thread calls no engine, so
    // nothing is marked.
    finished = false;
    next = 0;
    checker.Pacing = {1, 1};
    checker.Start(cb);
    checker.Close();
    ASSERT_TRUE(DrainUntil(checker, [&] { return finished; }));
    EXPECT_EQ(std::count(log.begin(), log.end(), "done"), long(log.size()));
}

TEST_F(SpellFixture, DestroyingTheCheckerReleasesWaitingThreads) {
    auto c = std::make_unique<TZtSpellChecker>();
    c->DictionaryFolders = {kDictionaries};
    c->UserDictionaryPath = dir / "u.dic";
    c->Pacing = {1, 1};
    c->Open();
    platform::SpellCallbacks cb;
    cb.nextText = [](std::string& t) {
        t = "gatto";
        return true;
    };
    c->Start(cb);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the thread now waits on the queue
    const auto t0 = std::chrono::steady_clock::now();
    c.reset();  // nobody drains: the destructor must not hang
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
}

}  // namespace
}  // namespace ovik::app
