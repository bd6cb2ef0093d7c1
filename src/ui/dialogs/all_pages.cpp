#include "ui/dialogs/all_pages.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace ovik::ui {

TFTuttePagine::TFTuttePagine(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "ftuttepagine", parent), set_(set) {
    setWindowTitle("Tutte le pagine dell'ipertesto");
    tree = Named(new THQVorderedTree, "albero");
    tree->LinkedHQVset = &set_;
    tree->Objects = testoHtml;
    tree->SetEditable(false);
    bGo = Named(new QPushButton("&Vai"), "bvai");
    bGo->setDefault(true);
    auto* close = Named(new QPushButton("&Chiudi"), "bchiudi");
    connect(bGo, &QPushButton::clicked, this, [this] {
        if (GoToSelected()) accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (GoToSelected()) accept();
    });
    connect(tree, &QTreeWidget::currentItemChanged, this,
            [this] { bGo->setEnabled(tree->SelectedObject() != nullptr); });
    auto* v = new QVBoxLayout(this);
    v->addWidget(NamedLabel("Pagine e capitoli:", "lalbero", tree));
    v->addWidget(tree);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bGo);
    buttons->addWidget(close);
    v->addLayout(buttons);
    resize(420, 480);
    FinishCreation();
}

void TFTuttePagine::Load() {
    tree->Load();
    tree->expandAll();
    bGo->setEnabled(tree->SelectedObject() != nullptr);
}

bool TFTuttePagine::GoToSelected() {
    THQVoggetto* o = tree->SelectedObject();
    if (!o || o->Kind() != testoHtml || o->IsFree()) return false;
    if (onGoTo) onGoTo(o->Number());
    return true;
}

}  // namespace ovik::ui
