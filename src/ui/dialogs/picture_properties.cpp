#include "ui/dialogs/picture_properties.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "links/link_objects.h"
#include "ui/dialogs/hypertext_options.h"

namespace ovik::ui {

namespace {

// The alignments a placed picture may take, as the window names them.
const std::vector<std::pair<const char*, int>>& Alignments() {
    static const std::vector<std::pair<const char*, int>> list{
        {"Basso", 3}, {"Centro", 4}, {"Alto", 5}, {"Sinistra", 0}, {"Destra", 1}, {"Centrato", 2}};
    return list;
}

QString ZoneBounds(const TMyyZona& z) {
    return QString("%1, %2  %3 x %4").arg(z.left).arg(z.top).arg(z.width).arg(z.height);
}

}  // namespace

TFPropImmagine::TFPropImmagine(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fpropimmagine", parent), set_(set) {
    setWindowTitle("Proprietà immagine");
    auto* v = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    picture = Named(new QComboBox, "cbimmagine");
    fromFile = Named(new QPushButton("&Da file..."), "bdafile");
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(picture, 1);
    pictureRow->addWidget(fromFile);
    form->addRow(NamedLabel("&Immagine:", "limmagine", picture), pictureRow);
    natural = Named(new QLabel, "ldimnaturale");
    form->addRow(NamedLabel("Dimensione originale:", "lnaturale"), natural);

    width = Named(new QSpinBox, "elarghezza");
    height = Named(new QSpinBox, "ealtezza");
    percent = Named(new QSpinBox, "epercento");
    for (QSpinBox* s : {width, height}) s->setRange(1, 32767);
    percent->setRange(1, 1000);
    percent->setSuffix(" %");
    inPercent = Named(new QCheckBox("in &percentuale"), "cpercento");
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width);
    sizeRow->addWidget(NamedLabel("x", "lper"));
    sizeRow->addWidget(height);
    sizeRow->addWidget(NamedLabel("pixel", "lpixel"));
    sizeRow->addSpacing(12);
    sizeRow->addWidget(percent);
    sizeRow->addWidget(inPercent);
    sizeRow->addStretch();
    form->addRow(NamedLabel("Dimensioni:", "ldimensioni", width), sizeRow);

    border = Named(new QCheckBox("&Bordo"), "cbordo");
    form->addRow(QString(), border);
    alignment = Named(new QComboBox, "cballineamento");
    // The items are the language block's: the value goes by position.
    for (const auto& entry : Alignments()) alignment->addItem(entry.first);
    form->addRow(NamedLabel("&Allineamento:", "lallineamento", alignment), alignment);
    alt = Named(new QLineEdit, "ealt");
    alt->setMaxLength(32);
    form->addRow(NamedLabel("Testo &ALT:", "lalt", alt), alt);
    hint = Named(new QLabel, "lsuggerimento");
    hint->setWordWrap(true);
    form->addRow(NamedLabel("Suggerimento:", "lsuggcap"), hint);
    lowRes = Named(new QComboBox, "cbbassarisoluzione");
    form->addRow(NamedLabel("Immagine a bassa &risoluzione:", "lbassaris", lowRes), lowRes);
    rollover = Named(new QComboBox, "cbrollover");
    form->addRow(NamedLabel("Immagine al &passaggio del mouse:", "lrollover", rollover), rollover);
    v->addLayout(form);

    auto* group = Named(new QGroupBox("Zone cliccabili"), "gzone");
    auto* gv = new QVBoxLayout(group);
    zones = Named(new QTreeWidget, "lzone");
    zones->setRootIsDecorated(false);
    zones->setHeaderLabels({"Zona", "Collegamento", "Testo ALT"});
    zones->header()->setStretchLastSection(true);
    gv->addWidget(zones);
    linkZone = Named(new QPushButton("&Collega zona..."), "bcollegazona");
    auto* zoneButtons = new QHBoxLayout;
    zoneButtons->addWidget(linkZone);
    zoneButtons->addStretch();
    gv->addLayout(zoneButtons);
    v->addWidget(group);

