// Opening and dropping HTML files in the editor: the window "Apri", what its
// choices do, and the HTML tab of the new-page window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include "convert/hqv_to_html.h"
#include "document/hqv_set.h"
#include "page/page_record.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "support/hqv_builder.h"
#include "support/page_text.h"
#include "ui/dialogs/new_page.h"
#include "ui/dialogs/open_html.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

namespace fs = std::filesystem;
using testing::Content;
using testing::TempDir;
using testing::WriteFileBytes;

struct WithApp {
    WithApp() { TestApp(); }
};

void ClickOk(QDialog& d) {
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// The text of a page, tags left out.
std::string TextOf(THQVtesto* p) {
    Bytes c;
    if (!p || !p->ReadContent(c)) return {};
    std::string t;
    bool tag = false;
    for (uint8_t b : c) {
        if (b == 0) break;
        if (b == '<') tag = true;
        else if (b == '>') tag = false;
        else if (!tag) t += char(b);
    }
    return t;
}

struct OpenHtmlUi : ::testing::Test, WithApp {
    platform::InMemorySettings store;
    TMainForm w{store};
    TempDir dir;
    fs::path marked, plain;

    OpenHtmlUi() {
        // A hypertext of two pages, exported: its page files carry its marker.
        platform::RecordingMessages msgs;
        THQVset src(msgs);
        src.NewHypertext();
        src.SetExpPrefix("src");
        for (const char* text : {"prima pagina", "seconda pagina"}) {
            auto* p = static_cast<THQVtesto*>(src.AddNewObject(testoHtml));
            p->SetContent(Content(std::string("<Z S0 >") + text));
            PageRecord(*p).SetTitle(text);
        }
        EXPECT_TRUE(src.SaveHypertext(dir / "src.hqv"));
        THQVtoHtml html(&src);
        html.ExpTipoExt = 0;
        html.ExportPath = dir / "site";
        EXPECT_TRUE(html.ExportPages({0, 1}));
        marked = dir / "site" / "src_000001.htm";
        plain = dir / "plain.htm";
        WriteFileBytes(plain, Content("<HTML><BODY><P>testo importato</P></BODY></HTML>"));
        w.Document().NewDocument();
    }
    // Acts on the next modal window once it runs its own event loop.
    // Events may be handled before the window runs its loop: the timer comes
    // back until the window is there.
    template <class Window>
    void WhenShown(std::function<void(Window&)> act, int tries = 50) {
        QTimer::singleShot(10, &w, [this, act, tries] {
            auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget());
            if (!modal && tries > 0) return WhenShown<Window>(act, tries - 1);
            ASSERT_NE(modal, nullptr);
            act(*modal);
        });
    }
    // Opens `file` through "Apri" with choice `k`.
    void OpenWith(const fs::path& file, int k, std::function<void()> then = {}) {
        WhenShown<TFScegliApriHtml>([k, then](TFScegliApriHtml& a) {
            a.choices[size_t(k)]->setChecked(true);
            if (then) then();
            ClickOk(a);
        });
        w.OpenHtml(file);
        QCoreApplication::processEvents();
    }
    int32_t Pages() {
        int32_t n = 0;
        for (int32_t i = 0; i < w.Set().ObjectCount(testoHtml); ++i)
            if (THQVtesto* p = w.Set().Page(i); p && !p->IsFree()) ++n;
        return n;
    }
    bool AnyPageSays(const std::string& text) {
        w.View()->StorePage();  // what the view shows is in the set
        for (int32_t i = 0; i < w.Set().ObjectCount(testoHtml); ++i)
            if (TextOf(w.Set().Page(i)).find(text) != std::string::npos) return true;
        return false;
    }
};

