// The editor's main window on a hypertext file, as the editor tests use it.
#pragma once

#include <QApplication>
#include <memory>

#include "ui/main_window.h"

namespace ovik::ui {

// A main window over `store` with `file` open and page 0 shown, 1000 x 700
// pixels and visible; null when the file does not open.
inline std::unique_ptr<TMainForm> OpenEditor(platform::SettingsStore& store, const QString& file) {
    auto window = std::make_unique<TMainForm>(store);
    if (!window->OpenDocument(file)) return nullptr;
    window->ShowPage(0);
    window->resize(1000, 700);
    window->show();
    return window;
}

}  // namespace ovik::ui
