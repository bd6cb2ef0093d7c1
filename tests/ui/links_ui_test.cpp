// Links in the editor, offscreen: following links and moving back and forward
// through the history across two hypertext files, the page-number box, and
// what the link windows make.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMenu>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QDir>
#include <QTimer>
#include <QMessageBox>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "qt_test_app.h"
#include "support/page_text.h"
#include "text/layout.h"
#include "ui/dialogs/all_pages.h"
#include "ui/dialogs/export_import.h"
#include "ui/dialogs/find.h"
#include "ui/dialogs/links.h"
#include "ui/dialogs/slides.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/separate_windows.h"
#include "view/frames.h"

namespace ovik::ui {
namespace {

using ovik::testing::Content;
using ovik::testing::Tag;

struct LinksUi : ::testing::Test {
    QTemporaryDir dir;
    QString a, b;
    int32_t addressToB = -1;
    std::unique_ptr<QtSettingsStore> store;
    std::unique_ptr<TMainForm> window;

    // The editor, with its settings in the test's folder, showing a.hqv.
    TMainForm& OpenA() {
        store = std::make_unique<QtSettingsStore>(dir.filePath("ovik.ini"));
        window = std::make_unique<TMainForm>(*store);
        EXPECT_TRUE(window->OpenDocument(a));
        return *window;
    }
    void TearDown() override {
        window.reset();
        store.reset();
    }

    void SetUp() override {
        TestApp();
        a = dir.filePath("a.hqv");
        b = dir.filePath("b.hqv");
        platform::RecordingMessages msgs;
        {
            THQVset other(msgs);
            other.NewHypertext();
            for (const char* t : {"B zero", "B uno", "B due"}) other.AddNewObject(testoHtml)->SetName(t);
            ASSERT_TRUE(other.SaveHypertext(b.toStdString()));
        }
        THQVset set(msgs);
        set.NewHypertext();
        for (const char* t : {"Zero", "Uno", "Due", "Tre"}) set.AddNewObject(testoHtml)->SetName(t);
        auto link = set.NewInternetLink("ovik:b.hqv|1");
        addressToB = THQVoggetto::Register(link, -1)->Id();
        set.Page(0)->SetContent(Content("<Z S0 >" + Tag(set.Page(2)->Id()) + "uno<%> " + Tag(addressToB) + "due<%>"));
        // Page 1 holds a special link to page 3 right before a link address.
        auto special = links::NewSpecialLink(set, links::kSpecGoTo);
        links::SpecialLink s{*special};
        s.SetAction(links::kActJump);
        s.SetTarget(set.Page(3)->Id());
        const int32_t toThree = THQVoggetto::Register(special, -1)->Id();
        set.Page(1)->SetContent(Content("<Z S0 >vai " + Tag(toThree) + "qui<%>" + Tag(addressToB) + "li<%>"));
        ASSERT_TRUE(set.SaveHypertext(a.toStdString()));
    }
};

TEST_F(LinksUi, BackAndForwardThroughTheHistoryAcrossTwoFiles) {
    TMainForm& w = OpenA();
    TLinkNavigator& nav = w.Links();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    EXPECT_FALSE(w.Action("HypPrevious")->isEnabled());

    nav.FollowLinkValue(w.Set().Page(2)->Id());
    EXPECT_EQ(w.View()->PageNumber(), 2);
    EXPECT_TRUE(w.Action("HypPrevious")->isEnabled());
    // The editing view showed the page itself: its own history has the page
    // left, and the page list follows it.
    EXPECT_EQ(w.View()->Model().PageHistory(), (std::vector<int32_t>{0}));
    EXPECT_EQ(w.findChild<QListWidget*>("pagelist")->currentItem()->text().left(1), "2");
    w.Action("HypPrevious")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 0);
    EXPECT_TRUE(w.Action("HypNext")->isEnabled());
    w.Action("HypNext")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 2);

