#include "ui/dialogs/tools_windows.h"
#include "ui/translations.h"

#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QToolBar>
#include <QVBoxLayout>

namespace ovik::ui {

// --- Toolbars ---------------------------------------------------------------

TFToolbars::TFToolbars(QMainWindow& main, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "ftoolbars", parent), main_(main) {
    setWindowTitle("Barre degli strumenti");
    auto* v = new QVBoxLayout(this);
    v->addWidget(NamedLabel("&Barre mostrate:", "lbarre"));
    bars = Named(new QListWidget, "barre");
    bars->setProperty("documentItems", true);  // the bars' own titles
    v->addWidget(bars, 1);
    v->addWidget(OkCancelBox(this, [this] { Apply(); }));
    resize(320, 280);
    FinishCreation();
}

void TFToolbars::Load() {
    bars->clear();
    auto add = [this](QWidget* bar) {
        auto* item = new QListWidgetItem(bar->windowTitle(), bars);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(bar->property("userHidden").toBool() ? Qt::Unchecked : Qt::Checked);
        item->setData(Qt::UserRole, bar->objectName());
    };
    for (QToolBar* bar : main_.findChildren<QToolBar*>())
        if (!bar->objectName().isEmpty()) add(bar);
    for (QDockWidget* dock : main_.findChildren<QDockWidget*>())
        if (!dock->objectName().isEmpty()) add(dock);
}

void TFToolbars::Apply() {
    for (int i = 0; i < bars->count(); ++i) {
        QListWidgetItem* item = bars->item(i);
        auto* bar = main_.findChild<QWidget*>(item->data(Qt::UserRole).toString());
        if (!bar) continue;
        const bool shown = item->checkState() == Qt::Checked;
        bar->setProperty("userHidden", !shown);
        // A bar that belongs to the editing state stays hidden without a page.
        if (!shown || bar->isEnabled()) bar->setVisible(shown);
    }
}

// --- Finestre ---------------------------------------------------------------

TFFinestre::TFFinestre(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "ffinestre", parent) {
    setWindowTitle("Finestre");
    auto* v = new QVBoxLayout(this);
    v->addWidget(NamedLabel("&Finestre aperte:", "lfinestre"));
    list = Named(new QListWidget, "listafinestre");
    list->setProperty("documentItems", true);  // the windows' own titles
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    v->addWidget(list, 1);
    v->addWidget(CheckedOkCancelBox(this, [this] { return !Chosen().empty(); }));
    resize(340, 280);
    FinishCreation();
}

void TFFinestre::Load(const std::vector<std::pair<std::string, QString>>& windows) {
    list->clear();
    for (const auto& [key, title] : windows) {
        auto* item = new QListWidgetItem(title, list);
        item->setData(Qt::UserRole, QString::fromStdString(key));
    }
    list->setCurrentRow(list->count() - 1);
}

std::string TFFinestre::Chosen() const {
    QListWidgetItem* item = list->currentItem();
    return item ? item->data(Qt::UserRole).toString().toStdString() : std::string();
}

// --- Trova file -------------------------------------------------------------

TFTrovaFile::TFTrovaFile(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "ftrovafile", parent) {
    setWindowTitle("Trova file");
    folder = Named(new QLineEdit, "cartella");
    pattern = Named(new QLineEdit("*.hqv"), "nomefile");
    browse = Named(new QPushButton("&Sfoglia..."), "bsfoglia");
    search = Named(new QPushButton("&Cerca"), "bcerca");
    results = Named(new QListWidget, "risultati");
    results->setProperty("documentItems", true);  // file names
    status = Named(new QLabel, "stato");
    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel("C&artella:", "lcartella", folder), 0, 0);
    grid->addWidget(folder, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(NamedLabel("&Nome:", "lnomefile", pattern), 1, 0);
    grid->addWidget(pattern, 1, 1);
    grid->addWidget(search, 1, 2);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addWidget(results, 1);
    v->addWidget(status);
    v->addWidget(CheckedOkCancelBox(this, [this] { return !Chosen().empty(); }));
    connect(browse, &QPushButton::clicked, this, [this] {
        QString d = QFileDialog::getExistingDirectory(this, windowTitle(), folder->text());
        if (!d.isEmpty()) folder->setText(d);
    });
    connect(search, &QPushButton::clicked, this, [this] { Search(); });
    connect(results, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    resize(520, 380);
    FinishCreation();
}

void TFTrovaFile::Load(const QString& start) {
    if (folder->text().isEmpty()) folder->setText(start);
    results->clear();
    status->clear();
}

int TFTrovaFile::Search() {
    results->clear();
    const QString text = pattern->text().trimmed().isEmpty() ? QString("*") : pattern->text().trimmed();
    std::vector<QRegularExpression> patterns;
    for (const QString& p : text.split(';', Qt::SkipEmptyParts))
        patterns.emplace_back(QRegularExpression::wildcardToRegularExpression(p.trimmed()),
                              QRegularExpression::CaseInsensitiveOption);
    std::error_code ec;
    const std::filesystem::path root = folder->text().toStdString();
    if (!std::filesystem::is_directory(root, ec)) {
        status->setText(Tr("La cartella non esiste."));
        return 0;
    }
    int found = 0;
    // Unreadable folders are passed over; links to folders are not followed.
    auto it = std::filesystem::recursive_directory_iterator(
        root, std::filesystem::directory_options::skip_permission_denied, ec);
    for (; !ec && it != std::filesystem::recursive_directory_iterator() && found < kMaxResults; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const QString name = QString::fromStdString(it->path().filename().string());
        for (const QRegularExpression& re : patterns)
            if (re.match(name).hasMatch()) {
                auto* item = new QListWidgetItem(QString::fromStdString(it->path().string()), results);
                item->setData(Qt::UserRole, QString::fromStdString(it->path().string()));
                ++found;
                break;
            }
    }
    results->sortItems();
    if (found > 0) results->setCurrentRow(0);
    status->setText(found == 1 ? QString("1 file trovato") : QString("%1 file trovati").arg(found));
    return found;
}

std::filesystem::path TFTrovaFile::Chosen() const {
    QListWidgetItem* item = results->currentItem();
    return item ? std::filesystem::path(item->data(Qt::UserRole).toString().toStdString()) : std::filesystem::path();
}

// --- Suggerimenti -----------------------------------------------------------

const std::vector<QString>& TFSuggerimenti::Tips() {
    static const std::vector<QString> tips = {
        "Un ipertesto nuovo mostra la sua pagina iniziale: si può scrivere subito.",
        "Con \"Inserisci\" > \"Nuova pagina...\" (Ctrl+Maiusc+N) si aggiunge una pagina all'ipertesto.",
        "Selezionate del testo e scegliete \"Inserisci\" > \"Collegamento...\" (Ctrl+F5) per collegarlo a "
        "un'altra pagina.",
        "\"Ipertesto\" > \"Solo lettura\" (F11) mostra le pagine come le vedrà il lettore.",
        "\"Formato\" > \"Paragrafo...\" regola interlinea, spazi, rientri e margini del paragrafo.",
        "\"Formato\" > \"Stili...\" cambia uno stile: i paragrafi che lo usano cambiano insieme.",
        "\"File\" > \"Esporta pagine...\" (Ctrl+E) scrive le pagine in HTML o in testo.",
        "\"Strumenti\" > \"Finestre...\" (Alt+0) riporta in primo piano una finestra già aperta.",
    };
    return tips;
}

TFSuggerimenti::TFSuggerimenti(platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fsuggerimenti", parent) {
    setWindowTitle("Suggerimenti");
    auto* title = Named(new QLabel("Lo sapevate?"), "ltitolo");
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    tip = new QLabel;
    tip->setWordWrap(true);
    tip->setMinimumHeight(60);
    showAtStart = Named(new QCheckBox("&Mostra all'avvio"), "cbavvio");
    next = Named(new QPushButton("&Prossimo"), "bprossimo");
    auto* close = Named(new QPushButton("&Chiudi"), "bchiudi");
    auto* row = new QHBoxLayout;
    row->addWidget(showAtStart, 1);
    row->addWidget(next);
    row->addWidget(close);
    auto* v = new QVBoxLayout(this);
    v->addWidget(title);
    v->addWidget(tip, 1);
    v->addLayout(row);
    connect(next, &QPushButton::clicked, this, [this] { NextTip(); });
    connect(close, &QPushButton::clicked, this, [this] { accept(); });
    // "autoHideTip" = "1" hides the window at start.
    connect(showAtStart, &QCheckBox::toggled, this,
            [this](bool on) { Store().Write("options", "autoHideTip", on ? "0" : "1"); });
    resize(420, 200);
    // The tip shown speaks the interface's language when it changes.
    connect(&LanguageEvents::Instance(), &LanguageEvents::Changed, this, [this] {
        if (shown_ >= 0 && size_t(shown_) < Tips().size()) tip->setText(Tr(Tips()[size_t(shown_)]));
    });
    FinishCreation();
}

void TFSuggerimenti::Load() {
    QSignalBlocker block(showAtStart);
    showAtStart->setChecked(Store().ReadOr("options", "autoHideTip", "") != "1");
    // Each showing starts with the tip after the one shown last.
    index_ = std::max(0, std::atoi(Store().ReadOr("options", "lastTip", "0").c_str()));
    NextTip();
}

void TFSuggerimenti::NextTip() {
    const auto& tips = Tips();
    index_ %= int(tips.size());
    tip->setText(Tr(tips[size_t(index_)]));
    shown_ = index_;
    ++index_;
    Store().Write("options", "lastTip", std::to_string(index_ % int(tips.size())));
}

}  // namespace ovik::ui