    v->addWidget(OkCancelBox(this, [] {}));

    connect(picture, &QComboBox::currentIndexChanged, this, [this] { PictureChosen(); });
    connect(percent, &QSpinBox::valueChanged, this, [this] { PercentChanged(); });
    connect(width, &QSpinBox::valueChanged, this, [this] { SizeChanged(); });
    connect(height, &QSpinBox::valueChanged, this, [this] { SizeChanged(); });
    connect(fromFile, &QPushButton::clicked, this, [this] { AddFromFile(); });
    connect(linkZone, &QPushButton::clicked, this, [this] { LinkChosenZone(); });
    connect(zones, &QTreeWidget::itemDoubleClicked, this, [this] { LinkChosenZone(); });
    connect(zones, &QTreeWidget::currentItemChanged, this,
            [this] { linkZone->setEnabled(zones->currentItem() != nullptr); });
    askPictureFile = [this] {
        return QFileDialog::getOpenFileName(this, "Immagine", QString(),
                                            "Immagini (*.gif *.jpg *.jpeg *.bmp *.png *.wmf *.emf)");
    };
    FinishCreation();
}

void TFPropImmagine::FillPictures() {
    for (QComboBox* c : {picture, lowRes, rollover}) {
        const int keep = c->currentData().isValid() ? c->currentData().toInt() : -1;
        c->blockSignals(true);
        FillPictureCombo(c, set_);
        SelectData(c, keep);
        c->blockSignals(false);
    }
}

std::pair<int, int> TFPropImmagine::NaturalSize() const {
    const int n = picture->currentData().toInt();
    const THQVoggetto* p = n >= 0 ? set_.GetObject(immagine, n) : nullptr;
    if (!p || p->IsFree()) return {0, 0};
    return {p->U16(85), p->U16(87)};
}

void TFPropImmagine::Load(TMyyImage* image, int32_t chosen) {
    filling_ = true;
    image_ = image;
    zoneTargets_.clear();
    PlacedPictureFields f;
    if (image && image->Object()) {
        f = PlacedPictureFields::Read(*image->Object());
        f.width = image->Width();
        f.height = image->Height();
    }
    FillPictures();
    SelectData(picture, f.picture);
    SelectData(lowRes, f.lowRes);
    SelectData(rollover, f.rollover);
    if (chosen >= 0) SelectData(picture, chosen);
    auto [nw, nh] = NaturalSize();
    if (!image || chosen >= 0) {
        // A new picture shows at its own size.
        f.width = nw > 0 ? nw : 100;
        f.height = nh > 0 ? nh : 100;
    }
    natural->setText(nw > 0 ? QString("%1 x %2").arg(nw).arg(nh) : QString("-"));
    width->setValue(f.width);
    height->setValue(f.height);
    percent->setValue(nw > 0 ? std::max(1, f.width * 100 / nw) : 100);
    percent->setEnabled(nw > 0);
    inPercent->setChecked(f.percent);
    border->setChecked(f.border);
    alignment->setCurrentIndex(0);
    for (size_t i = 0; i < Alignments().size(); ++i)
        if (Alignments()[i].second == f.alignment) alignment->setCurrentIndex(int(i));
    alt->setText(FromCp(f.alt));
    hint->setText(image ? FromCp(image->Hint()) : FromCp(f.alt));
    zones->clear();
    if (image)
        for (size_t i = 0; i < image->Zones().size(); ++i) {
            const int32_t id = image->ZoneTargetId(int32_t(i));
            auto* item = new QTreeWidgetItem(zones);
            item->setText(0, ZoneBounds(image->Zones()[i]));
            const QString description = FromCp(image->ZoneHint(int32_t(i)));
            item->setText(1, description.isEmpty() ? ZoneLinkText(id) : description);
            item->setText(2, description);
            item->setData(0, Qt::UserRole, int(i));
        }
    zones->setEnabled(image != nullptr);
    linkZone->setEnabled(false);
    filling_ = false;
}

