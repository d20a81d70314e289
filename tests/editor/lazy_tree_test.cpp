// The tree control holds only what has been opened: the top level, and the
// children of a node once it is expanded or a selection passes through it.
// Selecting, finding, removing and pasting must reach chunks whose nodes
// were never opened, and hidden identifiers stay hidden there.
#include "editing_fixture.h"
#include "views/views.h"

namespace {

class LazyTree : public EditingTest {
protected:
    int Items() const { return int(TreeView_GetCount(Control(IDC_CHUNK_TREE))); }
    // The texts of the items the control holds under item, without opening it.
    std::vector<std::string> Held(HTREEITEM item) const {
        std::vector<std::string> texts;
        for (HTREEITEM child = TreeView_GetChild(Control(IDC_CHUNK_TREE), item); child;
             child = TreeView_GetNextSibling(Control(IDC_CHUNK_TREE), child))
            texts.push_back(ItemText(child));
        return texts;
    }
    int Depth(HTREEITEM item) const {
        int depth = 0;
        while ((item = TreeView_GetParent(Control(IDC_CHUNK_TREE), item))) ++depth;
        return depth;
    }
    using Texts = std::vector<std::string>;
};

TEST_F(LazyTree, SelectFindAndRemoveReachUnopenedNodes) {
    EXPECT_EQ(Items(), 4);  // the top level only
    EXPECT_EQ(state.Chunks[0].Length * 10 + state.Chunks[2].Length, 32);  // every node counted all the same

    SetWindowTextA(Control(IDC_FIND_BOX), "TEXT");
    Command(IDM_FIND);  // nothing selected: from chunk 0, into the closed first node
    EXPECT_TRUE(SelectedChunk() == 6 && Text(IDC_DATA_BOX) == "text one" && g_boxes.empty());
    EXPECT_EQ(Items(), 7);
    EXPECT_EQ(Held(TreeView_GetParent(Control(IDC_CHUNK_TREE), Selected())), Texts({"alpha", "beta(2)", "text one"}));

    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 5), 0);  // two closed levels down
    EXPECT_TRUE(SelectedChunk() == 5 && Depth(Selected()) == 3 && Text(IDC_DATA_BOX) == "7");
    RECT shown;
    EXPECT_TRUE(TreeView_GetItemRect(Control(IDC_CHUNK_TREE), Selected(), &shown, TRUE));  // scrolled into view
    EXPECT_EQ(SelectTreeChunk(&state, TVI_ROOT, 12), -1);
    EXPECT_EQ(SelectedChunk(), 5);

    Command(IDM_REMOVE);  // the rebuilt tree opens only the way to the next chunk
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(0)#3 32'text one' 0:42 16(2)#4 5'gamma' "
                       "1:1069547520 18'last'");
    EXPECT_TRUE(SelectedChunk() == 5 && ItemText(Selected()) == "text one" && Items() == 7);
    EXPECT_EQ(Faults(), 0);
}

TEST_F(LazyTree, HiddenIdentifiersStayHiddenWhenNodesOpenLater) {
    Click(IDC_SHOW_IDENTIFIERS);
    EXPECT_EQ(Items(), 4);
    EXPECT_EQ(SelectTreeChunk(&state, TVI_ROOT, 3), -1);  // an identifier has no item to open to
    EXPECT_EQ(Items(), 4);
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 5), 0);
    HWND tree = Control(IDC_CHUNK_TREE);
    HTREEITEM node19 = TreeView_GetParent(tree, Selected());
    HTREEITEM node17 = TreeView_GetParent(tree, node19);
    EXPECT_EQ(Held(TreeView_GetParent(tree, node17)), Texts({"beta(2)", "text one"}));
    EXPECT_EQ(Held(node17), Texts({"(3)"}));
    TreeView_Expand(tree, TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree))),
                    TVE_EXPAND);  // a click on the closed node "gamma(4)"
    EXPECT_EQ(ItemText(TreeView_GetChild(tree, TreeView_GetNextSibling(tree, TreeView_GetNextSibling(
                                                   tree, TreeView_GetRoot(tree))))),
              "1.500000");
    SetWindowTextA(Control(IDC_FIND_BOX), "gamma");
    Command(IDM_FIND);  // identifiers are not searched while hidden
    EXPECT_TRUE(BoxTexts() == Texts({"Could not find string."}) && SelectedChunk() == 5);
}

TEST_F(LazyTree, PasteUnderAClosedNode) {
    // Selected as Find does: the fixture's own selecting loads every node.
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 7), 0);
    Command(IDM_COPY);
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 8), 0);  // closed: its children are not in the control
    EXPECT_EQ(Items(), 4);
    Answer(IDC_INSERT_UNDER);
    Command(IDM_PASTE);
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(3)#4 0:42 5'gamma' "
                       "1:1069547520 18'last'");
    EXPECT_TRUE(SelectedChunk() == -1 && Items() == 4 && state.Chunks[8].Length == 3);
    ASSERT_EQ(SelectTreeChunk(&state, TVI_ROOT, 10), 0);  // the identifier no longer follows its node
    HTREEITEM node = TreeView_GetParent(Control(IDC_CHUNK_TREE), Selected());
    EXPECT_EQ(ItemText(node), "(4)");
    EXPECT_EQ(Held(node), Texts({"42", "gamma", "1.500000"}));
    EXPECT_EQ(Faults(), 0);
}

}  // namespace
