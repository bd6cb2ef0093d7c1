// Form elements, buttons, sounds and floating frames in the editor, offscreen:
// a small form built through the Inserisci commands and the property window,
// used in preview (a check box clicked, the reset button restoring it), a
// sound and a floating frame added, the hypertext saved and opened again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "page/placed_controls.h"
#include "page/placed_floating.h"
#include "page/placed_forms.h"
#include "page/placed_media.h"
#include "platform/media_player.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "support/page_text.h"
#include "ui/control_commands.h"
#include "ui/dialogs/control_properties.h"
#include "ui/dialogs/links.h"
#include "ui/icons.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

struct ControlsUi : ::testing::Test {
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<platform::InMemorySettings> store;
    std::unique_ptr<TMainForm> window;

    void SetUp() override {
        TestApp();
        file = dir.filePath("modulo.hqv");
        {
            platform::RecordingMessages msgs;
            THQVset set(msgs);
            set.NewHypertext();
            for (const char* t : {"Zero", "Uno"}) {
                THQVoggetto* p = set.AddNewObject(testoHtml);
                p->SetName(t);
                p->SetContent(testing::Content(std::string("<Z S0 >") + t + " "));
            }
            ASSERT_TRUE(set.SaveHypertext(file.toStdString()));
        }
        store = std::make_unique<platform::InMemorySettings>();
        window = std::make_unique<TMainForm>(*store);
        ASSERT_TRUE(window->OpenDocument(file));
        window->ShowPage(0);
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
    }
    TPageView& View() { return *window->View(); }
    QRect RectOf(const PlacedObject* c) {
        for (const DisplayItem& item : View().VisibleList().items)
            if (const auto* o = std::get_if<ObjectItem>(&item); o && View().Page()->ControlAt(o->controlIndex) == c)
                return QRect(o->rect.left, o->rect.top, o->rect.right - o->rect.left, o->rect.bottom - o->rect.top);
        return {};
    }
    template <class T>
    std::vector<T*> Controls(ControlClass cls) {
        std::vector<T*> out;
        for (auto& c : View().Page()->Controls())
            if (auto* t = dynamic_cast<T*>(c.get()); t && t->Class() == cls) out.push_back(t);
        return out;
    }
    void Key(int key, const QString& text = {}, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent e(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(&View(), &e);
        QApplication::processEvents();
    }
    void Type(const QString& text) {
        for (QChar ch : text) Key(0, QString(ch));
    }
    void Click(QPoint at) {
        QWidget* vp = View().viewport();
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
            QApplication::sendEvent(vp, &e);
        }
        QApplication::processEvents();
    }
};

TEST_F(ControlsUi, AFormIsBuiltUsedInPreviewResetSavedAndOpenedAgain) {
    TControlCommands& commands = window->Controls();
    // The property window answers Ok, with the list's items and the frame's page filled in.
    commands.execWindow = [](QDialog& d) {
        if (auto* p = dynamic_cast<TFPropControllo*>(&d)) {
            if (p->text->isVisibleTo(p)) p->text->setPlainText("uno\n1\nX\ndue\n2\n\n");
            if (p->page->isVisibleTo(p)) p->page->setCurrentIndex(p->page->findData(1));
        }
        return int(QDialog::Accepted);
    };
    const struct {
        const char* action;
    } steps[] = {{"InsertFormStart"}, {"InsertFormEdit"},   {"InsertFormRadio"}, {"InsertFormCheck"},
                 {"InsertFormList"},  {"InsertFormSubmit"}, {"InsertFormReset"}};
    for (const auto& s : steps) {
        QAction* a = window->Action(s.action);
        ASSERT_NE(a, nullptr) << s.action;
        ASSERT_TRUE(a->isEnabled()) << s.action;
        a->trigger();
    }
    // The list was filled through its property window.
    window->Controls().Insert(inputStat, 8, true);
    // A sound and a floating frame on page 1.
    THQVoggetto* sound = window->Set().AddEmbeddedFile([&] {
        const QString wav = dir.filePath("suono.wav");
        QFile f(wav);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF....WAVE");
        return wav.toStdString();
    }());
    ASSERT_NE(sound, nullptr);
    auto media = NewControlObject(window->Set(), multiMedia, 1);
    media->SetI32(17, sound->Id());
    ASSERT_TRUE(View().InsertControl(std::move(media)));
    window->Action("InsertFrame")->trigger();
    QApplication::processEvents();

    auto checks = Controls<TMyyCheckedControl>(ControlClass::CheckBox);
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(Controls<TMyyListBox>(ControlClass::ListBox).size(), 2u);
    EXPECT_EQ(Controls<TMyyListBox>(ControlClass::ListBox)[1]->Selected(), std::vector<int32_t>{0});

    // Preview: the check box is clicked on, the reset button brings it back.
    View().SetReadOnly(true);
    QApplication::processEvents();
    checks = Controls<TMyyCheckedControl>(ControlClass::CheckBox);
    auto* check = checks.at(0);
    const QRect box = RectOf(check);
    ASSERT_FALSE(box.isNull());
    EXPECT_FALSE(check->Checked);
    Click(box.center());
    EXPECT_TRUE(check->Checked);
    auto buttons = Controls<TMyyButton>(ControlClass::Button);
    ASSERT_EQ(buttons.size(), 2u);
    TMyyButton* reset = buttons[1];
    ASSERT_TRUE(reset->Reset());
    Click(RectOf(reset).center());
    EXPECT_FALSE(check->Checked);
    View().SetReadOnly(false);

    // Saved and opened again, every object is there.
    View().StorePage(TPageView::AfterStore::Drop);
    ASSERT_TRUE(window->Set().SaveHypertext(dir.filePath("salvato.hqv").toStdString()));
    platform::RecordingMessages msgs;
    THQVset again(msgs);
    ASSERT_TRUE(again.OpenHypertext(dir.filePath("salvato.hqv").toStdString()));
    Bytes content;
    ASSERT_TRUE(again.Page(0)->ReadContent(content));
    std::vector<int32_t> tags = ObjectTagsIn(content);
    std::map<int, int> kinds;
    for (int32_t t : tags) ++kinds[IdKind(t)];
    EXPECT_EQ(kinds[inizioForm], 1);
    EXPECT_EQ(kinds[inputStat], 5 + 1);  // edit, radio, check box, two lists, the frame
    EXPECT_EQ(kinds[bottoneCGI], 2);
    EXPECT_EQ(kinds[multiMedia], 1);
    for (int32_t t : tags)
        if (IdKind(t) == inputStat && again.GetObjectById(t)->State() == 18) {
            EXPECT_EQ(IdNumber(again.GetObjectById(t)->I32(108)), 1);
        }
}

