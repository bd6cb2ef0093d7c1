// Placed pictures in the editor, offscreen: painting stretched (animated GIFs
// play in preview only), selecting and resizing with the mouse with the zones
// following, the picture commands of the menus and popups, the property
// window, a picture inserted from a file and one pasted from the clipboard,
// each change undone.
#include <gtest/gtest.h>

#include <gif_lib.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <set>

#include "document/hqv_set.h"
#include "document/picture.h"
#include "page/page_record.h"
#include "page/placed_picture.h"
#include "page/working_copy.h"
#include "platform/clipboard.h"
#include "platform/messages.h"
#include "editor_window.h"
#include "mouse_events.h"
#include "qt_test_app.h"
#include "support/page_text.h"
#include "ui/dialogs/links.h"
#include "ui/dialogs/picture_from_clipboard.h"
#include "ui/dialogs/picture_properties.h"
#include "ui/main_window.h"
#include "ui/link_navigator.h"
#include "ui/picture_commands.h"
#include "ui/qt_platform.h"

namespace ovik::ui {
namespace {

using ovik::testing::Content;
using ovik::testing::Tag;

int WriteGifBytes(GifFileType* g, const GifByteType* b, int n) {
    auto* out = static_cast<Bytes*>(g->UserData);
    out->insert(out->end(), b, b + n);
    return n;
}

// A GIF of three 8 x 8 frames, red and white.
Bytes AnimatedGif() {
    Bytes out;
    int err = 0;
    GifFileType* g = EGifOpen(&out, WriteGifBytes, &err);
    ColorMapObject* map = GifMakeMapObject(2, nullptr);
    map->Colors[0] = {255, 0, 0};
    map->Colors[1] = {255, 255, 255};
    EGifSetGifVersion(g, true);
    EGifPutScreenDesc(g, 8, 8, 8, 0, map);
    for (int f = 0; f < 3; ++f) {
        // A delay of 10 hundredths between frames.
        const GifByteType gce[4] = {0, 10, 0, 0};
        EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, gce);
        EGifPutImageDesc(g, 0, 0, 8, 8, false, nullptr);
        GifPixelType line[8];
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) line[x] = GifPixelType((x + f) % 2);
            EGifPutLine(g, line, 8);
        }
    }
    EGifCloseFile(g, &err);
    GifFreeMapObject(map);
    return out;
}

// A hypertext whose page 0 reads "testo ", a 120 x 60 blue picture with one
// zone (20, 10, 40 x 30) linked to page 1, and " fine"; page 2 holds an
// animated GIF. The editor has it open.
struct PicturesUi : ::testing::Test {
    QTemporaryDir dir;
    QString file, png, smallPng;
    std::unique_ptr<platform::InMemorySettings> store;
    std::unique_ptr<TMainForm> window;
    platform::InMemoryClipboard clipboard;

