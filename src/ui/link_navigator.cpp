#include "ui/link_navigator.h"

#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QListWidget>
#include <QLineEdit>
#include <QToolBar>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "links/link_address.h"
#include "links/link_commands.h"
#include "links/slides.h"
#include "page/thqv_page.h"
#include "text/editing.h"
#include "ui/commands/command_table.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/all_pages.h"
#include "ui/dialogs/links.h"
#include "ui/dialogs/slides.h"
#include "ui/main_window.h"
#include "ui/separate_windows.h"
#include "view/frames.h"
#include "ui/translations.h"

namespace ovik::ui {

TLinkNavigator::TLinkNavigator(TMainForm& window, platform::Messages& messages, platform::SettingsStore& store)
    : QObject(&window), w_(window), messages_(messages), store_(store) {
    SetShell(std::make_unique<QtShell>());
    Wire();
}

TLinkNavigator::~TLinkNavigator() = default;

void TLinkNavigator::SetShell(std::unique_ptr<platform::Shell> shell) {
    shell_ = std::move(shell);
    follower_ = std::make_unique<links::LinkFollower>(w_.Set(), *this, messages_, *shell_, &store_);
    fileWindow_.reset();
}

// --- wiring ------------------------------------------------------------------------------------

void TLinkNavigator::Wire() {
    TPageView* view = w_.View();
    // Following may show another page and free the box that sent the link:
    // it runs after the current event.
    connect(view, &TPageView::FollowLink, this, [this](int32_t value) {
        QMetaObject::invokeMethod(this, [this, value] { FollowLinkValue(value); }, Qt::QueuedConnection);
    });
    connect(view, &TPageView::PageShown, this, [this](int page) { PageChanged(page); });
    windows_ = new TSeparateWindows(w_, w_.Set(), [this](links::LinkSender sender, THQVoggetto* target, int32_t page) {
        follower_->FollowLink(sender, target, page);
    });
    // The pages the separate windows show go with the hypertext.
    connect(view, &TPageView::PageDropped, this, [this] { windows_->CloseAll(); });
    connect(view, &TPageView::Changed, this, [this] { UpdateState(); });
    // The editing view shows the pages links lead to by itself; what it does
    // not do (addresses, files, programs, other hypertexts, anchors) is
    // followed here, from the page that held the link.
    view->Model().OnDoLink = [this](links::LinkSender sender, THQVoggetto* target) {
        follower_->FollowLink(sender, target, senderPage_);
    };
    // The reader's preview is live: link launchers of the pages it shows
    // start their links. Links posted outside a click (launchers) run once
    // the event that showed their page is over.
    view->Model().ActivePreview = true;
    view->Model().OnLinkPosted = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                senderPage_ = w_.View()->PageNumber();
                if (w_.View()->Model().RunPosted()) UpdateState();
            },
            Qt::QueuedConnection);
    };

    auto take = [this](const char* name, auto fn) {
        QAction* a = w_.Action(name);
        if (!a) return;
        QObject::disconnect(a, &QAction::triggered, this->parent(), nullptr);
        SetHandler(a, this, fn);
    };
    take("HypPrevious", [this] { Back(); });
    take("HypNext", [this] { Forward(); });
    take("HypAllPages", [this] { ShowAllPages(); });
    take("HypSlides", [this] { ShowSlides(); });
    take("FormatLoadFrames", [this] { LoadFrameLayout(); });
    // The frame popup menu of the frame-editing mode.
    framePopup = new QMenu(&w_);
    framePopup->setObjectName("PopupFrame");
    QAction* saveLayout = framePopup->addAction("Salva &disposizione cornici...");
    saveLayout->setObjectName("FrameSaveLayout");
    SetHandler(saveLayout, this, [this] { SaveFrameLayout(); });
    view->SetFrameMenu(framePopup);
    // Frame-editing mode: the page area shows the frames with their titles.
    if (QAction* frames = w_.Action("FormatFrames")) {
        frames->setCheckable(true);
        take("FormatFrames", [this, frames] {
            w_.View()->SetFramesOnly(frames->isChecked());
            UpdateState();
        });
    }
    nextSlide = new QAction("Vai a prossima &diapositiva", this);
    nextSlide->setObjectName("HypNextSlide");
    SetHandler(nextSlide, this, [this] {
        const int32_t next = links::NextSlide(w_.Set(), w_.View()->PageNumber());
        if (next >= 0) FollowLinkValue(w_.Set().Page(next)->Id());
    });
    view->AddContextAction(nextSlide);
    if (auto* list = w_.findChild<QListWidget*>("pagelist")) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
            const int32_t page = w_.PageAtRow(list->indexAt(at).row());
            if (page >= 0) PagePopup(page)->exec(list->viewport()->mapToGlobal(at));
        });
    }
    take("HypCover", [this] { GoToPageNumber(w_.Set().CoverPage()); });
    take("HypContents", [this] { GoToPageNumber(w_.Set().ContentsPage()); });
    take("HypPagePlus", [this] { PagePlusOne(); });
    take("HypPageMinus", [this] { PageMinusOne(); });
    take("InsertLink", [this] { LinkSelection(); });
    take("InsertSpecialLink", [this] { SpecialLinkSelection(); });
    take("InsertSelfLink", [this] { SelfLink(); });
    take("InsertAnchor", [this] { InsertAnchor(); });
    take("FormatLinkProperties", [this] { LinkSelection(); });
    take("FormatFollowLink", [this] { w_.View()->Run([](BoxEditor& e) { e.FollowLinkAtCaret(); }); });

    // "&Vai a pagina": the pages shown last.
    if (QAction* go = w_.Action("HypGoTo")) {
        QObject::disconnect(go, &QAction::triggered, &w_, nullptr);
        recentMenu = new QMenu(&w_);
        recentMenu->setObjectName("RecentPages");
        go->setMenu(recentMenu);
    }

    historyBox = new QComboBox(&w_);
    historyBox->setObjectName("HistoryBox");
    historyBox->setToolTip("URL");
    historyBox->setMinimumContentsLength(24);
    historyBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(historyBox, &QComboBox::activated, this, [this](int i) { GoToHistory(i); });
    pageBox = new QSpinBox(&w_);
    pageBox->setObjectName("PageNumberBox");
    pageBox->setRange(0, 0xFFFFFF);
    pageBox->setKeyboardTracking(false);
    connect(pageBox, &QSpinBox::editingFinished, this, [this] {
        GoToPageNumber(links::PageNumberFromText(pageBox->cleanText().toStdString()));
    });
    // Back, forward, the history box and the page-number box, in a row of their own.
    w_.addToolBarBreak();
    QToolBar* bar = w_.addToolBar("Navigazione");
    bar->setObjectName("navtoolbar");
    for (const char* name : {"HypPrevious", "HypNext"})
        if (QAction* a = w_.Action(name)) bar->addAction(a);
    bar->addWidget(historyBox);
    bar->addWidget(pageBox);
    UpdateState();
}

