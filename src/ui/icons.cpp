#include "ui/icons.h"

#include <QAction>
#include <QDir>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <map>

namespace ovik::ui {

namespace {

struct CommandIconName {
    const char* command;
    const char* theme;  // freedesktop icon name
    const char* glyph;  // drawn when the theme has neither the icon nor its symbolic variant
};

constexpr CommandIconName kIcons[] = {
    {"FileNew", "document-new", "+"},
    {"FileOpen", "document-open", "\xe2\x86\x97"},        // ↗
    {"FileSave", "document-save", "\xe2\x86\x93"},        // ↓
    {"ModeSwitch", "document-print-preview", "\xe2\x97\x89"},  // ◉
    {"EditUndo", "edit-undo", "\xe2\x86\xb6"},            // ↶
    {"EditRedo", "edit-redo", "\xe2\x86\xb7"},            // ↷
    {"EditCut", "edit-cut", "\xe2\x9c\x82"},              // ✂
    {"EditCopy", "edit-copy", "\xe2\xa7\x89"},            // ⧉
    {"EditPaste", "edit-paste", "\xe2\x8e\x98"},          // ⎘
    {"FormatBold", "format-text-bold", "B"},
    {"FormatItalic", "format-text-italic", "I"},
    {"FormatUnderline", "format-text-underline", "U"},
    {"FormatAlignLeft", "format-justify-left", "\xe2\x89\xa1"},    // ≡
    {"FormatAlignCentre", "format-justify-center", "\xe2\x89\xa3"},  // ≣
    {"FormatAlignRight", "format-justify-right", "\xe2\x89\xa1"},
    {"FormatBullets", "view-list-bullet", "\xe2\x80\xa2"},  // •
    {"FormatNumbers", "view-list-ordered", "1."},
    {"FormatIndentLess", "format-indent-less", "\xe2\x87\xa4"},  // ⇤
    {"FormatIndentMore", "format-indent-more", "\xe2\x87\xa5"},  // ⇥
    {"FormatColour", "format-text-color", "A"},
    {"SearchFind", "edit-find", "?"},
    {"HypPrevious", "go-previous", "\xe2\x97\x80"},  // ◀
    {"HypNext", "go-next", "\xe2\x96\xb6"},          // ▶
    {"HelpIndex", "help-contents", "?"},
    {"HypCover", "go-home", "\xe2\x8c\x82"},        // ⌂
    {"HypContents", "view-list", "\xe2\x98\xb0"},   // ☰
    {"HypPageMinus", "go-up", "\xe2\x96\xb2"},      // ▲
    {"HypPagePlus", "go-down", "\xe2\x96\xbc"},     // ▼
    {"HypAllPages", "view-grid", "\xe2\x96\xa6"},   // ▦
    {"PreviewPage", "web-browser", "\xe2\x97\x8e"},  // ◎
};

QIcon Glyph(const QString& text, bool bold) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QFont f;
        f.setPixelSize(text.size() > 1 ? size * 9 / 16 : size * 3 / 4);
        f.setBold(bold);
        p.setFont(f);
        p.setPen(QColor(0x30, 0x30, 0x30));
        p.drawText(pm.rect(), Qt::AlignCenter, text);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace

void UseIconThemeFallback() {
    if (QDir("/usr/share/icons/Adwaita").exists()) QIcon::setFallbackThemeName("Adwaita");
}

QIcon CommandIcon(const QString& commandName) {
    for (const CommandIconName& c : kIcons) {
        if (commandName != QLatin1String(c.command)) continue;
        const QString name = QString::fromLatin1(c.theme);
        QIcon icon = QIcon::fromTheme(name);
        if (icon.isNull()) icon = QIcon::fromTheme(name + "-symbolic");
        if (icon.isNull()) icon = Glyph(QString::fromUtf8(c.glyph), commandName == "FormatBold");
        return icon;
    }
    return {};
}

void ApplyCommandIcons(QWidget* window) {
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->objectName().isEmpty() || !a->icon().isNull()) continue;
        const QIcon icon = CommandIcon(a->objectName());
        if (!icon.isNull()) a->setIcon(icon);
    }
}

const QImage& ControlIcon(const QString& name) {
    static std::map<QString, QImage> icons;
    auto it = icons.find(name);
    if (it == icons.end()) it = icons.emplace(name, QImage(":/icons/" + name + ".gif")).first;
    return it->second;
}

}  // namespace ovik::ui
