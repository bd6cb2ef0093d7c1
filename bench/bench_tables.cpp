// Typing into a cell of a 200 x 40 table and of a 2 x 2 table: time per key
// (the cell lays out its own paragraph; the table only moves its cells when
// the cell's height changes, every few words here), and the time to show the
// page with the table laid out once.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "document/hqv_set.h"
#include "page/placed_table.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/editing.h"
#include "text/layout.h"

namespace {

using namespace ovik;

struct TablePage {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer{8, 96};
    PageHost host;
    std::unique_ptr<THQVpage> view;
    THQVtesto* page = nullptr;

    TablePage(int rows, int cols) {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        THQVoggetto* t = set.AddNewObject(tabellaHtml);
        t->SetU8(93, uint8_t(rows));
        t->SetU8(94, uint8_t(cols));
        for (int c = 0; c < cols; ++c) {
            t->SetU8(5 + size_t(c), 0);
            t->SetI16(97 + 2 * size_t(c), 10);
        }
        char tag[16];
        std::snprintf(tag, sizeof tag, "<$%08x>", uint32_t(t->Id()));
        std::string markup = std::string("<Z S0 >") + tag;
        for (int i = 0; i < rows * cols; ++i) markup += "<Z S1 >c" + std::to_string(i) + "<T>";
        markup += "<Z S0 >dopo";
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        page->SetContent(content);
    }
    void Show() {
        view = std::make_unique<THQVpage>(host);
        view->ShowPage(page);
        InstallLayout(*view->Box());
        ResizePageBox(*view->Box(), 2000, 600);
    }
    TMyyTable& Table() {
        for (auto& c : view->Controls())
            if (auto* t = dynamic_cast<TMyyTable*>(c.get())) return *t;
        std::abort();
    }
};

void BM_TypingInACell(benchmark::State& state) {
    const int rows = int(state.range(0)), cols = int(state.range(1));
    constexpr int kKeys = 2000;
    TablePage tp(rows, cols);
    tp.Show();
    THQVbox& cell = *tp.Table().CellAt(rows / 2, cols / 2);
    DeferredActions actions;
    BoxEditor editor(cell, actions);
    for (auto _ : state) {
        cell.SetCaret(0, 0);
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kKeys; ++i) {
            // Words of five letters: the cell's lines wrap and it grows.
            editor.KeyPress(i % 6 == 5 ? uint8_t(' ') : uint8_t('a' + i % 26));
            actions.Clear();
        }
        const auto t1 = std::chrono::steady_clock::now();
        state.counters["ns_per_key"] =
            double(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()) / kKeys;
        state.PauseTiming();
        // The cell goes back to its text, so every round types into the same.
        cell.Paragraph(0).EraseChars(0, kKeys);
        cell.Paragraph(0).Remeasure();
        RelayoutBox(cell);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_TypingInACell)->Args({2, 2})->Args({200, 40})->Unit(benchmark::kMillisecond);

void BM_ShowTable(benchmark::State& state) {
    TablePage tp(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) tp.Show();
}
BENCHMARK(BM_ShowTable)->Args({2, 2})->Args({200, 40})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
