#include "ui/dialogs/page_properties.h"
#include "ui/translations.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "convert/hqv_to_txt.h"
#include "ui/dialogs/hypertext_options.h"

namespace ovik::ui {

std::string ScriptMetaText(const THQVtesto& page) {
    const Bytes* w = page.Wrapper();
    if (!w || w->size() < 4) return "";
    int32_t n = GetI32(w->data());
    if (n < 0 || size_t(n) > w->size() - 4) return "";
    size_t start = 4 + size_t(n);
    std::string text;
    THQVtoTxt txt;
    txt.PageText(w->data() + start, w->size() - start, text);
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lines += text[i];
    }
    return lines;
}

void SetScriptMetaText(THQVtesto& page, const std::string& lines) {
    // The leading block (int32 n and n bytes) holds the source name; it stays.
    Bytes lead{0, 0, 0, 0};
    if (const Bytes* w = page.Wrapper(); w && w->size() >= 4) {
        int32_t n = GetI32(w->data());
        if (n >= 0 && size_t(n) <= w->size() - 4) lead.assign(w->begin(), w->begin() + 4 + n);
    }
    bool blank = lines.find_first_not_of(" \t\r\n") == std::string::npos;
    if (blank) {
        if (GetI32(lead.data()) == 0)
            page.ClearWrapper();
        else
            page.SetWrapper(lead);
        return;
    }
    std::string markup;
    size_t pos = 0;
    while (pos <= lines.size()) {
        size_t end = lines.find('\n', pos);
        if (end == std::string::npos) end = lines.size();
        std::string_view line(lines.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        markup += "<Z S0 >";
        AppendEscapedLine(markup, line);
        pos = end + 1;
    }
    Bytes w = lead;
    w.insert(w.end(), markup.begin(), markup.end());
    w.push_back(0);
    page.SetWrapper(std::move(w));
}

PageProperties PageProperties::Read(const THQVtesto& p) {
    PageProperties o;
    o.title = p.Title();
    // A new page leaves the field's bytes 0xFF, and so do records of older
    // files: a length beyond the field's 40 characters means no name.
    o.extraHtmlName = p.U8(page_rec::kExtraHtmlName) > 40 ? std::string() : p.Str(page_rec::kExtraHtmlName, 40);
    o.scriptMeta = ScriptMetaText(p);
    o.textColour = p.I32(page_rec::kTextColour);
    o.linkColour = p.I32(page_rec::kLinkColour);
    o.visitedColour = p.I32(page_rec::kVisitedColour);
    o.backColour = p.I32(page_rec::kBackColour);
    o.backPicture = p.I32(page_rec::kBackPicture);
    o.fixedBackground = p.I32(page_rec::kFixedBackground) == 1;
    o.headerPage = p.I32(page_rec::kHeaderPage);
    o.footerPage = p.I32(page_rec::kFooterPage);
    o.inBrowseSequence = p.U8(page_rec::kOutsideBrowse) == 0;
    o.revision = p.I32(page_rec::kRevision);
    return o;
}

namespace {
// Header and footer fields: -2, -1 or a page that exists; anything else is -1.
int32_t HeaderValue(const THQVset* set, int32_t v, int32_t self) {
    if (v == -2 || v == -1) return v;
    THQVtesto* p = set ? set->Page(v) : nullptr;
    return p && !p->IsFree() && v != self ? v : -1;
}
}  // namespace

void PageProperties::Write(THQVtesto& p) const {
    THQVset* set = p.Owner();
    p.SetTitle(title);
    // A name of blanks only means no extra name.
    bool blank = extraHtmlName.find_first_not_of(' ') == std::string::npos;
    p.SetStr(page_rec::kExtraHtmlName, 40, blank ? std::string() : extraHtmlName);
    SetScriptMetaText(p, scriptMeta);
    p.SetI32(page_rec::kTextColour, textColour & 0xFFFFFF);
    p.SetI32(page_rec::kLinkColour, linkColour & 0xFFFFFF);
    p.SetI32(page_rec::kVisitedColour, visitedColour & 0xFFFFFF);
    p.SetI32(page_rec::kBackColour, backColour & 0xFFFFFF);
    THQVoggetto* pic = set && backPicture >= 0 ? set->GetObject(immagine, backPicture) : nullptr;
    p.SetI32(page_rec::kBackPicture, pic && !pic->IsFree() ? backPicture : -1);
    p.SetI32(page_rec::kFixedBackground, fixedBackground ? 1 : 0);
    p.SetI32(page_rec::kHeaderPage, HeaderValue(set, headerPage, p.Number()));
    p.SetI32(page_rec::kFooterPage, HeaderValue(set, footerPage, p.Number()));
    p.SetU8(page_rec::kOutsideBrowse, inBrowseSequence ? 0 : 1);
    if (set) set->SetModified(true);
}

TFPropTesto::TFPropTesto(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fproptesto", parent), set_(set) {
    setWindowTitle("Proprietà pagina");
    auto* tabs = new QTabWidget;
    tabs->setObjectName("schede");

    auto* general = new QWidget;
    auto* f = new QFormLayout(general);
    title = new QLineEdit;
    title->setMaxLength(71);
    extraHtmlName = new QLineEdit;
    extraHtmlName->setMaxLength(40);
    revision = new QLineEdit;
    revision->setReadOnly(true);
    revision->setMaximumWidth(100);
    headerPage = new QComboBox;
    footerPage = new QComboBox;
    inBrowseSequence = Named(new QCheckBox("Inserisci in sequenza << >>"), "csequenza");
    f->addRow(NamedLabel("&Titolo:", "ltitolo"), title);
    f->addRow(NamedLabel("&Intestazione:", "lintestazione"), headerPage);
    f->addRow(NamedLabel("&Piè di pagina:", "lpiede"), footerPage);
    f->addRow(NamedLabel("Nome Html &aggiuntivo:", "lnomehtml"), extraHtmlName);
    f->addRow(QString(), inBrowseSequence);
    f->addRow(NamedLabel("Numero di revisione", "lrevisione"), revision);
    SetBuddies(f);
    tabs->addTab(general, "Pagina");

    auto* look = new QWidget;
    auto* lf = new QFormLayout(look);
    textColour = new ColourButton;
    linkColour = new ColourButton;
    visitedColour = new ColourButton;
    backColour = new ColourButton;
    backPicture = new QComboBox;
    fixedBackground = Named(new QCheckBox("Sfondo &fisso"), "csfondofisso");
    lf->addRow(NamedLabel("Colore testo:", "lcoltesto"), textColour);
    lf->addRow(NamedLabel("Colore collegamenti:", "lcolcoll"), linkColour);
    lf->addRow(NamedLabel("Colore collegamenti visitati:", "lcolvisit"), visitedColour);
    lf->addRow(NamedLabel("Colore sfondo:", "lcolsfondo"), backColour);
    lf->addRow(NamedLabel("Immagine di &sfondo:", "limmsfondo"), backPicture);
    lf->addRow(QString(), fixedBackground);
    SetBuddies(lf);
    tabs->addTab(look, "Colori e sfondo");

    auto* script = new QWidget;
    auto* sv = new QVBoxLayout(script);
    scriptMeta = new QPlainTextEdit;
    scriptMeta->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    scriptMeta->setFont(mono);
    auto* sl = Named(new QLabel("Html aggiunto nell'intestazione (HEAD) della pagina:"), "lscript");
    sl->setBuddy(scriptMeta);
    sv->addWidget(sl);
    sv->addWidget(scriptMeta);
    tabs->addTab(script, "Script/Meta");

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs);
    v->addWidget(OkCancelBox(this, [this] { Apply(); }));
    resize(500, 380);
    FinishCreation();
}

