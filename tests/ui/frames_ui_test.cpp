// Frame sets in the editor's main window, offscreen: a page with three frames
// shown side by side while editing and in preview, each frame's page a widget
// of its own; a link in one frame followed into a named frame; the hypertext
// saved and opened again; and a ring of three slides run in preview until the
// preview is left.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "support/frame_records.h"
#include "support/page_text.h"
#include "text/layout.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"
#include "ui/page_view.h"
#include "ui/qt_platform.h"
#include "view/frames.h"

namespace ovik::ui {
namespace {

using ovik::testing::Content;
using ovik::testing::Rec;
using ovik::testing::Records;
using ovik::testing::Tag;

// Runs the event loop until `done` holds or `ms` milliseconds passed.
bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(10);
    return done();
}

struct FramesUi : ::testing::Test {
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<QtSettingsStore> store;
    std::unique_ptr<TMainForm> window;

    TMainForm& Open() {
        window.reset();
        store = std::make_unique<QtSettingsStore>(dir.filePath("ovik.ini"));
        window = std::make_unique<TMainForm>(*store);
        EXPECT_TRUE(window->OpenDocument(file));
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
        return *window;
    }
    void TearDown() override {
        window.reset();
        store.reset();
    }

    // Page 0 hosts three frames side by side: "indice" (page 1, 25%), "testo"
    // (page 2, fixed 300 pixels) and "note" (page 3, the rest). Page 1 links
    // into the frame "note" with a special link to page 4.
    void SetUp() override {
        TestApp();
        file = dir.filePath("cornici.hqv");
        platform::RecordingMessages msgs;
        THQVset set(msgs);
        set.NewHypertext();
        for (const char* t : {"Zero", "Indice", "Testo", "Note", "Dettaglio"}) {
            auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
            p->SetName(t);
            p->SetContent(Content(std::string("<Z S0 >pagina ") + t));
        }
        auto special = links::NewSpecialLink(set, links::kSpecGoTo);
        links::SpecialLink s{*special};
        s.SetAction(links::kActNamedFrame);
        s.SetWindowName("note");
        s.SetTarget(set.Page(4)->Id());
        const int32_t toNote = THQVoggetto::Register(special, -1)->Id();
        set.Page(1)->SetContent(Content("<Z S0 >" + Tag(toNote) + "dettaglio<%> nelle note"));
        FrameTree tree;
        ASSERT_TRUE(tree.ReadRecords(Records({Rec(1, -1, "Pag0"), Rec(2, 1, "indice", 1, 0, 25, 20, 1),
                                              Rec(3, 1, "testo", 4, 1, 0, 300, 2), Rec(4, 1, "note", 3, 0, 100, 20, 3)}),
                                     kFrameRecordSize));
        ASSERT_TRUE(SetPageLayout(set, 0, tree));
        ASSERT_TRUE(set.SaveHypertext(file.toStdString()));
    }

