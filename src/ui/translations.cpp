#include "ui/translations.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QWidget>

#include "ui/languager.h"
#include "ui/qt_platform.h"

namespace ovik::ui {

namespace {
app::InterfaceLanguage current = app::InterfaceLanguage::Italian;
// Where a message item keeps its Italian text.
constexpr int kItalianRole = Qt::UserRole + 77;

void RetranslateMessageItems(QWidget* window) {
    for (QComboBox* c : window->findChildren<QComboBox*>())
        for (int i = 0; i < c->count(); ++i) {
            const QVariant italian = c->itemData(i, kItalianRole);
            if (italian.isValid()) c->setItemText(i, Tr(italian.toString()));
        }
}
}  // namespace

void AddMessageItem(QComboBox* combo, const QString& italian, const QVariant& data) {
    combo->addItem(Tr(italian), data);
    combo->setItemData(combo->count() - 1, italian, kItalianRole);
}

app::InterfaceLanguage CurrentLanguage() { return current; }

LanguageEvents& LanguageEvents::Instance() {
    static LanguageEvents events;
    return events;
}

QString LanguageBlockResource(const QString& windowName, app::InterfaceLanguage l) {
    return ":/lang/" + QString::fromStdString(app::LanguageCode(l)) + "/" + windowName.toLower() + ".blk";
}

const app::MessageTable& EnglishMessages() {
    static const app::MessageTable table = [] {
        QFile f(":/lang/en/messages.txt");
        if (!f.open(QIODevice::ReadOnly)) return app::MessageTable();
        return app::MessageTable(f.readAll().toStdString());
    }();
    return table;
}

std::string TrText(const std::string& italian) {
    if (current == app::InterfaceLanguage::Italian) return italian;
    if (auto t = EnglishMessages().Translate(italian)) return *t;
    return italian;
}

QString Tr(const QString& italian) {
    if (current == app::InterfaceLanguage::Italian || italian.isEmpty()) return italian;
    if (auto t = EnglishMessages().Translate(italian.toStdString())) return QString::fromStdString(*t);
    return italian;
}

void SetInterfaceLanguage(app::InterfaceLanguage l) {
    current = l;
    LoadQtTranslations(QString::fromStdString(app::LanguageCode(l)));
    if (qApp)
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->objectName().isEmpty()) {
                ApplyBuiltInBlock(w);
                RetranslateMessageItems(w);
            }
    emit LanguageEvents::Instance().Changed();
}

std::string DesktopLocaleName() {
    // The languages the desktop asks the interface for (LANGUAGE, LC_MESSAGES,
    // LANG), the first one first.
    const QLocale system = QLocale::system();
    return system.uiLanguages().value(0, system.name()).toStdString();
}

app::InterfaceLanguage StartInterfaceLanguage(platform::SettingsStore& store, const std::string& localeName) {
    app::AppSettings s(store);
    const app::InterfaceLanguage l =
        app::ChosenInterfaceLanguage(s, localeName.empty() ? DesktopLocaleName() : localeName);
    SetInterfaceLanguage(l);
    return l;
}

}  // namespace ovik::ui
