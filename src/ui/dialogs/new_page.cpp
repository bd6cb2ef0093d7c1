#include "ui/dialogs/new_page.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/album.h"

namespace ovik::ui {

TFNuova::TFNuova(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fnuova", parent), set_(set) {
    setWindowTitle("Nuova...");
    tabs = new QTabWidget;
    tabs->setObjectName("schede");
    auto* empty = new QWidget;
    auto* ev = new QVBoxLayout(empty);
    auto* el = new QLabel("Crea una pagina vuota con i colori predefiniti dell'ipertesto.");
    el->setObjectName("lvuota");
    el->setWordWrap(true);
    ev->addWidget(el);
    ev->addStretch();
    tabs->addTab(empty, "Nuova pagina vuota");
    auto* copy = new QWidget;
    auto* cv = new QVBoxLayout(copy);
    pages = new QListWidget;
    auto* cl = NamedLabel("Pagina da copiare:", "lcopia", pages);
    cv->addWidget(cl);
    cv->addWidget(pages);
    tabs->addTab(copy, "Nuova pagina copiando esistente");
    for (const char* t : {"Nuova copiando da altro ipertesto", "Nuova pagina da modello", "Nuova copiando pagina Html"}) {
        tabs->addTab(new QWidget, t);
        tabs->setTabEnabled(tabs->count() - 1, false);
    }
    connect(pages, &QListWidget::itemDoubleClicked, this, [this] {
        if (MakePage() >= 0) accept();
    });
    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs);
    v->addWidget(OkCancelBox(this, [this] { MakePage(); }));
    resize(700, 360);
    FinishCreation();
}

void TFNuova::Load() {
    created_ = -1;
    pages->clear();
    for (int32_t n = 0; n < set_.ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set_.Page(n);
        if (!p || p->IsFree()) continue;
        auto* it = new QListWidgetItem(QString("%1  %2").arg(n).arg(FromCp(p->Title())), pages);
        it->setData(Qt::UserRole, n);
    }
    if (pages->count()) pages->setCurrentRow(0);
}

int32_t TFNuova::MakePage() {
    if (tabs->currentIndex() == CopyExisting) {
        QListWidgetItem* it = pages->currentItem();
        created_ = it ? app::NewPageCopying(set_, it->data(Qt::UserRole).toInt()) : -1;
    } else {
        created_ = app::NewEmptyPage(set_);
    }
    return created_;
}

}  // namespace ovik::ui
