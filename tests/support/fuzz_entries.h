// What each fuzz target feeds to the engine. The fuzzers and the regression test
// over tests/fuzz_regressions/<target>/ share these, so a crash input once found
// is replayed by every test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ovik::fuzz {

// Opens the bytes as a .HQV file; when it opens, saves it and opens the result.
void FeedHqvFile(const uint8_t* data, size_t size);
// Reads the bytes as a sequence of object streams into a set.
void FeedObjectStream(const uint8_t* data, size_t size);
// Pastes the bytes as objects data (what another program may put on the
// clipboard under the editor's format) into a page being edited, checks the
// paragraphs, undoes, pastes again and stores the page.
void FeedObjectsData(const uint8_t* data, size_t size);
// Imports the bytes as an HTML file that links itself as its style sheet,
// then resolves the links between imported pages.
void FeedHtml(const uint8_t* data, size_t size);
// Reads the bytes as a frame layout file, then their tail as layout records of
// the length the first byte picks; sizes what was read and writes it again,
// which must read back to the same tree.
void FeedFrameLayout(const uint8_t* data, size_t size);

}  // namespace ovik::fuzz
