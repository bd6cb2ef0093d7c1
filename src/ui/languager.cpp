#include "ui/languager.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QToolBar>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>

#include "ui/translations.h"

namespace ovik::ui {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

// Every object the block may name: the window and its named descendants.
std::vector<QObject*> Named(QObject* window) {
    std::vector<QObject*> out{window};
    for (QObject* o : window->findChildren<QObject*>()) {
        if (!o->objectName().isEmpty() && !o->objectName().startsWith("qt_")) out.push_back(o);
    }
    return out;
}

// A combo box that lists the document's or the system's names (styles, faces)
// has no items of its own to translate.
bool DocumentItems(QObject* o) { return o->property("documentItems").toBool(); }

// Toolbars and docks are captioned by their window title.
bool TitledBar(QObject* o) { return qobject_cast<QToolBar*>(o) || qobject_cast<QDockWidget*>(o); }

QString HintOf(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o)) return a->statusTip();
    if (auto* w = qobject_cast<QWidget*>(o)) return w->toolTip();
    return {};
}

QStringList ItemsOf(QObject* o) {
    QStringList items;
    if (DocumentItems(o)) return items;
    if (auto* c = qobject_cast<QComboBox*>(o))
        for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    if (auto* l = qobject_cast<QListWidget*>(o))
        for (int i = 0; i < l->count(); ++i) items << l->item(i)->text();
    if (auto* t = qobject_cast<QTabWidget*>(o))
        for (int i = 0; i < t->count(); ++i) items << t->tabText(i);
    return items;
}

}  // namespace

void TZtLanguager::SetLocalizationString(const std::string& block) {
    app::ApplyLanguageBlock(app::LanguageBlock(block), *this);
}

std::vector<app::Localizable::Property> TZtLanguager::Properties() const {
    std::vector<Property> props;
    for (QObject* o : Named(window_)) {
        std::string name = S(o->objectName().toLower());
        if (o == window_ || qobject_cast<QAction*>(o) || qobject_cast<QAbstractButton*>(o) ||
            qobject_cast<QLabel*>(o) || qobject_cast<QGroupBox*>(o) || qobject_cast<QMenu*>(o) || TitledBar(o)) {
            props.push_back({name, "caption", Property::Single, 0, {}});
        }
        // Every widget and action has a hint (its tool tip).
        if (qobject_cast<QWidget*>(o) || qobject_cast<QAction*>(o)) props.push_back({name, "hint", Property::Single, 0, {}});
        if (qobject_cast<QLabel*>(o) || qobject_cast<QLineEdit*>(o) || qobject_cast<QTextEdit*>(o) ||
            qobject_cast<QPlainTextEdit*>(o)) {
            props.push_back({name, "text", Property::Single, 0, {}});
        }
        if (qobject_cast<QGroupBox*>(o) || qobject_cast<QMenu*>(o))
            props.push_back({name, "title", Property::Single, 0, {}});
        if (qobject_cast<QComboBox*>(o) || qobject_cast<QListWidget*>(o)) {
            if (!DocumentItems(o))
                for (const char* p : {"items", "strings", "lines"}) props.push_back({name, p, Property::List, 0, {}});
        }
        if (qobject_cast<QTabWidget*>(o)) props.push_back({name, "tabs", Property::List, 0, {}});
        if (auto* tree = qobject_cast<QTreeWidget*>(o))
            props.push_back({name, "columns", Property::Collection, tree->columnCount(), {"caption", "width"}});
        if (auto* table = qobject_cast<QTableWidget*>(o))
            props.push_back({name, "columns", Property::Collection, table->columnCount(), {"caption", "width"}});
    }
    return props;
}

QObject* TZtLanguager::Find(const std::string& component) const {
    for (QObject* o : Named(window_))
        if (S(o->objectName().toLower()) == component) return o;
    return nullptr;
}

void TZtLanguager::SetText(const Property& p, const std::string& value) {
    QObject* o = Find(p.component);
    if (!o) return;
    QString v = Q(value);
    v.replace("\r\n", "\n");
    if (p.property == "hint") {
        if (auto* a = qobject_cast<QAction*>(o)) {
            a->setToolTip(v);
            a->setStatusTip(v);
        } else if (auto* w = qobject_cast<QWidget*>(o)) {
            w->setToolTip(v);
        }
        return;
    }
    if (p.property == "title") {
        if (auto* g = qobject_cast<QGroupBox*>(o)) g->setTitle(v);
        if (auto* m = qobject_cast<QMenu*>(o)) m->setTitle(v);
        return;
    }
    // caption and text
    if (o == window_) {
        if (auto* w = qobject_cast<QWidget*>(o)) w->setWindowTitle(v);
    } else if (auto* a = qobject_cast<QAction*>(o)) {
        a->setText(v);
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        b->setText(v);
    } else if (auto* l = qobject_cast<QLabel*>(o)) {
        l->setText(v);
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        g->setTitle(v);
    } else if (auto* m = qobject_cast<QMenu*>(o)) {
        m->setTitle(v);
    } else if (TitledBar(o)) {
        static_cast<QWidget*>(o)->setWindowTitle(v);
    } else if (auto* e = qobject_cast<QLineEdit*>(o)) {
        e->setText(v);
    } else if (auto* t = qobject_cast<QTextEdit*>(o)) {
        t->setPlainText(v);
    } else if (auto* pt = qobject_cast<QPlainTextEdit*>(o)) {
        pt->setPlainText(v);
    }
}