TEST_F(OpenHtmlUi, TheWindowShowsTheChoicesOfItsFileAndAsksBeforeFallingBack) {
    platform::RecordingMessages msgs;
    TFScegliApriHtml a(msgs, store);
    a.show();
    a.Load(app::PlanHtmlOpen(plain));
    EXPECT_TRUE(a.plainGroup->isVisibleTo(&a));
    EXPECT_FALSE(a.markedGroup->isVisibleTo(&a));
    EXPECT_TRUE(a.choices[0]->isChecked());

    app::HtmlOpenPlan missing = app::PlanHtmlOpen(marked);
    ASSERT_TRUE(missing.marked);
    missing.hypertext = dir / "gone.hqv";
    missing.hypertextFound = false;
    a.Load(missing);
    EXPECT_TRUE(a.markedGroup->isVisibleTo(&a));
    EXPECT_TRUE(a.findButton->isVisibleTo(&a));
    EXPECT_NE(a.markerText->text().toStdString().find("che oVik non riesce a trovare"), std::string::npos);
    // No keeps the window open, to look for the hypertext.
    msgs.QueueAnswer(platform::Answer::No);
    ClickOk(a);
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(msgs.joined(), app::kHypertextMissingQuestion);
    // "Cerca..." finds it: the native choices work again.
    a.FindHypertext = [this] { return std::optional<fs::path>(dir / "src.hqv"); };
    a.findButton->click();
    EXPECT_FALSE(a.findButton->isVisibleTo(&a));
    EXPECT_NE(a.markerText->text().toStdString().find("formato nativo"), std::string::npos);
    ClickOk(a);
    EXPECT_EQ(a.result(), QDialog::Accepted);
    EXPECT_EQ(a.Decision(), app::HtmlOpenChoice::EditNative);

    // Yes imports the HTML instead, with the pages it links to.
    a.show();
    a.Load(missing);
    msgs.QueueAnswer(platform::Answer::Yes);
    ClickOk(a);
    EXPECT_EQ(a.result(), QDialog::Accepted);
    EXPECT_EQ(a.Decision(), app::HtmlOpenChoice::NewFollowingLinks);
}

TEST_F(OpenHtmlUi, ChoicesOpenTheHypertextOrCopyOrImportThePage) {
    // A plain file is imported into the current hypertext.
    const int32_t before = Pages();
    OpenWith(plain, 0);
    EXPECT_EQ(Pages(), before + 1);
    EXPECT_TRUE(AnyPageSays("testo importato"));

    // "inserire la pagina scelta nel corrente ipertesto": the page copy
    // window opens on the marker's page of the marker's hypertext.
    bool copied = false;
    OpenWith(marked, 6, [this, &copied] {
        WhenShown<TFNuova>([&copied](TFNuova& n) {
            EXPECT_EQ(n.Current(), TFNuova::OtherHypertext);
            ASSERT_NE(n.otherPages->currentItem(), nullptr);
            EXPECT_EQ(n.otherPages->currentItem()->data(Qt::UserRole).toInt(), 1);
            copied = true;
            ClickOk(n);
        });
    });
    EXPECT_TRUE(copied);
    EXPECT_TRUE(AnyPageSays("seconda pagina"));

    // "editare questa pagina ... in formato nativo": the hypertext itself,
    // on the marker's page.
    OpenWith(marked, 3);
    EXPECT_EQ(fs::path(w.Document().CurrentName()), dir / "src.hqv");
    EXPECT_EQ(w.View()->PageNumber(), 1);
}

TEST_F(OpenHtmlUi, DroppedExportedPagesGoToThePageCopyWindow) {
    bool shown = false;
    WhenShown<TFNuova>([&shown](TFNuova& n) {
        shown = n.Current() == TFNuova::OtherHypertext;
        n.reject();
    });
    w.DropFiles({QString::fromStdString(marked.string())});
    EXPECT_TRUE(shown);
}

TEST_F(OpenHtmlUi, NewPageFromAnHtmlFilePreviewsItsBeginningAndCopiesItWhole) {
    std::string body = "<HTML><BODY>";
    for (int i = 0; i < 400; ++i) body += "<P>paragrafo numero " + std::to_string(i) + "</P>";
    body += "<P>ultimo paragrafo</P></BODY></HTML>";
    WriteFileBytes(dir / "long.htm", Content(body));
    const app::ProgramFolders folders(dir.path());
    TFNuova n(w.Set(), store, folders);
    n.Load();
    n.show();
    n.ShowTab(TFNuova::HtmlFile);
    ASSERT_TRUE(n.tabs->isTabEnabled(n.tabs->currentIndex()));
    ASSERT_TRUE(n.OpenHtml(QString::fromStdString((dir / "long.htm").string())));
    EXPECT_EQ(TextOf(n.SourcePage()).find("ultimo paragrafo"), std::string::npos) << "the preview is the beginning";
    ClickOk(n);
    ASSERT_NE(n.Created(), -1);
    EXPECT_NE(TextOf(n.SourcePage()).find("ultimo paragrafo"), std::string::npos);
}

}  // namespace
}  // namespace ovik::ui
