// The main window's search commands and their windows: the find window
// ("Cerca:"), the keywords window and the page-order window, and the menu
// items that open them.
#include <QApplication>
#include <QEvent>

#include "app/app_info.h"
#include "core/codepage.h"
#include "ui/dialogs/find.h"
#include "ui/dialogs/keywords.h"
#include "ui/dialogs/page_order.h"
#include "ui/main_window.h"
#include "ui/translations.h"

namespace ovik::ui {

namespace {

// Stops the find window's work when the main window closes.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QObject* parent, std::function<void()> onClose) : QObject(parent), onClose_(std::move(onClose)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Close) onClose_();
        return false;
    }

private:
    std::function<void()> onClose_;
};

}  // namespace

void TMainForm::WireSearchCommands() {
    auto open = [this](const char* action, std::function<void()> run) {
        QAction* a = Action(action);
        a->setEnabled(true);
        SetHandler(a, this, std::move(run));
    };
    open("SearchFind", [this] { ShowFind(TFCerca::FindTab); });
    open("SearchOperators", [this] {
        ShowFind(TFCerca::FindTab);
        static_cast<TFCerca*>(CachedWindow("fcerca"))->andWord->setFocus();
    });
    open("SearchReplace", [this] { ShowFind(TFCerca::ReplaceTab); });
    open("SearchKeyword", [this] { ShowFind(TFCerca::KeywordTab); });
    // Searching again before anything was searched for opens the find window
    // to ask for the word.
    open("SearchAgain", [this] {
        auto* w = static_cast<TFCerca*>(PrepareWindow("fcerca"));
        if (w->CanRepeat(true)) w->RepeatInPage();
        else ShowFind(TFCerca::FindTab);
    });
    open("SearchAgainAll", [this] {
        auto* w = static_cast<TFCerca*>(PrepareWindow("fcerca"));
        if (w->CanRepeat(false)) w->RepeatInHypertext();
        else ShowFind(TFCerca::FindTab);
    });
    open("HypKeywords", [this] {
        // The window changes the stored page's keyword slots: the page shown
        // is stored first and shown again afterwards.
        view_->StorePage();
        auto* w = static_cast<TFKeywords*>(PrepareWindow("fkeywords"));
        w->exec();
        const int32_t n = view_->PageNumber();
        view_->ShowPage(*set_, -1);
        ShowPage(n);
    });
    open("HypOrder", [this] {
        if (PrepareWindow("fordine")->exec() == QDialog::Accepted) UpdateCaption();
    });
    // A hypertext opened: the find window shows its keywords.
    auto shown = doc_->ui.viewShowStartPage;
    doc_->ui.viewShowStartPage = [this, shown](bool preview) {
        if (shown) shown(preview);
        if (auto* w = static_cast<TFCerca*>(CachedWindow("fcerca"))) w->Refresh();
    };
    installEventFilter(new CloseWatcher(this, [this] {
        if (auto* w = static_cast<TFCerca*>(CachedWindow("fcerca"))) w->StopSearch();
    }));
}

void TMainForm::ShowFind(int tab) {
    auto* w = static_cast<TFCerca*>(PrepareWindow("fcerca"));
    // "CercaTop": the window stays above the main window.
    const bool onTop = settings_.ReadOption("CercaTop") == "1";
    w->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    w->ShowTab(TFCerca::Tab(tab));
    w->show();
    w->raise();
    w->activateWindow();
}

QDialog* TMainForm::PrepareSearchWindow(const std::string& name) {
    if (name == "fkeywords") {
        auto* w = Cached<TFKeywords>(name, [&] {
            auto* k = new TFKeywords(*set_, store_, this);
            k->showPage = [this](int32_t n) { ShowPage(n); };
            return k;
        });
        w->Load(view_->PageNumber() >= 0 ? view_->PageNumber() : CurrentPage());
        return w;
    }
    if (name == "fordine") {
        auto* w = Cached<TFOrdine>(name, [&] { return new TFOrdine(*set_, store_, this); });
        view_->StorePage();
        w->Load();
        return w;
    }
    if (name == "fcerca") {
        auto* w = Cached<TFCerca>(name, [&] {
            auto* f = new TFCerca(*set_, store_, this);
            FindHost& h = f->host;
            h.shownPage = [this] { return view_->PageNumber(); };
            h.showPage = [this](int32_t n) { ShowPage(n); };
            h.storeShown = [this] { view_->StorePage(); };
            h.restartInPage = [this] {
                if (view_->Page()) view_->Page()->StartFind();
            };
            h.findInPage = [this](const std::string& word, TZtSearchTypes options, bool fromCaret) {
                if (!view_->Page() || !view_->Editor()) return false;
                bool found = false;
                view_->SetSearchOptions(options);
                view_->Run([&](BoxEditor&) { found = view_->Page()->FindNext(word, fromCaret); });
                view_->EnsureCaretVisible();
                return found;
            };
            h.replaceSelection = [this](const std::string& text) {
                view_->Run([&](BoxEditor& e) { e.ReplaceSelection(text); });
                UpdateEditActions();
            };
            h.readOnly = [this] { return !EditMode() || view_->ReadOnly(); };
            h.hideFrames = [this] {
                for (QAction* a : findChildren<QAction*>())
                    if (a->isCheckable() && a->text().remove('&') == "Mostra cornici") a->setChecked(false);
            };
            h.status = [this](const QString& s) { status_->setText(Tr(s)); };
            h.addUndo = [this](std::unique_ptr<THQVbackup> e) {
                history_->Add(std::move(e));
                UpdateEditActions();
            };
            h.pagesChanged = [this] {
                const int32_t n = view_->PageNumber();
                view_->ShowPage(*set_, -1);
                RefreshPages();
                ShowPage(n);
                UpdateCaption();
            };
            f->Refresh();
            return f;
        });
        return w;
    }
    return nullptr;
}

}  // namespace ovik::ui
