// Where an object is referred to, and removing those references: what the
// delete window searches (on a thread of its own) and clears before objects
// go. Pages and custom objects are asked; a page also asks the objects its
// text names (tables, special links, markers, placed pictures, form elements,
// multimedia, database elements), and answers with the first reason that
// applies.
//
//   ConvertOldPages(set);                             // on the interface thread
//   auto lines = ReferenceLines(set, picture->Id());  // may run on any thread
//   RemoveAllReferencesTo(set, picture->Id());        // before the object goes
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "document/hqv_set.h"

namespace ovik::app {

// Why an object refers to another.
enum class Reason : int {
    None = 0,
    Text = 1,               // "nel testo"
    PageBackground = 2,     // "nello sfondo testo"
    TableBackground = 3,    // "nello sfondo di una tabella"
    HeaderOrFooter = 4,     // "come intestazione o piè di pagina"
    NextSlide = 5,          // "come diapositiva successiva"
    ScriptHtml = 6,         // "come script/html"
    MultimediaPicture = 7,  // "come immagine alternativa a multimedia"
    FloatingFrame = 8,      // "come/in cornice libera"
    Button = 9,             // "come/in bottone"
    SpecialLink = 10,       // "in collegamento speciale"
    ClickMap = 11,          // "in mappa cliccabile"
    WindowObject = 12,      // "in oggetto \"lancia finestra\""
    Prototype = 13,         // "in prototipo"
    Multimedia = 14,        // "in multimedia"
    CustomInstance = 15,    // "in oggetto personalizzato - istanza di prototipo"
    LocalDatabase = 16,     // "in oggetto DB locale"
};
// The text the delete window shows for a reason, in braces.
const char* ReasonText(Reason r);

// Converts the pages still in content format 1, which the searches below read
// as they are (converting may add objects, so it is not done by a search that
// runs beside the interface).
void ConvertOldPages(THQVset& set);

// The first reason why `o` (a page, a custom object, or an object a page's
// text names) refers to the object with identifier `id`; None when it does
// not. Only reads the set.
Reason RefersTo(const THQVset& set, const THQVoggetto& o, int32_t id);

// Removes from `o` every reference to `id`: placeholders in its extra HTML
// name nothing, tags of it leave the page text (a link's with the end of its
// span), link and picture fields become -1, a special link that leads to it
// loses its target, and a placed picture left without its picture is freed
// together with its tag.
void RemoveReferencesTo(THQVset& set, THQVoggetto& o, int32_t id);
// The hypertext properties: default header and footer, contents and cover
// page, default background picture.
void RemoveHypertextReferencesTo(THQVset& set, int32_t id);
// Both, over every page and custom object that is not free.
void RemoveAllReferencesTo(THQVset& set, int32_t id);

// The lines the delete window shows for one object: a title line, then one
// line per page or custom object that refers to it with the reason; or one
// line saying it seems unused. Empty when the object is missing or free, or
// when `stop` asked to stop meanwhile.
std::vector<std::string> ReferenceLines(const THQVset& set, int32_t id, const std::function<bool()>& stop = {});

}  // namespace ovik::app
