#include "ui/dialogs/delete_objects.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "app/album.h"
#include "app/references.h"
#include "links/link_objects.h"

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

TFCancella::~TFCancella() { search_.Stop(); }

void TFCancella::Load(const std::vector<int32_t>& ids) {
    StopSearch();
    ++generation_;
    ids_ = ids;
    firstLine_.assign(ids_.size(), -1);
    list->clear();
    progress->setRange(0, int(ids_.size()));
    progress->setValue(0);
    progress->setVisible(true);
    searching_ = true;
    // Pages in the old content format are converted here: the search only reads.
    app::ConvertOldPages(set_);
    // The search thread hands each result to the window's thread. The window
    // outlives its search (its destructor stops it), and a result of an
    // earlier Load still queued is dropped.
    uint64_t generation = generation_;
    search_.Start(
        set_, ids_,
        [this, generation](app::ReferenceSearch::Result r) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, r = std::move(r)] {
                    if (generation_ == generation) ShowResult(r);
                },
                Qt::QueuedConnection);
        },
        [this, generation](bool) {
            QMetaObject::invokeMethod(
                this,
                [this, generation] {
                    if (generation_ != generation || !searching_) return;
                    searching_ = false;
                    progress->setVisible(false);
                    emit searchFinished();
                },
                Qt::QueuedConnection);
        });
}

void TFCancella::ShowResult(const app::ReferenceSearch::Result& r) {
    if (r.index >= ids_.size() || firstLine_[r.index] >= 0) return;
    firstLine_[r.index] = list->count();
    if (!r.defined) {
        list->addItem("Non definito.");
    } else {
        for (const std::string& line : r.lines) list->addItem(FromCp(line));
    }
    if (r.id == 0) {
        QListWidgetItem* first = list->item(firstLine_[r.index]);
        first->setText(first->text() + " (la pagina 0 non si cancella)");
    }
    progress->setValue(progress->value() + 1);
}

void TFCancella::ShowPending() {
    // The results already handed over by the search are waiting in the event
    // queue of this window.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void TFCancella::Wait() {
    search_.Wait();
    ShowPending();
}

void TFCancella::StopSearch() {
    search_.Stop();
    ShowPending();
    if (searching_) {
        searching_ = false;
        progress->setVisible(false);
        emit searchFinished();
    }
}

void TFCancella::done(int r) {
    StopSearch();
    TFDialog::done(r);
}

int TFCancella::DeleteListed() {
    StopSearch();
    int deleted = 0;
    progress->setRange(0, int(ids_.size()));
    progress->setValue(0);
    progress->setVisible(true);
    // An object the search did not reach gets a line of its own.
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (firstLine_[i] >= 0) continue;
        THQVoggetto* o = set_.GetObjectById(ids_[i]);
        firstLine_[i] = list->count();
        list->addItem(o ? FromCp(links::ShortText(o->Description())) : QString("Non definito."));
    }
    // One operation: every reference goes, then the objects.
    app::DeleteObjects(set_, ids_, view, [&](size_t i, bool gone) {
        if (gone) {
            ++deleted;
            QListWidgetItem* it = list->item(firstLine_[i]);
            it->setText(it->text() + " [X] Cancellato");
        }
        progress->setValue(int(i + 1));
    });
    return deleted;
}

}  // namespace ovik::ui
