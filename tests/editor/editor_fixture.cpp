#include "editor_fixture.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/message_box.h"
#include "app/shell.h"
#include "test_support.h"

std::vector<Box> g_boxes;
std::deque<int> g_answers;
std::vector<OPENFILENAMEA> g_dialogs;
std::deque<std::pair<std::string, DWORD>> g_choices;
std::vector<std::string> g_pages;

namespace {

int RecordBox(HWND owner, const char* text, const char* caption, UINT flags) {
    EXPECT_STREQ(caption, "KLV DTB Editor v1.0d");
    g_boxes.push_back({owner, text, flags});
    if ((flags & MB_TYPEMASK) != MB_YESNO) return IDOK;
    EXPECT_FALSE(g_answers.empty()) << "unexpected question: " << text;
    int answer = g_answers.empty() ? IDNO : g_answers.front();
    if (!g_answers.empty()) g_answers.pop_front();
    return answer;
}

BOOL RecordFileDialog(OPENFILENAMEA* dialog, int32_t, DWORD* error) {
    g_dialogs.push_back(*dialog);
    EXPECT_FALSE(g_choices.empty()) << "unexpected file dialog";
    auto choice = g_choices.empty() ? std::make_pair(std::string(), DWORD(0)) : g_choices.front();
    if (!g_choices.empty()) g_choices.pop_front();
    *error = choice.second;
    if (choice.first.empty()) return FALSE;
    std::strncpy(dialog->lpstrFile, choice.first.c_str(), dialog->nMaxFile);
    return TRUE;
}

HINSTANCE RecordPage(HWND owner, const char* verb, const char* file, const char* parameters, const char* folder, int show) {
    EXPECT_TRUE(!owner && !parameters && !folder && std::strcmp(verb, "open") == 0 && show == SW_SHOWDEFAULT);
    g_pages.push_back(file);
    return reinterpret_cast<HINSTANCE>(INT_PTR(42));
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

void EditorTest::SetUp() {
    g_boxes.clear();
    g_answers.clear();
    g_dialogs.clear();
    g_choices.clear();
    g_pages.clear();
    ShowMessageBox = RecordBox;
    RunFileDialog = RecordFileDialog;
    OpenWithShell = RecordPage;
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
}

void EditorTest::CreateMainWindow() {
    window = CreateDialogParamA(nullptr, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&state));
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    Pump();
}

void EditorTest::TearDown() {
    if (IsWindow(window)) DestroyWindow(window);
    Pump();
    if (state.FileHandle != kNoFile) CloseHandle(FileOf(&state));
    EndEditor(&state);
    EXPECT_TRUE(g_answers.empty() && g_choices.empty()) << "answers left over";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
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

std::string EditorTest::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = folder + "\\" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::vector<uint8_t> EditorTest::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void EditorTest::OpenFile(const std::string& path) {
    if (state.FileHandle != kNoFile) g_answers.push_back(IDYES);
    g_choices.push_back({path, 0});
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

void EditorTest::Select(int32_t chunk) {
    if (state.ShowAsTree == 0) {
        SendDlgItemMessageA(window, IDC_CHUNK_LIST, LB_SETCURSEL, WPARAM(chunk), 0);
        Command(IDC_CHUNK_LIST, LBN_SELCHANGE);
        return;
    }
    for (HTREEITEM item : TreeItems())
        if (ChunkOf(item) == chunk) TreeView_SelectItem(Control(IDC_CHUNK_TREE), item);
    Pump();
    EXPECT_EQ(SelectedChunk(), chunk);
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
