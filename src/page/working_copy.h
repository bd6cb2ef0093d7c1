// The working copy of a page: what editing works on instead of the stored page.
//
// Opening copies the page and every object its content names, translates the
// object tags into local form (links: kind 0x6F + index in the page-local link
// list; placed objects: kind 0xFF + index, first in the pending list, then in
// the page's index list once their controls exist) and opens the header and
// footer pages the same way. Storing translates everything back, registers the
// objects in the set again and the page under its number.
//
//   auto wc = OpenForEditing(*set.Page(3), false);   // working copy
//   page.BuildBox(*wc);                               // THQVpage: controls and box
//   StorePage(*wc, &page, 3, /*raiseRevision=*/true); // back into the set
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/format1.h"
#include "document/hqv_object.h"
#include "page/placed_objects.h"

namespace ovik {

class THQVbox;
class THQVset;

// A placed object whose control is still to be created, with the position of
// its tag in the working copy's content.
struct PendingPlacedObject {
    WorkingObject working;
    size_t tagPosition = 0;
};

class PageWorkingCopy {
public:
    PageWorkingCopy() = default;
    PageWorkingCopy(const PageWorkingCopy&) = delete;
    PageWorkingCopy& operator=(const PageWorkingCopy&) = delete;

    // The copy the box is built from; after a new page is stored the set owns it.
    THQVtesto& Page() const { return *page_; }
    THQVset* Set() const { return page_->Owner(); }
    // The stored page it was copied from (null for a new page) and its number.
    THQVtesto* stored = nullptr;
    int32_t storedNumber = -1;
    bool asHeaderOrFooter = false;

    std::unique_ptr<PageWorkingCopy> header, footer;
    // Page-local links (kinds internetLink, speclink, shortObj) by index.
    std::vector<WorkingObject> localLinks;
    std::vector<PendingPlacedObject> pending;
    // The page's main box once built (owned by the page view).
    THQVbox* box = nullptr;

    // Frees the header and footer copies.
    void FreeHeaderAndFooter() {
        header.reset();
        footer.reset();
    }

private:
    friend std::unique_ptr<PageWorkingCopy> OpenForEditing(THQVtesto&, bool);
    friend std::unique_ptr<PageWorkingCopy> WorkOnNewPage(std::unique_ptr<THQVtesto>);
    friend bool StorePage(PageWorkingCopy&, PlacedObjectIndex*, int32_t, bool);
    std::unique_ptr<THQVtesto> owned_;
    THQVtesto* page_ = nullptr;
};

// Opens `page` (a page of its set) for editing. With `asHeaderOrFooter` its
// placed objects are inactive and no header or footer copies are made.
std::unique_ptr<PageWorkingCopy> OpenForEditing(THQVtesto& page, bool asHeaderOrFooter);
// Edits a new page that is not registered yet: the page itself is the copy.
std::unique_ptr<PageWorkingCopy> WorkOnNewPage(std::unique_ptr<THQVtesto> page);

// Makes the link fields of the page-local links themselves local: a special
// link reached through a placed object's field still names its target by
// identifier, which means nothing outside its hypertext. Each object named is
// copied once, so chains that loop end.
void MakeLinkChainsLocal(PageWorkingCopy& wc);

// Stores the working copy under `number` (-1 = a new number): writes the box's
// text into the content, translates the tags (placed objects through
// `controls`), registers the objects and the page, gives an untitled page its
// automatic title and, with `raiseRevision`, raises the revision. Returns false
// when the page could not be registered.
bool StorePage(PageWorkingCopy& wc, PlacedObjectIndex* controls, int32_t number,
               bool raiseRevision);

// Calls fn(position, value) for every "<$" object tag of a content (up to its
// first zero byte); the eight digits stand at position + 2.
template <class Fn>
void ForEachObjectTag(const Bytes& content, Fn&& fn) {
    const uint8_t* p = content.data();
    size_t n = 0;
    while (n < content.size() && p[n] != 0) ++n;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (p[i] != '<' || p[i + 1] != '$') continue;
        if (n - i < 11) break;
        fn(i, ParseTagDigits(p + i + 2));
        i += 10;
    }
}
}  // namespace ovik
