// Makes a large, realistic hypertext through the engine, for the open and save
// benchmarks:
//  - pages of styled text in box markup (paragraph and font tags, bold and
//    italic runs, links to other pages through special links and to web
//    addresses through internet links, placed pictures);
//  - real GIF and JPEG pictures, drawn here and added with AddPictureFile;
//  - embedded files added with AddEmbeddedFile.
// The defaults (2,000 pages, 300 pictures, 60 files of about 1.5 MB) give a
// file of about 200 MB.
//
// With --all-kinds every page also holds one group of the other placed
// objects, in turn: a table with cell backgrounds, a form with its fields and
// buttons, a picture with click zones and a rollover, anchors and special
// links (popup, new browser, anchor, close, launcher), markers and
// multimedia, a floating frame, browse-sequence links, and header, footer,
// keywords, redirect and extra file name on the page itself.
//
//   ovik_bench_generate OUT.hqv [--pages N] [--pictures N] [--files N]
//                       [--file-kb N] [--seed N] [--all-kinds]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "view/frames.h"
#include "document/picture.h"
#include "platform/messages.h"

namespace fs = std::filesystem;
using namespace ovik;

namespace {

// Registers a new object in the slot after the last one of its kind. The
// generator frees nothing, so this is the slot the set's search for the first
// free slot would find, without that search over every object made so far.
THQVoggetto* Append(std::unique_ptr<THQVoggetto>& o) {
    if (!o || !o->Owner()) return nullptr;
    return THQVoggetto::Register(o, o->Owner()->ObjectCount(o->Kind()));
}


struct Options {
    fs::path out;
    int pages = 2000;
    int pictures = 300;
    int files = 60;
    int fileKb = 1500;
    uint32_t seed = 1;
    bool allKinds = false;
};

[[noreturn]] void Usage() {
    std::fprintf(stderr,
                 "usage: ovik_bench_generate OUT.hqv [--pages N] [--pictures N] [--files N] "
                 "[--file-kb N] [--seed N] [--all-kinds]\n");
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> long {
            if (i + 1 >= argc) Usage();
            char* end = nullptr;
            long v = std::strtol(argv[++i], &end, 10);
            if (!end || *end || v < 0) Usage();
            return v;
        };
        if (a == "--pages") o.pages = int(value());
        else if (a == "--pictures") o.pictures = int(value());
        else if (a == "--files") o.files = int(value());
        else if (a == "--file-kb") o.fileKb = int(value());
        else if (a == "--seed") o.seed = uint32_t(value());
        else if (a == "--all-kinds") o.allKinds = true;
        else if (!a.empty() && a[0] == '-') Usage();
        else if (o.out.empty()) o.out = a;
        else Usage();
    }
    if (o.out.empty() || o.pages < 1) Usage();
    return o;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void WriteFile(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A photograph-like bitmap: soft gradients, a few blobs of colour and sensor
// noise, so that JPEG and GIF sizes are those of real pictures.
DecodedPicture Photo(int w, int h, std::mt19937& rng) {
    DecodedPicture b;
    b.width = w;
    b.height = h;
    b.rgba.resize(size_t(w) * size_t(h) * 4);
    std::uniform_real_distribution<double> u(0, 1);
    double cx[3], cy[3], r[3], col[3][3];
    for (int k = 0; k < 3; ++k) {
        cx[k] = u(rng) * w, cy[k] = u(rng) * h, r[k] = (0.2 + 0.4 * u(rng)) * std::min(w, h);
        for (auto& c : col[k]) c = 255 * u(rng);
    }
    double base[3] = {255 * u(rng), 255 * u(rng), 255 * u(rng)};
    std::normal_distribution<double> noise(0, 9);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double px[3];
            for (int c = 0; c < 3; ++c) px[c] = base[c] * (0.5 + 0.5 * double(y) / h);
            for (int k = 0; k < 3; ++k) {
                double d = std::hypot(x - cx[k], y - cy[k]) / r[k];
                double wgt = d < 1 ? (1 - d) * (1 - d) : 0;
                for (int c = 0; c < 3; ++c) px[c] = px[c] * (1 - wgt) + col[k][c] * wgt;
            }
            uint8_t* p = &b.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t(std::clamp(px[c] + 8 * std::sin(x * 0.05 + c) + noise(rng), 0.0, 255.0));
            p[3] = 255;
        }
    return b;
}

const char* const kWords[] = {
    "ipertesto", "pagina", "collegamento", "immagine", "archivio", "museo", "storia",
    "della", "nella", "sono", "questo", "come", "anche", "secolo", "città", "progetto",
    "raccolta", "biblioteca", "autore", "opera", "tempo", "luce", "mare", "montagna",
    "viaggio", "lettera", "scuola", "lavoro", "studio", "ricerca", "mondo", "parola",
    "il", "la", "di", "che", "e", "per", "un", "una", "con", "non", "più", "dal"};

std::string Word(std::mt19937& rng) {
    // The source is UTF-8; page text is Windows-1252.
    return cp1252::FromUtf8(kWords[rng() % (sizeof kWords / sizeof *kWords)]);
}

std::string Hex8(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

// One page of box markup: paragraphs of styled text with links and pictures,
// ended by one zero byte.
Bytes PageText(int page, int pages, std::mt19937& rng, THQVset& set,
               const std::vector<int32_t>& webLinks, const std::vector<int32_t>& pictures) {
    std::string t;
    t.reserve(16000);
    t += "<Z S0 ><Y c000080 F\"Arial\" s18 y1 >Pagina " + std::to_string(page + 1) + " " +
         Word(rng) + " " + Word(rng) + "<Y y0 >";
    const int paragraphs = 20 + int(rng() % 20);
    for (int p = 0; p < paragraphs; ++p) {
        t += "<Z S0 ><Y c000000 F\"Times New Roman\" s12 y0 >";
        const int words = 40 + int(rng() % 60);
        for (int w = 0; w < words; ++w) {
            unsigned r = rng() % 100;
            if (r < 2) {
                // A link to another page, through a special link of this set.
                auto link = set.NewObject(speclink);
                link->SetI32(9, -1);
                link->SetI32(13, MakeId(testoHtml, int32_t(rng() % uint32_t(pages))));
                link->SetU8(17, 0);
                link->SetU8(18, 0);
                THQVoggetto* reg = Append(link);
                t += "<$" + Hex8(uint32_t(reg->Id())) + ">" + Word(rng) + " " + Word(rng) + "<%> ";
            } else if (r < 3 && !webLinks.empty()) {
                t += "<$" + Hex8(uint32_t(MakeId(internetLink, webLinks[rng() % webLinks.size()]))) +
                     ">" + Word(rng) + "<%> ";
            } else if (r < 9) {
                t += "<Y c000000 F\"Arial\" s12 y1 >" + Word(rng) + "<Y y0 > ";
            } else if (r < 11) {
                t += "<Y y2 >" + Word(rng) + " &amp; " + Word(rng) + "<Y y0 > ";
            } else {
                t += Word(rng) + " ";
            }
        }
        if (!pictures.empty() && rng() % 12 == 0) {
            auto placement =
                set.AddImmagineNew(set.GetObject(immagine, pictures[rng() % pictures.size()]));
            THQVoggetto* reg = placement ? Append(placement) : nullptr;
            if (reg) t += "<$" + Hex8(uint32_t(reg->Id())) + ">";
        }
    }
    Bytes b(t.begin(), t.end());
    b.push_back(0);
    return b;
}

THQVoggetto* MakeFileLink(THQVset& set, int32_t file) { return set.GetObject(genLink, file); }

std::string TagOf(const THQVoggetto* o) { return "<$" + Hex8(uint32_t(o->Id())) + ">"; }

THQVoggetto* Add(THQVset& set, uint8_t kind) {
    auto o = set.NewObject(kind);
    return Append(o);
}

void SetExtra(THQVoggetto* o, const std::string& html) {
    Bytes w(4, 0);
    w.insert(w.end(), html.begin(), html.end());
    o->SetWrapper(std::move(w));
}

THQVoggetto* Special(THQVset& set, uint8_t subtype, uint8_t action, int32_t target, int32_t anchor,
                     const std::string& window) {
    THQVoggetto* s = Add(set, speclink);
    s->SetState(subtype);
    s->SetI32(9, anchor);
    s->SetI32(13, target);
    s->SetU8(17, 0);
    s->SetU8(18, action);
    s->SetStr(19, 19, window);
    return s;
}

THQVoggetto* Placement(THQVset& set, int32_t picture) {
    auto p = set.AddImmagineNew(set.GetObject(immagine, picture));
    return p ? Append(p) : nullptr;
}

// One group of placed objects for page `page` (see --all-kinds).
std::string ObjectGroup(int page, int pages, std::mt19937& rng, THQVset& set, THQVoggetto& self,
                        const std::vector<int32_t>& webLinks, const std::vector<int32_t>& pictures,
                        const std::vector<int32_t>& files) {
    const int32_t other = MakeId(testoHtml, int32_t(rng() % uint32_t(pages)));
    const int32_t pic = pictures.empty() ? -1 : pictures[rng() % pictures.size()];
    const int32_t pic2 = pictures.empty() ? -1 : pictures[rng() % pictures.size()];
    std::string t = "<Z S0 >";
    switch (page % 8) {
        case 0: {
            THQVoggetto* tb = Add(set, tabellaHtml);
            tb->SetU8(55, 1);
            tb->SetU8(89, 100);
            tb->SetU8(90, 2);
            tb->SetU8(91, 2);
            tb->SetU8(92, 1);
            tb->SetU8(93, 2);
            tb->SetU8(94, 2);
            tb->SetU8(5, 0);
            tb->SetI16(97, 40);
            tb->SetU8(6, 2);
            tb->SetI32(207, -1);
            tb->SetI32(81, 1);
            Bytes cells;
            for (int32_t v : {0x00FFFF, -1, pic >= 0 ? 0x03000000 + pic : -1, 0x808080}) AppendI32(cells, v);
            tb->SetContent(std::move(cells));
            t += TagOf(tb) + "<Z S1 >" + Word(rng) + "<T><Z S1 ><Y y1 >" + Word(rng) + "<T><Z S1 >" + Word(rng) +
                 "<T><Z S1 >" + Word(rng) + "<T><Z S0 >" + Word(rng);
            break;
        }
        case 1: {
            THQVoggetto* f = Add(set, inizioForm);
            f->SetState(uint8_t(1 + page % 2));
            f->SetStr(17, 255, "http://www.esempio.it/cgi-bin/modulo");
            f->SetU8(273, 0);
            THQVoggetto* e = Add(set, inputStat);
            e->SetState(1);
            e->SetStr(17, 79, "nome");
            e->SetStr(97, 79, "Mario");
            e->SetU8(179, 20);
            e->SetU8(180, 1);
            THQVoggetto* m = Add(set, inputStat);
            m->SetState(4);
            m->SetStr(17, 79, "note");
            m->SetU8(177, 30);
            m->SetU8(178, 4);
            m->SetU8(180, 1);
            std::string memo = "riga uno\r\n<riga> & due";
            m->SetContent(Bytes(memo.begin(), memo.end()));
            THQVoggetto* l = Add(set, inputStat);
            l->SetState(8);
            l->SetStr(17, 79, "scelta");
            l->SetU8(179, 3);
            l->SetU8(182, 1);
            std::string items = "Uno\r\n1\r\nX\r\nDue\r\n2\r\n\r\nTre\r\n3\r\n\r\n";
            l->SetContent(Bytes(items.begin(), items.end()));
            THQVoggetto* c = Add(set, inputStat);
            c->SetState(7);
            c->SetStr(17, 79, "ok");
            c->SetStr(97, 79, "si");
            c->SetU8(181, 1);
            THQVoggetto* b = Add(set, bottoneCGI);
            b->SetState(1);
            b->SetStr(17, 79, "invia");
            b->SetStr(97, 79, "Invia");
            b->SetI32(177, -1);
            b->SetI32(181, -1);
            b->SetI16(190, 60);
            b->SetI16(192, 24);
            THQVoggetto* img = Add(set, bottoneCGI);
            img->SetState(2);
            img->SetStr(17, 79, "vai");
            img->SetStr(97, 79, "Vai");
            img->SetI32(177, pic);
            img->SetI32(181, other);
            img->SetI16(190, 40);
            img->SetI16(192, 30);
            THQVoggetto* r = Add(set, bottoneCGI);
            r->SetState(3);
            r->SetStr(97, 79, "Cancella");
            r->SetI32(177, pic2);
            r->SetI32(181, -1);
            r->SetI16(190, 40);
            r->SetI16(192, 30);
            t += Word(rng) + "<Z S0 >" + TagOf(f) + TagOf(e) + TagOf(m) + TagOf(l) + TagOf(c) + TagOf(b) + TagOf(img) +
                 TagOf(r);
            break;
        }
        case 2: {
            if (pic < 0) break;
            THQVoggetto* p = Placement(set, pic);
            if (!p) break;
            p->SetI32(9, pic2);
            p->SetI32(5, pic2);
            p->SetI16(19, 120);
            p->SetI16(21, 90);
            p->SetStr(28, 32, "Figura \"" + Word(rng) + "\"");
            const int32_t targets[3] = {other, webLinks.empty() ? other : MakeId(internetLink, webLinks[0]),
                                        self.Id()};
            for (int z = 0; z < 3; ++z) {
                const size_t base = 73 + 16 * size_t(z);
                p->SetI32(base, targets[z]);
                p->SetI32(base + 4, 0);
                p->SetI16(base + 8, int16_t(10 + 30 * z));
                p->SetI16(base + 10, 10);
                p->SetI16(base + 12, 25);
                p->SetI16(base + 14, 40);
            }
            t += TagOf(p) + " " + Word(rng);
            break;
        }
        case 3: {
            THQVoggetto* a = Add(set, shortObj);
            a->SetState(14);
            a->SetI32(5, 1);
            THQVoggetto* toAnchor = Special(set, 1, 6, -1, 1, "");
            THQVoggetto* popup = Special(set, 1, 4, other, -1, "popup");
            const uint8_t data[22] = {0x20, 0xB1, 0x20, 0xB1, 0x90, 0x01, 0x2C, 0x01, 0x20, 0xB1, 0x20,
                                      0xB1, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0};
            popup->SetContent(Bytes(data, data + 22));
            THQVoggetto* browser = Special(set, 1, 3, other, -1, "");
            THQVoggetto* named = Special(set, 1, 1, other, -1, "destra");
            THQVoggetto* close = Special(set, 2, 0, -1, -1, "popup");
            THQVoggetto* launch = Add(set, shortObj);
            launch->SetState(13);
            launch->SetI32(5, popup->Id());
            t += TagOf(a) + Word(rng) + "<Z S0 >" + TagOf(toAnchor) + "ancora<%> " + TagOf(popup) + "popup<%> " +
                 TagOf(browser) + "browser<%> " + TagOf(named) + "cornice<%> " + TagOf(close) + "chiudi<%>" +
                 TagOf(launch);
            break;
        }
        case 4: {
            THQVoggetto* c = Add(set, shortObj);
            c->SetState(10);
            std::string note = "nota -- " + Word(rng);
            c->SetContent(Bytes(note.begin(), note.end()));
            THQVoggetto* raw = Add(set, shortObj);
            raw->SetState(11);
            SetExtra(raw, pic >= 0 ? "<IMG SRC=\"!RefI:" + Hex8(uint32_t(MakeId(immagine, pic))) + "\" ALT=\"\">"
                                   : std::string("<HR>"));
            t += TagOf(c) + TagOf(raw) + Word(rng);
            if (!files.empty()) {
                THQVoggetto* snd = Add(set, multiMedia);
                snd->SetState(1);
                snd->SetI32(17, MakeId(genLink, files[rng() % files.size()]));
                snd->SetI32(21, -1);
                snd->SetU8(25, 0);
                snd->SetI16(27, 1);
                THQVoggetto* vid = Add(set, multiMedia);
                vid->SetState(3);
                vid->SetI32(17, MakeId(genLink, files[rng() % files.size()]));
                vid->SetI32(21, pic);
                vid->SetU8(25, 1);
                vid->SetI16(27, -1);
                vid->SetI16(33, 160);
                vid->SetI16(35, 120);
                vid->SetU8(37, 0);
                t += TagOf(snd) + TagOf(vid) + TagOf(MakeFileLink(set, files[rng() % files.size()])) + "allegato<%>";
            }
            break;
        }
        case 5: {
            THQVoggetto* fr = Add(set, inputStat);
            fr->SetState(18);
            fr->SetStr(17, 79, "interna");
            fr->SetU8(97, 1);
            fr->SetU8(98, 0);
            fr->SetU8(99, 0);
            fr->SetI32(100, 0);
            fr->SetI32(108, other);
            fr->SetU8(116, 0);
            fr->SetU8(117, 0);
            fr->SetU8(177, 1);
            fr->SetU8(178, 0);
            fr->SetI16(180, 200);
            fr->SetI16(182, 300);
            t += TagOf(fr);
            break;
        }
        case 6: {
            THQVoggetto* prev = Special(set, 4, 5, -1, -1, "");
            THQVoggetto* next = Special(set, 5, 5, -1, -1, "");
            t += TagOf(prev) + "&lt;&lt;<%> " + TagOf(next) + "&gt;&gt;<%>";
            break;
        }
        default: {
            // The page itself: header, footer, keyword, redirect, extra file name.
            self.SetI32(231, int32_t(rng() % uint32_t(pages)));
            self.SetI32(235, int32_t(rng() % uint32_t(pages)));
            THQVoggetto* k = Add(set, keyword);
            k->SetName(Word(rng) + std::to_string(page));
            self.SetI32(105, k->Number());
            self.SetI16(221, 30);
            self.SetI32(227, int32_t(rng() % uint32_t(pages)));
            self.SetStr(247, 40, "pagina" + std::to_string(page) + ".htm");
            t += Word(rng);
            break;
        }
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt = Parse(argc, argv);
    std::mt19937 rng(opt.seed);
    platform::ConsoleMessages msgs;
    THQVset set(msgs);
    set.SetTitle("Ipertesto di prova");
    const auto start = std::chrono::steady_clock::now();

    fs::path scratch = set.TempFolder() / "generator";
    fs::create_directories(scratch);

    // Pictures: one in three a GIF, the others JPEG photographs.
    std::vector<int32_t> pictures;
    uint64_t pictureBytes = 0;
    for (int i = 0; i < opt.pictures; ++i) {
        bool gif = i % 3 == 0;
        int w = gif ? 240 + int(rng() % 400) : 640 + int(rng() % 1000);
        int h = w * 3 / 4;
        DecodedPicture photo = Photo(w, h, rng);
        Bytes encoded;
        bool ok = gif ? EncodeGif(photo, encoded)
                      : EncodeJpeg(photo, 80 + int(rng() % 15), encoded);
        if (!ok) continue;
        fs::path file = scratch / ((gif ? "disegno" : "foto") + std::to_string(i) + (gif ? ".gif" : ".jpg"));
        WriteFile(file, encoded);
        THQVoggetto* pic = set.AddPictureFile(file);
        fs::remove(file);
        if (!pic) {
            std::fprintf(stderr, "picture %d was refused\n", i);
            return 1;
        }
        pictures.push_back(pic->Number());
        pictureBytes += encoded.size();
    }

    // Embedded files: documents that do not compress, of varied sizes.
    uint64_t fileBytes = 0;
    std::vector<int32_t> files;
    for (int i = 0; i < opt.files; ++i) {
        size_t size = size_t(opt.fileKb) * 1024 / 2 + rng() % (size_t(opt.fileKb) * 1024 + 1);
        Bytes data(size);
        for (size_t k = 0; k + 4 <= size; k += 4) PutU32(&data[k], rng());
        const char* ext[] = {".pdf", ".zip", ".doc", ".mp3"};
        fs::path file = scratch / ("allegato" + std::to_string(i) + ext[i % 4]);
        WriteFile(file, data);
        THQVoggetto* embedded = set.AddEmbeddedFile(file);
        if (!embedded) return 1;
        files.push_back(embedded->Number());
        fs::remove(file);
        fileBytes += size;
    }

    // Web addresses the pages link to.
    std::vector<int32_t> webLinks;
    for (int i = 0; i < 200; ++i) {
        auto l = set.NewInternetLink("http://www.esempio.it/" + Word(rng) + "/" + std::to_string(i) + ".html");
        webLinks.push_back(Append(l)->Number());
    }

    uint64_t textBytes = 0;
    for (int p = 0; p < opt.pages; ++p) {
        auto page = set.NewObject(testoHtml);
        static_cast<THQVtesto*>(page.get())->SetTitle("Pagina " + std::to_string(p + 1));
        Bytes text = PageText(p, opt.pages, rng, set, webLinks, pictures);
        if (opt.allKinds) {
            text.pop_back();
            const std::string group = ObjectGroup(p, opt.pages, rng, set, *page, webLinks, pictures, files);
            text.insert(text.end(), group.begin(), group.end());
            text.push_back(0);
        }
        textBytes += text.size();
        page->SetContent(std::move(text));
        Append(page);
    }
    fs::remove_all(scratch);

    // With every kind, one page in fifty is a frame set: a menu frame of a
    // fixed width beside the rest, which splits into two rows.
    if (opt.allKinds && opt.pages >= 4) {
        for (int p = 1; p < opt.pages; p += 50) {
            Bytes records;
            auto frame = [&](int32_t id, int32_t parent, const char* title, uint8_t arrangement, uint8_t mode,
                             int32_t page) {
                FrameRecord f;
                f.id = id;
                f.parentId = parent;
                f.title = title;
                f.arrangement = arrangement;
                f.sizeMode = mode;
                f.pixels = 180;
                f.percentage = 40;
                f.page = page;
                f.Write(records);
            };
            frame(1, -1, "root", 0, 0, -1);
            frame(2, 1, "menu", 1, 1, (p + 1) % opt.pages);
            frame(3, 1, "resto", 5, 2, -1);
            frame(4, 3, "sopra", 0, 0, (p + 2) % opt.pages);
            frame(5, 3, "sotto", 5, 2, (p + 3) % opt.pages);
            FrameTree tree;
            if (!tree.ReadRecords(records, kFrameRecordSize) || !SetPageLayout(set, p, tree)) {
                std::fprintf(stderr, "frame layout of page %d was refused\n", p);
                return 1;
            }
        }
    }

    if (!set.SaveHypertext(opt.out)) {
        for (auto& e : set.Errors()) std::fprintf(stderr, "%s\n", e.c_str());
        return 1;
    }
    std::error_code ec;
    std::printf("%s: %.1f MB in %.1f s - %d pages (%.1f MB of text), %zu pictures (%.1f MB), "
                "%d files (%.1f MB), %d special links, %d placed pictures\n",
                opt.out.c_str(), double(fs::file_size(opt.out, ec)) / 1e6, Seconds(start),
                opt.pages, double(textBytes) / 1e6, pictures.size(), double(pictureBytes) / 1e6,
                opt.files, double(fileBytes) / 1e6, set.ObjectCount(speclink),
                set.ObjectCount(immagineNew));
    return 0;
}
