// The editor offscreen where editing must not reach, or must reach the right
// object: preview edits nothing, dragged text keeps its links, undo after a
// page switch brings back the placed object it took, and a new document
// starts with an empty history.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "support/page_text.h"
#include "text/layout.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/delete_objects.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

std::string Tag(int32_t id) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "<$%08x>", uint32_t(id));
    return buf;
}

std::string Stored(const THQVtesto& p) {
    Bytes c;
    p.ReadContent(c);
    return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
}

struct WithApp {
    WithApp() { TestApp(); }
};

// A window on a new document with two pages: page 0 reads
//   web<link> e pagina<special link to page 1> [A][B] fine
// with A and B placed pictures of two pictures.
struct EditingSafety : ::testing::Test, WithApp {
    platform::InMemorySettings store;
    TMainForm w{store};
    THQVtesto *page = nullptr, *other = nullptr;
    THQVoggetto *web = nullptr, *special = nullptr, *placedA = nullptr, *placedB = nullptr;
    int32_t pictureA = -1, pictureB = -1;

    THQVoggetto* Placed(int32_t picture) { return ovik::testing::PlacedPicture(w.Set(), picture); }
    EditingSafety() {
        w.resize(900, 650);
        w.show();
        THQVset& set = w.Set();
        w.Document().NewDocument();
        page = set.Page(0) ? set.Page(0) : static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        other = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        other->SetContent(Bytes{'<', 'Z', ' ', 'S', '0', ' ', '>', 'x', 0});
        auto address = set.NewInternetLink("http://esempio.it/");
        web = THQVoggetto::Register(address, -1);
        special = set.AddNewObject(speclink);
        special->SetState(1);
        special->SetI32(13, other->Id());
        for (int32_t* n : {&pictureA, &pictureB}) {
            THQVoggetto* p = set.AddNewObject(immagine);
            p->SetState(1);
            *n = p->Number();
        }
        placedA = Placed(pictureA);
        placedB = Placed(pictureB);
        const std::string markup = "<Z S0 >" + Tag(web->Id()) + "web<%> e " + Tag(special->Id()) + "pagina<%> " +
                                   Tag(placedA->Id()) + Tag(placedB->Id()) + " fine";
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        page->SetContent(content);
        // A page of its own title: leaving an untitled page names it, a change
        // the tests here do not look at.
        page->SetTitle("Prova");
        w.View()->ShowPage(set, 0);
        w.View()->setFocus();
    }
    THQVbox& Box() { return *w.View()->Box(); }
    QWidget* Viewport() { return w.View()->viewport(); }
    std::string Text() { return Box().Paragraph(0).Text(); }
    QPoint At(int32_t ch) {
        TextPosition p = PositionOf(Box(), 0, ch);
        return QPoint(p.x + 2, p.y + p.height / 2) - QPoint(w.View()->horizontalScrollBar()->value(),
                                                            w.View()->verticalScrollBar()->value());
    }
    std::vector<THQVoggetto*> Tagged(uint8_t kind) {
        Bytes c;
        page->ReadContent(c);
        std::vector<THQVoggetto*> out;
        for (int32_t id : ObjectTagsIn(c))
            if (IdKind(id) == kind) out.push_back(w.Set().GetObjectById(id));
        return out;
    }
};

TEST_F(EditingSafety, PreviewEditsNothingAndOffersNothingToSave) {
    w.Document().ClearModified();
    const std::string before = Text();
    w.Action("HypReadOnly")->trigger();  // F11
    ASSERT_TRUE(w.View()->ReadOnly());
    Box().SetCaret(0, 4);
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        QTest::keyClick(Viewport(), key);
        QTest::keyClick(Viewport(), key, Qt::ShiftModifier);
        QTest::keyClick(Viewport(), key, Qt::ControlModifier);
    }
    QTest::keyClicks(Viewport(), "abc");
    // A drag of a selection is not even armed.
    Box().Select(Box().MakePosition(0, 0), Box().MakePosition(0, 5));
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, At(1));
    QTest::mouseMove(Viewport(), At(12));
    EXPECT_FALSE(w.View()->Dragging());
    // A release in preview opens the context menu (there is no link there).
    QTimer::singleShot(0, &w, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    });
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier, At(12));
    w.View()->Undo();
    EXPECT_EQ(Text(), before);
    EXPECT_FALSE(w.View()->Modified());
    w.Action("HypReadOnly")->trigger();  // back to editing
    EXPECT_FALSE(w.Document().Modified());
    EXPECT_EQ(Text(), before);
}