    void SetUp() override {
        TestApp();
        file = dir.filePath("figure.hqv");
        png = dir.filePath("blu.png");
        smallPng = dir.filePath("verde.png");
        QImage blue(120, 60, QImage::Format_RGB32);
        blue.fill(QColor(0, 0, 255));
        ASSERT_TRUE(blue.save(png));
        QImage green(30, 20, QImage::Format_RGB32);
        green.fill(QColor(0, 255, 0));
        ASSERT_TRUE(green.save(smallPng));
        const QString gif = dir.filePath("anim.gif");
        {
            const Bytes g = AnimatedGif();
            QFile f(gif);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(reinterpret_cast<const char*>(g.data()), qint64(g.size()));
        }
        platform::RecordingMessages msgs;
        {
        THQVset set(msgs);
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due", "Tre", "Quattro"}) set.AddNewObject(testoHtml)->SetName(t);
        THQVoggetto* picture = set.AddPictureFile(png.toStdString());
        ASSERT_NE(picture, nullptr);
        auto placed = set.AddImmagineNew(picture);
        ZoneSlot z;
        z.link = set.Page(1)->Id();
        z.left = 20;
        z.top = 10;
        z.width = 40;
        z.height = 30;
        z.Write(*placed, 0);
        for (int s = 1; s < 30; ++s) ZoneSlot::Empty().Write(*placed, s);
        const int32_t id = THQVoggetto::Register(placed, -1)->Id();
        set.Page(0)->SetContent(Content("<Z S0 >testo " + Tag(id) + " fine"));
        THQVoggetto* anim = set.AddPictureFile(gif.toStdString());
        ASSERT_NE(anim, nullptr);
        auto animPlaced = set.AddImmagineNew(anim);
        for (int s = 0; s < 30; ++s) ZoneSlot::Empty().Write(*animPlaced, s);
        const int32_t animId = THQVoggetto::Register(animPlaced, -1)->Id();
        set.Page(2)->SetContent(Content("<Z S0 >" + Tag(animId)));
        // Pages 3 and 4 hold a picture each (to be a header and a footer).
        for (int32_t page : {3, 4}) {
            auto copy = set.AddImmagineNew(picture);
            for (int s = 0; s < 30; ++s) ZoneSlot::Empty().Write(*copy, s);
            const int32_t copyId = THQVoggetto::Register(copy, -1)->Id();
            set.Page(page)->SetContent(Content("<Z S0 >" + Tag(copyId)));
        }
        ASSERT_TRUE(set.SaveHypertext(file.toStdString()));
        }  // the file is closed before the editor opens it

        store = std::make_unique<platform::InMemorySettings>();
        window = OpenEditor(*store, file);
        ASSERT_NE(window, nullptr);
        window->Pictures().clipboard = &clipboard;
        QApplication::processEvents();
    }
    void TearDown() override {
        window.reset();
        store.reset();
    }
    TPageView& View() { return *window->View(); }
    std::vector<TMyyImage*> Images() {
        std::vector<TMyyImage*> out;
        if (View().Page())
            for (auto& c : View().Page()->Controls())
                if (auto* i = dynamic_cast<TMyyImage*>(c.get())) out.push_back(i);
        return out;
    }
    TMyyImage& First() { return *Images().at(0); }
    QAction* PopupAction(QMenu* menu, const char* name) {
        for (QAction* a : menu->actions())
            if (a->objectName() == name) return a;
        ADD_FAILURE() << "no action " << name;
        return nullptr;
    }
    // A mouse event on the viewport at a box point.
    void Mouse(QEvent::Type type, QPoint boxPoint, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = {}) {
        // The page is not scrolled in these tests.
        SendMouse(View().viewport(), type, boxPoint, button, buttons, mods);
    }
    void Click(QPoint at) {
        Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void DragWithLeft(QPoint from, QPoint to) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
};

TEST_F(PicturesUi, ThePictureIsPaintedStretchedAndAnimatesOnlyInPreview) {
    const QRect r = View().PictureRect(First());
    ASSERT_EQ(r.size(), QSize(120, 60));
    QImage shot = View().viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(r.center()), QColor(0, 0, 255));
    // Through the property window's size the same picture is stretched.
    View().SelectPicture(&First());
    View().RunOnPicture([](TMyyImage& i) { i.Resize(240, 30); });
    QApplication::processEvents();
    const QRect wide = View().PictureRect(First());
    EXPECT_EQ(wide.size(), QSize(240, 30));
    shot = View().viewport()->grab().toImage();
    // Away from the handles of the selected picture.
    EXPECT_EQ(shot.pixelColor(wide.left() + 180, wide.center().y()), QColor(0, 0, 255));

    window->ShowPage(2);
    View().viewport()->grab();
    EXPECT_EQ(View().RunningAnimations(), 0);  // editing: the first frame, still
    View().SetReadOnly(true);
    View().viewport()->grab();
    EXPECT_EQ(View().RunningAnimations(), 1);
    View().SetReadOnly(false);
    EXPECT_EQ(View().RunningAnimations(), 0);
}

