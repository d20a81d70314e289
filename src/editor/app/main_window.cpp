// The main window's dialog procedure: set-up, command dispatch, the tree's
// notices, the list's owner-drawn lines and typed letters, and the release
// of what the window loaded.
#include <windowsx.h>

#include "commands.h"
#include "document/recent_files.h"
#include "editing/editing.h"
#include "document.h"
#include "shell.h"
#include "base/window_place.h"
#include "views/views.h"

namespace {

const int kTreeImageSize = 17;
const UINT kOpenStartFile = WM_APP + 1;

// The Data box is a multi-line edit box without want-return: Enter belongs
// to the dialog, which stores the value. Some edit controls claim every key
// of a multi-line box all the same; this one declines Enter and keeps
// Ctrl+Enter, which breaks the line, the same way whatever the control
// would make of it.
LRESULT CALLBACK DataBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = EditorOf(GetParent(box));
    bool control = GetKeyState(VK_CONTROL) < 0;
    if (message == WM_KEYDOWN && wParam == VK_RETURN && control) {
        if (!(GetWindowLongA(box, GWL_STYLE) & ES_READONLY))
            SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\r\n"));
        return 0;
    }
    if (message == WM_CHAR && (wParam == '\n' || wParam == '\r')) return 0;  // the key's own character
    LRESULT result = CallWindowProcA(e->DataBoxProc, box, message, wParam, lParam);
    if (message == WM_GETDLGCODE && lParam) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
            result &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
            if (control) result |= DLGC_WANTMESSAGE;
        }
    }
    return result;
}

// The tree's images at the screen's DPI: the strip of 17-pixel images is
// drawn at 96 DPI and stretched with halftoning for anything larger, so an
// image keeps its share of a line of text at 150 % and 200 %.
HIMAGELIST LoadTreeImages(HINSTANCE instance) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    int size = MulDiv(kTreeImageSize, dpi, 96);
    HBITMAP strip = static_cast<HBITMAP>(LoadImageA(instance, "TREE_ICONS", IMAGE_BITMAP, 0, 0, 0));
    BITMAP shape = {};
    GetObjectA(strip, sizeof shape, &shape);
    int count = shape.bmWidth / kTreeImageSize;
    if (size != kTreeImageSize) {
        HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
        HBITMAP scaled = CreateCompatibleBitmap(screen, size * count, size);
        HGDIOBJ oldFrom = SelectObject(from, strip), oldTo = SelectObject(to, scaled);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        for (int i = 0; i < count; ++i)  // one by one, so that no image bleeds into the next
            StretchBlt(to, i * size, 0, size, size, from, i * kTreeImageSize, 0, kTreeImageSize, kTreeImageSize,
                       SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        DeleteObject(strip);
        strip = scaled;
    }
    ReleaseDC(nullptr, screen);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24, count, 1);
    ImageList_Add(images, strip, nullptr);
    DeleteObject(strip);
    return images;
}

BOOL InitMainWindow(HWND window, Editor* e) {
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(e));
    e->Window = window;
    e->WindowIcon = static_cast<HICON>(LoadImageA(e->Instance, "AP_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(e->WindowIcon));
    e->TreeImages = LoadTreeImages(e->Instance);
    SendToControl(e, IDC_CHUNK_TREE, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(e->TreeImages));

    CentreOnDesktop(window);
    e->CurrentChunk = -1;
    SetWindowTextA(window, kProgramTitle);
    // Payloads are shown whole, however long: lift the box's default limit.
    SendToControl(e, IDC_DATA_BOX, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    e->DataBoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(ControlOf(e, IDC_DATA_BOX), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DataBoxProc)));
    InitChunkList(e);
    ClearDetailPane(e);
    UpdateTitleAndCommands(e);
    SendToControl(e, IDC_SHOW_AS_TREE, BM_SETCHECK, BST_CHECKED, 0);
    SendToControl(e, IDC_SHOW_IDENTIFIERS, BM_SETCHECK, BST_CHECKED, 0);
    LoadRecentFiles(e);
    DragAcceptFiles(window, TRUE);
    if (e->StartFile) PostMessageA(window, kOpenStartFile, 0, 0);  // once the window is up
    return TRUE;                                                   // the dialog manager sets the first focus
}