TEST_F(ControlsUi, AReaderTypesPicksAndPlaysInPreviewAndResetBringsTheFormBack) {
    THQVset& set = window->Set();
    auto edit = NewControlObject(set, inputStat, 1);
    edit->SetStr(form_rec::kValue, form_rec::kValueLen, "Mario");
    edit->SetU8(form_rec::kShowInitial, 1);
    auto memo = NewControlObject(set, inputStat, 4);
    auto list = NewControlObject(set, inputStat, 8);
    list->SetU8(form_rec::kWidthChars, 3);
    list->SetContent(testing::Content("uno\r\n1\r\nX\r\ndue\r\n2\r\n\r\ntre\r\n3\r\n\r\n"));
    auto combo = NewControlObject(set, inputStat, 9);
    combo->SetContent(testing::Content("rosso\r\nr\r\n\r\nverde\r\nv\r\nX\r\n"));
    THQVoggetto* wav = set.AddEmbeddedFile([&] {
        const QString path = dir.filePath("suono.wav");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF....WAVE");
        return path.toStdString();
    }());
    ASSERT_NE(wav, nullptr);
    auto sound = NewControlObject(set, multiMedia, 1);
    sound->SetI32(media_rec::kFile, wav->Id());
    sound->SetU8(media_rec::kCyclic, 0);
    for (auto* o : {&edit, &memo, &list, &combo, &sound}) ASSERT_TRUE(View().InsertControl(std::move(*o)));
    window->Controls().Insert(bottoneCGI, button_rec::kReset, false);
    View().SetReadOnly(true);
    QApplication::processEvents();

    auto* e = Controls<TMyyEdit>(ControlClass::Edit).at(0);
    auto* m = Controls<TMyyMemo>(ControlClass::Memo).at(0);
    auto* l = Controls<TMyyListBox>(ControlClass::ListBox).at(0);
    auto* cb = Controls<TMyyListBox>(ControlClass::ComboBox).at(0);
    auto* reset = Controls<TMyyButton>(ControlClass::Button).at(0);
    EXPECT_EQ(View().FocusedControl(), nullptr);

    // A click at the field's right end puts the caret after the text.
    const QRect er = RectOf(e);
    Click(QPoint(er.right() - 2, er.center().y()));
    EXPECT_EQ(View().FocusedControl(), e);
    EXPECT_EQ(e->caret, 5);
    Type(" Rossi");
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    Type("D");
    EXPECT_EQ(e->ValueText(), "Dario Rossi");
    // Tab goes on to the text box, which takes Enter as a line break.
    Key(Qt::Key_Tab, "\t");
    EXPECT_EQ(View().FocusedControl(), m);
    Type("riga");
    Key(Qt::Key_Return, "\r");
    Type("altra");
    EXPECT_EQ(m->ValueText(), "riga\r\naltra");
    // The list: the keys move its selection; a click picks a line.
    Key(Qt::Key_Tab, "\t");
    EXPECT_EQ(View().FocusedControl(), l);
    Key(Qt::Key_Down);
    EXPECT_EQ(l->ValueText(), "2");
    const QRect lr = RectOf(l);
    Click(QPoint(lr.left() + 5, lr.top() + TMyyListBox::kListMargin + 2 * QFontMetrics(QApplication::font()).lineSpacing() + 2));
    EXPECT_EQ(l->ValueText(), "3");
    // A combo box opens its drop-down; the item picked there is shown.
    EXPECT_EQ(cb->ValueText(), "v");
    Click(RectOf(cb).center());
    QMenu* drop = View().ComboDropDown();
    ASSERT_NE(drop, nullptr);
    ASSERT_EQ(drop->actions().size(), 2);
    EXPECT_TRUE(drop->actions()[1]->isChecked());
    drop->actions()[0]->trigger();
    drop->hide();
    EXPECT_EQ(cb->ValueText(), "r");
    // Shift+Tab goes back; Escape gives the keys back to the page.
    Key(Qt::Key_Backtab, {}, Qt::ShiftModifier);
    EXPECT_EQ(View().FocusedControl(), l);
    Key(Qt::Key_Escape);
    EXPECT_EQ(View().FocusedControl(), nullptr);

    // The sound's bar: play, then stop, reach the (recording) player.
    auto* players = dynamic_cast<platform::RecordingMediaPlayers*>(&View().MediaPlayers());
    ASSERT_NE(players, nullptr);
    auto* s = Controls<TMyyMultimedia>(ControlClass::Multimedia).at(0);
    const QRect sr = RectOf(s);
    players->log.clear();
    Click(sr.topLeft() + QPoint(5, 5));
    Click(sr.topLeft() + QPoint(TMyyMultimedia::kPlayerWidth / 2, 5));
    EXPECT_EQ(players->log, (std::vector<std::string>{"play", "stop", "rewind"}));

    // The reset button brings back what the records hold; the records never changed.
    Click(RectOf(reset).center());
    EXPECT_EQ(e->ValueText(), "Mario");
    EXPECT_EQ(m->ValueText(), "");
    EXPECT_EQ(l->ValueText(), "1");
    EXPECT_EQ(cb->ValueText(), "v");
    EXPECT_EQ(e->Object()->Str(form_rec::kValue, form_rec::kValueLen), "Mario");
    EXPECT_EQ(ContentText(*m->Object()), "");
}

