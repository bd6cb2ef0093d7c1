// Background spell checking of a page: the delay, the conditions, the four
// callbacks and the cooperative stop, against a scripted checker and timer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/spelling.h"
#include "platform/text_measurer.h"

namespace ovik {
namespace {

struct FakeScheduler : platform::Scheduler {
    int armedMs = 0;
    std::function<void()> fire;
    int stops = 0;
    int waits = 0;
    std::function<void()> onWait;
    void StartTimer(int ms, std::function<void()> f) override {
        armedMs = ms;
        fire = std::move(f);
    }
    void StopTimer() override {
        ++stops;
        armedMs = 0;
    }
    void ProcessMessagesFor(int ms) override {
        EXPECT_EQ(ms, 50);
        ++waits;
        if (onWait) onWait();
    }
    // The timer elapses.
    void Elapse() {
        ASSERT_GT(armedMs, 0);
        auto f = fire;
        f();
    }
};

struct FakeThread : platform::SpellThread {
    int terminates = 0;
    void Terminate() override { ++terminates; }
};

// Hands out the texts and marks every word "xx" as misspelt; runs only when
// Step() is called, as a thread would between messages.
struct FakeChecker : platform::SpellChecker {
    bool active = true;
    platform::SpellCallbacks cb;
    std::shared_ptr<FakeThread> thread;
    std::vector<std::string> checked;
    int starts = 0;
    bool Active() const override { return active; }
    std::shared_ptr<platform::SpellThread> Start(platform::SpellCallbacks c) override {
        cb = std::move(c);
        thread = std::make_shared<FakeThread>();
        ++starts;
        return thread;
    }
    // Checks every text, then finishes.
    void RunToEnd() {
        std::string text;
        while (cb.nextText(text)) {
            checked.push_back(text);
            for (size_t at = text.find("xx"); at != std::string::npos; at = text.find("xx", at + 1))
                cb.mark(int32_t(at), 2);
            cb.mark(int32_t(text.size()) - 1, 5);  // beyond the text: ignored
            cb.paragraphDone();
        }
        cb.finished();
    }
};

struct SpellSchedule : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    FakeScheduler scheduler;
    FakeChecker checker;
    PageHost host;
    std::vector<std::string> repainted;
    THQVtesto* page = nullptr;

    SpellSchedule() {
        host.set = &set;
        host.measurer = &measurer;
        host.scheduler = &scheduler;
        host.spellChecker = &checker;
        host.AutoSpellCheck = true;
        host.repaintParagraph = [this](THQVparag& p) { repainted.push_back(p.Text()); };
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        std::string markup = "<Z S0 >uno xx due<Z S0 >tre<Z S0 >";
        Bytes b(markup.begin(), markup.end());
        b.push_back(0);
        page->SetContent(b);
    }
};

TEST_F(SpellSchedule, ShowingAPageChecksItAfterTwoSeconds) {
    THQVpage view(host);
    view.ShowPage(page);
    EXPECT_EQ(scheduler.armedMs, 2000);
    EXPECT_EQ(view.SpellTimerTag(), 0);
    EXPECT_EQ(checker.starts, 0);
    scheduler.Elapse();
    EXPECT_EQ(scheduler.armedMs, 0);  // the timer is disabled when it fires
    EXPECT_EQ(view.SpellTimerTag(), -1);
    ASSERT_EQ(checker.starts, 1);
    EXPECT_TRUE(view.SpellCheckRunning());
    checker.RunToEnd();
    EXPECT_EQ(checker.checked, (std::vector<std::string>{"uno xx due", "tre", ""}));
    THQVbox& box = *view.Box();
    EXPECT_EQ(box.Paragraph(0).SpellMask(), "    !!    ");
    EXPECT_EQ(box.Paragraph(1).SpellMask(), "   ");
    EXPECT_EQ(repainted, (std::vector<std::string>{"uno xx due", "tre", ""}));
    EXPECT_TRUE(view.SpellThreadFinished());
    EXPECT_FALSE(view.SpellCheckRunning());

    // Tag 0 checks only paragraphs without a mask; tag 1 checks all again.
    struct Row {
        const char* name;
        int request;
        size_t texts;
    } rows[] = {{"new paragraphs only", 0, 1}, {"everything again", 0x81, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        checker.checked.clear();
        view.ScheduleSpellCheck(row.request);
        EXPECT_EQ(view.SpellTimerTag(), row.request & 0x7F);
        scheduler.Elapse();
        checker.RunToEnd();
        // The empty paragraph's mask is empty, so it counts as never checked.
        EXPECT_EQ(checker.checked.size(), row.texts);
    }
}

TEST_F(SpellSchedule, NoCheckWithoutTheConditions) {
    struct Row {
        const char* name;
        bool autoCheck, readOnly, active, checker;
    } rows[] = {{"automatic check off", false, false, true, true},
                {"view read-only", true, true, true, true},
                {"checker inactive", true, false, false, true},
                {"no checker", true, false, true, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.AutoSpellCheck = row.autoCheck;
        host.ReadOnly = row.readOnly;
        checker.active = row.active;
        host.spellChecker = row.checker ? &checker : nullptr;
        checker.starts = 0;
        THQVpage view(host);
        view.ShowPage(page);
        scheduler.Elapse();
        EXPECT_EQ(checker.starts, 0);
        EXPECT_FALSE(view.SpellCheckRunning());
    }
}

TEST_F(SpellSchedule, StoppingWaitsCooperativelyForTheThread) {
    THQVpage view(host);
    view.ShowPage(page);
    scheduler.Elapse();
    ASSERT_TRUE(view.SpellCheckRunning());
    auto thread = checker.thread;

    // A thread that never finishes: 41 requests, 50 ms apart, then forgotten.
    view.StopSpellCheck();
    EXPECT_EQ(thread->terminates, 41);
    EXPECT_EQ(scheduler.waits, 41);
    EXPECT_EQ(view.SpellTimerTag(), -1);
    EXPECT_FALSE(view.SpellCheckRunning());
    // Its late callbacks find nothing to do.
    std::string text;
    EXPECT_FALSE(checker.cb.nextText(text));
    checker.cb.mark(0, 2);
    checker.cb.finished();

    // A thread that finishes while messages are processed ends the wait early.
    view.ScheduleSpellCheck(1);
    scheduler.Elapse();
    scheduler.waits = 0;
    scheduler.onWait = [&] { checker.cb.finished(); };
    view.StopSpellCheck();
    EXPECT_EQ(scheduler.waits, 1);
    EXPECT_EQ(checker.thread->terminates, 1);

    // The view asking to stop makes the next text tell the thread to end.
    scheduler.onWait = nullptr;
    bool stop = false;
    host.stopRequested = [&] { return stop; };
    view.ScheduleSpellCheck(1);
    scheduler.Elapse();
    stop = true;
    EXPECT_FALSE(checker.cb.nextText(text));
    EXPECT_EQ(checker.thread->terminates, 1);
    checker.cb.finished();
    // Closing the page while a check runs leaves no dangling callbacks.
    stop = false;
    view.ScheduleSpellCheck(1);
    scheduler.Elapse();
    view.ClosePage();
    EXPECT_FALSE(checker.cb.nextText(text));
}

}  // namespace
}  // namespace ovik
