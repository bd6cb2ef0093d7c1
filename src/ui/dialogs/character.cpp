#include "ui/dialogs/character.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QVBoxLayout>

#include "core/codepage.h"

namespace ovik::ui {

std::string PositionUndoText(uint8_t position) {
    return std::string("Applica font ") + (position == 1 ? "Pedice" : position == 2 ? "Apice" : "Normale");
}

TFCarattere::TFCarattere(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "fcarattere", parent) {
    setWindowTitle("Carattere");
    face = new QFontComboBox;
    size = new QSpinBox;
    size->setRange(1, 999);
    colour = new ColourButton;
    auto* f = new QFormLayout;
    f->addRow(NamedLabel("&Carattere:", "lcarattere"), face);
    f->addRow(NamedLabel("&Dimensione:", "ldimensione"), size);
    f->addRow(NamedLabel("C&olore:", "lcolore"), colour);
    SetBuddies(f);
    auto* look = Named(new QGroupBox("Stile"), "gstile");
    auto* lv = new QVBoxLayout(look);
    bold = Named(new QCheckBox("&Grassetto"), "cgrassetto");
    italic = Named(new QCheckBox("Cors&ivo"), "ccorsivo");
    underline = Named(new QCheckBox("&Sottolineato"), "csottolineato");
    strike = Named(new QCheckBox("&Barrato"), "cbarrato");
    for (QCheckBox* c : {bold, italic, underline, strike}) lv->addWidget(c);
    auto* pos = Named(new QGroupBox("Posizione"), "gposizione");
    auto* pv = new QVBoxLayout(pos);
    normal = Named(new QRadioButton("&Normale"), "rnormale");
    subscript = Named(new QRadioButton("&Pedice"), "rpedice");
    superscript = Named(new QRadioButton("&Apice"), "rapice");
    for (QRadioButton* r : {normal, subscript, superscript}) pv->addWidget(r);
    auto* row = new QHBoxLayout;
    row->addWidget(look);
    row->addWidget(pos);
    example = new QLabel;
    example->setMinimumHeight(60);
    example->setAlignment(Qt::AlignCenter);
    example->setFrameShape(QFrame::StyledPanel);
    example->setAutoFillBackground(true);
    auto* v = new QVBoxLayout(this);
    v->addLayout(f);
    v->addLayout(row);
    v->addWidget(NamedLabel("Esempio:", "lesempio"));
    v->addWidget(example);
    v->addWidget(OkCancelBox(this, nullptr));
    resize(420, 380);
    FinishCreation();
    for (QCheckBox* c : {bold, italic, underline, strike}) connect(c, &QCheckBox::toggled, this, &TFCarattere::UpdateExample);
    for (QRadioButton* r : {normal, subscript, superscript})
        connect(r, &QRadioButton::toggled, this, &TFCarattere::UpdateExample);
    connect(size, &QSpinBox::valueChanged, this, &TFCarattere::UpdateExample);
    connect(face, &QFontComboBox::currentFontChanged, this, &TFCarattere::UpdateExample);
    connect(colour, &QPushButton::clicked, this, &TFCarattere::UpdateExample);
    Load(TMyFont{"Times New Roman", 0, 0, 12, 0});
}

void TFCarattere::Load(const TMyFont& font) {
    loadedFace_ = font.face;
    face->setCurrentFont(QFont(FromCp(font.face)));
    shownFamily_ = face->currentFont().family();
    size->setValue(font.size);
    colour->SetColour(font.colour);
    bold->setChecked(font.style & 1);
    italic->setChecked(font.style & 2);
    underline->setChecked(font.style & 4);
    strike->setChecked(font.style & 8);
    (font.position == 1 ? subscript : font.position == 2 ? superscript : normal)->setChecked(true);
    UpdateExample();
}

TMyFont TFCarattere::Font() const {
    TMyFont f;
    f.face = face->currentFont().family() == shownFamily_ ? loadedFace_ : ToCp(face->currentFont().family());
    f.size = size->value();
    f.colour = colour->Colour();
    f.style = uint8_t((bold->isChecked() ? 1 : 0) | (italic->isChecked() ? 2 : 0) | (underline->isChecked() ? 4 : 0) |
                      (strike->isChecked() ? 8 : 0));
    f.position = subscript->isChecked() ? 1 : superscript->isChecked() ? 2 : 0;
    return f;
}

void TFCarattere::UpdateExample() {
    TMyFont f = Font();
    QFont q(face->currentFont());
    q.setPointSize(std::max(1, f.size));
    q.setBold(f.style & 1);
    q.setItalic(f.style & 2);
    q.setUnderline(f.style & 4);
    q.setStrikeOut(f.style & 8);
    example->setFont(q);
    QPalette p = example->palette();
    p.setColor(QPalette::WindowText, ToQColor(f.colour));
    p.setColor(QPalette::Window, Qt::white);
    example->setPalette(p);
    QString sample = "AaBbCc";
    if (f.position == 1) sample += "<sub>2</sub>";
    if (f.position == 2) sample += "<sup>2</sup>";
    example->setText(sample);
}

uint8_t TFSimbolo::CodeAt(int row, int column) {
    if (row < 0 || row >= 14 || column < 0 || column >= 16) return 0;
    return uint8_t(0x20 + row * 16 + column);
}

TFSimbolo::TFSimbolo(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "fsimbolo", parent) {
    setWindowTitle("Simbolo");
    face = new QFontComboBox;
    table = new QTableWidget(14, 16);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setDefaultSectionSize(28);
    table->verticalHeader()->setDefaultSectionSize(28);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < 14; ++r)
        for (int c = 0; c < 16; ++c) {
            uint8_t b = CodeAt(r, c);
            char ch = char(b);
            QString text = QString::fromStdString(cp1252::ToUtf8(std::string_view(&ch, 1)));
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            // The five codes the code page leaves undefined and the
            // non-breaking space cannot be chosen.
            if (text.isEmpty() || text[0].category() == QChar::Other_Control || b == 0x7F) {
                item->setFlags(Qt::NoItemFlags);
            } else {
                item->setText(text);
            }
            table->setItem(r, c, item);
        }
    table->setFixedSize(16 * 28 + 2 * table->frameWidth(), 14 * 28 + 2 * table->frameWidth());
    code = new QLabel;
    auto* f = new QFormLayout;
    f->addRow(NamedLabel("&Carattere:", "lcarattere"), face);
    SetBuddies(f);
    auto* v = new QVBoxLayout(this);
    v->addLayout(f);
    v->addWidget(table);
    v->addWidget(code);
    auto* box = OkCancelBox(this, nullptr);
    box->button(QDialogButtonBox::Ok)->setText("&Inserisci");
    box->button(QDialogButtonBox::Ok)->setObjectName("binserisci");
    v->addWidget(box);
    FinishCreation();
    connect(face, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
        QFont shown(font);
        shown.setPointSize(13);
        table->setFont(shown);
    });
    connect(table, &QTableWidget::currentCellChanged, this, [this](int r, int c) {
        uint8_t b = CodeAt(r, c);
        code->setText(b ? QString("Codice: %1 (0x%2)").arg(b).arg(QString::number(b, 16).toUpper().rightJustified(2, '0')) : QString());
    });
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] {
        if (Chosen()) accept();
    });
    face->setCurrentFont(QFont("Times New Roman"));
}

char TFSimbolo::Chosen() const {
    QTableWidgetItem* it = table->currentItem();
    if (!it || !(it->flags() & Qt::ItemIsEnabled)) return 0;
    return char(CodeAt(table->currentRow(), table->currentColumn()));
}

void TFSimbolo::Select(uint8_t b) {
    QTableWidgetItem* it = b < 0x20 ? nullptr : table->item((b - 0x20) / 16, (b - 0x20) % 16);
    // A code that cannot be chosen leaves nothing chosen.
    if (!it || !(it->flags() & Qt::ItemIsEnabled)) {
        table->setCurrentItem(nullptr);
        table->clearSelection();
        return;
    }
    table->setCurrentItem(it);
}

}  // namespace ovik::ui
