#include "support/fuzz_entries.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include <cstdio>
#include <cstdlib>

#include "convert/auto_imports.h"
#include "convert/hqv_from_html.h"
#include "document/hqv_set.h"
#include "page/page_copy.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/layout.h"
#include "undo/undo.h"
#include "view/frames.h"

namespace ovik::fuzz {

namespace fs = std::filesystem;

namespace {
fs::path ScratchFolder() {
    static fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("ovik-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}
}  // namespace

void FeedHqvFile(const uint8_t* data, size_t size) {
    fs::path in = ScratchFolder() / "in.hqv";
    {
        std::ofstream out(in, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    if (!set.OpenHypertext(in)) return;
    for (int k = 0; k < none; ++k)
        for (int i = 0; i < set.ObjectCount(uint8_t(k)); ++i)
            if (auto* o = set.GetObject(k, i)) {
                Bytes b;
                o->ReadContent(b);
                o->Name();
                o->FileName();
                if (k == testoHtml) static_cast<THQVtesto*>(o)->SourceName();
            }
    set.SaveHypertext(ScratchFolder() / "out.hqv");
}

void FeedObjectStream(const uint8_t* data, size_t size) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    size_t pos = 0;
    while (pos < size) {
        auto o = THQVoggetto::Create(&set, testoHtmlRtf);
        size_t before = pos;
        if (!o->LoadFromTransfer(data, size, pos) || pos <= before) break;
        if (o->Kind() >= none) continue;
        o->SetOwner(&set);
        o->Name();
        o->IsFree();
        Bytes again;
        o->SaveToTransfer(again);
    }
}

void FeedObjectsData(const uint8_t* data, size_t size) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.NewHypertext();
    THQVoggetto* pic = set.AddNewObject(immagine);
    pic->SetState(1);
    auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    const std::string markup = "<Z S0 >prima<Z S1 >seconda";
    page->SetContent(Bytes(markup.begin(), markup.end() + 1));
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    host.set = &set;
    host.measurer = &measurer;
    THQVpage view(host);
    view.ShowPage(page);
    THQVbox& box = *view.Box();
    InstallLayout(box);
    ResizePageBox(box, 300, 200);
    THQVundoList history(set);
    HistoryRecorder recorder(history, 0, 0);
    ListNode views, pages;
    BoxNode boxNode{box};
    history.views.Add(&views);
    views.list.Add(&pages);
    box.controlIndex = pages.list.Add(&boxNode);
    box.undo = &recorder;
    DeferredActions actions;
    BoxEditor editor(box, actions);
    box.caret = box.MakePosition(0, 2);
    PageObjectsHost objects(view, *view.WorkingCopy());
    const Bytes bytes(data, data + size);
    auto check = [&] {
        for (int32_t i = 0; i < box.ParagraphCount(); ++i)
            if (std::string e = box.Paragraph(i).CheckInvariants(); !e.empty()) {
                std::fprintf(stderr, "invariant broken: %s\n", e.c_str());
                std::abort();
            }
    };
    if (ReadObjectsData(editor, bytes, "Inserimento da Cartella appunti", size % 2 == 0, &objects)) {
        check();
        history.UndoOne();
        check();
        box.caret = box.MakePosition(box.ParagraphCount() - 1, 0);
        ReadObjectsData(editor, bytes, "", true, &objects);
        check();
    }
    view.StorePage();
}

void FeedHtml(const uint8_t* data, size_t size) {
    static const char kLink[] = "<LINK REL=STYLESHEET HREF=\"in_style.css\">";
    const fs::path html = ScratchFolder() / "in.htm";
    {
        std::ofstream out(html, std::ios::binary | std::ios::trunc);
        out.write(kLink, std::streamsize(sizeof kLink - 1));
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    {
        std::ofstream css(ScratchFolder() / "in_style.css", std::ios::binary | std::ios::trunc);
        css.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.NewHypertext();
    THQVfromHtml conv(&set);
    conv.ImportFiles({html, html}, 1);
    ResolveAutoImports(set);
    std::vector<fs::path> linked;
    CollectLinkedFiles(html, linked, 3);
}

void FeedFrameLayout(const uint8_t* data, size_t size) {
    const Bytes bytes(data, data + size);
    auto check = [](FrameTree& tree) {
        tree.Size(640, 480, false);
        tree.Size(3, 2, true);
        const Bytes written = tree.WriteRecords();
        FrameTree again;
        if (!tree.Empty() && (!again.ReadRecords(written, kFrameRecordSize) || again.WriteRecords() != written)) {
            std::fprintf(stderr, "a layout written does not read back the same\n");
            std::abort();
        }
    };
    FrameTree file;
    if (file.ReadFile(bytes)) check(file);
    if (size > 0) {
        FrameTree records;
        const Bytes tail(data + 1, data + size);
        if (records.ReadRecords(tail, int32_t(data[0]) + 20)) check(records);
    }
}

}  // namespace ovik::fuzz
