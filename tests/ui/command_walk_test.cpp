// Every enabled command of the main window, triggered on a window showing a
// page with a selection, does something a user can see: a window or question
// opens, the page, its text, the caret or the selection changes, the status
// line says something, the clipboard or the settings change, the desktop is
// asked to open something, a toggle flips, or the window closes. A command
// whose handler does nothing fails here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QTest>
#include <QToolBar>
#include <map>
#include <set>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "qt_test_app.h"
#include "text/hqv_box.h"
#include "ui/commands/not_built.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"

namespace ovik::ui {
namespace {

// What a user can see of the window and the desktop around it.
struct Seen {
    QString title;
    bool visible = false;
    std::set<QString> windows;  // visible top-level windows other than the main one
    std::set<QString> docks;    // visible docks and toolbars
    int32_t page = -1;
    bool readOnly = false;
    Bytes markup;
    std::string caret;
    bool modified = false;
    QString status;
    QStringList clipboard;
    std::map<std::pair<std::string, std::string>, std::string> settings;
    size_t shellCalls = 0;
    bool checked = false;
    int32_t pages = 0;

    bool operator==(const Seen&) const = default;
};

QString Describe(QWidget* w) {
    return QString("%1/%2/%3").arg(w->metaObject()->className(), w->objectName(), w->windowTitle());
}

struct Walk {
    platform::InMemorySettings store;
    TMainForm w{store};
    platform::RecordingShell* shell = nullptr;

    Walk() {
        auto recording = std::make_unique<platform::RecordingShell>();
        shell = recording.get();
        w.Links().SetShell(std::move(recording));
        w.Document().NewDocument();
        for (int i = 0; i < 3; ++i) {
            auto* p = static_cast<THQVtesto*>(w.Set().AddNewObject(testoHtml));
            const std::string markup = "<Z S0 >parola e altre parole " + std::to_string(i);
            Bytes content(markup.begin(), markup.end());
            content.push_back(0);
            p->SetContent(content);
        }
        w.show();
        w.ShowPage(1);
        w.View()->setFocus();
        // All but the last character selected, and a text to paste.
        w.Action("EditSelectAll")->trigger();
        QTest::keyClick(w.View(), Qt::Key_Left, Qt::ShiftModifier);
        QApplication::clipboard()->setText("incollato");
        QApplication::processEvents();
    }
    ~Walk() {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != &w && t->isVisible()) t->hide();
    }

    Seen Look(QAction* a) {
        Seen s;
        s.title = w.windowTitle();
        s.visible = w.isVisible();
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != &w && t->isVisible() && !qobject_cast<QMenu*>(t)) s.windows.insert(Describe(t));
        for (QDockWidget* d : w.findChildren<QDockWidget*>())
            if (d->isVisible()) s.docks.insert(d->objectName());
        for (QToolBar* b : w.findChildren<QToolBar*>())
            if (b->isVisible()) s.docks.insert(b->objectName());
        s.page = w.View()->PageNumber();
        s.readOnly = w.View()->ReadOnly();
        if (THQVbox* box = w.View()->Box()) {
            s.markup = box->Markup();
            auto at = [](const TextPosition& p) {
                return std::to_string(p.paragraphIndex) + ":" + std::to_string(p.charIndex) + ":" +
                       std::to_string(p.y);
            };
            s.caret = at(box->caret) + "/" + (box->hasSelection ? at(box->SelectionStart()) + "-" +
                                                                      at(box->SelectionEnd())
                                                                : std::string("-"));
        }
        s.modified = w.Document().Modified() || w.Set().Modified();
        s.status = w.statusBar()->currentMessage();
        for (QLabel* l : w.statusBar()->findChildren<QLabel*>()) s.status += "|" + l->text();
        if (const QMimeData* m = QApplication::clipboard()->mimeData()) {
            s.clipboard = m->formats();
            s.clipboard << m->text();
        }
        s.settings = store.Values();
        s.shellCalls = shell->calls().size();
        s.checked = a->isChecked();
        s.pages = w.Set().ObjectCount(testoHtml);
        return s;
    }
};

// Answers every question and closes every modal window a command opens,
// noting what it met.
class Closer : public QObject {
public:
    Closer() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { Close(); });
        timer_.start();
    }
    std::vector<QString> met;

private:
    void Close() {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            met.push_back(Describe(popup));
            popup->close();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        met.push_back(Describe(modal));
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // The answer that changes least: Cancel or No where offered.
            for (QAbstractButton* b : box->buttons()) {
                const auto role = box->buttonRole(b);
                if (role == QMessageBox::RejectRole || role == QMessageBox::NoRole) {
                    b->click();
                    return;
                }
            }
            box->reject();
            return;
        }
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        else modal->close();
    }
    QTimer timer_;
};

TEST(CommandWalk, EveryEnabledCommandDoesSomethingVisible) {
    TestApp();
    // Commands by name and, where several actions share a name (a command in
    // two menus), by their place among them.
    std::vector<std::pair<QString, qsizetype>> names;
    {
        Walk probe;
        std::map<QString, qsizetype> seen;
        for (QAction* a : probe.w.findChildren<QAction*>()) {
            const QString name = a->objectName();
            if (name.isEmpty() || name.startsWith("qt_") || a->menu()) continue;
            const qsizetype k = seen[name]++;
            if (MissingFeature(name.toStdString())) continue;
            names.emplace_back(name, k);
        }
    }
    ASSERT_FALSE(names.empty());
    // A command that sets what is already set is shown the other state first.
    const std::map<QString, QString> before = {{"FormatAlignLeft", "FormatAlignCentre"}};
    std::vector<std::string> idle;
    for (const auto& [name, k] : names) {
        SCOPED_TRACE(name.toStdString());
        Walk walk;
        const QList<QAction*> same = walk.w.findChildren<QAction*>(name);
        ASSERT_GT(same.size(), k);
        QAction* a = same[k];
        // Disabled for reasons of state (nothing to undo, no history, ...).
        if (auto it = before.find(name); it != before.end()) walk.w.Action(it->second)->trigger();
        if (!a->isEnabled()) continue;
        const Seen was = walk.Look(a);
        Closer closer;
        a->trigger();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        const Seen after = walk.Look(a);
        if (closer.met.empty() && was == after) idle.push_back(name.toStdString());
    }
    std::string list;
    for (const std::string& n : idle) list += n + " ";
    EXPECT_TRUE(idle.empty()) << "commands that did nothing visible: " << list;
}

}  // namespace
}  // namespace ovik::ui
