// A hypertext exported as a site and imported back by following its links
// from the cover page: pages, texts, styles, links, anchors, pictures with
// their zones, tables, keywords and slides come back, and exporting the imported
// hypertext writes the same page files but for the marker's file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "convert/auto_imports.h"
#include "convert/hqv_from_html.h"
#include "convert/hqv_to_html.h"
#include "document/hqv_set.h"
#include "document/keywords.h"
#include "document/picture.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "page/placed_picture.h"
#include "platform/messages.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"
#include "text/text_attributes.h"

namespace ovik {
namespace {

namespace fs = std::filesystem;
using testing::Content;
using testing::Tag;
using testing::TempDir;

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

// What a reader of a page sees of it, in a form two hypertexts can be
// compared by: paragraphs (style name, font, text), and what each object tag
// names, described by content rather than by number.
struct PageView {
    std::string title, slide;
    std::vector<std::string> paragraphs, objects, keywords;
    bool operator==(const PageView&) const = default;
};

void PrintTo(const PageView& v, std::ostream* os) {
    *os << v.title << " slide " << v.slide << "\n";
    for (auto& p : v.paragraphs) *os << "  P " << p << "\n";
    for (auto& o : v.objects) *os << "  O " << o << "\n";
    for (auto& k : v.keywords) *os << "  K " << k << "\n";
}

std::string PageTitle(THQVset& set, int32_t id) {
    THQVoggetto* o = set.GetObjectById(id);
    return o && o->Kind() == testoHtml ? "page:" + PageRecord(*static_cast<THQVtesto*>(o)).Title() : "?";
}

std::string Describe(THQVset& set, THQVoggetto& o) {
    switch (o.Kind()) {
        case testoHtml: return "link to " + PageTitle(set, o.Id());
        case internetLink: return "address " + o.Name();
        case speclink: {
            links::SpecialLink l{o};
            return "special " + std::to_string(l.Subtype()) + " action " + std::to_string(l.Action()) +
                   " window '" + l.WindowName() + "' anchor " + std::to_string(l.Anchor()) + " to " +
                   (l.Action() == links::kActAnchorInPage ? "this page" : PageTitle(set, l.Target()));
        }
        case shortObj:
            if (links::IsAnchor(o)) return "anchor " + std::to_string(links::AnchorNumberOf(o));
            return "marker " + std::to_string(o.State());
        case immagineNew: {
            std::string s = "picture ";
            THQVoggetto* pic = set.GetObject(immagine, o.I32(0));
            Bytes bytes;
            if (pic) pic->ReadContent(bytes);
            s += std::to_string(bytes.size()) + " bytes " + std::to_string(std::hash<std::string>()(Str(bytes))) +
                 " shown " + std::to_string(o.I16(19)) + "x" + std::to_string(o.I16(21));
            for (int z = 0; z < ZoneSlot::kCount; ++z) {
                ZoneSlot slot = ZoneSlot::Read(o, z);
                if (slot.link == -1) continue;
                THQVoggetto* target = set.GetObjectById(slot.link);
                s += " zone " + std::to_string(slot.left) + "," + std::to_string(slot.top) + "," +
                     std::to_string(slot.width) + "," + std::to_string(slot.height) + " -> " +
                     (target ? Describe(set, *target) : "?");
            }
            return s;
        }
        case tabellaHtml:
            return "table " + std::to_string(o.U8(93)) + "x" + std::to_string(o.U8(94));
        default: return "kind " + std::to_string(o.Kind());
    }
}

PageView View(THQVset& set, int32_t number) {
    PageView v;
    THQVtesto* page = set.Page(number);
    if (!page) return v;
    PageRecord r(*page);
    v.title = r.Title();
    if (THQVtesto* next = r.SlideTarget() >= 0 ? set.Page(r.SlideTarget()) : nullptr)
        v.slide = PageRecord(*next).Title() + " after " + std::to_string(r.SlideDelay()) + " s";
    for (int k = 0; k < 20; ++k)
        if (THQVoggetto* kw = r.Keyword(k) >= 0 ? set.GetObject(keyword, r.Keyword(k)) : nullptr)
            v.keywords.push_back(kw->Name());
    Bytes c;
    page->ReadContent(c);
    const std::string m(reinterpret_cast<const char*>(c.data()), strnlen(reinterpret_cast<const char*>(c.data()), c.size()));
    std::string para, face;
    int size = 0, bits = 0;
    auto flush = [&] {
        if (!para.empty() || !v.paragraphs.empty()) v.paragraphs.push_back(para);
    };
    for (size_t i = 0; i < m.size(); ++i) {
        if (m[i] != '<') {
            para += m[i];
            continue;
        }
        const size_t end = m.find('>', i);
        const std::string tag = m.substr(i, end - i + 1);
        i = end;
        if (tag.rfind("<Z S", 0) == 0) {
            flush();
            const int32_t s = std::stoi(tag.substr(4));
            THQVoggetto* style = set.GetObject(stileParagrafo, s);
            para = "[" + (style ? style->Name() + " " + StyleFace(style) + " " +
                                      std::to_string(StyleValue(style, Attr::Size))
                                : std::string("?")) + "] ";
            // Each paragraph starts with its style's font.
            face = StyleFace(style);
            size = StyleValue(style, Attr::Size);
            bits = StyleValue(style, Attr::Style);
        } else if (tag == "<T>") {
            para += "|";
        } else if (tag.rfind("<$", 0) == 0) {
            THQVoggetto* o = set.GetObjectById(int32_t(std::stoul(tag.substr(2, 8), nullptr, 16)));
            v.objects.push_back(o ? Describe(set, *o) : "missing");
            para += "{obj}";
        } else if (tag.rfind("<Y ", 0) == 0) {
            // Runs are compared by their look, however many font tags say it.
            size_t f = tag.find(" F\"");
            std::string nf = f == std::string::npos ? face : tag.substr(f + 3, tag.find('"', f + 3) - f - 3);
            size_t s = tag.find(" s"), y = tag.find(" y");
            int ns = s == std::string::npos ? size : std::stoi(tag.substr(s + 2));
            int ny = y == std::string::npos ? bits : std::stoi(tag.substr(y + 2));
            if (nf != face || ns != size || ny != bits) {
                face = nf, size = ns, bits = ny;
                para += "{" + face + " " + std::to_string(size) + " " + std::to_string(bits) + "}";
            }
        }
    }
    flush();
    // A font change at the very end of a paragraph shows nothing.
    for (std::string& p : v.paragraphs)
        while (!p.empty() && p.back() == '}') {
            size_t open = p.rfind('{');
            if (open == std::string::npos || p.compare(open, 5, "{obj}") == 0) break;
            p.erase(open);
        }
    return v;
}

struct HtmlRoundTrip : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset src{msgs};
    TempDir dir;

