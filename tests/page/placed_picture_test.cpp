// The placed picture on a page being edited: zone slots in and out, size,
// zones following a resize, the zone commands and their undo entries, links
// of zones, the zone clipboard, the mouse rules of placed objects, the resize
// handles, the hint and the rollover.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_undo.h"
#include "page/placed_picture.h"
#include "page/thqv_page.h"
#include "platform/clipboard.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "text/layout.h"
#include "undo/undo.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

ZoneSlot Slot(int32_t link, int16_t left, int16_t top, int16_t width, int16_t height) {
    ZoneSlot s;
    s.link = link;
    s.left = left;
    s.top = top;
    s.width = width;
    s.height = height;
    return s;
}

// Page 1 holds "a" + a placed picture of `picture` (101 x 75) + "b"; the view
// is connected to a history as the editing view connects it.
struct PlacedPictureTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    THQVundoList history{set};
    ListNode viewNode, pageNode;
    std::unique_ptr<BoxNode> boxNode;
    int32_t viewIndex = -1;
    std::unique_ptr<THQVpage> view;
    THQVtesto* page = nullptr;
    THQVtesto* target = nullptr;
    THQVoggetto* picture = nullptr;
    THQVoggetto* placed = nullptr;

    PlacedPictureTest() {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        viewIndex = history.views.Add(&viewNode);
        ConnectPlacedObjects(history);
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        target = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        picture = set.AddNewObject(immagine);
        picture->SetState(1);
        picture->SetFileName("figura.gif");
        picture->SetU16(85, 101);
        picture->SetU16(87, 75);
        placed = testing::PlacedPicture(set, picture->Number());
        placed->SetU16(15, 101);
        placed->SetU16(17, 75);
        placed->SetI16(19, 101);
        placed->SetI16(21, 75);
        SetPageText("");
    }

    void SetPageText(const std::string& before) {
        page->SetContent(Content("<Z S0 >" + before + "a" + Tag(placed->Id()) + "b"));
    }

    TMyyImage& Show(bool readOnly = false) {
        if (view) {
            view->StorePage();
            view->ClosePage();
        }
        view = std::make_unique<THQVpage>(host);
        view->SetReadOnly(readOnly);
        view->ShowPage(page);
        THQVbox& box = *view->Box();
        InstallLayout(box);
        ResizePageBox(box, 600, 400);
        viewNode.list.PutAt(page->Number(), &pageNode);
        boxNode = std::make_unique<BoxNode>(box);
        pageNode.list.PutAt(0, boxNode.get());
        view->ConnectHistory(&history, &pageNode.list, page->Number(), viewIndex);
        return Image();
    }
    TMyyImage& Image() {
        for (auto& c : view->Controls())
            if (auto* img = dynamic_cast<TMyyImage*>(c.get())) return *img;
        throw std::runtime_error("no picture control");
    }
    // Stores the page and gives the stored placed picture.
    THQVoggetto& Stored() {
        view->StorePage();
        return *set.GetObject(immagineNew, placed->Number());
    }
};

