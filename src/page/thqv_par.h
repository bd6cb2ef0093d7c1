// The paragraph walker: visits the paragraphs of a box and, depth first, those
// of every table cell nested in them.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "text/hqv_box.h"

namespace ovik {

using ParagraphList = std::vector<std::unique_ptr<THQVparag>>;

// One level of a walk: a paragraph list, the current paragraph, and the walkers
// of the table cells of the current paragraph.
class THQVpar {
public:
    THQVpar(THQVpar* owner, const ParagraphList* list) : owner_(owner), list_(list) {}

    const ParagraphList* List() const { return list_; }
    int32_t Index() const { return index_; }
    // The current paragraph, or null when the list is exhausted.
    THQVparag* Current() const;
    // Moves to the next paragraph and drops the children.
    void Next();
    // Moves to paragraph `index` (children dropped).
    void SetIndex(int32_t index);
    // Adds one child walker per cell of every table of the current paragraph,
    // rows outer and columns inner. True when at least one was added.
    bool ExpandChildren();
    bool Expanded() const { return expanded_; }
    void MarkExpanded() { expanded_ = true; }
    // The next child to visit, or null when all were visited.
    THQVpar* NextChild();
    THQVpar* Parent() const { return owner_; }

private:
    THQVpar* owner_;
    const ParagraphList* list_;
    int32_t index_ = 0;
    bool expanded_ = false;
    std::vector<std::unique_ptr<THQVpar>> children_;
    size_t nextChild_ = 0;
};

// A whole walk over a box: cells before the paragraph that holds their table,
// then that paragraph, then the paragraphs after it.
class ParagraphWalk {
public:
    explicit ParagraphWalk(THQVbox& box);

    // The next paragraph in walk order, or null when the walk is over.
    THQVparag* Next();
    // Positions the walk so that Next() gives paragraph `paragraph` of `box`
    // (the main box or a cell box nested in it). False (and an empty walk) when
    // the box cannot be reached.
    bool PositionAt(const THQVbox& box, int32_t paragraph);

    THQVpar* Top() const { return top_.get(); }
    THQVpar* CurrentWalker() const { return current_; }

private:
    std::unique_ptr<THQVpar> top_;
    THQVpar* current_;
    int depth_ = 0;
};

// The index of `p` in its box, or -1.
int32_t ParagraphIndexInBox(const THQVparag& p);

}  // namespace ovik
