#include "driver.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/message_box.h"
#include "app/shell.h"
#include "display_text.h"
#include "dtb_file.h"
#include "editing/editing.h"
#include "tree_check.h"

User g_user;

namespace {

int AnswerBox(HWND owner, const char* text, const char* caption, UINT flags) {
    EXPECT_STREQ(caption, "KLV DTB Editor v1.0d");
    g_user.boxes.push_back({owner, text, flags});
    UINT buttons = flags & MB_TYPEMASK;
    if (buttons != MB_YESNO && buttons != MB_YESNOCANCEL) return IDOK;
    EXPECT_FALSE(g_user.answers.empty()) << "unexpected question: " << text;
    int answer = g_user.answers.empty() ? IDCANCEL : g_user.answers.front();
    if (!g_user.answers.empty()) g_user.answers.pop_front();
    return answer;
}

BOOL ChooseFile(OPENFILENAMEA* dialog, int32_t, DWORD* error) {
    g_user.dialogs.push_back(*dialog);
    EXPECT_FALSE(g_user.choices.empty()) << "unexpected file dialog";
    auto choice = g_user.choices.empty() ? std::make_pair(std::string(), DWORD(0)) : g_user.choices.front();
    if (!g_user.choices.empty()) g_user.choices.pop_front();
    *error = choice.second;
    if (choice.first.empty()) return FALSE;
    std::strncpy(dialog->lpstrFile, choice.first.c_str(), dialog->nMaxFile);
    if (g_user.readOnly) dialog->Flags |= OFN_READONLY;
    g_user.readOnly = false;
    return TRUE;
}

// The Insert dialog of this thread: a second editor on the same desktop has its own.
HWND InsertDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM at) -> BOOL {
        char caption[32] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (std::strcmp(caption, "Insert Chunk...") != 0) return TRUE;
        *reinterpret_cast<HWND*>(at) = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

void AnswerInsertDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = InsertDialog();
    if (!dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;  // not up, or a box is on it
    const int radios[3] = {IDC_INSERT_BEFORE, IDC_INSERT_AFTER, IDC_INSERT_UNDER};
    DialogLook look = {};
    look.owner = GetWindow(dialog, GW_OWNER);
    for (int i = 0; i < 3; ++i) {
        look.enabled[i] = IsWindowEnabled(GetDlgItem(dialog, radios[i]));
        look.checked[i] = IsDlgButtonChecked(dialog, radios[i]) == BST_CHECKED;
    }
    look.typeEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_CHUNK_TYPE));
    look.textEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_DATA_ID));
    look.entries = int(SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETCOUNT, 0, 0));
    char text[kTextSize] = "";
    GetDlgItemTextA(dialog, IDC_DATA_ID, text, sizeof text);
    look.textShown = text;
    g_user.insertLooks.push_back(look);
    if (g_user.insertAnswers.empty()) {
        ADD_FAILURE() << "unexpected Insert dialog";
        SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        return;
    }
    DialogAnswer answer = g_user.insertAnswers.front();
    g_user.insertAnswers.pop_front();
    if (answer.location) SendMessageA(GetDlgItem(dialog, answer.location), BM_CLICK, 0, 0);
    if (!answer.type.empty()) {
        LRESULT at = SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_FINDSTRINGEXACT, WPARAM(-1),
                                         reinterpret_cast<LPARAM>(answer.type.c_str()));
        EXPECT_NE(at, CB_ERR) << answer.type;
        SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_SETCURSEL, WPARAM(at), 0);
    }
    if (!answer.text.empty()) SetDlgItemTextA(dialog, IDC_DATA_ID, answer.text.c_str());
    SendMessageA(GetDlgItem(dialog, answer.button), BM_CLICK, 0, 0);
}

}  // namespace

