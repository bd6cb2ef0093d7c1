// The editing view with frames: a page hosting a frame layout shows one nested
// page view per leaf frame; frames are split and deleted by dragging bars, with
// their messages and question; links go into named frames in the temporary-copy
// mode; the layout goes back into the page and survives saving the hypertext.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/frame_records.h"
#include "support/page_text.h"
#include "page/placed_controls.h"
#include "page/placed_floating.h"
#include "text/layout.h"
#include "view/editing_view.h"
#include "view/floating_view.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

// A frame record: place, share and page.
FrameRecord Rec(int32_t id, int32_t parent, const std::string& title, uint8_t arrangement, int32_t percentage,
                int32_t page) {
    return testing::Rec(id, parent, title, arrangement, 0, percentage, 20, page);
}

struct FrameView : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    THQVundoList undo{set};
    TInsiemeCornici view{measurer};
    std::vector<std::pair<links::LinkSender, int>> links;

    void SetUp() override {
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due", "Tre"}) testing::AddPage(set, t, std::string("<Z S0 >pagina ") + t);
        view.SetLinkedHQVset(&set);
        view.SetHistory(&undo);
        view.SaveOnExit = true;
        view.SetViewSize(600, 400);
        view.OnDoLink = [this](links::LinkSender s, THQVoggetto* o) { links.emplace_back(s, o->Kind()); };
    }
    // Page 0 hosts a layout: "menu" at the left (page 1, 25%), then a column
    // of "testa" (page 2, 30%) and "corpo" (page `corpo`).
    void GiveLayout(int32_t corpo = 3) {
        FrameRecord root = Rec(1, -1, "Pag0", 0, 100, -1);
        FrameTree tree;
        Bytes recs;
        for (const FrameRecord& r : {root, Rec(2, 1, "menu", 1, 25, 1), Rec(3, 1, "destra", 5, 100, -1),
                                     Rec(4, 3, "testa", 0, 30, 2), Rec(5, 3, "corpo", 3, 100, corpo)})
            r.Write(recs);
        ASSERT_TRUE(tree.ReadRecords(recs, kFrameRecordSize));
        ASSERT_TRUE(SetPageLayout(set, 0, tree));
    }
    // Page `page` hosts the layout of `recs`.
    void Layout(std::initializer_list<FrameRecord> recs, int32_t page = 0) {
        FrameTree tree;
        ASSERT_TRUE(tree.ReadRecords(testing::Records(recs), kFrameRecordSize));
        ASSERT_TRUE(SetPageLayout(set, page, tree));
    }
    THQVFrame* Frame(const char* title) { return view.Frames() ? view.Frames()->FindByTitle(title) : nullptr; }
    TInsiemeCornici* ViewIn(const char* title) { return view.Frames()->ViewOf(Frame(title)); }
    std::vector<std::string> Titles() {
        std::vector<std::string> out;
        for (const THQVFrame* f : std::as_const(view.Frames()->Tree()).PreOrder()) out.push_back(f->rec.title);
        return out;
    }
    std::vector<int32_t> ShownPages() {
        std::vector<int32_t> out;
        for (TInsiemeCornici* v : view.Frames()->Views()) out.push_back(v->MainPageNumber());
        return out;
    }
    std::string FirstParagraph(THQVbox* box) {
        if (!box || box->ParagraphCount() == 0) return {};
        return box->Paragraph(0).Text();
    }
    bool Said(const std::string& text) {
        const auto& all = msgs.entries();
        return std::any_of(all.begin(), all.end(), [&](const auto& m) { return m.text == text; });
    }
};

TEST_F(FrameView, APageWithALayoutShowsEveryFrameWithItsPage) {
    GiveLayout(-1);  // "corpo" has no page yet: one is made before any is shown
    view.SetMainPageNumber(0);
    ASSERT_NE(view.Frames(), nullptr);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Pag0", "menu", "destra", "testa", "corpo"}));
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 4}));
    ASSERT_NE(set.Page(4), nullptr);
    // Sized for the view: menu 25% of 600 less the bar, the column the rest.
    const auto frames = view.Frames()->Tree().PreOrder();
    EXPECT_EQ(frames[1]->width, (600 - 3) * 25 / 100);
    EXPECT_EQ(frames[3]->height, (400 - 3) * 30 / 100);
    // The box commands go to the selected frame's page.
    ASSERT_TRUE(view.SelectFrameByName("TESTA"));
    EXPECT_EQ(FirstParagraph(view.CurrentBox()), "pagina Due");
    view.Editor()->KeyPress('X');
    EXPECT_TRUE(view.Modified());
    view.SetMainPageNumber(1);
    EXPECT_EQ(view.Frames(), nullptr);  // page 1 is shown alone
    Bytes c;
    set.Page(2)->ReadContent(c);
    EXPECT_NE(std::string(c.begin(), c.end()).find("Xpagina Due"), std::string::npos);
    // Shown without nesting, page 0 is a page again.
    view.SetShowNested(false);
    view.SetMainPageNumber(0);
    EXPECT_EQ(view.Frames(), nullptr);
    EXPECT_EQ(FirstParagraph(view.CurrentBox()), "pagina Zero");
}