TEST_F(ControlsUi, AFloatingFrameShowsItsPageInsideAndFollowsLinksByItsTarget) {
    THQVoggetto* due = window->Set().AddNewObject(testoHtml);
    due->SetName("Due");
    due->SetContent(testing::Content("<Z S0 >Due "));
    struct Case {
        uint8_t target;
        int32_t innerAfter, outerAfter;
    };
    for (const Case& c : {Case{TMyyFloating::kSelf, 2, 0}, Case{TMyyFloating::kTop, 1, 2},
                          Case{TMyyFloating::kBlank, 1, 2}}) {
        SCOPED_TRACE(int(c.target));
        View().SetReadOnly(false);
        window->ShowPage(0);
        auto frame = NewControlObject(window->Set(), inputStat, form_rec::kFloating);
        frame->SetI32(form_rec::kPage, MakeId(testoHtml, 1));
        frame->SetU8(form_rec::kTarget, c.target);
        ASSERT_TRUE(View().InsertControl(std::move(frame)));
        auto* f = Controls<TMyyFloating>(ControlClass::Floating).at(0);
        View().viewport()->repaint();
        View().PlaceFloatingFrames();
        // In the editor the inner page shows, and the author's clicks go to the frame.
        TPageView* inner = View().FloatingFrameView(f->ControlIndex());
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(inner->PageNumber(), 1);
        EXPECT_TRUE(inner->ReadOnly());
        EXPECT_TRUE(inner->testAttribute(Qt::WA_TransparentForMouseEvents));
        EXPECT_EQ(inner->geometry(), RectOf(f));
        EXPECT_TRUE(inner->isVisible());

        View().StorePage(TPageView::AfterStore::Drop);
        window->ShowPage(0);
        View().SetReadOnly(true);
        QApplication::processEvents();
        f = Controls<TMyyFloating>(ControlClass::Floating).at(0);
        View().viewport()->repaint();
        View().PlaceFloatingFrames();
        const int32_t index = f->ControlIndex();
        inner = View().FloatingFrameView(index);
        ASSERT_NE(inner, nullptr);
        EXPECT_FALSE(inner->testAttribute(Qt::WA_TransparentForMouseEvents));
        EXPECT_EQ(inner->Model().AutoJump(), c.target == TMyyFloating::kSelf);
        // A link of the inner page: inside for "_self", the outer view's otherwise.
        emit inner->FollowLink(MakeId(testoHtml, 2));
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        EXPECT_EQ(View().PageNumber(), c.outerAfter);
        if (c.outerAfter == 0) {
            ASSERT_EQ(View().FloatingFrameView(index), inner);
            EXPECT_EQ(inner->PageNumber(), c.innerAfter);
        } else {
            EXPECT_EQ(View().FloatingFrameView(index), nullptr);
        }
        // The next case starts from a page without the frame.
        View().SetReadOnly(false);
        window->ShowPage(0);
        window->Set().Page(0)->SetContent(testing::Content("<Z S0 >Zero "));
        window->ShowPage(0);
    }
}

