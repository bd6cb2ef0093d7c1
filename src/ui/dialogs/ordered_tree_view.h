// THQVorderedTree: shows an ordered tree of objects (the page tree or the
// custom-object tree) and edits it: chapters, adding, moving up and down,
// drag and drop (inside the tree, or objects dragged from an object list),
// deleting and renaming. The tree itself is the engine's OrderedTree; the
// widget shows it again after every change.
#pragma once

#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/ordered_tree.h"

namespace ovik::ui {

class THQVorderedTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit THQVorderedTree(QWidget* parent = nullptr);

    // Published properties: set before Load.
    THQVset* LinkedHQVset = nullptr;
    uint8_t Objects = testoHtml;
    bool LeftMouseSelect = true;
    void SetEditable(bool e);
    bool Editable() const { return tree_ && tree_->Editable; }
    // Events.
    std::function<bool(const TreeNode&)> OnDel;
    std::function<void(TreeNode&)> OnRenameItem;

    void Load();
    void Store();
    void AddChapter(const std::string& text);
    void AddObject(int32_t id);
    void DeleteNode();
    void MoveUp();
    void MoveDown();
    void ObjectsInOrder(std::vector<THQVoggetto*>& list) const;
    std::string SelectedChapterName() const;
    THQVoggetto* SelectedObject() const;
    THQVoggetto* TakeObjectNode(int32_t id);
    TreeNode* SelectedNode() const;
    OrderedTree* Model() const { return tree_.get(); }
    // Shows the model again, keeping `select` (or the selected node) selected.
    void Rebuild(const TreeNode* select = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    TreeNode* NodeOf(const QTreeWidgetItem* item) const;
    bool Accepts(QDropEvent* e) const;
    void Renamed(QTreeWidgetItem* item, int column);

    std::unique_ptr<OrderedTree> tree_;
    bool filling_ = false;
    bool editable_ = false;
};

}  // namespace ovik::ui
