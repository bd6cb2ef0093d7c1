// Copying a page's text into the page being edited, from this hypertext or
// from another one: the source page is read as objects data (its text, the
// page-local links, the placed objects with the links and pictures they name,
// the paragraph styles) and pasted at the caret as one editing action. The
// links become page-local links of the target page, the placed objects new
// controls of it, and pictures and styles from another hypertext are added to
// the target's (an equal one already there is used instead).
//
//   PageObjectsHost host(page, *page.WorkingCopy());
//   ReadObjectsData(editor, data, "Inserimento da Cartella appunti", false, &host);
//   CopyPageInto(page, editor, *other.Page(3), /*withBackground=*/true);
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "page/thqv_page.h"
#include "text/editing.h"

namespace ovik {

// Objects data for a page open for editing: links in its working copy's
// page-local list, placed objects as controls of the page.
class PageObjectsHost : public ObjectsDataHost {
public:
    PageObjectsHost(THQVpage& page, PageWorkingCopy& wc) : page_(page), wc_(wc) {}
    THQVoggetto* PageLink(int32_t linkValue) override;
    int32_t AddPageLink(std::unique_ptr<THQVoggetto> link) override;
    int32_t CreateControl(std::unique_ptr<THQVoggetto> object) override;

private:
    THQVpage& page_;
    PageWorkingCopy& wc_;
};

// The objects data of the whole text of `source` (a registered page of any
// hypertext), without its header and footer.
Bytes PageObjectsData(THQVtesto& source, platform::TextMeasurer& measurer);

// An object of `into` equal to `o` (an object of any hypertext), or a copy of
// `o` registered in `into`. Null when it cannot be registered.
THQVoggetto* AdoptObject(THQVset& into, const THQVoggetto& o);

inline constexpr const char* kCopyPageUndoText = "Copio pagina da preesistente";

// Pastes the whole text of `source` at the caret of `editor` (whose box is the
// main box of `target`) as one editing action; with `withBackground` the
// source's background colour, picture and fixed flag are given to the target
// page too. False when the page could not be read or pasted.
bool CopyPageInto(THQVpage& target, BoxEditor& editor, THQVtesto& source, bool withBackground,
                  const std::string& undoText = kCopyPageUndoText);

// The same for a stored page no view is editing: page `number` of `set` is
// opened, the copy pasted at its start and the page stored again. No undo
// entry is made. False when the page does not exist or nothing was pasted.
bool CopyPageIntoStored(THQVset& set, int32_t number, THQVtesto& source, bool withBackground,
                        platform::TextMeasurer& measurer);

}  // namespace ovik
