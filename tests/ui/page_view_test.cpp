// The page widget offscreen: it paints what the display list holds, passes keys
// and mouse gestures to the box editor, and stores a page when another is shown.
#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>

#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "text/layout.h"
#include "ui/page_view.h"

namespace ovik::ui {
namespace {

std::string ContentText(const THQVtesto& page) {
    const Bytes* b = page.MemContent();
    if (!b) return {};
    std::string s(b->begin(), b->end());
    size_t z = s.find('\0');
    return z == std::string::npos ? s : s.substr(0, z);
}

// The application exists before the widgets of the fixture.
struct WithApp {
    WithApp() { TestApp(); }
};

struct PageViewTest : ::testing::Test, WithApp {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    THQVundoList history{set};
    TPageView view;

    PageViewTest() {
        view.SetHistory(&history);
        view.resize(400, 300);
        view.show();
    }
    ~PageViewTest() override { view.ShowPage(set, -1); }

    int32_t AddPage(const std::string& markup, int32_t background = 0xFFFFFF) {
        auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        p->SetTitle("Pagina");
        Bytes content(markup.begin(), markup.end());
        content.push_back(0);
        p->SetContent(content);
        PageRecord(*p).SetBackgroundColour(background);
        return p->Number();
    }
    std::string BoxText() const {
        std::string s;
        THQVbox* box = view.Box();
        for (int32_t i = 0; i < box->ParagraphCount(); ++i) {
            if (i) s += '|';
            s += box->Paragraph(i).Text();
        }
        return s;
    }
    std::vector<TextItem> TextItems() {
        std::vector<TextItem> texts;
        for (auto& item : view.VisibleList().items)
            if (auto* t = std::get_if<TextItem>(&item)) texts.push_back(*t);
        return texts;
    }
};

TEST_F(PageViewTest, PaintsTheBackgroundAndTheTextOfTheDisplayList) {
    // Background blue (low byte red): the widget shows it where no text is and
    // draws dark text pixels inside the runs the list places.
    int32_t n = AddPage("<Z S0 >Il gatto nero", 0xFF0000);
    ASSERT_TRUE(view.ShowPage(set, n));
    QApplication::processEvents();
    auto texts = TextItems();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Il gatto nero");
    QImage shot = view.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() - 5, shot.height() - 5), QColor(0, 0, 255));
    int textPixels = 0;
    for (int y = texts[0].top; y < texts[0].baseline + 3; ++y)
        for (int x = texts[0].x; x < texts[0].x + 80; ++x)
            if (shot.pixelColor(x, y) != QColor(0, 0, 255)) ++textPixels;
    EXPECT_GT(textPixels, 20);
}

// Records the rectangles the viewport is asked to repaint.
struct PaintSpy : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

TEST_F(PageViewTest, CaretBlinkRepaintsOnlyTheCaret) {
    int32_t n = AddPage("<Z S0 >Il gatto nero");
    ASSERT_TRUE(view.ShowPage(set, n));
    view.viewport()->setFocus();
    QApplication::processEvents();
    PaintSpy spy;
    view.viewport()->installEventFilter(&spy);
    QTest::qWait(600);  // one blink
    view.viewport()->removeEventFilter(&spy);
    ASSERT_FALSE(spy.painted.isEmpty());
    EXPECT_LE(spy.painted.boundingRect().width(), 4);
    TextPosition caret = PositionOf(*view.Box(), 0, 0);
    EXPECT_TRUE(spy.painted.boundingRect().contains(QPoint(caret.x, caret.y + 1)));
}