// One handler per command; only the check boxes and the list look at the
// notification code.
void DispatchCommand(Editor* e, WPARAM wParam) {
    WORD notification = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDOK:  // Enter, from whichever control has the focus
        return CommandEnter(e);
    case IDM_FIND:
        return CommandFind(e);
    case IDM_EXIT:  // also IDCANCEL: the Esc key, which the shortcut hook keeps away
        return CommandExit(e);
    case IDC_CHUNK_LIST:
        return CommandListSelection(e, notification);
    case IDC_SHOW_IDENTIFIERS:
        return CommandShowIdentifiers(e, notification);
    case IDC_SHOW_AS_TREE:
        return CommandShowAsTree(e, notification);
    case IDC_SHOW_HEX:
        return CommandShowHex(e, notification);
    case IDM_SAVE:
        return CommandSave(e);
    case IDM_SAVE_AS:
        return CommandSaveAs(e);
    case IDM_CLOSE:
        return CommandClose(e);
    case IDM_OPEN:
        return CommandOpen(e);
    case IDM_ABOUT:
        return CommandAbout(e);
    case IDM_REVERT:
        return CommandRevert(e);
    case IDM_INSERT:
        return CommandInsert(e);
    case IDM_REMOVE:
        return CommandRemove(e);
    case IDM_NEW:
        return CommandNew(e);
    case IDM_COPY:
        return CommandCopy(e);
    case IDM_CUT:
        return CommandCut(e);
    case IDM_PASTE:
        return CommandPaste(e);
    case IDM_UNDO:
        return CommandUndo(e);
    case IDM_REDO:
        return CommandRedo(e);
    case IDM_CHECK_STRUCTURE:
        return CommandCheckStructure(e);
    case IDM_GO_TO:
        return CommandGoTo(e);
    case IDM_FIND_REPLACE:
        return CommandFindReplace(e);
    case IDM_FIND_IN_FILES:
        return CommandFindInFiles(e);
    case IDM_COMPARE_WITH:
        return CommandCompareWith(e);
    case IDM_MOVE_UP:
    case IDM_MOVE_DOWN:
        return CommandMoveChunk(e, LOWORD(wParam) == IDM_MOVE_DOWN);
    case IDM_DUPLICATE:
        return CommandDuplicate(e);
    case IDM_COPY_PATH:
        return CommandCopyPath(e);
    case IDM_COPY_VALUE:
        return CommandCopyValue(e);
    default:
        if (LOWORD(wParam) >= IDM_RECENT_FIRST && LOWORD(wParam) < IDM_RECENT_FIRST + kRecentCount)
            CommandOpenRecent(e, LOWORD(wParam) - IDM_RECENT_FIRST);
        return;
    }
}

// What the tree tells: a selection about to change (refused while the Data
// box holds an edit that is refused), one that changed, a node opening.
// Returns the notice's result.
LRESULT TreeNotice(Editor* e, const NMHDR* header) {
    const NMTREEVIEWA* notice = reinterpret_cast<const NMTREEVIEWA*>(header);
    // Items deleted by a rebuild take no edit and show nothing.
    if (e->Tree.Rebuilding) return FALSE;
    switch (header->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: {
        bool committed = ApplyDetailEdit(e);
        AfterChange(e, ChangedTyped);
        return committed ? FALSE : TRUE;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        ShowChunkInPane(e, notice->itemNew.hItem ? TreeItemChunk(e, notice->itemNew.lParam) : -1);
        return FALSE;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        OpenTreeItem(e, notice);
        return FALSE;  // an expansion is never refused
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
        BeginTreeDrag(e, notice);
        return FALSE;
    default:
        return FALSE;
    }
}

// While a chunk is dragged the main window holds the mouse: its moves and
// the timer's ticks show the drop place, the left button drops, the right
// button or a lost capture cancels.
void TreeDragMessage(Editor* e, UINT message) {
    if (!e->Drag.Active) return;
    if (message == WM_MOUSEMOVE) TrackTreeDrag(e);
    if (message == WM_TIMER) TreeDragTick(e);
    if (message == WM_LBUTTONUP) CommandTreeDrop(e);
    if (message == WM_RBUTTONDOWN || message == WM_CAPTURECHANGED) CancelTreeDrag(e);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitMainWindow(window, reinterpret_cast<Editor*>(lParam));
    Editor* e = EditorOf(window);
    if (message == WM_MEASUREITEM && wParam == IDC_CHUNK_LIST) {  // sent while the controls are made
        MeasureChunkListLine(window, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (!e) return FALSE;
    switch (message) {
    case WM_COMMAND:
        DispatchCommand(e, wParam);
        return TRUE;
    case WM_CLOSE:  // the close box and Alt+F4: Exit, with its question
        CommandExit(e);
        return TRUE;
    case WM_INITMENUPOPUP:  // an edit typed since the last command can be undone too
        UpdateUndoCommands(e);
        UpdateChunkCommands(e, GetMenu(window));
        return TRUE;
    case WM_DROPFILES:
        CommandDropFiles(e, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_CONTEXTMENU:
        return CommandContextMenu(e, reinterpret_cast<HWND>(wParam), lParam);
    case kOpenStartFile:
        CommandOpenPath(e, e->StartFile);
        return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_CAPTURECHANGED:
    case WM_TIMER:
        TreeDragMessage(e, message);
        return TRUE;
    case WM_NOTIFY:
        return SetDlgMsgResult(
            window, WM_NOTIFY,
            LOWORD(wParam) == IDC_CHUNK_TREE ? TreeNotice(e, reinterpret_cast<NMHDR*>(lParam)) : FALSE);
    // A list of no data cannot search its lines for a typed letter; its
    // window does. Both answers go back as the procedure's own result.
    case WM_CHARTOITEM:
        if (reinterpret_cast<HWND>(lParam) != ControlOf(e, IDC_CHUNK_LIST)) return -1;
        return ListLineForLetter(e, static_cast<char>(LOWORD(wParam)), static_cast<int32_t>(HIWORD(wParam)));
    case WM_VKEYTOITEM:
        return -1;  // arrows, pages and the rest move as in any list
    case WM_DRAWITEM:
        if (wParam != IDC_CHUNK_LIST) return FALSE;
        DrawChunkListLine(e, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NCDESTROY:
        ImageList_Destroy(e->TreeImages);
        e->TreeImages = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
