#include "page/thqv_par.h"

#include <functional>

#include "page/placed_objects.h"

namespace ovik {

namespace {
// Tables nested deeper than this are not walked (their text is still stored).
constexpr int kMaxWalkDepth = 64;
}  // namespace

THQVparag* THQVpar::Current() const {
    if (!list_ || index_ < 0 || size_t(index_) >= list_->size()) return nullptr;
    return (*list_)[size_t(index_)].get();
}

void THQVpar::SetIndex(int32_t index) {
    index_ = index;
    children_.clear();
    nextChild_ = 0;
    expanded_ = false;
}

void THQVpar::Next() { SetIndex(index_ + 1); }

bool THQVpar::ExpandChildren() {
    expanded_ = true;
    children_.clear();
    nextChild_ = 0;
    THQVparag* p = Current();
    if (!p) return false;
    for (PlacedObject* o : p->Objects()) {
        auto* table = dynamic_cast<PagePlacedObject*>(o);
        if (!table || !table->IsTable()) continue;
        for (int32_t c = 0; c < table->CellCount(); ++c)
            if (THQVbox* cell = table->Cell(c))
                children_.push_back(std::make_unique<THQVpar>(this, &cell->Paragraphs()));
    }
    return !children_.empty();
}

THQVpar* THQVpar::NextChild() {
    return nextChild_ < children_.size() ? children_[nextChild_++].get() : nullptr;
}

ParagraphWalk::ParagraphWalk(THQVbox& box)
    : top_(std::make_unique<THQVpar>(nullptr, &box.Paragraphs())), current_(top_.get()) {}

THQVparag* ParagraphWalk::Next() {
    while (current_) {
        if (!current_->Current()) {
            THQVpar* parent = current_->Parent();
            if (!parent) {
                current_ = nullptr;
                return nullptr;
            }
            --depth_;
            if (THQVpar* child = parent->NextChild()) {
                current_ = child;
                ++depth_;
                continue;
            }
            // Every cell was visited: now the paragraph that holds the tables.
            current_ = parent;
            THQVparag* p = current_->Current();
            current_->Next();
            return p;
        }
        if (!current_->Expanded() && depth_ < kMaxWalkDepth && current_->ExpandChildren()) {
            current_ = current_->NextChild();
            ++depth_;
            continue;
        }
        THQVparag* p = current_->Current();
        current_->Next();
        return p;
    }
    return nullptr;
}

bool ParagraphWalk::PositionAt(const THQVbox& box, int32_t paragraph) {
    // The path from the main box down to `box`: (list, paragraph index) per level.
    std::vector<std::pair<const ParagraphList*, int32_t>> path;
    std::function<bool(const ParagraphList&, int)> find = [&](const ParagraphList& list, int depth) {
        if (&list == &box.Paragraphs()) {
            path.emplace_back(&list, paragraph);
            return true;
        }
        if (depth >= kMaxWalkDepth) return false;
        for (size_t i = 0; i < list.size(); ++i) {
            for (PlacedObject* o : list[i]->Objects()) {
                auto* table = dynamic_cast<PagePlacedObject*>(o);
                if (!table || !table->IsTable()) continue;
                for (int32_t c = 0; c < table->CellCount(); ++c) {
                    THQVbox* cell = table->Cell(c);
                    if (!cell) continue;
                    path.emplace_back(&list, int32_t(i));
                    if (find(cell->Paragraphs(), depth + 1)) return true;
                    path.pop_back();
                }
            }
        }
        return false;
    };
    current_ = top_.get();
    depth_ = 0;
    top_->SetIndex(0);
    if (!find(*top_->List(), 0)) {
        top_->SetIndex(int32_t(top_->List()->size()));
        current_ = nullptr;
        return false;
    }
    // Re-descend, at each level dropping children until the one on the path.
    for (size_t level = 0; level < path.size(); ++level) {
        current_->SetIndex(path[level].second);
        if (level + 1 == path.size()) break;
        current_->ExpandChildren();
        THQVpar* child = current_->NextChild();
        while (child && child->List() != path[level + 1].first) child = current_->NextChild();
        if (!child) {
            current_ = nullptr;
            return false;
        }
        current_ = child;
        ++depth_;
    }
    // The paragraph at the position comes first, without its own cells.
    current_->MarkExpanded();
    return true;
}

int32_t ParagraphIndexInBox(const THQVparag& p) {
    const auto& list = p.Box().Paragraphs();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == &p) return int32_t(i);
    return -1;
}

}  // namespace ovik