    // A link to a page of the other hypertext opens it.
    nav.FollowLinkValue(addressToB);
    EXPECT_EQ(QString::fromStdString(w.Set().HQVFileName().string()), b);
    EXPECT_EQ(w.View()->PageNumber(), 1);
    // Opening the other file recorded its first page too.
    const std::string fa = a.toStdString(), fb = b.toStdString();
    EXPECT_EQ(nav.History().Entries(),
              (std::deque<std::string>{"ovik://" + fa + "|0", "ovik://" + fa + "|2", "ovik://" + fb + "|0",
                                       "ovik://" + fb + "|1"}));
    // Back twice reopens the first file at page 2; forward twice returns.
    nav.Back();
    nav.Back();
    EXPECT_EQ(w.Set().HQVFileName(), fa);
    EXPECT_EQ(w.View()->PageNumber(), 2);
    EXPECT_TRUE(w.Action("HypNext")->isEnabled());
    nav.Forward();
    nav.Forward();
    EXPECT_EQ(w.Set().HQVFileName(), fb);
    EXPECT_EQ(w.View()->PageNumber(), 1);
    EXPECT_FALSE(w.Action("HypNext")->isEnabled());
    EXPECT_EQ(nav.History().Entries().size(), 4u);
    EXPECT_EQ(nav.historyBox->count(), int(nav.History().Entries().size()));
    EXPECT_EQ(nav.historyBox->toolTip(), "URL");
}

TEST_F(LinksUi, PageNumberBoxAndRecentPages) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    TLinkNavigator& nav = w.Links();
    w.Action("HypPageMinus")->trigger();  // on page 0: stays
    EXPECT_EQ(w.View()->PageNumber(), 0);
    w.Action("HypPagePlus")->trigger();
    w.Action("HypPagePlus")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 2);
    nav.GoToPageNumber(99);  // beyond the last page: nothing new, the box turns red
    EXPECT_EQ(w.View()->PageNumber(), 2);
    EXPECT_EQ(nav.pageBox->palette().color(QPalette::Text), QColor(0xFF, 0, 0));
    nav.GoToPageNumber(3);
    EXPECT_NE(nav.pageBox->palette().color(QPalette::Text), QColor(0xFF, 0, 0));
    ASSERT_TRUE(nav.recentMenu);
    const auto items = nav.recentMenu->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "3 Tre");
    items[1]->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 2);
    w.Action("HypCover")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), w.Set().CoverPage());
}

// The link commands are enabled exactly while the page can be edited, also
// after leaving and entering preview.
TEST_F(LinksUi, LinkCommandsFollowTheEditMode) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    for (int round = 0; round < 3; ++round) {
        const bool editing = w.View()->Box() && !w.View()->ReadOnly();
        SCOPED_TRACE(editing ? "editing" : "preview");
        for (const char* name : {"InsertLink", "InsertSpecialLink", "InsertSelfLink", "InsertAnchor"})
            EXPECT_EQ(w.Action(name)->isEnabled(), editing) << name;
        w.Action("HypReadOnly")->trigger();
        EXPECT_NE(w.View()->Box() && !w.View()->ReadOnly(), editing);
    }
}

// A right click on a special link opens its menu on the link's whole span;
// its follow item follows that link, not the one right after it.
TEST_F(LinksUi, ARightClickOnASpecialLinkOpensItsMenuWhoseFollowItemFollowsIt) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    w.Links().GoToPageNumber(1);
    ASSERT_EQ(w.View()->PageNumber(), 1);
    const THQVbox& box = *w.View()->Box();
    const TextPosition q = PositionOf(box, 0, 5);
    QMenu* menu = w.View()->LinkMenu(q.x + 2, q.y + 2, speclink);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->objectName(), "PopupSpecLink");
    EXPECT_TRUE(menu->actions().contains(w.Action("FormatLinkProperties")));
    ASSERT_TRUE(box.hasSelection);
    EXPECT_EQ(box.SelectionStart().charIndex, 4);
    EXPECT_EQ(box.SelectionEnd().charIndex, 7);
    ASSERT_TRUE(menu->actions().contains(w.Action("FormatFollowLink")));
    w.Action("FormatFollowLink")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(w.View()->PageNumber(), 3);
}

