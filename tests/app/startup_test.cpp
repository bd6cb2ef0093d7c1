// Start-up logic: options with their defaults, the command line, recent files,
// the window cache and the once-a-day word-processor detection.
#include "app/startup.h"

#include <gtest/gtest.h>

#include "support/hqv_builder.h"

namespace ovik::app {
namespace {

TEST(AppOptions, DefaultsAndOddValues) {
    platform::InMemorySettings store;
    AppSettings s(store);
    AppliedOptions d = ReadAppliedOptions(s);
    EXPECT_EQ(d.formLim, 3);
    EXPECT_EQ(d.maxCacheImg, 20);
    EXPECT_EQ(d.undoDeep, 20);
    EXPECT_FALSE(d.saveReminder);
    EXPECT_TRUE(d.bak);
    EXPECT_FALSE(d.alt);
    EXPECT_TRUE(d.spellAuto);
    EXPECT_EQ(d.spellLanguage, 1040);

    struct Row {
        const char* name;
        const char* key;
        const char* value;
        std::function<bool(const AppliedOptions&)> check;
    } rows[] = {
        {"FormLim 1 behaves as 3", "FormLim", "1", [](auto& o) { return o.formLim == 3; }},
        {"FormLim 7", "FormLim", "7", [](auto& o) { return o.formLim == 7; }},
        {"TimeSave not a number", "TimeSave", "abc", [](auto& o) { return o.saveReminderMs == 300000; }},
        {"TimeSave 10", "TimeSave", "10", [](auto& o) { return o.saveReminder && o.saveReminderMs == 600000; }},
        {"TimeSave 0 turns the reminder off", "TimeSave", "0", [](auto& o) { return !o.saveReminder; }},
        {"TimeSave negative turns it off", "TimeSave", "-3", [](auto& o) { return !o.saveReminder; }},
        {"TimeSave huge is a day", "TimeSave", "2000000000",
         [](auto& o) { return o.saveReminder && o.saveReminderMs == kMaxSaveReminderMinutes * 60000; }},
        {"Bak 0", "Bak", "0", [](auto& o) { return !o.bak; }},
        {"Bak other", "Bak", "x", [](auto& o) { return o.bak; }},
        {"Alt 1", "Alt", "1", [](auto& o) { return o.alt; }},
        {"undoDeep junk", "undoDeep", "12a", [](auto& o) { return o.undoDeep == 20; }},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        platform::InMemorySettings st;
        AppSettings as(st);
        as.WriteOption("PromemSave", "1");
        as.WriteOption(r.key, r.value);
        EXPECT_TRUE(r.check(ReadAppliedOptions(as)));
    }
}

TEST(AppOptions, PublishingDefaultsAreMadeOnce) {
    platform::InMemorySettings store;
    AppSettings s(store);
    s.EnsurePublishingDefaults();
    EXPECT_EQ(s.ReadSetting("ftpnet\\0", "user"), "anonymous");
    EXPECT_EQ(s.ReadSetting("oviknet\\0", "ovikCGI"), "ovikd.dll");
    s.WriteSetting("ftpnet\\0", "user", "mario");
    s.EnsurePublishingDefaults();
    EXPECT_EQ(s.ReadSetting("ftpnet\\0", "user"), "mario");
}

TEST(AppCommandLine, Forms) {
    testing::TempDir dir;
    struct Row {
        const char* name;
        std::vector<std::string> args;
        PendingAction action;
        bool init;
        std::string file;
    } rows[] = {
        {"nothing", {}, PendingAction::None, false, ""},
        {"a file", {"libro.hqv"}, PendingAction::None, false, "libro.hqv"},
        {"a path split at its blanks", {"/home/a/Il", "mio", "libro.hqv"}, PendingAction::None, false,
         "/home/a/Il mio libro.hqv"},
        {"print", {"/PRINT", "x.hqv"}, PendingAction::Print, false, "x.hqv"},
        {"switch in lower case", {"/povik", "x.hqv"}, PendingAction::PublishServer, false, "x.hqv"},
        {"ftp", {"/PFTP"}, PendingAction::PublishFtp, false, ""},
        {"init", {"/INIT", "x.hqv"}, PendingAction::None, true, "x.hqv"},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        CommandLine c = ParseCommandLine(r.args);
        EXPECT_EQ(c.action, r.action);
        EXPECT_EQ(c.init, r.init);
        EXPECT_EQ(c.file, r.file);
    }
    // An absolute path is a file, not a switch.
    auto file = (dir / "a.hqv").string();
    testing::WriteFileBytes(file, {});
    EXPECT_EQ(ParseCommandLine({file}).file, file);
    CommandLine reader = ParseCommandLine({"--reader", "x.hqv"});
    EXPECT_TRUE(reader.reader);
    EXPECT_EQ(reader.file, "x.hqv");
}

TEST(AppRecentFiles, FiveKeptOldestDropped) {
    platform::InMemorySettings store;
    AppSettings s(store);
    RecentFiles r;
    for (int i = 1; i <= 6; ++i) r.Use("f" + std::to_string(i));
    EXPECT_EQ(r.Files(), (std::vector<std::string>{"f2", "f3", "f4", "f5", "f6"}));
    r.Use("f3");  // reopened: moves to the end
    EXPECT_EQ(r.Files(), (std::vector<std::string>{"f2", "f4", "f5", "f6", "f3"}));
    r.Save(s);
    EXPECT_EQ(s.ReadSetting("RecentFile", "0"), "f2");
    RecentFiles again;
    again.Load(s);
    EXPECT_EQ(again.Files(), r.Files());
    again.Remove("f5");
    again.Save(s);
    EXPECT_EQ(s.ReadSetting("RecentFile", "4"), "");
}

TEST(AppWindowCache, LeastRecentlyUsedGoesPastTheLimit) {
    WindowCache c(1);  // behaves as 3
    EXPECT_FALSE(c.Show("stili"));
    EXPECT_FALSE(c.Show("carattere"));
    EXPECT_FALSE(c.Show("pagina"));
    EXPECT_FALSE(c.Show("stili"));  // used again: now the newest
    EXPECT_EQ(c.Show("opzioni"), std::optional<std::string>("carattere"));
    EXPECT_EQ(c.Order(), (std::vector<std::string>{"pagina", "stili", "opzioni"}));
}

TEST(AppWordProcessor, DetectedOnceADay) {
    platform::InMemorySettings store;
    AppSettings s(store);
    int probes = 0;
    auto probe = [&] {
        ++probes;
        return 1;
    };
    EXPECT_EQ(DetectWordProcessor(s, "2026-12-10", probe), 1);
    EXPECT_EQ(DetectWordProcessor(s, "2026-12-10", probe), 1);
    EXPECT_EQ(probes, 1);
    EXPECT_EQ(DetectWordProcessor(s, "2026-12-11", [] { return 0; }), 0);
    EXPECT_EQ(s.ReadOption("LastDetWordN"), "0");
}

}  // namespace
}  // namespace ovik::app
