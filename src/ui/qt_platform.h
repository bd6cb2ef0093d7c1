// Qt implementations of the engine's platform interfaces: message boxes and
// questions, and the settings store.
#pragma once

#include <QMessageBox>
#include <QSettings>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/clipboard.h"
#include "platform/media_player.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

namespace ovik::ui {

// A message box in the interface's language: the title and text (written in
// Italian) through the message table, the buttons with the language's own
// texts ("Sì", "No", "Annulla", "OK" / "Yes", "No", "Cancel", "OK"); returns
// the standard button chosen.
int ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons);
// The interface's text of a message-box button; empty for one it has none for.
QString MessageButtonText(QMessageBox::StandardButton b);

// Loads Qt's own translations of its standard dialogs (file, colour, font,
// input) for the interface's language ("it", "en"); an earlier one is
// replaced. False when the translation files are not installed (Qt's own
// English texts then stay).
bool LoadQtTranslations(const QString& language);

// Message boxes: "Informazione", "Attenzione!", "Errore!" and questions titled
// with the application title, modal to the window given.
class QtMessages : public platform::Messages {
public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* p) { parent_ = p; }
    void Information(const std::string& text) override;
    void Warning(const std::string& text) override;
    void Error(const std::string& text) override;
    platform::Answer AskYesNo(const std::string& text) override;
    platform::Answer AskYesNoCancel(const std::string& text) override;

private:
    QWidget* parent_;
};

// Settings in an INI file (organisation "ZW", application "Ovik3.0wh"), with
// the program's sections and value names.
class QtSettingsStore : public platform::SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& iniPath);
    std::optional<std::string> Read(const std::string& section, const std::string& name) const override;
    void Write(const std::string& section, const std::string& name, const std::string& value) override;
    void Sync() { settings_->sync(); }

private:
    std::unique_ptr<QSettings> settings_;
};

// The desktop: files and addresses through QDesktopServices, programs started
// detached with an argument list (no shell).
class QtShell : public platform::Shell {
public:
    bool OpenFile(const std::filesystem::path& file) override;
    bool OpenAddress(const std::string& address) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
};

// The system clipboard: text and data under format names.
class QtClipboard : public platform::Clipboard {
public:
    void Set(const platform::ClipboardData& data) override;
    platform::ClipboardData Get() const override;
    bool HasBitmap() const override;
};

// The players of sounds and videos: Qt Multimedia on a real display; on the
// offscreen and minimal platforms (tests, no sound device) players that only
// record what they are asked. `onFrame` is called when a video shows a new
// frame.
std::unique_ptr<platform::MediaPlayers> NewMediaPlayers(std::function<void()> onFrame);

}  // namespace ovik::ui
