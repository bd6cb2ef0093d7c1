// Form elements, buttons, sounds and floating frames in the editor, offscreen:
// a small form built through the Inserisci commands and the property window,
// used in preview (a check box clicked, the reset button restoring it), a
// sound and a floating frame added, the hypertext saved and opened again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "document/format1.h"
#include "document/hqv_set.h"
#include "page/placed_controls.h"
#include "page/placed_forms.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "support/page_text.h"
#include "ui/control_commands.h"
#include "ui/dialogs/control_properties.h"
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

}  // namespace
}  // namespace ovik::ui