    void SetUp() override {
        src.NewHypertext();
        src.SetExpPrefix("qzx");
    }
    THQVtesto* Page(const std::string& title) {
        auto* p = static_cast<THQVtesto*>(src.AddNewObject(testoHtml));
        PageRecord(*p).SetTitle(title);
        PageRecord(*p).SetHeaderPage(kNoHeaderPage);
        PageRecord(*p).SetFooterPage(kNoHeaderPage);
        return p;
    }
    THQVoggetto* Special(int32_t target, uint8_t action, int32_t anchor = -1, const std::string& window = "") {
        auto s = links::NewSpecialLink(src, links::kSpecGoTo);
        links::SpecialLink l{*s};
        l.SetTarget(target);
        l.SetAction(action);
        l.SetAnchor(anchor);
        l.SetWindowName(window);
        return THQVoggetto::Register(s, -1);
    }

    // Saves the hypertext (pages carry its name in their marker), exports
    // every page into `folder` and returns the cover page's file.
    fs::path Export(THQVset& set, const fs::path& file, const fs::path& folder) {
        EXPECT_TRUE(set.SaveHypertext(file));
        THQVtoHtml conv(&set);
        conv.ExpTipoExt = 0;
        conv.ExportPath = folder;
        std::vector<int32_t> pages;
        for (int32_t i = 0; i < set.ObjectCount(testoHtml); ++i) pages.push_back(i);
        EXPECT_TRUE(conv.ExportPages(pages)) << conv.LastError;
        return folder / (set.ExpPrefix() + "_index.htm");
    }

