// The delete window ("Cancella oggetti dagli album interni"): lists the objects
// chosen in the album with where each is used; "&Ok" deletes them with their
// references, "A&nnulla" changes nothing.
#pragma once

#include <QListWidget>
#include <QProgressBar>

#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFCancella : public TFDialog {
    Q_OBJECT
public:
    TFCancella(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Lists the objects (identifiers) and where each is used.
    void Load(const std::vector<int32_t>& ids);
    // Deletes the listed objects (the Ok button); returns how many went.
    int DeleteListed();
    const std::vector<int32_t>& Ids() const { return ids_; }

    QListWidget* list;
    QProgressBar* progress;

private:
    THQVset& set_;
    std::vector<int32_t> ids_;
    std::vector<int> firstLine_;  // the list line of each object
};

}  // namespace ovik::ui
