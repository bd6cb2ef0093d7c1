// The link windows: the link window ("Collega a..."), the special-link window
// ("Collegamenti speciali:"), the anchor window and the window of a link to an
// embedded file ("Collegamento a file"). Thin over the engine's link model:
// what each window makes is callable without showing it.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <memory>

#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "platform/messages.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::links {
class LinkFollower;
}

namespace ovik::ui {

class TPageView;

// "Collega a...": chooses the target of a link - a page of this hypertext
// (with an optional anchor), a page of another hypertext, an Internet address
// or program, an embedded file, or a new page.
class TFCollega : public TFDialog {
    Q_OBJECT
public:
    enum Tab { ThisPage, OtherHypertext, Address, EmbeddedFile, NewPage };
    TFCollega(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Fills the lists from the set; `anchorMode` opens on the page tab with the
    // current page chosen (the anchor is what matters then).
    void Load(int32_t currentPage, bool anchorMode = false);
    void ShowTab(Tab t) { tabs->setCurrentIndex(int(t)); }
    // The target the window defines now (registering an address, an embedded
    // file from disk or a new page when that tab is chosen); null when none.
    THQVoggetto* MakeTarget();
    // The anchor chosen on the page tab (-1: none).
    int32_t Anchor() const { return anchor->value(); }

    // The tab of another hypertext: opens `file` (read only) and lists its
    // pages, the chosen one previewed as a reader sees it. False, with the
    // reason in `otherStatus`, when it cannot be opened.
    bool BrowseOther(const QString& file);

    QTabWidget* tabs;
    QListWidget *pages, *addresses, *files, *otherPages;
    QLabel* otherStatus;
    TPageView* otherView;
    QSpinBox *anchor, *otherPage;
    QLineEdit *otherFile, *address, *newTitle;
    QComboBox* prefix;
    QPushButton *browse, *add, *fromDisk;

private:
    THQVoggetto* RegisterAddress(const std::string& text);
    void ChooseOtherPage(int32_t number);
    THQVset& set_;
    std::unique_ptr<platform::RecordingMessages> otherMessages_;
    std::unique_ptr<THQVset> other_;
};

// "Collegamenti speciali:": makes a special link.
class TFCollSpec : public TFDialog {
    Q_OBJECT
public:
    enum Tab { AnchorInPage, Normal, Window, OtherFrame, CloseWindow, Various, AutoImport, Html };
    TFCollSpec(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    void Load(int32_t currentPage);
    void ShowTab(Tab t) { tabs->setCurrentIndex(int(t)); }
    // The special link the window defines, with `target` (and its anchor) for
    // the tabs that go to a target; null when a window name is still missing
    // (the caller asks for one) or no target was chosen.
    std::unique_ptr<THQVoggetto> MakeSpecialLink();
    // The target chosen through the link window.
    void SetTarget(THQVoggetto* target, int32_t anchorNumber);
    // Tabs of subtype 1, actions 1 and 2, need a window name.
    bool NeedsWindowName() const;

    QTabWidget* tabs;
    QSpinBox* anchorNumber;
    QRadioButton *normalAnchor, *normalReplace, *normalBrowser;
    QRadioButton *floating, *popup;
    QLineEdit *windowName, *frameName, *closeName, *importPath;
    QSpinBox *winWidth, *winHeight;
    QCheckBox *mainWindow, *scrollBars, *resizable;
    QRadioButton *keywordSearch, *previousPage, *nextPage;
    QRadioButton *single, *frameSet;
    QPlainTextEdit* html;
    QLabel* targetText;
    QPushButton* chooseTarget;

signals:
    // The user asks to choose the target in the link window.
    void ChooseTarget();

private:
    THQVset& set_;
    THQVoggetto* target_ = nullptr;
    int32_t targetAnchor_ = -1;
};

// The anchor window: the number of a new anchor.
class TFAncora : public TFDialog {
    Q_OBJECT
public:
    explicit TFAncora(platform::SettingsStore& store, QWidget* parent = nullptr);
    QSpinBox* number;
};

// "Collegamento a file": an embedded file a link leads to, opened through the
// desktop or saved as a copy.
class TFCollFile : public TFDialog {
    Q_OBJECT
public:
    TFCollFile(links::LinkFollower* follower, platform::SettingsStore& store, QWidget* parent = nullptr);
    void Load(THQVoggetto& file);
    // Opens the file with the desktop (refused for types that run code).
    bool Open();
    // Writes a copy of the file to `path`.
    bool SaveCopy(const std::filesystem::path& path);

    QLabel *name, *size;
    QPushButton *open, *save;

private:
    links::LinkFollower* follower_;
    THQVoggetto* file_ = nullptr;
};

}  // namespace ovik::ui
