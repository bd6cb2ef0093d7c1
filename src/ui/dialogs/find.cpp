#include "ui/dialogs/find.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/codepage.h"
#include "document/keywords.h"
#include "undo/pages_backup.h"
#include "ui/translations.h"

namespace ovik::ui {

namespace {

const char* kFindInPage = "Cerca nella &pagina...";
const char* kContinueInPage = "&Continua nella pagina  F3";
const char* kPageDone = "Ricerca nella pagina terminata";

QComboBox* WordBox(const char* name) {
    auto* c = Named(new QComboBox, name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumWidth(220);
    return c;
}

std::string Text(const QComboBox* c) { return ToCp(c->currentText()); }

}  // namespace

TFCerca::TFCerca(THQVset& set, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fcerca", parent), set_(set) {
    setWindowTitle("Cerca:");
    setModal(false);
    tabs = Named(new QTabWidget, "schede");

    // --- Cerca -----------------------------------------------------------------
    auto* findPage = new QWidget;
    word = WordBox("cbparola");
    andWord = WordBox("cbe1");
    orWord = WordBox("cboppure");
    orAndWord = WordBox("cbe2");
    auto* form = new QFormLayout;
    form->addRow(NamedLabel("Cerca la parola:", "lparola"), word);
    form->addRow(NamedLabel("e:", "le1"), andWord);
    form->addRow(NamedLabel("Oppure:", "loppure"), orWord);
    form->addRow(NamedLabel("e:", "le2"), orAndWord);
    SetBuddies(form);
    wholeWords = Named(new QCheckBox("solo parole intere"), "cbintere");
    ignoreCase = Named(new QCheckBox("ignora maiuscole/minuscole"), "cbmaiuscole");
    ignoreCase->setChecked(true);
    bInPage = Named(new QPushButton(kFindInPage), "bpagina");
    bInHypertext = Named(new QPushButton("Nell' &ipertesto  F4"), "bipertesto");
    auto* findButtons = new QHBoxLayout;
    findButtons->addWidget(bInPage);
    findButtons->addWidget(bInHypertext);
    auto* fv = new QVBoxLayout(findPage);
    fv->addLayout(form);
    fv->addWidget(wholeWords);
    fv->addWidget(ignoreCase);
    fv->addStretch();
    fv->addLayout(findButtons);
    tabs->addTab(findPage, "Cerca");

    // --- Sostituisci -------------------------------------------------------------
    auto* replacePage = new QWidget;
    rWord = WordBox("cbrparola");
    rWith = WordBox("cbrcon");
    auto* rform = new QFormLayout;
    rform->addRow(NamedLabel("Cerca la parola:", "lrparola"), rWord);
    rform->addRow(NamedLabel("Sostituisci con:", "lrcon"), rWith);
    startFrom = Named(new QComboBox, "cbpartida");
    startFrom->addItems({"Pagina 0", "Pagina corrente"});
    rform->addRow(NamedLabel("Parti da:", "lpartida"), startFrom);
    SetBuddies(rform);
    confirmOne = Named(new QCheckBox("chiedi conferma per sostituire una"), "cbconfermauna");
    confirmAll = Named(new QCheckBox("chiedi conferma per sostituire tutte"), "cbconfermatutte");
    confirmOne->setChecked(true);
    confirmAll->setChecked(true);
    bReplaceOne = Named(new QPushButton("Cerca/&Sostituisci  F3"), "bsostituisci");
    bReplacePage = Named(new QPushButton("Sostituisci &tutte nella pagina"), "btuttepagina");
    bFind = Named(new QPushButton("&Cerca"), "bcerca");
    bReplaceAll = Named(new QPushButton("Tutte nell' &ipertesto"), "btutteipertesto");
    auto* rgrid = new QGridLayout;
    rgrid->addWidget(bReplaceOne, 0, 0);
    rgrid->addWidget(bReplacePage, 0, 1);
    rgrid->addWidget(bFind, 1, 0);
    rgrid->addWidget(bReplaceAll, 1, 1);
    auto* rv = new QVBoxLayout(replacePage);
    rv->addLayout(rform);
    rv->addWidget(confirmOne);
    rv->addWidget(confirmAll);
    rv->addStretch();
    rv->addLayout(rgrid);
    tabs->addTab(replacePage, "Sostituisci");

    // --- Pagina per parola chiave ----------------------------------------------------
    auto* keywordPage = new QWidget;
    keywordStart = Named(new QLineEdit, "eparolachiave");
    keywords = Named(new QListWidget, "lbparole");
    keywordPages = Named(new QListWidget, "lbpagine");
    auto* kg = new QGridLayout(keywordPage);
    kg->addWidget(NamedLabel("Cerca parola chiave:", "lcercachiave", keywordStart), 0, 0);
    kg->addWidget(keywordStart, 1, 0);
    kg->addWidget(NamedLabel("Parole chiave disponibili:", "ldisponibili", keywords), 2, 0);
    kg->addWidget(keywords, 3, 0);
    kg->addWidget(NamedLabel("Pagine che contengono parola selezionata:", "lcontengono", keywordPages), 0, 1, 3, 1,
                  Qt::AlignBottom);
    kg->addWidget(keywordPages, 3, 1);
    tabs->addTab(keywordPage, "Pagina per parola chiave");

    // --- Dove ---------------------------------------------------------------------------
    auto* wherePage = new QWidget;
    whereCurrent = Named(new QRadioButton("Cerca nel corrente ipertesto"), "rbcorrente");
    whereFolder = Named(new QRadioButton("Cerca negli ipertesti nella corrente dir"), "rbdir");
    whereGroup = Named(new QRadioButton("Cerca negli ipertesti del corrente gruppo:"), "rbgruppo");
    auto* groups = Named(new QPushButton("&Definisci gruppi..."), "bgruppi");
    whereCurrent->setChecked(true);
    // Only the current hypertext is searched.
    for (QWidget* w : std::initializer_list<QWidget*>{whereFolder, whereGroup, groups}) w->setEnabled(false);
    auto* wv = new QVBoxLayout(wherePage);
    wv->addWidget(whereCurrent);
    wv->addWidget(whereFolder);
    wv->addWidget(whereGroup);
    wv->addWidget(groups, 0, Qt::AlignLeft);
    wv->addStretch();
    tabs->addTab(wherePage, "Dove");

    auto* close = Named(new QPushButton("&Chiudi"), "bchiudi");
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs);
    v->addWidget(close, 0, Qt::AlignRight);

