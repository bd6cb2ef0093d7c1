#include "support/fuzz_entries.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "document/hqv_set.h"
#include "platform/messages.h"

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

}  // namespace ovik::fuzz
