#include "ui/control_commands.h"

#include "document/hqv_set.h"
#include "links/link_commands.h"
#include "links/link_objects.h"
#include "page/placed_controls.h"
#include "ui/commands/command_table.h"
#include "ui/dialogs/control_properties.h"
#include "ui/dialogs/links.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"
#include "ui/qt_measurer.h"

namespace ovik::ui {

TControlCommands::TControlCommands(TMainForm& window, platform::SettingsStore& store)
    : QObject(&window), w_(window), store_(store) {
    TPageView* view = w_.View();
    for (const char* name : {"PopupInput", "PopupDin", "PopupButton", "PopupFormStart", "PopupMultimedia",
                             "PopupJava", "PopupComment", "PopupFloating"}) {
        auto* menu = new QMenu(&w_);
        menu->setObjectName(name);
        auto* a = new QAction("&Proprietà...", menu);
        a->setObjectName(QString(name) + "Properties");
        SetHandler(a, this, [this] { Properties(); });
        menu->addAction(a);
        menu->addSeparator();
        for (const char* edit : {"EditCut", "EditCopy"})
            if (QAction* e = w_.Action(edit)) menu->addAction(e);
        popups[name] = menu;
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateState(); });
    }
    view->SetControlMenus(popups);
    connect(view, &TPageView::ControlPropertiesRequested, this, [this] { Properties(); });
    connect(view, &TPageView::InputDone, this, [this] { UpdateState(); });
    UpdateState();
}

void TControlCommands::UpdateState() {
    TPageView* view = w_.View();
    TMyyControl* c = view->CurrentControl();
    const bool on = c && !view->ReadOnly() && !c->Inactive();
    for (auto& [name, menu] : popups)
        for (QAction* a : menu->actions())
            if (a->objectName().endsWith("Properties")) a->setEnabled(on);
}

void TControlCommands::SetUpLinks(TFPropControllo& props) {
    // The link window chooses; the value is the shown page's, as for click zones.
    props.askLink = [this]() -> int32_t {
        TPageView* view = w_.View();
        TFCollega& l = w_.Links().LinkWindow();
        l.Load(view->PageNumber());
        if (execWindow(l) != QDialog::Accepted) return -2;
        THQVoggetto* target = l.MakeTarget();
        const int32_t value = target && view->Page() ? links::ZoneLinkValue(*view->Page(), *target, l.Anchor()) : -1;
        return value == -1 ? -2 : value;
    };
    props.describeLink = [this](int32_t value) {
        THQVoggetto* o = w_.View()->Model().Resolve(value);
        return o ? FromCp1252(links::Describe(*o)) : QString();
    };
}

void TControlCommands::Insert(uint8_t kind, uint8_t subtype, bool askFirst) {
    TPageView* view = w_.View();
    if (!view->Editor() || view->ReadOnly()) return;
    auto o = NewControlObject(w_.Set(), kind, subtype);
    if (!o) return;
    if (askFirst) {
        TFPropControllo props(w_.Set(), store_, &w_);
        SetUpLinks(props);
        props.Load(*o);
        if (execWindow(props) != QDialog::Accepted) return;
        props.Apply(*o);
    }
    view->InsertControl(std::move(o));
    view->setFocus();
}

void TControlCommands::Properties() {
    TPageView* view = w_.View();
    TMyyControl* c = view->CurrentControl();
    if (!c || !c->Object() || view->ReadOnly() || c->Inactive()) return;
    TFPropControllo props(w_.Set(), store_, &w_);
    SetUpLinks(props);
    props.Load(*c->Object());
    if (execWindow(props) != QDialog::Accepted) return;
    view->RunOnControl([&](TMyyControl& control) {
        control.Change([&](THQVoggetto& o) { props.Apply(o); });
    });
}

}  // namespace ovik::ui
