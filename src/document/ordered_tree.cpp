#include "document/ordered_tree.h"

#include <algorithm>
#include <charconv>

#include "platform/messages.h"

namespace ovik {

int TreeNode::Level() const {
    int l = -1;
    for (const TreeNode* p = parent; p; p = p->parent) ++l;
    return l;
}

int TreeNode::Index() const {
    if (!parent) return 0;
    for (size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i].get() == this) return int(i);
    return -1;
}

bool TreeNode::IsDescendantOf(const TreeNode* other) const {
    for (const TreeNode* p = parent; p; p = p->parent)
        if (p == other) return true;
    return false;
}

OrderedTree::OrderedTree(THQVset& set, uint8_t objects) : set_(set), objects_(objects) {}

void OrderedTree::Clear() { top_.children.clear(); }

THQVoggetto* OrderedTree::Marker() {
    return objects_ == custom ? set_.CustomTreeObject() : set_.PageTreeObject();
}

TreeNode* OrderedTree::AddChild(TreeNode* parent, std::unique_ptr<TreeNode> node, int at) {
    node->parent = parent;
    TreeNode* n = node.get();
    if (at < 0 || size_t(at) > parent->children.size()) parent->children.push_back(std::move(node));
    else parent->children.insert(parent->children.begin() + at, std::move(node));
    return n;
}

std::unique_ptr<TreeNode> OrderedTree::Detach(TreeNode* node) {
    TreeNode* parent = node->parent;
    const int i = node->Index();
    std::unique_ptr<TreeNode> owned = std::move(parent->children[size_t(i)]);
    parent->children.erase(parent->children.begin() + i);
    owned->parent = nullptr;
    return owned;
}

void OrderedTree::Load() {
    THQVoggetto* marker = Marker();
    Bytes c;
    if (!marker || !marker->HasContent() || !marker->ReadContent(c)) {
        LoadDefault();
        Store();
        return;
    }
    // The text ends at a zero byte when there is one.
    auto end = std::find(c.begin(), c.end(), uint8_t(0));
    LoadText(std::string(c.begin(), end));
}

void OrderedTree::LoadDefault() {
    Clear();
    auto root = std::make_unique<TreeNode>();
    root->data = TreeNode::Data::Root;
    root->text = set_.HQVFileName().filename().string();
    TreeNode* r = AddChild(&top_, std::move(root));
    for (int32_t n = 0; n < set_.ObjectCount(objects_); ++n) {
        THQVoggetto* o = set_.GetObject(objects_, n);
        if (!o || o->IsFree()) continue;
        auto node = std::make_unique<TreeNode>();
        node->data = TreeNode::Data::Object;
        node->id = o->Id();
        node->text = o->Description();
        AddChild(r, std::move(node));
    }
}

namespace {

bool ParseInt(std::string_view s, long long& v) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

void OrderedTree::LoadText(std::string_view text) {
    Clear();
    TreeNode* prev = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        std::string_view line = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = eol == std::string_view::npos ? text.size() : eol + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        // 1. Split: "a" level "," identifier "," text.
        long long level = 0, id = -1;
        size_t c1 = line.find(','), c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
        if (line[0] != 'a' || c1 == std::string_view::npos || !ParseInt(line.substr(1, c1 - 1), level) ||
            !ParseInt(line.substr(c1 + 1, c2 == std::string_view::npos ? std::string_view::npos : c2 - c1 - 1), id) ||
            level < 0) {
            set_.Messages().Information("error decoding nodes");
            continue;
        }
        std::string nodeText(c2 == std::string_view::npos ? std::string_view() : line.substr(c2 + 1));
        // 2. Place it.
        auto node = std::make_unique<TreeNode>();
        TreeNode* parent = &top_;
        int at = -1;
        if (prev) {
            const int prevLevel = prev->Level();
            if (level == prevLevel) {
                parent = prev->parent;
                at = prev->Index() + 1;
            } else if (level == prevLevel + 1) {
                parent = prev;
                at = 0;
            } else if (level > prevLevel + 1) {
                // A level jump adds no node.
                set_.Messages().Information("error loading nodes");
                continue;
            } else {
                TreeNode* a = prev->parent;
                while (a->parent != &top_ && a->Level() > level) a = a->parent;
                parent = a->parent;
                at = a->Index() + 1;
            }
        }
        // 3. Its data.
        node->text = nodeText;
        if (id == -3) {
            node->data = TreeNode::Data::Chapter;
        } else if (id == -2) {
            node->data = TreeNode::Data::Root;
        } else if (id != -1 && id >= INT32_MIN && id <= INT32_MAX && IdKind(int32_t(id)) == objects_) {
            THQVoggetto* o = set_.GetObjectById(int32_t(id));
            // An object deleted since the tree was stored leaves a node without data.
            if (o && !o->IsFree()) {
                node->data = TreeNode::Data::Object;
                node->id = int32_t(id);
                node->text = o->Description();
            }
        }
        prev = AddChild(parent, std::move(node), at);
    }
}