TEST_F(FrameView, ADamagedLayoutShowsThePageAloneAndIsKept) {
    GiveLayout();
    const int32_t layout = PageRecord{*set.Page(0)}.FrameLayout();
    struct Case {
        const char* what;
        Bytes content;
        int32_t recordLength;
    };
    Bytes orphan, cycle;
    Rec(1, -1, "r", 0, 100, 1).Write(orphan);
    Rec(2, 7, "a", 0, 50, 2).Write(orphan);
    Rec(1, -1, "r", 0, 100, 1).Write(cycle);
    Rec(2, 2, "a", 0, 50, 2).Write(cycle);
    const Case cases[] = {
        {"a parent that names no earlier frame", orphan, kFrameRecordSize},
        {"a frame its own parent", cycle, kFrameRecordSize},
        {"a record length below 29", orphan, 28},
        {"a record length above 4096", orphan, 5000},
        {"no content", Bytes{}, kFrameRecordSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        THQVoggetto* o = set.GetObject(mappaFrame, layout);
        o->SetContent(c.content);
        o->SetI32(89, c.recordLength);
        msgs.clear();
        view.SetMainPageNumber(-1);
        view.SetMainPageNumber(0);
        EXPECT_EQ(view.Frames(), nullptr);
        EXPECT_EQ(FirstParagraph(view.CurrentBox()), "pagina Zero");
        EXPECT_TRUE(Said(kMapProblem));
        view.SetMainPageNumber(-1);
        Bytes kept;
        o->ReadContent(kept);
        EXPECT_EQ(kept, c.content);
    }
}

TEST_F(FrameView, SplittingAPageShownAloneGivesItALayout) {
    view.SetMainPageNumber(2);
    view.Editor()->KeyPress('Y');
    const auto bars = view.EdgeBars();
    ASSERT_EQ(bars.size(), 2u);
    // Dragging the left edge bar by 150 pixels: a new frame at the left.
    THQVFrame* left = view.DragEdgeBar(bars[1], 150);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(view.Frames(), nullptr);
    const THQVFrame* root = view.Frames()->Tree().Root();
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0].get(), left);
    EXPECT_NEAR(left->width, 150, 6);  // kept as a whole percentage
    EXPECT_EQ(left->rec.title.substr(0, 5), "Frame");
    EXPECT_EQ(left->rec.title.size(), 11u);
    EXPECT_NE(left->rec.title, root->children[1]->rec.title);
    // The new frame shows a new page; the rest shows the page, edit kept.
    const std::vector<int32_t> pages = ShownPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], 4);
    EXPECT_EQ(pages[1], 2);
    EXPECT_EQ(FirstParagraph(view.Frames()->ViewOf(root->children[1].get())->CurrentBox()), "Ypagina Due");
    // A container splits only the way its children stand.
    msgs.clear();
    EXPECT_EQ(view.SplitFrame(view.Frames()->Tree().Root(), 0, 50), nullptr);
    EXPECT_TRUE(Said(kNoPageToSplit));
    EXPECT_NE(view.SplitFrame(view.Frames()->Tree().Root(), 1, 50), nullptr);
    EXPECT_EQ(view.Frames()->Tree().Root()->children.size(), 3u);
    // Leaving the page writes the layout into it.
    view.SetMainPageNumber(0);
    FrameTree stored;
    ASSERT_TRUE(ReadPageLayout(set, 2, stored));
    ASSERT_EQ(stored.Root()->children.size(), 3u);
    EXPECT_EQ(stored.Root()->children[2]->rec.page, 2);
    EXPECT_EQ(stored.Root()->children[1]->rec.page, 4);
}

