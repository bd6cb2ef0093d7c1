#include "ui/separate_windows.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/page_view.h"

namespace ovik::ui {

// --- TFFinestra -------------------------------------------------------------------------------------

TFFinestra::TFFinestra(const std::string& name, QWidget* owner, bool popup)
    : QWidget(owner, popup ? Qt::Tool : Qt::Window), name_(name) {
    setObjectName(popup ? "fpopup" : "ffinestra");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(FromCp(name));
    view_ = new TPageView(this);
    view_->setObjectName("vista");
    view_->SetReadOnly(true);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(view_);
}

void TFFinestra::Apply(const links::WindowData& data, QPoint near) {
    using links::WindowData;
    const int width = data.width > 0 ? data.width : 400, height = data.height > 0 ? data.height : 300;
    resize(width, height);
    if (data.left != WindowData::kNotGiven && data.top != WindowData::kNotGiven) {
        move(data.left, data.top);
    } else if (!near.isNull()) {
        // Next to the place the link was clicked, kept on the screen.
        QRect place(near + QPoint(12, 12), QSize(width, height));
        if (QScreen* screen = QGuiApplication::screenAt(near)) {
            const QRect area = screen->availableGeometry();
            if (place.right() > area.right()) place.moveRight(area.right());
            if (place.bottom() > area.bottom()) place.moveBottom(area.bottom());
        }
        move(place.topLeft());
    }
    view_->setHorizontalScrollBarPolicy(data.scrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy(data.scrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setMinimumSize(data.resizable ? QSize(0, 0) : QSize(width, height));
    setMaximumSize(data.resizable ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) : QSize(width, height));
}

// --- TSeparateWindows -----------------------------------------------------------------------------

TSeparateWindows::TSeparateWindows(QWidget& owner, THQVset& set, FollowFn follow)
    : QObject(&owner), owner_(owner), set_(set), follow_(std::move(follow)) {}

TSeparateWindows::~TSeparateWindows() = default;

TFFinestra* TSeparateWindows::Find(const std::string& name) const {
    const std::string lower = cp1252::Lower(name);
    for (const auto& w : windows_)
        if (cp1252::Lower(w->Name()) == lower) return w.get();
    return nullptr;
}

std::vector<TFFinestra*> TSeparateWindows::Windows() const {
    std::vector<TFFinestra*> out;
    for (const auto& w : windows_) out.push_back(w.get());
    return out;
}

TFFinestra* TSeparateWindows::Open(const std::string& name, bool popup) {
    windows_.push_back(std::make_unique<TFFinestra>(name, &owner_, popup));
    TFFinestra* w = windows_.back().get();
    TPageView* view = w->View();
    // Links in the window: its own view shows the pages they lead to (with its
    // own history); the rest goes to the link follower, from the window's page.
    view->Model().OnDoLink = [this, view](links::LinkSender sender, THQVoggetto* target) {
        if (!target) return;
        if (target->Kind() == testoHtml && target->Owner() == &set_) return;  // shown by the view
        if (target->Kind() == speclink) {
            const links::SpecialLink s{*target};
            if (s.Subtype() == links::kSpecGoTo && s.Action() == links::kActJump) {
                THQVoggetto* t = set_.GetObjectById(s.Target());
                if (t && t->Kind() == testoHtml) return;  // shown by the view
            }
        }
        if (follow_) follow_(sender, target, view->PageNumber());
    };
    connect(view, &TPageView::FollowLink, this, [view](int32_t value) {
        QMetaObject::invokeMethod(
            view,
            [view, value] {
                view->Model().FollowIdentifier(value);
                view->Model().RunPosted();
            },
            Qt::QueuedConnection);
    });
    return w;
}

bool TSeparateWindows::Show(const links::SpecialLink& s, THQVoggetto& target, QPoint near) {
    if (target.Kind() != testoHtml || target.IsFree() || target.Owner() != &set_) return false;
    const std::string name = s.WindowName();
    TFFinestra* w = nullptr;
    bool applyData = false;
    switch (s.Action()) {
        case links::kActNamedFrame:
            // The main view has no frame of that name: a separate window has, or gets, it.
            w = Find(name);
            if (!w) w = Open(name, false);
            break;
        case links::kActSeparateWindow:
            w = Find(name);
            if (!w) w = Open(name, false);
            applyData = true;
            break;
        case links::kActNewBrowser: w = Open("<<<new", false); break;
        case links::kActPopup:
            w = Find("<<<pop");
            if (!w) w = Open("<<<pop", true);
            applyData = true;
            break;
        default: return false;
    }
    if (applyData) w->Apply(links::ReadWindowData(s.o), s.Action() == links::kActPopup ? near : QPoint());
    else if (!w->isVisible()) w->resize(400, 300);
    w->View()->ShowPage(set_, target.Number());
    if (s.Anchor() >= 0) w->View()->Model().JumpToAnchor(s.Anchor());
    w->show();
    w->raise();
    return true;
}

void TSeparateWindows::Close(const std::string& lowerName) {
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (cp1252::Lower((*it)->Name()) == lowerName) {
            (*it)->View()->ShowPage(set_, -1);
            it = windows_.erase(it);
        } else {
            ++it;
        }
    }
}

void TSeparateWindows::CloseAll() {
    for (auto& w : windows_) w->View()->ShowPage(set_, -1);
    windows_.clear();
}

}  // namespace ovik::ui
