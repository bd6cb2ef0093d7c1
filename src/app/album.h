// What the album and its windows do to a hypertext, without widgets: deleting
// objects with their references (found and cleared by app/references.h), new
// empty pages, and adding or replacing pictures and embedded files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/hqv_set.h"

namespace ovik::app {

// Deletes one object: its references go (RemoveAllReferencesTo), an embedded file's copy in the
// temporary folder is deleted and the object is made free. Page 0 is never
// deleted; nor is an object that is already free. Returns whether it was
// deleted.
bool DeleteObject(THQVset& set, THQVoggetto& o);

// A new, empty page registered in the first free page slot; its number.
int32_t NewEmptyPage(THQVset& set);
// Replaces a picture's data by a picture file (as AddPictureData reads it).
// False when the file cannot be read or decoded.
bool ReplacePictureFrom(THQVset& set, THQVoggetto& picture, const std::filesystem::path& file);

}  // namespace ovik::app
