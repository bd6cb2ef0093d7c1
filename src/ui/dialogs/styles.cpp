#include "ui/dialogs/styles.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "core/codepage.h"
#include "document/style_record.h"
#include "platform/messages.h"
#include "text/text_attributes.h"
#include "ui/page_view.h"
#include "ui/translations.h"

namespace ovik::ui {

THQVoggetto* StoreStyle(THQVset& set, const THQVoggetto& scratch, THQVoggetto* modified, const std::string& name,
                        THQVundoList* history) {
    std::unique_ptr<THQVoggetto> fresh;
    THQVoggetto* target = modified;
    if (!target) {
        fresh = set.NewObject(stileParagrafo);
        target = fresh.get();
    }
    if (history && modified && modified->IsRegistered())
        history->Add(std::make_unique<TogBackup>(set, *modified, "Modifica stile: " + modified->Name()));
    for (size_t i = 0; i < style_rec::kAttrBlockLen; ++i)
        target->SetU8(style_rec::kAttrBlock + i, scratch.U8(style_rec::kAttrBlock + i));
    SetStyleFace(*target, StyleFace(&scratch));
    std::string current = target->Name();
    if (!name.empty() && (!fresh ? !cp1252::EqualNoCase(name, current) : true)) {
        std::string unique = set.UniqueStyleName(name.substr(0, style_rec::kNameMax));
        target->SetName(unique.substr(0, style_rec::kNameMax));
    } else if (fresh) {
        target->SetName(set.UniqueStyleName("Stile"));
    }
    target->SetState(1);
    if (fresh) target = THQVoggetto::Register(fresh, -1);
    set.SetModified(true);
    return target;
}

int32_t LineHeightFor(bool on, int32_t fontSizePoints, int32_t pixelsPerInch) {
    if (!on) return style_rec::kAutoLineHeight;
    return std::abs(UnitToPixels(fontSizePoints, umPoints, pixelsPerInch));
}

namespace {
QDoubleSpinBox* LengthBox() {
    auto* b = new QDoubleSpinBox;
    b->setRange(-9999, 9999);
    b->setDecimals(2);
    return b;
}
}  // namespace

TFStili::TFStili(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fstili", parent), set_(set) {
    setWindowTitle("Proprietà stili");
    styles = new QListWidget;
    styles->setMaximumWidth(180);
    name = new QLineEdit;
    name->setMaxLength(int(style_rec::kNameMax));

    auto* tabs = Named(new QTabWidget, "schede");
    // Text.
    auto* text = new QWidget;
    auto* tf = new QFormLayout(text);
    face = new QFontComboBox;
    size = new QSpinBox;
    size->setRange(1, 999);
    colour = new ColourButton;
    bold = Named(new QCheckBox("&Grassetto"), "cgrassetto");
    italic = Named(new QCheckBox("&Corsivo"), "ccorsivo");
    underline = Named(new QCheckBox("&Sottolineato"), "csottolineato");
    tf->addRow(NamedLabel("Carattere:", "lcarattere"), face);
    tf->addRow(NamedLabel("Dimensione:", "ldimensione"), size);
    tf->addRow(NamedLabel("Colore:", "lcolore"), colour);
    tf->addRow(QString(), bold);
    tf->addRow(QString(), italic);
    tf->addRow(QString(), underline);
    SetBuddies(tf);
    tabs->addTab(text, "Testo");
    // Paragraph.
    auto* para = new QWidget;
    auto* pf = new QFormLayout(para);
    indent = LengthBox();
    left = LengthBox();
    right = LengthBox();
    align = Named(new QComboBox, "cballineamento");
    align->addItems({"Sinistra", "Destra", "Centrato"});
    pf->addRow(NamedLabel("Rientro prima riga:", "lrientro"), indent);
    pf->addRow(NamedLabel("Margine sinistro:", "lsinistro"), left);
    pf->addRow(NamedLabel("Margine destro:", "ldestro"), right);
    pf->addRow(NamedLabel("Allineamento:", "lallineamento"), align);
    SetBuddies(pf);
    tabs->addTab(para, "Paragrafo");
    // Lines.
    auto* lines = new QWidget;
    auto* lf = new QFormLayout(lines);
    lineSpacing = Named(new QCheckBox("&Interlinea"), "cinterlinea");
    lineHeight = LengthBox();
    above = LengthBox();
    below = LengthBox();
    lf->addRow(QString(), lineSpacing);
    lf->addRow(NamedLabel("Altezza riga:", "laltezza"), lineHeight);
    lf->addRow(NamedLabel("Spazio sopra:", "lsopra"), above);
    lf->addRow(NamedLabel("Spazio sotto:", "lsotto"), below);
    SetBuddies(lf);
    tabs->addTab(lines, "Linee");
    // Lists.
    auto* lists = new QWidget;
    auto* ll = new QVBoxLayout(lists);
    listNone = Named(new QRadioButton("nulla"), "rnulla");
    listBullet = Named(new QRadioButton("punto di elenco"), "rpunto");
    ll->addWidget(listNone);
    ll->addWidget(listBullet);
    ll->addStretch();
    tabs->addTab(lists, "Elenchi");
    // Unit.
    auto* units = new QWidget;
    auto* uf = new QFormLayout(units);
    unit = Named(new QComboBox, "cbunita");
    unit->addItems({"centimetri", "millimetri", "pollici", "punti", "pica", "pixel"});
    uf->addRow(NamedLabel("Unità di misura:", "lunita"), unit);
    SetBuddies(uf);
    tabs->addTab(units, "Unità");
    // Link.
    auto* link = new QWidget;
    auto* kf = new QFormLayout(link);
    linkBold = Named(new QCheckBox("Grassetto"), "clgrassetto");
    linkItalic = Named(new QCheckBox("Corsivo"), "clcorsivo");
    linkUnderline = Named(new QCheckBox("Sottolineato"), "clsottolineato");
    linkColour = new ColourButton;
    linkSizeOn = Named(new QCheckBox("Applica"), "capplica");
    linkSize = new QSpinBox;
    linkSize->setRange(1, 999);
    auto* note = NamedLabel("(nota che il link applica un'inversione allo stile abituale, ad esempio se il testo è in "
                            "grassetto, ed il link è definito grassetto, il link sarà \"normale\")",
                            "lnota");
    note->setWordWrap(true);
    kf->addRow(QString(), linkBold);
    kf->addRow(QString(), linkItalic);
    kf->addRow(QString(), linkUnderline);
    kf->addRow(NamedLabel("Colore:", "llcolore"), linkColour);
    kf->addRow(linkSizeOn, linkSize);
    kf->addRow(note);
    SetBuddies(kf);
    tabs->addTab(link, "Collegamento");

    example = new QLabel;
    example->setMinimumHeight(70);
    example->setFrameShape(QFrame::StyledPanel);
    example->setAutoFillBackground(true);
    example->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(NamedLabel("Stili:", "lstili", styles), 0, 0);
    grid->addWidget(styles, 1, 0, 4, 1);
    auto* nameRow = new QFormLayout;
    nameRow->addRow(NamedLabel("&Nome:", "lnome", name), name);
    grid->addLayout(nameRow, 0, 1);
    grid->addWidget(tabs, 1, 1);
    grid->addWidget(NamedLabel("Esempio:", "lesempio"), 2, 1);
    grid->addWidget(example, 3, 1);
    styleView_ = std::make_unique<THQVstyleView>(measurer_, set_.Messages());
    preview = Named(new TPageView, "pvstile");
    preview->SetReadOnly(true);
    preview->setMinimumHeight(90);
    preview->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(preview, 4, 1);
    // "Crea stile": a new style, starting from the one shown.
    createStyle = Named(new QPushButton("C&rea stile"), "bcreastile");
    connect(createStyle, &QPushButton::clicked, this, [this] { CreateFromShown(); });
    grid->addWidget(createStyle, 5, 0);
    grid->addWidget(OkCancelBox(this, [this] { Apply(); }), 5, 1);
    grid->setColumnStretch(1, 1);
    resize(640, 520);
    FinishCreation();

    scratch_ = set_.NewObject(stileParagrafo);
    auto changed = [this] {
        if (loading_) return;
        FromWidgets();
        changed_ = true;
        UpdateExample();
    };
    for (QCheckBox* c : {bold, italic, underline, linkBold, linkItalic, linkUnderline})
        connect(c, &QCheckBox::toggled, this, changed);
    for (QDoubleSpinBox* b : {indent, left, right, lineHeight, above, below})
        connect(b, &QDoubleSpinBox::valueChanged, this, changed);
    connect(size, &QSpinBox::valueChanged, this, changed);
    connect(linkSize, &QSpinBox::valueChanged, this, changed);
    connect(face, &QFontComboBox::currentFontChanged, this, changed);
    connect(align, &QComboBox::currentIndexChanged, this, changed);
    connect(listBullet, &QRadioButton::toggled, this, changed);
    connect(colour, &QPushButton::clicked, this, changed);
    connect(linkColour, &QPushButton::clicked, this, changed);
    connect(lineSpacing, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_) return;
        SetStyleValue(*scratch_, Attr::LineHeight,
                      LineHeightFor(on, StyleValue(scratch_.get(), Attr::Size), set_.ScreenPixelsPerInch));
        changed_ = true;
        ToWidgets();
    });
    connect(linkSizeOn, &QCheckBox::toggled, this, [this](bool on) {
        if (loading_) return;
        SetStyleValue(*scratch_, Attr::LinkSize, on ? StyleValue(scratch_.get(), Attr::Size) : -1);
        changed_ = true;
        ToWidgets();
    });
    connect(unit, &QComboBox::currentIndexChanged, this, [this](int u) {
        if (!loading_) SetUnit(u);
    });
    connect(styles, &QListWidget::currentRowChanged, this, &TFStili::ChooseStyle);
}