void TLinkNavigator::UpdateState() {
    const bool editing = w_.View()->Box() && !w_.View()->ReadOnly();
    for (const char* name : {"InsertLink", "InsertSpecialLink", "InsertSelfLink", "InsertAnchor", "FormatLinkProperties"})
        if (QAction* a = w_.Action(name)) a->setEnabled(editing);
    const bool shown = w_.View()->PageNumber() >= 0;
    for (const char* name : {"FormatFollowLink", "HypCover", "HypContents", "HypSlides"})
        if (QAction* a = w_.Action(name)) a->setEnabled(shown);
    if (nextSlide) {
        // The caption names the next slide; its data keeps the caption without it.
        if (!nextSlide->data().isValid()) nextSlide->setData(nextSlide->text());
        const int32_t page = w_.View()->PageNumber();
        nextSlide->setEnabled(links::NextSlide(w_.Set(), page) >= 0);
        nextSlide->setText(FromCp(links::NextSlideCaption(w_.Set(), page, ToCp(nextSlide->data().toString()))));
    }
    if (QAction* a = w_.Action("HypPrevious")) a->setEnabled(history_.CanBack());
    if (QAction* a = w_.Action("HypNext")) a->setEnabled(history_.CanForward());
    if (QAction* a = w_.Action("HypGoTo")) a->setEnabled(!recent_.Pages().empty());
    if (pageBox) {
        QPalette p = pageBox->palette();
        const bool red = links::PageNumberOutOfRange(pageBox->value(), w_.Set().ObjectCount(testoHtml));
        p.setColor(QPalette::Text, red ? QColor(0xFF, 0, 0) : w_.palette().color(QPalette::WindowText));
        pageBox->setPalette(p);
    }
}

