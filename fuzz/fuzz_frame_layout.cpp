// libFuzzer target: the frame layout reader on arbitrary bytes, as a layout
// file and as the records of a layout object; what it accepts is sized and
// written again, and must read back the same.
//
//   fuzz_frame_layout -max_len=4096 CORPUS_DIR fuzz/seeds/frame_layout
#include <cstddef>
#include <cstdint>

#include "support/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ovik::fuzz::FeedFrameLayout(data, size);
    return 0;
}
