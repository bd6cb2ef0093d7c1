#include "links/slides.h"

#include <algorithm>
#include <charconv>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_record.h"

namespace ovik::links {

int16_t SlideDelayOf(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p != end || text.empty()) return 1;
    return int16_t(std::clamp(value, -1, 10000));
}

bool SlideList::IsPage(int32_t page) const {
    THQVtesto* p = set_.Page(page);
    return p && !p->IsFree();
}

int SlideList::RowOf(int32_t page) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].page == page) return int(i);
    return -1;
}

std::string SlideList::Name(int32_t page) const {
    THQVtesto* p = set_.Page(page);
    return p ? ShortText(Describe(*p)) : std::string();
}

void SlideList::Fill() {
    rows_.clear();
    int32_t current = start_;
    while (IsPage(current)) {
        PageRecord r{*set_.Page(current)};
        // A page whose delay is below 0 ends the list before it is listed. The
        // start page is never listed, and a page made by the editor has a delay
        // of -1: its sequence is shown all the same.
        if (r.SlideDelay() < 0 && current != start_) break;
        if (current != start_) rows_.push_back({current, std::to_string(r.SlideTarget() < 0 ? 0 : r.SlideDelay())});
        current = r.SlideTarget();
        // The chain ends, closes into a ring at the start page, or runs into a
        // page already listed: a loop that would never reach the start page.
        if (current < 0 || current == start_ || RowOf(current) >= 0) break;
    }
}

int SlideList::Add(int32_t page, int delay, int before) {
    if (!IsPage(page)) return -1;
    if (rows_.empty() && page == start_) return -1;
    if (int existing = RowOf(page); existing >= 0) return existing;
    const size_t at = before >= 0 && size_t(before) < rows_.size() ? size_t(before) : rows_.size();
    rows_.insert(rows_.begin() + ptrdiff_t(at), SlideRow{page, std::to_string(delay)});
    return int(at);
}

void SlideList::AllFollowing(int delay) {
    rows_.clear();
    for (int32_t n = start_ + 1; n < set_.ObjectCount(testoHtml); ++n) Add(n, delay);
}

void SlideList::AllInOrder(const std::vector<int32_t>& pages, int delay) {
    rows_.clear();
    for (int32_t n : pages) Add(n, delay);
}

int SlideList::Remove(int row) {
    if (row < 0 || size_t(row) >= rows_.size()) return -1;
    rows_.erase(rows_.begin() + row);
    if (rows_.empty()) return -1;
    return std::min(row, int(rows_.size()) - 1);
}

int SlideList::MoveUp(int row) {
    if (row <= 0 || size_t(row) >= rows_.size()) return row;
    std::swap(rows_[size_t(row)], rows_[size_t(row - 1)]);
    return row - 1;
}

int SlideList::MoveDown(int row) {
    if (row < 0 || size_t(row) + 1 >= rows_.size()) return row;
    std::swap(rows_[size_t(row)], rows_[size_t(row + 1)]);
    return row + 1;
}

int SlideList::MoveRow(int from, int onto) {
    const int n = int(rows_.size());
    if (from < 0 || from >= n || onto < 0 || onto >= n || from == onto) return from;
    // The copy goes after the target when the row came from above it, else
    // before it; then the dragged row goes.
    const SlideRow moved = rows_[size_t(from)];
    const int insertAt = from < onto ? onto + 1 : onto;
    rows_.insert(rows_.begin() + insertAt, moved);
    const int removeAt = from < insertAt ? from : from + 1;
    rows_.erase(rows_.begin() + removeAt);
    return removeAt < insertAt ? insertAt - 1 : insertAt;
}

void SlideList::SetDelay(int row, const std::string& text) {
    if (row >= 0 && size_t(row) < rows_.size()) rows_[size_t(row)].delay = text;
}

void SlideList::Write() {
    if (rows_.empty() || !IsPage(start_)) return;
    PageRecord{*set_.Page(start_)}.SetSlideTarget(rows_.front().page);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!IsPage(rows_[i].page)) continue;
        PageRecord r{*set_.Page(rows_[i].page)};
        r.SetSlideDelay(SlideDelayOf(rows_[i].delay));
        // The last row's page keeps leading where it led.
        if (i + 1 < rows_.size()) r.SetSlideTarget(rows_[i + 1].page);
    }
    set_.SetModified(true);
}

int32_t NextSlide(THQVset& set, int32_t page) {
    THQVtesto* p = set.Page(page);
    if (!p || p->IsFree()) return -1;
    const int32_t target = PageRecord{*p}.SlideTarget();
    THQVtesto* t = target >= 0 ? set.Page(target) : nullptr;
    return t && !t->IsFree() ? target : -1;
}

std::string NextSlideCaption(THQVset& set, int32_t page, const std::string& caption) {
    const int32_t next = NextSlide(set, page);
    if (next < 0) return caption;
    return caption + " (" + ShortText(Describe(*set.Page(next))) + " @" + std::to_string(next) + ")";
}

}  // namespace ovik::links