void TLinkNavigator::RefreshRecent() {
    if (!recentMenu) return;
    recentMenu->clear();
    AddRecentPages(*recentMenu);
}

void TLinkNavigator::AddRecentPages(QMenu& menu) {
    for (int32_t page : recent_.Pages()) {
        THQVtesto* p = w_.Set().Page(page);
        const QString title = p && !p->IsFree() ? FromCp(p->Title()) : QString();
        QAction* a = menu.addAction(QString("%1 %2").arg(page).arg(title));
        connect(a, &QAction::triggered, this, [this, page] { GoToPageNumber(page); });
    }
}

// --- following -------------------------------------------------------------------------------

void TLinkNavigator::FollowLinkValue(int32_t value) {
    TInsiemeCornici& view = w_.View()->Model();
    senderPage_ = w_.View()->PageNumber();
    view.FollowIdentifier(value);
    view.RunPosted();
    UpdateState();
}

// --- navigation -------------------------------------------------------------------------------

void TLinkNavigator::PageChanged(int32_t page) {
    if (page < 0) return;
    {
        QSignalBlocker block(pageBox);
        pageBox->setValue(page);
    }
    if (history_.Record(links::PageAddress(w_.Set().HQVFileName(), page))) {
        QSignalBlocker block(historyBox);
        historyBox->clear();
        for (const std::string& e : history_.Entries()) historyBox->addItem(FromCp(e));
        historyBox->setCurrentIndex(history_.Current());
        recent_.Add(page);
        RefreshRecent();
    }
    UpdateState();
}

void TLinkNavigator::GoToHistory(int index) {
    auto address = history_.GoTo(index);
    if (!address) return;
    const links::OvikAddress a = links::ParseOvikAddress(w_.Set(), *address);
    if (a.fileText.empty() && w_.Set().HQVFileName().empty())
        GoToPageNumber(a.page);  // an untitled hypertext
    else
        follower_->OpenOtherHypertext(*address);
    history_.Done();
    {
        QSignalBlocker block(historyBox);
        historyBox->setCurrentIndex(history_.Current());
    }
    UpdateState();
}

void TLinkNavigator::GoToPageNumber(int32_t page) {
    if (page < 0) page = 0;
    THQVtesto* p = w_.Set().Page(page);
    if (p && !p->IsFree() && page != w_.View()->PageNumber()) w_.ShowPage(page);
    {
        QSignalBlocker block(pageBox);
        pageBox->setValue(page);
    }
    UpdateState();
}

void TLinkNavigator::PagePlusOne() {
    GoToPageNumber(links::PagePlusOne(pageBox->value(), w_.Set().ObjectCount(testoHtml)));
}

void TLinkNavigator::PageMinusOne() { GoToPageNumber(links::PageMinusOne(pageBox->value())); }

// --- link commands ------------------------------------------------------------------------------

TFCollega& TLinkNavigator::LinkWindow() {
    if (!linkWindow_) linkWindow_ = std::make_unique<TFCollega>(w_.Set(), store_, &w_);
    return *linkWindow_;
}

