#include "ui/dialogs/ordered_tree_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>

#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/object_list_view.h"

namespace ovik::ui {

THQVorderedTree::THQVorderedTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setAcceptDrops(true);
    connect(this, &QTreeWidget::itemChanged, this, &THQVorderedTree::Renamed);
}

void THQVorderedTree::SetEditable(bool e) {
    editable_ = e;
    if (tree_) tree_->Editable = e;
    setEditTriggers(e ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                      : QAbstractItemView::NoEditTriggers);
}

TreeNode* THQVorderedTree::NodeOf(const QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<TreeNode*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

TreeNode* THQVorderedTree::SelectedNode() const { return NodeOf(currentItem()); }

void THQVorderedTree::Load() {
    if (!LinkedHQVset) return;
    tree_ = std::make_unique<OrderedTree>(*LinkedHQVset, Objects);
    tree_->Editable = editable_;
    tree_->OnDel = [this](const TreeNode& n) { return OnDel && OnDel(n); };
    tree_->Load();
    Rebuild(tree_->Root());
}

void THQVorderedTree::Store() {
    if (tree_) tree_->Store();
}

void THQVorderedTree::Rebuild(const TreeNode* select) {
    if (!select) select = SelectedNode();
    filling_ = true;
    clear();
    QTreeWidgetItem* chosen = nullptr;
    std::function<void(QTreeWidgetItem*, const TreeNode&)> add = [&](QTreeWidgetItem* parent, const TreeNode& n) {
        for (auto& c : n.children) {
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
            item->setText(0, FromCp(c->text));
            item->setData(0, Qt::UserRole, QVariant::fromValue(quintptr(c.get())));
            Qt::ItemFlags f = item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
            if (c->IsContainer()) f |= Qt::ItemIsDropEnabled;
            else f &= ~Qt::ItemIsDropEnabled;
            item->setFlags(f);
            if (c.get() == select) chosen = item;
            add(item, *c);
        }
    };
    if (tree_)
        for (auto& top : tree_->TopNodes()) {
            auto* item = new QTreeWidgetItem(this);
            item->setText(0, FromCp(top->text));
            item->setData(0, Qt::UserRole, QVariant::fromValue(quintptr(top.get())));
            item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDropEnabled);
            if (top.get() == select) chosen = item;
            add(item, *top);
        }
    expandAll();
    if (chosen) {
        setCurrentItem(chosen);
        scrollToItem(chosen);
    }
    filling_ = false;
}

void THQVorderedTree::AddChapter(const std::string& text) {
    if (!tree_) return;
    if (TreeNode* n = tree_->AddChapter(SelectedNode(), text)) Rebuild(n);
}

void THQVorderedTree::AddObject(int32_t id) {
    if (!tree_) return;
    if (TreeNode* n = tree_->AddObject(SelectedNode(), id)) Rebuild(n);
}

void THQVorderedTree::DeleteNode() {
    TreeNode* n = SelectedNode();
    if (!tree_ || !n) return;
    TreeNode* next = n->parent && n->parent->parent ? n->parent : tree_->Root();
    if (tree_->DeleteNode(n)) Rebuild(next);
}

void THQVorderedTree::MoveUp() {
    if (tree_ && tree_->MoveUp(SelectedNode())) Rebuild();
}

void THQVorderedTree::MoveDown() {
    if (tree_ && tree_->MoveDown(SelectedNode())) Rebuild();
}

void THQVorderedTree::ObjectsInOrder(std::vector<THQVoggetto*>& list) const {
    if (tree_) tree_->ObjectsInOrder(list);
}

std::string THQVorderedTree::SelectedChapterName() const {
    TreeNode* n = SelectedNode();
    return n && n->data == TreeNode::Data::Chapter ? n->text : std::string();
}

THQVoggetto* THQVorderedTree::SelectedObject() const {
    TreeNode* n = SelectedNode();
    return n && n->data == TreeNode::Data::Object && LinkedHQVset ? LinkedHQVset->GetObjectById(n->id) : nullptr;
}

THQVoggetto* THQVorderedTree::TakeObjectNode(int32_t id) {
    if (!tree_) return nullptr;
    TreeNode* n = tree_->FindObject(id);
    if (!n) return nullptr;
    Rebuild(n);
    return SelectedObject();
}

bool THQVorderedTree::Accepts(QDropEvent* e) const {
    if (!Editable()) return false;
    TreeNode* target = NodeOf(itemAt(e->position().toPoint()));
    if (!target || !target->IsContainer()) return false;
    if (e->source() == this) return tree_->CanDrop(SelectedNode(), target);
    auto* list = qobject_cast<THQVListView*>(e->source());
    return list && list->SelectedObject() && list->Objects == Objects;
}

void THQVorderedTree::dragEnterEvent(QDragEnterEvent* e) {
    if (e->source() == this || qobject_cast<THQVListView*>(e->source())) e->acceptProposedAction();
    else e->ignore();
}

void THQVorderedTree::dragMoveEvent(QDragMoveEvent* e) {
    if (Accepts(e)) e->acceptProposedAction();
    else e->ignore();
}

void THQVorderedTree::dropEvent(QDropEvent* e) {
    if (!Accepts(e)) {
        e->ignore();
        return;
    }
    TreeNode* target = NodeOf(itemAt(e->position().toPoint()));
    TreeNode* moved = nullptr;
    if (e->source() == this) {
        TreeNode* dragged = SelectedNode();
        if (tree_->Drop(dragged, target)) moved = dragged;
    } else if (auto* list = qobject_cast<THQVListView*>(e->source())) {
        moved = tree_->AddObject(target, list->SelectedIdentifier());
    }
    // The widget's own move is not used: the model moved, the widget follows.
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
    if (moved) Rebuild(moved);
}

void THQVorderedTree::Renamed(QTreeWidgetItem* item, int column) {
    if (filling_ || column != 0 || !tree_) return;
    TreeNode* n = NodeOf(item);
    if (!n) return;
    tree_->Rename(n, ToCp(item->text(0)));
    filling_ = true;
    item->setText(0, FromCp(n->text));
    filling_ = false;
    if (OnRenameItem) OnRenameItem(*n);
}

}  // namespace ovik::ui