void TZtLanguager::SetItems(const Property& p, const std::vector<std::string>& items) {
    QObject* o = Find(p.component);
    if (!o) return;
    QStringList list;
    for (auto& i : items) list << Q(i);
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        // The same number of items: each takes its new text and keeps its data.
        if (c->count() == list.size()) {
            for (int i = 0; i < list.size(); ++i) c->setItemText(i, list[i]);
            return;
        }
        int current = c->currentIndex();
        c->clear();
        c->addItems(list);
        if (current >= 0 && current < c->count()) c->setCurrentIndex(current);
    } else if (auto* l = qobject_cast<QListWidget*>(o)) {
        if (l->count() == list.size()) {
            for (int i = 0; i < list.size(); ++i) l->item(i)->setText(list[i]);
            return;
        }
        l->clear();
        l->addItems(list);
    } else if (auto* t = qobject_cast<QTabWidget*>(o)) {
        // Tabs keep their pages: only the captions of existing tabs change.
        for (int i = 0; i < t->count() && i < list.size(); ++i) t->setTabText(i, list[i]);
    }
}

void TZtLanguager::SetItemProperty(const Property& p, int index, const std::string& itemProperty,
                                   const std::string& value) {
    QObject* o = Find(p.component);
    if (!o) return;
    if (auto* tree = qobject_cast<QTreeWidget*>(o)) {
        if (itemProperty == "caption") tree->headerItem()->setText(index, Q(value));
        if (itemProperty == "width") tree->setColumnWidth(index, app::SettingNumber(value, tree->columnWidth(index)));
    } else if (auto* table = qobject_cast<QTableWidget*>(o)) {
        if (itemProperty == "caption") {
            auto* item = table->horizontalHeaderItem(index);
            if (!item) table->setHorizontalHeaderItem(index, item = new QTableWidgetItem);
            item->setText(Q(value));
        }
        if (itemProperty == "width") table->setColumnWidth(index, app::SettingNumber(value, table->columnWidth(index)));
    }
}

std::string TZtLanguager::CurrentBlock() const {
    std::string block;
    auto add = [&](const std::string& key, const QString& value) {
        QString v = value;
        v.replace("\n", "\r\n");
        block += key + "\r\n " + app::LanguageBlock::Encode(S(v)) + "\r\n";
    };
    for (QObject* o : Named(window_)) {
        std::string name = S(o->objectName().toLower());
        if (o == window_) {
            if (auto* w = qobject_cast<QWidget*>(o)) add("*_*" + name + "_caption", w->windowTitle());
        } else if (auto* a = qobject_cast<QAction*>(o)) {
            add("*_*" + name + "_caption", a->text());
        } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
            add("*_*" + name + "_caption", b->text());
        } else if (auto* l = qobject_cast<QLabel*>(o)) {
            add("*_*" + name + "_caption", l->text());
        } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
            add("*_*" + name + "_caption", g->title());
        } else if (auto* m = qobject_cast<QMenu*>(o)) {
            add("*_*" + name + "_caption", m->title());
        } else if (TitledBar(o)) {
            add("*_*" + name + "_caption", static_cast<QWidget*>(o)->windowTitle());
        }
        if (o != window_) {
            const QString hint = HintOf(o);
            if (!hint.isEmpty()) add("*_*" + name + "_hint", hint);
        }
        QStringList items = ItemsOf(o);
        if (!items.isEmpty()) {
            std::string key = qobject_cast<QTabWidget*>(o) ? "_tabs" : "_items";
            add("*_." + name + key + "*count", QString::number(items.size()));
            for (int i = 0; i < items.size(); ++i) add("*_." + name + key + "*item" + std::to_string(i), items[i]);
        }
        // The captions of list columns.
        QStringList columns;
        if (auto* tree = qobject_cast<QTreeWidget*>(o))
            for (int i = 0; i < tree->columnCount(); ++i) columns << tree->headerItem()->text(i);
        if (auto* table = qobject_cast<QTableWidget*>(o))
            for (int i = 0; i < table->columnCount(); ++i)
                columns << (table->horizontalHeaderItem(i) ? table->horizontalHeaderItem(i)->text() : QString());
        for (int i = 0; i < columns.size(); ++i)
            if (!columns[i].isEmpty())
                add("*_." + name + "_columns*item" + std::to_string(i) + "_caption", columns[i]);
    }
    return block;
}

QString BuiltInBlockResource(const QWidget* window) {
    return ":/lang/it/" + window->objectName().toLower() + ".blk";
}

bool ApplyBuiltInBlock(QWidget* window) {
    QFile f(LanguageBlockResource(window->objectName(), CurrentLanguage()));
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes = f.readAll();
    TZtLanguager(window).SetLocalizationString(bytes.toStdString());
    return true;
}

}  // namespace ovik::ui