    connect(bInPage, &QPushButton::clicked, this, &TFCerca::FindInPage);
    connect(bInHypertext, &QPushButton::clicked, this, &TFCerca::FindInHypertext);
    connect(bReplaceOne, &QPushButton::clicked, this, &TFCerca::ReplaceOne);
    connect(bReplacePage, &QPushButton::clicked, this, &TFCerca::ReplaceAllInPage);
    connect(bFind, &QPushButton::clicked, this, &TFCerca::FindAndAsk);
    connect(bReplaceAll, &QPushButton::clicked, this, &TFCerca::ReplaceAllInHypertext);
    connect(word, &QComboBox::editTextChanged, this, [this] { ResetPageButton(); });
    connect(keywordStart, &QLineEdit::textChanged, this, &TFCerca::FilterKeywords);
    connect(keywords, &QListWidget::currentRowChanged, this, [this] { KeywordChosen(); });
    connect(keywordPages, &QListWidget::itemActivated, this, &TFCerca::PageChosen);
    connect(keywordPages, &QListWidget::itemClicked, this, &TFCerca::PageChosen);
    resize(520, 400);
    FinishCreation();
}

TZtSearchTypes TFCerca::Options() const {
    TZtSearchTypes o = 0;
    if (wholeWords->isChecked()) o |= stWholeWord;
    if (!ignoreCase->isChecked()) o |= stMatchCase;
    return o;
}

app::Query TFCerca::CurrentQuery() const {
    return {Text(word), Text(andWord), Text(orWord), Text(orAndWord)};
}

void TFCerca::ShowTab(Tab t) {
    tabs->setCurrentIndex(int(t));
    if (t == FindTab) word->setFocus();
    if (t == ReplaceTab) rWord->setFocus();
    if (t == KeywordTab) keywordStart->setFocus();
}

void TFCerca::Remember(QComboBox* box) {
    const QString t = box->currentText();
    if (!t.isEmpty() && box->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) box->insertItem(0, t);
    box->setCurrentText(t);
}

void TFCerca::Status(const QString& s) {
    if (host.status) host.status(s);
}

void TFCerca::ResetPageButton() {
    inPageStarted_ = false;
    bInPage->setText(Tr(kFindInPage));
    bInPage->setEnabled(true);
}

platform::Answer TFCerca::Ask(const std::string& w, bool withCancel) {
    // Questions are UTF-8.
    const std::string q = "Sostituisco " + cp1252::ToUtf8(w) + "?";
    return withCancel ? set_.Messages().AskYesNoCancel(q) : set_.Messages().AskYesNo(q);
}

// --- finding ------------------------------------------------------------------------------

void TFCerca::FindInPage() {
    const std::string w = Text(word);
    if (w.empty() || !host.findInPage) return;
    Remember(word);
    lastRepeat_ = 0;
    if (!inPageStarted_ && host.restartInPage) host.restartInPage();
    inPageStarted_ = true;
    if (host.findInPage(w, Options(), false)) {
        bInPage->setText(Tr(kContinueInPage));
    } else {
        Status(kPageDone);
        bInPage->setText(Tr(kPageDone));
        bInPage->setEnabled(false);
    }
}

void TFCerca::FindInHypertext() {
    const app::Query q = CurrentQuery();
    if (q.a.empty() || !host.shownPage) return;
    Remember(word);
    std::string matched;
    if (host.storeShown) host.storeShown();
    const int32_t n = app::NextMatchingPage(set_, host.shownPage(), q, Options(), &matched);
    if (n < 0) {
        Status("Ricerca nell'ipertesto terminata");
        return;
    }
    host.showPage(n);
    if (host.hideFrames) host.hideFrames();
    ResetPageButton();
    if (host.restartInPage) host.restartInPage();
    inPageStarted_ = true;
    if (host.findInPage(matched, Options(), false)) bInPage->setText(Tr(kContinueInPage));
}

void TFCerca::RepeatInPage() {
    if (lastRepeat_ == 1) ReplaceOne();
    else FindInPage();
}

void TFCerca::RepeatInHypertext() { FindInHypertext(); }

bool TFCerca::CanRepeat(bool inPage) { return !Text(inPage && lastRepeat_ == 1 ? rWord : word).empty(); }

// --- replacing ----------------------------------------------------------------------------

void TFCerca::ReplaceOne() {
    if (!host.findInPage || (host.readOnly && host.readOnly())) return;
    const std::string w = Text(rWord), r = Text(rWith);
    if (w.empty() || r.empty()) return;
    Remember(rWord);
    Remember(rWith);
    lastRepeat_ = 1;
    if (!host.findInPage(w, Options(), true)) {
        Status("Sostituzione nella pagina terminata");
        return;
    }
    if (!confirmOne->isChecked() || Ask(w, false) == platform::Answer::Yes) host.replaceSelection(r);
}

void TFCerca::FindAndAsk() {
    if (!host.findInPage || (host.readOnly && host.readOnly())) return;
    const std::string w = Text(rWord), r = Text(rWith);
    if (w.empty()) return;
    Remember(rWord);
    if (host.findInPage(w, Options(), true) && Ask(w, false) == platform::Answer::Yes) host.replaceSelection(r);
}

void TFCerca::ReplaceAllInPage() {
    if (!host.findInPage || (host.readOnly && host.readOnly())) return;
    const std::string w = Text(rWord), r = Text(rWith);
    if (w.empty()) return;
    Remember(rWord);
    Remember(rWith);
    stop_ = false;
    // Each search starts after the previous replacement (at the caret), so a
    // replacement that contains the word is not found again.
    while (!stop_) {
        if (!host.findInPage(w, Options(), true)) {
            Status("Sostituzione nella pagina terminata");
            return;
        }
        if (confirmAll->isChecked()) {
            const platform::Answer a = Ask(w, true);
            if (a == platform::Answer::Cancel) return;
            if (a != platform::Answer::Yes) continue;
        }
        host.replaceSelection(r);
    }
}

void TFCerca::ReplaceAllInHypertext() {
    if (host.readOnly && host.readOnly()) return;
    const std::string w = Text(rWord), r = Text(rWith);
    if (w.empty() || !host.showPage) return;
    Remember(rWord);
    Remember(rWith);
    stop_ = false;
    if (host.storeShown) host.storeShown();
    const int32_t from = startFrom->currentIndex() == 0 ? 0 : std::max(host.shownPage(), 0);
    app::ConfirmReplace confirm;
    if (confirmAll->isChecked()) {
        // The question is asked with the occurrence selected in the page shown;
        // the pages change once their questions are answered.
        int32_t shown = -1;
        confirm = [&](int32_t page, const std::string& found) {
            if (stop_) return platform::Answer::Cancel;
            if (page != shown) {
                host.showPage(page);
                if (host.restartInPage) host.restartInPage();
                shown = page;
            }
            host.findInPage(found, Options(), false);
            return Ask(found, true);
        };
    }
    app::ReplaceResult result = app::ReplaceInHypertext(set_, w, r, Options(), from, confirm);
    if (!result.before.empty() && host.addUndo) {
        const int32_t last = result.before.back().first;
        host.addUndo(std::make_unique<TpagesBackup>(set_, std::move(result.before),
                                                    cp1252::FromUtf8("Sostituzione nell'ipertesto")));
        host.showPage(last);
    }
    if (host.pagesChanged) host.pagesChanged();
    if (!result.cancelled) Status("Sostituzione nell'ipertesto terminata");
}

// --- keywords -------------------------------------------------------------------------------

void TFCerca::Refresh() {
    keywords->clear();
    keywordPages->clear();
    for (THQVoggetto* k : Keywords(set_)) {
        auto* item = new QListWidgetItem(FromCp(k->Name()), keywords);
        item->setData(Qt::UserRole, k->Number());
    }
    ResetPageButton();
}

void TFCerca::FilterKeywords(const QString& start) {
    for (int i = 0; i < keywords->count(); ++i)
        if (keywords->item(i)->text().startsWith(start, Qt::CaseInsensitive)) {
            keywords->setCurrentRow(i);
            keywords->scrollToItem(keywords->item(i));
            return;
        }
}

void TFCerca::KeywordChosen() {
    keywordPages->clear();
    QListWidgetItem* k = keywords->currentItem();
    if (!k) return;
    for (int32_t n : PagesWithKeyword(set_, k->data(Qt::UserRole).toInt())) {
        auto* item = new QListWidgetItem(QString("%1  %2").arg(n).arg(FromCp(set_.Page(n)->Title())), keywordPages);
        item->setData(Qt::UserRole, n);
    }
}

void TFCerca::PageChosen(QListWidgetItem* item) {
    if (item && host.showPage) host.showPage(item->data(Qt::UserRole).toInt());
}

}  // namespace ovik::ui