TFCollSpec& TLinkNavigator::SpecialWindow() {
    if (!specialWindow_) {
        specialWindow_ = std::make_unique<TFCollSpec>(w_.Set(), store_, &w_);
        connect(specialWindow_.get(), &TFCollSpec::ChooseTarget, this, [this] {
            TFCollega& l = LinkWindow();
            const bool anchorTab = specialWindow_->tabs->currentIndex() == TFCollSpec::AnchorInPage;
            l.Load(w_.View()->PageNumber(), anchorTab);
            if (l.exec() == QDialog::Accepted) specialWindow_->SetTarget(l.MakeTarget(), l.Anchor());
        });
    }
    return *specialWindow_;
}

TFAncora& TLinkNavigator::AnchorWindow() {
    if (!anchorWindow_) anchorWindow_ = std::make_unique<TFAncora>(store_, &w_);
    return *anchorWindow_;
}

TFTuttePagine& TLinkNavigator::AllPagesWindow() {
    if (!allPagesWindow_) {
        allPagesWindow_ = std::make_unique<TFTuttePagine>(w_.Set(), store_, &w_);
        allPagesWindow_->onGoTo = [this](int32_t page) { GoToPageNumber(page); };
    }
    return *allPagesWindow_;
}

void TLinkNavigator::ShowAllPages() {
    TFTuttePagine& window = AllPagesWindow();
    window.Load();
    window.show();
    window.raise();
    window.activateWindow();
}

QMenu* TLinkNavigator::PagePopup(int32_t page) {
    if (!pagePopup_) {
        pagePopup_ = new QMenu(&w_);
        pagePopup_->setObjectName("PopupPage");
    }
    pagePopup_->clear();
    // The page is followed as a link: through the editing view, recorded in
    // the history like any link followed.
    QAction* go = pagePopup_->addAction(Tr("&Vai a pagina riferita..."));
    go->setObjectName("popupgoref");
    connect(go, &QAction::triggered, this, [this, page] {
        if (THQVtesto* p = w_.Set().Page(page); p && !p->IsFree()) FollowLinkValue(p->Id());
    });
    pagePopup_->addAction(nextSlide);
    if (!recent_.Pages().empty()) pagePopup_->addSeparator();
    AddRecentPages(*pagePopup_);
    return pagePopup_;
}

TFslides& TLinkNavigator::SlidesWindow() {
    if (!slidesWindow_) slidesWindow_ = std::make_unique<TFslides>(w_.Set(), store_, &w_);
    return *slidesWindow_;
}

void TLinkNavigator::ShowSlides() {
    const int32_t page = w_.View()->PageNumber();
    if (page < 0) return;
    // The view stores and lets go of the page: the window writes page records.
    w_.View()->ShowPage(w_.Set(), -1);
    TFslides& window = SlidesWindow();
    window.Load(page);
    window.exec();
    w_.ShowPage(page);
    UpdateState();
}

void TLinkNavigator::SaveFrameLayout() {
    if (w_.View()->PageNumber() < 0) return;
    const QString file =
        askFrameFile ? askFrameFile()
                     : QFileDialog::getSaveFileName(
                           &w_, "Salva disposizione cornici",
                           QString::fromStdString(w_.Document().Folders().FrameTemplates().string()),
                           "File cornici (*.frm)");
    if (!file.isEmpty()) w_.View()->SaveFrameLayout(file);
}

void TLinkNavigator::LoadFrameLayout() {
    const int32_t page = w_.View()->PageNumber();
    if (page < 0) return;
    const QString file =
        askFrameFile ? askFrameFile()
                     : QFileDialog::getOpenFileName(
                           &w_, "Carica disposizione cornici",
                           QString::fromStdString(w_.Document().Folders().FrameTemplates().string()),
                           "File cornici (*.frm)");
    if (file.isEmpty() || messages_.AskYesNo("Sei sicuro?") != platform::Answer::Yes) return;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        messages_.Error("Impossibile aprire il file " + ToCp(file) + ".");
        return;
    }
    const QByteArray bytes = in.readAll();
    // The page is stored and let go first: its record takes the layout.
    w_.View()->ShowPage(w_.Set(), -1);
    std::string why;
    if (!LoadPageLayoutFile(w_.Set(), page, Bytes(bytes.begin(), bytes.end()), why)) messages_.Error(why);
    w_.ShowPage(page);
    UpdateState();
}

