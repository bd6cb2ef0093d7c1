#include "ui/dialogs/object_list_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QStyle>
#include <cstring>

#include "app/object_list.h"
#include "links/link_objects.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

namespace {

QIcon Themed(const char* name, QStyle::StandardPixmap fallback) {
    QIcon i = QIcon::fromTheme(name);
    return i.isNull() ? QApplication::style()->standardIcon(fallback) : i;
}

// The icon the desktop gives files with that name's extension.
QIcon IconOfName(const QString& name) {
    static QMimeDatabase db;
    const QMimeType t = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon i = QIcon::fromTheme(t.iconName());
    if (i.isNull()) i = QIcon::fromTheme(t.genericIconName());
    return i.isNull() ? QApplication::style()->standardIcon(QStyle::SP_FileIcon) : i;
}

QIcon IconFor(app::RowIcon icon, const QString& fileName) {
    switch (icon) {
        case app::RowIcon::None: return {};
        case app::RowIcon::TextFile: return IconOfName("a.txt");
        case app::RowIcon::HtmlFile: return IconOfName("a.htm");
        case app::RowIcon::MessageFile: return Themed("mail-message", QStyle::SP_FileIcon);
        case app::RowIcon::Folder: return Themed("folder", QStyle::SP_DirIcon);
        case app::RowIcon::OfFileName: return IconOfName(fileName);
        case app::RowIcon::IniFile: return IconOfName("a.ini");
        case app::RowIcon::DsnFile: return Themed("text-x-generic", QStyle::SP_FileIcon);
    }
    return {};
}

// The name part of a caption ("Pagina: x" -> "x"): descriptions carry the
// kind's caption in front of the name.
std::string NameFromCaption(uint8_t kind, std::string text) {
    const char* prefix = kind == testoHtml      ? "Pagina: "
                         : kind == immagine     ? "Immagine: "
                         : kind == internetLink ? "Collegamento: "
                                                : "";
    if (text.rfind(prefix, 0) == 0) text.erase(0, std::strlen(prefix));
    return text;
}

}  // namespace

THQVListView::THQVListView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({"Titolo", "Dimensione", "Nome file", ""});
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnWidth(0, 260);
    setColumnWidth(1, 80);
    setColumnWidth(2, 140);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    connect(this, &QTreeWidget::itemChanged, this, &THQVListView::Renamed);
}

int32_t THQVListView::IdOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void THQVListView::Reload() {
    filling_ = true;
    const int32_t current = SelectedIdentifier();
    setEditTriggers(Renamable ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                              : QAbstractItemView::NoEditTriggers);
    clear();
    if (LinkedHQVset) {
        // Rows come sorted by caption; the list keeps that order afterwards.
        for (const app::ObjectRow& r : app::ObjectRows(*LinkedHQVset, Objects, OnFilter)) {
            auto* item = new QTreeWidgetItem(this);
            item->setText(0, FromCp(r.caption));
            item->setToolTip(0, FromCp(r.hint));
            item->setText(1, QString::number(qulonglong(r.size)));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            item->setText(2, FromCp(r.fileName));
            if (r.page >= 0) item->setText(3, QString::number(r.page));
            item->setIcon(0, IconFor(r.icon, FromCp(r.fileName)));
            item->setData(0, Qt::UserRole, r.id);
            Qt::ItemFlags flags = item->flags() | Qt::ItemIsDragEnabled;
            if (Checkable) flags |= Qt::ItemIsUserCheckable;
            if (Renamable) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (Checkable) item->setCheckState(0, Qt::Unchecked);
            if (r.id == current) setCurrentItem(item);
        }
    }
    filling_ = false;
    if (OnReload) OnReload();
}

THQVoggetto* THQVListView::SelectedObject() const {
    const int32_t id = SelectedIdentifier();
    return id >= 0 && LinkedHQVset ? LinkedHQVset->GetObjectById(id) : nullptr;
}

int32_t THQVListView::SelectedIdentifier() const { return currentItem() ? IdOf(currentItem()) : -1; }

bool THQVListView::SelectByIdentifier(int32_t id) {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (IdOf(topLevelItem(i)) == id) {
            setCurrentItem(topLevelItem(i));
            scrollToItem(topLevelItem(i));
            return true;
        }
    return false;
}

void THQVListView::CheckedObjects(std::vector<THQVoggetto*>& list) const {
    if (!LinkedHQVset) return;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->checkState(0) == Qt::Checked)
            if (THQVoggetto* o = LinkedHQVset->GetObjectById(IdOf(topLevelItem(i)))) list.push_back(o);
}

void THQVListView::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete && OnDel && state() != QAbstractItemView::EditingState) {
        OnDel();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void THQVListView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && RightMouseSelect)
        if (QTreeWidgetItem* item = itemAt(e->position().toPoint())) setCurrentItem(item);
    QTreeWidget::mousePressEvent(e);
}

void THQVListView::Renamed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != 0 || !LinkedHQVset) return;
    THQVoggetto* o = LinkedHQVset->GetObjectById(IdOf(item));
    if (!o || o->IsFree()) return;
    if (OnEditStart) OnEditStart(*o);
    app::RenameObject(*LinkedHQVset, *o, NameFromCaption(o->Kind(), ToCp(item->text(0))));
    // The row shows the name the object has now (the old one when refused).
    filling_ = true;
    item->setText(0, FromCp(links::ShortText(o->Description())));
    filling_ = false;
    if (OnEditStop) OnEditStop(*o);
}

}  // namespace ovik::ui
