#include "ui/dialogs/paragraph.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cmath>

#include "text/box_attributes.h"
#include "text/hqv_box.h"
#include "text/text_attributes.h"

namespace ovik::ui {

namespace {
QDoubleSpinBox* LengthBox(const char* name) {
    auto* b = Named(new QDoubleSpinBox, name);
    b->setRange(-10000, 10000);
    b->setDecimals(2);
    b->setSingleStep(0.1);
    return b;
}
bool Differs(double a, double b) { return std::abs(a - b) > 0.005; }
}  // namespace

TFParagrafo::TFParagrafo(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "fparagrafo", parent) {
    setWindowTitle("Paragrafo");
    unit = Named(new QComboBox, "unita");
    unit->addItems({"centimetri", "millimetri", "pollici", "punti", "pica", "pixel"});
    lineHeight = LengthBox("altezzalinea");
    above = LengthBox("spaziosopra");
    below = LengthBox("spaziosotto");
    indent = LengthBox("rientro");
    left = LengthBox("margsx");
    right = LengthBox("margdx");
    auto* spacing = Named(new QGroupBox("Spaziatura e rientri"), "gbspazi");
    auto* form = new QFormLayout(spacing);
    form->addRow(NamedLabel("&Unità di misura:", "lunita"), unit);
    form->addRow(NamedLabel("&Altezza linea:", "laltezzalinea"), lineHeight);
    form->addRow(NamedLabel("Spazio &sopra:", "lspaziosopra"), above);
    form->addRow(NamedLabel("Spazio so&tto:", "lspaziosotto"), below);
    form->addRow(NamedLabel("&Rientro prima riga:", "lrientro"), indent);
    form->addRow(NamedLabel("Margine si&nistro:", "lmargsx"), left);
    form->addRow(NamedLabel("Margine &destro:", "lmargdx"), right);
    SetBuddies(form);

    linkColour = Named(new ColourButton, "colorelink");
    linkSize = Named(new QSpinBox, "dimlink");
    linkSize->setRange(0, 999);
    linkBold = Named(new QCheckBox("&Grassetto"), "cblinkgrassetto");
    linkItalic = Named(new QCheckBox("C&orsivo"), "cblinkcorsivo");
    linkUnderline = Named(new QCheckBox("Sottolinea&to"), "cblinksottolineato");
    auto* links = Named(new QGroupBox("Collegamenti"), "gblink");
    auto* lf = new QFormLayout(links);
    lf->addRow(NamedLabel("&Colore:", "lcolorelink"), linkColour);
    lf->addRow(NamedLabel("Di&mensione:", "ldimlink"), linkSize);
    auto* styles = new QHBoxLayout;
    styles->addWidget(linkBold);
    styles->addWidget(linkItalic);
    styles->addWidget(linkUnderline);
    lf->addRow(NamedLabel("Stile:", "lstilelink"), styles);
    SetBuddies(lf);

    auto* v = new QVBoxLayout(this);
    v->addWidget(spacing);
    v->addWidget(links);
    v->addWidget(OkCancelBox(this, [] {}));
    connect(unit, &QComboBox::currentIndexChanged, this, [this](int u) {
        if (!loading_) ConvertTo(u);
    });
    FinishCreation();
}

ParagraphValues TFParagrafo::FromBox(THQVbox& box) {
    THQVParaAttributes& pa = box.ParaAttributes();
    return {pa.Unit(),       pa.LineHeight(), pa.SpaceAbove(), pa.SpaceBelow(), pa.FirstIndent(),
            pa.LeftMargin(), pa.RightMargin(), pa.LinkColour(), pa.LinkSize(),  pa.LinkStyle()};
}

void TFParagrafo::Load(const ParagraphValues& v, int32_t pixelsPerInch) {
    loading_ = true;
    loaded_ = v;
    ppi_ = pixelsPerInch;
    shownUnit_ = v.unit <= umPixels ? v.unit : 0;
    unit->setCurrentIndex(shownUnit_);
    lineHeight->setValue(v.lineHeight);
    above->setValue(v.above);
    below->setValue(v.below);
    indent->setValue(v.indent);
    left->setValue(v.left);
    right->setValue(v.right);
    linkColour->SetColour(v.linkColour);
    linkSize->setValue(v.linkSize);
    linkBold->setChecked(v.linkStyle & 1);
    linkItalic->setChecked(v.linkStyle & 2);
    linkUnderline->setChecked(v.linkStyle & 4);
    loading_ = false;
}

void TFParagrafo::ConvertTo(int newUnit) {
    // The lengths shown keep their size in the new unit.
    for (QDoubleSpinBox* b : {lineHeight, above, below, indent, left, right})
        b->setValue(PixelsToUnit(UnitToPixels(b->value(), uint8_t(shownUnit_), ppi_), uint8_t(newUnit), ppi_));
    shownUnit_ = newUnit;
}

ParagraphValues TFParagrafo::Values() const {
    ParagraphValues v;
    v.unit = uint8_t(unit->currentIndex());
    v.lineHeight = lineHeight->value();
    v.above = above->value();
    v.below = below->value();
    v.indent = indent->value();
    v.left = left->value();
    v.right = right->value();
    v.linkColour = linkColour->Colour();
    v.linkSize = linkSize->value();
    v.linkStyle = uint8_t((linkBold->isChecked() ? 1 : 0) | (linkItalic->isChecked() ? 2 : 0) |
                          (linkUnderline->isChecked() ? 4 : 0) | (loaded_.linkStyle & 8));
    return v;
}

void TFParagrafo::ApplyChanges(BoxEditor& e) const {
    const ParagraphValues v = Values();
    const bool unitChanged = v.unit != loaded_.unit;
    if (unitChanged) e.SetUnit(v.unit);
    // A length is set when it changed, compared in the unit shown.
    auto was = [&](double x) {
        return unitChanged ? PixelsToUnit(UnitToPixels(x, loaded_.unit, ppi_), v.unit, ppi_) : x;
    };
    if (Differs(v.lineHeight, was(loaded_.lineHeight))) e.SetLineHeight(v.lineHeight);
    if (Differs(v.above, was(loaded_.above))) e.SetSpaceAbove(v.above);
    if (Differs(v.below, was(loaded_.below))) e.SetSpaceBelow(v.below);
    if (Differs(v.indent, was(loaded_.indent))) e.SetFirstIndent(v.indent);
    if (Differs(v.left, was(loaded_.left))) e.SetLeftMargin(v.left);
    if (Differs(v.right, was(loaded_.right))) e.SetRightMargin(v.right);
    if (v.linkColour != loaded_.linkColour) e.SetLinkColour(v.linkColour);
    if (v.linkSize != loaded_.linkSize) e.SetLinkSize(v.linkSize);
    if (v.linkStyle != loaded_.linkStyle) e.SetLinkStyle(v.linkStyle);
}

}  // namespace ovik::ui