TFCollFile& TLinkNavigator::FileWindow() {
    if (!fileWindow_) fileWindow_ = std::make_unique<TFCollFile>(follower_.get(), store_, &w_);
    return *fileWindow_;
}

void TLinkNavigator::LinkSelection() {
    TPageView* view = w_.View();
    THQVpage* page = view->Page();
    if (!page || !page->Box() || !links::HasSelection(*page->Box())) {
        messages_.Warning(links::kSelectFirst);
        return;
    }
    // The link button is down: the selection is a link, and pressing it again unlinks.
    if (links::LinkAtSelection(*page->Box()) != -1 && sender() == w_.Action("InsertLink")) {
        view->Run([&](BoxEditor& e) { links::LinkSelection(*page, e, static_cast<const THQVoggetto*>(nullptr), messages_); });
        return;
    }
    TFCollega& l = LinkWindow();
    l.Load(view->PageNumber());
    if (l.exec() != QDialog::Accepted) return;
    THQVoggetto* target = l.MakeTarget();
    if (!target) return;
    const int32_t anchor = l.Anchor();
    view->Run([&](BoxEditor& e) {
        if (target->Kind() == testoHtml && anchor >= 0) {
            // A page with an anchor: a special link jumping to it.
            links::LinkSelection(*page, e, links::PageAnchorLink(w_.Set(), target->Id(), anchor), messages_);
        } else {
            links::LinkSelection(*page, e, target, messages_);
        }
    });
}

void TLinkNavigator::SpecialLinkSelection() {
    TPageView* view = w_.View();
    THQVpage* page = view->Page();
    if (!page || !page->Box() || !links::HasSelection(*page->Box())) {
        messages_.Warning(links::kSelectFirst);
        return;
    }
    TFCollSpec& s = SpecialWindow();
    s.Load(view->PageNumber());
    if (s.exec() != QDialog::Accepted) return;
    while (s.NeedsWindowName()) {
        bool ok = false;
        const QString name = QInputDialog::getText(&w_, "Ovik", Tr("Introdurre un nome per la finestra"), QLineEdit::Normal,
                                                   QString(), &ok);
        if (!ok) return;
        (s.tabs->currentIndex() == TFCollSpec::OtherFrame ? s.frameName : s.windowName)->setText(name.left(19));
    }
    auto special = s.MakeSpecialLink();
    if (!special) return;
    view->Run([&](BoxEditor& e) { links::LinkSelection(*page, e, std::move(special), messages_); });
}

void TLinkNavigator::SelfLink() {
    THQVpage* page = w_.View()->Page();
    if (!page) return;
    w_.View()->Run([&](BoxEditor& e) { links::SelfLink(*page, e, messages_); });
}

void TLinkNavigator::InsertAnchor() {
    THQVpage* page = w_.View()->Page();
    if (!page || w_.View()->ReadOnly()) return;
    TFAncora& a = AnchorWindow();
    a.number->setValue(page->NextFreeAnchorNumber());
    if (a.exec() != QDialog::Accepted) return;
    const int32_t number = a.number->value();
    w_.View()->Run([&](BoxEditor& e) {
        const int32_t n = links::InsertAnchor(*page, e, number);
        if (n >= 0) lastAnchor_ = n;
    });
}

// --- FollowHost -----------------------------------------------------------------------------------

bool TLinkNavigator::Preview() const { return w_.View()->ReadOnly(); }
bool TLinkNavigator::Closing() const { return w_.Document().Closing(); }
int32_t TLinkNavigator::ShownPage() const { return w_.View()->PageNumber(); }
bool TLinkNavigator::PageModified() const { return w_.View()->Modified(); }
void TLinkNavigator::StorePage() { w_.View()->StorePage(); }

