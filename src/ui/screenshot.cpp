#include "ui/screenshot.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <memory>

#include "app/album.h"
#include "core/codepage.h"
#include "document/keywords.h"
#include "platform/settings_store.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/character.h"
#include "ui/dialogs/delete_objects.h"
#include "ui/dialogs/errors.h"
#include "page/page_record.h"
#include "ui/dialogs/all_pages.h"
#include "ui/dialogs/links.h"
#include "ui/dialogs/slides.h"
#include "ui/dialogs/picture_from_clipboard.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"

namespace ovik::ui {

int ScreenshotWindow(const std::string& name, const std::string& out) {
    platform::InMemorySettings store;
    TMainForm main(store);
    THQVset& set = main.Set();
    set.NewHypertext();
    set.SetTitle(cp1252::FromUtf8("Ipertesto di prova"));
    const char* titles[] = {"Copertina", "Sommario", "Capitolo primo", "Capitolo secondo"};
    for (int i = 0; i < 4; ++i) {
        int32_t n = app::NewEmptyPage(set);
        if (THQVtesto* p = set.Page(n)) {
            p->SetTitle(titles[i]);
            std::string text = std::string("<Z S0 >") + titles[i] + "<Z S0 >Testo della pagina.";
            p->SetContent(Bytes(text.begin(), text.end() + 1));
        }
    }
    // Keywords for the keyword windows: two pages name "introduzione".
    for (const char* k : {"introduzione", "capitoli", "esempi"}) FindOrAddKeyword(set, k);
    for (int32_t n : {0, 2}) AddKeywordToPage(*set.Page(n), 0);
    AddKeywordToPage(*set.Page(0), 1);
    main.View()->ShowPage(set, 0);
    // The link windows belong to the main window's link navigator.
    TLinkNavigator& links = main.Links();
    QDialog* w = nullptr;
    // The clipboard window reads a clipboard of its own: a screenshot-sized bitmap.
    platform::InMemoryClipboard clipboard;
    std::unique_ptr<TFimgFromClip> fromClipboard;
    if (name == "fimgfromclip") {
        platform::ClipboardData d;
        platform::ClipboardBitmap b;
        b.width = 160;
        b.height = 100;
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x)
                b.rgba.insert(b.rgba.end(), {uint8_t(x * 255 / 160), uint8_t(y * 255 / 100), 160, 255});
        d.bitmap = b;
        clipboard.Set(d);
        fromClipboard = std::make_unique<TFimgFromClip>(set, clipboard, store);
        fromClipboard->Open();
        w = fromClipboard.get();
    } else if (name == "fcollega") {
        links.LinkWindow().Load(2);
        w = &links.LinkWindow();
    } else if (name == "fcollspec") {
        links.SpecialWindow().Load(2);
        links.SpecialWindow().SetTarget(set.Page(3), 1);
        links.SpecialWindow().ShowTab(TFCollSpec::Normal);
        w = &links.SpecialWindow();
    } else if (name == "fancora") {
        links.AnchorWindow().number->setValue(2);
        w = &links.AnchorWindow();
    } else if (name == "fslides") {
        for (int32_t n : {1, 2}) {
            PageRecord{*set.Page(n)}.SetSlideTarget(n + 1);
            PageRecord{*set.Page(n)}.SetSlideDelay(int16_t(3 * n));
        }
        PageRecord{*set.Page(3)}.SetSlideDelay(5);
        links.SlidesWindow().CBpreview->setChecked(true);
        links.SlidesWindow().Load(1);
        w = &links.SlidesWindow();
    } else if (name == "ftuttepagine") {
        links.AllPagesWindow().Load();
        w = &links.AllPagesWindow();
    } else if (name == "fcollfile") {
        THQVoggetto* f = set.AddNewObject(genLink);
        f->SetFileName("dati.zip");
        f->SetContent(Bytes(1234, 'x'));
        links.FileWindow().Load(*f);
        w = &links.FileWindow();
    } else {
        w = main.PrepareWindow(name);
    }
    if (!w) {
        std::fprintf(stderr, "unknown window: %s\n", name.c_str());
        return 1;
    }
    if (name == "fsimbolo") static_cast<TFSimbolo*>(w)->Select(0xE8);
    if (name == "falbum") static_cast<TFAlbum*>(w)->ShowTab(TFAlbum::Pages);
    if (name == "fcancella") {
        auto* d = static_cast<TFCancella*>(w);
        d->Load({MakeId(testoHtml, 0), MakeId(testoHtml, 3)});
        d->Wait();  // the picture shows every line
    }
    if (name == "ferrori")
        static_cast<TFErrori*>(w)->Load("Salvataggio non riuscito!", {"Errore nella scrittura file /tmp/a.hqv"});
    w->show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    if (!w->grab().save(QString::fromStdString(out), "PNG")) return 1;
    w->hide();
    return 0;
}

int ScreenshotMenu(const std::string& name, const std::string& out) {
    platform::InMemorySettings store;
    store.Write("options", "autoHideTip", "1");
    TMainForm main(store);
    THQVset& set = main.Set();
    main.Document().NewDocument();
    for (const char* title : {"Copertina", "Capitolo primo"}) {
        int32_t n = app::NewEmptyPage(set);
        if (THQVtesto* p = set.Page(n)) {
            p->SetTitle(title);
            std::string text = std::string("<Z S0 >") + title + "<Z S0 >Testo della pagina.";
            p->SetContent(Bytes(text.begin(), text.end() + 1));
        }
    }
    main.resize(1280, 800);
    main.move(0, 0);
    main.show();
    main.ShowPage(1);
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    auto* menu = main.menuBar()->findChild<QMenu*>(QString::fromStdString(name));
    if (!menu) {
        std::fprintf(stderr, "unknown menu: %s\n", name.c_str());
        return 1;
    }
    // The menu opens below its title in the menu bar, as a click opens it.
    const QRect title = main.menuBar()->actionGeometry(menu->menuAction());
    menu->popup(main.menuBar()->mapToGlobal(title.bottomLeft()));
    for (int i = 0; i < 30; ++i) QApplication::processEvents();
    const QPixmap screen = main.screen()->grabWindow(0, 0, 0, 1280, 800);
    menu->hide();
    return screen.save(QString::fromStdString(out), "PNG") ? 0 : 1;
}

}  // namespace ovik::ui