TEST_F(PicturesUi, ResizingWithTheMouseMakesTheZonesFollowAndUndoBringsThemBack) {
    const QRect r = View().PictureRect(First());
    ASSERT_FALSE(r.isNull());
    Click(r.center());
    ASSERT_EQ(View().SelectedPicture(), &First());
    // The bottom-right handle, dragged to half the size.
    DragWithLeft(QPoint(r.left() + 120, r.top() + 60), QPoint(r.left() + 60, r.top() + 30));
    EXPECT_EQ(First().Width(), 60);
    EXPECT_EQ(First().Height(), 30);
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{10, 5, 30, 20}));
    EXPECT_TRUE(window->Action("EditUndo")->isEnabled());
    View().Undo();
    EXPECT_EQ(First().Width(), 120);
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{20, 10, 60, 40}));

    // The zone dragged by its inside moves; undo puts it back.
    Click(r.topLeft() + QPoint(25, 15));
    DragWithLeft(r.topLeft() + QPoint(25, 15), r.topLeft() + QPoint(45, 25));
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{40, 20, 80, 50}));
    View().Undo();
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{20, 10, 60, 40}));

    // Ctrl draws a new zone.
    Mouse(QEvent::MouseButtonPress, r.topLeft() + QPoint(70, 5), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    Mouse(QEvent::MouseMove, r.topLeft() + QPoint(110, 50), Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    Mouse(QEvent::MouseButtonRelease, r.topLeft() + QPoint(110, 50), Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    ASSERT_EQ(First().Zones().size(), 2u);
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{70, 5, 110, 50}));
    // A click on the text lets the picture go.
    Click(QPoint(2, r.center().y()));
    EXPECT_EQ(View().SelectedPicture(), nullptr);
}

TEST_F(PicturesUi, PopupCommandsActOnThePictureAndItsZonesUpToThirty) {
    View().SelectPicture(&First());
    TPictureCommands& p = window->Pictures();
    p.UpdateState();
    QAction* add = PopupAction(p.popupImage, "PicAddZone");
    ASSERT_TRUE(add && add->isEnabled());
    EXPECT_FALSE(PopupAction(p.popupImage, "PicPasteZone")->isEnabled());
    add->trigger();
    ASSERT_EQ(First().Zones().size(), 2u);
    EXPECT_EQ(First().SelectedZone(), 0);

    // Copy the selected zone and paste it: offset by 5, 5.
    p.UpdateState();
    PopupAction(p.popupMapZone, "ZoneCopy")->trigger();
    First().SelectZone(1);
    View().Copy();
    // The view copies to the system's clipboard; the commands look there too.
    QtClipboard system;
    p.clipboard = &system;
    p.UpdateState();
    EXPECT_TRUE(PopupAction(p.popupMapZone, "ZonePaste")->isEnabled());
    PopupAction(p.popupMapZone, "ZonePaste")->trigger();
    ASSERT_EQ(First().Zones().size(), 3u);
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{25, 15, 65, 45}));

    First().SelectZone(0);
    PopupAction(p.popupMapZone, "ZoneFront")->trigger();
    EXPECT_EQ(First().Zones().back().Rect(), (PixelRect{25, 15, 65, 45}));
    PopupAction(p.popupMapZone, "ZoneDelete")->trigger();
    EXPECT_EQ(First().Zones().size(), 2u);
    View().Undo();
    EXPECT_EQ(First().Zones().size(), 3u);

    PopupAction(p.popupImage, "PicSize50")->trigger();
    EXPECT_EQ(First().Width(), 60);
    EXPECT_EQ(First().Height(), 30);
    PopupAction(p.popupImage, "PicSize100")->trigger();
    EXPECT_EQ(First().Width(), 120);

    while (First().Zones().size() < 30) add->trigger();
    p.UpdateState();
    EXPECT_FALSE(add->isEnabled());
    EXPECT_FALSE(PopupAction(p.popupMapZone, "ZoneAdd")->isEnabled());
    EXPECT_FALSE(PopupAction(p.popupImage, "PicPasteZone")->isEnabled());
    // Storing writes all thirty.
    const int32_t number = First().Working().storedNumber;
    ASSERT_TRUE(View().StorePage());
    const THQVoggetto* stored = window->Set().GetObject(immagineNew, number);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored->I32(73 + 16 * 29), -1);
}

