#include "app/open_html.h"

#include "convert/hqv_to_html.h"
#include "core/codepage.h"

namespace ovik::app {

namespace fs = std::filesystem;

std::string HtmlOpenPlan::MarkerText() const {
    std::string text = "Questa pagina html deriva dall'ipertesto  \"" + hypertext.string() + "\"";
    if (hypertextFound)
        return text + ": oVik utilizzerà la pagina in formato nativo, prelevandola dall'ipertesto. ";
    return text +
           ", che oVik non riesce a trovare: è consigliabile scegliere Cerca per cercarlo. Editando l'Html per "
           "conto suo vanno perse alcune caratteristiche di formattazione.";
}

HtmlOpenPlan PlanHtmlOpen(const fs::path& file) {
    HtmlOpenPlan plan;
    plan.file = file;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return plan;
    const PageMarker m = THQVtoHtml::ReadPageMarker(file);
    if (m.hypertext.empty()) return plan;
    plan.marked = true;
    plan.page = m.page;
    fs::path named(cp1252::ToUtf8(m.hypertext));
    if (named.is_relative()) named = file.parent_path() / named;
    plan.hypertext = named.lexically_normal();
    if (fs::is_regular_file(plan.hypertext, ec)) {
        plan.hypertextFound = true;
        return plan;
    }
    const fs::path beside = file.parent_path() / named.filename();
    if (fs::is_regular_file(beside, ec)) {
        plan.hypertext = beside;
        plan.hypertextFound = true;
    }
    return plan;
}

HtmlOpenChoice EffectiveChoice(HtmlOpenChoice chosen, bool hypertextFound) {
    if (hypertextFound) return chosen;
    switch (chosen) {
        case HtmlOpenChoice::EditNative:
        case HtmlOpenChoice::CopyOfHypertext: return HtmlOpenChoice::NewFollowingLinks;
        case HtmlOpenChoice::NewWithPageCopy: return HtmlOpenChoice::NewAndImport;
        case HtmlOpenChoice::PageCopyIntoCurrent: return HtmlOpenChoice::ImportIntoCurrent;
        default: return chosen;
    }
}

bool AsksBeforeFallback(HtmlOpenChoice c, bool hypertextFound) {
    return !hypertextFound && (c == HtmlOpenChoice::EditNative || c == HtmlOpenChoice::CopyOfHypertext);
}

}  // namespace ovik::app
