// The rows of an object list (THQVListView): every object of one kind that is
// shown, with its caption, size, file name and icon, and renaming from a row.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "document/hqv_set.h"

namespace ovik::app {

// The shell icon a row shows.
enum class RowIcon { None, TextFile, HtmlFile, MessageFile, Folder, OfFileName, IniFile, DsnFile };

struct ObjectRow {
    int32_t id = -1;
    std::string caption;   // "Titolo": the object's description, before its "|"
    std::string hint;      // the description's hint, after its "|"
    uint64_t size = 0;     // "Dimensione"
    std::string fileName;  // "Nome file"
    int32_t page = -1;     // the fourth column: pages only
    RowIcon icon = RowIcon::None;
};

// The size column: a page's content length; an embedded file's content
// length; a picture's in-memory content when it has one, else its stored
// length; content and wrapper for custom objects and database elements; 0
// for every other kind.
uint64_t ObjectSize(const THQVoggetto& o);
RowIcon IconOf(const THQVoggetto& o);

// The rows for kind `kind`, sorted by caption: free objects, links to other
// hypertexts (internet links in state 6) and database elements whose element
// type is not 11 are left out, and so is every object `filter` refuses.
std::vector<ObjectRow> ObjectRows(const THQVset& set, uint8_t kind,
                                  const std::function<bool(const THQVoggetto&)>& filter = {});

// Renames the object from an edited caption. A paragraph style takes the new
// name only when it differs from the old one ignoring case and no other style
// has it; every other kind takes it as typed (cut to the kind's length).
// Returns whether the name changed.
bool RenameObject(THQVset& set, THQVoggetto& o, const std::string& name);

}  // namespace ovik::app
