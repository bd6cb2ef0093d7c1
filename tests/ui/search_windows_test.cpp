// The object list, the keywords and page-order windows, and the find window
// driven through the main window's commands, offscreen.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>
#include <deque>

#include "app/object_list.h"
#include "core/codepage.h"
#include "document/keywords.h"
#include "document/ordered_tree.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "support/hypertext_files.h"
#include "ui/dialogs/find.h"
#include "ui/dialogs/keywords.h"
#include "ui/dialogs/object_list_view.h"
#include "ui/dialogs/page_order.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

struct WithApp {
    WithApp() { TestApp(); }
};

THQVtesto* AddPage(THQVset& set, const std::string& title, const std::string& markup) {
    auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    p->SetTitle(title);
    p->SetContent(Bytes(markup.begin(), markup.end() + 1));
    return p;
}

std::string Stored(const THQVset& set, int32_t n) {
    Bytes c;
    set.Page(n)->ReadContent(c);
    return std::string(c.begin(), std::find(c.begin(), c.end(), uint8_t(0)));
}

struct Dialogs : ::testing::Test, WithApp {
    platform::RecordingMessages messages;
    THQVset set{messages};
    platform::InMemorySettings store;
    Dialogs() {
        set.NewHypertext();
        AddPage(set, "Zeta", "<Z S0 >zeta");
        AddPage(set, "Alfa", "<Z S0 >alfa alfa");
    }
};

TEST_F(Dialogs, ObjectListRowsAndRenaming) {
    THQVListView list;
    list.LinkedHQVset = &set;
    list.Objects = testoHtml;
    list.Renamable = true;
    list.Checkable = true;
    int reloads = 0;
    list.OnReload = [&] { ++reloads; };
    list.Reload();
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(reloads, 1);
    // Sorted by caption; the fourth column is the page number.
    EXPECT_EQ(list.topLevelItem(0)->text(0), "Alfa");
    EXPECT_EQ(list.topLevelItem(0)->toolTip(0), "Collegamento a: Alfa (1)");
    EXPECT_EQ(list.topLevelItem(0)->text(3), "1");
    EXPECT_EQ(list.topLevelItem(0)->text(1).toULongLong(), set.Page(1)->ContentLength());
    EXPECT_TRUE(list.SelectByIdentifier(MakeId(testoHtml, 0)));
    EXPECT_EQ(list.SelectedObject(), set.Page(0));
    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    std::vector<THQVoggetto*> checked;
    list.CheckedObjects(checked);
    EXPECT_EQ(checked, std::vector<THQVoggetto*>{set.Page(0)});
    // Editing the caption renames the page.
    list.topLevelItem(1)->setText(0, "Omega");
    EXPECT_EQ(set.Page(0)->Title(), "Omega");
    EXPECT_EQ(list.topLevelItem(1)->text(0), "Omega");
    // The filter refuses rows.
    list.OnFilter = [](const THQVoggetto& o) { return o.Number() == 1; };
    list.Reload();
    EXPECT_EQ(list.topLevelItemCount(), 1);
}

TEST_F(Dialogs, ObjectListLeavesOutOtherHypertextsLinksAndKeepsStyleNamesUnique) {
    auto address = set.NewInternetLink("ovik://altro.hqv|3");
    THQVoggetto::Register(address, -1);
    auto web = set.NewInternetLink("http://esempio.it/");
    THQVoggetto::Register(web, -1);
    EXPECT_EQ(app::ObjectRows(set, internetLink).size(), 1u);
    EXPECT_EQ(app::IconOf(*set.GetObject(internetLink, 1)), app::RowIcon::HtmlFile);
    // A style takes a new name only when no other style has it and it is not
    // the same name in another case.
    std::vector<std::string> names = set.StyleNames();
    ASSERT_GE(names.size(), 2u);
    THQVoggetto* style = set.FindStyle(names[1]);
    EXPECT_FALSE(app::RenameObject(set, *style, names[0]));
    EXPECT_FALSE(app::RenameObject(set, *style, cp1252::Upper(names[1])));
    EXPECT_TRUE(app::RenameObject(set, *style, "Titoletto"));
    EXPECT_EQ(style->Name(), "Titoletto");
}

