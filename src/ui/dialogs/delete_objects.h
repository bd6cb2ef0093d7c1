// The delete window ("Cancella oggetti dagli album interni"): lists the objects
// chosen in the album with where each is used, found by a search in the
// background; "&Ok" stops the search and deletes them with their references,
// "A&nnulla" stops it and changes nothing.
#pragma once

#include <QListWidget>
#include <QProgressBar>

#include "app/reference_search.h"
#include "document/hqv_set.h"
#include "document/lifecycle.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFCancella : public TFDialog {
    Q_OBJECT
public:
    TFCancella(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    ~TFCancella() override;
    // Lists the objects (identifiers) and starts the search for where each is
    // used; its lines appear as the search gets through the objects.
    void Load(const std::vector<int32_t>& ids);
    // Waits for the search to get through every object and shows all its lines.
    void Wait();
    // Stops the search; the lines it found so far stay.
    void StopSearch();
    // Whether the search still runs.
    bool Searching() const { return searching_; }
    // Stops the search and deletes the listed objects (the Ok button); returns
    // how many went.
    int DeleteListed();
    const std::vector<int32_t>& Ids() const { return ids_; }
    // The editing view: it stores and drops its page while the objects go,
    // and shows it again afterwards.
    LinkedView* view = nullptr;

    void done(int r) override;

    QListWidget* list;
    QProgressBar* progress;

signals:
    // The search has ended, whether it got through every object or was stopped.
    void searchFinished();

private:
    void ShowResult(const app::ReferenceSearch::Result& r);
    void ShowPending();

    THQVset& set_;
    std::vector<int32_t> ids_;
    std::vector<int> firstLine_;  // the list line of each object, -1 before its result
    app::ReferenceSearch search_;
    // Results of an earlier Load still on their way to this window are dropped.
    uint64_t generation_ = 0;
    bool searching_ = false;
};

}  // namespace ovik::ui
