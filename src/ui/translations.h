// The interface language at run time: which language the windows, menus and
// messages speak, the switch between languages, and the message table that
// gives the program's Italian messages in English.
#pragma once

#include <QComboBox>
#include <QObject>
#include <QVariant>
#include <QString>
#include <string>

#include "app/interface_language.h"
#include "platform/settings_store.h"

namespace ovik::ui {

app::InterfaceLanguage CurrentLanguage();

// Makes `l` the interface language: Qt's own dialogs take their translations,
// every open window (shown or kept hidden in the window cache) takes its
// language block again, and LanguageEvents::Changed tells the windows that
// have texts of their own (a caption, the status line).
void SetInterfaceLanguage(app::InterfaceLanguage l);

// At start-up: the stored choice, or the desktop's language when none is
// stored (`localeName`, the desktop's own when empty); made the interface
// language.
app::InterfaceLanguage StartInterfaceLanguage(platform::SettingsStore& store, const std::string& localeName = {});
// The desktop's locale name ("en_GB"), as the choice at first start sees it.
std::string DesktopLocaleName();

// A message in the interface language. Messages are written in Italian; a
// text the table lacks stays as it is.
QString Tr(const QString& italian);
std::string TrText(const std::string& italianUtf8);
// The English message table (":/lang/en/messages.txt").
const app::MessageTable& EnglishMessages();

// Adds a list item whose text is one of the program's messages (a format's
// name, "(nessuna)"): shown in the interface language, it changes with it.
void AddMessageItem(QComboBox* combo, const QString& italian, const QVariant& data = {});

// A window's block in a language: ":/lang/" + code + "/" + name + ".blk".
QString LanguageBlockResource(const QString& windowName, app::InterfaceLanguage l);

class LanguageEvents : public QObject {
    Q_OBJECT
public:
    static LanguageEvents& Instance();
signals:
    void Changed();
};

}  // namespace ovik::ui
