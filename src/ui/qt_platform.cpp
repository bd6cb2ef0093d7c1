#include "ui/qt_platform.h"

#include <QMessageBox>

#include "app/app_info.h"

namespace ovik::ui {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

platform::Answer ToAnswer(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Yes: return platform::Answer::Yes;
        case QMessageBox::No: return platform::Answer::No;
        default: return platform::Answer::Cancel;
    }
}

// The settings keep the program's section names ("exp\4"): a backslash would
// be a group separator for QSettings, so sections are kept as one group name.
QString Key(const std::string& section, const std::string& name) {
    QString sec = Q(section);
    sec.replace('\\', '_');
    return sec + "/" + Q(name);
}
}  // namespace

void QtMessages::Information(const std::string& text) {
    QMessageBox::information(parent_, platform::kInformationCaption, Q(text));
}
void QtMessages::Warning(const std::string& text) {
    QMessageBox::warning(parent_, platform::kWarningCaption, Q(text));
}
void QtMessages::Error(const std::string& text) {
    QMessageBox::critical(parent_, platform::kErrorCaption, Q(text));
}
platform::Answer QtMessages::AskYesNo(const std::string& text) {
    auto a = ToAnswer(QMessageBox::question(parent_, Q(ApplicationTitle()), Q(text),
                                            QMessageBox::Yes | QMessageBox::No));
    return a == platform::Answer::Cancel ? platform::Answer::No : a;
}
platform::Answer QtMessages::AskYesNoCancel(const std::string& text) {
    return ToAnswer(QMessageBox::question(parent_, Q(ApplicationTitle()), Q(text),
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
}

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            app::kOrganisation, app::kSettingsApplication)) {}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

std::optional<std::string> QtSettingsStore::Read(const std::string& section, const std::string& name) const {
    QVariant v = settings_->value(Key(section, name));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

void QtSettingsStore::Write(const std::string& section, const std::string& name, const std::string& value) {
    settings_->setValue(Key(section, name), Q(value));
}

}  // namespace ovik::ui