// "Tutte le pagine dell'ipertesto..." shows the page tree; the page chosen
// there, and the page the page list's popup is opened on, are shown and
// recorded in the history.
TEST_F(LinksUi, TheAllPagesWindowAndThePagePopupShowThePageChosen) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    ASSERT_TRUE(w.Action("HypAllPages")->isEnabled());
    w.Action("HypAllPages")->trigger();
    TFTuttePagine& all = w.Links().AllPagesWindow();
    EXPECT_TRUE(all.isVisible());
    EXPECT_FALSE(all.GoToSelected());  // the root is no page
    const auto found = all.tree->findItems("Tre", Qt::MatchContains | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    all.tree->setCurrentItem(found.front());
    EXPECT_TRUE(all.bGo->isEnabled());
    all.bGo->click();
    EXPECT_EQ(w.View()->PageNumber(), 3);
    EXPECT_FALSE(all.isVisible());

    QMenu* popup = w.Links().PagePopup(2);
    EXPECT_EQ(popup->objectName(), "PopupPage");
    const auto items = popup->actions();
    ASSERT_GE(items.size(), 3);  // the command, a separator, the recent pages
    EXPECT_EQ(items.front()->text(), "&Vai a pagina riferita...");
    EXPECT_EQ(items.back()->text(), "0 Zero");
    items.front()->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 2);
    w.Action("HypPrevious")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 3);
}

// A special link to the keyword window opens the find window on its keyword tab.
TEST_F(LinksUi, AKeywordSpecialLinkOpensTheKeywordTab) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    auto special = links::NewSpecialLink(w.Set(), links::kSpecKeywords);
    w.Links().Follower().FollowLink(links::LinkSender::TextBox, special.get(), 0);
    auto* find = static_cast<TFCerca*>(w.CachedWindow("fcerca"));
    ASSERT_TRUE(find);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->tabs->currentIndex(), TFCerca::KeywordTab);
}

// In preview a page's link launcher starts its link once the page shows;
// while editing it does nothing.
TEST_F(LinksUi, ALinkLauncherStartsItsLinkInPreview) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    THQVoggetto* launcher = w.Set().AddNewObject(shortObj);
    launcher->SetState(links::kLauncherSubtype);
    launcher->SetI32(5, w.Set().Page(2)->Id());
    w.Set().Page(3)->SetContent(Content("<Z S0 >tre " + Tag(launcher->Id()) + "x"));
    w.Links().GoToPageNumber(3);
    QApplication::processEvents();
    EXPECT_EQ(w.View()->PageNumber(), 3);
    w.Links().GoToPageNumber(0);
    w.Action("HypReadOnly")->trigger();
    ASSERT_TRUE(w.View()->ReadOnly());
    w.Links().GoToPageNumber(3);
    QApplication::processEvents();
    EXPECT_EQ(w.View()->PageNumber(), 2);
}

// The slides window lists the sequence that follows its start page, edits it
// with its buttons and keys, and writes it on "&Ok"; the page menus' next-slide
// command names the next slide and shows it.
TEST_F(LinksUi, TheSlidesWindowAndTheNextSlideCommand) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    THQVset& set = w.Set();
    PageRecord{*set.Page(0)}.SetSlideTarget(2);
    PageRecord{*set.Page(2)}.SetSlideDelay(4);
    ASSERT_TRUE(w.Action("HypSlides")->isEnabled());

    TFslides& slides = w.Links().SlidesWindow();
    slides.Load(0);
    ASSERT_EQ(slides.slides->topLevelItemCount(), 1);
    EXPECT_EQ(slides.slides->topLevelItem(0)->text(0), "Due");
    EXPECT_EQ(slides.slides->topLevelItem(0)->text(1), "0");  // it ends the sequence
    EXPECT_EQ(slides.slides->topLevelItem(0)->text(2), "2");
    // Add page 3 at the end, then move it up with Ctrl+Q and give it 9 seconds.
    slides.pages->SelectByIdentifier(set.Page(3)->Id());
    slides.slides->setCurrentItem(nullptr);
    slides.Etempo->setValue(6);
    slides.BAddPage->click();
    ASSERT_EQ(slides.slides->topLevelItemCount(), 2);
    EXPECT_EQ(slides.slides->topLevelItem(1)->text(1), "6");
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    QApplication::sendEvent(slides.slides, &up);
    EXPECT_EQ(slides.slides->topLevelItem(0)->text(2), "3");
    slides.EtempoCorr->setValue(9);
    EXPECT_EQ(slides.slides->topLevelItem(0)->text(1), "9");
    // The preview shows the chosen row's page while it is ticked.
    slides.CBpreview->setChecked(true);
    EXPECT_EQ(slides.preview->PageNumber(), 3);
    slides.WriteChain();
    EXPECT_EQ(PageRecord{*set.Page(0)}.SlideTarget(), 3);
    EXPECT_EQ(PageRecord{*set.Page(3)}.SlideDelay(), 9);
    EXPECT_EQ(PageRecord{*set.Page(3)}.SlideTarget(), 2);

    QAction* next = w.Links().nextSlide;
    w.Links().GoToPageNumber(3);
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(next->text(), "Vai a prossima &diapositiva (Due @2)");
    next->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 2);
    EXPECT_EQ(next->text(), "Vai a prossima &diapositiva");
    EXPECT_FALSE(next->isEnabled());
}