TEST_F(PicturesUi, ThePropertyWindowShowsAndChangesThePictureAsOneUndoEntry) {
    View().SelectPicture(&First());
    TPictureCommands& p = window->Pictures();
    const std::string altBefore = PlacedPictureFields::Read(*First().Object()).alt;
    bool shown = false;
    p.execWindow = [&](QDialog& d) {
        auto* w = dynamic_cast<TFPropImmagine*>(&d);
        if (!w) return int(QDialog::Rejected);
        shown = true;
        EXPECT_EQ(w->width->value(), 120);
        EXPECT_EQ(w->percent->value(), 100);
        EXPECT_EQ(w->zones->topLevelItemCount(), 1);
        EXPECT_FALSE(w->border->isChecked());
        w->percent->setValue(50);
        EXPECT_EQ(w->width->value(), 60);
        EXPECT_EQ(w->height->value(), 30);
        w->border->setChecked(true);
        w->alt->setText("Mare blu");
        w->alignment->setCurrentIndex(w->alignment->findText("Alto"));
        return int(QDialog::Accepted);
    };
    p.PictureProperties();
    ASSERT_TRUE(shown);
    const PlacedPictureFields f = PlacedPictureFields::Read(*First().Object());
    EXPECT_EQ(f.width, 60);
    EXPECT_TRUE(f.percent);
    EXPECT_TRUE(f.border);
    EXPECT_EQ(f.alt, "Mare blu");
    EXPECT_EQ(f.alignment, 5);
    EXPECT_EQ(First().Zones()[0].Rect(), (PixelRect{20, 10, 60, 40}));  // the window does not move zones
    View().Undo();
    EXPECT_EQ(PlacedPictureFields::Read(*First().Object()).alt, altBefore);
    EXPECT_EQ(First().Width(), 120);
    // Cancel changes nothing.
    p.execWindow = [](QDialog&) { return int(QDialog::Rejected); };
    p.PictureProperties();
    EXPECT_EQ(First().Width(), 120);
}

TEST_F(PicturesUi, InsertPictureTakesAFileAndPlacesItAtTheCaret) {
    QAction* insert = window->Action("InsertPicture");
    ASSERT_TRUE(insert->isEnabled());
    EXPECT_FALSE(insert->property("missingFeature").isValid());
    View().Box()->SetCaret(0, 0);
    window->Pictures().execWindow = [&](QDialog& d) {
        auto* w = dynamic_cast<TFPropImmagine*>(&d);
        if (!w) return int(QDialog::Rejected);
        w->askPictureFile = [&] { return smallPng; };
        w->fromFile->click();
        EXPECT_EQ(w->width->value(), 30);
        EXPECT_EQ(w->height->value(), 20);
        return int(QDialog::Accepted);
    };
    insert->trigger();
    ASSERT_EQ(Images().size(), 2u);
    TMyyImage* added = View().SelectedPicture();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Width(), 30);
    QApplication::processEvents();
    const QRect r = View().PictureRect(*added);
    // At the caret, before the text and the other picture.
    EXPECT_LT(r.right(), View().PictureRect(*(Images()[0] == added ? Images()[1] : Images()[0])).left());
    const QImage shot = View().viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(r.center()), QColor(0, 255, 0));
    View().Undo();
    QApplication::processEvents();
    int placedInText = 0;
    for (const auto& rec : View().Box()->Paragraph(0).Records()) placedInText += rec.object >= 0;
    EXPECT_EQ(placedInText, 1);
}

