#include "ui/picture_commands.h"

#include "links/link_commands.h"
#include "page/placed_picture.h"
#include "page/working_copy.h"
#include "ui/commands/command_table.h"
#include "ui/dialogs/links.h"
#include "ui/dialogs/picture_from_clipboard.h"
#include "ui/dialogs/picture_properties.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"

namespace ovik::ui {

QAction* TPictureCommands::Add(QMenu* menu, const char* name, const QString& caption, std::function<void()> run) {
    auto* a = new QAction(caption, menu);
    a->setObjectName(name);
    SetHandler(a, this, std::move(run));
    menu->addAction(a);
    return a;
}

TPictureCommands::TPictureCommands(TMainForm& window, platform::SettingsStore& store)
    : QObject(&window), w_(window), store_(store) {
    clipboard = &systemClipboard_;
    TPageView* view = w_.View();
    auto onPicture = [view](std::function<void(TMyyImage&)> f) {
        return [view, f] { view->RunOnPicture(f); };
    };

    popupImage = new QMenu(&w_);
    popupImage->setObjectName("PopupImage");
    Add(popupImage, "PicProperties", "&Proprietà immagine...", [this] { PictureProperties(); });
    Add(popupImage, "PicAddZone", "&Aggiungi zona cliccabile", onPicture([](TMyyImage& i) { i.AddZone(); }));
    Add(popupImage, "PicPasteZone", "&Incolla zona", [view] { view->Paste(); });
    popupImage->addSeparator();
    Add(popupImage, "PicSize100", "Dimensione &100%", onPicture([](TMyyImage& i) { i.Scale(100); }));
    Add(popupImage, "PicSize50", "Dimensione &50%", onPicture([](TMyyImage& i) { i.Scale(50); }));
    popupImage->addSeparator();
    for (const char* name : {"EditCut", "EditCopy"})
        if (QAction* a = w_.Action(name)) popupImage->addAction(a);

    popupMapZone = new QMenu(&w_);
    popupMapZone->setObjectName("PopupMapZone");
    Add(popupMapZone, "ZoneLink", "&Collega zona...", [this, view] {
        if (TMyyImage* i = view->SelectedPicture(); i && i->SelectedZone() >= 0) LinkZone(i->SelectedZone());
    });
    Add(popupMapZone, "ZoneLinkAnchor", "Collega zona all'&ultima ancora", [this] { LinkZoneToLastAnchor(); });
    Add(popupMapZone, "ZoneDelete", "&Cancella zona cliccabile",
        onPicture([](TMyyImage& i) { i.DeleteSelectedZone(); }));
    Add(popupMapZone, "ZoneFront", "Poni zona in &primo piano", onPicture([](TMyyImage& i) { i.BringZoneToFront(); }));
    Add(popupMapZone, "ZoneBack", "Poni zona in &secondo piano", onPicture([](TMyyImage& i) { i.SendZoneToBack(); }));
    popupMapZone->addSeparator();
    Add(popupMapZone, "ZoneCopy", "C&opia zona", [view] { view->Copy(); });
    Add(popupMapZone, "ZonePaste", "&Incolla zona", [view] { view->Paste(); });
    Add(popupMapZone, "ZoneAdd", "&Aggiungi zona cliccabile", onPicture([](TMyyImage& i) { i.AddZone(); }));
    popupMapZone->addSeparator();
    Add(popupMapZone, "ZonePictureProperties", "&Proprietà immagine...", [this] { PictureProperties(); });

    // An object of the header or footer is edited on its own page.
    popupInactive = new QMenu(&w_);
    popupInactive->setObjectName("PopupInactive");
    auto showPart = [this, view](bool header) {
        return [this, view, header] {
            THQVpage* page = view->Page();
            PageWorkingCopy* wc = page ? page->WorkingCopy() : nullptr;
            PageWorkingCopy* part = wc ? (header ? wc->header.get() : wc->footer.get()) : nullptr;
            if (part && part->storedNumber >= 0) w_.ShowPage(part->storedNumber);
        };
    };
    Add(popupInactive, "InactiveHeader", "Modifica pagina di &intestazione", showPart(true));
    Add(popupInactive, "InactiveFooter", "Modifica pagina di &piè di pagina", showPart(false));

    for (QMenu* m : {popupImage, popupMapZone, popupInactive})
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateState(); });
    view->SetPictureMenus(popupImage, popupMapZone, popupInactive);
    connect(view, &TPageView::PicturePropertiesRequested, this, [this] { PictureProperties(); });
    connect(view, &TPageView::ZoneLinkRequested, this, [this](int32_t zone) { LinkZone(zone); });
    connect(view, &TPageView::ImageFromClip, this, [this] { ImageFromClip(); });
    // Without a selected picture the popup commands have nothing to act on.
    connect(view, &TPageView::InputDone, this, [this] { UpdateState(); });
    UpdateState();
}