    // The page files of a folder, each with its marker line taken out and the
    // export prefix replaced, by name.
    static std::map<std::string, std::string> Files(const fs::path& folder, const std::string& prefix) {
        std::map<std::string, std::string> out;
        for (auto& e : fs::directory_iterator(folder)) {
            std::string name = e.path().filename().string();
            std::string text = Str(testing::ReadFileBytes(e.path()));
            for (size_t at; (at = text.find(prefix)) != std::string::npos;) text.replace(at, prefix.size(), "PFX");
            if (size_t m = text.find("<!--pageoVik="); m != std::string::npos)
                text.erase(m, text.find('\n', m) - m);
            out[name.replace(0, prefix.size(), "PFX")] = text;
        }
        return out;
    }
};

TEST_F(HtmlRoundTrip, ExportedSiteImportsBackAsItWas) {
    // A named style with its own font.
    THQVoggetto* titolo = src.AddNewObject(stileParagrafo);
    titolo->SetName("Titolo");
    SetStyleFace(*titolo, "Arial");
    SetStyleValue(*titolo, Attr::Size, 20);
    SetStyleValue(*titolo, Attr::Style, 1);
    SetStyleValue(*titolo, Attr::Align, 2);
    const std::string T = "<Z S" + std::to_string(titolo->Number()) + " >";

    THQVtesto* cover = Page("Copertina");
    THQVtesto* second = Page("Seconda & <ultima>");
    THQVtesto* third = Page("Terza");

    // A picture with a zone that leads to the third page.
    DecodedPicture bitmap;
    bitmap.width = 12;
    bitmap.height = 8;
    for (int i = 0; i < 12 * 8; ++i) bitmap.rgba.insert(bitmap.rgba.end(), {uint8_t(i * 3), 0x33, 0x66, 0xFF});
    Bytes gif;
    ASSERT_TRUE(EncodeGif(bitmap, gif));
    testing::WriteFileBytes(dir / "disegno.gif", gif);
    THQVoggetto* pic = src.AddPictureFile(dir / "disegno.gif");
    ASSERT_NE(pic, nullptr);
    THQVoggetto* placed = testing::PlacedPicture(src, pic->Number());
    ZoneSlot{third->Id(), 0, 2, 1, 6, 5}.Write(*placed, 0);

    // A table of two rows and two columns.
    THQVoggetto* t = src.AddNewObject(tabellaHtml);
    t->SetU8(4, 2);
    t->SetU8(89, 100);
    t->SetU8(90, 1);
    t->SetU8(91, 2);
    t->SetU8(92, 2);
    t->SetU8(93, 2);
    t->SetU8(94, 2);
    t->SetU8(5, 0);
    t->SetU8(6, 0);
    t->SetI16(97, 50);
    t->SetI16(99, 50);
    t->SetI32(207, -1);

    auto address = src.NewInternetLink("http://www.example.org/");
    THQVoggetto* web = src.EqualOrRegistered(address);
    auto anchorObject = links::NewAnchor(src, 3);
    THQVoggetto* anchor = THQVoggetto::Register(anchorObject, -1);
    THQVoggetto* toAnchor = Special(third->Id(), links::kActReplaceFrame, 3);
    THQVoggetto* newWindow = Special(second->Id(), links::kActSeparateWindow, -1, "Zt");
    THQVoggetto* named = Special(third->Id(), links::kActNamedFrame, -1, "destra");

    cover->SetContent(Content(T + "Benvenuti<Z S0 >Vai alla " + Tag(second->Id()) + "seconda<%> pagina, " +
                              Tag(newWindow->Id()) + "in una finestra<%> o " + Tag(web->Id()) +
                              "fuori<%>.<Z S0 >Testo <Y y1 >grassetto<Y y0 > e <Y y2 >corsivo<Y y0 >, "
                              "tre   spazi.<Z S0 >" + Tag(placed->Id()) + " figura"));
    second->SetContent(Content(T + "Seconda<Z S0 >Una tabella:<Z S0 >" + Tag(t->Id()) +
                               "<Z S1 >a<T><Z S1 >b<T><Z S1 >c<T><Z S1 >d<T><Z S0 >dopo " +
                               Tag(toAnchor->Id()) + "all'ancora<%> e " + Tag(named->Id()) +
                               "in cornice<%>"));
    third->SetContent(Content("<Z S0 >Terza<Z S0 >" + Tag(anchor->Id()) + "qui<Z S0 >" + Tag(cover->Id()) +
                              "torna<%>"));
    // The cover leads on to the third page as a slide.
    PageRecord(*cover).SetSlideTarget(third->Number());
    PageRecord(*cover).SetSlideDelay(30);
    SetKeywordSlot(*cover, 0, FindOrAddKeyword(src, "gatti")->Number());
    SetKeywordSlot(*third, 0, FindOrAddKeyword(src, "cani")->Number());
    SetKeywordSlot(*third, 1, FindOrAddKeyword(src, "gatti")->Number());

    const fs::path start = Export(src, dir / "one.hqv", dir / "site1");

    THQVset back(msgs);
    back.NewHypertext();
    back.SetExpPrefix("qzy");
    THQVfromHtml conv(&back);
    const std::vector<fs::path> files = LinkedImportList(start, 10);
    conv.ImportFiles(files, 1);
    ResolveAutoImports(back);
    ASSERT_EQ(back.ObjectCount(testoHtml), 3) << "each page once, its main and secondary files read as one";

    for (int32_t p = 0; p < 3; ++p) EXPECT_EQ(View(back, p), View(src, p)) << "page " << p;

    // Exported again, every page file is the same but for the marker's
    // hypertext name.
    Export(back, dir / "two.hqv", dir / "site2");
    const auto one = Files(dir / "site1", "qzx"), two = Files(dir / "site2", "qzy");
    ASSERT_EQ(one.size(), two.size());
    for (const auto& [name, text] : one) {
        auto it = two.find(name);
        ASSERT_NE(it, two.end()) << name;
        EXPECT_EQ(it->second, text) << name;
    }
}

}  // namespace
}  // namespace ovik
