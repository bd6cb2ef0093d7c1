// An ordered tree of objects of one kind (the pages, or the custom objects),
// grouped into chapters, as the author arranged them. It is stored as tree
// text in the content stream of a marker object that the hypertext header
// names: one line per node, depth first, each ended by CR LF:
//
//   a<level>,<identifier>,x        an object
//   a<level>,-2,<text>             the hypertext itself (the root)
//   a<level>,-3,<text>             a chapter
//   a<level>,-1,<text>             a node without data
//
//   OrderedTree tree(set, testoHtml);
//   tree.Load();                        // the default tree when none is stored
//   tree.AddChapter(tree.Root(), "Capitolo 1");
//   tree.Store();
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/hqv_set.h"

namespace ovik {

class TreeNode {
public:
    enum class Data { None, Root, Chapter, Object };

    Data data = Data::None;
    int32_t id = -1;   // the object's identifier (Object nodes)
    std::string text;  // what the node shows; an object's description
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children;

    // Depth below the top (top-level nodes are at level 0).
    int Level() const;
    // Index among its siblings.
    int Index() const;
    bool IsDescendantOf(const TreeNode* other) const;
    // Holds data that is not an object: it takes children.
    bool IsContainer() const { return data == Data::Root || data == Data::Chapter; }
};

class OrderedTree {
public:
    // `objects`: testoHtml (0) for the page tree, custom (12) for the
    // custom-object tree.
    OrderedTree(THQVset& set, uint8_t objects);

    THQVset& Set() const { return set_; }
    uint8_t Objects() const { return objects_; }
    bool Editable = false;
    // Asked before a node of the custom-object tree is deleted.
    std::function<bool(const TreeNode&)> OnDel;

    // Builds the tree from its marker object, or the default tree (which is
    // then stored). Malformed lines are reported ("error decoding nodes",
    // "error loading nodes") and skipped; the rest is still read.
    void Load();
    // Builds the tree from tree text (what Load reads from the marker).
    void LoadText(std::string_view text);
    // The default tree: the file name as root and every object that is not
    // free below it, in number order.
    void LoadDefault();
    // Writes the tree text into the marker's content stream.
    void Store();
    std::string TreeText() const;

    // The top-level nodes (normally one: the root).
    const std::vector<std::unique_ptr<TreeNode>>& TopNodes() const { return top_.children; }
    TreeNode* Root() const { return top_.children.empty() ? nullptr : top_.children.front().get(); }
    // Every node in depth-first order (parent before children).
    std::vector<TreeNode*> DepthFirst() const;

    // Add a last child to `selected` when it is the root or a chapter; the new
    // node, or null.
    TreeNode* AddChapter(TreeNode* selected, std::string_view text);
    TreeNode* AddObject(TreeNode* selected, int32_t id);
    // Only when Editable: the root never goes; a node of the page tree goes
    // with its children; one of the custom-object tree when OnDel allows.
    bool DeleteNode(TreeNode* node);
    // Only when Editable: one place up or down among its siblings.
    bool MoveUp(TreeNode* node);
    bool MoveDown(TreeNode* node);
    // Whether `dragged` may be dropped on `target` (making it the target's
    // last child), and doing it.
    bool CanDrop(const TreeNode* dragged, const TreeNode* target) const;
    bool Drop(TreeNode* dragged, TreeNode* target);
    // Renames an object node's object (and shows its new description), or
    // changes a chapter's or the root's text.
    void Rename(TreeNode* node, std::string_view text);

    // Every object node's object, in tree order.
    void ObjectsInOrder(std::vector<THQVoggetto*>& list) const;
    // The node of the object with that identifier, or null.
    TreeNode* FindObject(int32_t id) const;

private:
    void Clear();
    TreeNode* AddChild(TreeNode* parent, std::unique_ptr<TreeNode> node, int at = -1);
    std::unique_ptr<TreeNode> Detach(TreeNode* node);
    THQVoggetto* Marker();

    THQVset& set_;
    uint8_t objects_;
    TreeNode top_;  // holds the top-level nodes; never shown
};

}  // namespace ovik
