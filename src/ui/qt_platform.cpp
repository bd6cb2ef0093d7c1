#include "ui/qt_platform.h"

#include <QClipboard>
#include <QImage>
#include <cstring>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>

#include "app/app_info.h"
#include "ui/qt_media_player.h"
#include "ui/translations.h"

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

int ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons) {
    // Messages are written in Italian; the box shows them in the interface's language.
    QMessageBox box(icon, Tr(title), Tr(text), buttons, parent);
    // The buttons speak the interface's language, whatever Qt's own is.
    for (QAbstractButton* b : box.buttons()) {
        const QMessageBox::StandardButton which = box.standardButton(b);
        const QString caption = MessageButtonText(which);
        if (!caption.isEmpty()) b->setText(caption);
        b->setObjectName(QString("msgbutton_%1").arg(int(which), 0, 16));
    }
    box.setObjectName("messagebox");
    return box.exec();
}

bool LoadQtTranslations(const QString& language) {
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load("qtbase_" + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    installed = t;
    return true;
}

QString MessageButtonText(QMessageBox::StandardButton b) {
    if (CurrentLanguage() == app::InterfaceLanguage::English) {
        switch (b) {
            case QMessageBox::Yes: return QStringLiteral("Yes");
            case QMessageBox::No: return QStringLiteral("No");
            case QMessageBox::Cancel: return QStringLiteral("Cancel");
            case QMessageBox::Ok: return QStringLiteral("OK");
            case QMessageBox::Retry: return QStringLiteral("Retry");
            default: return {};
        }
    }
    switch (b) {
        case QMessageBox::Yes: return QStringLiteral("S\u00ec");
        case QMessageBox::No: return QStringLiteral("No");
        case QMessageBox::Cancel: return QStringLiteral("Annulla");
        case QMessageBox::Ok: return QStringLiteral("OK");
        case QMessageBox::Retry: return QStringLiteral("Riprova");
        default: return {};
    }
}

void QtMessages::Information(const std::string& text) {
    ShowMessageBox(parent_, QMessageBox::Information, platform::kInformationCaption, Q(text), QMessageBox::Ok);
}
void QtMessages::Warning(const std::string& text) {
    ShowMessageBox(parent_, QMessageBox::Warning, platform::kWarningCaption, Q(text), QMessageBox::Ok);
}
void QtMessages::Error(const std::string& text) {
    ShowMessageBox(parent_, QMessageBox::Critical, platform::kErrorCaption, Q(text), QMessageBox::Ok);
}
platform::Answer QtMessages::AskYesNo(const std::string& text) {
    auto a = ToAnswer(QMessageBox::StandardButton(ShowMessageBox(
        parent_, QMessageBox::Question, Q(ApplicationTitle()), Q(text), QMessageBox::Yes | QMessageBox::No)));
    return a == platform::Answer::Cancel ? platform::Answer::No : a;
}
platform::Answer QtMessages::AskYesNoCancel(const std::string& text) {
    return ToAnswer(QMessageBox::StandardButton(ShowMessageBox(parent_, QMessageBox::Question,
                                                               Q(ApplicationTitle()), Q(text),
                                                               QMessageBox::Yes | QMessageBox::No |
                                                                   QMessageBox::Cancel)));
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

// --- desktop and clipboard -------------------------------------------------------------

bool QtShell::OpenFile(const std::filesystem::path& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

bool QtShell::OpenAddress(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

bool QtShell::StartProgram(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

void QtClipboard::Set(const platform::ClipboardData& data) {
    auto* mime = new QMimeData;
    for (const auto& [name, bytes] : data.formats)
        mime->setData(QString::fromStdString(name), QByteArray(bytes.data(), qsizetype(bytes.size())));
    if (data.text) mime->setText(QString::fromStdString(*data.text));
    if (data.bitmap && data.bitmap->width > 0 && data.bitmap->height > 0 &&
        data.bitmap->rgba.size() == size_t(data.bitmap->width) * size_t(data.bitmap->height) * 4) {
        QImage image(data.bitmap->rgba.data(), data.bitmap->width, data.bitmap->height,
                     data.bitmap->width * 4, QImage::Format_RGBA8888);
        mime->setImageData(image.copy());
    }
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool QtClipboard::HasBitmap() const {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime && mime->hasImage();
}

platform::ClipboardData QtClipboard::Get() const {
    platform::ClipboardData d;
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return d;
    if (mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_RGBA8888);
        if (!image.isNull()) {
            platform::ClipboardBitmap b;
            b.width = image.width();
            b.height = image.height();
            b.rgba.resize(size_t(b.width) * size_t(b.height) * 4);
            for (int y = 0; y < b.height; ++y)
                std::memcpy(b.rgba.data() + size_t(y) * size_t(b.width) * 4, image.constScanLine(y),
                            size_t(b.width) * 4);
            d.bitmap = std::move(b);
        }
    }
    for (const QString& f : mime->formats()) {
        if (f == "text/plain" || f.startsWith("image/") || f == "application/x-qt-image") continue;
        const QByteArray b = mime->data(f);
        d.formats[f.toStdString()] = std::string(b.constData(), size_t(b.size()));
    }
    if (mime->hasText()) d.text = mime->text().toStdString();
    return d;
}

std::unique_ptr<platform::MediaPlayers> NewMediaPlayers(std::function<void()> onFrame) {
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal") return std::make_unique<platform::RecordingMediaPlayers>();
    return std::make_unique<QtMediaPlayers>(std::move(onFrame));
}

}  // namespace ovik::ui