THQVoggetto* TLinkNavigator::ResolveLocal(int32_t id) {
    THQVpage* page = w_.View()->Page();
    PageWorkingCopy* wc = page ? page->WorkingCopy() : nullptr;
    const size_t i = size_t(IdNumber(id));
    if (!wc || i >= wc->localLinks.size()) return nullptr;
    return wc->localLinks[i].object.get();
}

void TLinkNavigator::ShowPage(int32_t page, int32_t anchor) {
    // The editing view may have shown the page already.
    if (page != w_.View()->PageNumber()) w_.ShowPage(page);
    if (anchor >= 0) JumpToAnchor(anchor);
}

bool TLinkNavigator::JumpToAnchor(int32_t anchor) {
    THQVpage* page = w_.View()->Page();
    if (!page || !page->JumpToAnchor(anchor)) return false;
    w_.View()->EnsureCaretVisible();
    w_.View()->viewport()->update();
    return true;
}

bool TLinkNavigator::OpenHypertext(const std::filesystem::path& file, bool askSave) {
    if (askSave && !w_.Document().AskSave()) return false;
    return w_.OpenDocument(QString::fromStdString(file.string()));
}

void TLinkNavigator::NewHypertext() { w_.Document().NewDocument(); }
bool TLinkNavigator::SaveHypertext() { return w_.Document().SaveDocument(); }

void TLinkNavigator::ShowExternalLinks(THQVoggetto&) {
    if (auto* album = static_cast<TFAlbum*>(w_.PrepareWindow("falbum"))) {
        album->ShowTab(TFAlbum::Links);
        album->exec();
    }
}

void TLinkNavigator::ShowEmbeddedFile(THQVoggetto& file) {
    TFCollFile& f = FileWindow();
    f.Load(file);
    f.exec();
}

void TLinkNavigator::ShowKeywordSearch() {
    // The keyword tab of the find window, as "Cerca per parola chiave..." opens it.
    if (QAction* a = w_.Action("SearchKeyword"); a && a->isEnabled()) a->trigger();
}

void TLinkNavigator::HideMainWindow() { w_.showMinimized(); }

bool TLinkNavigator::ShowInWindow(const links::SpecialLink& s, THQVoggetto& target) {
    // A frame of the editing view by that name (in frame sets nested in it
    // too) comes first, then a frame of a separate window's page, then the
    // separate windows themselves.
    if (s.Action() == links::kActNamedFrame) {
        if (w_.View()->Model().ShowInNamedFrame(s.WindowName(), target, s.Anchor(), s.DisplayMode())) return true;
        for (TFFinestra* window : windows_->Windows())
            if (window->View()->Model().ShowInNamedFrame(s.WindowName(), target, s.Anchor(), s.DisplayMode()))
                return true;
    }
    return windows_->Show(s, target, QCursor::pos());
}

void TLinkNavigator::ShowInSenderFrame(int32_t page, int32_t anchor, uint8_t mode) {
    // The frame the reader clicked in shows the page; a page shown alone is the view.
    TInsiemeCornici& view = w_.View()->Model();
    THQVoggetto* target = w_.Set().Page(page);
    if (view.Frames() && view.CurrentFrame() && target &&
        view.ShowInNamedFrame(view.CurrentFrame()->rec.title, *target, anchor, mode))
        return;
    ShowPage(page, anchor);
}

void TLinkNavigator::CloseNamedWindow(const std::string& lowerName) { windows_->Close(lowerName); }

std::filesystem::path TLinkNavigator::ChooseOtherFile(const std::filesystem::path& missing) {
    const QString folder = QString::fromStdString(missing.parent_path().string());
    const QString chosen = askImportFile ? askImportFile(folder)
                                         : QFileDialog::getOpenFileName(&w_, Tr("Importa"), folder,
                                                                        "File Html (*.htm *.html);;Tutti i file (*)");
    return chosen.toStdString();
}

void TLinkNavigator::ImportFile(const std::filesystem::path& file) {
    // The import window, with the link's file listed; after it, the page made
    // is shown (and the style list follows the styles the import added).
    w_.ImportPages({QString::fromStdString(file.string())});
    UpdateState();
}

}  // namespace ovik::ui
