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
//   ovik_bench_generate OUT.hqv [--pages N] [--pictures N] [--files N]
//                       [--file-kb N] [--seed N]
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
#include "document/picture.h"
#include "platform/messages.h"

namespace fs = std::filesystem;
using namespace ovik;

namespace {

struct Options {
    fs::path out;
    int pages = 2000;
    int pictures = 300;
    int files = 60;
    int fileKb = 1500;
    uint32_t seed = 1;
};

[[noreturn]] void Usage() {
    std::fprintf(stderr,
                 "usage: ovik_bench_generate OUT.hqv [--pages N] [--pictures N] [--files N] "
                 "[--file-kb N] [--seed N]\n");
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
                THQVoggetto* reg = THQVoggetto::Register(link, -1);
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
            THQVoggetto* reg = placement ? THQVoggetto::Register(placement, -1) : nullptr;
            if (reg) t += "<$" + Hex8(uint32_t(reg->Id())) + ">";
        }
    }
    Bytes b(t.begin(), t.end());
    b.push_back(0);
    return b;
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
    for (int i = 0; i < opt.files; ++i) {
        size_t size = size_t(opt.fileKb) * 1024 / 2 + rng() % (size_t(opt.fileKb) * 1024 + 1);
        Bytes data(size);
        for (size_t k = 0; k + 4 <= size; k += 4) PutU32(&data[k], rng());
        const char* ext[] = {".pdf", ".zip", ".doc", ".mp3"};
        fs::path file = scratch / ("allegato" + std::to_string(i) + ext[i % 4]);
        WriteFile(file, data);
        if (!set.AddEmbeddedFile(file)) return 1;
        fs::remove(file);
        fileBytes += size;
    }

    // Web addresses the pages link to.
    std::vector<int32_t> webLinks;
    for (int i = 0; i < 200; ++i) {
        auto l = set.NewInternetLink("http://www.esempio.it/" + Word(rng) + "/" + std::to_string(i) + ".html");
        webLinks.push_back(THQVoggetto::Register(l, -1)->Number());
    }

    uint64_t textBytes = 0;
    for (int p = 0; p < opt.pages; ++p) {
        auto page = set.NewObject(testoHtml);
        static_cast<THQVtesto*>(page.get())->SetTitle("Pagina " + std::to_string(p + 1));
        Bytes text = PageText(p, opt.pages, rng, set, webLinks, pictures);
        textBytes += text.size();
        page->SetContent(std::move(text));
        THQVoggetto::Register(page, -1);
    }
    fs::remove_all(scratch);

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