std::vector<TreeNode*> OrderedTree::DepthFirst() const {
    std::vector<TreeNode*> out;
    std::function<void(const TreeNode&)> walk = [&](const TreeNode& n) {
        for (auto& c : n.children) {
            out.push_back(c.get());
            walk(*c);
        }
    };
    walk(top_);
    return out;
}

std::string OrderedTree::TreeText() const {
    std::string out;
    for (const TreeNode* n : DepthFirst()) {
        out += "a" + std::to_string(n->Level()) + ",";
        switch (n->data) {
            case TreeNode::Data::Object: out += std::to_string(n->id) + ",x"; break;
            case TreeNode::Data::Root: out += "-2," + n->text; break;
            case TreeNode::Data::Chapter: out += "-3," + n->text; break;
            case TreeNode::Data::None: out += "-1," + n->text; break;
        }
        out += "\r\n";
    }
    return out;
}

void OrderedTree::Store() {
    THQVoggetto* marker = Marker();
    if (!marker) return;
    const std::string t = TreeText();
    marker->SetContent(Bytes(t.begin(), t.end()));
    set_.SetModified(true);
}

TreeNode* OrderedTree::AddChapter(TreeNode* selected, std::string_view text) {
    if (!selected || !selected->IsContainer()) return nullptr;
    auto node = std::make_unique<TreeNode>();
    node->data = TreeNode::Data::Chapter;
    node->text = std::string(text);
    return AddChild(selected, std::move(node));
}

TreeNode* OrderedTree::AddObject(TreeNode* selected, int32_t id) {
    if (!selected || !selected->IsContainer()) return nullptr;
    THQVoggetto* o = set_.GetObjectById(id);
    if (!o || o->IsFree()) return nullptr;
    auto node = std::make_unique<TreeNode>();
    node->data = TreeNode::Data::Object;
    node->id = id;
    node->text = o->Description();
    return AddChild(selected, std::move(node));
}

bool OrderedTree::DeleteNode(TreeNode* node) {
    if (!Editable || !node || node->data == TreeNode::Data::Root) return false;
    if (objects_ == custom && !(OnDel && OnDel(*node))) return false;
    Detach(node);
    return true;
}

bool OrderedTree::MoveUp(TreeNode* node) {
    if (!Editable || !node || !node->parent) return false;
    const int i = node->Index();
    if (i <= 0) return false;
    auto& c = node->parent->children;
    std::swap(c[size_t(i)], c[size_t(i - 1)]);
    return true;
}

bool OrderedTree::MoveDown(TreeNode* node) {
    if (!Editable || !node || !node->parent) return false;
    const int i = node->Index();
    auto& c = node->parent->children;
    if (i < 0 || size_t(i) + 1 >= c.size()) return false;
    std::swap(c[size_t(i)], c[size_t(i + 1)]);
    return true;
}

bool OrderedTree::CanDrop(const TreeNode* dragged, const TreeNode* target) const {
    return Editable && dragged && target && dragged != target && dragged->data != TreeNode::Data::Root &&
           dragged->parent && target->IsContainer() && !target->IsDescendantOf(dragged);
}

bool OrderedTree::Drop(TreeNode* dragged, TreeNode* target) {
    if (!CanDrop(dragged, target)) return false;
    AddChild(target, Detach(dragged));
    return true;
}

void OrderedTree::Rename(TreeNode* node, std::string_view text) {
    if (!node) return;
    if (node->data == TreeNode::Data::Object) {
        if (THQVoggetto* o = set_.GetObjectById(node->id)) {
            o->SetName(text);
            node->text = o->Description();
            set_.SetModified(true);
        }
        return;
    }
    node->text = std::string(text);
}

void OrderedTree::ObjectsInOrder(std::vector<THQVoggetto*>& list) const {
    for (const TreeNode* n : DepthFirst())
        if (n->data == TreeNode::Data::Object)
            if (THQVoggetto* o = set_.GetObjectById(n->id)) list.push_back(o);
}

TreeNode* OrderedTree::FindObject(int32_t id) const {
    for (TreeNode* n : DepthFirst())
        if (n->data == TreeNode::Data::Object && n->id == id) return n;
    return nullptr;
}

}  // namespace ovik
