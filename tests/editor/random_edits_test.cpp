// Hundreds of random inserts, removes, copies, cuts and pastes through the
// real dialog, commands and clipboard, with identifiers now shown, now
// hidden, values typed into the pane (some of them garbage) and views
// switched under them: after every step the counts agree with the table,
// and the saved file reads back as a model of what was accepted.
#include <random>

#include "driver.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

using RandomEdits = EditorTest;

// Typed values and what they store, for each kind of chunk; nullptr: refused.
struct Typed {
    const char* text;
    const char* row;
};
const Typed kIntegers[] = {{"12", "0C 00 00 00"}, {"0x1F", "1F 00 00 00"}, {"-3", "FD FF FF FF"},
                           {"12abc", nullptr},    {"1 2", nullptr},          {"", nullptr}};
const Typed kFloats[] = {{"0.5", "00 00 00 3F"}, {"x3FC00000", "00 00 C0 3F"}, {"abc", nullptr}, {"1e99", nullptr}};
const Typed kHex[] = {{"de ad be ef", "DE AD BE EF"}, {"ZZ 1", nullptr}, {"ABC", nullptr}};

TEST_F(RandomEdits, KeepTheTreeAndWhatWasTyped) {
    std::string path = WriteFile("nested.dtb", NestedFile());
    OpenFile(path);
    std::mt19937 random(20261206);
    auto below = [&](int n) { return int(random() % unsigned(n)); };
    const int radios[3] = {IDC_INSERT_BEFORE, IDC_INSERT_AFTER, IDC_INSERT_UNDER};
    const char* texts[] = {"12", "x1F", "-3", "de ad be ef", "word", "", "0.5"};
    int32_t clipped = 0;  // records in the block on the clipboard
    int dialogs = 0, refusals = 0;
    PutOnClipboard(CF_TEXT, {'x', 0});  // no block from an earlier test
    // Painting on the virtual display is what takes the time; the window,
    // active, so that the tree takes the focus, draws nothing meanwhile.
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == window; }));
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    for (int step = 0; step < 300; ++step) {
        if (step % 50 >= 40 && step % 5 == 0) Click(IDC_SHOW_IDENTIFIERS);  // hidden for 5 steps in 50
        bool shown = state.ShowIdentifiers == 1;
        // Selected as Find selects, through the view; a hidden identifier has no item.
        int32_t count = state.ChunkCount;
        int32_t selected = count && below(10) ? below(count) : -1;
        if (selected < 0 || SelectTreeChunk(&state, TVI_ROOT, selected) != 0) {
            selected = -1;
            Select(-1);
        }
        Pump();
        bool node = selected >= 0 && IsNodeType(state.Chunks[selected].Type);
        int32_t units = 0;
        int32_t span = selected >= 0 ? ShownSpanEnd(&state, selected, shown, &units) - selected : 0;
        bool cancel = below(10) == 0;
        bool refused = !shown || (selected < 0 && count > 0);  // Insert's guards
        int32_t change = 0;
        size_t boxes = 0;
        std::vector<std::string> model = RowsOf(state);  // what holds unless this step's change is accepted
        static const int kActions[] = {0, 0, 1, 1, 2, 3, 4, 5, 5, 5};  // insert, paste, copy, cut, remove, type
        switch (count > 60 ? 2 + below(4) : kActions[below(10)]) {
        case 0:
            if (!refused) {
                const InsertTypeEntry& entry = kInsertTypeEntries[below(kInsertTypeCount)];
                Answer(selected < 0 ? 0 : radios[below(node ? 3 : 2)], entry.Text, texts[below(7)],
                       cancel ? IDCANCEL : IDOK);
                if (!cancel) Answer(0, "", "", IDCANCEL);  // should the text not suit the type
                change = cancel ? 0 : 1;
            }
            boxes = refused;
            Command(IDM_INSERT);
            if (!refused && !cancel && g_user.insertAnswers.empty()) {  // the text refused, then Cancel
                change = 0;
                boxes = 1;
            }
            g_user.insertAnswers.clear();
            break;
        case 1:
            if (clipped && selected >= 0) Answer(radios[below(node ? 3 : 2)], "", "", cancel ? IDCANCEL : IDOK);
            change = clipped && !(cancel && selected >= 0) ? clipped : 0;
            Command(IDM_PASTE);
            break;
        case 2:
            Command(IDM_COPY);
            if (selected >= 0) clipped = span;
            break;
        case 3:
            Command(IDM_CUT);
            if (selected >= 0) clipped = span;
            change = -span;
            break;
        case 4:
            Command(IDM_REMOVE);
            boxes = selected < 0 || !shown;
            change = boxes ? 0 : -span;
            break;
        default: {
            // A value typed into the pane, then taken in by whatever comes
            // next: a view switch, Find, Save, or another chunk.
            if (selected < 0 || node || IsPoolType(state.Chunks[selected].Type)) break;
            uint32_t type = state.Chunks[selected].Type;
            const Typed* all = type == 0 ? kIntegers : type == 1 ? kFloats : kHex;
            int n = type == 0 ? 6 : type == 1 ? 4 : 3;
            const Typed& typed = all[below(n)];
            Type(IDC_DATA_BOX, typed.text);
            static const int kTakers[] = {IDC_SHOW_AS_TREE, IDM_FIND, IDM_SAVE};
            int taker = kTakers[below(3)];
            if (taker == IDC_SHOW_AS_TREE) Click(taker);
            else Command(taker);
            boxes = typed.row == nullptr;
            if (typed.row) {
                model[size_t(selected)] = std::to_string(type) + ":" + typed.row;
            } else {
                refusals += 1;
                ASSERT_EQ(RowsOf(state), model) << step;  // refused: nothing stored yet...
                Type(IDC_DATA_BOX, type == 0 ? "0" : type == 1 ? "0x0" : "00 00 00 00");  // ...then one of its form
                model[size_t(selected)] = std::to_string(type) + ":00 00 00 00";
                if (taker == IDC_SHOW_AS_TREE) Click(taker);
                else Command(IDM_FIND);
            }
            if (state.ShowAsTree == 0) Click(IDC_SHOW_AS_TREE);
            ASSERT_EQ(RowsOf(state), model) << step;
            break;
        }
        }
        ASSERT_EQ(state.ChunkCount, count + change) << step;
        ASSERT_EQ(Faults(), 0) << step;
        ASSERT_EQ(g_user.boxes.size(), boxes) << step;
        ASSERT_TRUE(g_user.insertAnswers.empty()) << step;
        g_user.boxes.clear();
        dialogs += int(g_user.insertLooks.size());
        g_user.insertLooks.clear();
        if (step % 100 == 99) {  // the file holds what was accepted, and reads back as it
            std::vector<std::string> accepted = RowsOf(state);
            Command(IDM_SAVE);
            ASSERT_EQ(FileRows(path), accepted) << step;
            g_user.answers.push_back(IDYES);
            Command(IDM_REVERT);
            ASSERT_EQ(RowsOf(state), accepted) << step;
            g_user.boxes.clear();
        }
    }
    EXPECT_GT(dialogs, 80);
    EXPECT_GT(refusals, 5);
}

}  // namespace