TEST_F(PageViewTest, KeysAndMouseReachTheEditor) {
    int32_t n = AddPage("<Z S0 >gatto");
    ASSERT_TRUE(view.ShowPage(set, n));
    QWidget* vp = view.viewport();
    vp->setFocus();
    // The caret starts at the first editable place: typing goes in front.
    QTest::keyClicks(vp, "Il ");
    EXPECT_EQ(BoxText(), "Il gatto");
    EXPECT_EQ(view.Box()->caret.charIndex, 3);
    QTest::keyClick(vp, Qt::Key_End);
    QTest::keyClick(vp, Qt::Key_Return);
    QTest::keyClicks(vp, "nero");
    EXPECT_EQ(BoxText(), "Il gatto|nero");
    QTest::keyClick(vp, Qt::Key_Backspace);
    EXPECT_EQ(BoxText(), "Il gatto|ner");
    // A click at the start of the first line puts the caret there.
    auto texts = TextItems();
    ASSERT_FALSE(texts.empty());
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(texts[0].x - 1, texts[0].baseline - 2));
    EXPECT_EQ(view.Box()->caret.paragraphIndex, 0);
    EXPECT_EQ(view.Box()->caret.charIndex, 0);
    QTest::keyClicks(vp, "X");
    EXPECT_EQ(BoxText(), "XIl gatto|ner");
    // A double click selects the word under it; typing replaces it.
    // (QTest sends the double click alone; a real one ends with a release.)
    const QPoint word(texts[0].x + 30, texts[0].baseline - 2);
    QTest::mouseDClick(vp, Qt::LeftButton, {}, word);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, word);
    EXPECT_EQ(view.SelectedText().toStdString(), "gatto");
    QTest::keyClicks(vp, "cane");
    EXPECT_EQ(BoxText(), "XIl cane|ner");
    // Undo takes back the typing, then the deletion of the word.
    view.Undo();
    EXPECT_EQ(BoxText(), "XIl |ner");
    view.Undo();
    EXPECT_EQ(BoxText(), "XIl gatto|ner");
}

TEST_F(PageViewTest, DraggingTheSelectionMovesItOrCopiesWithCtrl) {
    int32_t n = AddPage("<Z S0 >uno due tre");
    ASSERT_TRUE(view.ShowPage(set, n));
    QWidget* vp = view.viewport();
    auto at = [&](int32_t i) {
        TextPosition p = PositionOf(*view.Box(), 0, i);
        return QPoint(p.x + 2, p.y + p.height / 2);
    };
    auto select = [&](int32_t from, int32_t to) {
        view.Run([=](BoxEditor& e) { e.SetSelection(e.Box().MakePosition(0, from), e.Box().MakePosition(0, to)); });
    };
    // Beyond the end of the line is the end of the paragraph.
    const QPoint lineEnd(vp->width() - 20, at(0).y());
    select(0, 4);
    QTest::mousePress(vp, Qt::LeftButton, {}, at(1));
    QTest::mouseMove(vp, at(6));
    EXPECT_TRUE(view.Dragging());
    QTest::mouseMove(vp, lineEnd);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, lineEnd);
    EXPECT_FALSE(view.Dragging());
    EXPECT_EQ(BoxText(), "due treuno ");
    // With Ctrl the selection is copied.
    select(0, 3);
    QTest::mousePress(vp, Qt::LeftButton, {}, at(1));
    QTest::mouseMove(vp, at(6));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::ControlModifier, lineEnd);
    EXPECT_EQ(BoxText(), "due treuno due");
}

TEST_F(PageViewTest, ShowingAnotherPageStoresTheEditedOne) {
    int32_t first = AddPage("<Z S0 >primo");
    int32_t second = AddPage("<Z S0 >secondo");
    ASSERT_TRUE(view.ShowPage(set, first));
    QTest::keyClicks(view.viewport(), "Il ");
    EXPECT_TRUE(view.Modified());
    ASSERT_TRUE(view.ShowPage(set, second));
    EXPECT_NE(ContentText(*set.Page(first)).find("Il primo"), std::string::npos);
    EXPECT_TRUE(set.Modified());
    // The page left unchanged is not stored again.
    const std::string before = ContentText(*set.Page(second));
    ASSERT_TRUE(view.ShowPage(set, first));
    EXPECT_EQ(ContentText(*set.Page(second)), before);
    EXPECT_EQ(BoxText(), "Il primo");
    EXPECT_FALSE(view.ShowPage(set, 99));
}

// Storing in the middle of an editing session (before a save, an export or a
// window that reads the page) must not end it: later edits are stored too.
TEST_F(PageViewTest, EditsAfterAStoreAreStoredAsWell) {
    int32_t first = AddPage("<Z S0 >primo");
    int32_t second = AddPage("<Z S0 >secondo");
    ASSERT_TRUE(view.ShowPage(set, first));
    QTest::keyClicks(view.viewport(), "Il ");
    ASSERT_TRUE(view.StorePage());
    EXPECT_NE(ContentText(*set.Page(first)).find("Il primo"), std::string::npos);
    EXPECT_EQ(view.Box()->caret.charIndex, 3);  // the caret stays where it was
    QTest::keyClicks(view.viewport(), "vero ");
    ASSERT_TRUE(view.ShowPage(set, second));
    EXPECT_NE(ContentText(*set.Page(first)).find("Il vero primo"), std::string::npos);
}

}  // namespace
}  // namespace ovik::ui
