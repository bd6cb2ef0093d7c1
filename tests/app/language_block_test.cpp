#include "app/language_block.h"

#include <gtest/gtest.h>

#include <map>

namespace ovik::app {
namespace {

// A window as a map of properties.
struct FakeWindow : Localizable {
    std::map<std::string, std::string> texts{{"bok.caption", "Ok"}, {"bcerca.hint", "old"},
                                             {"label1.caption", "x"}};
    std::vector<std::string> items{"a", "b", "c"};
    std::map<std::string, std::string> columns;

    std::vector<Property> Properties() const override {
        std::vector<Property> ps;
        for (auto& [k, v] : texts) {
            auto dot = k.find('.');
            ps.push_back({k.substr(0, dot), k.substr(dot + 1), Property::Single, 0, {}});
        }
        ps.push_back({"rgnuova", "items", Property::List, 0, {}});
        ps.push_back({"filesscelti", "columns", Property::Collection, 2, {"caption", "width"}});
        return ps;
    }
    void SetText(const Property& p, const std::string& v) override { texts[p.component + "." + p.property] = v; }
    void SetItems(const Property&, const std::vector<std::string>& v) override { items = v; }
    void SetItemProperty(const Property&, int i, const std::string& ip, const std::string& v) override {
        columns[std::to_string(i) + ip] = v;
    }
};

TEST(LanguageBlock, AppliesWhatItHasAndKeepsTheRest) {
    std::string block =
        "*_*label1_caption\r\n Riga\xC2\xA7!Due\r\n"
        "*_*bCerca_hint\r\n L''indice e l'altro\r\n"
        "*_.rgnuova_items*count\r\n 2\r\n"
        "*_.rgnuova_items*item0\r\n Uno\r\n"
        "*_.rgnuova_items*item1\r\n Due\r\n"
        "*_.rgnuova_items*item2\r\n Tre\r\n"
        "*_.filesscelti_columns*item1_caption\r\n Nome \xC2\xA7\xC2\xA7 tipo\r\n"
        "*_*nessuno_caption\r\n ignorato\r\n";
    FakeWindow w;
    ApplyLanguageBlock(LanguageBlock(block), w);
    EXPECT_EQ(w.texts["label1.caption"], "Riga\r\nDue");
    EXPECT_EQ(w.texts["bcerca.hint"], "L'indice e l'altro");
    EXPECT_EQ(w.texts["bok.caption"], "Ok");  // no entry: unchanged
    EXPECT_EQ(w.items, (std::vector<std::string>{"Uno", "Due"}));
    EXPECT_EQ(w.columns.size(), 1u);
    EXPECT_EQ(w.columns["1caption"], "Nome \xC2\xA7 tipo");
}

TEST(LanguageBlock, AStrayLineDoesNotShiftTheKeysAfterIt) {
    const std::string block =
        "*_*bok_caption\r\n &Ok\r\n"
        "una riga in piu\r\n"
        "*_*bannulla_caption\r\n A&nnulla\r\n"
        "\r\n"
        "*_*label1_caption\r\n Testo\r\n";
    LanguageBlock b(block);
    EXPECT_EQ(b.Text("bok", "caption"), "&Ok");
    EXPECT_EQ(b.Text("bannulla", "caption"), "A&nnulla");
    EXPECT_EQ(b.Text("label1", "caption"), "Testo");
    // The first line equal to a key wins.
    EXPECT_EQ(LanguageBlock("*_*a_caption\r\n uno\r\n*_*a_caption\r\n due").Text("a", "caption"), "uno");
}

TEST(LanguageBlock, DecodeAndEncodeAreInverse) {
    for (std::string text : {"a'b", "x\r\ny", "\xC2\xA7 paragrafo", "''", "plain"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LanguageBlock::Decode(LanguageBlock::Encode(text)), text);
    }
    EXPECT_EQ(LanguageBlock::Decode("a\xC2\xA7z"), "az");  // a lone "§" is dropped
    LanguageBlock last("*_*b_caption");  // a key on the last line has no value
    EXPECT_FALSE(last.Text("b", "caption"));
}

}  // namespace
}  // namespace ovik::app