TEST_F(Dialogs, KeywordsWindowEditsThePageAndTheGlobalList) {
    TFKeywords w(set, store);
    std::deque<QString> answers{"mare", "mare", "ma"};
    w.ask = [&](const QString&, const QString&) -> std::optional<QString> {
        QString a = answers.front();
        answers.pop_front();
        return a;
    };
    int changed = 0;
    w.pageChanged = [&](int32_t) { ++changed; };
    w.Load(1);
    w.NewGlobalKeyword();
    w.NewGlobalKeyword();  // the same text: the keyword there is used
    ASSERT_EQ(Keywords(set).size(), 1u);
    EXPECT_EQ(w.onlyContaining->text(), "Pagine che contengono \"mare\"");
    w.AddToPage();
    w.AddToPage();  // already named: nothing
    EXPECT_EQ(PageKeywords(*set.Page(1)), std::vector<int32_t>{0});
    EXPECT_EQ(changed, 1);
    ASSERT_EQ(w.pageKeywords->count(), 1);
    EXPECT_EQ(w.pages->topLevelItemCount(), 1);  // only the pages naming it
    w.onlyContaining->setChecked(false);
    EXPECT_EQ(w.pages->topLevelItemCount(), 2);
    w.globals->setCurrentItem(nullptr);
    w.Search();
    EXPECT_EQ(w.globals->SelectedObject(), set.GetObject(keyword, 0));
    // Deleting asks; No keeps everything, Yes clears the slots.
    messages.QueueAnswer(platform::Answer::No);
    w.DeleteGlobalKeyword();
    EXPECT_FALSE(set.GetObject(keyword, 0)->IsFree());
    messages.QueueAnswer(platform::Answer::Yes);
    w.DeleteGlobalKeyword();
    EXPECT_TRUE(set.GetObject(keyword, 0)->IsFree());
    EXPECT_TRUE(PageKeywords(*set.Page(1)).empty());
    EXPECT_EQ(w.globals->topLevelItemCount(), 0);
    EXPECT_EQ(w.pageKeywords->count(), 0);
}

TEST_F(Dialogs, OrderWindowStoresTheTreeOnOk) {
    TFOrdine w(set, store);
    w.askChapter = [] { return QString("Nuovo capitolo"); };
    w.Load();
    ASSERT_NE(w.tree->Model()->Root(), nullptr);
    w.tree->setCurrentItem(w.tree->topLevelItem(0));
    w.bChapter->click();
    ASSERT_EQ(w.tree->SelectedChapterName(), "Nuovo capitolo");
    w.pages->SelectByIdentifier(MakeId(testoHtml, 1));
    w.bAdd->click();
    EXPECT_EQ(w.tree->SelectedObject(), set.Page(1));
    w.bUp->click();  // the only child: no change
    w.findChild<QPushButton*>("bok")->click();
    OrderedTree stored(set, testoHtml);
    stored.Load();
    EXPECT_EQ(stored.TreeText(), "a0,-2,\r\na1,0,x\r\na1,1,x\r\na1,-3,Nuovo capitolo\r\na2,1,x\r\n");
}

// The main window with five pages, "gatto" in pages 1, 3 and 4.
struct FindInEditor : ::testing::Test, WithApp {
    testing_support::ScratchFolder dir;
    platform::InMemorySettings store;
    TMainForm w{store};
    TFCerca* find = nullptr;
    QTimer answering;
    std::deque<QMessageBox::StandardButton> answers;
    int asked = 0;

    FindInEditor() {
        w.Document().NewDocument();
        THQVset& set = w.Set();
        const char* texts[] = {"inizio", "un gatto nero", "nessuno", "gatto e gatto", "Gatto<D x>gatto<d>"};
        for (int i = 0; i < 5; ++i)
            if (set.Page(i)) {
                const std::string m = std::string("<Z S0 >") + texts[i];
                set.Page(i)->SetContent(Bytes(m.begin(), m.end() + 1));
            } else {
                AddPage(set, "P" + std::to_string(i), std::string("<Z S0 >") + texts[i]);
            }
        w.View()->ShowPage(set, 0);
        w.Action("SearchFind")->trigger();
        find = static_cast<TFCerca*>(w.CachedWindow("fcerca"));
        // Questions are answered from the queue as they appear.
        answering.setInterval(5);
        QObject::connect(&answering, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || answers.empty()) return;
            ++asked;
            QMessageBox::StandardButton b = answers.front();
            answers.pop_front();
            box->button(b)->click();
        });
        answering.start();
    }
    QString Status() { return w.findChild<QLabel*>()->text(); }
    std::string Selected() {
        THQVbox* b = w.View()->Box();
        if (!b || !b->hasSelection) return "";
        TextPosition s = b->SelectionStart(), e = b->SelectionEnd();
        return b->Paragraph(s.paragraphIndex).Text().substr(size_t(s.charIndex), size_t(e.charIndex - s.charIndex));
    }
};

