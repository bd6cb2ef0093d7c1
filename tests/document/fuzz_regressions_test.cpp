// Replays every input kept under tests/fuzz_regressions/<target>/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/fuzz_entries.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;

void Replay(const char* target, void (*feed)(const uint8_t*, size_t)) {
    fs::path dir = fs::path(OVIK_FUZZ_REGRESSIONS) / target;
    if (!fs::exists(dir)) return;
    for (auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file() || e.path().filename() == "README") continue;
        SCOPED_TRACE(e.path().string());
        std::ifstream in(e.path(), std::ios::binary);
        std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        feed(b.data(), b.size());
    }
}

TEST(FuzzRegressions, HqvFile) { Replay("hqv_file", fuzz::FeedHqvFile); }
TEST(FuzzRegressions, ObjectStream) { Replay("object_stream", fuzz::FeedObjectStream); }
TEST(FuzzRegressions, ObjectsData) { Replay("objects_data", fuzz::FeedObjectsData); }
TEST(FuzzRegressions, Html) { Replay("html", fuzz::FeedHtml); }
TEST(FuzzRegressions, FrameLayout) { Replay("frame_layout", fuzz::FeedFrameLayout); }

}  // namespace
}  // namespace ovik
