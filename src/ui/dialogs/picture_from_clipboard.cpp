#include "ui/dialogs/picture_from_clipboard.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QPixmap>
#include <QVBoxLayout>

namespace ovik::ui {

namespace {

QPixmap Preview(const std::filesystem::path& file) {
    QPixmap p;
    if (!file.empty()) p.load(QString::fromStdString(file.string()));
    if (!p.isNull() && (p.width() > 200 || p.height() > 150))
        p = p.scaled(200, 150, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return p;
}

}  // namespace

TFimgFromClip::TFimgFromClip(THQVset& set, const platform::Clipboard& clipboard,
                             platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fimgfromclip", parent), model(set, clipboard) {
    setWindowTitle("Inserisci immagine:");
    tabs = Named(new QTabWidget, "schede");
    auto* page = new QWidget;
    tabs->addTab(page, "Da cartella appunti");

    source = Named(new QLabel, "immsorgente");
    converted = Named(new QLabel, "immconvertita");
    for (QLabel* l : {source, converted}) {
        l->setMinimumSize(200, 150);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::StyledPanel);
    }
    fromBytes = Named(new QLabel, "lda");
    toBytes = Named(new QLabel, "la");
    metafileBytes = Named(new QLabel, "lbytes");

    metafilePanel = Named(new QWidget, "pmetafile");
    rbEmf = Named(new QRadioButton("EMF"), "rbemf");
    rbWmf = Named(new QRadioButton("WMF"), "rbwmf");
    rbBitmap = Named(new QRadioButton("bitmap"), "rbbitmap");
    auto* formats = new QButtonGroup(this);
    for (QRadioButton* b : {rbEmf, rbWmf, rbBitmap}) formats->addButton(b);
    {
        auto* v = new QVBoxLayout(metafilePanel);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(Named(new QLabel("(attenzione: WMF e EMF sono poco supportati dai browser!)"), "lattenzione"));
        auto* h = new QHBoxLayout;
        h->addWidget(rbEmf);
        h->addWidget(rbWmf);
        h->addWidget(rbBitmap);
        h->addStretch();
        v->addLayout(h);
        auto* b = new QHBoxLayout;
        b->addWidget(NamedLabel("Bytes:", "lbytescap"));
        b->addWidget(metafileBytes);
        b->addStretch();
        v->addLayout(b);
    }

    bitmapPanel = Named(new QWidget, "pbitmap");
    rbGif = Named(new QRadioButton("GIF"), "rbgif");
    rbJpg = Named(new QRadioButton("JPG"), "rbjpg");
    rbGif->setChecked(true);
    auto* imports = new QButtonGroup(this);
    imports->addButton(rbGif);
    imports->addButton(rbJpg);
    Equalita = Named(new QSpinBox, "equalita");
    Equalita->setRange(0, 100);
    Equalita->setValue(kJpegDefaultQuality);
    CBtrans = Named(new QCheckBox("Trasparente"), "cbtrans");
    {
        auto* v = new QVBoxLayout(bitmapPanel);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(CBtrans);
        auto* group = Named(new QGroupBox("Importa come:"), "gimporta");
        auto* h = new QHBoxLayout(group);
        h->addWidget(rbGif);
        h->addWidget(rbJpg);
        h->addWidget(NamedLabel("Qualità:", "lqualita", Equalita));
        h->addWidget(Equalita);
        h->addStretch();
        v->addWidget(group);
    }

    auto* pv = new QVBoxLayout(page);
    auto* previews = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(source);
    auto* da = new QHBoxLayout;
    da->addWidget(NamedLabel("Da:", "ldacap"));
    da->addWidget(fromBytes);
    da->addStretch();
    left->addLayout(da);
    auto* right = new QVBoxLayout;
    right->addWidget(converted);
    auto* a = new QHBoxLayout;
    a->addWidget(NamedLabel("A:", "lacap"));
    a->addWidget(toBytes);
    a->addStretch();
    right->addLayout(a);
    previews->addLayout(left);
    previews->addLayout(right);
    pv->addLayout(previews);
    pv->addWidget(metafilePanel);
    pv->addWidget(bitmapPanel);

    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs);
    v->addWidget(CheckedOkCancelBox(this, [this] { return model.Ok() != nullptr; }));

