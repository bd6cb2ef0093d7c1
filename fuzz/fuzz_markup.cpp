// libFuzzer target: the box markup reader and writer on arbitrary bytes.
// The input is read into a box (with a table control and a picture control the
// object tags can name), checked against the model's invariants, written back
// in every mode, and the whole-mode output is read and written again, which
// must give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/hqv_box.h"

namespace {

using namespace ovik;

class Cells : public PlacedObject {
public:
    explicit Cells(THQVset& set) : object_(&set, tabellaHtml) {
        for (int i = 0; i < 2; ++i) cells_.push_back(std::make_unique<THQVbox>(set));
        for (auto& c : cells_) c->cellOwner = &object_;
    }
    THQVoggetto* Object() const override { return const_cast<THQVoggetto*>(&object_); }
    int32_t ControlIndex() const override { return 0; }
    int32_t Width() const override { return 50; }
    int32_t Height() const override { return 20; }
    bool IsTable() const override { return true; }
    void ReadCells(BoxStream& s, const Renumbering* r) override {
        for (auto& c : cells_) {
            c->ClearParagraphs();
            c->ReadParagraphs(s, 0, r);
        }
    }
    void WriteCells(Bytes& out) const override {
        for (auto& c : cells_) {
            c->WriteParagraphs(out, 0, c->ParagraphCount() - 1, WriteMode::Whole);
            AppendString(out, "<T>");
        }
    }

private:
    THQVoggetto object_;
    std::vector<std::unique_ptr<THQVbox>> cells_;
};

class Picture : public PlacedObject {
public:
    explicit Picture(THQVset& set) : object_(&set, immagineNew) {}
    THQVoggetto* Object() const override { return const_cast<THQVoggetto*>(&object_); }
    int32_t ControlIndex() const override { return 1; }
    int32_t Width() const override { return 10; }
    int32_t Height() const override { return 10; }

private:
    THQVoggetto object_;
};

class Index : public PlacedObjectIndex {
public:
    Index(Cells& t, Picture& p) : t_(t), p_(p) {}
    PlacedObject* ControlAt(int32_t n) override {
        return n == 0 ? static_cast<PlacedObject*>(&t_) : n == 1 ? &p_ : nullptr;
    }

private:
    Cells& t_;
    Picture& p_;
};

struct World {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    Cells table{set};
    Picture picture{set};
    Index index{table, picture};
};

Bytes ReadWrite(World& w, const uint8_t* data, size_t size) {
    THQVbox box(w.set, w.measurer);
    box.controls = &w.index;
    BoxStream s(data, size);
    box.LoadText(&s, nullptr, nullptr);
    for (int32_t i = 0; i < box.ParagraphCount(); ++i) {
        std::string e = box.Paragraph(i).CheckInvariants();
        if (!e.empty()) {
            std::fprintf(stderr, "invariant broken: %s\n", e.c_str());
            std::abort();
        }
    }
    for (WriteMode m : {WriteMode::Flat, WriteMode::Continuation, WriteMode::Range})
        (void)box.Markup(m, 1, 7);
    return box.Markup();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World* world = new World;
    world->msgs.clear();
    Bytes first = ReadWrite(*world, data, size);
    Bytes second = ReadWrite(*world, first.data(), first.size());
    if (first != second) {
        std::fprintf(stderr, "not a fixed point\n");
        std::abort();
    }
    return 0;
}
