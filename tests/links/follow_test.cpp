// Following links with a recording host, messages and shell: what is shown,
// what is opened, what is asked, and that nothing runs without consent.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "convert/hqv_from_html.h"
#include "document/hqv_set.h"
#include "links/follow.h"
#include "links/link_objects.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "support/hqv_builder.h"

namespace ovik::links {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using Call = platform::RecordingShell::Call;

struct RecordingHost : FollowHost {
    bool preview = true;
    int32_t shown = 0;
    std::vector<std::string> log;
    bool openResult = true;

    bool Preview() const override { return preview; }
    int32_t ShownPage() const override { return shown; }
    void ShowPage(int32_t page, int32_t anchor) override {
        log.push_back("page " + std::to_string(page) + " anchor " + std::to_string(anchor));
        shown = page;
    }
    bool JumpToAnchor(int32_t anchor) override {
        log.push_back("anchor " + std::to_string(anchor));
        return true;
    }
    bool OpenHypertext(const fs::path& file, bool askSave) override {
        log.push_back("open " + file.filename().string() + (askSave ? " asking" : ""));
        return openResult;
    }
    void NewHypertext() override { log.push_back("new"); }
    bool SaveHypertext() override {
        log.push_back("save");
        return true;
    }
    void ShowExternalLinks(THQVoggetto& a) override { log.push_back("album " + a.Name()); }
    void ShowEmbeddedFile(THQVoggetto& f) override { log.push_back("file window " + f.FileName()); }
    void ShowKeywordSearch() override { log.push_back("keywords"); }
    void HideMainWindow() override { log.push_back("hide main"); }
    void CloseNamedWindow(const std::string& n) override { log.push_back("close " + n); }
    void ImportFile(const fs::path& f) override { log.push_back("import " + f.filename().string()); }
};

struct Follow : ::testing::Test {
    ovik::testing::TempDir dir;
    platform::RecordingMessages msgs;
    platform::RecordingShell shell;
    platform::InMemorySettings settings;
    THQVset set{msgs};
    RecordingHost host;
    LinkFollower follower{set, host, msgs, shell, &settings};