std::unique_ptr<QMessageBox> StyleQuestion(const std::string& styleName, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(FromCp(styleName));
    box->setIcon(QMessageBox::Question);
    box->setText(Tr("Stile \"%1\" Si desidera:").arg(FromCp(styleName)));
    auto add = [&](const QString& text, QMessageBox::ButtonRole role, StyleChoice choice) {
        QPushButton* b = box->addButton(text, role);
        b->setProperty("choice", int(choice));
        return b;
    };
    add(Tr("Modificare lo stile usando come esempio il testo selezionato"), QMessageBox::AcceptRole,
        StyleChoice::ModifyStyle);
    box->setDefaultButton(add(Tr("Riformattare la selezione usando lo stile"), QMessageBox::AcceptRole,
                              StyleChoice::Reformat));
    box->setEscapeButton(add(Tr("A&nnulla"), QMessageBox::RejectRole, StyleChoice::Cancel));
    return box;
}

StyleChoice AskStyleChoice(const std::string& styleName, QWidget* parent) {
    std::unique_ptr<QMessageBox> box = StyleQuestion(styleName, parent);
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    return clicked ? StyleChoice(clicked->property("choice").toInt()) : StyleChoice::Cancel;
}

bool TFStili::Edit(Mode mode, THQVoggetto* style, const THQVoggetto* startFrom) {
    if (mode == Mode::Modify && !style) {
        set_.Messages().Error("StileDaMod must not be undef");
        return false;
    }
    mode_ = mode;
    setWindowTitle(mode == Mode::Sheet ? "Proprietà stili" : mode == Mode::Modify ? "Modifica stile" : "Crea stile");
    styles->setVisible(mode == Mode::Sheet);
    createStyle->setVisible(mode == Mode::Sheet);
    loading_ = true;
    styles->clear();
    for (int32_t n = 0; n < set_.ObjectCount(stileParagrafo); ++n) {
        THQVoggetto* s = set_.GetObject(stileParagrafo, n);
        if (!s || s->IsFree()) continue;
        auto* it = new QListWidgetItem(FromCp(s->Name()), styles);
        it->setData(Qt::UserRole, n);
    }
    loading_ = false;
    modified_ = mode == Mode::Create ? nullptr : style;
    if (mode == Mode::Sheet && !modified_ && styles->count()) {
        modified_ = set_.GetObject(stileParagrafo, styles->item(0)->data(Qt::UserRole).toInt());
        loading_ = true;
        styles->setCurrentRow(0);
        loading_ = false;
    }
    scratch_->FillRecord(0xFF);
    SetStyleDefaults(*scratch_);
    if (const THQVoggetto* from = startFrom ? startFrom : modified_)
        for (size_t i = 0; i < 668; ++i) scratch_->SetU8(i, from->U8(i));
    name->setText(modified_ ? FromCp(modified_->Name()) : QString());
    changed_ = false;
    ToWidgets();
    return true;
}

