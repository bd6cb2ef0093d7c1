// The links and navigation of the main window: following links of the page
// view, the history box with back and forward, the page-number box, browse
// sequences, cover and contents, the recent-pages submenu, and the link
// commands with their windows. It takes over the main window's actions for
// these commands and adds its boxes to the main toolbar.
#pragma once

#include <QComboBox>
#include <QMenu>
#include <QObject>
#include <QSpinBox>
#include <memory>

#include "links/follow.h"
#include "links/navigation.h"
#include "ui/qt_platform.h"

namespace ovik::ui {

class TMainForm;
class TFCollega;
class TFCollSpec;
class TFAncora;
class TFCollFile;
class TFTuttePagine;
class TFslides;
class TSeparateWindows;

class TLinkNavigator : public QObject, public links::FollowHost {
    Q_OBJECT
public:
    TLinkNavigator(TMainForm& window, platform::Messages& messages, platform::SettingsStore& store);
    ~TLinkNavigator() override;

    // --- following ---------------------------------------------------------------------
    // A link value of the page view (page-local or an identifier) followed.
    void FollowLinkValue(int32_t value);
    links::LinkFollower& Follower() { return *follower_; }
    platform::Shell& Shell() { return *shell_; }
    void SetShell(std::unique_ptr<platform::Shell> shell);

    // --- navigation ------------------------------------------------------------------------
    // The view shows a new page: recorded in the history and the recent pages.
    void PageChanged(int32_t page);
    void Back() { GoToHistory(history_.Current() - 1); }
    void Forward() { GoToHistory(history_.Current() + 1); }
    void GoToHistory(int index);
    void GoToPageNumber(int32_t page);
    void PagePlusOne();
    void PageMinusOne();
    void SequenceStep(bool next);
    const links::NavigationHistory& History() const { return history_; }
    QComboBox* historyBox = nullptr;
    QSpinBox* pageBox = nullptr;
    QMenu* recentMenu = nullptr;
    // The page list's popup menu ("PopupPage") for `page`: "&Vai a pagina
    // riferita..." prepared with that page, then the recent pages.
    QMenu* PagePopup(int32_t page);
    // "Tutte le pagine dell'ipertesto...": the page tree to pick a page from.
    TFTuttePagine& AllPagesWindow();
    void ShowAllPages();
    // "&Diapositive...": the slides window for the page shown, which the view
    // lets go of while the window is open.
    TFslides& SlidesWindow();
    void ShowSlides();
    // "C&arica disposizione cornici...": the page shown takes the layout of a
    // layout file (chosen by `askFrameFile`, after "Sei sicuro?").
    void LoadFrameLayout();
    // "Salva &disposizione cornici..." of the frame popup menu: the layout shown
    // written to a layout file (chosen by `askFrameFile`).
    void SaveFrameLayout();
    std::function<QString()> askFrameFile;
    // "PopupFrame": the frame popup menu of the frame-editing mode.
    QMenu* framePopup = nullptr;
    // "Vai a prossima &diapositiva" of the page menus: its caption names the
    // next slide; disabled when the page shown has none.
    QAction* nextSlide = nullptr;

    // --- link commands -----------------------------------------------------------------------
    void LinkSelection();
    void SpecialLinkSelection();
    void SelfLink();
    void InsertAnchor();
    int32_t LastAnchor() const { return lastAnchor_; }
    TFCollega& LinkWindow();
    TFCollSpec& SpecialWindow();
    TFAncora& AnchorWindow();
    TFCollFile& FileWindow();

    // --- FollowHost ------------------------------------------------------------------------------
    bool Preview() const override;
    bool Closing() const override;
    int32_t ShownPage() const override;
    bool PageModified() const override;
    void StorePage() override;
    THQVoggetto* ResolveLocal(int32_t id) override;
    void ShowPage(int32_t page, int32_t anchor) override;
    void ShowInSenderFrame(int32_t page, int32_t anchor, uint8_t mode) override;
    bool JumpToAnchor(int32_t anchor) override;
    bool OpenHypertext(const std::filesystem::path& file, bool askSave) override;
    void NewHypertext() override;
    bool SaveHypertext() override;
    void ShowExternalLinks(THQVoggetto& address) override;
    void ShowEmbeddedFile(THQVoggetto& file) override;
    void ShowKeywordSearch() override;
    void HideMainWindow() override;
    bool ShowInWindow(const links::SpecialLink& s, THQVoggetto& target) override;
    std::filesystem::path ChooseOtherFile(const std::filesystem::path& missing) override;
    void ImportFile(const std::filesystem::path& file) override;
    // The file dialog of an "Auto import" link whose file is missing (tests replace it).
    std::function<QString(const QString& folder)> askImportFile;
    void CloseNamedWindow(const std::string& lowerName) override;
    // The separate windows and popups special links open.
    TSeparateWindows& SeparateWindows() { return *windows_; }

    // Enables the link and navigation commands for the view's state.
    void UpdateState();

private:
    void Wire();
    void RefreshRecent();
    void AddRecentPages(QMenu& menu);
    TMainForm& w_;
    platform::Messages& messages_;
    platform::SettingsStore& store_;
    std::unique_ptr<platform::Shell> shell_;
    std::unique_ptr<links::LinkFollower> follower_;
    links::NavigationHistory history_;
    links::RecentPages recent_;
    int32_t lastAnchor_ = 0;
    int32_t senderPage_ = -1;  // the page that held the link being followed
    std::unique_ptr<TFCollega> linkWindow_;
    std::unique_ptr<TFCollSpec> specialWindow_;
    std::unique_ptr<TFAncora> anchorWindow_;
    std::unique_ptr<TFCollFile> fileWindow_;
    std::unique_ptr<TFTuttePagine> allPagesWindow_;
    std::unique_ptr<TFslides> slidesWindow_;
    QMenu* pagePopup_ = nullptr;
    TSeparateWindows* windows_ = nullptr;
};

}  // namespace ovik::ui
