// ovikc links, address and follow on a small hypertext: what is listed, what
// an address names, and what following does through a stand-in "xdg-open".
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"
#include "support/run_tool.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::Content;
using testing::RunOvikc;
using testing::Tag;

// main.hqv: page 0 links "uno" to page 1, "due" to an http address, "tre" to
// an e-mail address, "quattro" to an embedded file, "cinque" to a "prog:"
// address, then an anchor and a special link jumping to it; page 1 "sei"
// links to dir/doc.hqv page 1.
struct Files {
    testing::TempDir dir;
    fs::path main, doc, launched;

    Files() {
        platform::RecordingMessages msgs;
        fs::create_directories(dir / "dir");
        doc = dir / "dir" / "doc.hqv";
        {
            THQVset other(msgs);
            other.NewHypertext();
            other.AddNewObject(testoHtml)->SetName("Copertina");
            other.AddNewObject(testoHtml)->SetName("Remota");
            EXPECT_TRUE(other.SaveHypertext(doc));
        }
        THQVset set(msgs);
        set.NewHypertext();
        set.AddNewObject(testoHtml)->SetName("Inizio");
        THQVoggetto* p1 = set.AddNewObject(testoHtml);
        p1->SetName("Seconda");
        auto reg = [&](std::unique_ptr<THQVoggetto> o) { return THQVoggetto::Register(o, -1); };
        THQVoggetto* web = reg(set.NewInternetLink("http://ovik.it/"));
        THQVoggetto* mail = reg(set.NewInternetLink("mailto:ada@ovik.it"));
        THQVoggetto* prog = reg(set.NewInternetLink("prog:.txt"));
        THQVoggetto* other = reg(set.NewInternetLink("ovik:dir\\doc.hqv|1"));
        THQVoggetto* file = set.AddNewObject(genLink);
        file->SetFileName("note.txt");
        file->SetContent(Bytes{'c', 'i', 'a', 'o'});
        THQVoggetto* anchor = reg(links::NewAnchor(set, 3));
        auto jump = links::NewSpecialLink(set, links::kSpecGoTo);
        links::SpecialLink{*jump}.SetAction(links::kActAnchorInPage);
        links::SpecialLink{*jump}.SetAnchor(3);
        THQVoggetto* special = reg(std::move(jump));
        set.Page(0)->SetContent(Content("<Z S0 >" + Tag(p1->Id()) + "uno<%> " + Tag(web->Id()) + "due<%> " +
                                        Tag(mail->Id()) + "tre<%> " + Tag(file->Id()) + "quattro<%> " +
                                        Tag(prog->Id()) + "cinque<%> " + Tag(anchor->Id()) + Tag(special->Id()) +
                                        "salta<%>"));
        p1->SetContent(Content("<Z S0 >" + Tag(other->Id()) + "sei<%>"));
        main = dir / "main.hqv";
        EXPECT_TRUE(set.SaveHypertext(main));

        // A stand-in for the desktop's opener: records its arguments.
        fs::create_directories(dir / "bin");
        launched = dir / "launched.txt";
        std::ofstream script(dir / "bin" / "xdg-open");
        script << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << launched.string() << "'\n";
        script.close();
        ::chmod((dir / "bin" / "xdg-open").c_str(), 0755);
    }
    std::string Launched() const {
        std::ifstream in(launched);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

// PATH with the stand-in first, for the duration of a test.
struct PathWith {
    std::string old;
    explicit PathWith(const fs::path& bin) {
        old = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (bin.string() + ":" + old).c_str(), 1);
    }
    ~PathWith() { ::setenv("PATH", old.c_str(), 1); }
};

TEST(OvikcLinks, ListsLinksInTextOrder) {
    Files f;
    auto r = RunOvikc({"links", f.main.string(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 8u) << r.out;
    EXPECT_EQ(j[0]["page"], 0);
    EXPECT_EQ(j[0]["holder"], "text");
    EXPECT_EQ(j[0]["target"], 1);
    EXPECT_EQ(j[0]["description"], "Seconda|Collegamento a: Seconda (1)");
    EXPECT_EQ(j[2]["description"], "ada@ovik.it|Collegamento a e-mail: ada@ovik.it");
    EXPECT_EQ(j[3]["description"], "note.txt|Collegamento a file: note.txt");
    EXPECT_EQ(j[5]["holder"], "marker");
    EXPECT_EQ(j[5]["description"], "Ancora: a3");
    EXPECT_EQ(j[6]["description"], "|Qui si salta all'interno della pagina corrente, all'ancora:  #a3");
    EXPECT_EQ(j[7]["page"], 1);
    EXPECT_EQ(j[7]["description"], "dir\\doc.hqv Pag.:Remota|Collegamento a ipertesto: dir\\doc.hqv Pag.:Remota");

    r = RunOvikc({"links", f.main.string(), "--pages", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("1\ttext\t", 0), 0u) << r.out;
    EXPECT_EQ(RunOvikc({"links", f.main.string(), "--pages", "x"}).status, 2);
}

TEST(OvikcLinks, Addresses) {
    Files f;
    auto r = RunOvikc({"address", f.main.string(), "ovik://dir\\doc.hqv|", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["hypertext"], true);
    EXPECT_EQ(j["same"], false);
    EXPECT_EQ(j["page"], -2);
    EXPECT_EQ(fs::path(j["file"].get<std::string>()), f.doc);
    j = nlohmann::json::parse(RunOvikc({"address", f.main.string(), "ovik:./dir/../main.hqv|abc", "--json"}).out);
    EXPECT_EQ(j["same"], true);
    EXPECT_EQ(j["page"], 0);
    r = RunOvikc({"address", f.main.string(), "http://x"});
    EXPECT_EQ(r.out, "not a hypertext address\n");
}

TEST(OvikcLinks, FollowSaysWhatTheEditorWouldDo) {
    Files f;
    PathWith path(f.dir / "bin");
    struct Case {
        const char* page;
        const char* index;
        bool preview;
        const char* expected;
    } cases[] = {
        {"0", "0", false, "show page: 1\n"},
        {"0", "6", true, "jump to anchor: 3\n"},
        {"0", "6", false, "jump to anchor: 3\n"},
        {"0", "1", false, "album, external links: http://ovik.it/\n"},
        {"0", "1", true, "open address: http://ovik.it/\n"},
        {"0", "5", true, "following: Ancora: a3\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"follow", f.main.string(), c.page, c.index};
        if (c.preview) args.push_back("--preview");
        auto r = RunOvikc(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.page << " " << c.index << "\n" << r.out;
    }
    EXPECT_EQ(f.Launched(), "http://ovik.it/\n");

    // Another hypertext: opened, its page shown.
    auto r = RunOvikc({"follow", f.main.string(), "1", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("open hypertext: " + f.doc.string() + "\nshow page: 1\n"), std::string::npos) << r.out;
}

TEST(OvikcLinks, FollowAsksBeforeHandingFilesToTheDesktop) {
    Files f;
    PathWith path(f.dir / "bin");
    // No terminal: every question is answered No.
    for (const char* index : {"3", "4"}) {
        auto r = RunOvikc({"follow", f.main.string(), "0", index, "--preview"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("?"), std::string::npos) << r.err;
    }
    EXPECT_EQ(f.Launched(), "");
    // --yes: the embedded file is extracted outside the hypertext's temporary
    // folder and handed over; the "prog:" parameters file likewise.
    auto r = RunOvikc({"follow", f.main.string(), "0", "3", "--preview", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunOvikc({"follow", f.main.string(), "0", "4", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(f.Launched());
    std::string extracted, params;
    std::getline(lines, extracted);
    std::getline(lines, params);
    EXPECT_EQ(fs::path(extracted).filename().string().rfind("note", 0), 0u) << extracted;
    std::ifstream in(extracted);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "ciao");
    EXPECT_EQ(fs::path(params).extension(), ".txt") << params;

    EXPECT_EQ(RunOvikc({"follow", f.main.string(), "0", "99"}).status, 1);
    EXPECT_EQ(RunOvikc({"follow", f.main.string(), "7", "0"}).status, 1);
}

}  // namespace
}  // namespace ovik
