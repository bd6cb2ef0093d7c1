#include "ui/dialogs/slides.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/page_view.h"

namespace ovik::ui {

// --- TSlideListView --------------------------------------------------------------------------

TSlideListView::TSlideListView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({"Nome", "Tempo", "N."});
    setColumnWidth(0, 200);
    setColumnWidth(1, 50);
    setColumnWidth(2, 50);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setToolTip("Usa Ctrl+q,a per muovere");
}

void TSlideListView::keyPressEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_Delete && mods == Qt::NoModifier && onDelete) return onDelete();
    if (e->key() == Qt::Key_Q && mods == Qt::ControlModifier && onUp) return onUp();
    if (e->key() == Qt::Key_A && mods == Qt::ControlModifier && onDown) return onDown();
    QTreeWidget::keyPressEvent(e);
}

void TSlideListView::dragEnterEvent(QDragEnterEvent* e) {
    if (e->source() == this || qobject_cast<THQVListView*>(e->source())) e->acceptProposedAction();
    else e->ignore();
}

void TSlideListView::dragMoveEvent(QDragMoveEvent* e) {
    if (e->source() == this || qobject_cast<THQVListView*>(e->source())) e->acceptProposedAction();
    else e->ignore();
}

void TSlideListView::dropEvent(QDropEvent* e) {
    QTreeWidgetItem* target = itemAt(e->position().toPoint());
    const int onto = target ? indexOfTopLevelItem(target) : -1;
    if (e->source() == this) {
        if (currentItem() && onto >= 0 && onMoveRow) onMoveRow(indexOfTopLevelItem(currentItem()), onto);
    } else if (auto* list = qobject_cast<THQVListView*>(e->source())) {
        THQVoggetto* page = list->SelectedObject();
        if (page && page->Kind() == testoHtml && onDropPage) onDropPage(page->Number(), onto);
    }
    // The list model moved; the widget shows it again instead of moving rows itself.
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
}

// --- TFslides --------------------------------------------------------------------------------------