    void SetUp() override {
        set.NewHypertext();
        for (int i = 0; i < 6; ++i) set.AddNewObject(testoHtml);
        ASSERT_TRUE(set.SaveHypertext(dir / "main.hqv"));
        shell.folder = dir / "handover";
        msgs.clear();
    }
    THQVoggetto* Address(const std::string& a, const std::string& params = "") {
        auto l = set.NewInternetLink(a);
        if (!params.empty()) {
            Bytes w(4, 0);
            w.insert(w.end(), params.begin(), params.end());
            l->SetWrapper(w);
        }
        return THQVoggetto::Register(l, -1);
    }
    THQVoggetto* Special(uint8_t subtype, uint8_t action, int32_t target, int32_t anchor) {
        auto s = NewSpecialLink(set, subtype);
        SpecialLink l{*s};
        l.SetAction(action);
        l.SetTarget(target);
        l.SetAnchor(anchor);
        return THQVoggetto::Register(s, -1);
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(Follow, PagesAndAnchorJumpsInPreviewAndEditMode) {
    follower.FollowLink(LinkSender::TextBox, set.Page(3), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"page 3 anchor -1"}));
    for (bool preview : {true, false}) {
        host.log.clear();
        host.preview = preview;
        follower.FollowLink(LinkSender::TextBox, Special(kSpecGoTo, kActAnchorInPage, -1, 3), 3);
        EXPECT_EQ(host.log, (std::vector<std::string>{"anchor 3"})) << preview;
        host.log.clear();
        follower.FollowLink(LinkSender::TextBox, Special(kSpecGoTo, kActJump, set.Page(2)->Id(), 4), 3);
        EXPECT_EQ(host.log, (std::vector<std::string>{"page 2 anchor 4"})) << preview;
    }
    // Nothing shown, or no target: nothing happens.
    host.log.clear();
    host.shown = -1;
    follower.FollowLink(LinkSender::TextBox, set.Page(1), 0);
    host.shown = 0;
    follower.FollowLink(LinkSender::TextBox, nullptr, 0);
    EXPECT_TRUE(host.log.empty());
    follower.FollowLink(LinkSender::TextBox, set.AddNewObject(tabellaHtml), 0);
    EXPECT_EQ(msgs.joined(), "Non definito o non supportato.");
}

TEST_F(Follow, WindowsKeywordsAndBrowseSequences) {
    follower.FollowLink(LinkSender::TextBox, Special(kSpecCloseWindow, 0, -1, kCloseMainWindow), 0);
    auto named = Special(kSpecCloseWindow, 0, -1, kCloseNamedWindow);
    SpecialLink{*named}.SetWindowName("Destra");
    follower.FollowLink(LinkSender::TextBox, named, 0);
    follower.FollowLink(LinkSender::TextBox, Special(kSpecKeywords, 0, -1, -1), 0);
    for (int32_t p : {1, 2, 3}) {
        set.Page(p)->SetI16(page_rec::kBrowseGroup, 1);
        set.Page(p)->SetI16(page_rec::kBrowseNumber, int16_t(p * 10));
    }
    host.shown = 2;
    follower.FollowLink(LinkSender::TextBox, Special(kSpecNext, 0, -1, -1), 2);
    follower.FollowLink(LinkSender::TextBox, Special(kSpecPrevious, 0, -1, -1), 3);
    EXPECT_EQ(host.log, (std::vector<std::string>{"hide main", "close destra", "keywords",
                                                  "page 3 anchor -1", "page 2 anchor -1"}));
}

TEST_F(Follow, OtherHypertextsAndTheOpenFileByAnotherSpelling) {
    // The open file only changes the page.
    follower.FollowLink(LinkSender::TextBox, Address("ovik:./main.hqv|4"), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"page 4 anchor -1"}));
    // Another file: the save question when modified; Cancel stops.
    host.log.clear();
    set.SetModified(true);
    msgs.QueueAnswer(Answer::Cancel);
    follower.FollowLink(LinkSender::TextBox, Address("ovik:altro.hqv|2"), 0);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(msgs.entries().back().text, "Sto per caricare un altro file: \nvuoi salvare il file attuale?");
    msgs.QueueAnswer(Answer::Yes);
    follower.FollowLink(LinkSender::TextBox, Address("ovik:altro.hqv|2"), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"save", "open altro.hqv", "page 2 anchor -1"}));
    // "Senza titolo" is not opened; a failed opening shows nothing.
    host.log.clear();
    set.SetModified(false);
    follower.FollowLink(LinkSender::TextBox, Address("ovik:Senza titolo|2"), 0);
    host.openResult = false;
    follower.FollowLink(LinkSender::TextBox, Address("ovik:rotto.hqv|1"), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"open rotto.hqv"}));
}

TEST_F(Follow, InternetAddressesOpenInPreviewAndOtherSchemesAsk) {
    follower.FollowLink(LinkSender::TextBox, Address("http://ovik.it/"), 0);
    follower.FollowLink(LinkSender::TextBox, Address("mailto:ada@ovik.it"), 0);
    ASSERT_EQ(shell.calls().size(), 2u);
    EXPECT_EQ(shell.calls()[1].target, "mailto:ada@ovik.it");
    EXPECT_TRUE(msgs.entries().empty());
    for (const char* a : {"file:///etc/passwd", "javascript:alert(1)"}) {
        follower.FollowLink(LinkSender::TextBox, Address(a), 0);  // answered No
        EXPECT_EQ(msgs.entries().back().kind, platform::MessageKind::QuestionYesNo);
    }
    EXPECT_EQ(shell.calls().size(), 2u);
    msgs.QueueAnswer(Answer::Yes);
    follower.FollowLink(LinkSender::TextBox, Address("file:///tmp/x.txt"), 0);
    EXPECT_EQ(shell.calls().size(), 3u);
    // In edit mode the album shows the address instead.
    host.preview = false;
    follower.FollowLink(LinkSender::TextBox, Address("http://ovik.it/a"), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"album http://ovik.it/a"}));
    EXPECT_EQ(shell.calls().size(), 3u);
}

