// The interface language choice and the message table, without widgets.
#include <gtest/gtest.h>

#include "app/interface_language.h"
#include "platform/settings_store.h"

namespace ovik::app {
namespace {

TEST(InterfaceLanguage, TheDesktopLocaleChoosesAtFirstStart) {
    struct Case {
        const char* locale;
        InterfaceLanguage want;
    } cases[] = {
        {"en_GB.UTF-8", InterfaceLanguage::English}, {"en", InterfaceLanguage::English},
        {"en-US", InterfaceLanguage::English},       {"EN_us", InterfaceLanguage::English},
        {"it_IT.UTF-8", InterfaceLanguage::Italian}, {"it", InterfaceLanguage::Italian},
        {"de_DE", InterfaceLanguage::Italian},       {"C", InterfaceLanguage::Italian},
        {"", InterfaceLanguage::Italian},            {"eng", InterfaceLanguage::Italian},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(LanguageForLocale(c.locale), c.want);
        platform::InMemorySettings store;
        EXPECT_EQ(ChosenInterfaceLanguage(AppSettings(store), c.locale), c.want);
    }
}

TEST(InterfaceLanguage, AStoredChoiceWinsOverTheLocaleAndAnUnknownOneDoesNot) {
    platform::InMemorySettings store;
    AppSettings s(store);
    StoreInterfaceLanguage(s, InterfaceLanguage::English);
    EXPECT_EQ(store.ReadOr("options", "Language", ""), "eng");
    EXPECT_EQ(ChosenInterfaceLanguage(s, "it_IT"), InterfaceLanguage::English);
    StoreInterfaceLanguage(s, InterfaceLanguage::Italian);
    EXPECT_EQ(store.ReadOr("options", "Language", ""), "ita");
    EXPECT_EQ(ChosenInterfaceLanguage(s, "en_US"), InterfaceLanguage::Italian);
    for (const char* bad : {"", "fra", "english", "1"}) {
        s.WriteOption("Language", bad);
        EXPECT_EQ(ChosenInterfaceLanguage(s, "en_US"), InterfaceLanguage::English) << bad;
        EXPECT_EQ(ChosenInterfaceLanguage(s, "it_IT"), InterfaceLanguage::Italian) << bad;
    }
    EXPECT_EQ(ParseLanguageSetting("ENG"), InterfaceLanguage::English);
}

TEST(MessageTable, TranslatesWholeTextsAndTextsWithVaryingParts) {
    MessageTable t(
        "# comment\n"
        "it: Sei sicuro?\n"
        "en: Are you sure?\n"
        "\n"
        "it: Il file %1 non esiste\r\n"
        "en: The file %1 does not exist\r\n"
        "it: Copia %1 in %2.\n"
        "en: Into %2, copy %1.\n"
        "it: Riga uno\xC2\xA7!Riga due\n"
        "en: Line one\xC2\xA7!Line two\n"
        "it: Paragrafo \xC2\xA7\xC2\xA7 %1\n"
        "en: Section \xC2\xA7\xC2\xA7 %1\n");
    EXPECT_EQ(t.size(), 5u);
    EXPECT_EQ(t.Translate("Sei sicuro?"), "Are you sure?");
    EXPECT_EQ(t.Translate("Il file /tmp/a b.hqv non esiste"), "The file /tmp/a b.hqv does not exist");
    EXPECT_EQ(t.Translate("Il file  non esiste"), "The file  does not exist");
    EXPECT_EQ(t.Translate("Copia a.txt in /home/x."), "Into /home/x, copy a.txt.");
    // A line break may come as CR, CR LF or LF.
    for (const char* text : {"Riga uno\rRiga due", "Riga uno\r\nRiga due", "Riga uno\nRiga due"})
        EXPECT_EQ(t.Translate(text), "Line one\nLine two");
    EXPECT_EQ(t.Translate("Paragrafo \xC2\xA7 3"), "Section \xC2\xA7 3");
    for (const char* missing : {"Sei sicuro", "sei sicuro?", "Il file a", "x Sei sicuro?", ""})
        EXPECT_FALSE(t.Translate(missing)) << missing;
}

TEST(MessageTable, ReportsLinesThatAreNotPairs) {
    MessageTable t;
    auto bad = t.Parse("it: Uno\nen: One\nit: Due\n\nen: Tre\nqualcosa\n");
    EXPECT_EQ(bad, (std::vector<int>{3, 5, 6}));
    EXPECT_EQ(t.Translate("Uno"), "One");
    EXPECT_FALSE(t.Translate("Due"));
}

}  // namespace
}  // namespace ovik::app