void TPictureCommands::UpdateState() {
    TPageView* view = w_.View();
    TMyyImage* image = view->SelectedPicture();
    const bool editable = image && !view->ReadOnly() && !image->Inactive();
    // Thirty zones fill the record: no zone is added or pasted then.
    const bool room = editable && image->CanAddZone();
    const bool zoneOnClipboard = room && clipboard && clipboard->HasFormat(platform::kZoneFormat);
    const bool zone = editable && image->SelectedZone() >= 0;
    auto enable = [this](const char* name, bool on) {
        for (QMenu* m : {popupImage, popupMapZone})
            for (QAction* a : m->actions())
                if (a->objectName() == name) a->setEnabled(on);
    };
    enable("PicProperties", editable);
    enable("ZonePictureProperties", editable);
    enable("PicAddZone", room);
    enable("ZoneAdd", room);
    enable("PicPasteZone", room && zoneOnClipboard);
    enable("ZonePaste", room && zoneOnClipboard);
    enable("PicSize100", editable);
    enable("PicSize50", editable);
    for (const char* name : {"ZoneLink", "ZoneLinkAnchor", "ZoneDelete", "ZoneFront", "ZoneBack", "ZoneCopy"}) enable(name, zone);
    THQVpage* page = view->Page();
    PageWorkingCopy* wc = page ? page->WorkingCopy() : nullptr;
    // The menu offers the page the clicked object comes from: the header's or
    // the footer's (both, when it is not known).
    PageWorkingCopy* clicked = page ? page->PartOf(view->InactiveTarget()) : nullptr;
    for (QAction* a : popupInactive->actions()) {
        const bool header = a->objectName() == "InactiveHeader";
        PageWorkingCopy* part = wc ? (header ? wc->header.get() : wc->footer.get()) : nullptr;
        const bool other = clicked && wc && (clicked == wc->header.get() || clicked == wc->footer.get()) &&
                           clicked != part;
        a->setVisible(!other);
        a->setEnabled(!other && part && part->storedNumber >= 0);
    }
}

void TPictureCommands::InsertPicture() {
    TPageView* view = w_.View();
    if (!view->Editor() || view->ReadOnly()) return;
    TFPropImmagine props(w_.Set(), store_, &w_);
    props.Load(nullptr);
    if (execWindow(props) != QDialog::Accepted) return;
    view->InsertPicture(props.MakePlacement());
    view->setFocus();
}

void TPictureCommands::ImageFromClip() {
    TPageView* view = w_.View();
    if (!view->Editor() || view->ReadOnly() || !clipboard) return;
    TFimgFromClip from(w_.Set(), *clipboard, store_, &w_);
    from.Open();
    if (execWindow(from) != QDialog::Accepted || !from.Result()) return;
    const int32_t picture = from.Result()->Number();
    TMyyImage* target = view->SelectedPicture();
    TFPropImmagine props(w_.Set(), store_, &w_);
    props.Load(target, picture);
    if (execWindow(props) != QDialog::Accepted) return;
    if (target) {
        view->RunOnPicture([&](TMyyImage& i) { props.Apply(i); });
        view->DropPictureImages();
    } else {
        view->InsertPicture(props.MakePlacement());
    }
}

void TPictureCommands::PictureProperties() {
    TPageView* view = w_.View();
    TMyyImage* image = view->SelectedPicture();
    if (!image || view->ReadOnly()) return;
    TFPropImmagine props(w_.Set(), store_, &w_);
    props.chooseZoneLink = [this](int32_t) -> int32_t {
        TFCollega& l = w_.Links().LinkWindow();
        l.Load(w_.View()->PageNumber());
        if (execWindow(l) != QDialog::Accepted) return -2;
        THQVoggetto* target = l.MakeTarget();
        const int32_t value =
            target && w_.View()->Page() ? links::ZoneLinkValue(*w_.View()->Page(), *target, l.Anchor()) : -1;
        return value == -1 ? -2 : value;
    };
    props.Load(image);
    if (execWindow(props) != QDialog::Accepted) return;
    view->RunOnPicture([&](TMyyImage& i) { props.Apply(i); });
}

void TPictureCommands::LinkZone(int32_t zone) {
    TPageView* view = w_.View();
    TMyyImage* image = view->SelectedPicture();
    if (!image || view->ReadOnly() || zone < 0 || size_t(zone) >= image->Zones().size()) return;
    TFCollega& l = w_.Links().LinkWindow();
    l.Load(view->PageNumber());
    if (execWindow(l) != QDialog::Accepted) return;
    THQVoggetto* target = l.MakeTarget();
    if (!target || !view->Page()) return;
    const int32_t value = links::ZoneLinkValue(*view->Page(), *target, l.Anchor());
    if (value == -1) return;
    view->RunOnPicture([&](TMyyImage& i) { i.LinkZone(zone, value); });
}

void TPictureCommands::LinkZoneToLastAnchor() {
    TPageView* view = w_.View();
    TMyyImage* image = view->SelectedPicture();
    if (!view->Page() || view->ReadOnly()) return;
    view->RunOnPicture([&](TMyyImage& i) {
        links::LinkZoneToLastAnchor(*view->Page(), &i, i.SelectedZone(), w_.Links().LastAnchor(), w_.Messages());
    });
    if (!image) w_.Messages().Error(links::kNoZoneSelected);
}

}  // namespace ovik::ui
