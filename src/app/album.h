// What the album and its windows do to a hypertext, without widgets: deleting
// objects with their references (found and cleared by app/references.h), new
// empty pages, and adding or replacing pictures and embedded files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "document/lifecycle.h"
#include "undo/undo.h"

namespace ovik::app {

// Deletes one object: its references go (RemoveAllReferencesTo), an embedded file's copy in the
// temporary folder is deleted and the object is made free. Page 0 is never
// deleted; nor is an object that is already free. Returns whether it was
// deleted.
bool DeleteObject(THQVset& set, THQVoggetto& o);

// Deletes the objects `ids` as one operation: the editing view (when given)
// stores and drops its page first, so that no working copy holds a reference
// that storing it would bring back; every reference to each object goes from
// every page (page 0 too) and custom object; then the objects are made free
// (never page 0), and the view shows its page again, read anew from the set.
// `done(i, deleted)` is told after each object. Returns what was deleted, by
// position in `ids`.
std::vector<bool> DeleteObjects(THQVset& set, const std::vector<int32_t>& ids, LinkedView* view = nullptr,
                                const std::function<void(size_t, bool)>& done = {});

// A new, empty page registered in the first free page slot; its number.
int32_t NewEmptyPage(THQVset& set);
// Replaces a picture's data by a picture file (as AddPictureData reads it).
// False when the file cannot be read or decoded. With `history` the change is
// recorded first ("Modifica immagine " and the picture's description).
bool ReplacePictureFrom(THQVset& set, THQVoggetto& picture, const std::filesystem::path& file,
                        THQVundoList* history = nullptr);

}  // namespace ovik::app