TEST_F(FrameView, DeletingFramesByDraggingThemSmall) {
    GiveLayout();
    view.SetMainPageNumber(0);
    THQVFramePanel& panel = *view.Frames();
    THQVFrame* root = panel.Tree().Root();
    THQVFrame* menu = root->children[0].get();
    THQVFrame* column = root->children[1].get();
    // A frame with children is not deleted; nor is the only sibling of one.
    struct Refused {
        THQVFrame* frame;
        const char* message;
    } refused[] = {{column, kDeleteChildrenFirst}, {menu, kCannotDeleteFrame}};
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.message);
        msgs.clear();
        view.DeleteFrame(r.frame);
        EXPECT_TRUE(Said(r.message));
        EXPECT_EQ(root->children.size(), 2u);
        EXPECT_NEAR(r.frame->width, 60, 6);  // given a size one can grab again
    }
    // Moving the bar between "testa" and "corpo" recomputes both shares.
    THQVSplit bar;
    for (const THQVSplit& s : panel.Splits())
        if (s.parent == column) bar = s;
    ASSERT_EQ(bar.parent, column);
    THQVFrame* testa = column->children[0].get();
    THQVFrame* corpo = column->children[1].get();
    const int32_t before = testa->height;
    view.MoveBar(bar, 40);
    EXPECT_EQ(testa->rec.percentage, (before + 40) * 100 / (400 - 3));
    EXPECT_NEAR(testa->height, before + 40, 4);
    EXPECT_EQ(testa->rec.pixels, testa->height);
    EXPECT_TRUE(view.Modified());
    // Dragged until "corpo" is smaller than the bar width, after the event it
    // goes; a modified page asks first, and Yes keeps it.
    view.SelectFrameByName("corpo");
    view.Editor()->KeyPress('Z');
    for (const THQVSplit& s : panel.Splits())
        if (s.parent == column) bar = s;
    view.MoveBar(bar, corpo->height - 5);
    ASSERT_EQ(column->children.size(), 2u) << "nothing goes during the event";
    msgs.QueueAnswer(platform::Answer::Yes);
    view.RunPosted();
    EXPECT_TRUE(Said(kKeepDeletedFrame));
    Bytes c;
    set.Page(3)->ReadContent(c);
    EXPECT_NE(std::string(c.begin(), c.end()).find("Zpagina Tre"), std::string::npos);
    // The column took over "testa"'s page and is a leaf again.
    EXPECT_TRUE(column->IsLeaf());
    EXPECT_EQ(panel.ViewOf(column)->MainPageNumber(), 2);
    EXPECT_EQ(view.CurrentFrame(), nullptr);
    // The last frame but one: the root is a leaf and the page is shown alone.
    view.DeleteFrame(menu);
    EXPECT_EQ(view.Frames(), nullptr);
    EXPECT_EQ(FirstParagraph(view.CurrentBox()), "pagina Zero");
    EXPECT_EQ(PageRecord{*set.Page(0)}.FrameLayout(), -1);
}

TEST_F(FrameView, AFrameAmongThreeGoesAndTheOthersShareItsLength) {
    view.SetMainPageNumber(1);
    ASSERT_NE(view.SplitFrame(nullptr, 1, 200), nullptr);
    ASSERT_NE(view.SplitFrame(view.Frames()->Tree().Root(), 1, 100), nullptr);
    THQVFrame* root = view.Frames()->Tree().Root();
    ASSERT_EQ(root->children.size(), 3u);
    THQVFrame* first = root->children[0].get();
    view.DeleteFrame(first);
    ASSERT_EQ(root->children.size(), 2u);
    int32_t sum = 0;
    for (auto& c : root->children) sum += c->width;
    EXPECT_EQ(sum, 600 - 3);
    EXPECT_EQ(root->children[0]->rec.arrangement, 1) << "the new first child stands at the left";
}

