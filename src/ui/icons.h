// Icons of the toolbar commands: the desktop's icon theme by freedesktop
// name, then its symbolic variant, then a small glyph drawn here, so that a
// toolbar never shows bare captions.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

class QWidget;

namespace ovik::ui {

// Falls back to the Adwaita theme when the desktop names none that is installed.
void UseIconThemeFallback();
// The icon of a command by its object name; null for commands without one.
QIcon CommandIcon(const QString& commandName);
// Gives every action under `window` that has an icon its icon; the toolbar
// buttons show the icon with the caption as tooltip.
void ApplyCommandIcons(QWidget* window);

// The small picture of a marker, hidden field, server-side element, form
// start, cyclic sound or database element by its icon name ("notepad",
// "nota", "dbrep" ...): a GIF resource, read once; null for an unknown name.
const QImage& ControlIcon(const QString& name);

}  // namespace ovik::ui
