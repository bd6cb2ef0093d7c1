#include "ui/dialogs/dialog_support.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include "core/codepage.h"
#include "ui/languager.h"

namespace ovik::ui {

QString FromCp(const std::string& s) { return QString::fromStdString(cp1252::ToUtf8(s)); }
std::string ToCp(const QString& s) { return cp1252::FromUtf8(s.toStdString()); }

std::string PlacementText(const QRect& r) {
    return QString("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height()).toStdString();
}

std::optional<QRect> ParsePlacement(const std::string& text) {
    QStringList parts = QString::fromStdString(text).split(',');
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (v[2] < 50 || v[3] < 30 || v[2] > 20000 || v[3] > 20000) return std::nullopt;
    return QRect(v[0], v[1], v[2], v[3]);
}

TFDialog::TFDialog(platform::SettingsStore& store, const char* objectName, QWidget* parent)
    : QDialog(parent), store_(store) {
    setObjectName(objectName);
}

void TFDialog::FinishCreation() {
    blockApplied_ = ApplyBuiltInBlock(this);
    if (auto r = ParsePlacement(store_.ReadOr("forms", objectName().toStdString(), ""))) {
        // Only a placement that still lies on a screen is taken back.
        bool visible = false;
        for (QScreen* s : QGuiApplication::screens())
            if (s->availableGeometry().intersects(*r)) visible = true;
        resize(r->size());
        if (visible) move(r->topLeft());
    }
}

void TFDialog::SavePlacement() {
    store_.Write("forms", objectName().toStdString(), PlacementText(QRect(pos(), size())));
}

void TFDialog::done(int r) {
    SavePlacement();
    QDialog::done(r);
}

void TFDialog::hideEvent(QHideEvent* e) {
    SavePlacement();
    QDialog::hideEvent(e);
}

QColor ToQColor(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
int32_t FromQColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

ColourButton::ColourButton(QWidget* parent) : QPushButton(parent) {
    setMinimumWidth(80);
    connect(this, &QPushButton::clicked, this, [this] {
        QColor c = QColorDialog::getColor(ToQColor(colour_), this);
        if (c.isValid()) SetColour(FromQColor(c));
    });
    SetColour(0);
}

void ColourButton::SetColour(int32_t c) {
    colour_ = c & 0xFFFFFF;
    QColor q = ToQColor(colour_);
    setText(q.name().toUpper());
    setStyleSheet(QString("background-color: %1; color: %2;")
                      .arg(q.name(), q.lightness() < 128 ? "white" : "black"));
}

QDialogButtonBox* OkCancelBox(QDialog* dialog, std::function<void()> onOk) {
    return CheckedOkCancelBox(dialog, [onOk] {
        if (onOk) onOk();
        return true;
    });
}

QDialogButtonBox* CheckedOkCancelBox(QDialog* dialog, std::function<bool()> onOk) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = box->button(QDialogButtonBox::Ok);
    ok->setObjectName("bok");
    ok->setText("&Ok");
    QPushButton* cancel = box->button(QDialogButtonBox::Cancel);
    cancel->setObjectName("bannulla");
    cancel->setText("A&nnulla");
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, [dialog, onOk] {
        if (!onOk || onOk()) dialog->accept();
    });
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QLabel* NamedLabel(const QString& text, const char* name, QWidget* buddy) {
    auto* l = Named(new QLabel(text), name);
    if (buddy) l->setBuddy(buddy);
    return l;
}

void SetBuddies(QFormLayout* f) {
    for (int r = 0; r < f->rowCount(); ++r) {
        QLayoutItem* label = f->itemAt(r, QFormLayout::LabelRole);
        QLayoutItem* field = f->itemAt(r, QFormLayout::FieldRole);
        if (!label || !field) continue;
        if (auto* l = qobject_cast<QLabel*>(label->widget())) l->setBuddy(field->widget());
    }
}

}  // namespace ovik::ui
