// Ordered trees: the default page tree, tree text in and out, adding, moving,
// dropping and deleting nodes.
#include "document/ordered_tree.h"

#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hypertext_files.h"

namespace ovik {
namespace {

struct OrderedTreeTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    OrderedTreeTest() {
        set.NewHypertext();
        static_cast<THQVtesto*>(set.AddNewObject(testoHtml))->SetTitle("Copertina");
        for (int i = 1; i <= 3; ++i) {
            auto* p = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
            p->SetTitle("P" + std::to_string(i));
        }
    }
    std::string Shape(const OrderedTree& t) {
        std::string s;
        for (const TreeNode* n : t.DepthFirst()) {
            std::string text = n->text;
            if (n->data == TreeNode::Data::Object) {
                // An object node shows the object's description.
                THQVoggetto* o = set.GetObjectById(n->id);
                EXPECT_EQ(text, o->Description());
                text = "Pagina: " + o->Name();
            }
            s += std::to_string(n->Level()) + ":" + text + "|";
        }
        return s;
    }
};

TEST_F(OrderedTreeTest, WithoutAStoredTreeTheFileNameIsRootAndPagesFollowInNumberOrder) {
    testing_support::ScratchFolder dir;
    ASSERT_TRUE(set.SaveHypertext(dir / "libro.hqv"));
    set.Page(2)->MakeFree();
    OrderedTree t(set, testoHtml);
    t.Load();
    EXPECT_EQ(Shape(t), "0:libro.hqv|1:Pagina: " + set.Page(0)->Title() + "|1:Pagina: P1|1:Pagina: P3|");
    // Loading stored the default tree in the marker the header names.
    THQVoggetto* marker = set.GetObjectById(set.HdrI32(hdr::kPageTree));
    ASSERT_NE(marker, nullptr);
    ASSERT_TRUE(marker->HasContent());
    EXPECT_EQ(std::string(marker->MemContent()->begin(), marker->MemContent()->end()), t.TreeText());
}

TEST_F(OrderedTreeTest, TreeTextOfARootWithOneChapterHoldingPage3) {
    OrderedTree t(set, testoHtml);
    t.LoadText("a0,-2,a.hqv\r\n");
    TreeNode* chapter = t.AddChapter(t.Root(), "Nuovo capitolo");
    ASSERT_NE(chapter, nullptr);
    ASSERT_NE(t.AddObject(chapter, MakeId(testoHtml, 3)), nullptr);
    EXPECT_EQ(t.TreeText(), "a0,-2,a.hqv\r\na1,-3,Nuovo capitolo\r\na2,3,x\r\n");
    // Read back, the text gives the same tree; the object node shows the
    // page's description, not the stored "x".
    OrderedTree back(set, testoHtml);
    back.LoadText(t.TreeText());
    EXPECT_EQ(Shape(back), "0:a.hqv|1:Nuovo capitolo|2:Pagina: P3|");
    EXPECT_TRUE(msgs.entries().empty());
}

TEST_F(OrderedTreeTest, LinesAreReadWithTheirFaultsReported) {
    struct Case {
        const char* what;
        const char* text;
        const char* shape;
        const char* message;
    } cases[] = {
        {"an identifier of another kind keeps the stored text",
         "a0,-2,r\r\na1,201326593,x\r\na1,-1,vuoto\r\n", "0:r|1:x|1:vuoto|", nullptr},
        {"climbing back two levels", "a0,-2,r\r\na1,-3,c\r\na2,-3,d\r\na3,1,x\r\na1,2,x\r\n",
         "0:r|1:c|2:d|3:Pagina: P1|1:Pagina: P2|", nullptr},
        {"a line without a leading a", "a0,-2,r\r\nb1,-3,c\r\na1,1,x\r\n", "0:r|1:Pagina: P1|",
         "error decoding nodes"},
        {"a level jump of two", "a0,-2,r\r\na2,1,x\r\na1,2,x\r\n", "0:r|1:Pagina: P2|", "error loading nodes"},
        {"a negative level", "a0,-2,r\r\na-1,1,x\r\n", "0:r|", "error decoding nodes"},
        {"a page deleted since", "a0,-2,r\r\na1,99,x\r\n", "0:r|1:x|", nullptr},
        {"plain LF line ends and a zero", "a0,-2,r\na1,-3,c\n", "0:r|1:c|", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        msgs.clear();
        OrderedTree t(set, testoHtml);
        t.LoadText(c.text);
        EXPECT_EQ(Shape(t), c.shape);
        if (c.message) {
            ASSERT_EQ(msgs.entries().size(), 1u);
            EXPECT_EQ(msgs.entries()[0].text, c.message);
        } else {
            EXPECT_TRUE(msgs.entries().empty());
        }
        // An object node without data is not an object in order.
        for (const TreeNode* n : t.DepthFirst())
            if (n->text == "x") EXPECT_EQ(n->data, TreeNode::Data::None);
    }
}

TEST_F(OrderedTreeTest, MovingFollowsTheSiblingRules) {
    OrderedTree t(set, testoHtml);
    t.LoadText("a0,-2,r\r\na1,1,x\r\na1,2,x\r\n");
    TreeNode* last = t.Root()->children[1].get();
    EXPECT_FALSE(t.MoveDown(last)) << "not editable yet";
    t.Editable = true;
    EXPECT_FALSE(t.MoveDown(last));  // the last of two down: no change
    EXPECT_EQ(Shape(t), "0:r|1:Pagina: P1|1:Pagina: P2|");
    TreeNode* third = t.AddObject(t.Root(), MakeId(testoHtml, 3));
    TreeNode* second = t.Root()->children[1].get();
    EXPECT_TRUE(t.MoveUp(second));  // the second of three up: first
    EXPECT_EQ(Shape(t), "0:r|1:Pagina: P2|1:Pagina: P1|1:Pagina: P3|");
    EXPECT_TRUE(t.MoveUp(third));
    EXPECT_TRUE(t.MoveDown(t.Root()->children[0].get()));
    EXPECT_EQ(Shape(t), "0:r|1:Pagina: P3|1:Pagina: P2|1:Pagina: P1|");
    EXPECT_FALSE(t.MoveUp(t.Root()));
}

TEST_F(OrderedTreeTest, AddingDroppingAndDeleting) {
    OrderedTree t(set, testoHtml);
    t.LoadText("a0,-2,r\r\na1,-3,c\r\na2,1,x\r\na1,2,x\r\n");
    TreeNode* chapter = t.Root()->children[0].get();
    TreeNode* p1 = chapter->children[0].get();
    TreeNode* p2 = t.Root()->children[1].get();
    // Only the root and chapters take new nodes; a free or missing object is refused.
    EXPECT_EQ(t.AddChapter(p1, "no"), nullptr);
    EXPECT_EQ(t.AddObject(chapter, MakeId(testoHtml, 77)), nullptr);
    // Dropping needs an editable tree, a container target, and no cycle.
    EXPECT_FALSE(t.Drop(p2, chapter));
    t.Editable = true;
    EXPECT_FALSE(t.CanDrop(p2, p1));
    EXPECT_FALSE(t.CanDrop(t.Root(), chapter));
    EXPECT_FALSE(t.CanDrop(chapter, chapter));
    TreeNode* sub = t.AddChapter(chapter, "sub");
    EXPECT_FALSE(t.CanDrop(chapter, sub));
    EXPECT_TRUE(t.Drop(p2, sub));
    EXPECT_EQ(Shape(t), "0:r|1:c|2:Pagina: P1|2:sub|3:Pagina: P2|");
    std::vector<THQVoggetto*> order;
    t.ObjectsInOrder(order);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[1], set.Page(2));
    EXPECT_EQ(t.FindObject(MakeId(testoHtml, 2)), p2);
    // The root stays; a chapter goes with its children.
    EXPECT_FALSE(t.DeleteNode(t.Root()));
    EXPECT_TRUE(t.DeleteNode(sub));
    EXPECT_EQ(Shape(t), "0:r|1:c|2:Pagina: P1|");
}

TEST_F(OrderedTreeTest, CustomTreeDeletesOnlyWhenAllowedAndRenamingRenamesTheObject) {
    THQVoggetto* proto = set.AddNewObject(custom);
    proto->SetName("bottone");
    OrderedTree t(set, custom);
    t.LoadDefault();
    t.Editable = true;
    TreeNode* n = t.FindObject(proto->Id());
    ASSERT_NE(n, nullptr);
    EXPECT_FALSE(t.DeleteNode(n)) << "no OnDel: not allowed";
    bool asked = false;
    t.OnDel = [&](const TreeNode&) { return asked = true, false; };
    EXPECT_FALSE(t.DeleteNode(n));
    EXPECT_TRUE(asked);
    t.OnDel = [](const TreeNode&) { return true; };
    t.Rename(n, "leva");
    EXPECT_EQ(proto->Name(), "leva");
    EXPECT_EQ(n->text, proto->Description());
    EXPECT_TRUE(t.DeleteNode(n));
    EXPECT_EQ(t.FindObject(proto->Id()), nullptr);
}

}  // namespace
}  // namespace ovik