TEST_F(FrameView, LinksIntoNamedFramesUseATemporaryCopy) {
    GiveLayout();
    // Page 1 hosts a layout of its own, two frames.
    FrameTree sub;
    Bytes recs;
    for (const FrameRecord& r : {Rec(1, -1, "Pag1", 0, 100, -1), Rec(2, 1, "su", 0, 50, 2), Rec(3, 1, "giu", 3, 100, 3)})
        r.Write(recs);
    ASSERT_TRUE(sub.ReadRecords(recs, kFrameRecordSize));
    ASSERT_TRUE(SetPageLayout(set, 1, sub));
    view.SetMainPageNumber(0);
    EXPECT_FALSE(view.ShowInNamedFrame("nessuna", *set.Page(2), -1, 0));
    EXPECT_FALSE(view.ShowingTemporaryCopy());

    // A page alone: the frame shows it, the view turns read-only.
    ASSERT_TRUE(view.ShowInNamedFrame("Corpo", *set.Page(2), -1, 0));
    EXPECT_TRUE(view.ShowingTemporaryCopy());
    EXPECT_TRUE(view.ReadOnly());
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 2}));
    // A page's frame set: its frames replace the frame's page.
    ASSERT_TRUE(view.ShowInNamedFrame("destra", *set.Page(1), -1, 1));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Pag0", "menu", "destra", "su", "giu"}));
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 3}));
    // Any other object: a placeholder page with a link to it.
    auto made = set.NewInternetLink("http://example.org/");
    THQVoggetto* address = THQVoggetto::Register(made);
    ASSERT_NE(address, nullptr);
    ASSERT_TRUE(view.ShowInNamedFrame("menu", *address, -1, 0));
    ASSERT_TRUE(view.SelectFrameByName("menu"));
    THQVbox* box = view.CurrentBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(FirstParagraph(box), kObjectPlaceholder);
    ASSERT_GE(box->ParagraphCount(), 2);
    EXPECT_NE(box->Paragraph(1).Records().front().link, kNoLink);
    const int32_t pages = set.ObjectCount(testoHtml);
    // Entering the mode again is an error; leaving it shows the page as it was.
    msgs.clear();
    view.SetTemporaryCopy(true);
    EXPECT_TRUE(Said("Error: this property must be set true with IsShowingTmpFrameSet false"));
    view.SetReadOnly(false);
    EXPECT_FALSE(view.ShowingTemporaryCopy());
    EXPECT_FALSE(view.ReadOnly());
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Pag0", "menu", "destra", "testa", "corpo"}));
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(set.ObjectCount(testoHtml), pages) << "the placeholder is no page of the hypertext";
}

TEST_F(FrameView, LinksFromAFramesPageAreFollowedByTheView) {
    set.Page(1)->SetContent(Content("<Z S0 >vai " + Tag(set.Page(3)->Id()) + "alla tre<%>"));
    GiveLayout();
    view.SetReadOnly(true);
    view.SetMainPageNumber(0);
    ASSERT_TRUE(view.SelectFrameByName("menu"));
    THQVbox& box = *view.CurrentBox();
    box.SetCaret(0, 6);
    view.Editor()->FollowLinkAtCaret();
    while (auto a = view.Actions().Take())
        if (a->kind == EditAction::FollowLink) view.FollowIdentifier(a->link);
    EXPECT_EQ(view.MainPageNumber(), 0);
    view.RunPosted();
    EXPECT_EQ(view.MainPageNumber(), 3);
    EXPECT_EQ(view.PageHistory(), (std::vector<int32_t>{0}));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].second, testoHtml);
    EXPECT_EQ(view.Back(), 0);
    EXPECT_NE(view.Frames(), nullptr);
}

TEST_F(FrameView, SavingALayoutFile) {
    Bytes out;
    EXPECT_FALSE(view.SaveLayout(out));
    EXPECT_TRUE(Said(kSaveFramesError));
    GiveLayout(-1);
    view.SetMainPageNumber(0);
    ASSERT_TRUE(view.SaveLayout(out, 0));
    FrameTree read;
    ASSERT_TRUE(read.ReadFile(out));
    std::vector<int32_t> pages;
    for (const THQVFrame* f : std::as_const(read).PreOrder())
        if (f->IsLeaf()) pages.push_back(f->rec.page);
    // The page made for "corpo" was never stored: the file names none.
    EXPECT_EQ(pages, (std::vector<int32_t>{1, 2, -1}));
    ASSERT_TRUE(view.SaveLayout(out, 1));
    ASSERT_TRUE(read.ReadFile(out));
    pages.clear();
    for (const THQVFrame* f : std::as_const(read).PreOrder())
        if (f->IsLeaf()) pages.push_back(f->rec.page);
    EXPECT_EQ(pages, (std::vector<int32_t>{1, 2, 4}));
}

