// The history's hooks for the placed objects and page-local links of pages
// being edited: an undo entry names each placed object and link its markup
// holds by the object's identifier in the working copy (the number it was
// copied from), which survives the page being stored and built again, while
// control indexes and link-list indexes do not. Restoring finds the index the
// object has now, or makes it again from the stream the entry kept; a placed
// object an undone change had added leaves the text but keeps its control, so
// that a redo finds it again.
//
//   THQVundoList history(set);
//   ConnectPlacedObjects(history);   // once, by the editing view
#pragma once

#include "undo/undo.h"

namespace ovik {

void ConnectPlacedObjects(THQVundoList& history);

}  // namespace ovik