TEST_F(PicturesUi, APastedBitmapGoesThroughTheClipboardWindowAndThePropertyWindow) {
    platform::ClipboardData d;
    platform::ClipboardBitmap b;
    b.width = 16;
    b.height = 8;
    b.rgba.assign(size_t(16 * 8 * 4), 0);
    for (size_t i = 0; i < b.rgba.size(); i += 4) b.rgba[i] = 255, b.rgba[i + 3] = 255;  // red
    d.bitmap = b;
    clipboard.Set(d);
    const int32_t picturesBefore = window->Set().ObjectCount(immagine);
    std::vector<std::string> windows;
    window->Pictures().execWindow = [&](QDialog& dlg) {
        windows.push_back(dlg.objectName().toStdString());
        if (auto* from = dynamic_cast<TFimgFromClip*>(&dlg)) {
            EXPECT_TRUE(from->rbGif->isChecked());
            EXPECT_FALSE(from->Equalita->isEnabled());
            from->CBtrans->setChecked(true);
            // "&Ok" makes the picture object.
            EXPECT_NE(from->model.Ok(), nullptr);
            return int(QDialog::Accepted);
        }
        auto* props = dynamic_cast<TFPropImmagine*>(&dlg);
        EXPECT_NE(props, nullptr);
        if (props) EXPECT_EQ(props->width->value(), 16);
        return int(QDialog::Accepted);
    };
    View().Box()->SetCaret(0, 2);
    window->Pictures().ImageFromClip();
    EXPECT_EQ(windows, (std::vector<std::string>{"fimgfromclip", "fpropimmagine"}));
    EXPECT_EQ(window->Set().ObjectCount(immagine), picturesBefore + 1);
    ASSERT_EQ(Images().size(), 2u);
    ASSERT_NE(View().SelectedPicture(), nullptr);
    EXPECT_EQ(View().SelectedPicture()->Width(), 16);

    // With a picture selected, the pasted picture replaces what it shows.
    TMyyImage* original = Images()[0] == View().SelectedPicture() ? Images()[1] : Images()[0];
    const int32_t shownBefore = original->Object()->I32(0);
    View().SelectPicture(original);
    windows.clear();
    window->Pictures().ImageFromClip();
    EXPECT_EQ(windows.size(), 2u);
    EXPECT_NE(original->Object()->I32(0), shownBefore);
    EXPECT_EQ(original->Width(), 16);
    View().Undo();
    EXPECT_EQ(original->Object()->I32(0), shownBefore);
    EXPECT_EQ(original->Width(), 120);
}

