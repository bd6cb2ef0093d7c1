// Mouse events sent straight to a widget at a point of it.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace ovik::ui {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers mods = {}) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

}  // namespace ovik::ui