void TFStili::ChooseStyle(int row) {
    if (loading_ || row < 0) return;
    // Changes to the style shown are stored before another one is shown.
    if (changed_ && modified_) Store();
    THQVoggetto* s = set_.GetObject(stileParagrafo, styles->item(row)->data(Qt::UserRole).toInt());
    if (!s) return;
    modified_ = s;
    for (size_t i = 0; i < 668; ++i) scratch_->SetU8(i, s->U8(i));
    name->setText(FromCp(s->Name()));
    changed_ = false;
    ToWidgets();
}

void TFStili::CreateFromShown() {
    FromWidgets();
    // Changes to the style shown are kept; the new style starts as it looks.
    if (changed_ && modified_) Store();
    auto from = set_.NewObject(stileParagrafo);
    for (size_t i = 0; i < 668; ++i) from->SetU8(i, scratch_->U8(i));
    Edit(Mode::Create, nullptr, from.get());
    name->setText(Tr("Nuovo stile"));
    changed_ = true;
    name->setFocus();
    name->selectAll();
}

void TFStili::SetUnit(int u) {
    if (u < 0 || u > 5) return;
    FromWidgets();
    SetStyleValue(*scratch_, Attr::Unit, u);
    changed_ = true;
    ToWidgets();
}

void TFStili::ToWidgets() {
    loading_ = true;
    const THQVoggetto* s = scratch_.get();
    int ppi = set_.ScreenPixelsPerInch;
    uint8_t u = uint8_t(StyleValue(s, Attr::Unit));
    face->setCurrentFont(QFont(FromCp(StyleFace(s))));
    shownFamily_ = face->currentFont().family();
    size->setValue(StyleValue(s, Attr::Size));
    colour->SetColour(StyleValue(s, Attr::Colour));
    int st = StyleValue(s, Attr::Style);
    bold->setChecked(st & 1);
    italic->setChecked(st & 2);
    underline->setChecked(st & 4);
    auto show = [&](QDoubleSpinBox* b, Attr a) { b->setValue(PixelsToUnit(StyleValue(s, a), u, ppi)); };
    show(indent, Attr::Indent);
    show(left, Attr::Left);
    show(right, Attr::Right);
    show(above, Attr::Above);
    show(below, Attr::Below);
    int32_t lh = StyleValue(s, Attr::LineHeight);
    lineSpacing->setChecked(lh > 0);
    lineHeight->setEnabled(lh > 0);
    lineHeight->setValue(lh > 0 ? PixelsToUnit(lh, u, ppi) : 0);
    align->setCurrentIndex(std::clamp(StyleValue(s, Attr::Align), 0, 2));
    listBullet->setChecked(StyleValue(s, Attr::ListKind) == 10);
    listNone->setChecked(StyleValue(s, Attr::ListKind) != 10);
    unit->setCurrentIndex(std::min<int>(u, 5));
    int ls = StyleValue(s, Attr::LinkStyle);
    linkBold->setChecked(ls & 1);
    linkItalic->setChecked(ls & 2);
    linkUnderline->setChecked(ls & 4);
    linkColour->SetColour(StyleValue(s, Attr::LinkColour));
    int32_t lsz = StyleValue(s, Attr::LinkSize);
    linkSizeOn->setChecked(lsz != -1);
    linkSize->setEnabled(lsz != -1);
    linkSize->setValue(lsz == -1 ? StyleValue(s, Attr::Size) : lsz);
    loading_ = false;
    UpdateExample();
}