// The way an author works: a screenshot pasted as a GIF with its background
// transparent, three zones drawn and linked (one to an anchor, one to the last
// anchor inserted), the picture resized with the zones following, each step
// undone and done again, the hypertext saved and opened again.
TEST_F(PicturesUi, APastedScreenshotWithThreeLinkedZonesIsSavedAsGiven) {
    platform::ClipboardData d;
    platform::ClipboardBitmap b;
    b.width = 100;
    b.height = 60;
    b.rgba.assign(size_t(100 * 60 * 4), 255);  // white, the lower-left pixel's colour
    for (int y = 10; y < 50; ++y)
        for (int x = 10; x < 90; ++x) {
            uint8_t* p = &b.rgba[size_t((y * 100 + x) * 4)];
            p[0] = 200, p[1] = 30, p[2] = 30;
        }
    d.bitmap = b;
    clipboard.Set(d);
    window->Pictures().execWindow = [&](QDialog& dlg) {
        if (auto* from = dynamic_cast<TFimgFromClip*>(&dlg)) {
            from->rbGif->setChecked(true);
            from->CBtrans->setChecked(true);
            return from->model.Ok() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        }
        return int(QDialog::Accepted);
    };
    View().Box()->SetCaret(0, 0);
    window->Pictures().ImageFromClip();
    TMyyImage* shot = View().SelectedPicture();
    ASSERT_NE(shot, nullptr);
    ASSERT_EQ(shot->Width(), 100);
    auto decode = [](const THQVoggetto* o) {
        Bytes bytes;
        if (o) o->ReadContent(bytes);
        return DecodePicture(bytes);
    };
    const PictureResult decoded = decode(shot->PictureObject());
    ASSERT_TRUE(decoded) << decoded.error;
    EXPECT_EQ(decoded.picture->format, PictureFormat::Gif);
    EXPECT_TRUE(decoded.picture->transparent);

    // Three zones drawn with Ctrl, then linked through the link window:
    // page 1, page 2 at anchor 4, and the last anchor inserted.
    QApplication::processEvents();
    const QRect r = View().PictureRect(*shot);
    ASSERT_EQ(r.size(), QSize(100, 60));
    Click(r.center());
    ASSERT_EQ(View().SelectedPicture(), shot);
    const QPoint corners[3][2] = {{{10, 10}, {30, 30}}, {{40, 10}, {60, 30}}, {{65, 35}, {90, 50}}};
    for (const auto& c : corners) {
        Mouse(QEvent::MouseButtonPress, r.topLeft() + c[0], Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
        Mouse(QEvent::MouseMove, r.topLeft() + c[1], Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
        Mouse(QEvent::MouseButtonRelease, r.topLeft() + c[1], Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    }
    ASSERT_EQ(shot->Zones().size(), 3u);  // the last drawn is zone 0
    auto linkTo = [&](int32_t zone, int32_t page, int32_t anchor) {
        window->Pictures().execWindow = [&](QDialog& dlg) {
            auto* l = dynamic_cast<TFCollega*>(&dlg);
            if (!l) return int(QDialog::Rejected);
            l->ShowTab(TFCollega::ThisPage);
            for (int i = 0; i < l->pages->count(); ++i)
                if (l->pages->item(i)->data(Qt::UserRole).toInt() == window->Set().Page(page)->Id())
                    l->pages->setCurrentRow(i);
            l->anchor->setValue(anchor);
            return int(QDialog::Accepted);
        };
        window->Pictures().LinkZone(zone);
    };
    linkTo(2, 1, -1);
    linkTo(1, 2, 4);
    EXPECT_EQ(shot->ZoneTargetId(2), window->Set().Page(1)->Id());
    ASSERT_NE(shot->ZoneTarget(1), nullptr);
    EXPECT_EQ(shot->ZoneTarget(1)->Kind(), speclink);
    EXPECT_NE(shot->ZoneHint(1).find("#a4"), std::string::npos) << shot->ZoneHint(1);
    shot->SelectZone(0);
    window->Pictures().LinkZoneToLastAnchor();
    ASSERT_NE(shot->ZoneTarget(0), nullptr);
    EXPECT_NE(shot->ZoneHint(0).find("all'ancora"), std::string::npos) << shot->ZoneHint(0);

    // The bottom-right handle halves the picture; the zones follow.
    Click(r.center());
    DragWithLeft(r.topLeft() + QPoint(100, 60), r.topLeft() + QPoint(50, 30));
    ASSERT_EQ(shot->Width(), 50);
    EXPECT_EQ(shot->Zones()[2].Rect(), (PixelRect{5, 5, 15, 15}));
    EXPECT_EQ(shot->Zones()[0].Rect(), (PixelRect{32, 17, 44, 24}));

    // Each step undone, newest first, and done again.
    View().Undo();
    EXPECT_EQ(shot->Width(), 100);
    EXPECT_EQ(shot->Zones()[0].Rect(), (PixelRect{65, 35, 90, 50}));
    // A zone never linked leads to page 0.
    View().Undo();
    EXPECT_EQ(shot->Zones()[0].link, 0);
    View().Undo();
    EXPECT_EQ(shot->Zones()[1].link, 0);
    View().Undo();
    EXPECT_EQ(shot->Zones()[2].link, 0);
    View().Undo();
    EXPECT_EQ(shot->Zones().size(), 2u);
    for (int i = 0; i < 5; ++i) View().Redo();
    ASSERT_EQ(shot->Zones().size(), 3u);
    EXPECT_EQ(shot->Width(), 50);
    EXPECT_EQ(shot->ZoneTargetId(2), window->Set().Page(1)->Id());

    window->Action("FileSave")->trigger();
    window.reset();
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(file.toStdString()));
    const THQVoggetto* placed = nullptr;  // the only picture of 50 x 30
    for (int32_t i = 0; i < set.ObjectCount(immagineNew); ++i)
        if (const THQVoggetto* o = set.GetObject(immagineNew, i); o && !o->IsFree()) {
            const PlacedPictureFields f = PlacedPictureFields::Read(*o);
            if (f.width == 50 && f.height == 30) placed = o;
        }
    ASSERT_NE(placed, nullptr);
    // Front-most first from slot 0; the rest empty: link -1 and 12 zero bytes.
    auto rect = [](const ZoneSlot& z) { return PixelRect{z.left, z.top, z.left + z.width, z.top + z.height}; };
    const ZoneSlot s0 = ZoneSlot::Read(*placed, 0), s1 = ZoneSlot::Read(*placed, 1), s2 = ZoneSlot::Read(*placed, 2);
    EXPECT_EQ(rect(s0), (PixelRect{5, 5, 15, 15}));
    EXPECT_EQ(s0.link, set.Page(1)->Id());
    EXPECT_EQ(rect(s2), (PixelRect{32, 17, 44, 24}));
    for (const ZoneSlot* special : {&s1, &s2}) {
        const THQVoggetto* l = set.GetObjectById(special->link);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->Kind(), speclink);
    }
    for (int slot = 3; slot < 30; ++slot) {
        EXPECT_EQ(placed->I32(73 + 16 * size_t(slot)), -1) << slot;
        for (size_t k = 4; k < 16; ++k) EXPECT_EQ(placed->U8(73 + 16 * size_t(slot) + k), 0) << slot;
    }
    const THQVoggetto* stored = set.GetObject(immagine, PlacedPictureFields::Read(*placed).picture);
    const PictureResult again = decode(stored);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.picture->transparent);
}

