// The find window ("Cerca:"): find a word in the page shown and through the
// following pages, a two-by-two query, replace in the page or in the whole
// hypertext, pages by keyword. It reaches the editing view through a
// FindHost, so that it can be driven without the main window.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/find.h"
#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik {
class THQVbackup;
}

namespace ovik::ui {

struct FindHost {
    // The page shown in the editing view (-1 = none).
    std::function<int32_t()> shownPage;
    // Stores the page shown (when it changed) and shows page n.
    std::function<void(int32_t n)> showPage;
    // Stores the page shown when it changed, so that the stored pages are current.
    std::function<void()> storeShown;
    // Starts the search in the page again from its top.
    std::function<void()> restartInPage;
    // Finds and selects the next occurrence in the page shown: from the last
    // match, or from the caret.
    std::function<bool(const std::string& word, TZtSearchTypes options, bool fromCaret)> findInPage;
    // Puts the text in place of the selection (one undo entry).
    std::function<void(const std::string& text)> replaceSelection;
    std::function<bool()> readOnly;
    // Releases "Mostra cornici".
    std::function<void()> hideFrames;
    std::function<void(const QString&)> status;
    // Adds an entry to the history (the replacement in the whole hypertext).
    std::function<void(std::unique_ptr<THQVbackup>)> addUndo;
    // The stored pages changed behind the view: it shows its page again.
    std::function<void()> pagesChanged;
};

class TFCerca : public TFDialog {
    Q_OBJECT
public:
    enum Tab { FindTab = 0, ReplaceTab, KeywordTab, WhereTab };
    TFCerca(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    FindHost host;

    // Fills the keyword list again (a hypertext was opened).
    void Refresh();
    void ShowTab(Tab t);
    // Stops a replacement that is asking questions (the main window closes).
    void StopSearch() { stop_ = true; }
    TZtSearchTypes Options() const;
    app::Query CurrentQuery() const;

    // The buttons' work.
    void FindInPage();
    void FindInHypertext();
    void ReplaceOne();
    void FindAndAsk();
    void ReplaceAllInPage();
    void ReplaceAllInHypertext();
    // F3 and F4.
    void RepeatInPage();
    void RepeatInHypertext();
    // Whether there is a word to repeat the search with: in the page the word
    // to replace when the last search there replaced, otherwise the word to find.
    bool CanRepeat(bool inPage);
    // Keyword tab.
    void FilterKeywords(const QString& start);
    void KeywordChosen();
    void PageChosen(QListWidgetItem* item);

    // Find tab.
    QComboBox *word, *andWord, *orWord, *orAndWord;
    QCheckBox *wholeWords, *ignoreCase;
    QPushButton *bInPage, *bInHypertext;
    // Replace tab.
    QComboBox *rWord, *rWith;
    QPushButton *bReplaceOne, *bReplacePage, *bFind, *bReplaceAll;
    QComboBox* startFrom;
    QCheckBox *confirmOne, *confirmAll;
    // Keyword tab.
    QListWidget *keywords, *keywordPages;
    QLineEdit* keywordStart;
    // Where tab.
    QRadioButton *whereCurrent, *whereFolder, *whereGroup;
    QTabWidget* tabs;

private:
    static void Remember(QComboBox* box);
    void ResetPageButton();
    void Status(const QString& s);
    platform::Answer Ask(const std::string& word, bool withCancel);
    THQVset& set_;
    bool inPageStarted_ = false;
    bool stop_ = false;
    int lastRepeat_ = 0;  // 0 find in page, 1 replace one
};

}  // namespace ovik::ui