// The editor's whole path: a page split into three frames by dragging edge
// bars, each frame given a page, a special link followed into a named frame,
// then the hypertext saved and opened again.
TEST_F(FrameView, SplitGiveFollowSaveAndReopen) {
    view.SetMainPageNumber(0);
    THQVFrame* left = view.DragEdgeBar(view.EdgeBars()[1], 180);
    ASSERT_NE(left, nullptr);
    THQVFrame* rest = view.Frames()->Tree().Root()->children[1].get();
    THQVEdgeBar top;
    for (const THQVEdgeBar& b : view.EdgeBars())
        if (b.frame == rest && b.direction == 0) top = b;
    ASSERT_EQ(top.frame, rest);
    THQVFrame* upper = view.DragEdgeBar(top, 120);
    ASSERT_NE(upper, nullptr);
    const std::vector<THQVFrame*> leaves = {left, upper, rest->children[1].get()};
    const int32_t pages[] = {1, 2, 3};
    for (size_t i = 0; i < 3; ++i) view.Frames()->ShowPageIn(*leaves[i], pages[i]);
    const std::string first = leaves[0]->rec.title, target = leaves[2]->rec.title;
    const int32_t targetWidth = leaves[2]->width;
    EXPECT_NEAR(targetWidth, 600 - 180 - 3, 12);  // whole percentages, recomputed at each split

    // Page 1 links into the third frame.
    auto s = links::NewSpecialLink(set, 1);
    links::SpecialLink sl{*s};
    sl.SetAction(1);
    sl.SetWindowName(target);
    sl.SetTarget(set.Page(0)->Id());
    sl.SetDisplayMode(0);
    THQVoggetto* special = THQVoggetto::Register(s);
    view.StorePage();
    view.SetMainPageNumber(1);
    view.Close();
    set.Page(1)->SetContent(Content("<Z S0 >vedi " + Tag(special->Id()) + "qui<%>"));

    view.SetReadOnly(true);
    view.SetMainPageNumber(0);
    ASSERT_NE(view.Frames(), nullptr);
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 3}));
    // The reader clicks the link in the first frame; the owner (as the link
    // follower does for action 1) shows the target in the named frame.
    view.OnDoLink = [&](links::LinkSender, THQVoggetto* o) {
        links::SpecialLink l{*o};
        ASSERT_EQ(o->Kind(), speclink);
        view.ShowInNamedFrame(l.WindowName(), *set.GetObjectById(l.Target()), l.Anchor(), l.DisplayMode());
    };
    ASSERT_TRUE(view.SelectFrameByName(first));
    view.CurrentBox()->SetCaret(0, 6);
    view.Editor()->FollowLinkAtCaret();
    while (auto a = view.Actions().Take())
        if (a->kind == EditAction::FollowLink) view.FollowIdentifier(a->link);
    view.RunPosted();
    EXPECT_TRUE(view.ShowingTemporaryCopy());
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 0}));
    view.SetReadOnly(false);

    const auto file = std::filesystem::path(::testing::TempDir()) / "cornici.hqv";
    ASSERT_TRUE(set.SaveHypertext(file));
    platform::RecordingMessages msgs2;
    THQVset reopened{msgs2};
    ASSERT_TRUE(reopened.OpenHypertext(file));
    TInsiemeCornici again{measurer};
    again.SetLinkedHQVset(&reopened);
    again.SetViewSize(600, 400);
    again.SetMainPageNumber(0);
    ASSERT_NE(again.Frames(), nullptr);
    std::vector<int32_t> shown;
    for (TInsiemeCornici* v : again.Frames()->Views()) shown.push_back(v->MainPageNumber());
    EXPECT_EQ(shown, (std::vector<int32_t>{1, 2, 3}));
    THQVFrame* third = again.Frames()->FindByTitle(target);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->width, targetWidth);
    again.Close();
    std::filesystem::remove(file);
}

// A special link that shows its target in a frame or a window leaves the
// main page to its owner; only one that jumps shows its target as the main page.
TEST_F(FrameView, OnlyJumpingSpecialLinksChangeTheMainPage) {
    GiveLayout();
    view.SetReadOnly(true);
    struct Case {
        uint8_t action;
        int32_t mainAfter;
    };
    for (const Case& c : {Case{links::kActJump, 3}, Case{links::kActNamedFrame, 0}, Case{links::kActSeparateWindow, 0},
                          Case{links::kActPopup, 0}, Case{0, 0}}) {
        SCOPED_TRACE(int(c.action));
        auto made = links::NewSpecialLink(set, links::kSpecGoTo);
        links::SpecialLink s{*made};
        s.SetAction(c.action);
        s.SetWindowName("corpo");
        s.SetTarget(set.Page(3)->Id());
        THQVoggetto* special = THQVoggetto::Register(made);
        view.Close();
        view.SetMainPageNumber(0);
        links.clear();
        view.DoLink(links::LinkSender::TextBox, special);
        view.RunPosted();
        EXPECT_EQ(view.MainPageNumber(), c.mainAfter);
        EXPECT_EQ(view.PageHistory().size(), c.mainAfter == 0 ? 0u : 1u);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0].second, speclink);
    }
}