QString TFPropImmagine::ZoneLinkText(int32_t id) const {
    const THQVoggetto* o = id >= 0 ? set_.GetObjectById(id) : nullptr;
    if (!o || o->IsFree()) return "Pagina 0";
    return FromCp(links::Describe(*o));
}

void TFPropImmagine::PictureChosen() {
    if (filling_) return;
    auto [nw, nh] = NaturalSize();
    natural->setText(nw > 0 ? QString("%1 x %2").arg(nw).arg(nh) : QString("-"));
    percent->setEnabled(nw > 0);
    if (nw <= 0) return;
    // Another picture comes at its own size.
    filling_ = true;
    width->setValue(nw);
    height->setValue(nh);
    percent->setValue(100);
    filling_ = false;
}

void TFPropImmagine::PercentChanged() {
    if (filling_) return;
    auto [nw, nh] = NaturalSize();
    if (nw <= 0) return;
    filling_ = true;
    width->setValue(std::max(1, nw * percent->value() / 100));
    height->setValue(std::max(1, nh * percent->value() / 100));
    inPercent->setChecked(true);
    filling_ = false;
}

void TFPropImmagine::SizeChanged() {
    if (filling_) return;
    auto [nw, nh] = NaturalSize();
    filling_ = true;
    if (nw > 0) percent->setValue(std::max(1, width->value() * 100 / nw));
    inPercent->setChecked(false);
    filling_ = false;
}

void TFPropImmagine::AddFromFile() {
    const QString file = askPictureFile ? askPictureFile() : QString();
    if (file.isEmpty()) return;
    std::string why;
    THQVoggetto* p = set_.AddPictureFile(std::filesystem::path(file.toStdString()), {}, &why);
    if (!p) {
        hint->setText(QString("Immagine non aggiunta: %1").arg(QString::fromStdString(why)));
        return;
    }
    FillPictures();
    SelectData(picture, p->Number());
}

void TFPropImmagine::LinkChosenZone() {
    QTreeWidgetItem* item = zones->currentItem();
    if (!item || !chooseZoneLink) return;
    const int32_t zone = item->data(0, Qt::UserRole).toInt();
    const int32_t id = chooseZoneLink(zone);
    if (id == -2) return;
    std::erase_if(zoneTargets_, [zone](const auto& t) { return t.first == zone; });
    zoneTargets_.emplace_back(zone, id);
    item->setText(1, ZoneLinkText(id));
    const THQVoggetto* o = id >= 0 ? set_.GetObjectById(id) : nullptr;
    item->setText(2, o && !o->IsFree() ? FromCp(links::Describe(*o)) : QString());
}

PlacedPictureFields TFPropImmagine::Values() const {
    PlacedPictureFields f;
    if (image_ && image_->Object()) f = PlacedPictureFields::Read(*image_->Object());
    f.picture = picture->currentData().toInt();
    f.lowRes = lowRes->currentData().toInt();
    f.rollover = rollover->currentData().toInt();
    const int a = alignment->currentIndex();
    if (a >= 0 && size_t(a) < Alignments().size()) f.alignment = uint8_t(Alignments()[size_t(a)].second);
    f.border = border->isChecked();
    f.width = width->value();
    f.height = height->value();
    f.percent = inPercent->isChecked();
    f.alt = ToCp(alt->text());
    return f;
}

bool TFPropImmagine::Apply(TMyyImage& image) {
    if (!image.Object()) return false;
    PlacedPictureFields before = PlacedPictureFields::Read(*image.Object());
    before.width = image.Width();
    before.height = image.Height();
    const PlacedPictureFields after = Values();
    if (after == before && zoneTargets_.empty()) return false;
    return image.SetFields(after, zoneTargets_);
}

std::unique_ptr<THQVoggetto> TFPropImmagine::MakePlacement() {
    const int n = picture->currentData().toInt();
    THQVoggetto* p = n >= 0 ? set_.GetObject(immagine, n) : nullptr;
    auto placement = set_.AddImmagineNew(p && !p->IsFree() ? p : nullptr);
    if (!placement) return nullptr;
    Values().Write(*placement);
    return placement;
}

}  // namespace ovik::ui
