#include "ui/dialogs/hypertext_options.h"
#include "ui/translations.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ovik::ui {

namespace {
bool NamesPage(const THQVset& set, int32_t n) {
    THQVtesto* p = set.Page(n);
    return p && !p->IsFree();
}
bool NamesPicture(const THQVset& set, int32_t n) {
    THQVoggetto* o = set.GetObject(immagine, n);
    return o && !o->IsFree();
}
}  // namespace

HypertextProperties HypertextProperties::Read(const THQVset& set) {
    HypertextProperties p;
    p.title = set.Title();
    p.authors = set.Authors();
    p.company = set.Company();
    p.copyright = set.Copyright();
    p.otherInfo = set.OtherInfo();
    p.expPrefix = set.ExpPrefix();
    p.password = set.HdrStr(hdr::kPassword, 16);
    p.readOnly = set.ReadOnlyFlag();
    p.revision = set.Revision();
    p.contentsPage = set.ContentsPage();
    p.coverPage = set.CoverPage();
    p.defaultHeader = set.HdrI32(hdr::kDefaultHeader);
    p.defaultFooter = set.HdrI32(hdr::kDefaultFooter);
    p.backColour = set.HdrI32(hdr::kBackColour);
    p.backPicture = set.HdrI32(hdr::kBackPicture);
    p.textColour = set.HdrI32(hdr::kTextColour);
    p.linkColour = set.HdrI32(hdr::kLinkColour);
    p.visitedColour = set.HdrI32(hdr::kVisitedColour);
    const auto& h = set.Header();
    p.btnContents = h[hdr::kBtnContents] == 1;
    p.btnSearch = h[hdr::kBtnSearch] == 1;
    p.btnGuide = h[hdr::kBtnGuide] == 1;
    p.btnCover = h[hdr::kBtnCoverInv] == 0;  // stored inverted
    p.noButtons = h[hdr::kNoButtons] == 1;
    p.spellLanguage = GetU16(&h[hdr::kSpellLanguage]);
    return p;
}

void HypertextProperties::Write(THQVset& set) const {
    set.SetTitle(title);
    set.SetHdrStr(hdr::kAuthors, 79, authors);
    set.SetHdrStr(hdr::kCompany, 79, company);
    set.SetHdrStr(hdr::kCopyright, 79, copyright);
    set.SetOtherInfo(otherInfo);
    set.SetExpPrefix(expPrefix);
    set.SetHdrStr(hdr::kPassword, 16, password);
    auto& h = set.Header();
    h[hdr::kReadOnly] = readOnly ? 1 : 0;
    set.SetHdrI32(hdr::kContentsPage, NamesPage(set, contentsPage) ? contentsPage : 0);
    set.SetHdrI32(hdr::kCoverPage, NamesPage(set, coverPage) ? coverPage : 0);
    set.SetHdrI32(hdr::kDefaultHeader, NamesPage(set, defaultHeader) ? defaultHeader : -1);
    set.SetHdrI32(hdr::kDefaultFooter, NamesPage(set, defaultFooter) ? defaultFooter : -1);
    set.SetHdrI32(hdr::kBackColour, backColour & 0xFFFFFF);
    set.SetHdrI32(hdr::kBackPicture, NamesPicture(set, backPicture) ? backPicture : -1);
    set.SetHdrI32(hdr::kTextColour, textColour & 0xFFFFFF);
    set.SetHdrI32(hdr::kLinkColour, linkColour & 0xFFFFFF);
    set.SetHdrI32(hdr::kVisitedColour, visitedColour & 0xFFFFFF);
    h[hdr::kBtnContents] = btnContents ? 1 : 0;
    h[hdr::kBtnSearch] = btnSearch ? 1 : 0;
    h[hdr::kBtnGuide] = btnGuide ? 1 : 0;
    h[hdr::kBtnCoverInv] = btnCover ? 0 : 1;
    h[hdr::kNoButtons] = noButtons ? 1 : 0;
    PutU16(&h[hdr::kSpellLanguage], uint16_t(spellLanguage));
    set.SetModified(true);
}

const std::vector<std::pair<int, const char*>>& SpellLanguages() {
    static const std::vector<std::pair<int, const char*>> list{
        {1040, "Italiano"}, {1033, "Inglese (USA)"}, {2057, "Inglese (GB)"}, {1036, "Francese"},
        {1031, "Tedesco"},  {3082, "Spagnolo"},      {2070, "Portoghese"}};
    return list;
}

void FillPageCombo(QComboBox* combo, const THQVset& set, const std::vector<std::pair<QString, int>>& leading) {
    combo->clear();
    for (auto& [text, data] : leading) AddMessageItem(combo, text, data);
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set.Page(n);
        if (p && !p->IsFree()) combo->addItem(QString("%1  %2").arg(n).arg(FromCp(p->Title())), n);
    }
}