    static std::vector<int32_t> Pages(TPageView* view) {
        std::vector<int32_t> out;
        for (TPageView* child : view->FrameChildren()) out.push_back(child->PageNumber());
        return out;
    }
    // Where the frame set puts each frame's page: the children stand where
    // the engine's geometry says, side by side, left to right.
    static void ExpectPlaced(TPageView* view) {
        THQVFramePanel* panel = view->Model().Frames();
        ASSERT_NE(panel, nullptr);
        const std::vector<TPageView*> children = view->FrameChildren();
        ASSERT_EQ(children.size(), 3u);
        int previousRight = -1;
        for (TPageView* child : children) {
            const THQVFrame* f = panel->FrameOf(&child->Model());
            ASSERT_NE(f, nullptr);
            const PixelRect r = panel->PageRect(*f);
            EXPECT_EQ(child->geometry(), QRect(r.left, r.top, r.right - r.left, r.bottom - r.top)) << f->rec.title;
            EXPECT_TRUE(child->isVisible());
            EXPECT_GT(child->geometry().left(), previousRight);
            previousRight = child->geometry().right();
        }
    }
};

TEST_F(FramesUi, AFrameSetIsShownEditedFollowedSavedAndReopened) {
    TMainForm& w = Open();
    w.ShowPage(0);
    TPageView* view = w.View();
    ASSERT_TRUE(view->ShowsFrameSet());
    EXPECT_EQ(Pages(view), (std::vector<int32_t>{1, 2, 3}));
    ExpectPlaced(view);
    // Editing: each page stands right of and below its frame's edge bars.
    THQVFramePanel* panel = view->Model().Frames();
    const THQVFrame* testo = panel->FindByTitle("testo");
    EXPECT_EQ(testo->width, 300);
    EXPECT_EQ(view->FrameChild("testo")->geometry().left(), testo->x + view->Model().BarWidth);

    // A click in the middle frame selects it and puts the caret there; typing
    // goes to its page, and the window's commands follow the selected frame.
    TPageView* middle = view->FrameChild("testo");
    QTest::mouseClick(middle->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(3, 10));
    ASSERT_EQ(view->Model().CurrentFrame(), testo);
    EXPECT_EQ(view->ActiveChild(), middle);
    QTest::keyClick(middle, Qt::Key_Home);
    QTest::keyClicks(middle, "Ecco ");
    EXPECT_EQ(view->Box()->Paragraph(0).Text().substr(0, 5), "Ecco ");
    EXPECT_EQ(view->Box(), middle->Box());
    EXPECT_TRUE(view->Modified());
    // Preview: the pages cover their frames and are read-only.
    w.Action("HypReadOnly")->trigger();
    ASSERT_TRUE(view->ReadOnly());
    ASSERT_TRUE(view->ShowsFrameSet());
    EXPECT_EQ(Pages(view), (std::vector<int32_t>{1, 2, 3}));
    ExpectPlaced(view);
    for (TPageView* child : view->FrameChildren()) EXPECT_TRUE(child->ReadOnly());
    EXPECT_EQ(view->FrameChild("indice")->geometry().topLeft(), QPoint(0, 0));

    // The reader clicks the link in "indice": page 4 appears in "note".
    TPageView* index = view->FrameChild("indice");
    THQVbox* box = index->MainBox();
    ASSERT_NE(box, nullptr);
    const TextPosition at = PositionOf(*box, 0, 3);
    QTest::mouseClick(index->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(at.x + 1, at.y + at.height / 2));
    ASSERT_TRUE(WaitFor([&] { return view->FrameChild("note") && view->FrameChild("note")->PageNumber() == 4; }));
    EXPECT_TRUE(view->Model().ShowingTemporaryCopy());
    EXPECT_EQ(Pages(view), (std::vector<int32_t>{1, 2, 4}));
    ExpectPlaced(view);
    EXPECT_EQ(view->PageNumber(), 0) << "the frame set stays the main page";

    // Back to editing: the layout as stored, with the edit kept; saved and reopened.
    w.Action("HypReadOnly")->trigger();
    ASSERT_FALSE(view->ReadOnly());
    EXPECT_FALSE(view->Model().ShowingTemporaryCopy());
    EXPECT_EQ(Pages(view), (std::vector<int32_t>{1, 2, 3}));
    ASSERT_TRUE(w.Document().SaveDocument());
    TMainForm& again = Open();
    again.ShowPage(0);
    TPageView* reopened = again.View();
    ASSERT_TRUE(reopened->ShowsFrameSet());
    EXPECT_EQ(Pages(reopened), (std::vector<int32_t>{1, 2, 3}));
    ExpectPlaced(reopened);
    ASSERT_NE(reopened->FrameChild("testo")->MainBox(), nullptr);
    EXPECT_EQ(reopened->FrameChild("testo")->MainBox()->Paragraph(0).Text(), "Ecco pagina Testo");
    EXPECT_EQ(reopened->Model().Frames()->FindByTitle("testo")->width, 300);
}

// Dragging the bar between two frames of the frame set resizes them; the
// pages follow.
TEST_F(FramesUi, ABarDraggedBetweenFramesMovesTheirPages) {
    TMainForm& w = Open();
    w.ShowPage(0);
    TPageView* view = w.View();
    ASSERT_TRUE(view->ShowsFrameSet());
    const THQVSplit bar = view->Model().Frames()->Splits().at(0);
    const int before = view->FrameChild("indice")->width();
    const QPoint on(bar.x + bar.width / 2, 200);
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, on);
    QTest::mouseMove(view->viewport(), on + QPoint(60, 0));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, on + QPoint(60, 0));
    EXPECT_NEAR(view->FrameChild("indice")->width(), before + 60, 10);
    ExpectPlaced(view);
}

// Keys given to the frame set itself go to the selected frame's page; a key
// that page does not take goes on to the window and never comes back.
TEST_F(FramesUi, KeysGivenToTheFrameSetReachTheSelectedFramesPage) {
    TMainForm& w = Open();
    w.ShowPage(0);
    TPageView* view = w.View();
    ASSERT_TRUE(view->ShowsFrameSet());
    ASSERT_TRUE(view->Model().SelectFrameByName("note"));
    TPageView* note = view->FrameChild("note");
    ASSERT_EQ(view->ActiveChild(), note);
    QTest::keyClick(view, Qt::Key_F20);  // taken by no one
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClicks(view, "Qui ");
    ASSERT_NE(note->MainBox(), nullptr);
    EXPECT_EQ(note->MainBox()->Paragraph(0).Text(), "Qui pagina Note");
    EXPECT_EQ(view->FrameChild("indice")->MainBox()->Paragraph(0).Text().find("Qui"), std::string::npos);
}

// Three pages chained into a ring run by themselves in preview, each after
// its delay (0 seconds: 100 ms), and stop when the preview is left.
TEST_F(FramesUi, AThreePageSlideRingRunsInPreviewUntilStopped) {
    TMainForm& w = Open();
    THQVset& set = w.Set();
    for (auto [page, next] : {std::pair{2, 3}, std::pair{3, 4}, std::pair{4, 2}}) {
        PageRecord r{*set.Page(page)};
        r.SetSlideTarget(next);
        r.SetSlideDelay(0);
    }
    w.ShowPage(2);
    TPageView* view = w.View();
    EXPECT_FALSE(view->Model().SlideTimerArmed()) << "an editable view runs no slides";
    w.Action("HypReadOnly")->trigger();
    ASSERT_TRUE(view->ReadOnly());
    EXPECT_TRUE(view->Model().SlideTimerArmed());
    std::vector<int32_t> seen{view->PageNumber()};
    ASSERT_TRUE(WaitFor([&] {
        if (view->PageNumber() != seen.back()) seen.push_back(view->PageNumber());
        return seen.size() >= 4;
    }));
    EXPECT_EQ(seen, (std::vector<int32_t>{2, 3, 4, 2}));
    // Leaving the preview stops the ring where it is.
    w.Action("HypReadOnly")->trigger();
    ASSERT_FALSE(view->ReadOnly());
    EXPECT_FALSE(view->Model().SlideTimerArmed());
    const int32_t stopped = view->PageNumber();
    QTest::qWait(400);
    EXPECT_EQ(view->PageNumber(), stopped);
}

}  // namespace
}  // namespace ovik::ui
