// Google Benchmark timings of line layout and painting:
//  - relayout after a change in one paragraph of a page of 10 or 50,000
//    paragraphs: a change that keeps the paragraph's height (the usual case for
//    typing a character) lays out that paragraph only; one that adds a line
//    also shifts every paragraph below; and typing characters one by one;
//  - laying out a whole 5 MB page (many paragraphs, or one long one);
//  - the display list of one screen of the 50,000-paragraph page.
// Widths come from the fixed-metrics measurer, so the figures are layout's own.
#include <benchmark/benchmark.h>

#include <string>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/display_list.h"
#include "text/hqv_box.h"
#include "text/layout.h"

namespace {

using namespace ovik;

// Box markup of `paragraphs` paragraphs of about `chars` characters of words,
// every third paragraph with a bold run.
std::string PageMarkup(int paragraphs, int chars) {
    static const char* words[] = {"lorem", "ipsum", "dolor", "sit", "amet", "consectetur",
                                  "adipiscing", "elit", "sed", "do", "eiusmod", "tempor"};
    std::string s;
    s.reserve(size_t(paragraphs) * size_t(chars + 24));
    unsigned w = 0;
    for (int p = 0; p < paragraphs; ++p) {
        s += "<Z S0 >";
        size_t start = s.size();
        while (int(s.size() - start) < chars) {
            if (p % 3 == 0 && w % 17 == 5) s += "<Y y1 >";
            s += words[w++ % 12];
            s += ' ';
        }
    }
    return s;
}

struct Page {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer{7, 96};
    THQVbox box{set, measurer};
    size_t bytes = 0;

    Page(int paragraphs, int chars) {
        std::string markup = PageMarkup(paragraphs, chars);
        bytes = markup.size();
        BoxStream s(markup);
        box.LoadText(&s, nullptr, nullptr);  // no layout hook yet: not laid out
        box.geometry.clientWidth = 600;
        ResizePageBox(box, 600, 800);
    }
};

// A change of one character's width in the middle paragraph, as typing leaves
// it: `grow` picks widths that make the paragraph a line longer and back.
void Relayout(benchmark::State& state, bool grow) {
    Page page(int(state.range(0)), 90);
    const int32_t k = page.box.ParagraphCount() / 2;
    CharRecord& r = page.box.Paragraph(k).Records()[10];
    const int32_t normal = r.width;
    const int32_t other = grow ? 1200 : normal + 1;
    bool flip = false;
    int64_t shifted = 0;
    for (auto _ : state) {
        flip = !flip;
        r.width = flip ? other : normal;
        LayoutDamage d = RelayoutRange(page.box, k, k);
        shifted += d.shift != 0;
        benchmark::DoNotOptimize(d);
    }
    state.counters["shifts"] = double(shifted) / double(state.iterations());
}
void BM_RelayoutSameHeight(benchmark::State& state) { Relayout(state, false); }
void BM_RelayoutAddsALine(benchmark::State& state) { Relayout(state, true); }
BENCHMARK(BM_RelayoutSameHeight)->Arg(10)->Arg(50000);
BENCHMARK(BM_RelayoutAddsALine)->Arg(10)->Arg(50000);

// Typing: one character appended to the middle paragraph (measured as it
// enters), then that paragraph laid out again. Every 64 characters the
// paragraph gets its old text back, outside the timing.
void BM_TypeOneCharacter(benchmark::State& state) {
    Page page(int(state.range(0)), 90);
    const int32_t k = page.box.ParagraphCount() / 2;
    THQVparag& p = page.box.Paragraph(k);
    const std::string text = p.Text();
    int typed = 0;
    int64_t shifted = 0;
    for (auto _ : state) {
        if (++typed == 64) {
            state.PauseTiming();
            p.ResetToEmpty();
            for (char c : text) p.AppendChar(uint8_t(c));
            RelayoutRange(page.box, k, k);
            typed = 0;
            state.ResumeTiming();
        }
        p.AppendChar(typed % 6 == 5 ? ' ' : 'x');
        LayoutDamage d = RelayoutRange(page.box, k, k);
        shifted += d.shift != 0;
        benchmark::DoNotOptimize(d);
    }
    state.counters["shifts"] = double(shifted) / double(state.iterations());
}
BENCHMARK(BM_TypeOneCharacter)->Arg(10)->Arg(50000);

// Whole-page layout of about 5 MB of markup: arg 0 = paragraphs of 90
// characters, arg 1 = a single paragraph.
void BM_LayoutWholePage(benchmark::State& state) {
    const bool one = state.range(0) == 1;
    Page page(one ? 1 : 5 * 1024 * 1024 / 100, one ? 5 * 1024 * 1024 : 90);
    for (auto _ : state) {
        RelayoutBox(page.box);
        benchmark::DoNotOptimize(page.box.geometry.height);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.bytes));
    state.counters["paragraphs"] = page.box.ParagraphCount();
}
BENCHMARK(BM_LayoutWholePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One 600 x 800 screen in the middle of the 50,000-paragraph page.
void BM_DisplayListScreen(benchmark::State& state) {
    Page page(50000, 90);
    const int32_t y = page.box.Paragraph(25000).top;
    size_t items = 0;
    for (auto _ : state) {
        DisplayList list = BuildDisplayList(page.box, {0, y, 600, y + 800});
        items = list.items.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["items"] = double(items);
}
BENCHMARK(BM_DisplayListScreen);

}  // namespace

BENCHMARK_MAIN();
