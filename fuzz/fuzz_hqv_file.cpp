// Fuzzes the .HQV reader (and the writer, for files that open).
#include "support/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ovik::fuzz::FeedHqvFile(data, size);
    return 0;
}