std::vector<uint8_t> StandardFile() {
    DtbBuilder b;
    b.Header({0x1C, 0x0A, 0x00, 0xDE, 0xAD, 0xBE, 0xEF});
    b.Node(16, 4, 1).Text(5, "settings").Scalar(0, 42).Scalar(1, 0x3FC00000);
    b.Node(17, 2, 2).Text(5, "window").Text(18, "Main Window");
    b.Scalar(6, 0xEFBEADDE).Text(32, "line one\nline two").Node(19, 0, -1);
    b.Text(33, "data\\sky.dds").Text(2, "OnLoad(x)").Text(7, "Level 3");
    b.Scalar(8, 0x04030201).Scalar(9, 0x08070605).Text(34, "maps\\level3.map").Text(35, "XabcX");
    return b.File(0x1234ABCD);
}

std::vector<uint8_t> NestedFile() {
    DtbBuilder b;
    b.Header({0x1C, 4, 0, 1, 2, 3, 4});
    b.Node(16, 3, 1).Text(5, "alpha").Node(17, 2, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7).Text(32, "text one");
    b.Scalar(0, 42).Node(16, 2, 4).Text(5, "gamma").Scalar(1, 0x3FC00000).Text(18, "last");
    return b.File(0x5EED);
}

void EditorTest::SetUp() {
    g_user = User();
    ShowMessageBox = AnswerBox;
    RunFileDialog = ChooseFile;
    OpenWithShell = [](HWND owner, const char* verb, const char* file, const char* parameters, const char* folder,
                       int show) {
        EXPECT_TRUE(!owner && !parameters && !folder && std::strcmp(verb, "open") == 0 && show == SW_SHOWDEFAULT);
        g_user.pages.push_back(file);
        return reinterpret_cast<HINSTANCE>(INT_PTR(42));
    };
    SoundBeep = [](UINT type) -> BOOL {
        EXPECT_EQ(type, 0u);
        return ++g_user.beeps;
    };
    static int number = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    // Process ids come back with every new Wine server: a run that was
    // killed may have left a folder of the same name behind.
    BOOL created = FALSE;
    do {
        folder = temp + ("dtbedit-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++number));
        created = CreateDirectoryA(folder.c_str(), nullptr);
    } while (!created && GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(created);
    ASSERT_EQ(StartEditor(&state, GetModuleHandleA(nullptr)), 0);
    CreateMainWindow();
    insertTimer = SetTimer(nullptr, 0, 10, AnswerInsertDialog);
}

void EditorTest::CreateMainWindow() {
    window = CreateDialogParamA(nullptr, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&state));
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    Pump();
}

void EditorTest::TearDown() {
    KillTimer(nullptr, insertTimer);
    if (IsWindow(window)) DestroyWindow(window);
    Pump();
    if (state.FileHandle != kNoFile) CloseHandle(FileOf(&state));
    EndEditor(&state);
    EXPECT_TRUE(g_user.answers.empty() && g_user.choices.empty() && g_user.insertAnswers.empty())
        << "answers left over";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        std::string path = folder + "\\" + found.cFileName;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        if (!FindNextFileA(search, &found)) break;
    }
    FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

void EditorTest::Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(window) && IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void EditorTest::Command(int id, WORD code) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Control(id)));
    Pump();
}

void EditorTest::Click(int id) {
    SendMessageA(Control(id), BM_CLICK, 0, 0);
    Pump();
}

std::string EditorTest::Text(int id) const {
    HWND control = id ? Control(id) : window;
    std::string text(size_t(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(control, &text[0], int(text.size()))));
    return text;
}

void EditorTest::Type(int id, const std::string& text) {
    SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
    SendDlgItemMessageA(window, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::string> EditorTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const Box& box : g_user.boxes) texts.push_back(box.text);
    return texts;
}

std::string EditorTest::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = folder + "\\" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::vector<uint8_t> EditorTest::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> EditorTest::FileRows(const std::string& path) {
    MemoryFile file(ReadFile(path));  // the core reads from memory only while it lives
    TestDocument saved;
    EXPECT_EQ(ReadDocument(saved.get()), 0) << path;
    return saved.Rows();
}

void EditorTest::OpenFile(const std::string& path) {
    if (state.FileHandle != kNoFile) g_user.answers.push_back(IDYES);
    g_user.choices.push_back({path, 0});
    Command(IDM_OPEN);
}