    auto changed = [this](auto apply) {
        return [this, apply](bool on) {
            if (refreshing_ || !on) return;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            apply();
            QApplication::restoreOverrideCursor();
            Refresh();
        };
    };
    connect(rbEmf, &QRadioButton::toggled, this, changed([this] { model.SetFormat(MetafileChoice::Emf); }));
    connect(rbWmf, &QRadioButton::toggled, this, changed([this] { model.SetFormat(MetafileChoice::Wmf); }));
    connect(rbBitmap, &QRadioButton::toggled, this, changed([this] { model.SetFormat(MetafileChoice::Bitmap); }));
    connect(rbGif, &QRadioButton::toggled, this, changed([this] { model.SetImport(BitmapTarget::Gif); }));
    connect(rbJpg, &QRadioButton::toggled, this, changed([this] { model.SetImport(BitmapTarget::Jpeg); }));
    connect(CBtrans, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        model.SetTransparent(on);
        Refresh();
    });
    connect(Equalita, &QSpinBox::editingFinished, this, [this] {
        if (refreshing_ || Equalita->value() == model.Quality()) return;
        model.SetQuality(Equalita->value());
        Refresh();
    });
    resize(460, 400);
    FinishCreation();
}

void TFimgFromClip::Open() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model.Open();
    QApplication::restoreOverrideCursor();
    Refresh();
}

void TFimgFromClip::Refresh() {
    refreshing_ = true;
    const bool metafile = model.MetafileMode();
    metafilePanel->setVisible(model.MetafileAvailable());
    bitmapPanel->setVisible(!metafile);
    rbEmf->setEnabled(model.EmfEnabled());
    rbWmf->setEnabled(model.WmfEnabled());
    rbBitmap->setEnabled(model.MetafileAvailable());
    rbEmf->setChecked(model.Format() == MetafileChoice::Emf);
    rbWmf->setChecked(model.Format() == MetafileChoice::Wmf);
    rbBitmap->setChecked(model.Format() == MetafileChoice::Bitmap);
    rbGif->setChecked(model.Import() == BitmapTarget::Gif);
    rbJpg->setChecked(model.Import() == BitmapTarget::Jpeg);
    Equalita->setEnabled(model.QualityEnabled());
    CBtrans->setEnabled(model.TransparentEnabled());
    CBtrans->setChecked(model.Transparent());
    const QPixmap shown = Preview(model.TempFile());
    converted->setPixmap(shown);
    if (metafile || !model.Source().bitmap) {
        source->setPixmap(shown);
    } else {
        const platform::ClipboardBitmap& b = *model.Source().bitmap;
        QImage image(b.rgba.data(), b.width, b.height, b.width * 4, QImage::Format_RGBA8888);
        QPixmap p = QPixmap::fromImage(image.copy());
        if (p.width() > 200 || p.height() > 150) p = p.scaled(200, 150, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        source->setPixmap(p);
    }
    fromBytes->setText(QString::number(model.FromBytes()));
    toBytes->setText(QString::number(model.ToBytes()));
    metafileBytes->setText(model.MetafileBytes() >= 0 ? QString::number(model.MetafileBytes()) : QString());
    // The chosen format's caption turns red when its file is large.
    for (QRadioButton* b : {rbEmf, rbWmf}) b->setStyleSheet(QString());
    if (model.CaptionRed()) (model.Format() == MetafileChoice::Emf ? rbEmf : rbWmf)->setStyleSheet("color: red");
    refreshing_ = false;
    raise();
}

}  // namespace ovik::ui
