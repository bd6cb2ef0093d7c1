#include "ui/dialogs/speller.h"
#include "ui/translations.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace ovik::ui {

TZtSpellerDialog::TZtSpellerDialog(platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "ZtSpellerDialog", parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    // The progress view.
    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedSize(346, 41);
    auto* ph = new QHBoxLayout(Panel1);
    Label3 = Named(new QLabel("Controllo in corso...", Panel1), "Label3");
    ProgressBar1 = Named(new QProgressBar(Panel1), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ph->addWidget(Label3);
    ph->addWidget(ProgressBar1, 1);
    outer->addWidget(Panel1);

    // The full view.
    full_ = new QWidget(this);
    full_->setFixedWidth(346);
    auto* grid = new QGridLayout(full_);
    InfoMsg = Named(new QLabel(full_), "InfoMsg");
    Misspelling = Named(new QTextEdit(full_), "Misspelling");
    Misspelling->setAcceptRichText(false);
    Misspelling->setFixedHeight(64);
    Label2 = Named(new QLabel(full_), "Label2");
    Variants = Named(new QListWidget(full_), "Variants");
    Label2->setBuddy(Variants);
    auto button = [this](const char* name, const char* caption) {
        auto* b = Named(new QPushButton(caption, full_), name);
        b->setAutoDefault(false);
        return b;
    };
    ChangeButton = button("ChangeButton", "&Cambia");
    ChangeButton->setDefault(true);
    DelButton = button("DelButton", "Ca&ncella");
    ChangeAllButton = button("ChangeAllButton", "Cambia &Tutto");
    SkipButton = button("SkipButton", "&Ignora");
    SkipAllButton = button("SkipAllButton", "I&gnora Tutto");
    AddButton = button("AddButton", "&Aggiungi");
    CancelButton = button("CancelButton", "C&hiudi");
    CancelEdit = button("CancelEdit", "Annulla &edit");
    BSalta = button("BSalta", "&Salta la pagina");
    grid->addWidget(InfoMsg, 0, 0, 1, 2);
    grid->addWidget(Misspelling, 1, 0, 1, 2);
    grid->addWidget(Label2, 2, 0, 1, 2);
    grid->addWidget(Variants, 3, 0, 8, 1);
    // "Ca&ncella" stands in the place of "&Cambia".
    auto* changeSlot = new QWidget(full_);
    auto* cs = new QVBoxLayout(changeSlot);
    cs->setContentsMargins(0, 0, 0, 0);
    cs->addWidget(ChangeButton);
    cs->addWidget(DelButton);
    grid->addWidget(changeSlot, 3, 1);
    int row = 4;
    for (QPushButton* b : {ChangeAllButton, SkipButton, SkipAllButton, AddButton, CancelEdit, BSalta, CancelButton})
        grid->addWidget(b, row++, 1);
    outer->addWidget(full_);
    full_->setMinimumHeight(319);

    connect(ChangeButton, &QPushButton::clicked, this, [this] { if (session_) session_->Change(); });
    connect(Variants, &QListWidget::itemDoubleClicked, this, [this] { if (session_) session_->Change(); });
    connect(Variants, &QListWidget::currentRowChanged, this, [this](int row) {
        if (session_ && !filling_ && row >= 0) session_->SelectVariant(row);
    });
    connect(ChangeAllButton, &QPushButton::clicked, this, [this] { if (session_) session_->ChangeAll(); });
    connect(SkipButton, &QPushButton::clicked, this, [this] { if (session_) session_->Skip(); });
    connect(SkipAllButton, &QPushButton::clicked, this, [this] { if (session_) session_->SkipAll(); });
    connect(AddButton, &QPushButton::clicked, this, [this] { if (session_) session_->Add(); });
    connect(DelButton, &QPushButton::clicked, this, [this] { if (session_) session_->Delete(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(CancelEdit, &QPushButton::clicked, this, [this] { if (session_) session_->CancelEdit(); });
    connect(BSalta, &QPushButton::clicked, this, [this] { if (session_) session_->SkipPage(); });
    connect(Misspelling, &QTextEdit::textChanged, this, [this] { LineEdited(); });
    FinishCreation();
}

void TZtSpellerDialog::Run(app::TZtSpellSession& session, const QString& caption) {
    session_ = &session;
    setWindowTitle(Tr(caption));
    session.onViewChanged = [this] { Refresh(); };
    session.onFinished = [this] {
        if (isVisible()) QDialog::done(QDialog::Rejected);
    };
    Refresh();
    if (!session.View().fullView) QTimer::singleShot(0, this, [this] { if (session_) session_->RunLoop(); });
    if (!session.Finished()) exec();
    session.onViewChanged = nullptr;
    session.onFinished = nullptr;
    session_ = nullptr;
}

void TZtSpellerDialog::reject() {
    // "C&hiudi", Esc and the window's close box end the check with the cancel flag.
    if (session_ && !session_->Finished()) session_->Close();
    if (isVisible()) QDialog::done(QDialog::Rejected);
}

void TZtSpellerDialog::Refresh() {
    if (!session_) return;
    const app::SpellDialogView& v = session_->View();
    Panel1->setVisible(!v.fullView);
    full_->setVisible(v.fullView);
    ProgressBar1->setValue(v.progress);
    BSalta->setVisible(v.skipPageVisible);
    if (!v.fullView) return;
    filling_ = true;
    InfoMsg->setText(FromCp(v.infoMsg));
    Label2->setText(FromCp(v.label2));
    if (v.line != filledLine_ || v.redStart != filledStart_ || session_->RedText() != shownRed_) FillLine();
    Variants->clear();
    for (const std::string& s : v.variants) Variants->addItem(FromCp(s));
    Variants->setCurrentRow(v.selected);
    Variants->setEnabled(v.variantsEnabled);
    ChangeButton->setVisible(v.changeVisible);
    ChangeButton->setEnabled(v.changeEnabled);
    DelButton->setVisible(v.delVisible);
    ChangeAllButton->setEnabled(v.changeAllEnabled);
    SkipButton->setEnabled(v.skipEnabled);
    SkipAllButton->setEnabled(v.skipAllEnabled);
    AddButton->setEnabled(v.addEnabled);
    CancelEdit->setVisible(v.cancelEditVisible);
    filling_ = false;
    QPushButton* main = v.delVisible ? DelButton : ChangeButton;
    main->setDefault(true);
    // Return acts on the default button: the focus goes to it (or to "&Ignora"
    // when it cannot act), not into the line.
    if (!session_->EditPending()) (main->isEnabled() ? main : SkipButton)->setFocus();
}

void TZtSpellerDialog::FillLine() {
    const app::SpellDialogView& v = session_->View();
    prefix_ = v.line.substr(0, size_t(v.redStart));
    suffix_ = v.line.substr(std::min(v.line.size(), size_t(v.redStart + v.redLength)));
    shownRed_ = session_->RedText();
    filledLine_ = v.line;
    filledStart_ = v.redStart;
    const bool was = filling_;
    filling_ = true;
    Misspelling->clear();
    QTextCursor c(Misspelling->document());
    QTextCharFormat normal;
    normal.setForeground(palette().color(QPalette::WindowText));
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    c.insertText(FromCp(prefix_), normal);
    c.insertText(FromCp(shownRed_), red);
    c.insertText(FromCp(suffix_), normal);
    // The selection is left empty, at the start of the red range.
    QTextCursor at(Misspelling->document());
    at.setPosition(int(FromCp(prefix_).size()));
    Misspelling->setTextCursor(at);
    filling_ = was;
}

void TZtSpellerDialog::LineEdited() {
    if (filling_ || !session_ || session_->Finished()) return;
    const QString text = Misspelling->toPlainText();
    const QString prefix = FromCp(prefix_), suffix = FromCp(suffix_);
    // Only the red range may change, and within one line: anything else puts
    // the line back.
    const QString middle = text.size() >= prefix.size() + suffix.size()
                               ? text.mid(prefix.size(), text.size() - prefix.size() - suffix.size())
                               : QString();
    if (text.size() < prefix.size() + suffix.size() || !text.startsWith(prefix) || !text.endsWith(suffix) ||
        middle.contains('\n') || middle.contains(QChar::ParagraphSeparator)) {
        const int pos = Misspelling->textCursor().position();
        FillLine();
        QTextCursor c = Misspelling->textCursor();
        c.setPosition(std::min(pos, int(Misspelling->toPlainText().size())));
        Misspelling->setTextCursor(c);
        return;
    }
    const std::string red = ToCp(middle);
    if (red == shownRed_) return;
    shownRed_ = red;
    session_->EditRed(red);
}

}  // namespace ovik::ui
