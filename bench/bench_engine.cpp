// Google Benchmark timings of the picture codecs, and of opening and saving a
// large hypertext when OVIK_BENCH_HQV names one (made by ovik_bench_generate).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "document/hqv_set.h"
#include "document/picture.h"
#include "platform/messages.h"

namespace {

using namespace ovik;

DecodedPicture Picture(int w, int h) {
    DecodedPicture b;
    b.width = w;
    b.height = h;
    b.rgba.resize(size_t(w) * size_t(h) * 4);
    std::mt19937 rng(7);
    for (size_t i = 0; i < b.rgba.size(); i += 4) {
        size_t x = (i / 4) % size_t(w), y = (i / 4) / size_t(w);
        b.rgba[i] = uint8_t(x + rng() % 16);
        b.rgba[i + 1] = uint8_t(y + rng() % 16);
        b.rgba[i + 2] = uint8_t(128 + 100 * std::sin(double(x + y) / 40));
        b.rgba[i + 3] = 255;
    }
    return b;
}

void BM_DecodeJpeg(benchmark::State& state) {
    Bytes jpeg;
    EncodeJpeg(Picture(1024, 768), kJpegDefaultQuality, jpeg);
    for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(jpeg));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(jpeg.size()));
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

void BM_DecodeGif(benchmark::State& state) {
    Bytes gif;
    EncodeGif(Picture(640, 480), gif);
    for (auto _ : state) benchmark::DoNotOptimize(DecodeGif(gif));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
}
BENCHMARK(BM_DecodeGif)->Unit(benchmark::kMillisecond);

// What adding a bitmap costs: quantization to 256 colours and GIF encoding.
void BM_EncodeGifQuantized(benchmark::State& state) {
    DecodedPicture p = Picture(640, 480);
    for (auto _ : state) {
        Bytes gif;
        benchmark::DoNotOptimize(EncodeGif(p, gif));
    }
}
BENCHMARK(BM_EncodeGifQuantized)->Unit(benchmark::kMillisecond);

const char* LargeHypertext(benchmark::State& state) {
    const char* p = std::getenv("OVIK_BENCH_HQV");
    if (!p || !std::filesystem::exists(p)) state.SkipWithError("set OVIK_BENCH_HQV to a large .hqv");
    return p;
}

void BM_OpenLargeHypertext(benchmark::State& state) {
    const char* path = LargeHypertext(state);
    if (!path) return;
    for (auto _ : state) {
        THQVset set(platform::NullMessages());
        if (!set.OpenHypertext(path)) state.SkipWithError("cannot open");
    }
}
BENCHMARK(BM_OpenLargeHypertext)->Unit(benchmark::kMillisecond);

void BM_SaveLargeHypertextAs(benchmark::State& state) {
    const char* path = LargeHypertext(state);
    if (!path) return;
    THQVset set(platform::NullMessages());
    if (!set.OpenHypertext(path)) return state.SkipWithError("cannot open");
    std::filesystem::path out = std::filesystem::path(path).parent_path() / "bench_engine_copy.hqv";
    for (auto _ : state) {
        // Each save reopens the new file; open the original again for the next.
        state.PauseTiming();
        set.OpenHypertext(path);
        state.ResumeTiming();
        if (!set.SaveHypertext(out)) state.SkipWithError("cannot save");
    }
    std::filesystem::remove(out);
    std::filesystem::path bak = out;
    std::filesystem::remove(bak.replace_extension(".bak"));
}
BENCHMARK(BM_SaveLargeHypertextAs)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