// Where the pages of a frame set stand and what a press meets: an editable
// view shows edge bars along each frame's top and left, and every bar between
// frames may be dragged; a reader's view shows the pages over the whole frame
// and lets only resizable frames be resized.
TEST_F(FrameView, PagesStandInTheirFramesAndPressesFindFramesAndBars) {
    GiveLayout();
    struct Case {
        bool readOnly;
        uint8_t resizable;
        int32_t inset;  // edge bar width in front of each page
        bool splitHit;
        bool edgeHit;
    };
    for (const Case& c : {Case{false, 0, 10, true, true}, Case{true, 0, 0, false, false}, Case{true, 1, 0, true, false}}) {
        SCOPED_TRACE(::testing::Message() << c.readOnly << int(c.resizable));
        view.Close();
        view.SetReadOnly(c.readOnly);
        view.SetMainPageNumber(0);
        ASSERT_NE(view.Frames(), nullptr);
        for (THQVFrame* f : view.Frames()->Tree().PreOrder()) f->rec.resizable = c.resizable;
        for (const char* title : {"menu", "testa", "corpo"}) {
            const THQVFrame& f = *Frame(title);
            EXPECT_EQ(view.Frames()->PageRect(f), (PixelRect{f.x + c.inset, f.y + c.inset, f.x + f.width, f.y + f.height}))
                << title;
            // The middle of a page belongs to its frame.
            const TInsiemeCornici::FrameHit in = view.HitFrames(f.x + f.width / 2, f.y + f.height / 2);
            EXPECT_EQ(in.frame, &f) << title;
            EXPECT_EQ(in.bar.kind, THQVFramePanel::BarHit::None) << title;
        }
        // The bar between "menu" and the column on its right.
        const THQVFrame& menu = *Frame("menu");
        const TInsiemeCornici::FrameHit bar = view.HitFrames(menu.x + menu.width + 1, 200);
        EXPECT_EQ(bar.bar.kind == THQVFramePanel::BarHit::Split, c.splitHit);
        if (c.splitHit) {
            EXPECT_EQ(bar.bar.split.parent, view.Frames()->Tree().Root());
            EXPECT_TRUE(bar.bar.split.vertical);
        }
        EXPECT_EQ(bar.frame, nullptr) << "a bar is no frame's page";
        // The top edge bar of "corpo".
        const THQVFrame& corpo = *Frame("corpo");
        const TInsiemeCornici::FrameHit edge = view.HitFrames(corpo.x + 40, corpo.y + 2);
        EXPECT_EQ(edge.bar.kind == THQVFramePanel::BarHit::Edge, c.edgeHit);
        if (c.edgeHit) {
            EXPECT_EQ(edge.bar.edge.frame, &corpo);
            EXPECT_EQ(edge.bar.edge.direction, 0);
        } else {
            EXPECT_EQ(edge.frame, &corpo);
        }
    }
    // Outside every frame nothing is met.
    const TInsiemeCornici::FrameHit outside = view.HitFrames(700, 500);
    EXPECT_EQ(outside.frame, nullptr);
    EXPECT_EQ(outside.bar.kind, THQVFramePanel::BarHit::None);
}

// The bars between frames of an editable view are at least 3 pixels even
// when the layout asks for none, and a reader's view then shows none.
TEST_F(FrameView, TurningReadOnlyResizesTheFramesForTheirBars) {
    FrameRecord root = Rec(1, -1, "Pag0", 0, 100, -1);
    root.spacing = 0;
    Layout({root, Rec(2, 1, "a", 1, 50, 1), Rec(3, 1, "b", 3, 100, 2)});
    view.SetMainPageNumber(0);
    EXPECT_EQ(Frame("b")->x - (Frame("a")->x + Frame("a")->width), 3);
    view.SetReadOnly(true);
    EXPECT_EQ(Frame("b")->x, Frame("a")->x + Frame("a")->width);
    EXPECT_EQ(Frame("a")->width + Frame("b")->width, 600);
}

