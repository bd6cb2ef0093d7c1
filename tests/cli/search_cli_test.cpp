// ovikc keywords, order, find, replace and where-used on a small hypertext.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/keywords.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

using testing::RunOvikc;
using testing::TempDir;

struct SearchCli : ::testing::Test {
    TempDir dir;
    std::string file = (dir / "a.hqv").string();
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVoggetto *unused = nullptr, *background = nullptr, *shown = nullptr;

    THQVtesto* AddPage(const std::string& title, const std::string& markup) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle(title);
        p->SetContent(Bytes(markup.begin(), markup.end() + 1));
        return p;
    }
    static std::string Hex(int32_t id) {
        char b[9];
        std::snprintf(b, sizeof b, "%08x", unsigned(id));
        return b;
    }

    SearchCli() {
        set.NewHypertext();
        AddPage("Copertina", "<Z S0 >benvenuti");                               // 0
        THQVtesto* casa = AddPage("Casa", "<Z S0 >una casa al mare");            // 1
        AddPage("Mare", "<Z S0 >solo il mare<D x>casa<d>");                       // 2
        THQVtesto* last = AddPage(cp1252::FromUtf8("Città"), "<Z S0 >-x e casa");  // 3
        THQVoggetto* k = FindOrAddKeyword(set, "vacanze");
        AddKeywordToPage(*casa, k->Number());
        AddKeywordToPage(*last, k->Number());
        FindOrAddKeyword(set, "lavoro");
        unused = set.AddNewObject(immagine);
        unused->SetName("niente");
        background = set.AddNewObject(immagine);
        background->SetName("sfondo");
        set.Page(2)->SetI32(page_rec::kBackPicture, background->Number());
        shown = set.AddNewObject(immagine);
        shown->SetName("foto");
        THQVoggetto* placed = set.AddNewObject(immagineNew);
        placed->SetI32(0, shown->Number());
        AddPage("Foto", "<Z S0 >vedi <$" + Hex(placed->Id()) + ">");  // 4
        // Page 1 is the next slide of page 0 and also linked from page 4's text.
        set.Page(0)->SetI32(page_rec::kSlideTarget, casa->Id());
        THQVtesto* linking = set.Page(4);
        std::string m = "<Z S0 >vedi <$" + Hex(placed->Id()) + "><$" + Hex(casa->Id()) + ">casa<%>";
        linking->SetContent(Bytes(m.begin(), m.end() + 1));
        EXPECT_TRUE(set.SaveHypertext(file)) << msgs.joined();
    }
};

TEST_F(SearchCli, KeywordsAndOrderAsJson) {
    auto r = RunOvikc({"keywords", file, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["number"], 0);
    EXPECT_EQ(j[0]["text"], "vacanze");
    EXPECT_EQ(j[0]["pages"], nlohmann::json::array({1, 3}));
    EXPECT_EQ(j[1]["pages"], nlohmann::json::array());

    const Bytes before = testing::ReadFileBytes(file);
    r = RunOvikc({"order", "--json", file});
    ASSERT_EQ(r.status, 0) << r.err;
    j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 6u);
    EXPECT_EQ(j[0], nlohmann::json({{"level", 0}, {"kind", "root"}, {"text", "a.hqv"}, {"page", -1}}));
    EXPECT_EQ(j[4]["level"], 1);
    EXPECT_EQ(j[4]["kind"], "page");
    EXPECT_EQ(j[4]["page"], 3);
    EXPECT_NE(j[4]["text"].get<std::string>().find("Città"), std::string::npos);
    EXPECT_EQ(testing::ReadFileBytes(file), before) << "order changes nothing";
}

TEST_F(SearchCli, FindListsMatchingPagesAfterFrom) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"casa", "--or", "mare"}, 0, "1\tCasa\tcasa\n2\tMare\tmare\n3\tCittà\tcasa\n4\tFoto\tcasa\n"},
        {{"casa", "--and", "mare"}, 0, "1\tCasa\tcasa\n"},
        {{"", "--and", "MARE"}, 0, "1\tCasa\tmare\n2\tMare\tmare\n"},
        {{"casa", "--match-case", "--from", "3"}, 0, "4\tFoto\tcasa\n"},
        {{"casa", "--from", "4"}, 1, ""},
        {{"--", "-x"}, 0, "3\tCittà\t-x\n"},
        {{"città"}, 1, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"find", file};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = RunOvikc(args);
        SCOPED_TRACE(c.args[0]);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

TEST_F(SearchCli, ReplaceSavesAndCounts) {
    auto out = (dir / "b.hqv").string();
    auto r = RunOvikc({"replace", file, "casa", "villa", "--whole-word", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3 replacements in 3 pages\n");
    r = RunOvikc({"find", out, "casa"});
    EXPECT_EQ(r.status, 1) << r.out;
    r = RunOvikc({"dump", out, "0", "2", "--content"});
    EXPECT_EQ(r.out, std::string("<Z S0 >solo il mare<D x>casa<d>") + '\0');
    r = RunOvikc({"replace", file, "mare", "lago", "--from", "2", "-o", out});
    EXPECT_EQ(r.out, "1 replacements in 1 pages\n");
    r = RunOvikc({"replace", file, "casa", "x"});
    EXPECT_EQ(r.status, 2);
}

TEST_F(SearchCli, WhereUsedPrintsTheDeleteWindowLines) {
    // Saving may give pictures other numbers: they are looked up by name.
    platform::RecordingMessages m2;
    THQVset saved(m2);
    ASSERT_TRUE(saved.OpenHypertext(file));
    auto number = [&](const char* name) {
        for (int32_t n = 0; n < saved.ObjectCount(immagine); ++n)
            if (saved.GetObject(immagine, n)->Name() == name) return int(n);
        return -1;
    };
    struct Case {
        int kind, number;
        std::string out;
    } cases[] = {
        {5, number("niente"), "- \"NIENTE\" sembra inutilizzato.\n"},
        {5, number("sfondo"),
         "+ \"SFONDO\" è presente in/collegato da /utilizzato in:\n    - Mare   {nello sfondo testo}\n"},
        {5, number("foto"), "+ \"FOTO\" è presente in/collegato da /utilizzato in:\n    - Foto   {nel testo}\n"},
        {0, 1,
         "+ \"CASA\" è presente in/collegato da /utilizzato in:\n    - Copertina   {come diapositiva successiva}\n"
         "    - Foto   {nel testo}\n"},
        {4, 0,
         "+ \"VACANZE\" è presente in/collegato da /utilizzato in:\n    - Casa   {nel testo}\n    - Città   {nel testo}\n"},
    };
    for (const Case& c : cases) {
        auto r = RunOvikc({"where-used", file, std::to_string(c.kind), std::to_string(c.number)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(RunOvikc({"where-used", file, "5", "99"}).status, 1);
}

}  // namespace
}  // namespace ovik
