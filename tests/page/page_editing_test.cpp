// Editing a page as the editing view does: a page shown read-only edits
// nothing, drag and drop carries links and placed objects through the page,
// a special link's right click opens the link menu, and undo finds placed
// objects again after the page was stored and shown anew.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "page/page_copy.h"
#include "page/page_undo.h"
#include "page/thqv_page.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"
#include "text/layout.h"
#include "undo/undo.h"

namespace ovik {
namespace {

using testing::Content;
using testing::Tag;

// A hypertext with two pages. Page 1 reads
//   web<link> e pagina<special link to page 2> [A][B] fine
// where A and B are placed pictures of two pictures; page 2 is plain text.
// The view around page 1 is built as the editing view builds it: an index
// list for the view and the page, the box at index 0, a history recorder.
struct EditedPage : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    PageHost host;
    THQVundoList history{set};
    ListNode viewNode, pageNode;
    int32_t viewIndex = -1;
    std::unique_ptr<THQVpage> view;
    std::unique_ptr<BoxNode> boxNode;
    std::unique_ptr<HistoryRecorder> recorder;
    std::unique_ptr<PageObjectsHost> objects;
    DeferredActions actions;
    std::unique_ptr<BoxEditor> editor;
    THQVtesto *page = nullptr, *other = nullptr;
    THQVoggetto *web = nullptr, *special = nullptr, *placedA = nullptr, *placedB = nullptr;
    THQVoggetto *pictureA = nullptr, *pictureB = nullptr;
    int32_t shown = -1;

    THQVoggetto* Picture(const std::string& bytes) {
        THQVoggetto* p = set.AddNewObject(immagine);
        p->SetState(1);
        p->SetFileName("figura.gif");
        p->SetContent(Bytes(bytes.begin(), bytes.end()));
        return p;
    }
    THQVoggetto* Placed(const THQVoggetto& picture) {
        return testing::PlacedPicture(set, picture.Number());
    }

    EditedPage() {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        viewIndex = history.views.Add(&viewNode);
        ConnectPlacedObjects(history);
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        other = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        other->SetContent(Content("<Z S0 >altra pagina"));
        auto address = set.NewInternetLink("http://esempio.it/");
        web = THQVoggetto::Register(address, -1);
        special = set.AddNewObject(speclink);
        special->SetState(1);
        special->SetI32(13, other->Id());
        pictureA = Picture("PIC-A");
        pictureB = Picture("PIC-B");
        placedA = Placed(*pictureA);
        placedB = Placed(*pictureB);
        page->SetContent(Content("<Z S0 >" + Tag(web->Id()) + "web<%> e " + Tag(special->Id()) + "pagina<%> " +
                                 Tag(placedA->Id()) + Tag(placedB->Id()) + " fine"));
    }