void TFStili::FromWidgets() {
    THQVoggetto& s = *scratch_;
    int ppi = set_.ScreenPixelsPerInch;
    uint8_t u = uint8_t(StyleValue(&s, Attr::Unit));
    if (face->currentFont().family() != shownFamily_) {
        SetStyleFace(s, ToCp(face->currentFont().family()));
        shownFamily_ = face->currentFont().family();
    }
    SetStyleValue(s, Attr::Size, size->value());
    SetStyleValue(s, Attr::Colour, colour->Colour());
    SetStyleValue(s, Attr::Style, (StyleValue(&s, Attr::Style) & 8) | (bold->isChecked() ? 1 : 0) |
                                      (italic->isChecked() ? 2 : 0) | (underline->isChecked() ? 4 : 0));
    auto take = [&](QDoubleSpinBox* b, Attr a) { SetStyleValue(s, a, UnitToPixels(b->value(), u, ppi)); };
    take(indent, Attr::Indent);
    take(left, Attr::Left);
    take(right, Attr::Right);
    take(above, Attr::Above);
    take(below, Attr::Below);
    if (lineSpacing->isChecked()) take(lineHeight, Attr::LineHeight);
    SetStyleValue(s, Attr::Align, align->currentIndex());
    SetStyleValue(s, Attr::ListKind, listBullet->isChecked() ? 10 : 0);
    SetStyleValue(s, Attr::LinkStyle, (StyleValue(&s, Attr::LinkStyle) & 8) | (linkBold->isChecked() ? 1 : 0) |
                                          (linkItalic->isChecked() ? 2 : 0) | (linkUnderline->isChecked() ? 4 : 0));
    SetStyleValue(s, Attr::LinkColour, linkColour->Colour());
    if (linkSizeOn->isChecked()) SetStyleValue(s, Attr::LinkSize, linkSize->value());
}

