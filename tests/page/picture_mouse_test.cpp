// Gestures over a placed picture in the editing view: resizing with the
// handles (Shift on a corner), a zone resized and moved with its handles or
// by dragging, a zone drawn with a band, and the property window's change;
// every one is one undo entry of the view's history that brings everything back.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/hqv_set.h"
#include "page/picture_mouse.h"
#include "page/placed_picture.h"
#include "platform/clipboard.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "view/editing_view.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

// Page 0 holds "a", a 200 x 100 placed picture with one zone (20, 10, 40 x 30)
// and "b", shown for editing in a view recording into a history.
struct PictureMouseTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    THQVundoList undo{set};
    TInsiemeCornici view{measurer};
    THQVoggetto* picture = nullptr;
    THQVoggetto* placed = nullptr;
    THQVtesto* page = nullptr;

    void SetUp() override {
        set.NewHypertext();
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        picture = set.AddNewObject(immagine);
        picture->SetState(1);
        picture->SetFileName("figura.gif");
        picture->SetU16(85, 200);
        picture->SetU16(87, 100);
        placed = testing::PlacedPicture(set, picture->Number());
        placed->SetU16(15, 200);
        placed->SetU16(17, 100);
        placed->SetI16(19, 200);
        placed->SetI16(21, 100);
        ZoneSlot z;
        z.link = 0;
        z.left = 20;
        z.top = 10;
        z.width = 40;
        z.height = 30;
        z.Write(*placed, 0);
        page->SetContent(Content("<Z S0 >a" + Tag(placed->Id()) + "b"));
        view.SetLinkedHQVset(&set);
        view.SetHistory(&undo);
        view.SaveOnExit = true;
        view.SetMainPageNumber(page->Number());
    }
    TMyyImage& Image() {
        for (auto& c : view.MainPage()->Controls())
            if (auto* i = dynamic_cast<TMyyImage*>(c.get())) return *i;
        throw std::runtime_error("no picture");
    }
    TMyyImage& Selected() {
        TMyyImage& i = Image();
        i.selected = true;
        i.focused = true;
        return i;
    }
    // A left-button gesture from (x0, y0) to (x1, y1) in picture coordinates.
    PictureMouse Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t modifiers = 0) {
        PictureMouse m(Image());
        m.Press(MouseButton::Left, x0, y0, modifiers);
        m.Move(x1, y1, modifiers);
        m.Release(MouseButton::Left, x1, y1);
        return m;
    }
    PixelRect ZoneRect(size_t i) { return Image().Zones()[i].Rect(); }
};

TEST_F(PictureMouseTest, HandlesResizeThePictureAndTheZonesFollowThenUndoBringsThemBack) {
    struct Case {
        const char* name;
        int32_t x0, y0, x1, y1;
        uint8_t modifiers;
        int32_t width, height;
        PixelRect zone;
    };
    for (const Case& c : {
             // Handle 4 (bottom right) to the middle: factors 500 and 500.
             Case{"corner to half", 200, 100, 100, 50, 0, 100, 50, {10, 5, 30, 20}},
             // Handle 8 (right middle): only the width follows.
             Case{"right edge", 200, 50, 100, 80, 0, 100, 100, {10, 10, 30, 40}},
             // Handle 4 with Shift: the smaller offset (10) for both axes.
             Case{"corner with shift", 200, 100, 150, 90, kShift, 190, 90, {19, 9, 57, 36}},
             // Handle 1 (top left): the left and top edges move in.
             Case{"top left", 0, 0, 50, 25, 0, 150, 75, {15, 7, 45, 29}},
         }) {
        SCOPED_TRACE(c.name);
        Selected();
        PictureMouse m(Image());
        m.Press(MouseButton::Left, c.x0, c.y0, c.modifiers);
        EXPECT_EQ(m.Pressed(), PictureMouse::Part::PictureHandle);
        m.Move(c.x1, c.y1, c.modifiers);
        EXPECT_TRUE(m.BandShown());
        m.Release(MouseButton::Left, c.x1, c.y1);
        EXPECT_TRUE(m.Changed());
        EXPECT_EQ(Image().Width(), c.width);
        EXPECT_EQ(Image().Height(), c.height);
        EXPECT_EQ(ZoneRect(0), c.zone);
        ASSERT_FALSE(undo.UndoDescriptions().empty());
        EXPECT_EQ(undo.UndoDescriptions().front(), "Dimensiona immagine");
        undo.UndoOne();
        EXPECT_EQ(Image().Width(), 200);
        EXPECT_EQ(Image().Height(), 100);
        EXPECT_EQ(ZoneRect(0), (PixelRect{20, 10, 60, 40}));
    }
    EXPECT_EQ(msgs.joined(), "");
}

TEST_F(PictureMouseTest, AnUnselectedPictureHasNoHandlesAndTakesTheFocus) {
    TMyyImage& img = Image();
    EXPECT_FALSE(PictureMouse::Hits(img, 202, 102));
    EXPECT_TRUE(PictureMouse::Hits(img, 199, 99));
    PictureMouse m(img);
    const VisualActions acts = m.Press(MouseButton::Left, 200 - 1, 100 - 1, 0);
    EXPECT_EQ(m.Pressed(), PictureMouse::Part::Picture);
    EXPECT_NE(std::find(acts.begin(), acts.end(), VisualAction::TakeFocus), acts.end());
    // Now selected, a handle reaches four pixels outside the picture.
    img.selected = true;
    EXPECT_TRUE(PictureMouse::Hits(img, 203, 103));
    EXPECT_FALSE(PictureMouse::Hits(img, 205, 50));
}