    // Shows page `number` (storing the one shown before), as the view does.
    void Show(int32_t number, bool readOnly = false) {
        if (view) {
            view->StorePage();
            viewNode.list.Release(shown);
            editor.reset();
            objects.reset();
            view->ClosePage();
        }
        view = std::make_unique<THQVpage>(host);
        view->SetReadOnly(readOnly);
        view->ShowPage(set.Page(number));
        shown = number;
        THQVbox& box = *view->Box();
        InstallLayout(box);
        ResizePageBox(box, 600, 400);
        viewNode.list.PutAt(number, &pageNode);
        boxNode = std::make_unique<BoxNode>(box);
        pageNode.list.PutAt(0, boxNode.get());
        box.controlIndex = 0;
        recorder = std::make_unique<HistoryRecorder>(history, number, viewIndex);
        box.undo = recorder.get();
        box.OnChanged = [this](THQVbox&) { view->modified = true; };
        editor = std::make_unique<BoxEditor>(box, actions);
        objects = std::make_unique<PageObjectsHost>(*view, *view->WorkingCopy());
        editor->objectsHost = objects.get();
    }
    THQVbox& Box() { return *view->Box(); }
    void Select(int32_t from, int32_t to) { Box().Select(Box().MakePosition(0, from), Box().MakePosition(0, to)); }
    // The box's text as markup (what storing would write).
    std::string Markup() {
        Bytes m;
        Box().WriteParagraphs(m, 0, Box().ParagraphCount() - 1, WriteMode::Whole);
        return std::string(m.begin(), m.end());
    }
    std::string Stored(const THQVtesto& p) const {
        Bytes c;
        p.ReadContent(c);
        return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
    }
    // The objects of `kind` the stored page names, in text order.
    std::vector<THQVoggetto*> Tagged(const THQVtesto& p, uint8_t kind) const {
        Bytes c;
        p.ReadContent(c);
        std::vector<THQVoggetto*> out;
        for (int32_t id : ObjectTagsIn(c))
            if (IdKind(id) == kind) out.push_back(set.GetObjectById(id));
        return out;
    }
    // Where character `ch` of the first paragraph is drawn (its middle).
    std::pair<int32_t, int32_t> PointAt(int32_t ch) {
        TextPosition a = PositionOf(Box(), 0, ch), b = PositionOf(Box(), 0, ch + 1);
        return {(a.x + b.x) / 2, a.y + a.height / 2};
    }
};

// Character positions in page 1's first paragraph.
constexpr int32_t kWeb = 0;       // "web"
constexpr int32_t kSpecial = 6;   // "pagina"
constexpr int32_t kA = 13, kB = 14;

TEST_F(EditedPage, ShownReadOnlyItEditsNothingWhateverThePath) {
    // The objects data of "web e", to paste.
    Show(0);
    const Bytes data = WriteObjectsData(Box(), Box().MakePosition(0, 0), Box().MakePosition(0, 5), false,
                                        objects.get());
    struct Case {
        const char* what;
        std::function<void(EditedPage&)> run;
    } cases[] = {
        {"Backspace", [](EditedPage& t) { t.editor->KeyDown(EditKey::Backspace, 0); }},
        {"Delete", [](EditedPage& t) { t.editor->KeyDown(EditKey::Delete, 0); }},
        {"Enter", [](EditedPage& t) { t.editor->KeyDown(EditKey::Enter, 0); }},
        {"Ctrl+Enter", [](EditedPage& t) { t.editor->KeyDown(EditKey::Enter, kCtrl); }},
        {"typing", [](EditedPage& t) { t.editor->KeyPress('x'); }},
        {"delete selection", [](EditedPage& t) { t.editor->DeleteSelection(); }},
        {"insert paragraph", [](EditedPage& t) { t.editor->InsertParagraph(); }},
        {"replace", [](EditedPage& t) { t.editor->ReplaceSelection("zz"); }},
        {"colour", [](EditedPage& t) { t.editor->SetColour(255); }},
        {"bold", [](EditedPage& t) { t.editor->SetStyleBits(1); }},
        {"size", [](EditedPage& t) { t.editor->SetSize(30); }},
        {"alignment", [](EditedPage& t) { t.editor->SetAlignment(2); }},
        {"numbering", [](EditedPage& t) { t.editor->SetListKind(10); }},
        {"left margin", [](EditedPage& t) { t.editor->SetLeftMargin(3); }},
        {"link", [](EditedPage& t) { t.editor->SetLink(-1); }},
        {"paste", [&data](EditedPage& t) { ReadObjectsData(*t.editor, data, "Inserimento da Cartella appunti", false, t.objects.get()); }},
        {"drop",
         [](EditedPage& t) {
             // A press inside the selection arms no drag, and a drop is refused.
             auto [x, y] = t.PointAt(1);
             t.editor->MouseDown(MouseButton::Left, x, y, 0);
             EXPECT_FALSE(t.editor->dragPending);
             auto [ex, ey] = t.PointAt(16);
             EXPECT_FALSE(t.editor->DragOver(*t.editor, ex, ey));
             t.editor->Drop(*t.editor, ex, ey, MouseButton::Left, kCtrl);
         }},
        {"insert object",
         [](EditedPage& t) {
             t.editor->InsertObject(t.view->ControlAt(t.view->Controls()[0]->ControlIndex()), false);
         }},
    };
    // Read-only from the start (the reader) and switched to it (preview).
    for (bool fromStart : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (fromStart ? " (shown read-only)" : " (switched)"));
            Show(0, fromStart);
            if (!fromStart) view->SetReadOnly(true);
            ASSERT_TRUE(Box().geometry.readOnly);
            Select(0, 5);
            const std::string before = Markup();
            const size_t entries = history.UndoCount();
            c.run(*this);
            EXPECT_EQ(Markup(), before);
            EXPECT_EQ(history.UndoCount(), entries);
            EXPECT_FALSE(view->modified);
        }
    }
    // Back in edit mode the same keys edit.
    Show(0);
    view->SetReadOnly(true);
    view->SetReadOnly(false);
    Box().SetCaret(0, 3);
    EXPECT_TRUE(editor->KeyDown(EditKey::Backspace, 0));
    EXPECT_EQ(Box().Paragraph(0).Text().substr(0, 4), "we e");
}

