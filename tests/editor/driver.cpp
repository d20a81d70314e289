#include "driver.h"

#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/shell.h"
#include "chunk_types.h"
#include "display_text.h"
#include "journal.h"
#include "tree_check.h"
#include "views/views.h"

namespace {

// The user's next answer, or otherwise, as a test failure, when none was given.
template <class T>
T Next(std::deque<T>& answers, T otherwise, const std::string& asked) {
    if (answers.empty()) return ADD_FAILURE() << "unexpected: " << asked, otherwise;
    T next = answers.front();
    answers.pop_front();
    return next;
}

User& Of(void* context) { return *static_cast<User*>(context); }

int AnswerBox(void* context, HWND owner, const char* text, const char* caption, UINT flags) {
    EXPECT_STREQ(caption, "KLV DTB Editor v1.0d");
    Of(context).boxes.push_back({owner, text, flags});
    bool question = (flags & MB_TYPEMASK) == MB_YESNO || (flags & MB_TYPEMASK) == MB_YESNOCANCEL;
    return question ? Next(Of(context).answers, IDCANCEL, text) : IDOK;
}

BOOL ChooseFile(void* context, OPENFILENAMEA* dialog, bool, DWORD* error) {
    User& user = Of(context);
    user.dialogFlags.push_back(dialog->Flags);
    auto choice = Next(user.choices, std::make_pair(std::string(), DWORD(0)), "file dialog");
    *error = choice.second;
    if (!choice.first.empty()) std::strncpy(dialog->lpstrFile, choice.first.c_str(), dialog->nMaxFile);
    if (user.readOnly) dialog->Flags |= OFN_READONLY;
    user.readOnly = false;
    return !choice.first.empty();
}

// The Insert dialog, answered; the timer's id is the User.
void AnswerInsertDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    User& user = *reinterpret_cast<User*>(timer);
    HWND dialog = ThreadDialog("Insert Chunk...");
    if (!dialog) return;
    auto item = [&](int id) { return GetDlgItem(dialog, id); };
    std::string look = "    ";
    const int radios[3] = {IDC_INSERT_BEFORE, IDC_INSERT_AFTER, IDC_INSERT_UNDER};
    for (int i = 0; i < 3; ++i) {
        if (IsWindowEnabled(item(radios[i]))) look[size_t(i)] = "BAU"[i];
        if (IsDlgButtonChecked(dialog, radios[i])) look += "BAU"[i];
    }
    look += std::string(" ") + (IsWindowEnabled(item(IDC_CHUNK_TYPE)) ? "T" : "-") +
            (IsWindowEnabled(item(IDC_DATA_ID)) ? "D" : "-");
    user.insertLooks.push_back(look);
    DialogAnswer answer = Next(user.insertAnswers, DialogAnswer{0, "", "", IDCANCEL}, "Insert dialog");
    if (answer.location) SendMessageA(item(answer.location), BM_CLICK, 0, 0);
    LRESULT type = SendMessageA(item(IDC_CHUNK_TYPE), CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(answer.type.c_str()));
    if (!answer.type.empty()) SendMessageA(item(IDC_CHUNK_TYPE), CB_SETCURSEL, WPARAM(type), 0);
    if (!answer.text.empty()) SetDlgItemTextA(dialog, IDC_DATA_ID, answer.text.c_str());
    SendMessageA(item(answer.button), BM_CLICK, 0, 0);
}

void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string file = folder + "\\" + found.cFileName;
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        bool subfolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.';
        if (subfolder) EmptyFolder(file);
        subfolder ? RemoveDirectoryA(file.c_str()) : DeleteFileA(file.c_str());
    }
    FindClose(search);
}

}  // namespace

UserSeams TestSeams(User* user) {
    return {user,
            AnswerBox,
            ChooseFile,
            [](void*, HWND, const char*, const char* page, const char*, const char*, int) {
                return ADD_FAILURE() << page, HINSTANCE();
            },
            [](void* context, UINT type) -> BOOL { return type == 0 && ++Of(context).beeps; },
            [](void* context, HMENU menu, int x, int y, HWND) {
                std::string items;
                for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
                    char text[64] = "";
                    GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
                    items += std::string(i ? "|" : "") + text;
                }
                Of(context).menus.push_back({items, POINT{x, y}});
                return Next(Of(context).menuChoices, 0u, "context menu");
            }};
}