// A frame gives its page its scroll mode and border, also a page a link
// later shows in it; an editable page always scrolls.
TEST_F(FrameView, FramesGiveTheirPagesScrollBarsAndBorder) {
    struct Case {
        uint8_t scrolling, border;
        bool readOnly;
        int mode;
        bool bars, borderShown;
    };
    for (const Case& c : {Case{1, 1, true, 3, true, true}, Case{0, 0, true, 0, false, false},
                          Case{0, 1, true, 0, false, true}, Case{0, 0, false, 0, true, false}}) {
        SCOPED_TRACE(::testing::Message() << int(c.scrolling) << int(c.border) << c.readOnly);
        view.Close();
        FrameRecord body = Rec(3, 1, "corpo", 3, 100, 2);
        body.scrolling = c.scrolling;
        body.border = c.border;
        Layout({Rec(1, -1, "Pag0", 0, 100, -1), Rec(2, 1, "menu", 1, 30, 1), body});
        view.SetReadOnly(c.readOnly);
        view.SetMainPageNumber(0);
        for (int step = 0; step < 2; ++step) {
            THQVpage* page = ViewIn("corpo")->MainPage();
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(page->ScrollBarMode(), c.mode);
            EXPECT_EQ(page->VerticalBarVisible(), c.bars);
            EXPECT_EQ(page->BorderVisible(), c.borderShown);
            // The other frame keeps the defaults.
            EXPECT_EQ(ViewIn("menu")->MainPage()->ScrollBarMode(), 3);
            EXPECT_TRUE(ViewIn("menu")->MainPage()->BorderVisible());
            // A link shows another page in the frame: it looks the same.
            ASSERT_TRUE(view.ShowInNamedFrame("corpo", *set.Page(3), -1, 0));
            if (!c.readOnly) break;  // the temporary copy is read-only
        }
        view.SetReadOnly(false);
    }
}

// The arrow keys of a reader's view scroll the page by 20 pixels within its
// scroll ranges; an editable view leaves them to the caret.
TEST_F(FrameView, ArrowKeysScrollAReadOnlyPage) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "<Z S0 >riga " + std::to_string(i);
    set.Page(1)->SetContent(Content(text));
    view.SetMainPageNumber(1);
    ResizePageBox(*view.MainBox(), 300, 100);
    EXPECT_FALSE(view.ScrollByArrow(EditKey::Down)) << "an editable view moves the caret";
    view.SetReadOnly(true);
    ResizePageBox(*view.MainBox(), 300, 100);
    BoxGeometry& g = view.MainBox()->geometry;
    ASSERT_GT(g.vScrollRange, 200);
    EXPECT_FALSE(view.ScrollByArrow(EditKey::Enter));
    struct Step {
        EditKey key;
        int32_t v, h;
    };
    for (const Step& s : {Step{EditKey::Up, 0, 0}, Step{EditKey::Down, 20, 0}, Step{EditKey::Down, 40, 0},
                          Step{EditKey::Up, 20, 0}, Step{EditKey::Right, 20, 0}, Step{EditKey::Left, 20, 0}}) {
        EXPECT_TRUE(view.ScrollByArrow(s.key));
        EXPECT_EQ(g.vScrollPos, s.v);
        EXPECT_EQ(g.hScrollPos, s.h) << "nothing overflows sideways";
    }
    // Down stops where the text ends.
    for (int i = 0; i < 500; ++i) view.ScrollByArrow(EditKey::Down);
    EXPECT_EQ(g.vScrollPos, g.vScrollRange - g.clientHeight);
}

// In a frame set the arrows scroll the selected frame's page only.
TEST_F(FrameView, ArrowKeysScrollTheSelectedFramesPage) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "<Z S0 >riga " + std::to_string(i);
    set.Page(2)->SetContent(Content(text));
    GiveLayout();
    view.SetReadOnly(true);
    view.SetMainPageNumber(0);
    ASSERT_TRUE(view.SelectFrameByName("testa"));
    ResizePageBox(*view.MainBox(), 300, 100);
    EXPECT_TRUE(view.ScrollByArrow(EditKey::Down));
    EXPECT_EQ(ViewIn("testa")->MainBox()->geometry.vScrollPos, 20);
    EXPECT_EQ(ViewIn("menu")->MainBox()->geometry.vScrollPos, 0);
}

