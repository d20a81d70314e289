// Hundreds of random inserts, removes, copies, cuts and pastes through the
// real dialog, commands and clipboard, with identifiers now shown, now
// hidden: after every one the counts agree with the table, and the saved
// file reads back as the document.
#include <random>

#include "editing_fixture.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

using RandomEdits = EditingTest;

TEST_F(RandomEdits, KeepTheTreeConsistent) {
    std::mt19937 random(20261206);
    auto below = [&](int n) { return int(random() % unsigned(n)); };
    const int radios[3] = {IDC_INSERT_BEFORE, IDC_INSERT_AFTER, IDC_INSERT_UNDER};
    const char* texts[] = {"12", "x1F", "-3", "de ad be ef", "word", "", "0.5"};
    int32_t clipped = 0;  // records in the block on the clipboard
    int dialogs = 0;
    int hiddenSteps = 0;
    PutOnClipboard(CF_TEXT, {'x', 0});  // no block from an earlier test
    // Painting on the virtual display is what takes the time; no command
    // needs the main window on screen (the dialog still comes up).
    ShowWindow(window, SW_HIDE);
    for (int step = 0; step < 300; ++step) {
        if (step % 50 >= 40 && step % 5 == 0) Click(IDC_SHOW_IDENTIFIERS);  // hidden for 5 steps in 50
        hiddenSteps += state.ShowIdentifiers == 0;
        // Selected as Find selects, through the view; a hidden identifier has no item.
        int32_t count = state.ChunkCount;
        int32_t selected = count && below(10) ? below(count) : -1;
        if (selected < 0 || SelectTreeChunk(&state, TVI_ROOT, selected) != 0) {
            selected = -1;
            Pick(-1);
        }
        Pump();
        bool node = selected >= 0 && IsNodeType(state.Chunks[selected].Type);
        int32_t span = selected >= 0 ? SubtreeEnd(&state, selected) - selected : 0;
        bool cancel = below(10) == 0;
        bool refused = state.ShowIdentifiers == 0 || (selected < 0 && count > 0);  // Insert's guards
        int32_t change = 0;
        size_t boxes = 0;
        static const int kActions[] = {0, 0, 1, 1, 2, 3, 4};  // insert, paste, copy, cut, remove
        switch (count > 60 ? 2 + below(3) : kActions[below(7)]) {
        case 0:
            if (!refused) {
                const InsertTypeEntry& entry = kInsertTypeEntries[below(kInsertTypeCount)];
                Answer(selected < 0 ? 0 : radios[below(node ? 3 : 2)], entry.Text, texts[below(7)],
                       cancel ? IDCANCEL : IDOK);
                change = cancel ? 0 : 1;
            }
            boxes = refused;
            Command(IDM_INSERT);
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
            boxes = selected < 0 || state.ShowIdentifiers == 0;
            change = boxes ? 0 : -span;
            break;
        }
        ASSERT_EQ(state.ChunkCount, count + change) << step;
        ASSERT_EQ(Faults(), 0) << step;
        ASSERT_EQ(g_boxes.size(), boxes) << step;
        ASSERT_TRUE(g_dialogAnswers.empty()) << step;
        g_boxes.clear();
        dialogs += int(g_dialogLooks.size());
        g_dialogLooks.clear();
        if (step % 100 == 99) {
            std::string before = Table();
            Command(IDM_SAVE);
            g_answers.push_back(IDYES);
            Command(IDM_REVERT);
            ASSERT_EQ(Table(), before) << step;
            g_boxes.clear();
        }
    }
    EXPECT_GT(dialogs, 100);
    EXPECT_EQ(hiddenSteps, 30);
}

}  // namespace