std::vector<uint8_t> TestFile(uint32_t key) {
    DtbBuilder b;
    b.Header({0x1C, 9, 0, 0xDE, 0xAD, 0xBE, 0xEF});
    b.Node(16, 4, 1).Text(5, "alpha").Scalar(0, 42).Node(17, 3, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7);
    b.Text(32, "one\ntwo").Scalar(1, 0x3FC00000).Scalar(6, 0xEFBEADDE).Node(19, 0, -1).Text(2, "OnLoad(x)");
    b.Text(7, "Level 3").Scalar(8, 0x04030201).Text(33, "data\\sky.dds").Text(35, "XabcX").Text(18, "last");
    return b.File(key);
}

const char kTestTable[] =
    "9 16(4)#1 5'alpha' 0:42 17(3)#2 5'beta' 19(1)#3 0:7 32'one\ntwo' 1:1069547520 6:4022250974 "
    "19(0)#-1 2'OnLoad(x)' 7'Level 3' 8:67305985 33'data\\sky.dds' 35'XabcX' 18'last'";

void EditorTest::SetUp() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    // Process ids come back with every new Wine server: a killed run may have left this folder.
    folder = temp + ("dtbedit-" + std::to_string(GetCurrentProcessId()));
    CreateDirectoryA(folder.c_str(), nullptr);
    EmptyFolder(folder);
    path = WriteFile("a.dtb", TestFile());
    ASSERT_TRUE(StartEditor(&e, GetModuleHandleA(nullptr), TestSeams(&user)));
    e.Recent.Key = kRecentKey;  // the user's own list stays out of the tests
    RegDeleteKeyA(HKEY_CURRENT_USER, kRecentKey);
    CreateMainWindow();
    if (openAtStart) OpenFile(path);
}

void EditorTest::CreateMainWindow() {
    window = CreateDialogParamA(nullptr, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&e));
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetTimer(window, reinterpret_cast<UINT_PTR>(&user), 10, AnswerInsertDialog);
    Pump();
}

void EditorTest::EndMainWindow() {
    if (IsWindow(window)) DestroyWindow(window);
    Pump();
    if (e.Doc.FileHandle != kNoFile) CloseHandle(FileOf(&e));
    e.Doc.FileHandle = kNoFile;
    ClearJournal(&e.Doc);  // the next run starts with nothing unsaved
}

void EditorTest::TearDown() {
    EndMainWindow();
    EndEditor(&e);
    EXPECT_TRUE(user.answers.empty() && user.choices.empty() && user.insertAnswers.empty() && user.menuChoices.empty())
        << "answers left over";
    EmptyFolder(folder);
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

std::string WindowText(HWND window) {
    std::string text(size_t(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(window, &text[0], int(text.size()))));
    return text;
}

std::string Place(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

HWND ThreadDialog(const char* caption) {
    std::pair<const char*, HWND> sought = {caption, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            auto& sought = *reinterpret_cast<std::pair<const char*, HWND>*>(found);
            if (WindowText(window) == sought.first) sought.second = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&sought));
    return sought.second && IsWindowVisible(sought.second) && IsWindowEnabled(sought.second) ? sought.second : nullptr;
}

std::vector<std::string> ListViewLines(HWND listView, int columns) {
    std::vector<std::string> lines;
    for (int i = 0, n = int(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0)); i < n; ++i) {
        std::string line;
        for (int column = 0; column < columns; ++column) {
            char cell[256];
            LVITEMA item = {};
            item.iSubItem = column, item.pszText = cell, item.cchTextMax = sizeof cell;
            SendMessageA(listView, LVM_GETITEMTEXTA, WPARAM(i), LPARAM(&item));
            line += (column ? "|" : "") + std::string(cell);
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> EditorTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const Box& box : user.boxes) texts.push_back(box.text);
    return texts;
}

std::string EditorTest::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(SaveFile(folder + "\\" + name, bytes));
    return folder + "\\" + name;
}

std::vector<uint8_t> EditorTest::ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> EditorTest::FileRows(const std::string& file) {
    MemoryFile bytes(ReadFile(file));
    TestDocument saved;
    EXPECT_EQ(saved.Load(&bytes), 0) << file;
    return saved.Rows();
}

void EditorTest::OpenFile(const std::string& file) {
    // Unsaved work, typed or stored, is dropped (No to saving it); without
    // any nothing is asked.
    if (e.Doc.Modified || SendMessageA(Control(IDC_DATA_BOX), EM_GETMODIFY, 0, 0)) user.answers.push_back(IDNO);
    user.choices.push_back({file, 0});
    Command(IDM_OPEN);
}