// A frame set nested in a frame's page (a floating frame showing a page with
// a layout) takes part in the lookup of named frames, depth first.
TEST_F(FrameView, NamedFramesAreFoundInFrameSetsNestedInFramesPages) {
    Layout({Rec(1, -1, "Pag1", 0, 100, -1), Rec(2, 1, "su", 0, 50, 2), Rec(3, 1, "giu", 3, 100, 3)}, 1);
    // Page 3 holds a floating frame that shows page 1 with its frames.
    auto o = NewControlObject(set, inputStat, 18);
    THQVoggetto* floating = THQVoggetto::Register(o, -1);
    floating->SetI32(form_rec::kPage, MakeId(testoHtml, 1));
    floating->SetU8(form_rec::kShowFrames, 1);
    set.Page(3)->SetContent(Content("<Z S0 >cornice " + Tag(floating->Id())));
    GiveLayout();
    view.SetReadOnly(true);
    view.SetMainPageNumber(0);
    TInsiemeCornici* corpo = ViewIn("corpo");
    ASSERT_NE(corpo, nullptr);
    const TMyyFloating* frame = nullptr;
    for (auto& c : corpo->MainPage()->Controls())
        if (auto* f = dynamic_cast<TMyyFloating*>(c.get())) frame = f;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(view.FrameOwner("GIU"), nullptr);
    {
        TFloatingView inner(*corpo, *frame, measurer, {0, 3});
        ASSERT_TRUE(inner.Shown());
        ASSERT_NE(inner.View().Frames(), nullptr);
        EXPECT_EQ(view.FrameOwner("GIU"), &inner.View());
        EXPECT_EQ(view.FrameOwner("corpo"), &view);
        EXPECT_TRUE(view.SelectFrameByName("su"));
        // The nested set shows the link's page in its frame; the outer frames stay.
        ASSERT_TRUE(view.ShowInNamedFrame("giu", *set.Page(1), -1, 0));
        THQVFrame* giu = inner.View().Frames()->FindByTitle("giu");
        ASSERT_NE(giu, nullptr);
        EXPECT_EQ(inner.View().Frames()->ViewOf(giu)->MainPageNumber(), 1);
        EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 3}));
        EXPECT_FALSE(view.ShowingTemporaryCopy());
    }
    EXPECT_EQ(view.FrameOwner("giu"), nullptr) << "a frame set that went is no longer searched";
    EXPECT_FALSE(view.ShowInNamedFrame("giu", *set.Page(1), -1, 0));
}

// Links into named frames work on a temporary copy: whatever they show, and
// whatever the reader does meanwhile, the hypertext is not changed by it, and
// leaving preview shows the layout as it is stored.
TEST_F(FrameView, TheTemporaryCopyLeavesTheHypertextUnchanged) {
    GiveLayout();
    view.SetMainPageNumber(0);
    ASSERT_TRUE(view.SelectFrameByName("testa"));
    view.Editor()->KeyPress('X');  // an edit made before the link is kept
    view.StorePage();
    auto made = set.NewInternetLink("http://example.org/");
    THQVoggetto* address = THQVoggetto::Register(made);
    ASSERT_NE(address, nullptr);
    set.SetModified(false);
    const int32_t layout = PageRecord{*set.Page(0)}.FrameLayout();
    auto layoutBytes = [&] {
        Bytes b;
        set.GetObject(mappaFrame, layout)->ReadContent(b);
        return b;
    };
    const Bytes layoutBefore = layoutBytes();
    std::vector<Bytes> pagesBefore;
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n) {
        Bytes c;
        set.Page(n)->ReadContent(c);
        pagesBefore.push_back(c);
    }
    const int32_t objects = set.ObjectCount(testoHtml);

    ASSERT_TRUE(view.ShowInNamedFrame("corpo", *set.Page(1), -1, 0));
    ASSERT_TRUE(view.ShowInNamedFrame("destra", *set.Page(0), -1, 1));  // the frame set inside itself
    ASSERT_TRUE(view.ShowInNamedFrame("menu", *address, -1, 0));
    // The reader drags a bar and tries to type.
    view.Frames()->Tree().Root()->children[0]->rec.resizable = 1;
    view.Frames()->Tree().Root()->children[1]->rec.resizable = 1;
    view.MoveBar(view.Frames()->Splits().at(0), 40);
    ASSERT_TRUE(view.SelectFrameByName("corpo"));
    if (view.Editor()) view.Editor()->KeyPress('Y');
    view.RunPosted();
    view.SetReadOnly(false);

    EXPECT_FALSE(view.ShowingTemporaryCopy());
    EXPECT_FALSE(set.Modified());
    EXPECT_EQ(PageRecord{*set.Page(0)}.FrameLayout(), layout);
    EXPECT_EQ(layoutBytes(), layoutBefore);
    EXPECT_EQ(set.ObjectCount(testoHtml), objects);
    for (int32_t n = 0; n < objects; ++n) {
        Bytes c;
        set.Page(n)->ReadContent(c);
        EXPECT_EQ(c, pagesBefore[size_t(n)]) << "page " << n;
    }
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Pag0", "menu", "destra", "testa", "corpo"}));
    EXPECT_EQ(ShownPages(), (std::vector<int32_t>{1, 2, 3}));
}

}  // namespace
}  // namespace ovik