void TFStili::UpdateExample() {
    const THQVoggetto* s = scratch_.get();
    QFont f(FromCp(StyleFace(s)));
    f.setPointSize(std::max(1, StyleValue(s, Attr::Size)));
    int st = StyleValue(s, Attr::Style);
    f.setBold(st & 1);
    f.setItalic(st & 2);
    f.setUnderline(st & 4);
    f.setStrikeOut(st & 8);
    example->setFont(f);
    QPalette p = example->palette();
    p.setColor(QPalette::WindowText, ToQColor(StyleValue(s, Attr::Colour)));
    p.setColor(QPalette::Window, Qt::white);
    example->setPalette(p);
    int a = StyleValue(s, Attr::Align);
    example->setAlignment((a == 1 ? Qt::AlignRight : a == 2 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    int ppi = set_.ScreenPixelsPerInch;
    auto px = [&](Attr at) { return int(std::lround(StyleValue(s, at) * 96.0 / std::max(1, ppi))); };
    example->setContentsMargins(std::max(0, px(Attr::Left)), std::max(0, px(Attr::Above)),
                                std::max(0, px(Attr::Right)), std::max(0, px(Attr::Below)));
    QString bullet = StyleValue(s, Attr::ListKind) == 10 ? QString::fromUtf8("\u2022 ") : QString();
    example->setText(bullet + "AaBbCc - Testo di esempio dello stile");
    // The sample page of the style view, shown anew in the style as it is now.
    styleView_->LoadStyle(*s);
    const int32_t page = styleView_->MainPageNumber();
    preview->ShowPage(styleView_->Set(), -1);
    preview->ShowPage(styleView_->Set(), page);
}

THQVoggetto* TFStili::Store() {
    THQVoggetto* s = StoreStyle(set_, *scratch_, modified_, ToCp(name->text()), history_);
    emit StyleStored();
    return s;
}

THQVoggetto* TFStili::Apply() {
    FromWidgets();
    THQVoggetto* s = Store();
    if (mode_ != Mode::Sheet) modified_ = s;
    changed_ = false;
    return s;
}

}  // namespace ovik::ui