void FillPictureCombo(QComboBox* combo, const THQVset& set) {
    combo->clear();
    AddMessageItem(combo, "(nessuna)", -1);
    for (int32_t n = 0; n < set.ObjectCount(immagine); ++n) {
        THQVoggetto* o = set.GetObject(immagine, n);
        if (o && !o->IsFree()) combo->addItem(FromCp(o->Name()) + "  (" + FromCp(o->FileName()) + ")", n);
    }
}

void SelectData(QComboBox* combo, int value) {
    int i = combo->findData(value);
    combo->setCurrentIndex(i < 0 ? 0 : i);
}

TFPropIper::TFPropIper(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fpropiper", parent), set_(set) {
    setWindowTitle("Proprietà dell'ipertesto");
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("schede");

    // General data.
    auto* general = new QWidget;
    auto* f = new QFormLayout(general);
    title = new QLineEdit;
    title->setMaxLength(79);
    authors = new QLineEdit;
    authors->setMaxLength(79);
    company = new QLineEdit;
    company->setMaxLength(79);
    copyright = new QLineEdit;
    copyright->setMaxLength(79);
    otherInfo = new QPlainTextEdit;
    revision = new QLineEdit;
    revision->setReadOnly(true);
    revision->setMaximumWidth(100);
    f->addRow(NamedLabel("&Titolo:", "ltitolo"), title);
    f->addRow(NamedLabel("&Autori:", "lautori"), authors);
    f->addRow(NamedLabel("&Società:", "lsocieta"), company);
    f->addRow(NamedLabel("&Copyright:", "lcopyright"), copyright);
    f->addRow(NamedLabel("Altre &informazioni:", "laltre"), otherInfo);
    f->addRow(NamedLabel("Versione:", "lversione"), revision);
    SetBuddies(f);
    tabs->addTab(general, "Generale");

    // Pages and the defaults of new pages.
    auto* pages = new QWidget;
    auto* pf = new QFormLayout(pages);
    contentsPage = new QComboBox;
    coverPage = new QComboBox;
    defaultHeader = new QComboBox;
    defaultFooter = new QComboBox;
    backPicture = new QComboBox;
    backColour = new ColourButton;
    textColour = new ColourButton;
    linkColour = new ColourButton;
    visitedColour = new ColourButton;
    pf->addRow(NamedLabel("Pagina &sommario:", "lsommario"), contentsPage);
    pf->addRow(NamedLabel("Pagina di c&opertina:", "lcopertina"), coverPage);
    pf->addRow(NamedLabel("&Intestazione predefinita:", "lintestazione"), defaultHeader);
    pf->addRow(NamedLabel("&Piè di pagina predefinito:", "lpiede"), defaultFooter);
    auto* newPages = new QGroupBox("Nuove pagine");
    newPages->setObjectName("gnuove");
    auto* nf = new QFormLayout(newPages);
    nf->addRow(NamedLabel("Colore sfondo:", "lsfondo"), backColour);
    nf->addRow(NamedLabel("Immagine di sfondo:", "limmsfondo"), backPicture);
    nf->addRow(NamedLabel("Colore testo:", "ltesto"), textColour);
    nf->addRow(NamedLabel("Colore collegamenti:", "lcollegamenti"), linkColour);
    nf->addRow(NamedLabel("Colore collegamenti visitati:", "lvisitati"), visitedColour);
    pf->addRow(newPages);
    SetBuddies(pf);
    SetBuddies(nf);
    tabs->addTab(pages, "Pagine");

    // Publishing, protection and language.
    auto* other = new QWidget;
    auto* of = new QFormLayout(other);
    expPrefix = new QLineEdit;
    expPrefix->setMaxLength(16);
    readOnly = Named(new QCheckBox("Solo &lettura"), "csololettura");
    password = new QLineEdit;
    password->setMaxLength(16);
    password->setEchoMode(QLineEdit::Password);
    language = new QComboBox;
    for (auto& [id, name] : SpellLanguages()) AddMessageItem(language, QString("%1 (%2)").arg(name).arg(id), id);
    of->addRow(NamedLabel("&Prefisso export:", "lprefisso"), expPrefix);
    of->addRow(QString(), readOnly);
    of->addRow(NamedLabel("Pass&word:", "lpassword"), password);
    of->addRow(NamedLabel("Lingua &ortografia:", "llingua"), language);
    auto* buttons = new QGroupBox("Pulsanti del server");
    buttons->setObjectName("gpulsanti");
    auto* bl = new QGridLayout(buttons);
    btnContents = Named(new QCheckBox("Sommario"), "csommario");
    btnSearch = Named(new QCheckBox("Cerca"), "ccerca");
    btnGuide = Named(new QCheckBox("Guida"), "cguida");
    btnCover = Named(new QCheckBox("Copertina"), "ccopertina");
    noButtons = Named(new QCheckBox("Nessun pulsante"), "cnessuno");
    bl->addWidget(btnContents, 0, 0);
    bl->addWidget(btnSearch, 0, 1);
    bl->addWidget(btnGuide, 1, 0);
    bl->addWidget(btnCover, 1, 1);
    bl->addWidget(noButtons, 2, 0, 1, 2);
    of->addRow(buttons);
    SetBuddies(of);
    tabs->addTab(other, "Pubblicazione");
    connect(readOnly, &QCheckBox::toggled, password, &QWidget::setEnabled);
    connect(noButtons, &QCheckBox::toggled, this, [this](bool none) {
        for (QCheckBox* b : {btnContents, btnSearch, btnGuide, btnCover}) b->setEnabled(!none);
    });

    auto* box = OkCancelBox(this, [this] { Apply(); });
    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs);
    v->addWidget(box);
    resize(520, 460);
    FinishCreation();
    Load();
}

