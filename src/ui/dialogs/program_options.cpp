#include "ui/dialogs/program_options.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/hypertext_options.h"
#include "ui/translations.h"

namespace ovik::ui {

namespace {
std::string Key(const char* section, const char* name) { return std::string(section) + "\\" + name; }
}  // namespace

const std::vector<OptionRow>& OptionTable() {
    using K = OptionKind;
    static const std::vector<OptionRow> rows{
        {"options", "FormLim", K::Number, 3, 3, 99, "Finestre di dialogo tenute in memoria:"},
        {"options", "maxCacheImg", K::Number, 20, 1, 9999, "Immagini nella cache:"},
        {"options", "undoDeep", K::Number, 20, 1, 9999, "Livelli di undo:"},
        {"options", "TimeSave", K::Number, 5, 1, 9999, "Minuti tra i promemoria:"},
        {"options", "DefaultLib", K::Text, 0, 0, 0, "Libreria dei componenti (.cus):"},
        {"orto", "lang", K::Number, 1040, 0, 65535, "Lingua:"},
        {"options", "PromemSave", K::Flag, 0, 0, 0, "Promemoria di salvataggio"},
        {"options", "Bak", K::FlagOnByDefault, 1, 0, 0, "Copia di sicurezza (.bak) al salvataggio"},
        {"options", "Virgolette", K::Flag, 0, 0, 0, "Virgolette tipografiche"},
        {"options", "Alt", K::Flag, 0, 0, 0, "Nome dell'immagine come testo alternativo"},
        {"options", "AtStartBlank", K::Flag, 0, 0, 0, "All'avvio un nuovo ipertesto"},
        {"options", "autoHideTip", K::Flag, 0, 0, 0, "Non mostrare i suggerimenti all'avvio"},
        {"options", "NotSaveTool", K::InvertedFlag, 0, 0, 0, "Ripristina le toolbars all'avvio"},
        {"options", "BordoSx", K::Flag, 0, 0, 0, "Pannello sul bordo sinistro"},
        {"options", "CercaTop", K::Flag, 0, 0, 0, "Finestra di ricerca in primo piano"},
        {"orto", "auto", K::FlagOnByDefault, 1, 0, 0, "Evidenzia automaticamente gli errori"},
        {"orto", "userDic", K::FlagOnByDefault, 1, 0, 0, "Usa il dizionario utente"},
        {"orto", "caps", K::FlagOnByDefault, 1, 0, 0, "Ignora maiuscole"},
        {"orto", "roman", K::FlagOnByDefault, 1, 0, 0, "Ignora numeri romani"},
        {"orto", "start", K::Flag, 0, 0, 0, "Trova frasi con inizio errato"},
        {"orto", "repeat", K::Flag, 0, 0, 0, "Trova parole ripetute"},
        {"orto", "point", K::Flag, 0, 0, 0, "Trova punteggiatura errata"},
        {"orto", "rate", K::Flag, 0, 0, 0, "Suggerisci frequenza"},
        {"orto", "progr", K::FlagOnByDefault, 1, 0, 0, "Mostra finestra di progresso ricerca, se non ci sono errori"},
        {"options", "DBdebug", K::Flag, 0, 0, 0, "DBdebug"},
        {"options", "DBdebugMap", K::Flag, 0, 0, 0, "DBdebugMap"},
    };
    return rows;
}

ProgramOptions ProgramOptions::Load(const app::AppSettings& s) {
    ProgramOptions o;
    for (const OptionRow& r : OptionTable()) {
        std::string v = s.ReadSetting(r.section, r.name);
        std::string out;
        switch (r.kind) {
            case OptionKind::Flag: out = v == "1" ? "1" : "0"; break;
            case OptionKind::FlagOnByDefault: out = v == "0" ? "0" : "1"; break;
            case OptionKind::InvertedFlag: out = v == "0" ? "0" : (v.empty() ? "" : v); break;
            case OptionKind::Number: {
                int n = app::SettingNumber(v, r.def);
                if (n < r.min || n > r.max) n = n < r.min && std::string(r.name) == "FormLim" ? r.min : r.def;
                out = std::to_string(n);
                break;
            }
            case OptionKind::Text: out = v; break;
        }
        o.values[Key(r.section, r.name)] = out;
    }
    return o;
}

void ProgramOptions::Save(app::AppSettings& s) const {
    for (const OptionRow& r : OptionTable()) {
        auto it = values.find(Key(r.section, r.name));
        if (it != values.end()) s.WriteSetting(r.section, r.name, it->second);
    }
}

std::string ProgramOptions::Get(const char* section, const char* name) const {
    auto it = values.find(Key(section, name));
    return it == values.end() ? std::string() : it->second;
}

void ProgramOptions::Set(const char* section, const char* name, const std::string& v) {
    values[Key(section, name)] = v;
}

TFOpzioni::TFOpzioni(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "fopzioni", parent) {
    setWindowTitle("Opzioni del programma");
    auto* values = new QGroupBox("Valori");
    values->setObjectName("gvalori");
    auto* form = new QFormLayout(values);
    auto* flags = new QGroupBox("Impostazioni");
    flags->setObjectName("gimpostazioni");
    auto* grid = new QGridLayout(flags);
    int flagCount = 0;
    // The spelling part: its check boxes show only while the checker is open.
    auto* spelling = Named(new QGroupBox("Ortografia"), "gortografia");
    auto* spellLayout = new QVBoxLayout(spelling);
    spellBoxes_ = new QWidget;
    auto* spellForm = new QFormLayout;
    auto* spellGrid = new QGridLayout;
    auto* sv = new QVBoxLayout(spellBoxes_);
    sv->setContentsMargins(0, 0, 0, 0);
    sv->addLayout(spellForm);
    sv->addLayout(spellGrid);
    spellMissing_ = NamedLabel("Il correttore ortografico non è disponibile su questo sistema (nessun dizionario "
                               "installato), o non funziona correttamente.",
                               "lnoorto");
    spellMissing_->setWordWrap(true);
    spellLayout->addWidget(spellBoxes_);
    spellLayout->addWidget(spellMissing_);
    int spellFlags = 0;
    // The interface language: each language named in its own words, so the
    // items are not translated.
    language_ = Named(new QComboBox, "olanguage");
    language_->setProperty("documentItems", true);
    language_->addItem("Italiano", int(app::InterfaceLanguage::Italian));
    language_->addItem("English", int(app::InterfaceLanguage::English));
    form->addRow(NamedLabel("Lingua dell'interfaccia:", "llanguage", language_), language_);
    for (const OptionRow& r : OptionTable()) {
        const bool orto = std::string(r.section) == "orto";
        std::string key = Key(r.section, r.name);
        QString objName = QString("o%1%2").arg(r.section, r.name).toLower();
        QWidget* field = nullptr;
        switch (r.kind) {
            case OptionKind::Number:
                if (std::string(r.name) == "lang") {
                    auto* c = new QComboBox;
                    for (auto& [id, name] : SpellLanguages()) AddMessageItem(c, QString("%1 (%2)").arg(name).arg(id), id);
                    field = c;
                } else {
                    auto* sp = new QSpinBox;
                    sp->setRange(r.min, r.max);
                    field = sp;
                }
                break;
            case OptionKind::Text: {
                auto* w = new QWidget;
                auto* h = new QHBoxLayout(w);
                h->setContentsMargins(0, 0, 0, 0);
                auto* e = new QLineEdit;
                auto* b = new QToolButton;
                b->setText("...");
                h->addWidget(e, 1);
                h->addWidget(b);
                connect(b, &QToolButton::clicked, this, [this, e] {
                    QString f = QFileDialog::getOpenFileName(this, Tr("Libreria dei componenti"), e->text(),
                                                             Tr("Librerie (*.cus);;Tutti i files (*)"));
                    if (!f.isEmpty()) e->setText(f);
                });
                fields_[key] = e;
                form->addRow(NamedLabel(r.label, qPrintable("l" + objName), e), w);
                continue;
            }
            default: {
                auto* c = new QCheckBox(r.label);
                c->setObjectName(objName);
                if (orto) {
                    spellGrid->addWidget(c, spellFlags / 2, spellFlags % 2);
                    ++spellFlags;
                } else {
                    grid->addWidget(c, flagCount / 2, flagCount % 2);
                    ++flagCount;
                }
                fields_[key] = c;
                continue;
            }
        }
        auto* label = new QLabel(r.label);
        label->setObjectName("l" + objName);
        (orto ? spellForm : form)->addRow(label, field);
        fields_[key] = field;
    }
    SetBuddies(form);
    SetBuddies(spellForm);
    auto* v = new QVBoxLayout(this);
    v->addWidget(values);
    v->addWidget(flags);
    v->addWidget(spelling);
    v->addStretch();
    v->addWidget(OkCancelBox(this, [this] { Apply(); }));
    connect(static_cast<QCheckBox*>(fields_["options\\PromemSave"]), &QCheckBox::toggled,
            fields_["options\\TimeSave"], &QWidget::setEnabled);
    FinishCreation();
    Load();
}

QWidget* TFOpzioni::Field(const std::string& key) const {
    auto it = fields_.find(key);
    return it == fields_.end() ? nullptr : it->second;
}

void TFOpzioni::Load() {
    if (spellAvailability) {
        SpellAvailability a = spellAvailability();
        spellBoxes_->setVisible(a.open);
        spellMissing_->setVisible(!a.open);
        if (auto* c = qobject_cast<QComboBox*>(fields_["orto\\lang"])) {
            c->clear();
            for (auto& [id, name] : a.languages) AddMessageItem(c, FromCp(name), id);
        }
    } else {
        spellMissing_->setVisible(false);
    }
    app::AppSettings s(Store());
    ProgramOptions o = ProgramOptions::Load(s);
    for (const OptionRow& r : OptionTable()) {
        std::string key = Key(r.section, r.name);
        std::string v = o.values[key];
        QWidget* w = fields_[key];
        if (auto* c = qobject_cast<QCheckBox*>(w))
            c->setChecked(r.kind == OptionKind::InvertedFlag ? v == "0" : v == "1");
        else if (auto* sp = qobject_cast<QSpinBox*>(w))
            sp->setValue(std::stoi(v));
        else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            int id = std::stoi(v);
            if (cb->findData(id) < 0) cb->addItem(QString::number(id), id);
            SelectData(cb, id);
        } else if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(QString::fromStdString(v));
    }
    fields_["options\\TimeSave"]->setEnabled(o.Get("options", "PromemSave") == "1");
    const auto language = app::ParseLanguageSetting(s.ReadOption(app::kLanguageOption)).value_or(CurrentLanguage());
    language_->setCurrentIndex(language_->findData(int(language)));
}

app::InterfaceLanguage TFOpzioni::Language() const {
    return app::InterfaceLanguage(language_->currentData().toInt());
}

ProgramOptions TFOpzioni::Values() const {
    ProgramOptions o;
    for (const OptionRow& r : OptionTable()) {
        std::string key = Key(r.section, r.name);
        QWidget* w = fields_.at(key);
        std::string v;
        if (auto* c = qobject_cast<QCheckBox*>(w))
            v = r.kind == OptionKind::InvertedFlag ? (c->isChecked() ? "0" : "1") : (c->isChecked() ? "1" : "0");
        else if (auto* sp = qobject_cast<QSpinBox*>(w))
            v = std::to_string(sp->value());
        else if (auto* cb = qobject_cast<QComboBox*>(w))
            v = std::to_string(cb->currentData().toInt());
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            v = e->text().toStdString();
        o.values[key] = v;
    }
    return o;
}

void TFOpzioni::Apply() {
    app::AppSettings s(Store());
    Values().Save(s);
    app::StoreInterfaceLanguage(s, Language());
}

}  // namespace ovik::ui
