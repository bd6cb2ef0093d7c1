// Separate windows and popups: special links that show their page in a window
// of its own, found again by its name ("<<<new" for a new window every time,
// "<<<pop" for the popup), sized and placed by the link's window data, and
// closed by name from a closing special link. Each window shows its page read
// only with its own history; the links in it are followed there, and what its
// view does not show itself goes to the link follower.
#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "links/follow.h"
#include "links/link_objects.h"

namespace ovik::ui {

class TPageView;

// One separate window or popup.
class TFFinestra : public QWidget {
    Q_OBJECT
public:
    TFFinestra(const std::string& name, QWidget* owner, bool popup);
    const std::string& Name() const { return name_; }
    TPageView* View() const { return view_; }
    // Takes the size and place the window data give (defaults where none is given).
    void Apply(const links::WindowData& data, QPoint near);

private:
    std::string name_;
    TPageView* view_;
};

class TSeparateWindows : public QObject {
    Q_OBJECT
public:
    // What a window's own view does not show itself (addresses, files,
    // programs, other hypertexts) goes to `follow` with the window's page.
    using FollowFn = std::function<void(links::LinkSender, THQVoggetto*, int32_t senderPage)>;
    TSeparateWindows(QWidget& owner, THQVset& set, FollowFn follow);
    ~TSeparateWindows() override;

    // Shows the target of a special link with action 1 to 4; false when the
    // target is no page of this hypertext (the caller follows it as usual).
    bool Show(const links::SpecialLink& s, THQVoggetto& target, QPoint near);
    // Closes the windows whose name, in lower case, is `lowerName`.
    void Close(const std::string& lowerName);
    // Closes every window (the hypertext they show is about to go).
    void CloseAll();
    // The open window of that name (compared in lower case), or null.
    TFFinestra* Find(const std::string& name) const;
    std::vector<TFFinestra*> Windows() const;

private:
    TFFinestra* Open(const std::string& name, bool popup);
    QWidget& owner_;
    THQVset& set_;
    FollowFn follow_;
    std::vector<std::unique_ptr<TFFinestra>> windows_;
};

}  // namespace ovik::ui
