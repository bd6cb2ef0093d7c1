// Slide sequences: each page names the page shown after it (its slide target,
// -1 ends the sequence) and how many seconds it stays on screen (its slide
// delay), so a sequence is a chain of pages, possibly closed into a ring.
//
// SlideList is what the slides window edits: the pages that follow a start
// page, one row each, written back into the page records by Write().
//
//   SlideList list(set, 3);   // the chain that follows page 3
//   list.Fill();
//   list.Add(7, 5);           // page 7 at the end, 5 seconds
//   list.Write();             // 3 -> ... -> 7
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ovik {
class THQVset;
}

namespace ovik::links {

struct SlideRow {
    int32_t page = -1;
    std::string delay;  // the "Tempo" column as the user typed it
};

class SlideList {
public:
    SlideList(THQVset& set, int32_t start) : set_(set), start_(start) {}

    int32_t Start() const { return start_; }
    const std::vector<SlideRow>& Rows() const { return rows_; }
    // The row of `page`, -1 when it has none.
    int RowOf(int32_t page) const;
    // The "Nome" column of a page: its description's short text.
    std::string Name(int32_t page) const;

    // The chain that follows the start page: each page up to one whose delay
    // is below 0 (the start page's own delay does not count), the end of the chain, the start page again (a ring) or a
    // page already listed (a loop that does not pass the start page).
    void Fill();
    // Adds `page` with `delay` seconds before row `before` (at the end when
    // out of range). The start page is never the first row; a page already
    // listed is not added again. Returns the row to select: the new row, the
    // page's existing row, or -1 when nothing was added.
    int Add(int32_t page, int delay, int before = -1);
    // "Tutte (0,1..)": every page after the start page, in number order.
    void AllFollowing(int delay);
    // "Tutte (A,B..)": every page of `pages`, in that order.
    void AllInOrder(const std::vector<int32_t>& pages, int delay);
    // Removes a row; returns the row to select then (the one that took its
    // place, else the previous one, -1 when the list is empty).
    int Remove(int row);
    // Swaps a row with its neighbour; returns where it is now.
    int MoveUp(int row);
    int MoveDown(int row);
    // Drags row `from` onto row `onto`; returns where it is now.
    int MoveRow(int from, int onto);
    void SetDelay(int row, const std::string& text);

    // "&Ok": the start page leads to the first row, each row takes its delay
    // (1 when the text is no number) and each but the last leads to the next
    // row. The last row's page keeps its target (a sequence shortened at its
    // end goes on where it went), and its delay is stored too, so that a page
    // the editor made (delay -1, which ends a list) stays in the list. An
    // empty list changes nothing. Marks the hypertext modified when something
    // was written.
    void Write();

private:
    bool IsPage(int32_t page) const;
    THQVset& set_;
    int32_t start_;
    std::vector<SlideRow> rows_;
};

// The delay a row's "Tempo" text stands for: a whole number from -1 to 10000,
// 1 when the text is no number.
int16_t SlideDelayOf(const std::string& text);

// The page the "next slide" command of `page` shows, -1 when none.
int32_t NextSlide(THQVset& set, int32_t page);
// Its caption: "Vai a prossima &diapositiva", with " (" description " @"
// number ")" when there is a next slide.
std::string NextSlideCaption(THQVset& set, int32_t page, const std::string& caption = "Vai a prossima &diapositiva");

}  // namespace ovik::links
