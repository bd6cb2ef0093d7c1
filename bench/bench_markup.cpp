// Box markup throughput on a 10 MB page: reading into a box, writing it back,
// and a plain memchr scan of the same bytes as the limit reading can approach.
// Figures are bytes of markup per second (MB/s).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/hqv_box.h"

namespace {

using namespace ovik;

// A page of ordinary rich text: paragraphs of words with runs, links and
// escapes, about `bytes` long.
const std::string& Page() {
    static const std::string page = [] {
        const size_t bytes = 10u << 20;
        std::mt19937 rng(42);
        static const char* words[] = {"il ",    "testo ", "della ", "pagina ", "caff\xE8 ",
                                      "&amp; ", "ipertesto ", "collegamento ", "&lt;tag&gt; ",
                                      "e ",     "con ",    "stile "};
        std::string s;
        s.reserve(bytes + 1024);
        while (s.size() < bytes) {
            s += (rng() % 4 == 0) ? "<Z S0 A1 l20 >" : "<Z S0 >";
            int n = 20 + int(rng() % 60);
            for (int i = 0; i < n; ++i) {
                switch (rng() % 16) {
                    case 0: s += "<Y s14 y1 >"; break;
                    case 1: s += "<Y >"; break;
                    case 2: s += "<$0000002a>"; break;
                    case 3: s += "<%>"; break;
                    default: s += words[rng() % 12];
                }
            }
        }
        return s;
    }();
    return page;
}

void BM_ReadMarkup(benchmark::State& state) {
    const std::string& page = Page();
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    platform::FixedMetricsMeasurer measurer;
    for (auto _ : state) {
        auto box = std::make_unique<THQVbox>(set, measurer);
        BoxStream s(page);
        box->LoadText(&s, nullptr, nullptr);
        benchmark::DoNotOptimize(box->ParagraphCount());
        // Freeing the paragraphs is not part of reading.
        state.PauseTiming();
        box.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}
BENCHMARK(BM_ReadMarkup)->Unit(benchmark::kMillisecond);

void BM_WriteMarkup(benchmark::State& state) {
    const std::string& page = Page();
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    platform::FixedMetricsMeasurer measurer;
    THQVbox box(set, measurer);
    BoxStream s(page);
    box.LoadText(&s, nullptr, nullptr);
    size_t written = 0;
    for (auto _ : state) {
        Bytes out = box.OwnText();
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
}
BENCHMARK(BM_WriteMarkup)->Unit(benchmark::kMillisecond);

// The floor: finding every "<" of the page with memchr.
void BM_MemchrScan(benchmark::State& state) {
    const std::string& page = Page();
    for (auto _ : state) {
        size_t tags = 0;
        const char* p = page.data();
        const char* end = p + page.size();
        while ((p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)))) != nullptr) {
            ++tags;
            ++p;
        }
        benchmark::DoNotOptimize(tags);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
}
BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
