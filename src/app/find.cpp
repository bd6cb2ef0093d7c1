#include "app/find.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/codepage.h"
#include "text/hqv_box.h"

namespace ovik::app {

namespace {

constexpr size_t kNoSource = SIZE_MAX;

// Walks box markup as a reader sees it, handing each character with the span
// of markup it came from ([begin, end); kNoSource for the line break a
// paragraph tag gives).
template <class Emit>
void WalkText(const uint8_t* d, size_t size, int format, Emit&& emit) {
    const size_t lim = size_t(std::find(d, d + size, uint8_t(0)) - d);
    size_t i = 0;
    while (i < lim) {
        const uint8_t b = d[i];
        if (b == '<') {
            const uint8_t n = i + 1 < lim ? d[i + 1] : 0;
            if (format >= 2 && (n == 'D' || n == 'F' || n == 'R')) {
                const uint8_t close[3] = {'<', uint8_t(n + ('a' - 'A')), '>'};
                size_t j = i + 2;
                while (j < lim && !(d[j] == '<' && lim - j >= 3 && std::memcmp(d + j, close, 3) == 0)) ++j;
                i = j >= lim ? lim : j + 3;
                continue;
            }
            if (n == 'Z') emit('\n', kNoSource, kNoSource);
            const uint8_t* gt = static_cast<const uint8_t*>(std::memchr(d + i + 1, '>', lim - i - 1));
            i = gt ? size_t(gt - d) + 1 : lim;
        } else if (b == '&') {
            size_t next;
            const uint8_t c = DecodeEntity(d, i, lim, next);
            emit(c, i, next);
            i = next;
        } else {
            if (b >= 32) emit(b, i, i + 1);
            ++i;
        }
    }
}

bool Contains(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
}

}  // namespace

bool IsWordSeparator(uint8_t c) {
    return c < 32 || (c >= 32 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126);
}

std::string SearchableText(const uint8_t* markup, size_t size, int format, bool matchCase) {
    std::string out;
    out.reserve(size);
    WalkText(markup, size, format, [&](uint8_t c, size_t, size_t) {
        out.push_back(matchCase ? char(c) : cp1252::Lower(char(c)));
    });
    return out;
}

std::string MatchPage(const THQVtesto& page, std::string a, std::string b, TZtSearchTypes options,
                      std::string c, std::string d) {
    if (page.IsFree() || !page.HasContent()) return {};
    if (a.empty() && b.empty() && c.empty() && d.empty()) return {};
    const bool matchCase = options & stMatchCase;
    if (!matchCase)
        for (std::string* t : {&a, &b, &c, &d}) *t = cp1252::Lower(*t);
    // Each pair closes up (an empty first term takes the second); an empty
    // first pair takes the second pair.
    if (c.empty()) std::swap(c, d);
    if (a.empty()) std::swap(a, b);
    if (a.empty()) {
        a = std::move(c);
        b = std::move(d);
        c.clear();
        d.clear();
    }
    Bytes content;
    if (!page.ReadContent(content)) return {};
    const std::string text =
        SearchableText(content.data(), content.size(), page.ContentFormat() < 2 ? 1 : 2, matchCase);
    if (!a.empty() && Contains(text, a) && (b.empty() || Contains(text, b))) return a;
    if (!c.empty() && Contains(text, c) && (d.empty() || Contains(text, d))) return c;
    return {};
}

int32_t NextMatchingPage(const THQVset& set, int32_t after, const Query& q, TZtSearchTypes options,
                         std::string* word) {
    for (int32_t n = std::max(after + 1, 0); n < set.ObjectCount(testoHtml); ++n) {
        const THQVtesto* p = set.Page(n);
        if (!p || p->IsFree()) continue;
        std::string w = MatchPage(*p, q, options);
        if (w.empty()) continue;
        if (word) *word = std::move(w);
        return n;
    }
    return -1;
}

size_t ReplaceInMarkup(Bytes& markup, int format, const std::string& word, const std::string& replacement,
                       TZtSearchTypes options, const std::function<platform::Answer()>& confirm,
                       bool& cancelled) {
    if (word.empty()) return 0;
    const bool matchCase = options & stMatchCase;
    struct Char {
        size_t begin, end;
    };
    std::string text;
    std::vector<Char> spans;
    WalkText(markup.data(), markup.size(), format, [&](uint8_t c, size_t b, size_t e) {
        text.push_back(matchCase ? char(c) : cp1252::Lower(char(c)));
        spans.push_back({b, e});
    });
    const std::string w = matchCase ? word : cp1252::Lower(word);
    const size_t m = w.size();
    // The markup spans to change: the first character of an occurrence takes
    // the replacement, the others go (tags between them stay).
    struct Edit {
        size_t begin, end;
        bool first;
    };
    std::vector<Edit> edits;
    size_t count = 0;
    for (size_t i = text.find(w); i != std::string::npos; i = text.find(w, i)) {
        bool ok = true;
        for (size_t k = i; k < i + m && ok; ++k) ok = spans[k].begin != kNoSource;
        if (ok && (options & stWholeWord))
            ok = (i == 0 || IsWordSeparator(uint8_t(text[i - 1]))) &&
                 (i + m >= text.size() || IsWordSeparator(uint8_t(text[i + m])));
        if (!ok) {
            ++i;
            continue;
        }
        if (confirm) {
            const platform::Answer a = confirm();
            if (a == platform::Answer::Cancel) {
                cancelled = true;
                break;
            }
            if (a != platform::Answer::Yes) {
                i += m;
                continue;
            }
        }
        for (size_t k = i; k < i + m; ++k) edits.push_back({spans[k].begin, spans[k].end, k == i});
        ++count;
        i += m;
    }
    if (edits.empty()) return count;
    Bytes escaped;
    for (char c : replacement) AppendEscaped(escaped, uint8_t(c));
    Bytes out;
    out.reserve(markup.size() + count * escaped.size());
    size_t at = 0;
    for (const Edit& e : edits) {
        out.insert(out.end(), markup.begin() + long(at), markup.begin() + long(e.begin));
        if (e.first) out.insert(out.end(), escaped.begin(), escaped.end());
        at = e.end;
    }
    out.insert(out.end(), markup.begin() + long(at), markup.end());
    markup = std::move(out);
    return count;
}

ReplaceResult ReplaceInHypertext(THQVset& set, const std::string& word, const std::string& replacement,
                                 TZtSearchTypes options, int32_t from, const ConfirmReplace& confirm) {
    ReplaceResult r;
    if (word.empty()) return r;
    const Query q{word, "", "", ""};
    for (int32_t n = NextMatchingPage(set, std::max(from, 0) - 1, q, options); n >= 0;
         n = NextMatchingPage(set, n, q, options)) {
        THQVtesto* page = set.Page(n);
        if (page->ContentFormat() < 2) page->ConvertFormat1();
        Bytes content;
        if (!page->ReadContent(content)) continue;
        Bytes before = content;
        std::function<platform::Answer()> ask;
        if (confirm) ask = [&] { return confirm(n, word); };
        const size_t k = ReplaceInMarkup(content, 2, word, replacement, options, ask, r.cancelled);
        if (k > 0) {
            page->SetContent(std::move(content));
            page->StampRevision();
            r.replacements += k;
            r.before.emplace_back(n, std::move(before));
            set.SetModified(true);
        }
        if (r.cancelled) break;
    }
    return r;
}

}  // namespace ovik::app
