// Fuzzes the object-stream reader.
#include "support/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ovik::fuzz::FeedObjectStream(data, size);
    return 0;
}