std::vector<std::string> EditorTest::TreeItems() const {
    std::vector<std::string> items;
    HWND tree = Control(IDC_CHUNK_TREE);
    for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
        if (!(TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED)) {
            TreeView_Expand(tree, item, TVE_EXPAND);
            TreeView_Expand(tree, item, TVE_COLLAPSE);
        }
        char text[kTextSize] = "";
        TVITEMA data = {};
        data.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_IMAGE | TVIF_CHILDREN | TVIF_TEXT;
        data.hItem = item, data.pszText = text, data.cchTextMax = kTextSize;
        TreeView_GetItem(tree, &data);
        int depth = 0;
        for (HTREEITEM up = TreeView_GetParent(tree, item); up; up = TreeView_GetParent(tree, up)) ++depth;
        items.push_back(std::to_string(TreeItemChunk(&e, data.lParam)) + ":" + std::to_string(depth) + ":" +
                        std::to_string(data.iImage) + ":" + text + (data.cChildren ? "+" : ""));
        HTREEITEM next = TreeView_GetChild(tree, item);
        for (; !next && item; item = TreeView_GetParent(tree, item)) next = TreeView_GetNextSibling(tree, item);
        item = next;
    }
    return items;
}

int32_t EditorTest::SelectedChunk() const {
    TVITEMA data = {};
    data.mask = TVIF_HANDLE | TVIF_PARAM, data.hItem = TreeView_GetSelection(Control(IDC_CHUNK_TREE));
    return data.hItem && TreeView_GetItem(Control(IDC_CHUNK_TREE), &data) ? TreeItemChunk(&e, data.lParam) : -1;
}

bool EditorTest::Select(int32_t chunk) {
    if (!e.ShowAsTree) {
        SendDlgItemMessageA(window, IDC_CHUNK_LIST, LB_SETCURSEL, WPARAM(chunk), 0);
        Command(IDC_CHUNK_LIST, LBN_SELCHANGE);
        return e.CurrentChunk == chunk;
    }
    SetFocus(Control(IDC_CHUNK_TREE));  // a tree that gets it without a selection selects its first item
    if (chunk < 0 || !SelectTreeChunk(&e, chunk)) TreeView_SelectItem(Control(IDC_CHUNK_TREE), nullptr);
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

void DoubleClickLine(HWND listView, int line) {
    RECT box = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(listView, LVM_GETITEMRECT, WPARAM(line), LPARAM(&box));
    SetFocus(listView);
    SendMessageA(listView, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(box.left + 4, box.top + 2));
}

std::string EditorTest::Table() const {
    EXPECT_EQ(CheckTreeCounts(&e.Doc, nullptr, nullptr), 0) << "counts that disagree with the table";
    std::string all = std::to_string(TopLevelCountOf(e.Doc));
    for (int32_t i = 0; i < e.Doc.ChunkCount; ++i) {
        const ChunkRecord& r = e.Doc.Chunks[i];
        all += " " + std::to_string(r.Type);
        if (IsPoolType(r.Type)) {
            all += "'" + std::string(reinterpret_cast<const char*>(e.Doc.Pool + r.PoolOffset), size_t(r.Length)) + "'";
        } else {
            all += IsNodeType(r.Type) ? "(" + std::to_string(ChildCountOf(r)) + ")#" + std::to_string(NodeNumberOf(r))
                                      : ":" + std::to_string(ReadU32(r.Value));
        }
    }
    return all;
}

WPARAM Dropped(const std::vector<std::string>& files) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& f : files) size += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(drop + 1);
    for (const std::string& f : files) at = std::copy(f.begin(), f.end(), at) + 1;  // the zeros are there
    GlobalUnlock(memory);
    return reinterpret_cast<WPARAM>(memory);
}

void PressKeys(std::initializer_list<WORD> keys) {
    for (WORD key : keys) keybd_event(BYTE(key), 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) keybd_event(BYTE(*key), 0, KEYEVENTF_KEYUP, 0);
}

std::vector<uint8_t> ClipboardBytes(UINT format) {
    std::vector<uint8_t> bytes;
    HANDLE memory = OpenClipboard(nullptr) ? GetClipboardData(format) : nullptr;
    if (const uint8_t* at = memory ? static_cast<const uint8_t*>(GlobalLock(memory)) : nullptr) {
        bytes.assign(at, at + GlobalSize(memory));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    if (format == CF_TEXT) bytes.resize(size_t(std::find(bytes.begin(), bytes.end(), 0) - bytes.begin()));
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
