// The link commands of the editor on the page being edited: linking the
// selection to a target, a self link, special links, anchors and linking a
// click zone to the last anchor inserted.
//
//   LinkSelection(page, editor, set.Page(4), msgs);        // a page
//   LinkSelection(page, editor, address.get(), msgs);      // a link address (copied page-locally)
//   int32_t a = InsertAnchor(page, editor);                // next free number
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ovik {
class THQVset;
class THQVoggetto;
class THQVpage;
class THQVbox;
class BoxEditor;
class PlacedObject;
namespace platform {
class Messages;
}
}  // namespace ovik

namespace ovik::links {

inline constexpr const char* kSelectFirst = "Seleziona prima un'immagine o un blocco di testo!";
inline constexpr const char* kNoZoneSelected = "Problem detected #3. (Definiscicollancora1)";

// The selection of a box as plain text (Windows-1252; paragraphs joined by
// "\n", placed objects left out). Empty without a selection.
std::string SelectionText(const THQVbox& box);
// True when the box has a selection holding at least one character.
bool HasSelection(const THQVbox& box);

// The link value a span of the page gets for `target`: a page or an embedded
// file by identifier; a link address, special link or marker as a page-local
// copy (an address equal to one the page holds already reuses it). -1 for
// other kinds.
int32_t LinkValueFor(THQVpage& page, const THQVoggetto& target);
// The same for a new, unregistered link object the page takes.
int32_t LinkValueFor(THQVpage& page, std::unique_ptr<THQVoggetto> target);

// The link value at the caret (or at the start of the selection), -1 for none:
// the state of the link button.
int32_t LinkAtSelection(const THQVbox& box);

// Selects the whole run of characters around the point (x, y) of the box
// that holds the same link as the character under it: the span a link menu
// works on. Returns that link value, -1 (nothing selected) without a link.
int32_t SelectLinkUnder(BoxEditor& editor, int32_t x, int32_t y);

// Links the selection to `target`, or removes links from it when `target` is
// null. Without a selection: kSelectFirst. True when the text changed.
bool LinkSelection(THQVpage& page, BoxEditor& editor, const THQVoggetto* target,
                   platform::Messages& messages);
// Links the selection to a new link object (a special link from its window).
bool LinkSelection(THQVpage& page, BoxEditor& editor, std::unique_ptr<THQVoggetto> target,
                   platform::Messages& messages);
// The selected text becomes a link address and the selection links to it.
bool SelfLink(THQVpage& page, BoxEditor& editor, platform::Messages& messages);
// Inserts an anchor marker at the caret with `number`, or the page's next free
// anchor number when it is negative. Returns the number (-1 when nothing was inserted).
int32_t InsertAnchor(THQVpage& page, BoxEditor& editor, int32_t number = -1);
// A special link leading to anchor `anchor` of the page with identifier
// `pageId` (what the link window makes of a page with an anchor chosen).
std::unique_ptr<THQVoggetto> PageAnchorLink(THQVset& set, int32_t pageId, int32_t anchor);
// The identifier a click zone of `page` stores to lead to `target` (a page,
// at `anchor` when >= 0, an address, a file...): link objects the page does
// not hold yet get a page-local copy. -1 when `target` cannot be linked.
int32_t ZoneLinkValue(THQVpage& page, const THQVoggetto& target, int32_t anchor = -1);
// Links zone `zone` of the placed picture `picture` to a new special link
// (action 6) to anchor `lastAnchor`, as one undoable change. Without a
// picture or zone: kNoZoneSelected.
bool LinkZoneToLastAnchor(THQVpage& page, PlacedObject* picture, int32_t zone, int32_t lastAnchor,
                          platform::Messages& messages);

}  // namespace ovik::links