TEST_F(PlacedPictureTest, OtherKindsKeepThePlaceholderAndPicturesGetTheirModel) {
    // A marker subtype that no control shows.
    THQVoggetto* anchor = set.AddNewObject(shortObj);
    anchor->SetState(1);
    SetPageText(Tag(anchor->Id()));
    Show();
    ASSERT_EQ(view->Controls().size(), 2u);
    EXPECT_NE(dynamic_cast<PlaceholderObject*>(view->Controls()[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<TMyyImage*>(view->Controls()[1].get()), nullptr);
}

TEST_F(PlacedPictureTest, ZonesAreStoredFrontMostFirstAndTheRestEmptied) {
    struct Case {
        const char* name;
        int used;        // slots 0 .. used-1 hold zones
        uint8_t filler;  // the bytes of the unused slots
    };
    for (const Case& c : {Case{"thirty zones", 30, 0}, Case{"three zones, rest 0xFF", 3, 0xFF},
                          Case{"one zone, rest zero bytes", 1, 0}, Case{"none", 0, 0xFF}}) {
        SCOPED_TRACE(c.name);
        for (int s = 0; s < 30; ++s) {
            if (s < c.used) {
                Slot(target->Id(), int16_t(s), int16_t(2 * s), 10, 11).Write(*placed, s);
            } else {
                std::vector<uint8_t> fill(16, c.filler);
                if (c.filler == 0) PutI32(fill.data(), -1);
                placed->WriteRecordBytes(73 + 16 * size_t(s), fill.data(), 16);
            }
        }
        TMyyImage& img = Show();
        ASSERT_EQ(img.Zones().size(), size_t(c.used));
        // Back to front: slot 0 is the last (front-most) zone.
        if (c.used > 0) {
            EXPECT_EQ(img.Zones().back().left, 0);
        }
        THQVoggetto& stored = Stored();
        for (int s = 0; s < 30; ++s) {
            ZoneSlot z = ZoneSlot::Read(stored, s);
            if (s < c.used) {
                EXPECT_EQ(z.link, target->Id());
                EXPECT_EQ(z.left, s);
                EXPECT_EQ(z.top, 2 * s);
                EXPECT_EQ(z.width, 10);
            } else {
                EXPECT_EQ(z.Bytes16(), ZoneSlot::Empty().Bytes16()) << "slot " << s;
            }
        }
    }
}

TEST_F(PlacedPictureTest, SizeComesFromThePictureAndScaleIsInteger) {
    TMyyImage& img = Show();
    EXPECT_EQ(img.Width(), 101);
    img.Scale(50);
    EXPECT_EQ(img.Width(), 50);
    EXPECT_EQ(img.Height(), 37);
    EXPECT_EQ(history.UndoDescriptions().front(), "Dimensiona immagine");
    EXPECT_EQ(Stored().I16(19), 50);
    EXPECT_EQ(set.GetObject(immagineNew, placed->Number())->I16(21), 37);

    // The picture changed size since the placement last saw it: both sizes follow.
    picture->SetU16(85, 64);
    picture->SetU16(87, 48);
    TMyyImage& again = Show();
    EXPECT_EQ(again.Width(), 64);
    EXPECT_EQ(again.Height(), 48);
}

TEST_F(PlacedPictureTest, WithoutItsPictureAPlacementShowsAtItsStoredSizeOr100) {
    placed->SetI32(0, 77);  // no such picture
    placed->SetI16(19, 60);
    placed->SetI16(21, 0);
    TMyyImage& img = Show();
    EXPECT_EQ(img.Width(), 60);
    EXPECT_EQ(img.Height(), 100);
    img.Scale(50);
    EXPECT_EQ(img.Width(), 100);
    EXPECT_EQ(img.Height(), 100);
}

TEST_F(PlacedPictureTest, ZonesFollowAResizeByIntegerFactors) {
    struct Case {
        int16_t from, to;
        int32_t left, width;  // the zone's after the resize (left 90, width 30 before)
    };
    for (const Case& c : {Case{200, 100, 45, 15}, Case{3, 2, 59, 19}, Case{100, 300, 270, 90}}) {
        SCOPED_TRACE(c.from);
        picture->SetU16(85, uint16_t(c.from));
        picture->SetU16(87, 50);
        Slot(0, 90, 40, 30, 20).Write(*placed, 0);
        TMyyImage& img = Show();
        ASSERT_EQ(img.Width(), c.from);
        img.Resize(c.to, 25);  // vertical factor 500
        ASSERT_EQ(img.Zones().size(), 1u);
        EXPECT_EQ(img.Zones()[0].left, c.left);
        EXPECT_EQ(img.Zones()[0].width, c.width);
        EXPECT_EQ(img.Zones()[0].top, 20);
        EXPECT_EQ(img.Zones()[0].height, 10);
        EXPECT_EQ(img.Width(), c.to);
        EXPECT_EQ(history.UndoDescriptions().front(), "Dimensiona immagine");
        // Undo brings the size and the zones back.
        history.UndoOne();
        EXPECT_EQ(Image().Width(), c.from);
        EXPECT_EQ(Image().Zones()[0].left, 90);
        EXPECT_EQ(Image().Zones()[0].width, 30);
    }
}

TEST_F(PlacedPictureTest, AddZoneClampsToThePictureAndStopsAtThirty) {
    TMyyImage& img = Show();
    img.lastMouseX = 500;
    img.lastMouseY = 20;
    ASSERT_TRUE(img.AddZone());
    EXPECT_EQ(img.Zones()[0].left, 101 - 10);
    EXPECT_EQ(img.Zones()[0].top, 20);
    EXPECT_EQ(img.Zones()[0].width, 30);
    EXPECT_EQ(img.SelectedZone(), 0);
    EXPECT_EQ(history.UndoDescriptions().front(), "Aggiungi zona cliccabile");
    // A second zone goes to the back: the first stays in front (slot 0).
    img.lastMouseX = 5;
    img.lastMouseY = 90;
    ASSERT_TRUE(img.AddZone());
    EXPECT_EQ(img.Zones()[0].top, 75 - 10);
    for (int i = 2; i < 30; ++i) ASSERT_TRUE(img.AddZone());
    EXPECT_FALSE(img.CanAddZone());
    EXPECT_FALSE(img.AddZone());
    EXPECT_EQ(img.Zones().size(), 30u);
    EXPECT_EQ(history.UndoCount(), 11u);  // depth 10 keeps 11
    THQVoggetto& stored = Stored();
    EXPECT_EQ(ZoneSlot::Read(stored, 0).left, 91);  // the first zone added is in front
    for (int s = 0; s < 30; ++s) EXPECT_EQ(ZoneSlot::Read(stored, s).link, 0);  // never linked: page 0
}

TEST_F(PlacedPictureTest, BringToFrontThenStorePutsTheZoneInSlotZero) {
    Slot(target->Id(), 1, 1, 5, 5).Write(*placed, 0);
    Slot(target->Id(), 2, 2, 5, 5).Write(*placed, 1);
    Slot(target->Id(), 3, 3, 5, 5).Write(*placed, 2);
    TMyyImage& img = Show();
    EXPECT_FALSE(img.BringZoneToFront());  // no zone focused
    img.SelectZone(0);                     // the back-most: slot 2
    ASSERT_TRUE(img.BringZoneToFront());
    EXPECT_EQ(history.UndoDescriptions().front(), "Poni zona in primo piano");
    img.SelectZone(1);  // slot 0's zone is now second from the back
    ASSERT_TRUE(img.SendZoneToBack());
    EXPECT_EQ(history.UndoDescriptions().front(), "Poni zona in secondo piano");
    THQVoggetto& stored = Stored();
    EXPECT_EQ(ZoneSlot::Read(stored, 0).left, 3);
    EXPECT_EQ(ZoneSlot::Read(stored, 1).left, 2);
    EXPECT_EQ(ZoneSlot::Read(stored, 2).left, 1);
}

TEST_F(PlacedPictureTest, DeleteZoneAndUndoEachStep) {
    Slot(target->Id(), 1, 1, 5, 5).Write(*placed, 0);
    Slot(target->Id(), 2, 2, 5, 5).Write(*placed, 1);
    TMyyImage& img = Show();
    img.SelectZone(1);
    ASSERT_TRUE(img.DeleteSelectedZone());
    EXPECT_EQ(history.UndoDescriptions().front(), "Cancella zona cliccabile");
    ASSERT_EQ(img.Zones().size(), 1u);
    EXPECT_EQ(img.Zones()[0].left, 2);
    history.UndoOne();
    ASSERT_EQ(Image().Zones().size(), 2u);
    EXPECT_EQ(Image().SelectedZone(), 1);  // the saved zone is selected again
    EXPECT_EQ(Image().Zones()[1].left, 1);
}

TEST_F(PlacedPictureTest, ZoneLinksThatNameNothingFallBackToPageZero) {
    auto address = set.NewInternetLink("http://esempio.it/");
    THQVoggetto* web = THQVoggetto::Register(address, -1);
    Slot(web->Id(), 0, 0, 5, 5).Write(*placed, 0);
    Slot(target->Id(), 0, 0, 5, 5).Write(*placed, 1);         // a page that exists
    Slot(MakeId(testoHtml, 40), 0, 0, 5, 5).Write(*placed, 2);  // a page that does not
    Slot(MakeId(internetLink, 50), 0, 0, 5, 5).Write(*placed, 3);
    TMyyImage& img = Show();
    ASSERT_EQ(img.Zones().size(), 4u);
    EXPECT_EQ(img.ZoneTargetId(3), web->Id());  // page-local copy of the address
    EXPECT_EQ(img.ZoneHint(3), links::Describe(*web));
    EXPECT_EQ(img.Zones()[2].link, target->Id());
    EXPECT_EQ(img.Zones()[1].link, 0);
    EXPECT_EQ(img.Zones()[0].link, 0);
    // Linking a zone to an address makes a page-local copy; storing merges it.
    img.SetZoneLink(1, web->Id());
    img.SetZoneLink(0, -1);
    THQVoggetto& stored = Stored();
    EXPECT_EQ(ZoneSlot::Read(stored, 0).link, web->Id());
    EXPECT_EQ(ZoneSlot::Read(stored, 1).link, target->Id());
    EXPECT_EQ(ZoneSlot::Read(stored, 2).link, web->Id());
    EXPECT_EQ(ZoneSlot::Read(stored, 3).link, 0);
}

TEST_F(PlacedPictureTest, ZonesTravelOnTheClipboard) {
    platform::InMemoryClipboard clipboard;
    Slot(target->Id(), 10, 12, 20, 22).Write(*placed, 0);
    TMyyImage& img = Show();
    EXPECT_FALSE(img.CopyZone(clipboard));  // no zone selected: the picture is copied instead
    img.SelectZone(0);
    ASSERT_TRUE(img.CopyZone(clipboard));
    const std::string data = *clipboard.Format(platform::kZoneFormat);
    ASSERT_EQ(data.size(), 20u);
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    EXPECT_EQ(GetI32(p), 2);
    EXPECT_EQ(ZoneSlot::FromBytes(p + 4).Bytes16(), Slot(target->Id(), 10, 12, 20, 22).Bytes16());

    EXPECT_EQ(img.Paste(clipboard), PictureTarget::ZonePasted);
    EXPECT_EQ(history.UndoDescriptions().front(), "Inserimento da Cartella appunti");
    ASSERT_EQ(img.Zones().size(), 2u);
    EXPECT_EQ(img.Zones()[0].left, 15);  // back-most, offset by 5, 5
    EXPECT_EQ(img.Zones()[0].top, 17);
    EXPECT_EQ(img.Zones()[0].link, target->Id());
    EXPECT_EQ(img.SelectedZone(), 0);

    // Other contents.
    platform::ClipboardData d;
    d.formats[platform::kZoneFormat] = std::string("\x03\0\0\0", 4) + std::string(16, '\0');
    clipboard.Set(d);
    EXPECT_EQ(img.Paste(clipboard), PictureTarget::None);
    d.formats[platform::kZoneFormat] = std::string("\x02\0\0\0", 4);  // cut short
    clipboard.Set(d);
    EXPECT_EQ(img.Paste(clipboard), PictureTarget::None);
    d.formats[platform::kObjectsFormat] = "x";
    clipboard.Set(d);
    EXPECT_EQ(img.Paste(clipboard), PictureTarget::ObjectsIgnored);
    platform::ClipboardData bitmap;
    bitmap.bitmap = platform::ClipboardBitmap{1, 1, {0, 0, 0, 255}};
    clipboard.Set(bitmap);
    EXPECT_EQ(img.Paste(clipboard), PictureTarget::PictureFromClipboard);
    EXPECT_EQ(img.Zones().size(), 2u);

    // A full picture takes no 31st zone.
    clipboard.Set({});
    img.SelectZone(0);
    img.CopyZone(clipboard);
    for (int i = 2; i < 30; ++i) ASSERT_EQ(img.Paste(clipboard), PictureTarget::ZonePasted);
    EXPECT_EQ(img.Paste(clipboard), PictureTarget::ZoneRefused);
    EXPECT_EQ(img.Zones().size(), 30u);
}

TEST_F(PlacedPictureTest, MovingAZoneRecordsOnceAndFollowsTheMouse) {
    Slot(target->Id(), 10, 10, 20, 20).Write(*placed, 0);
    TMyyImage& img = Show();
    img.ZonePress(0, MouseButton::Left, 15, 15);
    EXPECT_EQ(img.ZoneMove(0, 18, 18), VisualActions{VisualAction::ShowZoneHint});  // within 4 pixels
    EXPECT_EQ(history.UndoCount(), 0u);
    EXPECT_EQ(img.ZoneMove(0, 25, 15), VisualActions{VisualAction::StartZoneMove});
    EXPECT_EQ(history.UndoDescriptions().front(), "Muovi zona cliccabile");
    img.ZoneMove(0, 30, 20);
    EXPECT_EQ(img.ZoneBand(), (PixelRect{25, 15, 45, 35}));
    img.ZoneRelease(0, MouseButton::Left, 30, 20);
    EXPECT_EQ(img.Zones()[0].left, 25);
    EXPECT_EQ(img.Zones()[0].top, 15);
    EXPECT_EQ(history.UndoCount(), 1u);
    ASSERT_TRUE(img.ResizeZone(0, {0, 0, 8, 9}));
    EXPECT_EQ(history.UndoDescriptions().front(), "Dimensiona zona cliccabile");
    EXPECT_EQ(img.ZoneKeyDown(0, EditKey::Delete, false), VisualActions{VisualAction::PostDeleteZone});
    EXPECT_TRUE(img.ZoneKeyDown(0, EditKey::Delete, true).empty());
}

TEST_F(PlacedPictureTest, ReadOnlyViewsFollowZonesAndChangeNothing) {
    Slot(target->Id(), 10, 10, 20, 20).Write(*placed, 0);
    TMyyImage& img = Show(true);
    EXPECT_TRUE(img.ZonePress(0, MouseButton::Left, 15, 15).empty());
    EXPECT_EQ(img.ZoneRelease(0, MouseButton::Left, 15, 15), VisualActions{VisualAction::FollowZoneLink});
    EXPECT_FALSE(img.CanAddZone());
    EXPECT_FALSE(img.AddZone());
    img.SelectZone(0);
    EXPECT_FALSE(img.DeleteSelectedZone());
    EXPECT_EQ(history.UndoCount(), 0u);
}

TEST(PlacedObjectMouse, APendingDragNeedsFiveOneWayAndTwoTheOther) {
    struct Case {
        int32_t dx, dy;
        bool drags;
    };
    for (const Case& c : {Case{100, 0, false}, Case{100, 1, false}, Case{-100, 1, false}, Case{5, 2, true},
                          Case{2, 5, true}, Case{4, 4, false}, Case{1, 50, false}, Case{-5, -2, true}}) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        EXPECT_EQ(PassesDragThreshold(c.dx, c.dy), c.drags);
    }
}

TEST_F(PlacedPictureTest, MouseRulesOfAPlacedObject) {
    TMyyImage& img = Show();
    // Press: focus, the next move is ignored, then a pending drag.
    VisualActions a = img.MousePress(MouseButton::Left, 10, 10);
    EXPECT_EQ(a, (VisualActions{VisualAction::HideHandles, VisualAction::DefaultCursor, VisualAction::TakeFocus}));
    EXPECT_TRUE(img.MouseMove(30, 10).empty());  // ignored right after taking the focus
    EXPECT_TRUE(img.MouseMove(60, 11).empty());  // exactly horizontal: no drag
    EXPECT_TRUE(img.MouseMove(12, 14).empty());  // 2 across, 4 down: not yet
    EXPECT_EQ(img.MouseMove(12, 15), (VisualActions{VisualAction::SelectInBox, VisualAction::BeginImmediateDrag}));
    EXPECT_FALSE(img.DragPending());
    EXPECT_TRUE(img.MouseRelease(MouseButton::Left, 12, 15).empty());

    // Double click opens the properties and swallows the following release.
    EXPECT_EQ(img.DoubleClick(), VisualActions{VisualAction::OpenProperties});
    EXPECT_TRUE(img.MouseRelease(MouseButton::Right, 1, 1).empty());

    // Right button: select, own popup, focus.
    img.selected = false;
    img.MousePress(MouseButton::Right, 3, 3);
    EXPECT_EQ(img.MouseRelease(MouseButton::Right, 3, 3),
              (VisualActions{VisualAction::SelectInFrameSet, VisualAction::ShowOwnPopup, VisualAction::TakeFocus}));
    // Keys select the object in its box first.
    EXPECT_EQ(img.KeyDown(EditKey::Delete, false), VisualActions{VisualAction::SelectInBox});
    EXPECT_TRUE(img.KeyDown(EditKey::Left, true).empty());
    EXPECT_TRUE(img.KeyDown(EditKey::Enter, false).empty());
    // With the handles in drag mode the box drags.
    img.handlesDragMode = true;
    EXPECT_EQ(img.MousePress(MouseButton::Left, 3, 3), VisualActions{VisualAction::BeginBoxDrag});
}

TEST_F(PlacedPictureTest, ReadOnlyAndInactiveObjectsActivate) {
    TMyyImage& img = Show(true);
    EXPECT_EQ(img.MousePress(MouseButton::Left, 1, 1),
              (VisualActions{VisualAction::HideHandles, VisualAction::DefaultCursor}));
    EXPECT_EQ(img.MouseRelease(MouseButton::Left, 1, 1), VisualActions{VisualAction::Activate});
    EXPECT_TRUE(img.MouseRelease(MouseButton::Right, 1, 1).empty());
    EXPECT_TRUE(img.DoubleClick().empty());

    TMyyImage& editable = Show(false);
    editable.Working().inactive = true;  // as a header's object
    editable.MousePress(MouseButton::Left, 1, 1);
    EXPECT_EQ(editable.MouseRelease(MouseButton::Left, 1, 1), VisualActions{VisualAction::Activate});
    editable.selected = true;
    EXPECT_EQ(editable.MouseRelease(MouseButton::Right, 1, 1),
              (VisualActions{VisualAction::ShowInactivePopup, VisualAction::FocusMainBox}));
    editable.Scale(50);
    EXPECT_EQ(editable.Width(), 101);
}

TEST(ResizeHandlesGeometry, EightSquaresCentredOnTheirPoints) {
    const PixelRect r{10, 20, 110, 70};
    EXPECT_EQ(ResizeHandles::Square(1, r), (PixelRect{6, 16, 14, 24}));
    EXPECT_EQ(ResizeHandles::Square(4, r), (PixelRect{106, 66, 114, 74}));
    EXPECT_EQ(ResizeHandles::Square(5, r), (PixelRect{56, 16, 64, 24}));
    EXPECT_EQ(ResizeHandles::Square(8, r), (PixelRect{106, 41, 114, 49}));
    EXPECT_EQ(ResizeHandles::HandleAt(r, 7, 17), 1);
    EXPECT_EQ(ResizeHandles::HandleAt(r, 60, 45), 0);
    EXPECT_EQ(ResizeHandles::CursorOf(2), SizeCursor::DiagonalUp);
    EXPECT_EQ(ResizeHandles::CursorOf(6), SizeCursor::Vertical);
    EXPECT_EQ(ResizeHandles::CursorOf(7), SizeCursor::Horizontal);

    struct Case {
        int handle;
        int32_t dx, dy;
        bool shift;
        PixelRect band;
    };
    for (const Case& c : {Case{4, 10, 6, false, {10, 20, 120, 76}}, Case{4, 10, 6, true, {10, 20, 116, 76}},
                          Case{1, -10, -4, true, {6, 16, 110, 70}}, Case{2, 12, -3, true, {10, 17, 113, 70}},
                          Case{5, 9, 7, true, {10, 27, 110, 70}},  // Shift only on corners
                          Case{7, 500, 0, false, {109, 20, 110, 70}}}) {
        SCOPED_TRACE(c.handle);
        EXPECT_EQ(ResizeHandles::Drag(c.handle, r, c.dx, c.dy, c.shift), c.band);
    }
}

TEST_F(PlacedPictureTest, TheHintJoinsTheLinkTheAltTextAndTheExtraHtml) {
    placed->SetStr(28, 32, "Una figura");
    Bytes wrapper(4, 0);
    const std::string extra = "BORDER=2 onclick";
    wrapper.insert(wrapper.end(), extra.begin(), extra.end());
    placed->SetWrapper(wrapper);
    EXPECT_EQ(Show().Hint(), "Una figura\r\n----------\r\n" + extra);
    EXPECT_EQ(Image().Cursor(), PictureCursor::Default);
    EXPECT_EQ(Show(true).Hint(), "Una figura");  // no extra HTML in preview

    // Inside a link: the link's description first, the rest before its "|".
    view.reset();
    THQVoggetto* special = set.AddNewObject(speclink);
    special->SetState(1);
    special->SetI32(13, target->Id());
    placed->ClearWrapper();
    page->SetContent(Content("<Z S0 >" + Tag(special->Id()) + "a" + Tag(placed->Id()) + "b<%>"));
    TMyyImage& img = Show();
    const std::string description = links::Describe(*special);
    std::string expected = description;
    if (size_t bar = description.find('|'); bar != std::string::npos) expected.insert(bar, " - Una figura");
    else expected += " - Una figura";
    EXPECT_EQ(img.Hint(), expected);
    EXPECT_EQ(img.Cursor(), PictureCursor::Number5);
    EXPECT_EQ(Show(true).Cursor(), PictureCursor::Link);
    EXPECT_EQ(Image().Hint(), "Una figura");  // no link description in preview
}

TEST_F(PlacedPictureTest, RolloverShowsWhileTheMouseIsOver) {
    THQVoggetto* over = set.AddNewObject(immagine);
    over->SetState(1);
    TMyyImage& plain = Show();
    EXPECT_FALSE(plain.MouseEnter(true));  // no rollover picture
    view.reset();
    placed->SetI32(9, over->Number());
    TMyyImage& img = Show();
    EXPECT_FALSE(img.MouseEnter(false));  // hints off
    img.selected = true;
    EXPECT_FALSE(img.MouseEnter(true));
    img.selected = false;
    EXPECT_TRUE(img.MouseEnter(true));
    EXPECT_EQ(img.ShownPictureNumber(), over->Number());
    EXPECT_TRUE(img.MouseLeave());
    EXPECT_EQ(img.lastMouseX, -1);
    EXPECT_EQ(img.ShownPictureNumber(), picture->Number());
    EXPECT_FALSE(img.MouseLeave());
}

TEST(PictureUndo, RestoringAChangedPictureDropsItsCachedDecoding) {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    set.NewHypertext();
    THQVundoList history{set};
    THQVoggetto* p = set.AddNewObject(immagine);
    p->SetState(1);
    p->SetU16(85, 10);
    set.CachePicture(*p, std::make_shared<DecodedPicture>());
    history.Add(std::make_unique<TogBackup>(set, *p, "Modifica immagine " + p->Description()));
    p->SetU16(85, 20);
    history.UndoOne();
    EXPECT_EQ(p->U16(85), 10);
    EXPECT_EQ(set.CachedPicture(*p), nullptr);
}

}  // namespace
}  // namespace ovik
