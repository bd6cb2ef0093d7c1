// libFuzzer target: the box markup reader and writer on arbitrary bytes.
// The input is read into a box (with a table control and a picture control the
// object tags can name), checked against the model's invariants, written back
// in every mode, and the whole-mode output is read and written again, which
// must give the same bytes. The box is also laid out at a width the input
// picks, painted into a display list, hit-tested and re-measured.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/fake_controls.h"
#include "text/display_list.h"
#include "text/hqv_box.h"
#include "text/layout.h"

namespace {

using namespace ovik;

struct World {
    World() {
        index.controls = {&table, &picture};
        // Cells see the same controls, so tables may nest (even in themselves).
        table.Cell(0).controls = &index;
        table.Cell(1).controls = &index;
    }
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    testing::FakeTable table{set, 0, 1, 2};
    testing::FakeObject picture{set, 1};
    testing::FakeIndex index;
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
    Bytes out = box.Markup();
    const int32_t width = size > 0 ? int32_t(data[0]) * 4 : 100;
    ResizePageBox(box, width, 300);
    if (box.ParagraphCount() > 0) {
        box.Select(box.MakePosition(0, 1), box.AbsoluteLast());
        (void)BuildDisplayList(box, {0, 0, width, 2000});
        for (int32_t y : {-10, 0, 15, 40, 400}) (void)PositionAtPoint(box, width / 2, y);
        RemeasureRange(box, 0, box.ParagraphCount() / 2);
        RelayoutRange(box, 0, box.ParagraphCount() / 2);
        box.hasSelection = false;
        (void)BuildDisplayList(box, {0, 0, width, 2000});
    }
    return out;
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
