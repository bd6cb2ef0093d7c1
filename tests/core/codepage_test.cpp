#include "core/codepage.h"

#include <gtest/gtest.h>

#include "core/file_names.h"

namespace ovik {
namespace {

TEST(Codepage, RoundTripsEveryByte) {
    std::string all;
    for (int i = 1; i < 256; ++i) all += char(i);
    size_t replaced = 0;
    EXPECT_EQ(cp1252::FromUtf8(cp1252::ToUtf8(all), &replaced), all);
    EXPECT_EQ(replaced, 0u);
}

TEST(Codepage, ReplacesWhatTheCodePageLacks) {
    struct Row {
        const char* name;
        std::string utf8;
        std::string expected;
        size_t replaced;
    } rows[] = {
        {"euro and quotes", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D", "\x80 \x93x\x94", 0},
        {"accented", "perch\xC3\xA9", "perch\xE9", 0},
        {"greek alpha", "\xCE\xB1", "?", 1},
        {"latin extended to bare letter", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "L\xF3" "dz", 2},
        {"minus sign", "\xE2\x88\x92", "-", 1},
        {"invalid byte", "a\xFF" "b", "a?b", 1},
        {"truncated sequence", "a\xE2\x82", "a??", 2},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        size_t n = 0;
        EXPECT_EQ(cp1252::FromUtf8(r.utf8, &n), r.expected);
        EXPECT_EQ(n, r.replaced);
    }
}

TEST(Codepage, FileTextIsUtf8OnlyWhenValid) {
    EXPECT_EQ(cp1252::FromFileText("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(cp1252::FromFileText("caf\xE9"), "caf\xE9");  // already Windows-1252
    EXPECT_EQ(cp1252::FromFileText("\xEF\xBB\xBFok"), "ok");
}

TEST(Codepage, CaseMappingCoversAccentedLetters) {
    EXPECT_EQ(cp1252::Upper("voks\xE0\xFF"), "VOKS\xC0\x9F");
    EXPECT_TRUE(cp1252::EqualNoCase("Titolo \xE8", "TITOLO \xC8"));
    EXPECT_FALSE(cp1252::EqualNoCase("a", "ab"));
}

TEST(FileNames, StoredNamesNeverLeaveTheFolder) {
    struct Row {
        const char* stored;
        const char* safe;
    } rows[] = {
        {"../../x", "x"},          {"/etc/passwd", "passwd"}, {"a\\b", "b"},
        {"c:\\work\\pic.gif", "pic.gif"}, {"..", "file"},      {"", "file"},
        {".hidden", "hidden"},     {"d:evil.txt", "evil.txt"}, {"tab\tname.gif", "tabname.gif"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.stored);
        EXPECT_EQ(SafeFileName(r.stored), r.safe);
    }
}

TEST(FileNames, ExportPrefixFromFileName) {
    EXPECT_EQ(PrefixFromFileName("Book.HQV", 8), "book");
    EXPECT_EQ(PrefixFromFileName("VeryLongName.hqv", 8), "verylong");
    EXPECT_EQ(PrefixFromFileName("VeryLongName.hqv", 16), "verylongname");
    EXPECT_EQ(PrefixFromFileName("/a/b/x.y.hqv", 16), "x.y");
}

}  // namespace
}  // namespace ovik