// "Carica disposizione cornici..." gives the page shown the layout of a layout
// file once the question is answered Yes; a file that is no layout says so
// and changes nothing.
TEST_F(LinksUi, LoadingAFrameLayoutFileGivesThePageItsLayout) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    w.Links().GoToPageNumber(1);
    ASSERT_TRUE(w.Action("FormatLoadFrames")->isEnabled());
    FrameTree tree;
    tree.MakeSingle(2);
    const Bytes file = tree.WriteFile();
    const QString frm = dir.filePath("uno.frm"), bad = dir.filePath("bad.frm");
    {
        QFile f(frm), g(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && g.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(file.data()), qint64(file.size()));
        g.write("junk junk junk");
    }
    auto answer = [](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [button] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->button(button)->click();
        });
    };
    w.Links().askFrameFile = [&] { return frm; };
    answer(QMessageBox::No);
    w.Action("FormatLoadFrames")->trigger();
    EXPECT_LT(PageRecord{*w.Set().Page(1)}.FrameLayout(), 0);
    answer(QMessageBox::Yes);
    w.Action("FormatLoadFrames")->trigger();
    EXPECT_GE(PageRecord{*w.Set().Page(1)}.FrameLayout(), 0);
    EXPECT_EQ(w.View()->PageNumber(), 1);
    FrameTree read;
    ASSERT_TRUE(ReadPageLayout(w.Set(), 1, read));
    EXPECT_EQ(read.Root()->rec.page, 2);

    w.Links().askFrameFile = [&] { return bad; };
    answer(QMessageBox::Yes);
    QTimer::singleShot(50, [] {  // then the error message
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            EXPECT_EQ(box->text(), "Formato file errato!");
            box->accept();
        }
    });
    w.Action("FormatLoadFrames")->trigger();
    ASSERT_TRUE(ReadPageLayout(w.Set(), 1, read));
    EXPECT_EQ(read.Root()->rec.page, 2);
}

// "&Gestione avanzata disposizione cornici..." turns the page area to the
// frame-editing mode: dragging the left edge bar splits the page shown, the
// bar between the frames moves, and the frame popup menu saves the layout.
// Leaving the mode writes the layout into the page and shows its frames.
TEST_F(LinksUi, FrameEditingModeSplitsMovesAndSavesFrames) {
    TMainForm& w = OpenA();
    w.Links().GoToPageNumber(1);
    TPageView* view = w.View();
    w.resize(900, 700);
    w.show();
    QApplication::processEvents();
    QAction* frames = w.Action("FormatFrames");
    ASSERT_TRUE(frames->isEnabled());
    frames->trigger();
    ASSERT_TRUE(view->FramesOnly());
    QWidget* area = view->viewport();
    QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, QPoint(3, 200));
    QTest::mouseMove(area, QPoint(150, 200));
    QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, QPoint(150, 200));
    THQVFramePanel* panel = view->Model().Frames();
    ASSERT_NE(panel, nullptr);
    THQVFrame* root = panel->Tree().Root();
    ASSERT_EQ(root->children.size(), 2u);
    const int32_t before = root->children[0]->width;
    EXPECT_NEAR(before, 147, 10);  // kept as a whole percentage
    // The bar between the two frames, dragged 50 pixels to the right.
    const THQVSplit bar = panel->Splits().at(0);
    const QPoint on(bar.x + bar.width / 2, 200);
    QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, on);
    QTest::mouseMove(area, on + QPoint(50, 0));
    QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, on + QPoint(50, 0));
    EXPECT_NEAR(root->children[0]->width, before + 50, 10);

    const QString frm = dir.filePath("due.frm");
    w.Links().askFrameFile = [&] { return frm; };
    QAction* save = w.Links().framePopup->findChild<QAction*>("FrameSaveLayout");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), "Salva &disposizione cornici...");
    save->trigger();
    QFile f(frm);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    FrameTree read;
    ASSERT_TRUE(read.ReadFile(Bytes(bytes.begin(), bytes.end())));
    EXPECT_EQ(read.PreOrder().size(), 3u);

    frames->trigger();
    EXPECT_FALSE(view->FramesOnly());
    ASSERT_NE(view->Model().Frames(), nullptr);
    EXPECT_EQ(view->Model().Frames()->Views().size(), 2u);
    FrameTree stored;
    ASSERT_TRUE(ReadPageLayout(w.Set(), 1, stored));
    EXPECT_EQ(stored.Root()->children.size(), 2u);
}

