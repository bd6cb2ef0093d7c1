// A page of 200 placed pictures in a read-only page widget, offscreen: the
// time from showing the page to the end of its first paint, and the CPU the
// process takes while the page sits idle for 3 s (animated GIFs play then),
// for the page with 20 animated pictures and for the same page without
// animation. Figures go to standard output.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_pictures
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gif_lib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "document/hqv_set.h"
#include "document/picture.h"
#include "platform/messages.h"
#include "ui/page_view.h"
#include "undo/undo.h"

namespace {

using namespace ovik;

int WriteBytes(GifFileType* g, const GifByteType* b, int n) {
    auto* out = static_cast<Bytes*>(g->UserData);
    out->insert(out->end(), b, b + n);
    return n;
}

// A 64 x 48 GIF of `frames` frames (10 hundredths each), coloured by `seed`.
Bytes Gif(int frames, int seed) {
    Bytes out;
    int err = 0;
    GifFileType* g = EGifOpen(&out, WriteBytes, &err);
    ColorMapObject* map = GifMakeMapObject(4, nullptr);
    map->Colors[0] = {GifByteType(seed * 40), 80, 160};
    map->Colors[1] = {255, GifByteType(seed * 10), 0};
    map->Colors[2] = {0, 200, GifByteType(seed * 20)};
    map->Colors[3] = {255, 255, 255};
    EGifSetGifVersion(g, true);
    EGifPutScreenDesc(g, 64, 48, 8, 0, map);
    GifPixelType line[64];
    for (int f = 0; f < frames; ++f) {
        if (frames > 1) {
            const GifByteType gce[4] = {0, 10, 0, 0};
            EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, gce);
        }
        EGifPutImageDesc(g, 0, 0, 64, 48, false, nullptr);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) line[x] = GifPixelType(((x + y) / 8 + f) % 4);
            EGifPutLine(g, line, 64);
        }
    }
    EGifCloseFile(g, &err);
    GifFreeMapObject(map);
    return out;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Result {
    double firstPaintMs = 0;
    double idleCpuPercent = 0;
    int animations = 0;
};

Result Run(bool animated) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.NewHypertext();
    auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    // Twenty distinct pictures of each kind; every tenth placement animated.
    std::vector<int32_t> still, moving;
    for (int i = 0; i < 20; ++i) {
        for (bool anim : {false, true}) {
            THQVoggetto* p = set.AddNewObject(immagine);
            p->SetState(1);
            p->SetFileName("p" + std::to_string(i) + (anim ? "a" : "s") + ".gif");
            p->SetContent(Gif(anim ? 4 : 1, i + (anim ? 3 : 0)));
            p->SetU16(85, 64);
            p->SetU16(87, 48);
            (anim ? moving : still).push_back(p->Number());
        }
    }
    std::string markup = "<Z S0 >";
    for (int k = 0; k < 200; ++k) {
        const bool anim = animated && k % 10 == 0;
        THQVoggetto* pic = set.GetObject(immagine, anim ? moving[size_t(k / 10 % 20)] : still[size_t(k % 20)]);
        auto placed = set.AddImmagineNew(pic);
        for (size_t z = 0; z < 30; ++z) placed->SetI32(73 + 16 * z, -1);
        const int32_t id = THQVoggetto::Register(placed, -1)->Id();
        char tag[16];
        std::snprintf(tag, sizeof tag, "<$%08x>", uint32_t(id));
        markup += tag;
        markup += " ";
    }
    Bytes content(markup.begin(), markup.end());
    content.push_back(0);
    page->SetContent(content);

    ui::TPageView view;
    THQVundoList history(set);
    view.SetHistory(&history);
    view.resize(1000, 800);
    view.SetReadOnly(true);
    view.show();
    QApplication::processEvents();

    Result r;
    QElapsedTimer t;
    t.start();
    view.ShowPage(set, page->Number());
    view.viewport()->repaint();
    r.firstPaintMs = double(t.nsecsElapsed()) / 1e6;

    r.animations = view.RunningAnimations();
    const double cpu0 = CpuSeconds();
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    r.idleCpuPercent = 100.0 * (CpuSeconds() - cpu0) / (double(idle.nsecsElapsed()) / 1e9);
    view.ShowPage(set, -1);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::printf("%-28s %16s %14s %12s\n", "page (200 pictures)", "first paint ms", "idle CPU %", "animations");
    for (bool animated : {false, true}) {
        // The first run of each kind warms the caches; the second is reported.
        Run(animated);
        const Result r = Run(animated);
        std::printf("%-28s %16.1f %14.1f %12d\n", animated ? "20 animated GIFs" : "no animation", r.firstPaintMs,
                    r.idleCpuPercent, r.animations);
    }
    return 0;
}