// An object of the header or of the footer: its menu offers to edit the page
// it comes from.
TEST_F(PicturesUi, TheMenuOfAHeaderOrFooterObjectOffersItsOwnPage) {
    window->ShowPage(1);
    PageRecord rec(*window->Set().Page(0));
    rec.SetHeaderPage(3);
    rec.SetFooterPage(4);
    window->ShowPage(0);
    QApplication::processEvents();
    QMenu* menu = window->Pictures().popupInactive;
    std::set<bool> seen;  // header, footer
    for (int n = 0; n < 2; ++n) {
        // The page is built anew each time it is shown: its n-th inactive object.
        PageWorkingCopy* wc = View().Page()->WorkingCopy();
        ASSERT_TRUE(wc->header && wc->footer);
        std::vector<PagePlacedObject*> inactive;
        for (auto& c : View().Page()->Controls())
            if (c->Inactive()) inactive.push_back(c.get());
        ASSERT_EQ(inactive.size(), 2u);
        PagePlacedObject* o = inactive[size_t(n)];
        const bool header = View().Page()->PartOf(o) == wc->header.get();
        seen.insert(header);
        EXPECT_TRUE(header || View().Page()->PartOf(o) == wc->footer.get());
        std::vector<std::string> offered;
        QTimer::singleShot(0, [&] {
            for (QAction* a : menu->actions())
                if (a->isVisible() && a->isEnabled()) offered.push_back(a->objectName().toStdString());
            menu->close();
        });
        View().ShowInactiveMenu(o, View().viewport()->mapToGlobal(QPoint(10, 10)));
        EXPECT_EQ(offered, (std::vector<std::string>{header ? "InactiveHeader" : "InactiveFooter"}));
        // Its command shows that page for editing.
        PopupAction(menu, header ? "InactiveHeader" : "InactiveFooter")->trigger();
        EXPECT_EQ(View().PageNumber(), header ? 3 : 4);
        window->ShowPage(0);
        QApplication::processEvents();
    }
    EXPECT_EQ(seen.size(), 2u);
}

// "Aggiungi zona cliccabile" from the menu a right click opened puts the new
// zone where the click was.
TEST_F(PicturesUi, AZoneAddedFromThePopupMenuStandsWhereTheMenuWasOpened) {
    const QRect r = View().PictureRect(First());
    Click(r.center());
    ASSERT_EQ(View().SelectedPicture(), &First());
    QMenu* menu = window->Pictures().popupImage;
    // The second place is outside the first zone (whose menu is another).
    for (const QPoint at : {QPoint(70, 12), QPoint(10, 40)}) {
        QTimer::singleShot(0, [&] {
            PopupAction(menu, "PicAddZone")->trigger();
            if (QWidget* open = QApplication::activePopupWidget()) open->close();
        });
        Mouse(QEvent::MouseButtonPress, r.topLeft() + at, Qt::RightButton, Qt::RightButton);
        Mouse(QEvent::MouseButtonRelease, r.topLeft() + at, Qt::RightButton, Qt::NoButton);
        QApplication::processEvents();
        ASSERT_GE(First().Zones().size(), 2u);
        // A new zone is back-most: index 0.
        EXPECT_EQ(First().Zones()[0].left, at.x());
        EXPECT_EQ(First().Zones()[0].top, at.y());
    }
}

}  // namespace
}  // namespace ovik::ui
