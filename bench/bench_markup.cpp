// Box markup throughput on a 10 MB page: reading into a box, writing it back,
// and a plain memchr scan of the same bytes as the limit reading can approach.
// Figures are bytes of markup per second (MB/s). BM_MemoryOfPages gives the
// heap a read box takes: bytes per paragraph (an empty one, with its end record
// and its place in the box's list), the fixed part of that (without the end
// record), and bytes per character.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <string>

// Heap bytes in use, as asked for: every allocation of the program goes
// through these, which keep the asked size in front of the block.
namespace {
int64_t gHeapBytes = 0;
constexpr size_t kHeader = 16;  // keeps the block aligned as malloc's is
}  // namespace

void* operator new(size_t n) {
    auto* p = static_cast<unsigned char*>(std::malloc(n + kHeader));
    if (!p) throw std::bad_alloc();
    std::memcpy(p, &n, sizeof n);
    gHeapBytes += int64_t(n);
    return p + kHeader;
}
void operator delete(void* q) noexcept {
    if (!q) return;
    auto* p = static_cast<unsigned char*>(q) - kHeader;
    size_t n;
    std::memcpy(&n, p, sizeof n);
    gHeapBytes -= int64_t(n);
    std::free(p);
}
void operator delete(void* q, size_t) noexcept { operator delete(q); }

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

// What a read page costs in memory: 200,000 empty paragraphs ("<Z S0 >"),
// then as many paragraphs of 100 characters each.
void BM_MemoryOfPages(benchmark::State& state) {
    constexpr int64_t kParagraphs = 200000, kChars = 100;
    std::string empty, text;
    for (int64_t i = 0; i < kParagraphs; ++i) {
        empty += "<Z S0 >";
        text += "<Z S0 >";
        for (int64_t k = 0; k < kChars; ++k) text.push_back(char('a' + (i + k) % 26));
    }
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    platform::FixedMetricsMeasurer measurer;
    auto heapOf = [&](const std::string& page) {
        const int64_t before = gHeapBytes;
        auto box = std::make_unique<THQVbox>(set, measurer);
        BoxStream s(page);
        box->LoadText(&s, nullptr, nullptr);
        const int64_t used = gHeapBytes - before;
        benchmark::DoNotOptimize(box->ParagraphCount());
        return used;
    };
    double perParagraph = 0, perChar = 0;
    for (auto _ : state) {
        const int64_t e = heapOf(empty);
        const int64_t t = heapOf(text);
        perParagraph = double(e) / kParagraphs;
        perChar = double(t - e) / double(kParagraphs * kChars);
    }
    state.counters["bytes_per_paragraph"] = perParagraph;
    state.counters["fixed_bytes_per_paragraph"] = perParagraph - double(sizeof(CharRecord));
    state.counters["bytes_per_character"] = perChar;
}
BENCHMARK(BM_MemoryOfPages)->Unit(benchmark::kMillisecond)->Iterations(1);

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