// In preview, special links show their page in separate windows found again
// by name, new windows and a popup; a closing link closes a window by name,
// and the windows go with the hypertext.
TEST_F(LinksUi, SpecialLinksOpenSeparateWindowsAndPopups) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    w.Action("HypReadOnly")->trigger();
    ASSERT_TRUE(w.View()->ReadOnly());
    THQVset& set = w.Set();
    auto follow = [&](uint8_t action, const char* name, int32_t page) {
        auto special = links::NewSpecialLink(set, links::kSpecGoTo);
        links::SpecialLink s{*special};
        s.SetAction(action);
        s.SetTarget(set.Page(page)->Id());
        s.SetWindowName(name);
        links::WindowData data;
        data.width = 300;
        data.height = 200;
        data.resizable = true;
        links::WriteWindowData(*special, data);
        w.Links().Follower().FollowLink(links::LinkSender::TextBox, special.get(), w.View()->PageNumber());
    };
    TSeparateWindows& windows = w.Links().SeparateWindows();
    follow(links::kActSeparateWindow, "Dettagli", 3);
    TFFinestra* details = windows.Find("dettagli");
    ASSERT_TRUE(details);
    EXPECT_TRUE(details->isVisible());
    EXPECT_EQ(details->size(), QSize(300, 200));
    EXPECT_EQ(details->View()->PageNumber(), 3);
    EXPECT_TRUE(details->View()->ReadOnly());
    EXPECT_EQ(w.View()->PageNumber(), 0);  // the main window stays where it was
    follow(links::kActSeparateWindow, "DETTAGLI", 2);  // the same window, found by name
    EXPECT_EQ(windows.Windows().size(), 1u);
    EXPECT_EQ(details->View()->PageNumber(), 2);
    follow(links::kActNewBrowser, "", 1);
    follow(links::kActNewBrowser, "", 1);
    follow(links::kActPopup, "", 2);
    follow(links::kActNamedFrame, "cornice", 1);  // no frame of that name: a window of it
    EXPECT_EQ(windows.Windows().size(), 5u);
    ASSERT_TRUE(windows.Find("<<<pop"));
    EXPECT_TRUE(windows.Find("<<<pop")->windowFlags() & Qt::Tool);
    EXPECT_EQ(windows.Find("cornice")->View()->PageNumber(), 1);

    auto close = links::NewSpecialLink(set, links::kSpecCloseWindow);
    links::SpecialLink{*close}.SetWindowName("Dettagli");
    w.Links().Follower().FollowLink(links::LinkSender::TextBox, close.get(), 0);
    EXPECT_FALSE(windows.Find("dettagli"));
    EXPECT_EQ(windows.Windows().size(), 4u);
    ASSERT_TRUE(w.OpenDocument(b));
    EXPECT_TRUE(windows.Windows().empty());
}