TEST_F(EditedPage, DraggedTextKeepsItsLinksAndACopiedPictureIsANewObject) {
    for (bool copy : {true, false}) {
        SCOPED_TRACE(copy ? "Ctrl+drag (copy)" : "drag (move)");
        page->SetContent(Content("<Z S0 >" + Tag(web->Id()) + "web<%> e " + Tag(special->Id()) + "pagina<%> " +
                                 Tag(placedA->Id()) + Tag(placedB->Id()) + " fine"));
        Show(0);
        // "web e pagina A" is dragged to the end of the paragraph.
        Select(kWeb, kA + 1);
        auto [x, y] = PointAt(2);
        editor->MouseDown(MouseButton::Left, x, y, 0);
        ASSERT_TRUE(editor->dragPending);
        auto [ex, ey] = PointAt(Box().Paragraph(0).Length() - 1);
        ex += 50;
        ASSERT_TRUE(editor->DragOver(*editor, ex, ey));
        editor->Drop(*editor, ex, ey, MouseButton::Left, copy ? kCtrl : 0);
        ASSERT_TRUE(view->StorePage());

        const std::string text = Stored(*page);
        const std::vector<THQVoggetto*> links = Tagged(*page, internetLink);
        const std::vector<THQVoggetto*> specials = Tagged(*page, speclink);
        const std::vector<THQVoggetto*> placed = Tagged(*page, immagineNew);
        const size_t n = copy ? 2 : 1;
        ASSERT_EQ(links.size(), n) << text;
        ASSERT_EQ(specials.size(), n) << text;
        ASSERT_EQ(placed.size(), n + 1) << text;
        for (THQVoggetto* l : links) EXPECT_EQ(l, web) << text;  // equal addresses are one link
        for (THQVoggetto* s : specials) {
            ASSERT_NE(s, nullptr);
            EXPECT_FALSE(s->IsFree());
            EXPECT_EQ(s->I32(13), other->Id()) << text;
        }
        std::vector<int32_t> pictures;
        for (THQVoggetto* o : placed) {
            ASSERT_NE(o, nullptr);
            EXPECT_FALSE(o->IsFree());
            pictures.push_back(o->I32(0));
        }
        // Every placed picture is an object of its own; A shows twice after a copy.
        for (size_t i = 0; i < placed.size(); ++i)
            for (size_t k = i + 1; k < placed.size(); ++k) EXPECT_NE(placed[i], placed[k]) << text;
        EXPECT_EQ(std::count(pictures.begin(), pictures.end(), pictureA->Number()), int(n));
        EXPECT_EQ(std::count(pictures.begin(), pictures.end(), pictureB->Number()), 1);
        EXPECT_TRUE(msgs.entries().empty());
    }
}