TFslides::TFslides(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fslides", parent), set_(set) {
    setWindowTitle("Diapositive");
    pages = Named(new THQVListView, "lpagine");
    pages->LinkedHQVset = &set_;
    pages->Objects = testoHtml;
    pages->setColumnHidden(1, true);
    pages->setColumnHidden(2, true);
    slides = Named(new TSlideListView, "LVslides");
    slides->setMinimumWidth(320);
    Etempo = Named(new QSpinBox, "Etempo");
    Etempo->setRange(0, 10000);
    Etempo->setValue(5);
    EtempoCorr = Named(new QSpinBox, "EtempoCorr");
    EtempoCorr->setRange(-1, 10000);
    CBpreview = Named(new QCheckBox("Preview"), "CBpreview");
    preview = Named(new TPageView, "anteprima");
    preview->SetReadOnly(true);
    preview->setMinimumSize(240, 180);
    BAddPage = Named(new QPushButton("Aggiungi selezionata"), "BAddPage");
    Btutte = Named(new QPushButton("Tutte (0,1..)"), "Btutte");
    SpeedButton4 = Named(new QPushButton("Tutte (A,B..)"), "SpeedButton4");
    BCanc = Named(new QPushButton("&Togli"), "BCanc");
    Bup = Named(new QPushButton("S&u"), "Bup");
    Bdown = Named(new QPushButton("&Giù"), "Bdown");

    connect(BAddPage, &QPushButton::clicked, this, [this] { AddSelected(); });
    connect(Btutte, &QPushButton::clicked, this, [this] { AllFollowing(); });
    connect(SpeedButton4, &QPushButton::clicked, this, [this] { AllInOrder(); });
    connect(BCanc, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(Bup, &QPushButton::clicked, this, [this] { MoveSelected(true); });
    connect(Bdown, &QPushButton::clicked, this, [this] { MoveSelected(false); });
    slides->onDelete = [this] { RemoveSelected(); };
    slides->onUp = [this] { MoveSelected(true); };
    slides->onDown = [this] { MoveSelected(false); };
    slides->onDropPage = [this](int32_t page, int before) {
        if (!list_) return;
        const int row = list_->Add(page, Etempo->value(), before);
        Show(row >= 0 ? row : SelectedRow());
    };
    slides->onMoveRow = [this](int from, int onto) {
        if (list_) Show(list_->MoveRow(from, onto));
    };
    connect(slides, &QTreeWidget::currentItemChanged, this, [this] { RowChosen(); });
    connect(EtempoCorr, &QSpinBox::valueChanged, this, [this](int v) {
        const int row = SelectedRow();
        if (filling_ || !list_ || row < 0) return;
        list_->SetDelay(row, std::to_string(v));
        slides->topLevelItem(row)->setText(1, QString::number(v));
    });
    connect(CBpreview, &QCheckBox::toggled, this, [this] { RowChosen(); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(NamedLabel("Pagine:", "lpaginelista", pages), 0, 0);
    grid->addWidget(pages, 1, 0, 2, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {BAddPage, Btutte, SpeedButton4, BCanc, Bup, Bdown}) buttons->addWidget(b);
    auto* time = new QHBoxLayout;
    time->addWidget(NamedLabel("mostra per:", "lmostra", Etempo));
    time->addWidget(Etempo);
    time->addWidget(NamedLabel("s.", "lsecondi"));
    buttons->addLayout(time);
    buttons->addStretch();
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->addWidget(NamedLabel("Diapositive:", "ldiapositive", slides), 0, 2);
    grid->addWidget(slides, 1, 2);
    auto* row = new QHBoxLayout;
    row->addWidget(NamedLabel("Tempo:", "ltempo", EtempoCorr));
    row->addWidget(EtempoCorr);
    row->addStretch();
    row->addWidget(CBpreview);
    grid->addLayout(row, 2, 2);
    grid->addWidget(preview, 0, 3, 3, 1);
    grid->addWidget(OkCancelBox(this, [this] { WriteChain(); }), 3, 0, 1, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    resize(980, 460);
    CBpreview->setChecked(Store().ReadOr("options", "SlidePreview", "") == "1");
    FinishCreation();
}

TFslides::~TFslides() { Store().Write("options", "SlidePreview", CBpreview->isChecked() ? "1" : "0"); }

void TFslides::Load(int32_t startPage) {
    list_ = std::make_unique<links::SlideList>(set_, startPage);
    list_->Fill();
    pages->Reload();
    preview->ShowPage(set_, -1);
    Show(list_->Rows().empty() ? -1 : 0);
}

int TFslides::SelectedRow() const { return slides->currentItem() ? slides->indexOfTopLevelItem(slides->currentItem()) : -1; }

void TFslides::Show(int select) {
    filling_ = true;
    slides->clear();
    if (list_)
        for (const links::SlideRow& r : list_->Rows()) {
            auto* item = new QTreeWidgetItem(slides);
            item->setText(0, FromCp(list_->Name(r.page)));
            item->setText(1, QString::fromStdString(r.delay));
            item->setText(2, QString::number(r.page));
            item->setData(0, Qt::UserRole, r.page);
            item->setFlags(item->flags() | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        }
    filling_ = false;
    if (select >= 0 && select < slides->topLevelItemCount()) {
        slides->setCurrentItem(slides->topLevelItem(select));
        slides->scrollToItem(slides->topLevelItem(select));
    }
    RowChosen();
}

void TFslides::RowChosen() {
    if (filling_) return;
    const int row = SelectedRow();
    for (QPushButton* b : {BCanc, Bup, Bdown}) b->setEnabled(row >= 0);
    if (row < 0 || !list_) {
        preview->ShowPage(set_, -1);
        return;
    }
    {
        filling_ = true;
        EtempoCorr->setValue(links::SlideDelayOf(list_->Rows()[size_t(row)].delay));
        filling_ = false;
    }
    preview->ShowPage(set_, CBpreview->isChecked() ? list_->Rows()[size_t(row)].page : -1);
}

void TFslides::AddSelected() {
    THQVoggetto* page = pages->SelectedObject();
    if (!list_ || !page) return;
    const int row = list_->Add(page->Number(), Etempo->value(), SelectedRow());
    Show(row >= 0 ? row : SelectedRow());
}

void TFslides::AllFollowing() {
    if (!list_) return;
    list_->AllFollowing(Etempo->value());
    Show(list_->Rows().empty() ? -1 : 0);
}

void TFslides::AllInOrder() {
    if (!list_) return;
    std::vector<int32_t> order;
    for (int i = 0; i < pages->topLevelItemCount(); ++i)
        if (THQVoggetto* p = set_.GetObjectById(THQVListView::IdOf(pages->topLevelItem(i)))) order.push_back(p->Number());
    list_->AllInOrder(order, Etempo->value());
    Show(list_->Rows().empty() ? -1 : 0);
}

void TFslides::RemoveSelected() {
    if (list_) Show(list_->Remove(SelectedRow()));
}

void TFslides::MoveSelected(bool up) {
    if (!list_ || SelectedRow() < 0) return;
    Show(up ? list_->MoveUp(SelectedRow()) : list_->MoveDown(SelectedRow()));
}

void TFslides::WriteChain() {
    if (list_) list_->Write();
}

}  // namespace ovik::ui
