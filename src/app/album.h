// What the album and its windows do to a hypertext, without widgets: where an
// object is used, deleting objects with their references, new empty pages,
// and adding or replacing pictures and embedded files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document/hqv_set.h"

namespace ovik::app {

// Where an object is used.
struct Usage {
    std::vector<int32_t> pages;          // pages that refer to it
    std::vector<int32_t> customObjects;  // custom objects that refer to it
    bool hypertextDefault = false;       // the hypertext's header names it
    bool Unused() const { return pages.empty() && customObjects.empty() && !hypertextDefault; }
};

// A page refers to an object by an object tag in its content; to a picture
// also through a placement (kind 16) that shows it and through its background
// picture; to a page through its header and footer fields; to an embedded
// file through a multimedia object that plays it.
Usage WhereUsed(const THQVset& set, const THQVoggetto& o);
// The same, asking `stopRequested` before each object it examines and giving
// back what it found so far once that answers true.
Usage WhereUsed(const THQVset& set, const THQVoggetto& o, const std::function<bool()>& stopRequested);
// The lines the delete window shows for one object.
std::vector<std::string> UsageLines(const THQVset& set, const THQVoggetto& o, const Usage& u);

// Removes every reference to `o` from the pages, the custom objects and the
// header: its object tags (a link's tag together with the end of its span),
// the placements of a picture, background, header and footer fields.
void RemoveReferences(THQVset& set, const THQVoggetto& o);

// Deletes one object: its references go, an embedded file's copy in the
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
