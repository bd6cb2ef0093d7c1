#include "links/link_objects.h"

#include "core/bytes.h"
#include "document/hqv_set.h"
#include "links/link_address.h"

namespace ovik::links {

// --- special links -----------------------------------------------------------------------

std::string SpecialLink::ImportPath() const {
    Bytes c;
    if (!o.ReadContent(c)) return "";
    std::string s(c.begin(), c.end());
    if (size_t z = s.find('\0'); z != std::string::npos) s.resize(z);
    return s;
}

void SpecialLink::SetImportPath(std::string_view path) { o.SetContent(Bytes(path.begin(), path.end())); }

std::unique_ptr<THQVoggetto> NewSpecialLink(THQVset& set, uint8_t subtype) {
    auto s = set.NewObject(speclink);
    SpecialLink l{*s};
    l.SetSubtype(subtype);
    l.SetAnchor(-1);
    l.SetTarget(-1);
    l.SetDisplayMode(0);
    l.SetAction(kActJump);
    l.SetWindowName("");
    return s;
}

std::array<uint8_t, 22> WindowData::Encode() const {
    std::array<uint8_t, 22> b{};
    const int16_t v[6] = {left, top, width, height, screenX, screenY};
    for (int i = 0; i < 6; ++i) PutU16(&b[size_t(2 * i)], uint16_t(v[i]));
    const bool flags[10] = {false, dependent, false, fullScreen, addressBar,
                            menuBar, resizable, scrollBars, statusBar, toolBar};
    for (int i = 0; i < 10; ++i) b[size_t(12 + i)] = flags[i] ? 1 : 0;
    return b;
}

WindowData WindowData::Decode(const uint8_t* p, size_t size) {
    WindowData d;
    if (!p || size < 22) return d;
    d.left = GetI16(p);
    d.top = GetI16(p + 2);
    d.width = GetI16(p + 4);
    d.height = GetI16(p + 6);
    d.screenX = GetI16(p + 8);
    d.screenY = GetI16(p + 10);
    d.dependent = p[13] != 0;
    d.fullScreen = p[15] != 0;
    d.addressBar = p[16] != 0;
    d.menuBar = p[17] != 0;
    d.resizable = p[18] != 0;
    d.scrollBars = p[19] != 0;
    d.statusBar = p[20] != 0;
    d.toolBar = p[21] != 0;
    return d;
}

WindowData ReadWindowData(const THQVoggetto& special) {
    Bytes c;
    if (!special.ReadContent(c)) return {};
    return WindowData::Decode(c.data(), c.size());
}

void WriteWindowData(THQVoggetto& special, const WindowData& data) {
    auto b = data.Encode();
    special.SetContent(Bytes(b.begin(), b.end()));
}

// --- anchors -------------------------------------------------------------------------------

std::unique_ptr<THQVoggetto> NewAnchor(THQVset& set, int32_t number) {
    auto a = set.NewObject(shortObj);
    a->SetState(kAnchorSubtype);
    a->SetI32(5, number);
    return a;
}

// --- descriptions ----------------------------------------------------------------------------

const char* DisplayModeText(uint8_t mode) {
    return mode == 1 ? "l'insieme cornici" : "la pagina singola";
}

std::string ShortText(std::string_view d) {
    size_t bar = d.find('|');
    return std::string(bar == std::string_view::npos ? d : d.substr(0, bar));
}

std::string HintText(std::string_view d) {
    size_t bar = d.find('|');
    return std::string(bar == std::string_view::npos ? d : d.substr(bar + 1));
}

namespace {

constexpr const char* kUndefined = "Non definito.";

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string DescribeAt(const THQVoggetto& o, int depth);

std::string DescribeAddress(const THQVoggetto& o) {
    const std::string address = o.Name();
    switch (AddressStateOf(address)) {
        case kAddressHypertext: {
            std::string file = address, title;
            if (o.Owner()) {
                OvikAddress a = ParseOvikAddress(*o.Owner(), address);
                file = a.fileText;
                int32_t page = a.page;
                if (page >= 0) title = THQVset::ReadForeignTitle(a.file, MakeId(testoHtml, page));
                if (title.empty()) title = std::to_string(page < 0 ? 0 : page);
            }
            const std::string shown = file + " Pag.:" + title;
            return shown + "|Collegamento a ipertesto: " + shown;
        }
        case kAddressMail: {
            std::string mail = address.substr(7);
            return mail + "|Collegamento a e-mail: " + mail;
        }
        default: return address + "|Collegamento a: " + address;
    }
}

std::string DescribeSpecial(const THQVoggetto& o, int depth) {
    SpecialLink s{const_cast<THQVoggetto&>(o)};
    switch (s.Subtype()) {
        case kSpecKeywords: return "Parole chiave|Collegamento a: finestra parole chiave";
        case kSpecPrevious: return "pagina precedente|Collegamento a: pagina precedente";
        case kSpecNext: return "pagina successiva|Collegamento a: pagina successiva";
        case kSpecAutoImport: return "Auto import:" + s.ImportPath();
        case kSpecCloseWindow:
            if (s.Anchor() == kCloseMainWindow)
                return "Chiudi finestra|Qui si chiude la finestra principale";
            return "Chiudi finestra|Qui si chiude la finestra " + Quoted(s.WindowName());
        default: break;
    }
    std::string targetText, hint;
    const int32_t target = s.Target();
    if (target >= 0) {
        const THQVoggetto* t = o.Owner() ? o.Owner()->GetObjectById(target) : nullptr;
        std::string d = (t && depth < 4) ? DescribeAt(*t, depth + 1) : kUndefined;
        targetText = ShortText(d);
        hint = HintText(d);
    }
    std::string text;
    const uint8_t action = s.Action();
    if (action == kActAnchorInPage) {
        text = "Qui si salta all'interno della pagina corrente, all'ancora: ";
    } else {
        text = "Qui si ";
        switch (action) {
            case kActReplaceFrame: text += "rimpiazza la cornice corrente con"; break;
            case kActNamedFrame: text += "rimpiazza la cornice " + Quoted(s.WindowName()) + " con"; break;
            case kActSeparateWindow: text += "crea in finestra separata " + Quoted(s.WindowName()) + " "; break;
            case kActNewBrowser: text += "crea nuovo browser"; break;
            case kActPopup: text += "crea in popup " + Quoted(s.WindowName()) + " "; break;
            default: text += "salta al"; break;
        }
        text += std::string(" ") + DisplayModeText(s.DisplayMode()) + ": " + hint;
    }
    if (s.Anchor() >= 0) text += " #a" + std::to_string(s.Anchor());
    if (target >= 0) text += " @" + std::to_string(IdNumber(target));
    return targetText + "|" + text;
}

std::string DescribeAt(const THQVoggetto& o, int depth) {
    if (o.IsFree()) return kUndefined;
    switch (o.Kind()) {
        case testoHtml: {
            const std::string title = o.Name();
            return title + "|Collegamento a: " + title + " (" + std::to_string(o.Number()) + ")";
        }
        case internetLink: return DescribeAddress(o);
        case zipLink:
        case genLink: return o.FileName() + "|Collegamento a file: " + o.FileName();
        case speclink: return DescribeSpecial(o, depth);
        case shortObj:
            if (IsAnchor(o)) return "Ancora: a" + std::to_string(AnchorNumberOf(o));
            return o.Name();
        case immagine: return "Immagine: " + o.Name();
        default: return o.Name();
    }
}

}  // namespace

std::string Describe(const THQVoggetto& o) { return DescribeAt(o, 0); }

}  // namespace ovik::links
