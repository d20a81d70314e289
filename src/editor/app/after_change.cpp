// The one step every change ends with: the views, the header boxes, the
// title and the commands, then the windows that describe the document.
#include "document/file_commands.h"
#include "shell.h"
#include "views/compare_window.h"
#include "views/find_dialog.h"
#include "views/views.h"

namespace {

// A rebuilt view has no selection, so the pane belongs to no chunk. After
// an edit (edited) the tree changes only what differs; the list, which
// holds no lines of its own, is always filled afresh.
void RebuildView(Editor* e, bool edited) {
    if (!e->ShowAsTree) {
        FillChunkList(e);
    } else if (edited) {
        FollowChunkTree(e);
    } else {
        BuildChunkTree(e);
    }
    e->CurrentChunk = -1;
    ClearDetailPane(e);
}

}  // namespace

void AfterChange(Editor* e, ChangeKind what, int32_t show) {
    switch (what) {
    case ChangedDocument:
    case ChangedView:
        RebuildView(e, false);
        break;
    case ChangedTable:
    case ChangedValues:
    case ChangedValue:
        RebuildView(e, true);
        // The tree follows moves; values rewritten in place it is told of.
        if (e->ShowAsTree && what == ChangedValues) RefreshTreeTexts(e);
        if (e->ShowAsTree && what == ChangedValue) RefreshTreeChunk(e, show);
        break;
    default:
        break;
    }
    ShowChunk(e, show);
    // Unless the document is as it was, the header boxes show it; then what
    // is typed there is stored already, or was refused and told.
    if (what != ChangedNothing && what != ChangedTyped && what != ChangedView) ShowHeaderFields(e);
    UpdateTitleAndCommands(e);
    ForgetStaleMatches(e, what == ChangedDocument);
    ForgetStaleDifferences(e, what == ChangedDocument);
}
