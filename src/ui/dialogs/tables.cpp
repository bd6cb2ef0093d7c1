#include "ui/dialogs/tables.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/dialogs/hypertext_options.h"

namespace ovik::ui {

namespace {

// A background chooser: transparent, colour or picture, in a group.
QGroupBox* BackgroundGroup(const QString& title, const char* name, const char* prefix,
                           QRadioButton*& transparent, QRadioButton*& colour, QRadioButton*& picture,
                           ColourButton*& colourButton, QComboBox*& pictureBox) {
    auto* g = Named(new QGroupBox(title), name);
    auto* form = new QFormLayout(g);
    const std::string p = prefix;
    transparent = Named(new QRadioButton("&Trasparente"), (p + "trasparente").c_str());
    colour = Named(new QRadioButton("C&olore"), (p + "colore").c_str());
    picture = Named(new QRadioButton("&Immagine"), (p + "immagine").c_str());
    colourButton = Named(new ColourButton, (p + "bcolore").c_str());
    pictureBox = Named(new QComboBox, (p + "cbimmagine").c_str());
    // The hypertext's pictures are listed when the window is loaded.
    pictureBox->setProperty("documentItems", true);
    form->addRow(transparent);
    form->addRow(colour, colourButton);
    form->addRow(picture, pictureBox);
    transparent->setChecked(true);
    return g;
}

void ShowBackground(int32_t code, QRadioButton* transparent, QRadioButton* colour, QRadioButton* picture,
                    ColourButton* colourButton, QComboBox* pictureBox) {
    const CellBackground b = CellBackground::Decode(code);
    switch (b.kind) {
        case CellBackground::Kind::Colour:
            colour->setChecked(true);
            colourButton->SetColour(b.value);
            break;
        case CellBackground::Kind::Picture:
            picture->setChecked(true);
            SelectData(pictureBox, b.value);
            break;
        default: transparent->setChecked(true); break;
    }
}

}  // namespace

// --- the new-table window ------------------------------------------------------------------------

TFNuovaTabella::TFNuovaTabella(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fnuovatabella", parent), set_(set) {
    setWindowTitle("Inserisci tabella");
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    rows = Named(new QSpinBox, "erighe");
    rows->setRange(1, kMaxNewTableRows);
    rows->setValue(3);
    form->addRow(NamedLabel("&Righe:", "lrighe", rows), rows);
    columns = Named(new QSpinBox, "ecolonne");
    columns->setRange(1, kMaxTableColumns);
    columns->setValue(3);
    form->addRow(NamedLabel("&Colonne:", "lcolonne", columns), columns);
    border = Named(new QCheckBox("&Bordo"), "cbordo");
    form->addRow(QString(), border);
    v->addLayout(form);

    auto* g = Named(new QGroupBox("Modello"), "gmodello");
    auto* gv = new QVBoxLayout(g);
    templates = Named(new QListWidget, "lmodelli");
    templates->addItem("Nessun modello");
    for (const std::string& name : TableTemplateNames()) templates->addItem(FromCp(name));
    templates->setCurrentRow(0);
    gv->addWidget(templates);
    auto* colours = new QFormLayout;
    firstColour = Named(new ColourButton, "bcolore");
    firstColour->SetColour(0xE0E0E0);
    colours->addRow(NamedLabel("Scegli colore", "lcolore", firstColour), firstColour);
    secondColour = Named(new ColourButton, "bsecondocolore");
    secondColour->SetColour(0xFFE0C0);
    colours->addRow(NamedLabel("Scegli secondo colore", "lsecondocolore", secondColour), secondColour);
    usePicture = Named(new QCheckBox("immagine"), "cimmagine");
    picture = Named(new QComboBox, "cbimmagine");
    picture->setProperty("documentItems", true);
    colours->addRow(usePicture, picture);
    gv->addLayout(colours);
    v->addWidget(g);

    v->addWidget(CheckedOkCancelBox(this, [this] {
        const std::string err = CheckNewTableSize(rows->value(), columns->value());
        if (err.empty()) return true;
        set_.Messages().Warning(err);
        return false;
    }));
    FinishCreation();
}

void TFNuovaTabella::Load() {
    const int keep = picture->currentData().isValid() ? picture->currentData().toInt() : -1;
    FillPictureCombo(picture, set_);
    SelectData(picture, keep);
}

NewTableChoice TFNuovaTabella::Choice() const {
    NewTableChoice c;
    c.rows = rows->value();
    c.columns = columns->value();
    c.border = border->isChecked();
    c.templateIndex = templates->currentRow() - 1;
    c.firstColour = firstColour->Colour();
    c.secondColour = secondColour->Colour();
    c.picture = usePicture->isChecked() ? picture->currentData().toInt() : -1;
    return c;
}

// --- the table property window -------------------------------------------------------------------

TFPropTabella::TFPropTabella(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fproptabella", parent), set_(set) {
    setWindowTitle("Proprietà tabella");
    auto* v = new QVBoxLayout(this);
    pages = Named(new QTabWidget, "schede");

    auto* tablePage = new QWidget;
    auto* tv = new QVBoxLayout(tablePage);
    auto* form = new QFormLayout;
    percentWidth = Named(new QRadioButton("&Percentuale"), "rpercentuale");
    widthPercent = Named(new QSpinBox, "epercentuale");
    widthPercent->setRange(1, 255);
    widthPercent->setSuffix(" %");
    form->addRow(percentWidth, widthPercent);
    pixelWidth = Named(new QRadioButton("Pi&xel"), "rpixel");
    widthPixels = Named(new QSpinBox, "epixel");
    widthPixels->setRange(10, 32767);
    form->addRow(pixelWidth, widthPixels);
    border = Named(new QCheckBox("&Bordo"), "cbordo");
    borderWidth = Named(new QSpinBox, "ebordo");
    borderWidth->setRange(1, 255);
    form->addRow(border, borderWidth);
    padding = Named(new QSpinBox, "ecellpadding");
    padding->setRange(0, 255);
    form->addRow(NamedLabel("Margine &interno celle:", "lcellpadding", padding), padding);
    spacing = Named(new QSpinBox, "ecellspacing");
    spacing->setRange(0, 255);
    form->addRow(NamedLabel("&Spazio tra celle:", "lcellspacing", spacing), spacing);
    tv->addLayout(form);

    auto* colGroup = Named(new QGroupBox("Colonna"), "gcolonna");
    auto* cf = new QFormLayout(colGroup);
    column = Named(new QSpinBox, "ecolonna");
    column->setRange(1, kMaxTableColumns);
    cf->addRow(NamedLabel("&Numero:", "lcolonna", column), column);
    columnMode = Named(new QComboBox, "cbmodocolonna");
    columnMode->addItems({"Percentuale", "Fissa (pixel)", "Libera"});
    cf->addRow(NamedLabel("&Larghezza:", "lmodocolonna", columnMode), columnMode);
    columnWidth = Named(new QSpinBox, "elarghezzacolonna");
    columnWidth->setRange(0, 32767);
    cf->addRow(NamedLabel("&Valore:", "lvalorecolonna", columnWidth), columnWidth);
    tv->addWidget(colGroup);
    tv->addWidget(BackgroundGroup("Sfondo tabella", "gsfondo", "t", backTransparent, backColour, backPicture,
                                  backColourButton, backPictureBox));
    html = Named(new QPlainTextEdit, "mhtml");
    tv->addWidget(NamedLabel("&Html:", "lhtml", html));
    tv->addWidget(html);
    pages->addTab(tablePage, "Tabella");

    auto* cellPage = new QWidget;
    auto* cv = new QVBoxLayout(cellPage);
    cv->addWidget(BackgroundGroup("Sfondo", "gsfondocasella", "c", cellTransparent, cellColour, cellPicture,
                                  cellColourButton, cellPictureBox));
    auto* af = new QFormLayout;
    applyTo = Named(new QComboBox, "cbapplica");
    for (const std::string& name : ApplyToNames()) applyTo->addItem(FromCp(name));
    af->addRow(NamedLabel("&Applica a:", "lapplica", applyTo), applyTo);
    cv->addLayout(af);
    cv->addStretch();
    pages->addTab(cellPage, "Casella, riga, colonna");
    v->addWidget(pages);
    v->addWidget(OkCancelBox(this, [] {}));

    connect(column, &QSpinBox::valueChanged, this, [this](int c) { ShowColumn(c - 1); });
    connect(border, &QCheckBox::toggled, borderWidth, &QWidget::setEnabled);
    connect(percentWidth, &QRadioButton::toggled, this, [this](bool on) {
        widthPercent->setEnabled(on);
        widthPixels->setEnabled(!on);
    });
    FinishCreation();
}

void TFPropTabella::ShowColumn(int32_t col) {
    if (!table_ || col < 0 || col >= table_->Columns()) return;
    TableRecord rec = table_->Record();
    columnMode->setCurrentIndex(std::min<int>(rec.ColumnMode(col), 2));
    columnWidth->setValue(rec.ColumnWidth(col));
}

void TFPropTabella::Load(TMyyTable& table, int32_t row, int32_t col) {
    table_ = &table;
    row_ = row;
    TableRecord rec = table.Record();
    FillPictureCombo(backPictureBox, set_);
    FillPictureCombo(cellPictureBox, set_);
    percentWidth->setChecked(rec.PercentWidth());
    pixelWidth->setChecked(!rec.PercentWidth());
    widthPercent->setValue(std::max<int>(1, rec.WidthPercent()));
    widthPixels->setValue(std::max<int>(10, rec.PercentWidth() ? table.Width() : rec.PixelWidth()));
    widthPercent->setEnabled(rec.PercentWidth());
    widthPixels->setEnabled(!rec.PercentWidth());
    border->setChecked(rec.Border() > 0);
    borderWidth->setValue(std::max<int>(1, rec.Border()));
    borderWidth->setEnabled(rec.Border() > 0);
    padding->setValue(rec.Padding());
    spacing->setValue(rec.Spacing());
    column->setRange(1, std::max(1, table.Columns()));
    column->blockSignals(true);
    column->setValue(std::clamp(col, 0, std::max(0, table.Columns() - 1)) + 1);
    column->blockSignals(false);
    ShowColumn(column->value() - 1);
    ShowBackground(rec.TableBackground(), backTransparent, backColour, backPicture, backColourButton,
                   backPictureBox);
    ShowBackground(table.CellBackgroundCode(row, col), cellTransparent, cellColour, cellPicture, cellColourButton,
                   cellPictureBox);
    const Bytes* w = table.Object() ? table.Object()->Wrapper() : nullptr;
    html->setPlainText(w ? FromCp(std::string(w->begin(), w->end())) : QString());
    applyTo->setCurrentIndex(int(ApplyTo::Cell));
    pages->setCurrentIndex(TablePage);
}

TableProperties TFPropTabella::Properties() const {
    TableProperties p;
    const std::string h = ToCp(html->toPlainText());
    p.wrapper.assign(h.begin(), h.end());
    p.column = column->value() - 1;
    p.columnMode = uint8_t(columnMode->currentIndex());
    p.columnWidth = columnWidth->value();
    p.padding = padding->value();
    p.spacing = spacing->value();
    p.percentWidth = percentWidth->isChecked();
    p.border = border->isChecked();
    p.borderWidth = borderWidth->value();
    using B = TableProperties::Background;
    p.background = backColour->isChecked() ? B::Colour : backPicture->isChecked() ? B::Picture : B::Transparent;
    p.colour = backColourButton->Colour();
    p.picture = backPictureBox->currentData().toInt();
    p.widthPercent = widthPercent->value();
    p.pixelWidth = widthPixels->value();
    p.cellPageActive = pages->currentIndex() == CellPage;
    p.applyTo = ApplyTo(applyTo->currentIndex());
    p.row = row_;
    p.col = p.column;
    if (cellColour->isChecked()) p.cellBackground = CellBackground::Colour(cellColourButton->Colour());
    else if (cellPicture->isChecked() && cellPictureBox->currentData().toInt() >= 0)
        p.cellBackground = CellBackground::Picture(cellPictureBox->currentData().toInt());
    else if (cellPicture->isChecked()) p.cellBackground = CellBackground::Colour(cellColourButton->Colour());
    return p;
}

}  // namespace ovik::ui
