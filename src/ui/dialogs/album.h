// The album ("Album immagini e files"): one tab per kind of object - pictures,
// embedded files, custom objects, pages, external links and placed pictures -
// with find, edit, replace, add, delete (through the delete window) and
// where-used.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <functional>

#include "document/hqv_set.h"
#include "ui/dialogs/delete_objects.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFAlbum : public TFDialog {
    Q_OBJECT
public:
    enum Tab { Pictures = 0, Files, Prototypes, Pages, Links, Placements };
    TFAlbum(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    void ShowTab(Tab t);
    void Reload();
    uint8_t CurrentKind() const;
    QTreeWidget* List(Tab t) const { return lists_[t]; }
    // The identifiers of the checked rows of the current tab, or the selected
    // row when none is checked.
    std::vector<int32_t> ChosenIds() const;
    // Opens the delete window for the chosen objects; the list is reloaded
    // after it closes.
    void DeleteChosen();
    // Adds files of the tab's kind (pictures or embedded files).
    void AddFiles(const QStringList& files);
    // Replaces the selected picture or embedded file by the file chosen with
    // "&Sostituisci con..." (the A&pplica button). False when nothing changed.
    bool ApplyReplace();
    void SetReplaceFile(const QString& file);

    // The delete window runs through this: by default it is shown modally and
    // deletes on Ok. Tests replace it.
    std::function<void(TFCancella&)> runDeleteWindow;
    // Told after every change (the main window refreshes what it shows).
    std::function<void()> changed;
    // Asked to edit a page (its property window).
    std::function<void(int32_t page)> editPage;
    // The editing view, which the delete window asks to store and drop its
    // page while objects go.
    LinkedView* view = nullptr;

    QLineEdit* find;
    QTabWidget* tabs;
    QPushButton *edit, *replace, *apply, *add, *remove, *usage;
    QLabel* replaceLabel;
    QPlainTextEdit* preview;

private:
    void FillList(Tab t);
    void Filter();
    void UpdateButtons();
    void Edit();
    void ShowUsage();
    void Renamed(QTreeWidgetItem* item, int column);
    void Changed();

    THQVset& set_;
    QTreeWidget* lists_[6] = {};
    QString replaceFile_;
    std::unique_ptr<TFCancella> deleteWindow_;
    bool filling_ = false;
};

}  // namespace ovik::ui
