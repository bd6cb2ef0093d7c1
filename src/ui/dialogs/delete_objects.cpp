#include "ui/dialogs/delete_objects.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/album.h"

namespace ovik::ui {

TFCancella::TFCancella(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fcancella", parent), set_(set) {
    setWindowTitle("Cancella oggetti dagli album interni");
    list = new QListWidget;
    auto* label = NamedLabel("Oggetti da cancellare e dove sono usati:", "loggetti", list);
    progress = new QProgressBar;
    progress->setTextVisible(false);
    auto* v = new QVBoxLayout(this);
    v->addWidget(label);
    v->addWidget(list, 1);
    v->addWidget(progress);
    v->addWidget(OkCancelBox(this, [this] { DeleteListed(); }));
    resize(520, 360);
    FinishCreation();
}

void TFCancella::Load(const std::vector<int32_t>& ids) {
    ids_ = ids;
    firstLine_.clear();
    list->clear();
    progress->setValue(0);
    for (int32_t id : ids_) {
        THQVoggetto* o = set_.GetObjectById(id);
        firstLine_.push_back(list->count());
        if (!o || o->IsFree()) {
            list->addItem("Non definito.");
            continue;
        }
        for (const std::string& line : app::UsageLines(set_, *o, app::WhereUsed(set_, *o)))
            list->addItem(FromCp(line));
        if (id == 0) list->item(firstLine_.back())->setText(list->item(firstLine_.back())->text() +
                                                             " (la pagina 0 non si cancella)");
    }
}

int TFCancella::DeleteListed() {
    int deleted = 0;
    progress->setRange(0, int(ids_.size()));
    for (size_t i = 0; i < ids_.size(); ++i) {
        THQVoggetto* o = set_.GetObjectById(ids_[i]);
        if (o && app::DeleteObject(set_, *o)) {
            ++deleted;
            QListWidgetItem* it = list->item(firstLine_[i]);
            it->setText(it->text() + " [X] Cancellato");
        }
        progress->setValue(int(i + 1));
    }
    return deleted;
}

}  // namespace ovik::ui