bool TFPropTesto::Load(int32_t n) {
    THQVtesto* p = set_.Page(n);
    if (!p || p->IsFree()) {
        page_ = -1;
        return false;
    }
    page_ = n;
    PageProperties o = PageProperties::Read(*p);
    title->setText(FromCp(o.title));
    extraHtmlName->setText(FromCp(o.extraHtmlName));
    revision->setText(QString::number(o.revision));
    scriptMeta->setPlainText(FromCp(o.scriptMeta));
    textColour->SetColour(o.textColour);
    linkColour->SetColour(o.linkColour);
    visitedColour->SetColour(o.visitedColour);
    backColour->SetColour(o.backColour);
    FillPictureCombo(backPicture, set_);
    SelectData(backPicture, o.backPicture);
    fixedBackground->setChecked(o.fixedBackground);
    const std::vector<std::pair<QString, int>> lead{{"(nessuna)", -2}, {"Predefinita dell'ipertesto", -1}};
    FillPageCombo(headerPage, set_, lead);
    FillPageCombo(footerPage, set_, lead);
    SelectData(headerPage, o.headerPage);
    SelectData(footerPage, o.footerPage);
    if (headerPage->currentData().toInt() != o.headerPage) SelectData(headerPage, -1);
    if (footerPage->currentData().toInt() != o.footerPage) SelectData(footerPage, -1);
    inBrowseSequence->setChecked(o.inBrowseSequence);
    setWindowTitle(Tr("Proprietà pagina %1").arg(n));
    return true;
}

PageProperties TFPropTesto::Values() const {
    PageProperties o;
    o.title = ToCp(title->text());
    o.extraHtmlName = ToCp(extraHtmlName->text());
    o.scriptMeta = ToCp(scriptMeta->toPlainText());
    o.textColour = textColour->Colour();
    o.linkColour = linkColour->Colour();
    o.visitedColour = visitedColour->Colour();
    o.backColour = backColour->Colour();
    o.backPicture = backPicture->currentData().toInt();
    o.fixedBackground = fixedBackground->isChecked();
    o.headerPage = headerPage->currentData().toInt();
    o.footerPage = footerPage->currentData().toInt();
    o.inBrowseSequence = inBrowseSequence->isChecked();
    o.revision = revision->text().toInt();
    return o;
}

void TFPropTesto::Apply() {
    THQVtesto* p = set_.Page(page_);
    if (p && !p->IsFree()) Values().Write(*p);
}

}  // namespace ovik::ui
