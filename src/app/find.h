// Searching across the pages of a hypertext: which pages match a query of
// four words (A and B) or (C and D), and replacing a word in the stored pages.
// Both work on the text a reader sees: tags are skipped, character escapes
// decoded ("AT&amp;T" reads "AT&T"), and in current pages the blocks opened by
// "<D", "<F" and "<R" are skipped whole. Replacing changes only that text,
// never a tag, a link target, an object tag or a skipped block.
//
//   std::string w = MatchPage(*set.Page(4), "casa", "", 0, "mare", "");  // "mare"
//   int32_t next = NextMatchingPage(set, shown, query, options, &w);
//   ReplaceResult r = ReplaceInHypertext(set, "gatto", "cane", stWholeWord, 0, {});
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/bytes.h"
#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "platform/messages.h"

namespace ovik::app {

// The four terms of a query; a page matches when (A and B) or (C and D) occur
// in its text; an empty term is left out of its pair.
struct Query {
    std::string a, b, c, d;
};

// Bytes that end a word for "solo parole intere" (blanks and punctuation).
bool IsWordSeparator(uint8_t c);

// The text of box markup as a reader sees it: paragraph tags give a line
// break, other tags are skipped (in `format` 2 also the "<D", "<F", "<R"
// blocks), escapes decoded, control bytes dropped; lower case (Windows-1252)
// unless `matchCase`.
std::string SearchableText(const uint8_t* markup, size_t size, int format, bool matchCase);

// The word of the query the page matches (A or C), or empty. A page without
// content never matches, nor does an all-empty query. Terms are found as
// substrings; stWholeWord plays no part here.
std::string MatchPage(const THQVtesto& page, std::string a, std::string b, TZtSearchTypes options,
                      std::string c, std::string d);
inline std::string MatchPage(const THQVtesto& page, const Query& q, TZtSearchTypes options) {
    return MatchPage(page, q.a, q.b, options, q.c, q.d);
}
// The first page after `after` (in number order, free pages skipped) that
// matches, or -1; `word` gets the matched word. Never wraps.
int32_t NextMatchingPage(const THQVset& set, int32_t after, const Query& q, TZtSearchTypes options,
                         std::string* word = nullptr);

// Asked before each replacement with the word found: Yes replaces, No skips
// it, Cancel ends everything. No function means replace without asking.
using ConfirmReplace = std::function<platform::Answer(int32_t page, const std::string& word)>;

// Replaces every occurrence of `word` in the reader's text of box markup by
// `replacement` (each occurrence once, left to right, so a replacement that
// contains the word is not searched again). Returns how many were replaced;
// `cancelled` is set when the confirmation said Cancel.
size_t ReplaceInMarkup(Bytes& markup, int format, const std::string& word, const std::string& replacement,
                       TZtSearchTypes options, const std::function<platform::Answer()>& confirm,
                       bool& cancelled);

struct ReplaceResult {
    size_t replacements = 0;
    bool cancelled = false;
    // Each changed page's number and its content before the change (for undo).
    std::vector<std::pair<int32_t, Bytes>> before;
    size_t Pages() const { return before.size(); }
};
// Replaces `word` in page `from` and every later page whose text contains it,
// in number order. Pages still in the old format are converted when they
// change. An empty word does nothing.
ReplaceResult ReplaceInHypertext(THQVset& set, const std::string& word, const std::string& replacement,
                                 TZtSearchTypes options, int32_t from, const ConfirmReplace& confirm);

}  // namespace ovik::app
