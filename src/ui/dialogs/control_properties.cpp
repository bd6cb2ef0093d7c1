#include "ui/dialogs/control_properties.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "page/placed_controls.h"
#include "page/placed_forms.h"

namespace ovik::ui {

namespace {

std::string MultiLine(const QString& s) {
    // The window shows line feeds; records and contents keep CR LF.
    std::string out;
    for (char c : ToCp(s)) {
        if (c == '\r') continue;
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

Bytes ContentBytes(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

}  // namespace

TFPropControllo::TFPropControllo(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fpropcontrollo", parent), set_(set) {
    setWindowTitle("Proprietà oggetto");
    auto* v = new QVBoxLayout(this);
    form_ = new QFormLayout;
    auto spin = [](const char* objectName, int lo, int hi) {
        auto* s = Named(new QSpinBox, objectName);
        s->setRange(lo, hi);
        return s;
    };
    name = Named(new QLineEdit, "enome");
    form_->addRow(NamedLabel("&Nome:", "lnome"), name);
    value = Named(new QLineEdit, "evalore");
    form_->addRow(NamedLabel("&Valore:", "lvalore"), value);
    caption = Named(new QLineEdit, "edidascalia");
    form_->addRow(NamedLabel("&Didascalia:", "ldidascalia"), caption);
    buttonKind = Named(new QComboBox, "cbtipobottone");
    buttonKind->addItems({"di immissione", "immagine", "di cancellazione dati"});
    form_->addRow(NamedLabel("&Tipo:", "ltipobottone"), buttonKind);
    picture = Named(new QComboBox, "cbimmagine");
    form_->addRow(NamedLabel("&Immagine:", "limmagine"), picture);
    widthChars = spin("ecaratteri", 1, 255);
    form_->addRow(NamedLabel("&Larghezza (caratteri):", "lcaratteri"), widthChars);
    columns = spin("ecolonne", 1, 255);
    form_->addRow(NamedLabel("&Colonne:", "lcolonne"), columns);
    rows = spin("erighe", 1, 255);
    form_->addRow(NamedLabel("&Righe:", "lrighe"), rows);
    showInitial = Named(new QCheckBox("Visualizza contenuto iniziale"), "cvisualizza");
    form_->addRow(showInitial);
    checked = Named(new QCheckBox("&Selezionato"), "cselezionato");
    form_->addRow(checked);
    multiple = Named(new QCheckBox("Selezione &multipla"), "cmultipla");
    form_->addRow(multiple);
    action = Named(new QLineEdit, "eazione");
    form_->addRow(NamedLabel("&Azione:", "lazione"), action);
    method = Named(new QComboBox, "cbmetodo");
    method->addItems({"GET", "POST", "Invio per posta"});
    form_->addRow(NamedLabel("&Metodo:", "lmetodo"), method);
    hasEncoding = Named(new QCheckBox("&Codifica:"), "ccodifica");
    encoding = Named(new QLineEdit, "ecodifica");
    form_->addRow(hasEncoding, encoding);
    mediaFile = Named(new QComboBox, "cbfile");
    auto* fromFile = Named(new QPushButton("&Da file..."), "bdafile");
    auto* fileRow = new QWidget;
    auto* fileLayout = new QHBoxLayout(fileRow);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileLayout->addWidget(mediaFile, 1);
    fileLayout->addWidget(fromFile);
    form_->addRow(NamedLabel("&File:", "lfile"), fileRow);
    connect(fromFile, &QPushButton::clicked, this, [this] { AddFromFile(); });
    cyclic = Named(new QCheckBox("Azione ciclica"), "cciclica");
    form_->addRow(cyclic);
    loops = spin("eripetizioni", -1, 32767);
    form_->addRow(NamedLabel("&Ripetizioni (-1 = infiniti):", "lripetizioni"), loops);
    page = Named(new QComboBox, "cbpagina");
    form_->addRow(NamedLabel("&Pagina:", "lpagina"), page);
    target = Named(new QComboBox, "cbdestinazione");
    target->addItems({"_top", "_self", "_parent", "_blank"});
    form_->addRow(NamedLabel("D&estinazione:", "ldestinazione"), target);
    showFrames = Named(new QCheckBox("Mostra frames"), "cmostraframes");
    form_->addRow(showFrames);
    width = spin("elarghezza", 1, 32767);
    form_->addRow(NamedLabel("L&arghezza:", "llarghezza"), width);
    height = spin("ealtezza", 1, 32767);
    form_->addRow(NamedLabel("Al&tezza:", "laltezza"), height);
    percent = Named(new QCheckBox("in &percentuale"), "cpercento");
    form_->addRow(percent);
    anchor = spin("eancora", 0, 1000000);
    form_->addRow(NamedLabel("&Ancora:", "lancora"), anchor);
    text = Named(new QPlainTextEdit, "mtesto");
    form_->addRow(NamedLabel("Te&sto:", "ltesto"), text);
    // The link's description changes with the link: no language block names it.
    linkText = new QLabel;
    chooseLink = Named(new QPushButton("Sce&gli..."), "bcollega");
    noLink = Named(new QPushButton("Nessu&no"), "bnessuno");
    auto* linkRow = new QWidget;
    auto* linkLayout = new QHBoxLayout(linkRow);
    linkLayout->setContentsMargins(0, 0, 0, 0);
    linkLayout->addWidget(linkText, 1);
    linkLayout->addWidget(chooseLink);
    linkLayout->addWidget(noLink);
    form_->addRow(NamedLabel("C&ollegamento:", "lcollegamento"), linkRow);
    connect(chooseLink, &QPushButton::clicked, this, [this] {
        if (!askLink) return;
        const int32_t v = askLink();
        if (v != -2) SetLinkValue(v);
    });
    connect(noLink, &QPushButton::clicked, this, [this] { SetLinkValue(-1); });
    v->addLayout(form_);
    v->addWidget(OkCancelBox(this, {}));
    SetBuddies(form_);
    askMediaFile = [this] {
        return QFileDialog::getOpenFileName(this, "Animazione/suono", {},
                                            "Suoni e video (*.wav *.mid *.mp3 *.avi *.mpg *.ogg);;Tutti (*)");
    };
    FinishCreation();
}

void TFPropControllo::SetLinkValue(int32_t value) {
    link_ = value < 0 ? -1 : value;
    QString shown = describeLink && link_ >= 0 ? describeLink(link_) : QString();
    linkText->setText(shown.isEmpty() ? QString("(nessuno)") : shown);
    noLink->setEnabled(link_ >= 0);
}

void TFPropControllo::ShowRow(QWidget* field, bool on) {
    if (field == encoding) {
        form_->setRowVisible(encoding, on);
        return;
    }
    QWidget* w = field == mediaFile || field == linkText ? field->parentWidget() : field;
    form_->setRowVisible(w, on);
}

void TFPropControllo::FillObjects(QComboBox* box, uint8_t kind, const QString& none, int32_t chosen,
                                  const std::function<int32_t(const THQVoggetto&)>& dataOf,
                                  const std::function<QString(const THQVoggetto&)>& textOf) {
    box->clear();
    if (!none.isEmpty()) box->addItem(none, -1);
    for (int32_t n = 0; n < set_.ObjectCount(kind); ++n) {
        const THQVoggetto* o = set_.GetObject(kind, n);
        if (o && !o->IsFree()) box->addItem(textOf(*o), dataOf(*o));
    }
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
}

void TFPropControllo::FillFiles(int32_t chosen) {
    FillObjects(mediaFile, genLink, "(nessuno)", chosen, [](const THQVoggetto& o) { return o.Id(); },
                [](const THQVoggetto& o) { return FromCp(o.FileName()); });
}

void TFPropControllo::AddFromFile() {
    const QString path = askMediaFile ? askMediaFile() : QString();
    if (path.isEmpty()) return;
    if (THQVoggetto* f = set_.AddEmbeddedFile(path.toStdString())) FillFiles(f->Id());
}

void TFPropControllo::Load(const THQVoggetto& o) {
    kind_ = o.Kind();
    subtype_ = o.State();
    const ControlClass cls = ControlClassOf(o);
    const bool form = kind_ == inputStat || kind_ == inputDin;
    const bool floating = cls == ControlClass::Floating;
    const bool media = kind_ == multiMedia;
    const bool markerText = kind_ == shortObj && (subtype_ == 10 || subtype_ == 11 || subtype_ == 12 ||
                                                   subtype_ == 27 || subtype_ == 28);
    ShowRow(name, (form || kind_ == bottoneCGI || kind_ == dbloc));
    ShowRow(value, kind_ == inputStat && !floating && cls != ControlClass::Memo && cls != ControlClass::ListBox &&
                       cls != ControlClass::ComboBox);
    ShowRow(caption, kind_ == bottoneCGI);
    // Buttons and link launchers follow a link.
    const bool launcher = kind_ == shortObj && subtype_ == 13;
    ShowRow(linkText, kind_ == bottoneCGI || launcher);
    SetLinkValue(kind_ == bottoneCGI ? o.I32(button_rec::kLink) : launcher ? o.I32(marker_rec::kTarget) : -1);
    ShowRow(buttonKind, kind_ == bottoneCGI);
    ShowRow(picture, kind_ == bottoneCGI || media);
    ShowRow(widthChars, cls == ControlClass::Edit || cls == ControlClass::ListBox);
    ShowRow(columns, cls == ControlClass::Memo);
    ShowRow(rows, cls == ControlClass::Memo);
    ShowRow(showInitial, kind_ == inputStat && (cls == ControlClass::Edit || cls == ControlClass::Memo));
    ShowRow(checked, cls == ControlClass::RadioButton || cls == ControlClass::CheckBox);
    ShowRow(multiple, kind_ == inputStat && cls == ControlClass::ListBox);
    ShowRow(action, kind_ == inizioForm);
    ShowRow(method, kind_ == inizioForm);
    ShowRow(encoding, kind_ == inizioForm);
    ShowRow(mediaFile, media && subtype_ <= 5);
    ShowRow(cyclic, media && subtype_ <= 4);
    ShowRow(loops, media && subtype_ <= 4);
    const bool catalogue = kind_ == shortObj && subtype_ == 15;
    ShowRow(page, floating || catalogue);
    ShowRow(target, floating);
    ShowRow(showFrames, floating);
    ShowRow(width, floating || (media && subtype_ >= 3 && subtype_ <= 5));
    ShowRow(height, floating || (media && subtype_ >= 3 && subtype_ <= 5));
    ShowRow(percent, floating || (media && subtype_ >= 3 && subtype_ <= 5));
    ShowRow(anchor, kind_ == shortObj && subtype_ == 14);
    ShowRow(text, markerText || (kind_ == inputStat && (cls == ControlClass::Memo || cls == ControlClass::ListBox ||
                                                        cls == ControlClass::ComboBox)));

    if (form || kind_ == bottoneCGI) name->setText(FromCp(o.Str(form_rec::kName, form_rec::kNameLen)));
    if (kind_ == dbloc) name->setText(FromCp(o.Str(media_rec::kDbName, media_rec::kDbNameLen)));
    value->setText(FromCp(o.Str(form_rec::kValue, form_rec::kValueLen)));
    caption->setText(FromCp(o.Str(button_rec::kCaption, button_rec::kCaptionLen)));
    buttonKind->setCurrentIndex(std::clamp(int(subtype_) - 1, 0, 2));
    FillObjects(picture, immagine, "(nessuna)",
                kind_ == bottoneCGI                   ? o.I32(button_rec::kPicture)
                : o.I32(media_rec::kAltPicture) < 0 ? -1
                                                      : IdNumber(o.I32(media_rec::kAltPicture)),
                [](const THQVoggetto& p) { return p.Number(); },
                [](const THQVoggetto& p) { return FromCp(p.Name().empty() ? p.FileName() : p.Name()); });
    widthChars->setValue(std::max<int>(1, o.U8(form_rec::kWidthChars)));
    columns->setValue(std::max<int>(1, o.U8(form_rec::kColumns)));
    rows->setValue(std::max<int>(1, o.U8(form_rec::kRows)));
    showInitial->setChecked(o.U8(form_rec::kShowInitial) == 1);
    checked->setChecked(o.U8(form_rec::kChecked) != 0);
    multiple->setChecked(o.U8(form_rec::kMultiple) != 0);
    action->setText(FromCp(o.Str(formstart_rec::kAction, formstart_rec::kActionLen)));
    method->setCurrentIndex(subtype_ == formstart_rec::kPost ? 1 : subtype_ == formstart_rec::kMail ? 2 : 0);
    hasEncoding->setChecked(o.U8(formstart_rec::kHasEncoding) == 1);
    encoding->setText(FromCp(o.Str(formstart_rec::kEncoding, formstart_rec::kEncodingLen)));
    FillFiles(o.I32(media_rec::kFile));
    cyclic->setChecked(o.U8(media_rec::kCyclic) == 1);
    loops->setValue(o.I16(media_rec::kLoops));
    FillObjects(page, testoHtml, {},
                floating && o.I32(form_rec::kPage) >= 0 ? IdNumber(o.I32(form_rec::kPage))
                : catalogue                             ? std::max(0, o.I32(marker_rec::kTarget))
                                                        : 0,
                [](const THQVoggetto& p) { return p.Number(); },
                [](const THQVoggetto& p) { return QString("%1 %2").arg(p.Number()).arg(FromCp(p.Name())); });
    target->setCurrentIndex(std::clamp<int>(o.U8(form_rec::kTarget), 0, 3));
    showFrames->setChecked(o.U8(form_rec::kShowFrames) != 0);
    if (floating) {
        width->setValue(std::max<int>(1, o.I16(form_rec::kWidth)));
        height->setValue(std::max<int>(1, o.I16(form_rec::kHeight)));
        percent->setChecked(o.U8(form_rec::kUnit) == 1);
    } else {
        width->setValue(std::max<int>(1, o.I16(media_rec::kWidth)));
        height->setValue(std::max<int>(1, o.I16(media_rec::kHeight)));
        percent->setChecked(o.U8(media_rec::kPercent) == 1);
    }
    anchor->setValue(std::max(0, o.I32(marker_rec::kTarget)));
    QString t = QString::fromStdString(std::string());
    if (text->isVisibleTo(this) || markerText || kind_ == inputStat) {
        std::string content = ContentText(o);
        std::string shown;
        for (char c : content)
            if (c != '\r') shown += c;
        t = FromCp(shown);
    }
    text->setPlainText(t);
    adjustSize();
}

void TFPropControllo::Apply(THQVoggetto& o) const {
    const ControlClass cls = ControlClassOf(o);
    const bool floating = cls == ControlClass::Floating;
    switch (o.Kind()) {
        case inputStat:
        case inputDin:
            o.SetStr(form_rec::kName, form_rec::kNameLen, ToCp(name->text()));
            if (floating) {
                o.SetI32(form_rec::kPage, MakeId(testoHtml, page->currentData().toInt()));
                o.SetU8(form_rec::kTarget, uint8_t(target->currentIndex()));
                o.SetU8(form_rec::kShowFrames, showFrames->isChecked() ? 1 : 0);
                o.SetI16(form_rec::kWidth, int16_t(width->value()));
                o.SetI16(form_rec::kHeight, int16_t(height->value()));
                o.SetU8(form_rec::kUnit, percent->isChecked() ? 1 : 0);
                break;
            }
            if (cls == ControlClass::Memo) {
                o.SetU8(form_rec::kColumns, uint8_t(columns->value()));
                o.SetU8(form_rec::kRows, uint8_t(rows->value()));
            }
            if (cls == ControlClass::Edit || cls == ControlClass::ListBox)
                o.SetU8(form_rec::kWidthChars, uint8_t(widthChars->value()));
            if (o.Kind() != inputStat) break;
            if (cls != ControlClass::Memo && cls != ControlClass::ListBox && cls != ControlClass::ComboBox)
                o.SetStr(form_rec::kValue, form_rec::kValueLen, ToCp(value->text()));
            if (cls == ControlClass::Edit || cls == ControlClass::Memo)
                o.SetU8(form_rec::kShowInitial, showInitial->isChecked() ? 1 : 0);
            if (cls == ControlClass::RadioButton || cls == ControlClass::CheckBox)
                o.SetU8(form_rec::kChecked, checked->isChecked() ? 1 : 0);
            if (cls == ControlClass::ListBox) o.SetU8(form_rec::kMultiple, multiple->isChecked() ? 1 : 0);
            if (cls == ControlClass::Memo || cls == ControlClass::ListBox || cls == ControlClass::ComboBox) {
                std::string t = MultiLine(text->toPlainText());
                if (cls != ControlClass::Memo && !t.empty() && t.size() >= 2 && t.substr(t.size() - 2) != "\r\n")
                    t += "\r\n";
                if (t.empty()) o.ClearContent();
                else o.SetContent(ContentBytes(t));
            }
            break;
        case bottoneCGI:
            o.SetState(uint8_t(buttonKind->currentIndex() + 1));
            o.SetStr(button_rec::kName, button_rec::kNameLen, ToCp(name->text()));
            o.SetStr(button_rec::kCaption, button_rec::kCaptionLen, ToCp(caption->text()));
            o.SetI32(button_rec::kPicture, picture->currentData().toInt());
            o.SetI32(button_rec::kLink, link_);
            break;
        case inizioForm:
            o.SetState(method->currentIndex() == 1 ? formstart_rec::kPost
                       : method->currentIndex() == 2 ? formstart_rec::kMail
                                                     : formstart_rec::kGet);
            o.SetStr(formstart_rec::kAction, formstart_rec::kActionLen, ToCp(action->text()));
            o.SetU8(formstart_rec::kHasEncoding, hasEncoding->isChecked() ? 1 : 0);
            o.SetStr(formstart_rec::kEncoding, formstart_rec::kEncodingLen, ToCp(encoding->text()));
            break;
        case multiMedia: {
            const int32_t pic = picture->currentData().toInt();
            o.SetI32(media_rec::kAltPicture, pic < 0 ? -1 : MakeId(immagine, pic));
            if (o.State() <= 5) o.SetI32(media_rec::kFile, mediaFile->currentData().toInt());
            if (o.State() <= 4) {
                o.SetU8(media_rec::kCyclic, cyclic->isChecked() ? 1 : 0);
                o.SetI16(media_rec::kLoops, int16_t(loops->value()));
            }
            if (o.State() >= 3 && o.State() <= 5) {
                o.SetI16(media_rec::kWidth, int16_t(width->value()));
                o.SetI16(media_rec::kHeight, int16_t(height->value()));
                o.SetU8(media_rec::kPercent, percent->isChecked() ? 1 : 0);
            }
            break;
        }
        case dbloc: o.SetStr(media_rec::kDbName, media_rec::kDbNameLen, ToCp(name->text())); break;
        case shortObj:
            if (o.State() == 14) {
                o.SetI32(marker_rec::kTarget, anchor->value());
            } else if (o.State() == 15) {
                o.SetI32(marker_rec::kTarget, page->currentData().toInt());
            } else if (o.State() == 13) {
                o.SetI32(marker_rec::kTarget, link_);
            } else if (o.State() == 10 || o.State() == 11 || o.State() == 12 || o.State() == 27 ||
                       o.State() == 28) {
                const std::string t = MultiLine(text->toPlainText());
                if (t.empty()) o.ClearContent();
                else o.SetContent(ContentBytes(t));
            }
            break;
        default: break;
    }
}

}  // namespace ovik::ui
