// Navigation between pages: the history of shown pages (addresses that name
// their file, so it spans hypertexts), the recent-pages list and browse
// sequences.
//
//   NavigationHistory h;
//   h.Record(PageAddress(file, 1)); h.Record(PageAddress(file, 2));
//   auto back = h.Step(-1);          // the address to show; Record() is off while showing it
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ovik {
class THQVset;
class THQVtesto;
}

namespace ovik::links {

// "ovik://" + file + "|" + page number: the form of a history entry.
std::string PageAddress(const std::filesystem::path& file, int32_t page);

class NavigationHistory {
public:
    static constexpr size_t kMaxEntries = 200;

    // A page change: unless the history itself is moving the view (recording
    // off) or the address is the current entry, inserts it right after the
    // current entry and makes it current (the oldest entry drops beyond the
    // limit). True when an entry was added.
    bool Record(const std::string& address);

    // Moving through the history: the address of entry i, made current, with
    // recording turned off until Done() - the caller shows the address then
    // calls Done(). Nothing for an index out of range.
    std::optional<std::string> GoTo(int index);
    std::optional<std::string> Step(int delta) { return GoTo(current_ + delta); }
    void Done() { recording_ = true; }

    bool Recording() const { return recording_; }
    bool CanBack() const { return current_ > 0; }
    bool CanForward() const { return current_ >= 0 && size_t(current_ + 1) < entries_.size(); }
    int Current() const { return current_; }
    const std::deque<std::string>& Entries() const { return entries_; }
    void Clear();

private:
    std::deque<std::string> entries_;
    int current_ = -1;
    bool recording_ = true;
};

// Recently shown pages, newest first, without repeats (the "&Vai a pagina" submenu).
class RecentPages {
public:
    static constexpr size_t kMax = 10;
    void Add(int32_t page);
    const std::vector<int32_t>& Pages() const { return pages_; }
    void Clear() { pages_.clear(); }

private:
    std::vector<int32_t> pages_;
};

// The previous and next page of page `page` in its browse sequence: among the
// pages of its group (not free), the largest order number below its own, the
// smallest above it. The page's own number when there is none or its order
// number is negative; -1 when the page does not exist.
int32_t PreviousInSequence(const THQVset& set, int32_t page);
int32_t NextInSequence(const THQVset& set, int32_t page);

// The same answers for many pages at once: the pages of every group sorted by
// order number once, so that a site export asking for the neighbours of each
// of its pages does not scan the page list for each of them.
class BrowseSequences {
public:
    explicit BrowseSequences(const THQVset& set);
    int32_t Previous(int32_t page) const { return Step(page, false); }
    int32_t Next(int32_t page) const { return Step(page, true); }

private:
    struct Entry {
        int16_t group;
        int16_t order;
        int32_t page;
        auto operator<=>(const Entry&) const = default;
    };
    int32_t Step(int32_t page, bool next) const;

    const THQVset& set_;
    std::vector<Entry> entries_;  // pages with an order number >= 0, by group, order, page
};

// Page-number box: the number typed (negative numbers and non-numbers give 0).
int32_t PageNumberFromText(const std::string& text);
// "Pagina +1" and "Pagina -1": the page to show, or the same page when the step
// would leave 0 .. count-1.
int32_t PagePlusOne(int32_t page, int32_t count);
int32_t PageMinusOne(int32_t page);
// The page-number box is red at or beyond the page count.
inline bool PageNumberOutOfRange(int32_t page, int32_t count) { return page >= count; }

}  // namespace ovik::links