TEST_F(ControlsUi, EveryIconTheControlsNameIsAPictureOfItsWidth) {
    struct Case {
        const char* name;
        int width;
    };
    const Case cases[] = {
        {"notepad", 18}, {"html", 18},    {"binary", 18},  {"lancia", 18},  {"ancora", 18},   {"triang", 18},
        {"imagelk", 36}, {"fogliolk", 36}, {"foglio", 36}, {"fond", 18},    {"xcoord", 36},   {"ycoord", 36},
        {"par", 18},     {"hidden", 18},  {"dinlist", 18}, {"dinhtml", 18}, {"iniziof", 18},  {"nota", 18},
        {"dbtesto", 36}, {"dbdb", 18},    {"dbquery", 18}, {"dbbegin", 18}, {"dbend", 18},    {"dbcount", 18},
        {"dbfirst", 18}, {"dblast", 18},  {"dbrep", 27},   {"dbsalto", 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage& icon = ControlIcon(c.name);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.width(), c.width);
        EXPECT_EQ(icon.height(), 18);
        EXPECT_EQ(&ControlIcon(c.name), &icon);  // read once
    }
    // Database elements take their icon's width.
    for (uint8_t type : {9, 19, 21}) EXPECT_EQ(ControlIcon(DbLookOf(type).icon).width(), DbLookOf(type).width);
    EXPECT_TRUE(ControlIcon("nessuna").isNull());
}

TEST_F(ControlsUi, AButtonsLinkIsChosenInTheLinkWindowAndFollowedInPreview) {
    window->Controls().Insert(bottoneCGI, button_rec::kSubmit, false);
    auto* button = Controls<TMyyButton>(ControlClass::Button).at(0);
    EXPECT_EQ(button->Link(), -1);
    // The property window's "Scegli..." opens the link window, where page
    // "Uno" is chosen; then the window is confirmed.
    QString shownBefore, shownAfter;
    bool noneEnabled = false;
    window->Controls().execWindow = [&](QDialog& d) {
        if (auto* l = dynamic_cast<TFCollega*>(&d)) {
            l->ShowTab(TFCollega::ThisPage);
            for (int i = 0; i < l->pages->count(); ++i)
                if (l->pages->item(i)->data(Qt::UserRole).toInt() == MakeId(testoHtml, 1)) l->pages->setCurrentRow(i);
            return int(QDialog::Accepted);
        }
        auto* p = dynamic_cast<TFPropControllo*>(&d);
        if (!p) return int(QDialog::Rejected);
        EXPECT_TRUE(p->linkText->isVisibleTo(p));
        shownBefore = p->linkText->text();
        p->chooseLink->click();
        shownAfter = p->linkText->text();
        noneEnabled = p->noLink->isEnabled();
        return int(QDialog::Accepted);
    };
    // The button just inserted is the current control; a double click asks for its window.
    emit View().ControlPropertiesRequested();
    EXPECT_EQ(shownBefore, "(nessuno)");
    EXPECT_NE(shownAfter, "(nessuno)");
    EXPECT_FALSE(shownAfter.isEmpty());
    EXPECT_TRUE(noneEnabled);
    button = Controls<TMyyButton>(ControlClass::Button).at(0);
    ASSERT_NE(button->Link(), -1);
    EXPECT_EQ(View().Model().Resolve(button->Link()), window->Set().Page(1));

    // "Nessuno" takes the link away again.
    window->Controls().execWindow = [](QDialog& d) {
        if (auto* p = dynamic_cast<TFPropControllo*>(&d)) p->noLink->click();
        return int(QDialog::Accepted);
    };
    emit View().ControlPropertiesRequested();
    EXPECT_EQ(Controls<TMyyButton>(ControlClass::Button).at(0)->Link(), -1);
    View().Undo();
    ASSERT_NE(Controls<TMyyButton>(ControlClass::Button).at(0)->Link(), -1);

    // In preview a click on the button shows the page it leads to.
    View().SetReadOnly(true);
    QApplication::processEvents();
    button = Controls<TMyyButton>(ControlClass::Button).at(0);
    Click(RectOf(button).center());
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_EQ(View().PageNumber(), 1);
}

}  // namespace
}  // namespace ovik::ui