TEST_F(FindInEditor, F4WalksThePagesThenReplaceAllIsOneUndoStep) {
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    find->word->setCurrentText("gatto");
    find->bInHypertext->click();
    EXPECT_EQ(w.View()->PageNumber(), 1);
    EXPECT_EQ(Selected(), "gatto");
    w.Action("SearchAgainAll")->trigger();  // F4
    EXPECT_EQ(w.View()->PageNumber(), 3);
    w.Action("SearchAgain")->trigger();  // F3: the second one in the page
    EXPECT_EQ(Selected(), "gatto");
    EXPECT_EQ(w.View()->Box()->SelectionStart().charIndex, 8);
    w.Action("SearchAgainAll")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 4);  // "Gatto": case ignored
    w.Action("SearchAgainAll")->trigger();
    EXPECT_EQ(w.View()->PageNumber(), 4);
    EXPECT_EQ(Status(), "Ricerca nell'ipertesto terminata");

    // Replace in the whole hypertext without questions, from page 0.
    THQVset& set = w.Set();
    const std::string before3 = Stored(set, 3);
    find->ShowTab(TFCerca::ReplaceTab);
    find->rWord->setCurrentText("gatto");
    find->rWith->setCurrentText("cane");
    find->confirmAll->setChecked(false);
    find->bReplaceAll->click();
    EXPECT_EQ(Status(), "Sostituzione nell'ipertesto terminata");
    EXPECT_EQ(Stored(set, 1), "<Z S0 >un cane nero");
    EXPECT_EQ(Stored(set, 3), "<Z S0 >cane e cane");
    EXPECT_EQ(Stored(set, 4), "<Z S0 >cane<D x>gatto<d>");
    EXPECT_EQ(asked, 0);
    // One undo brings every page back.
    ASSERT_TRUE(w.Action("EditUndo")->isEnabled());
    w.Action("EditUndo")->trigger();
    EXPECT_EQ(Stored(set, 3), before3);
    EXPECT_EQ(Stored(set, 1), "<Z S0 >un gatto nero");
    EXPECT_EQ(Stored(set, 4), "<Z S0 >Gatto<D x>gatto<d>");

    // Again with questions: Yes, No, Yes on page 3, then Cancel on page 4.
    find->confirmAll->setChecked(true);
    answers = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes, QMessageBox::Cancel};
    find->bReplaceAll->click();
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(Stored(set, 1), "<Z S0 >un cane nero");
    EXPECT_EQ(Stored(set, 3), "<Z S0 >gatto e cane");
    EXPECT_EQ(Stored(set, 4), "<Z S0 >Gatto<D x>gatto<d>");
    EXPECT_NE(Status(), "Sostituzione nell'ipertesto terminata");

    // Saved, the file holds the replaced text.
    const std::string file = (dir / "gatti.hqv").string();
    ASSERT_TRUE(set.SaveHypertext(file));
    platform::RecordingMessages m;
    THQVset back(m);
    ASSERT_TRUE(back.OpenHypertext(file));
    EXPECT_EQ(Stored(back, 3), "<Z S0 >gatto e cane");
}

TEST_F(FindInEditor, ReplaceInThePageAndReadOnly) {
    THQVset& set = w.Set();
    w.View()->ShowPage(set, 3);
    find->ShowTab(TFCerca::ReplaceTab);
    find->rWord->setCurrentText("gatto");
    find->rWith->setCurrentText("gattone");
    find->confirmAll->setChecked(false);
    find->bReplacePage->click();
    EXPECT_EQ(w.View()->Box()->Paragraph(0).Text(), "gattone e gattone");
    EXPECT_EQ(Status(), "Sostituzione nella pagina terminata");
    w.Action("EditUndo")->trigger();
    w.Action("EditUndo")->trigger();
    EXPECT_EQ(w.View()->Box()->Paragraph(0).Text(), "gatto e gatto");
    // A preview changes nothing.
    w.Action("HypReadOnly")->trigger();
    find->bReplaceAll->click();
    find->bReplaceOne->click();
    EXPECT_EQ(Stored(set, 1), "<Z S0 >un gatto nero");
    EXPECT_EQ(asked, 0);
}

}  // namespace
}  // namespace ovik::ui