TEST_F(EditingSafety, DraggingLinkedTextKeepsItsLinksWhenSaved) {
    // "web e pagina" dragged with Ctrl to the end of the line: a copy.
    w.View()->Run([](BoxEditor& e) { e.SetSelection(e.Box().MakePosition(0, 0), e.Box().MakePosition(0, 12)); });
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, At(1));
    QTest::mouseMove(Viewport(), At(8));
    ASSERT_TRUE(w.View()->Dragging());
    const QPoint end(Viewport()->width() - 20, At(0).y());
    QTest::mouseMove(Viewport(), end);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier, end);
    ASSERT_TRUE(w.View()->StorePage());
    EXPECT_EQ(Tagged(internetLink), (std::vector<THQVoggetto*>{web, web})) << Stored(*page);
    const std::vector<THQVoggetto*> specials = Tagged(speclink);
    ASSERT_EQ(specials.size(), 2u) << Stored(*page);
    for (THQVoggetto* s : specials) EXPECT_EQ(s->I32(13), other->Id());
}

TEST_F(EditingSafety, UndoAfterAPageSwitchBringsBackTheDeletedPictureAndLeavesTheOtherAlone) {
    Box().SetCaret(0, 13);  // before A
    const int32_t length = Box().Paragraph(0).Length();
    QTest::keyClick(Viewport(), Qt::Key_Delete);
    ASSERT_EQ(Box().Paragraph(0).Length(), length - 1);
    w.View()->ShowPage(w.Set(), other->Number());
    w.View()->ShowPage(w.Set(), 0);
    w.Action("EditUndo")->trigger();
    w.View()->ShowPage(w.Set(), other->Number());  // stores page 0
    const std::vector<THQVoggetto*> placed = Tagged(immagineNew);
    ASSERT_EQ(placed.size(), 2u) << Stored(*page);
    ASSERT_TRUE(placed[0] && placed[1]);
    EXPECT_EQ(placed[0]->I32(0), pictureA);
    EXPECT_FALSE(placed[0]->IsFree());
    EXPECT_EQ(placed[1], placedB);
    EXPECT_EQ(placedB->I32(0), pictureB);
}

TEST_F(EditingSafety, ANewDocumentStartsWithAnEmptyHistory) {
    Box().SetCaret(0, 0);
    QTest::keyClicks(Viewport(), "abc");
    ASSERT_TRUE(w.Action("EditUndo")->isEnabled());
    w.View()->StorePage();
    w.Document().ClearModified();
    w.Action("FileNew")->trigger();
    EXPECT_FALSE(w.Action("EditUndo")->isEnabled());
    EXPECT_FALSE(w.Action("EditRedo")->isEnabled());
    const std::string text = w.View()->Box() ? w.View()->Box()->Paragraph(0).Text() : "";
    w.View()->Undo();
    EXPECT_EQ(w.View()->Box() ? w.View()->Box()->Paragraph(0).Text() : "", text);
}

}  // namespace
}  // namespace ovik::ui

namespace ovik::ui {
namespace {

// Deleting page 1 from the album while page 0, which links to it, is the page
// being edited: the link leads nowhere afterwards, in the set and once the
// page shown is stored again.
TEST_F(EditingSafety, DeletingAPageFromTheAlbumLeavesNoLinkToItInThePageShown) {
    // Page 0 is shown and edited (so that it is stored again later).
    Box().SetCaret(0, 0);
    QTest::keyClicks(Viewport(), "Ora ");
    const int32_t target = other->Id();
    QTimer::singleShot(0, &w, [&] {
        auto* album = qobject_cast<TFAlbum*>(QApplication::activeModalWidget());
        ASSERT_NE(album, nullptr);
        QTreeWidget* pages = album->List(TFAlbum::Pages);
        for (int i = 0; i < pages->topLevelItemCount(); ++i)
            if (pages->topLevelItem(i)->data(0, Qt::UserRole).toInt() == target)
                pages->topLevelItem(i)->setCheckState(0, Qt::Checked);
        album->runDeleteWindow = [](TFCancella& d) {
            d.Wait();
            EXPECT_EQ(d.DeleteListed(), 1);
        };
        album->DeleteChosen();
        album->accept();
    });
    w.Action("HypDeletePages")->trigger();
    ASSERT_TRUE(other->IsFree());
    EXPECT_EQ(special->I32(13), -1);
    // The page shown again is edited and stored: the link stays empty.
    ASSERT_NE(w.View()->Box(), nullptr);
    EXPECT_EQ(w.View()->PageNumber(), 0);
    Box().SetCaret(0, 0);
    QTest::keyClicks(Viewport(), "e ");
    w.View()->ShowPage(w.Set(), -1);
    EXPECT_EQ(special->I32(13), -1) << Stored(*page);
    for (THQVoggetto* s : Tagged(speclink)) {
        ASSERT_NE(s, nullptr);
        EXPECT_NE(s->I32(13), target) << Stored(*page);
    }
}

}  // namespace
}  // namespace ovik::ui
