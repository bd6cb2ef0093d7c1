#include "app/reference_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <mutex>

#include "app/album.h"
#include "app/references.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/page_text.h"

namespace ovik::app {
namespace {

using testing::Tag;

void SetText(THQVtesto& p, const std::string& markup) { p.SetContent(Bytes(markup.begin(), markup.end() + 1)); }

// What the callbacks were given, gathered from the search thread.
struct Collected {
    std::mutex m;
    std::vector<ReferenceSearch::Result> results;
    int finished = 0;
    bool stopped = false;

    ReferenceSearch::ResultFn OnResult() {
        return [this](ReferenceSearch::Result r) {
            std::lock_guard l(m);
            results.push_back(std::move(r));
        };
    }
    ReferenceSearch::FinishedFn OnFinished() {
        return [this](bool s) {
            std::lock_guard l(m);
            ++finished;
            stopped = s;
        };
    }
};

class ReferenceSearchTest : public ::testing::Test {
protected:
    ReferenceSearchTest() { NewEmptyPage(set); }  // page 0
    void AddPages(int n) {
        for (int i = 0; i < n; ++i) NewEmptyPage(set);
    }
    // Every result given is what the search on the interface thread finds,
    // and the results are the first ones of `ids`, in order.
    void ExpectPrefixOfSynchronous(const Collected& c, const std::vector<int32_t>& ids) {
        ASSERT_LE(c.results.size(), ids.size());
        for (size_t i = 0; i < c.results.size(); ++i) {
            SCOPED_TRACE(i);
            const ReferenceSearch::Result& r = c.results[i];
            EXPECT_EQ(r.index, i);
            EXPECT_EQ(r.id, ids[i]);
            THQVoggetto* o = set.GetObjectById(ids[i]);
            bool defined = o && !o->IsFree();
            EXPECT_EQ(r.defined, defined);
            if (defined) EXPECT_EQ(r.lines, ReferenceLines(set, ids[i]));
            else EXPECT_TRUE(r.lines.empty());
        }
    }
    // Many pages, each with some text and a link to the next, so that every
    // object takes a while to search.
    std::vector<int32_t> ManyLinkedPages(int n) {
        AddPages(n);
        std::vector<int32_t> ids;
        std::string filler(1500, 'x');
        for (int32_t i = 0; i <= n; ++i) {
            int32_t next = i < n ? set.Page(i + 1)->Id() : set.Page(0)->Id();
            SetText(*set.Page(i), "<Z S0 >" + filler + Tag(next) + filler);
            ids.push_back(set.Page(i)->Id());
        }
        return ids;
    }

    platform::RecordingMessages messages;
    THQVset set{messages};
};

TEST_F(ReferenceSearchTest, GivesEachObjectTheLinesOfTheSynchronousSearchInListOrder) {
    AddPages(4);
    set.Page(1)->SetTitle("Capitolo");
    set.Page(2)->SetI32(page_rec::kHeaderPage, 1);            // page 1 heads page 2
    SetText(*set.Page(0), "<Z S0 >vedi " + Tag(set.Page(1)->Id()) + "qui");  // and page 0 links to it
    THQVtesto* unused = set.Page(3);
    int32_t freedId = set.Page(4)->Id();
    set.Page(4)->MakeFree();

    std::vector<int32_t> ids{set.Page(1)->Id(), unused->Id(), freedId, MakeId(immagine, 77), set.Page(0)->Id()};
    Collected c;
    {
        ReferenceSearch search;
        search.Start(set, ids, c.OnResult(), c.OnFinished());
        search.Wait();
        EXPECT_FALSE(search.Started());
    }
    ASSERT_EQ(c.results.size(), ids.size());
    ExpectPrefixOfSynchronous(c, ids);
    EXPECT_EQ(c.finished, 1);
    EXPECT_FALSE(c.stopped);
    // The lines say what they should: page 1 is used by pages 0 and 2, the new
    // page nowhere.
    const std::vector<std::string> used{
        "+ \"CAPITOLO\" \xE8 presente in/collegato da /utilizzato in:",
        "    - " + set.Page(0)->Title() + "   {nel testo}",
        "    - " + set.Page(2)->Title() + "   {come intestazione o pi\xE8 di pagina}",
    };
    EXPECT_EQ(c.results[0].lines, used);
    const std::vector<std::string> unusedLines{"- \"" + cp1252::Upper(unused->Title()) + "\" sembra inutilizzato."};
    EXPECT_EQ(c.results[1].lines, unusedLines);
}

TEST_F(ReferenceSearchTest, StopsBeforeTheNextObjectOnceAsked) {
    std::vector<int32_t> ids = ManyLinkedPages(60);
    Collected c;
    std::promise<void> firstSeen, stopAsked;
    std::shared_future<void> asked = stopAsked.get_future().share();
    ReferenceSearch search;
    search.Start(
        set, ids,
        [&, asked](ReferenceSearch::Result r) {
            c.OnResult()(std::move(r));
            if (c.results.size() == 1) {
                firstSeen.set_value();
                asked.wait();  // hold the search until the stop has been asked for
            }
        },
        c.OnFinished());
    firstSeen.get_future().wait();
    search.RequestStop();
    stopAsked.set_value();
    search.Stop();
    ASSERT_EQ(c.results.size(), 1u);
    ExpectPrefixOfSynchronous(c, ids);
    EXPECT_EQ(c.finished, 1);
    EXPECT_TRUE(c.stopped);
}

TEST_F(ReferenceSearchTest, StoppingAtAnyTimeLeavesTheSetAloneAndIsHarmlessTwice) {
    std::vector<int32_t> ids = ManyLinkedPages(300);
    struct Case {
        const char* name;
        bool stopExplicitly;
    } cases[] = {{"Stop right after Start", true}, {"destroyed without Stop", false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Collected c;
        {
            ReferenceSearch search;
            search.Stop();  // nothing runs yet
            search.Start(set, ids, c.OnResult(), c.OnFinished());
            if (k.stopExplicitly) {
                search.Stop();
                search.Stop();
                EXPECT_FALSE(search.Started());
            }
        }
        ExpectPrefixOfSynchronous(c, ids);
        EXPECT_EQ(c.finished, 1);
        EXPECT_EQ(c.stopped, c.results.size() < ids.size());
        // Once stopped the search is gone: the set may change freely and no
        // callback comes any more.
        size_t seen = c.results.size();
        EXPECT_TRUE(DeleteObject(set, *set.Page(k.stopExplicitly ? 1 : 2)));
        EXPECT_EQ(c.results.size(), seen);
        EXPECT_EQ(c.finished, 1);
    }
}

TEST_F(ReferenceSearchTest, StartingAgainReplacesTheRunningSearch) {
    std::vector<int32_t> ids = ManyLinkedPages(200);
    Collected first, second;
    ReferenceSearch search;
    search.Start(set, ids, first.OnResult(), first.OnFinished());
    std::vector<int32_t> few(ids.begin(), ids.begin() + 3);
    search.Start(set, few, second.OnResult(), second.OnFinished());
    search.Wait();
    EXPECT_EQ(first.finished, 1);
    EXPECT_TRUE(first.stopped);
    ExpectPrefixOfSynchronous(first, ids);
    ASSERT_EQ(second.results.size(), few.size());
    ExpectPrefixOfSynchronous(second, few);
    EXPECT_FALSE(second.stopped);
}

}  // namespace
}  // namespace ovik::app
