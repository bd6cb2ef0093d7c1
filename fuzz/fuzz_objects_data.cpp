// libFuzzer target: objects data pasted into a page being edited, as another
// program could put it on the clipboard under the editor's own format.
#include <cstddef>
#include <cstdint>

#include "support/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ovik::fuzz::FeedObjectsData(data, size);
    return 0;
}