void TFPropIper::Load() {
    HypertextProperties p = HypertextProperties::Read(set_);
    title->setText(FromCp(p.title));
    authors->setText(FromCp(p.authors));
    company->setText(FromCp(p.company));
    copyright->setText(FromCp(p.copyright));
    otherInfo->setPlainText(FromCp(p.otherInfo).replace("\r\n", "\n"));
    revision->setText(QString::number(p.revision));
    FillPageCombo(contentsPage, set_);
    FillPageCombo(coverPage, set_);
    FillPageCombo(defaultHeader, set_, {{"(nessuna)", -1}});
    FillPageCombo(defaultFooter, set_, {{"(nessuno)", -1}});
    SelectData(contentsPage, p.contentsPage);
    SelectData(coverPage, p.coverPage);
    SelectData(defaultHeader, p.defaultHeader);
    SelectData(defaultFooter, p.defaultFooter);
    FillPictureCombo(backPicture, set_);
    SelectData(backPicture, p.backPicture);
    backColour->SetColour(p.backColour);
    textColour->SetColour(p.textColour);
    linkColour->SetColour(p.linkColour);
    visitedColour->SetColour(p.visitedColour);
    expPrefix->setText(FromCp(p.expPrefix));
    readOnly->setChecked(p.readOnly);
    password->setText(FromCp(p.password));
    password->setEnabled(p.readOnly);
    int li = language->findData(p.spellLanguage);
    if (li < 0) {
        language->addItem(QString::number(p.spellLanguage), p.spellLanguage);
        li = language->count() - 1;
    }
    language->setCurrentIndex(li);
    btnContents->setChecked(p.btnContents);
    btnSearch->setChecked(p.btnSearch);
    btnGuide->setChecked(p.btnGuide);
    btnCover->setChecked(p.btnCover);
    noButtons->setChecked(p.noButtons);
    for (QCheckBox* b : {btnContents, btnSearch, btnGuide, btnCover}) b->setEnabled(!p.noButtons);
}

HypertextProperties TFPropIper::Values() const {
    HypertextProperties p;
    p.title = ToCp(title->text());
    p.authors = ToCp(authors->text());
    p.company = ToCp(company->text());
    p.copyright = ToCp(copyright->text());
    p.otherInfo = ToCp(otherInfo->toPlainText().replace("\n", "\r\n"));
    p.expPrefix = ToCp(expPrefix->text());
    p.password = ToCp(password->text());
    p.readOnly = readOnly->isChecked();
    p.revision = revision->text().toInt();
    p.contentsPage = contentsPage->currentData().toInt();
    p.coverPage = coverPage->currentData().toInt();
    p.defaultHeader = defaultHeader->currentData().toInt();
    p.defaultFooter = defaultFooter->currentData().toInt();
    p.backPicture = backPicture->currentData().toInt();
    p.backColour = backColour->Colour();
    p.textColour = textColour->Colour();
    p.linkColour = linkColour->Colour();
    p.visitedColour = visitedColour->Colour();
    p.btnContents = btnContents->isChecked();
    p.btnSearch = btnSearch->isChecked();
    p.btnGuide = btnGuide->isChecked();
    p.btnCover = btnCover->isChecked();
    p.noButtons = noButtons->isChecked();
    p.spellLanguage = language->currentData().toInt();
    return p;
}

}  // namespace ovik::ui