// In edit mode an "Auto import" link opens the import window with its file
// listed and shows the page made; once imported, the link leads to that page.
// A missing file is asked for.
TEST_F(LinksUi, AnAutoImportLinkImportsItsFileOnceInEditMode) {
    TMainForm& w = OpenA();
    ASSERT_EQ(w.View()->PageNumber(), 0);
    ASSERT_FALSE(w.View()->ReadOnly());
    {
        QFile html(dir.filePath("capitolo.htm"));
        ASSERT_TRUE(html.open(QIODevice::WriteOnly));
        html.write("<HTML><HEAD><TITLE>Capitolo importato</TITLE></HEAD><BODY><P>Testo del capitolo.</P></BODY></HTML>");
    }
    auto special = links::NewSpecialLink(w.Set(), links::kSpecAutoImport);
    links::SpecialLink{*special}.SetImportPath("capitolo.htm");
    int windows = 0;
    auto importWhenAsked = [&] {
        QTimer::singleShot(0, [&] {
            if (auto* imp = qobject_cast<TFImport*>(QApplication::activeModalWidget())) {
                ++windows;
                EXPECT_EQ(imp->files->count(), 1);
                imp->findChild<QPushButton*>("bimporta")->click();
            }
        });
    };
    const int32_t before = w.Set().ObjectCount(testoHtml);
    importWhenAsked();
    w.Links().Follower().FollowLink(links::LinkSender::TextBox, special.get(), 0);
    EXPECT_EQ(windows, 1);
    ASSERT_EQ(w.Set().ObjectCount(testoHtml), before + 1);
    const int32_t made = before;
    EXPECT_EQ(w.Set().Page(made)->Title(), "Capitolo importato");
    EXPECT_EQ(w.View()->PageNumber(), made);
    // Imported once: the link now leads to that page.
    w.Links().GoToPageNumber(0);
    importWhenAsked();
    w.Links().Follower().FollowLink(links::LinkSender::TextBox, special.get(), 0);
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(w.View()->PageNumber(), made);
    EXPECT_EQ(w.Set().ObjectCount(testoHtml), before + 1);

    // A file that is not there: asked, another one chosen and imported.
    links::SpecialLink{*special}.SetImportPath("manca.htm");
    QString askedIn;
    w.Links().askImportFile = [&](const QString& folder) {
        askedIn = folder;
        return dir.filePath("capitolo.htm");
    };
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            EXPECT_NE(box->text().indexOf("manca.htm"), -1);
            box->button(QMessageBox::Yes)->click();
            importWhenAsked();
        }
    });
    w.Links().Follower().FollowLink(links::LinkSender::TextBox, special.get(), 0);
    EXPECT_EQ(QDir(askedIn), QDir(dir.path()));
    EXPECT_EQ(windows, 2);
}

TEST_F(LinksUi, LinkWindowTargets) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(a.toStdString()));
    platform::InMemorySettings store;
    TFCollega w(set, store);
    w.Load(1);
    w.ShowTab(TFCollega::ThisPage);
    EXPECT_EQ(w.MakeTarget(), set.Page(1));
    w.ShowTab(TFCollega::Address);
    w.address->setText("mailto:ada@ovik.it");
    THQVoggetto* mail = w.MakeTarget();
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->State(), 8);
    EXPECT_EQ(w.MakeTarget(), mail);  // one object per address
    w.ShowTab(TFCollega::OtherHypertext);
    w.otherFile->setText(b);
    ASSERT_TRUE(w.BrowseOther(b));
    // The other hypertext's pages are listed; choosing one previews it.
    ASSERT_EQ(w.otherPages->count(), 3);
    EXPECT_EQ(w.otherPages->item(1)->text(), "1  B uno");
    w.otherPages->setCurrentRow(2);
    EXPECT_EQ(w.otherPage->value(), 2);
    EXPECT_EQ(w.otherView->PageNumber(), 2);
    EXPECT_TRUE(w.otherView->ReadOnly());
    EXPECT_EQ(w.MakeTarget()->Name(), "ovik://b.hqv|2");
    w.otherPage->setValue(1);
    EXPECT_EQ(w.otherView->PageNumber(), 1);
    // A file that is no hypertext says why and lists nothing.
    const QString junk = dir.filePath("junk.hqv");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a hypertext at all");
    }
    EXPECT_FALSE(w.BrowseOther(junk));
    EXPECT_EQ(w.otherPages->count(), 0);
    EXPECT_FALSE(w.otherStatus->text().isEmpty());
    EXPECT_EQ(w.otherView->PageNumber(), -1);
    w.ShowTab(TFCollega::NewPage);
    w.newTitle->setText("Nuova");
    THQVoggetto* page = w.MakeTarget();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->Kind(), testoHtml);
    EXPECT_EQ(page->Name(), "Nuova");
}

