// The main window's dialog procedure: set-up, command dispatch, the tree's
// selection notices, and the release of the tree images.
#include <windowsx.h>

#include "commands.h"
#include "editor.h"
#include "report.h"
#include "shell.h"
#include "views/views.h"

EditorState* WindowState = nullptr;
int32_t CurrentChunk = -1;
HIMAGELIST TreeImages = nullptr;
HICON WindowIcon = nullptr;

namespace {

const int kTreeImageSize = 17;

WNDPROC g_dataBoxProc = nullptr;

// The Data box is a multi-line edit box without want-return: Enter belongs
// to the dialog and runs its default command. Some edit controls claim every
// key of a multi-line box all the same; this one declines Enter.
LRESULT CALLBACK DataBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(g_dataBoxProc, box, message, wParam, lParam);
    if (message == WM_GETDLGCODE && lParam) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) result &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    }
    return result;
}

BOOL InitMainWindow(HWND window, EditorState* state) {
    WindowState = state;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(state->Instance);
    WindowIcon = static_cast<HICON>(LoadImageA(instance, "AP_ICON", IMAGE_ICON, 16, 16, 0));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(WindowIcon));

    TreeImages = ImageList_Create(kTreeImageSize, kTreeImageSize, ILC_COLOR24, 35, 1);
    HBITMAP strip = static_cast<HBITMAP>(LoadImageA(instance, "TREE_ICONS", IMAGE_BITMAP, 0, 0, 0));
    ImageList_Add(TreeImages, strip, nullptr);
    DeleteObject(strip);
    SendDlgItemMessageA(window, IDC_CHUNK_TREE, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(TreeImages));

    CentreOnDesktop(window);
    CurrentChunk = -1;
    state->MainWindow = reinterpret_cast<NativeHandle>(window);
    SetWindowTextA(window, kProgramTitle);
    // Payloads are shown whole, however long: lift the box's default limit.
    SendDlgItemMessageA(window, IDC_DATA_BOX, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    g_dataBoxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(window, IDC_DATA_BOX), GWLP_WNDPROC,
                                                                reinterpret_cast<LONG_PTR>(DataBoxProc)));
    InitChunkList(state);
    ClearDetailPane(state);
    UpdateTitleAndCommands(state);
    SendDlgItemMessageA(window, IDC_SHOW_AS_TREE, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(window, IDC_SHOW_IDENTIFIERS, BM_SETCHECK, BST_CHECKED, 0);
    return TRUE;  // the dialog manager sets the first focus
}

void DispatchCommand(HWND window, EditorState* state, WPARAM wParam) {
    WORD notification = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDOK:  // Enter, from whichever control has the focus
    case IDM_FIND:
        CommandFind(state);
        break;
    case IDM_EXIT:
        CommandExit(state, window, wParam);
        break;
    case IDC_CHUNK_LIST:
        CommandListSelection(state, notification);
        break;
    case IDC_SHOW_IDENTIFIERS:
        CommandShowIdentifiers(state, notification);
        break;
    case IDC_SHOW_AS_TREE:
        CommandShowAsTree(state, notification);
        break;
    case IDM_SAVE:
        CommandSave(state);
        break;
    case IDM_SAVE_AS:
        CommandSaveAs(state);
        break;
    case IDM_CLOSE:
        CommandClose(state);
        break;
    case IDM_OPEN:
        CommandOpen(state);
        break;
    case IDM_ABOUT:
        CommandAbout(state);
        break;
    case IDM_REVERT:
        CommandRevert(state);
        break;
    case IDM_INSERT:
        CommandInsert(state);
        break;
    case IDM_REMOVE:
        CommandRemove(state);
        break;
    case IDM_NEW:
        CommandNew(state);
        break;
    case IDM_COPY:
        CommandCopy(state);
        break;
    case IDM_CUT:
        CommandCut(state);
        break;
    case IDM_PASTE:
        CommandPaste(state);
        break;
    default:
        break;
    }
}

// What the tree tells: a selection about to change (refused while the Data
// box holds an edit that is refused), one that changed, a node opening.
// Returns the notice's result.
LRESULT TreeNotice(EditorState* state, const NMHDR* header) {
    const NMTREEVIEWA* notice = reinterpret_cast<const NMTREEVIEWA*>(header);
    // Items deleted by a rebuild take no edit and show nothing.
    if (TreeIsRebuilding()) return FALSE;
    if (header->code == TVN_SELCHANGINGA || header->code == TVN_SELCHANGINGW) {
        bool committed = ApplyDetailEdit(state);
        UpdateTitle(state);
        return committed ? FALSE : TRUE;
    }
    if (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW) {
        ShowChunkInPane(state, notice->itemNew.hItem ? static_cast<int32_t>(notice->itemNew.lParam) : -1);
    } else if (header->code == TVN_ITEMEXPANDINGA || header->code == TVN_ITEMEXPANDINGW) {
        OpenTreeItem(state, notice);
    }
    return FALSE;  // an expansion is never refused
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return InitMainWindow(window, reinterpret_cast<EditorState*>(lParam));
    case WM_COMMAND:
        if (WindowState) DispatchCommand(window, WindowState, wParam);
        return TRUE;
    case WM_CLOSE:  // the close box and Alt+F4: Exit, with its question
        if (WindowState) CommandExit(WindowState, window, IDCANCEL);
        return TRUE;
    case WM_NOTIFY: {
        LRESULT result = FALSE;
        if (WindowState && LOWORD(wParam) == IDC_CHUNK_TREE) result = TreeNotice(WindowState, reinterpret_cast<NMHDR*>(lParam));
        return SetDlgMsgResult(window, WM_NOTIFY, result);
    }
    // A list of no data cannot search its lines for a typed letter; its
    // window does. Both answers go back as the procedure's own result.
    case WM_CHARTOITEM:
        if (!WindowState || reinterpret_cast<HWND>(lParam) != GetDlgItem(window, IDC_CHUNK_LIST)) return -1;
        return ListLineForLetter(WindowState, static_cast<char>(LOWORD(wParam)), static_cast<int32_t>(HIWORD(wParam)));
    case WM_VKEYTOITEM:
        return -1;  // arrows, pages and the rest move as in any list
    case WM_MEASUREITEM:  // sent while the controls are made, before WM_INITDIALOG
        if (wParam != IDC_CHUNK_LIST) return FALSE;
        MeasureChunkListLine(window, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_CHUNK_LIST || !WindowState) return FALSE;
        DrawChunkListLine(WindowState, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NCDESTROY:
        ImageList_Destroy(TreeImages);
        TreeImages = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