TEST_F(EditedPage, RightClickOnASpecialLinkOpensTheLinkMenu) {
    Show(0);
    struct Case {
        const char* what;
        int32_t at;
        MouseButton button;
        EditAction::Kind expected;
    } cases[] = {
        {"special link, right", kSpecial + 2, MouseButton::Right, EditAction::OpenLinkMenu},
        {"web link, right", kWeb + 1, MouseButton::Right, EditAction::FollowLink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        actions.Clear();
        auto [x, y] = PointAt(c.at);
        editor->MouseDown(c.button, x, y, 0);
        editor->MouseUp(c.button, x, y, 0);
        std::optional<EditAction> last;
        while (auto a = actions.Take()) last = a;
        ASSERT_TRUE(last);
        EXPECT_EQ(last->kind, c.expected);
        EXPECT_EQ(IdKind(last->link), kPageLocalKind);
    }
}

// Undo after the page was stored and shown again (a save, a page switch)
// brings back the placed objects and links the entry named, whatever control
// and link indexes the rebuilt page handed out.
TEST_F(EditedPage, UndoAfterThePageWasBuiltAgainFindsItsPlacedObjects) {
    struct Case {
        const char* what;
        std::function<void(EditedPage&)> change;
    } cases[] = {
        {"deleting picture A",
         [](EditedPage& t) {
             t.Box().SetCaret(0, kA);
             t.editor->KeyDown(EditKey::Delete, 0);
         }},
        {"a paragraph split between A and B",
         [](EditedPage& t) {
             t.Box().SetCaret(0, kB);
             t.editor->KeyDown(EditKey::Enter, 0);
         }},
        {"deleting the linked word",
         [](EditedPage& t) {
             t.Select(kWeb, kSpecial);
             t.editor->KeyDown(EditKey::Delete, 0);
         }},
        {"deleting A, then a new paragraph before B",
         [](EditedPage& t) {
             t.Box().SetCaret(0, kA);
             t.editor->KeyDown(EditKey::Delete, 0);
             t.Show(1);
             t.Show(0);
             t.Box().SetCaret(0, kA);
             t.editor->KeyDown(EditKey::Enter, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        history.Clear();
        page->SetContent(Content("<Z S0 >" + Tag(web->Id()) + "web<%> e " + Tag(special->Id()) + "pagina<%> " +
                                 Tag(placedA->Id()) + Tag(placedB->Id()) + " fine"));
        // The page as storing writes it when nothing changed.
        Show(0);
        Show(1);
        const std::string before = Stored(*page);
        Show(0);
        c.change(*this);
        const size_t entries = history.UndoCount();
        ASSERT_GE(entries, 1u);
        // Another page, and back: the page is stored and built anew.
        Show(1);
        Show(0);
        for (size_t i = 0; i < entries; ++i) history.UndoOne();
        Show(1);  // stores the page
        EXPECT_TRUE(msgs.entries().empty());
        const std::vector<THQVoggetto*> placed = Tagged(*page, immagineNew);
        ASSERT_EQ(placed.size(), 2u) << Stored(*page);
        ASSERT_TRUE(placed[0] && placed[1]);
        EXPECT_NE(placed[0], placed[1]);
        EXPECT_EQ(placed[0]->I32(0), pictureA->Number());
        EXPECT_EQ(placed[1]->I32(0), pictureB->Number());
        // B never moved: it is the object it was, untouched.
        EXPECT_EQ(placed[1], placedB);
        // Each word links where it did.
        EXPECT_EQ(Tagged(*page, internetLink), std::vector<THQVoggetto*>{web}) << Stored(*page);
        const std::vector<THQVoggetto*> specials = Tagged(*page, speclink);
        ASSERT_EQ(specials.size(), 1u) << Stored(*page);
        ASSERT_NE(specials[0], nullptr);
        EXPECT_EQ(specials[0]->I32(13), other->Id());
        EXPECT_LT(Stored(*page).find(Tag(web->Id()) + "web"), Stored(*page).find("pagina")) << Stored(*page);
        EXPECT_EQ(Stored(*page), before);
        // Redo goes forward again, and undo back once more, on the same showing.
        Show(0);
        while (history.CanRedo()) history.RedoOne();
        while (history.CanUndo()) history.UndoOne();
        Show(1);
        const std::vector<THQVoggetto*> again = Tagged(*page, immagineNew);
        ASSERT_EQ(again.size(), 2u) << Stored(*page);
        EXPECT_EQ(again[0]->I32(0), pictureA->Number());
        EXPECT_EQ(again[1], placedB);
        Show(0);
    }
}

}  // namespace
}  // namespace ovik
