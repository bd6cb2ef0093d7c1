#include "links/navigation.h"

#include <algorithm>
#include <charconv>

#include "core/codepage.h"
#include "document/hqv_set.h"

namespace ovik::links {

std::string PageAddress(const std::filesystem::path& file, int32_t page) {
    return "ovik://" + cp1252::FromUtf8(file.string()) + "|" + std::to_string(page);
}

// --- history --------------------------------------------------------------------------------

bool NavigationHistory::Record(const std::string& address) {
    if (!recording_) return false;
    if (current_ >= 0 && entries_[size_t(current_)] == address) return false;
    entries_.insert(entries_.begin() + (current_ + 1), address);
    ++current_;
    // The oldest entries go first (the current one, just inserted, is never the oldest).
    while (entries_.size() > kMaxEntries) {
        entries_.pop_front();
        --current_;
    }
    return true;
}

std::optional<std::string> NavigationHistory::GoTo(int index) {
    if (index < 0 || size_t(index) >= entries_.size()) return std::nullopt;
    recording_ = false;
    current_ = index;
    return entries_[size_t(index)];
}

void NavigationHistory::Clear() {
    entries_.clear();
    current_ = -1;
    recording_ = true;
}

void RecentPages::Add(int32_t page) {
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    pages_.insert(pages_.begin(), page);
    if (pages_.size() > kMax) pages_.resize(kMax);
}

// --- browse sequences ---------------------------------------------------------------------------

BrowseSequences::BrowseSequences(const THQVset& set) : set_(set) {
    const int32_t count = set.ObjectCount(testoHtml);
    for (int32_t n = 0; n < count; ++n) {
        THQVtesto* q = set.Page(n);
        if (!q || q->IsFree()) continue;
        const int16_t order = q->I16(page_rec::kBrowseNumber);
        // A negative order number keeps a page out of the sequence.
        if (order >= 0) entries_.push_back({q->I16(page_rec::kBrowseGroup), order, n});
    }
    std::sort(entries_.begin(), entries_.end());
}

int32_t BrowseSequences::Step(int32_t page, bool next) const {
    THQVtesto* p = set_.Page(page);
    if (!p || p->IsFree()) return -1;
    const int16_t group = p->I16(page_rec::kBrowseGroup);
    const int16_t r = p->I16(page_rec::kBrowseNumber);
    if (r < 0) return page;
    if (next) {
        // The smallest order above r; among equal orders the lowest page number.
        auto it = std::upper_bound(entries_.begin(), entries_.end(), Entry{group, r, INT32_MAX});
        return it != entries_.end() && it->group == group ? it->page : page;
    }
    // The largest order below r; among equal orders again the lowest page number.
    auto it = std::lower_bound(entries_.begin(), entries_.end(), Entry{group, r, INT32_MIN});
    if (it == entries_.begin() || std::prev(it)->group != group) return page;
    const int16_t order = std::prev(it)->order;
    return std::lower_bound(entries_.begin(), it, Entry{group, order, INT32_MIN})->page;
}

int32_t PreviousInSequence(const THQVset& set, int32_t page) { return BrowseSequences(set).Previous(page); }
int32_t NextInSequence(const THQVset& set, int32_t page) { return BrowseSequences(set).Next(page); }

// --- page-number box ---------------------------------------------------------------------------

int32_t PageNumberFromText(const std::string& text) {
    int64_t v = 0;
    const char* b = text.data();
    const char* e = text.data() + text.size();
    while (b < e && *b == ' ') ++b;
    while (e > b && e[-1] == ' ') --e;
    auto [end, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || end != e || v < 0 || v > INT32_MAX) return 0;
    return int32_t(v);
}

int32_t PagePlusOne(int32_t page, int32_t count) { return page < count ? page + 1 : page; }
int32_t PageMinusOne(int32_t page) { return page > 0 ? page - 1 : page; }

}  // namespace ovik::links
