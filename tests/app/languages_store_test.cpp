#include "app/languages_store.h"

#include <gtest/gtest.h>

#include "app/language_block.h"
#include "support/hqv_builder.h"

namespace ovik::app {
namespace {

std::string Read(const std::filesystem::path& p) {
    Bytes b = testing::ReadFileBytes(p);
    return std::string(b.begin(), b.end());
}

TEST(LanguagesStore, NewFileSectionsAndBlocks) {
    testing::TempDir dir;
    TZtLanguagesStore store;
    ASSERT_TRUE(store.SetLanguagesPasUnit(dir / "Lingue.txt"));
    EXPECT_EQ(Read(dir / "Lingue.txt"),
              "unit Lingue;\r\ninterface\r\n\r\nconst\r\n//STRING mantained by ZtLanguagesStore.\r\n"
              "//Please modify only strings marked by {##>} {<##}.\r\n{$ifdef eng}\r\n"
              "{$endif}//ZtLanguagesStore\r\n\r\n\r\nimplementation\r\nend.\r\n");
    std::string block = "*_*bok_caption\r\n &Ok\r\n*_*label1_caption\r\n L'indice\r\n";
    ASSERT_TRUE(store.SetBlock("eng", "fopzioni", block));
    EXPECT_NE(Read(dir / "Lingue.txt").find(" ' {##>}L''indice{<##}'#13#10+"), std::string::npos);
    EXPECT_EQ(store.Block("eng", "fopzioni"), block);
    // A new language starts as a copy of the first one's section.
    ASSERT_TRUE(store.SetLanguagesDefines({"eng", "ita"}));
    EXPECT_EQ(store.Block("ita", "fopzioni"), block);
    std::string ita = "*_*bok_caption\r\n &Va bene\r\n";
    ASSERT_TRUE(store.SetBlock("ita", "fopzioni", ita));
    EXPECT_EQ(store.Block("ita", "fopzioni"), ita);
    EXPECT_EQ(store.Block("eng", "fopzioni"), block);  // the other language is untouched
    EXPECT_EQ(LanguageBlock(*store.Block("ita", "fopzioni")).Text("bok", "caption"), "&Va bene");
    EXPECT_FALSE(store.Block("ita", "fnessuna"));
}

TEST(LanguagesStore, AFileWithoutItsMarkersIsMadeAnew) {
    testing::TempDir dir;
    testing::WriteFileBytes(dir / "x.txt", Bytes{'r', 'u', 'b', 'b', 'i', 's', 'h'});
    TZtLanguagesStore store;
    ASSERT_TRUE(store.SetLanguagesPasUnit(dir / "x.txt"));
    EXPECT_EQ(Read(dir / "x.txt").substr(0, 9), "unit x;\r\n");
    ASSERT_TRUE(store.SetLanguagesDefines({}));
    EXPECT_EQ(store.LanguagesDefines(), std::vector<std::string>{"eng"});
}

}  // namespace
}  // namespace ovik::app