TEST_F(PictureMouseTest, ZonesAreResizedMovedAndDrawnEachAsOneUndoEntry) {
    // The zone's own handle 4 sits on (60, 40).
    Selected().SelectZone(0);
    PictureMouse m = Drag(60, 40, 80, 50);
    EXPECT_EQ(m.Pressed(), PictureMouse::Part::None);
    EXPECT_EQ(ZoneRect(0), (PixelRect{20, 10, 80, 50}));
    EXPECT_EQ(undo.UndoDescriptions().front(), "Dimensiona zona cliccabile");
    const size_t entries = undo.UndoCount();

    // Dragging the zone's inside moves it, once past four pixels.
    Drag(30, 20, 32, 23);
    EXPECT_EQ(ZoneRect(0), (PixelRect{20, 10, 80, 50}));
    EXPECT_EQ(undo.UndoCount(), entries);
    Drag(30, 20, 40, 25);
    EXPECT_EQ(ZoneRect(0), (PixelRect{30, 15, 90, 55}));
    EXPECT_EQ(undo.UndoDescriptions().front(), "Muovi zona cliccabile");

    // Ctrl draws a band that becomes a new zone, kept within the picture.
    Drag(150, 60, 250, 90, kCtrl);
    ASSERT_EQ(Image().Zones().size(), 2u);
    EXPECT_EQ(Image().SelectedZone(), 0);
    EXPECT_EQ(ZoneRect(0), (PixelRect{150, 60, 200, 90}));
    EXPECT_EQ(undo.UndoDescriptions().front(), "Aggiungi zona cliccabile");
    // A click with Ctrl draws nothing.
    Drag(150, 20, 151, 21, kCtrl);
    EXPECT_EQ(Image().Zones().size(), 2u);

    for (size_t zones : {1u, 1u, 1u}) {
        undo.UndoOne();
        EXPECT_EQ(Image().Zones().size(), zones);
    }
    EXPECT_EQ(ZoneRect(0), (PixelRect{20, 10, 60, 40}));
    EXPECT_EQ(msgs.joined(), "");
}

TEST_F(PictureMouseTest, ThirtyZonesRefuseABandedZone) {
    TMyyImage& img = Selected();
    while (img.Zones().size() < size_t(TMyyImage::kMaxZones)) img.AddZone();
    EXPECT_FALSE(img.CanAddZone());
    const size_t entries = undo.UndoCount();
    // Away from every zone (new ones stand at the last mouse position, 0, 0
    // clamped): the band starts on the picture.
    Drag(150, 60, 190, 90, kCtrl);
    EXPECT_EQ(img.Zones().size(), size_t(TMyyImage::kMaxZones));
    EXPECT_EQ(undo.UndoCount(), entries);
}

TEST_F(PictureMouseTest, ThePropertyChangeIsOneEntryAndIsStored) {
    THQVoggetto* other = set.AddNewObject(immagine);
    other->SetState(1);
    other->SetU16(85, 80);
    other->SetU16(87, 60);
    THQVtesto* target = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    TMyyImage& img = Selected();
    const PlacedPictureFields before = PlacedPictureFields::Read(*img.Object());
    PlacedPictureFields f = before;
    f.picture = other->Number();
    f.rollover = picture->Number();
    f.alignment = 5;
    f.border = true;
    f.width = 40;
    f.height = 30;
    f.percent = true;
    f.alt = std::string(40, 'x');  // cut to 32
    ASSERT_TRUE(img.SetFields(f, {{0, target->Id()}}));
    EXPECT_EQ(undo.UndoDescriptions().front(), "Modifica immagine");
    EXPECT_EQ(img.Width(), 40);
    EXPECT_EQ(img.ZoneTargetId(0), target->Id());
    const PlacedPictureFields now = PlacedPictureFields::Read(*img.Object());
    EXPECT_EQ(now.alt, std::string(32, 'x'));
    EXPECT_EQ(now.picture, other->Number());
    // The natural size is the new picture's, so the size given is kept.
    EXPECT_EQ(img.Object()->U16(15), 80);

    undo.UndoOne();
    EXPECT_EQ(PlacedPictureFields::Read(*Image().Object()), before);
    EXPECT_EQ(Image().ZoneTargetId(0), 0);
    undo.RedoOne();
    ASSERT_TRUE(view.StorePage());
    const THQVoggetto* stored = set.GetObject(immagineNew, placed->Number());
    EXPECT_EQ(stored->I32(0), other->Number());
    EXPECT_EQ(stored->I32(73), target->Id());
    EXPECT_EQ(stored->I16(19), 40);
    EXPECT_EQ(stored->U8(14), 1);
}

TEST_F(PictureMouseTest, AResizeIsUndoneAfterThePageWasStoredAndShownAgain) {
    Selected();
    Drag(200, 100, 100, 50);
    ASSERT_EQ(Image().Width(), 100);
    ASSERT_TRUE(view.StorePage(true));  // as a save does: the page is shown anew
    ASSERT_EQ(Image().Width(), 100);
    undo.UndoOne();
    EXPECT_EQ(Image().Width(), 200);
    EXPECT_EQ(ZoneRect(0), (PixelRect{20, 10, 60, 40}));
    EXPECT_EQ(msgs.joined(), "");
}

}  // namespace
}  // namespace ovik
