// The one QApplication of the Qt tests (offscreen in CI).
#pragma once

#include <QApplication>

namespace ovik::ui {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ovik_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qApp ? static_cast<QApplication*>(qApp) : new QApplication(argc, argv);
    return *app;
}

}  // namespace ovik::ui