TEST_F(LinksUi, SpecialLinkWindowFields) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    ASSERT_TRUE(set.OpenHypertext(a.toStdString()));
    platform::InMemorySettings store;
    TFCollSpec w(set, store);
    w.Load(0);
    w.ShowTab(TFCollSpec::AnchorInPage);
    w.anchorNumber->setValue(3);
    auto s = w.MakeSpecialLink();
    ASSERT_TRUE(s);
    links::SpecialLink l{*s};
    EXPECT_EQ(l.Subtype(), links::kSpecGoTo);
    EXPECT_EQ(l.Action(), links::kActAnchorInPage);
    EXPECT_EQ(l.Anchor(), 3);
    EXPECT_EQ(l.Target(), -1);

    w.ShowTab(TFCollSpec::Normal);
    EXPECT_FALSE(w.MakeSpecialLink());  // no target yet
    w.SetTarget(set.Page(2), 1);
    w.normalReplace->setChecked(true);
    w.frameSet->setChecked(true);
    s = w.MakeSpecialLink();
    ASSERT_TRUE(s);
    EXPECT_EQ(links::SpecialLink{*s}.Action(), links::kActReplaceFrame);
    EXPECT_EQ(links::SpecialLink{*s}.Target(), set.Page(2)->Id());
    EXPECT_EQ(links::SpecialLink{*s}.DisplayMode(), 1);

    w.ShowTab(TFCollSpec::Window);
    EXPECT_TRUE(w.NeedsWindowName());
    w.windowName->setText("volante");
    EXPECT_FALSE(w.NeedsWindowName());
    s = w.MakeSpecialLink();
    EXPECT_EQ(links::SpecialLink{*s}.WindowName(), "volante");
    EXPECT_EQ(links::ReadWindowData(*s).width, 400);

    w.ShowTab(TFCollSpec::CloseWindow);
    w.mainWindow->setChecked(true);
    s = w.MakeSpecialLink();
    EXPECT_EQ(links::SpecialLink{*s}.Subtype(), links::kSpecCloseWindow);
    EXPECT_EQ(links::SpecialLink{*s}.Anchor(), links::kCloseMainWindow);

    w.ShowTab(TFCollSpec::Various);
    w.nextPage->setChecked(true);
    EXPECT_EQ(links::SpecialLink{*w.MakeSpecialLink()}.Subtype(), links::kSpecNext);
}

TEST_F(LinksUi, FileWindowHandsFilesToTheDesktopExceptTypesThatRunCode) {
    QtSettingsStore store(dir.filePath("ovik.ini"));
    TMainForm w(store);
    auto shell = std::make_unique<platform::RecordingShell>();
    shell->folder = dir.filePath("handover").toStdString();
    platform::RecordingShell* recording = shell.get();
    w.Links().SetShell(std::move(shell));
    THQVoggetto* txt = w.Set().AddNewObject(genLink);
    txt->SetFileName("note.txt");
    txt->SetContent(Bytes{'o', 'k'});
    THQVoggetto* sh = w.Set().AddNewObject(genLink);
    sh->SetFileName("avvia.sh");
    sh->SetContent(Bytes{'e', 'c', 'h', 'o'});
    TFCollFile& f = w.Links().FileWindow();
    f.Load(*sh);
    EXPECT_FALSE(f.open->isEnabled());
    EXPECT_TRUE(f.save->isEnabled());
    EXPECT_TRUE(f.SaveCopy(dir.filePath("copia.sh").toStdString()));
    f.Load(*txt);
    EXPECT_TRUE(f.open->isEnabled());
    EXPECT_TRUE(f.Open());
    ASSERT_EQ(recording->calls().size(), 1u);
    EXPECT_EQ(std::filesystem::path(recording->calls()[0].target).filename(), "note.txt");
}

}  // namespace
}  // namespace ovik::ui
