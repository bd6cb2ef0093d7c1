// What every dialog window of the editor shares: the text conversion at the
// widget boundary, the placement remembered under "forms", the built-in
// language block applied at creation, and a colour button for platform colours.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace ovik::ui {

// Engine text (Windows-1252) to and from the widgets.
QString FromCp(const std::string& s);
std::string ToCp(const QString& s);

// A window placement as kept under "forms": "left,top,width,height".
std::string PlacementText(const QRect& r);
// Nothing for text that is not four whole numbers with a usable size.
std::optional<QRect> ParsePlacement(const std::string& text);

// The base of the editor's dialog windows. Subclasses build their widgets and
// then call FinishCreation(): the built-in language block is applied and the
// placement stored under the window's objectName is restored. The placement is
// written back whenever the window closes.
class TFDialog : public QDialog {
    Q_OBJECT
public:
    TFDialog(platform::SettingsStore& store, const char* objectName, QWidget* parent);
    platform::SettingsStore& Store() { return store_; }
    // Whether the built-in language block was found and applied at creation.
    bool BlockApplied() const { return blockApplied_; }

protected:
    void FinishCreation();
    void done(int r) override;
    void hideEvent(QHideEvent* e) override;

private:
    void SavePlacement();
    platform::SettingsStore& store_;
    bool blockApplied_ = false;
};

// A button showing a platform colour (low byte red); a click opens the colour
// dialog.
class ColourButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColourButton(QWidget* parent = nullptr);
    int32_t Colour() const { return colour_; }
    void SetColour(int32_t c);

private:
    int32_t colour_ = 0;
};

QColor ToQColor(int32_t platformColour);
// Gives a widget the objectName its language block knows it by.
template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}
// A named label, the buddy of `buddy` when given.
QLabel* NamedLabel(const QString& text, const char* name, QWidget* buddy = nullptr);

// "&Ok" and "A&nnulla" buttons (objectNames "bok" and "bannulla"); Ok runs
// `onOk` and accepts, Annulla rejects.
QDialogButtonBox* OkCancelBox(QDialog* dialog, std::function<void()> onOk);
// The same, but Ok accepts only when `onOk` returns true.
QDialogButtonBox* CheckedOkCancelBox(QDialog* dialog, std::function<bool()> onOk);
// Gives every label of a form layout its field as buddy (for the & shortcuts).
void SetBuddies(QFormLayout* form);
int32_t FromQColor(const QColor& c);

}  // namespace ovik::ui
