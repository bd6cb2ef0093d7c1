// libFuzzer target: the HTML reader and the style-sheet reader on arbitrary
// bytes. The input is imported twice as an HTML file that links itself as its
// style sheet, the links between the pages are resolved and the files it
// links to are collected: nothing may read past the input or end the process.
//
//   fuzz_html -max_len=65536 CORPUS_DIR fuzz/seeds/html
#include <cstddef>
#include <cstdint>

#include "support/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ovik::fuzz::FeedHtml(data, size);
    return 0;
}