std::vector<HTREEITEM> EditorTest::TreeItems() const {
    std::vector<HTREEITEM> items;
    HWND tree = Control(IDC_CHUNK_TREE);
    for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
        items.push_back(item);
        // The control holds a node's children once it has been opened; a
        // node opened only to be read is closed again, as it was.
        if (!(TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED)) {
            TreeView_Expand(tree, item, TVE_EXPAND);
            TreeView_Expand(tree, item, TVE_COLLAPSE);
        }
        HTREEITEM next = TreeView_GetChild(tree, item);
        while (!next && item) {
            next = TreeView_GetNextSibling(tree, item);
            item = TreeView_GetParent(tree, item);
        }
        item = next;
    }
    return items;
}

int32_t EditorTest::ChunkOf(HTREEITEM item) const {
    TVITEMA data = {};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = item;
    TreeView_GetItem(Control(IDC_CHUNK_TREE), &data);
    return int32_t(data.lParam);
}

std::string EditorTest::ItemText(HTREEITEM item) const {
    char text[4096] = "";
    TVITEMA data = {};
    data.mask = TVIF_HANDLE | TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    TreeView_GetItem(Control(IDC_CHUNK_TREE), &data);
    return text;
}

bool EditorTest::Select(int32_t chunk) {
    if (state.ShowAsTree == 0) {
        SendDlgItemMessageA(window, IDC_CHUNK_LIST, LB_SETCURSEL, WPARAM(chunk), 0);
        Command(IDC_CHUNK_LIST, LBN_SELCHANGE);
        return CurrentChunk == chunk;
    }
    // The focus first: a tree that gets it without a selection selects its first item.
    SetFocus(Control(IDC_CHUNK_TREE));
    Pump();
    HTREEITEM target = nullptr;
    if (chunk >= 0)
        for (HTREEITEM item : TreeItems())
            if (ChunkOf(item) == chunk) target = item;
    TreeView_SelectItem(Control(IDC_CHUNK_TREE), target);
    Pump();
    return SelectedChunk() == chunk;
}

std::vector<std::string> EditorTest::ListLines() const {
    std::vector<std::string> lines;
    HWND list = Control(IDC_CHUNK_LIST);
    for (LRESULT i = 0, count = SendMessageA(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
        std::string line(size_t(SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, '\0');
        line.resize(size_t(SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(&line[0]))));
        lines.push_back(line);
    }
    return lines;
}

std::string EditorTest::Payload(int32_t chunk) const {
    const ChunkRecord& r = state.Chunks[chunk];
    return std::string(reinterpret_cast<const char*>(state.Pool + r.PoolOffset), size_t(r.Length));
}

std::string EditorTest::Table() const {
    std::string all = std::to_string(TopLevelCountOf(state));
    for (int32_t i = 0; i < state.ChunkCount; ++i) {
        const ChunkRecord& r = state.Chunks[i];
        all += " " + std::to_string(r.Type);
        if (IsPoolType(r.Type)) {
            all += "'" + Payload(i) + "'";
        } else if (IsNodeType(r.Type)) {
            all += "(" + std::to_string(ChildCountOf(r)) + ")#" + std::to_string(NodeNumberOf(r));
        } else {
            all += ":" + std::to_string(ReadU32(r.Value));
        }
    }
    return all;
}

int32_t EditorTest::Faults() { return CheckTreeCounts(&state, nullptr, nullptr); }

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs(2 * keys.size());
    size_t i = 0;
    for (WORD key : keys) {
        inputs[i].type = inputs[inputs.size() - 1 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = key;
        inputs[inputs.size() - 1 - i++].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string ClipboardText() {
    std::vector<uint8_t> bytes = ClipboardBytes(CF_TEXT);
    return std::string(reinterpret_cast<const char*>(bytes.data()), strnlen(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<uint8_t> ClipboardBytes(UINT format) {
    std::vector<uint8_t> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE memory = GetClipboardData(format)) {
        const uint8_t* at = static_cast<const uint8_t*>(GlobalLock(memory));
        bytes.assign(at, at + GlobalSize(memory));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return bytes;
}

void PutOnClipboard(UINT format, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!bytes.empty()) std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
    CloseClipboard();
}
