// ovik: the hypertext editor.
#include <QApplication>
#include <QTimer>

#include "app/app_info.h"
#include "app/startup.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/screenshot.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ovik::ui::UseIconThemeFallback();
    QApplication::setOrganizationName(ovik::app::kOrganisation);
    QApplication::setApplicationName(ovik::app::kSettingsApplication);
    // Qt's standard dialogs speak the interface's language.
    ovik::ui::LoadQtTranslations("it");
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    // "--screenshot-window NAME OUT.png": saves a picture of one dialog window
    // over a small sample hypertext, with settings kept in memory only.
    if (args.size() == 3 && args[0] == "--screenshot-window") return ovik::ui::ScreenshotWindow(args[1], args[2]);
    // "--screenshot-menu NAME OUT.png": the main window with one menu open.
    if (args.size() == 3 && args[0] == "--screenshot-menu") return ovik::ui::ScreenshotMenu(args[1], args[2]);
    ovik::app::CommandLine cmd = ovik::app::ParseCommandLine(args);
    ovik::ui::QtSettingsStore store;
    ovik::ui::TMainForm window(store);
    window.show();
    QTimer::singleShot(0, &window, [&] { window.StartupShow(cmd); });
    int rc = app.exec();
    store.Sync();
    return rc;
}
