// ovik: the hypertext editor.
#include <QApplication>
#include <QTimer>

#include "app/app_info.h"
#include "app/startup.h"
#include "core/heap_pages.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "ui/screenshot.h"
#include "ui/translations.h"

int main(int argc, char** argv) {
    ovik::UseHugeHeapPages(argv);
    QApplication app(argc, argv);
    ovik::ui::UseIconThemeFallback();
    QApplication::setOrganizationName(ovik::app::kOrganisation);
    QApplication::setApplicationName(ovik::app::kSettingsApplication);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    // "--language eng|ita" first: the interface language of this run, whatever
    // is stored.
    bool languageGiven = false;
    if (args.size() >= 2 && args[0] == "--language") {
        if (auto l = ovik::app::ParseLanguageSetting(args[1])) {
            ovik::ui::SetInterfaceLanguage(*l);
            languageGiven = true;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    // "--screenshot-window NAME OUT.png": saves a picture of one dialog window
    // over a small sample hypertext, with settings kept in memory only.
    if (args.size() == 3 && args[0] == "--screenshot-window") return ovik::ui::ScreenshotWindow(args[1], args[2]);
    // "--screenshot-menu NAME OUT.png": the main window with one menu open.
    if (args.size() == 3 && args[0] == "--screenshot-menu") return ovik::ui::ScreenshotMenu(args[1], args[2]);
    ovik::app::CommandLine cmd = ovik::app::ParseCommandLine(args);
    ovik::ui::QtSettingsStore store;
    // The interface language (stored, or the desktop's at first start); Qt's
    // standard dialogs speak it too.
    if (!languageGiven) ovik::ui::StartInterfaceLanguage(store);
    ovik::ui::TMainForm window(store);
    window.show();
    QTimer::singleShot(0, &window, [&] { window.StartupShow(cmd); });
    int rc = app.exec();
    store.Sync();
    return rc;
}