TEST_F(Follow, ProgramLinksAskAndPassParametersOnlyThroughTheirFile) {
    settings.Write("Programmi\\Editor", "cmd", "\"/usr/bin/my editor\" --flag");
    const std::string hostile = "nome=\"a\"; rm -rf ~ $(touch /tmp/pwned)\n`id`\nx='y'";
    THQVoggetto* link = Address("prog:Programmi\\Editor\\cmd", hostile);
    for (bool preview : {true, false}) {
        host.preview = preview;
        follower.FollowLink(LinkSender::TextBox, link, 0);  // answered No
    }
    EXPECT_TRUE(shell.calls().empty());
    ASSERT_EQ(msgs.entries().size(), 2u);
    EXPECT_NE(msgs.entries()[0].text.find("/usr/bin/my editor"), std::string::npos);
    EXPECT_NE(msgs.entries()[0].text.find("params.txt"), std::string::npos);

    msgs.QueueAnswer(Answer::Yes);
    follower.FollowLink(LinkSender::TextBox, link, 0);
    ASSERT_EQ(shell.calls().size(), 1u);
    const Call& c = shell.calls()[0];
    EXPECT_EQ(c.kind, Call::Program);
    EXPECT_EQ(c.target, "/usr/bin/my editor");
    ASSERT_EQ(c.args.size(), 2u);
    EXPECT_EQ(c.args[0], "--flag");
    EXPECT_EQ(fs::path(c.args[1]).parent_path(), shell.folder);
    EXPECT_EQ(Read(c.args[1]), hostile);
}

TEST_F(Follow, ProgramLinksWithMissingOrEmptySettings) {
    THQVoggetto* missing = Address("prog:Nessuna\\Chiave\\v", "p=1");
    follower.FollowLink(LinkSender::TextBox, missing, 0);
    EXPECT_EQ(msgs.joined(), "Tmp err msg. Key non trovata nel registry:Nessuna\\Chiave : v");
    EXPECT_TRUE(shell.calls().empty());

    msgs.clear();
    settings.Write("Vuota", "v", "");
    msgs.QueueAnswer(Answer::Yes);
    follower.FollowLink(LinkSender::TextBox, Address("prog:Vuota\\v", "p=1"), 0);
    ASSERT_EQ(msgs.entries().size(), 2u);
    EXPECT_EQ(msgs.entries()[0].text, "La chiave di registro indicata risulta vuota! (Vuota\\v)");
    // No program runs: the parameters are opened as a text file.
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(shell.calls()[0].kind, Call::File);
    EXPECT_EQ(fs::path(shell.calls()[0].target).extension(), ".txt");
}

TEST_F(Follow, ProgramLinksByFileTypeRefuseTypesThatRunCode) {
    for (const char* a : {"prog:.sh", "prog:desktop", "prog:x.PY", "prog:.AppImage"}) {
        msgs.clear();
        msgs.defaultAnswer = Answer::Yes;
        follower.FollowLink(LinkSender::TextBox, Address(a, "p=1"), 0);
        EXPECT_EQ(msgs.entries().size(), 1u) << a;
        EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Warning) << a;
    }
    EXPECT_TRUE(shell.calls().empty());
    msgs.clear();
    follower.FollowLink(LinkSender::TextBox, Address("prog:.txt", "a=$(x)"), 0);
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(fs::path(shell.calls()[0].target).filename(), "params.txt");
    EXPECT_EQ(Read(shell.calls()[0].target), "a=$(x)");
    EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::QuestionYesNo);
}

