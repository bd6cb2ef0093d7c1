// Typing 10,000 characters one by one through the editor into a page of 50,000
// paragraphs and into a page of 10: time per character, and the bytes the
// undo history holds afterwards. "Grouped" types in one typing group (one undo
// entry); "ungrouped" moves the caret before each character, so every
// character records its own entry (the history keeps UndoDeep of them).
// "layout" 0: no line layout attached, the figures are those of editing and
// undo recording alone; 1: the box's layout hook relays out the changed
// paragraph and moves the paragraphs below it, as in the editor.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "bench_pages.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/editing.h"
#include "text/hqv_box.h"
#include "text/layout.h"
#include "undo/undo.h"

namespace {

using namespace ovik;

using bench::PageMarkup;

void BM_Typing(benchmark::State& state) {
    const int paragraphs = int(state.range(0));
    const bool grouped = state.range(1) != 0;
    const bool layout = state.range(2) != 0;
    constexpr int kChars = 10000;
    const std::string markup = PageMarkup(paragraphs);
    for (auto _ : state) {
        state.PauseTiming();
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.UndoDeep = 20;
        platform::FixedMetricsMeasurer measurer(8, 96);
        THQVbox box(set, measurer);
        if (layout) {
            InstallLayout(box);
            box.geometry.clientWidth = 600;
            box.geometry.clientHeight = 400;
        }
        BoxStream st(markup);
        box.LoadText(&st, nullptr, nullptr);
        THQVundoList history(set);
        history.SetDepth(set.UndoDeep);
        ListNode view, page;
        BoxNode node(box);
        history.views.Add(&view);
        view.list.Add(&page);
        box.controlIndex = page.list.Add(&node);
        HistoryRecorder recorder(history, 0, 0);
        box.undo = &recorder;
        DeferredActions actions;
        BoxEditor editor(box, actions);
        box.SetCaret(paragraphs / 2, 10);
        const size_t before = history.SavedBytes();
        state.ResumeTiming();

        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kChars; ++i) {
            if (!grouped) editor.CloseGroups();  // what a caret move does
            editor.KeyPress(uint8_t('a' + i % 26));
            if (i % 64 == 63) actions.Clear();
        }
        const auto t1 = std::chrono::steady_clock::now();

        state.PauseTiming();
        state.counters["ns_per_char"] =
            double(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()) / kChars;
        state.counters["history_bytes"] = double(history.SavedBytes() - before);
        state.counters["entries"] = double(history.UndoCount());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kChars);
}
BENCHMARK(BM_Typing)
    ->ArgNames({"paragraphs", "grouped", "layout"})
    ->Args({10, 1, 0})
    ->Args({50000, 1, 0})
    ->Args({10, 0, 0})
    ->Args({50000, 0, 0})
    ->Args({10, 1, 1})
    ->Args({50000, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
