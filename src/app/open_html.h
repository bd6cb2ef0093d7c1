// What opening an HTML file offers ("Apri"). A page this program exported
// carries a marker naming its hypertext and page: the user may then edit the
// page in that hypertext, open a copy of it, or copy the page, instead of
// importing the HTML, which loses some formatting. Without a marker the file
// is imported into this hypertext or into a new one, alone or with the pages
// it links to.
//
//   HtmlOpenPlan plan = PlanHtmlOpen("/site/x_000003.htm");
//   if (plan.marked) ... plan.MarkerText() ...
//   HtmlOpenChoice what = EffectiveChoice(HtmlOpenChoice::EditNative, plan.hypertextFound);
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ovik::app {

// The choices of the window, numbered as its two groups are.
enum class HtmlOpenChoice : int {
    ImportIntoCurrent = 0,  // "inserire la pagina nel corrente ipertesto, importandola"
    NewAndImport = 1,       // "aprire un nuovo ipertesto di cui questa sarà la prima pagina"
    NewFollowingLinks = 2,  // "editare un insieme di pagine (ipertesto) di cui questa pagina è l'indice"
    EditNative = 3,         // "editare questa pagina nel corrispondente ipertesto in formato nativo"
    CopyOfHypertext = 4,    // "aprire una copia del corrispondente ipertesto"
    NewWithPageCopy = 5,    // "aprire un nuovo ipertesto in cui la pagina scelta sarà copiata come prima pagina"
    PageCopyIntoCurrent = 6,  // "inserire la pagina scelta nel corrente ipertesto"
};

struct HtmlOpenPlan {
    std::filesystem::path file;       // the HTML file
    bool marked = false;              // it holds a page marker naming a hypertext
    std::filesystem::path hypertext;  // the hypertext the marker names, as found
    int32_t page = 0;                 // the page the marker names
    bool hypertextFound = false;

    // The window's text over the marked file's choices.
    std::string MarkerText() const;
};

// Reads the file's page marker. The hypertext is looked for where the marker
// says and, when it is not there (a site moved with its hypertext), beside
// the HTML file.
HtmlOpenPlan PlanHtmlOpen(const std::filesystem::path& file);

// A choice that needs the marker's hypertext falls back when the hypertext
// is missing: 3 and 4 become 2, 5 becomes 1, 6 becomes 0.
HtmlOpenChoice EffectiveChoice(HtmlOpenChoice chosen, bool hypertextFound);

// True when choosing `c` with the hypertext missing asks first whether to
// import the HTML instead ("L'ipertesto oVik corrispondente ...").
bool AsksBeforeFallback(HtmlOpenChoice c, bool hypertextFound);

inline constexpr const char* kHypertextMissingQuestion =
    "L'ipertesto oVik corrispondente alla pagina Html non è stato trovato. Per cercare l'ipertesto, scegliere No "
    "e poi Cerca. Per cercare di importare in qualche modo l'ipertesto dall'Html, scegliere Sì.";

}  // namespace ovik::app