TEST_F(Follow, EmbeddedFilesOpenThroughTheirWindowAndRefusedTypesNever) {
    THQVoggetto* file = set.AddNewObject(genLink);
    file->SetFileName("note.txt");
    file->SetContent(Bytes{'c', 'i', 'a', 'o'});
    follower.FollowLink(LinkSender::TextBox, file, 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"file window note.txt"}));
    EXPECT_TRUE(shell.calls().empty());

    // Opened from elsewhere (not the window's button): asked first, default No.
    EXPECT_FALSE(follower.OpenEmbeddedWithDesktop(*file, false));
    EXPECT_TRUE(shell.calls().empty());
    EXPECT_TRUE(follower.OpenEmbeddedWithDesktop(*file, true));
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(Read(shell.calls()[0].target), "ciao");

    struct Case {
        const char* name;
        std::string bytes;
    } refused[] = {{"avvia.sh", "echo"}, {"x.desktop", "[Desktop Entry]"}, {"a.JAR", "PK"},
                   {"innocuo.txt", "#!/bin/sh\nrm -rf ~"}, {"prog.dat", "\x7f" "ELF...."}};
    for (const Case& c : refused) {
        THQVoggetto* f = set.AddNewObject(genLink);
        f->SetFileName(c.name);
        f->SetContent(Bytes(c.bytes.begin(), c.bytes.end()));
        msgs.clear();
        EXPECT_FALSE(follower.OpenEmbeddedWithDesktop(*f, true)) << c.name;
        EXPECT_EQ(msgs.entries().size(), 1u);
        EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Warning);
    }
    EXPECT_EQ(shell.calls().size(), 1u);
}

TEST_F(Follow, AutoImportInEditModeOnly) {
    auto imp = NewSpecialLink(set, kSpecAutoImport);
    SpecialLink{*imp}.SetImportPath("sito\\b.htm");
    THQVoggetto* link = THQVoggetto::Register(imp, -1);
    follower.FollowLink(LinkSender::TextBox, link, 0);
    EXPECT_TRUE(host.log.empty());
    host.preview = false;
    follower.FollowLink(LinkSender::TextBox, link, 0);  // missing file, answered No
    EXPECT_EQ(msgs.joined(), "Il collegamento richiama il file \"sito\\b.htm\", non presente. Vuoi suggerire un altro nome?");
    fs::create_directories(dir / "sito");
    std::ofstream(dir / "sito" / "b.htm") << "<p>x</p>";
    follower.FollowLink(LinkSender::TextBox, link, 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"import b.htm"}));
    // Once a page was imported from that file (its source name is the full
    // path), the link leads to it, though the link's path is relative.
    host.log.clear();
    const std::string source = SourceNameOf(dir / "sito" / "b.htm");
    Bytes wrapper;  // an imported page's wrapper: the source name, then its head extras
    AppendI32(wrapper, int32_t(source.size() + 4));
    AppendI32(wrapper, int32_t(source.size()));
    AppendString(wrapper, source + " ");
    set.Page(3)->SetWrapper(std::move(wrapper));
    ASSERT_EQ(set.Page(3)->SourceName(), source);
    follower.FollowLink(LinkSender::TextBox, link, 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"page 3 anchor -1"}));
}

TEST_F(Follow, LinkLaunchersInPreview) {
    THQVoggetto* target = Special(kSpecGoTo, kActJump, set.Page(4)->Id(), -1);
    THQVoggetto* launcher = set.AddNewObject(shortObj);
    launcher->SetState(kLauncherSubtype);
    launcher->SetI32(5, target->Id());
    host.preview = false;
    follower.FollowLink(LinkSender::Page, launcher, 0);
    EXPECT_TRUE(host.log.empty());
    host.preview = true;
    follower.FollowLink(LinkSender::Page, launcher, 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"page 4 anchor -1"}));
    // A launcher naming itself ends.
    launcher->SetI32(5, launcher->Id());
    follower.FollowLink(LinkSender::Page, launcher, 0);
}

}  // namespace
}  // namespace ovik::links
