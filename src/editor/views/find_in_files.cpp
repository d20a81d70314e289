#include "find_in_files.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "base/window_place.h"
#include "files_search.h"
#include "views.h"

namespace {

const char kDefaultPatterns[] = "*.dtb";
// Beside the recent files, per user.
const char kFolderValue[] = "Find Folder";
const char kPatternsValue[] = "Find Patterns";
const char kSubfoldersValue[] = "Find Subfolders";

bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string FullPath(const char* path) {
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full, n) : std::string(path);
}

bool SamePath(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && lstrcmpiA(FullPath(a.c_str()).c_str(), FullPath(b.c_str()).c_str()) == 0;
}

std::string StoredText(HKEY key, const char* name, const char* otherwise) {
    char text[kFileNameSize];
    DWORD type = 0, size = sizeof text - 1;
    if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return otherwise;
    text[size] = '\0';  // the registry does not promise the terminating zero
    return text;
}

void StoreSettings(const FindReplaceDialog* d) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, d->E->Recent.Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;  // remembered for this run only
    for (const auto& value : {std::make_pair(kFolderValue, IDC_FILES_FOLDER), {kPatternsValue, IDC_FILES_PATTERN}}) {
        std::string text = DialogText(d->Window, value.second);
        RegSetValueExA(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    DWORD subfolders = Ticked(d->Window, IDC_FILES_SUBFOLDERS);
    RegSetValueExA(key, kSubfoldersValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&subfolders), sizeof subfolders);
    RegCloseKey(key);
}

// Posts progress unless a message is already on its way; under r->Lock.
void Wake(FilesRun* r) {
    if (r->Posted) return;
    r->Posted = true;
    PostMessageA(r->Dialog, kFilesProgressMessage, 0, 0);
}

void TakeOutcome(void* context, const FileOutcome& o) {
    FilesRun* r = static_cast<FilesRun*>(context);
    uint32_t file = r->NameFile[o.Index];
    std::lock_guard<std::mutex> hold(r->Lock);
    ++r->Done;
    r->Current = r->Listing.Files[file];
    if (o.Failed) ++r->Failed;
    if (r->Phase == FilesFinding || o.Failed) AddFileLines(r, o, file);
    bool hit = !o.Failed && (r->Phase == FilesReplacing ? o.Replaced > 0 : !o.Found->empty());
    if (hit) ++r->Matched;
    r->Matches += r->Phase == FilesReplacing ? o.Replaced : static_cast<int64_t>(o.Found->size());
    Wake(r);
}

// The folder looked through once, for the count and the replace alike; the
// editor's own file left to it.
void ListFiles(FilesRun* r) {
    bool walked = ListMatchingFiles(r->Folder.c_str(), r->Patterns.c_str(), r->Subfolders, &r->Listing, &r->Stop);
    std::lock_guard<std::mutex> hold(r->Lock);
    for (size_t k = 0; k < r->Listing.Problems.size(); ++k) {
        r->Lines.push_back({static_cast<uint32_t>(r->Listing.Files.size()), true, r->Text.size()});
        r->Text.insert(r->Text.end(), r->Listing.Problems[k].begin(), r->Listing.Problems[k].end());
        r->Text.push_back('\0');
    }
    r->Walked = walked;
    for (const std::string& file : r->Listing.Files) r->Paths += r->Listing.Root + file + '\0';
    const char* at = r->Paths.c_str();
    for (uint32_t k = 0; k < r->Listing.Files.size(); at += std::strlen(at) + 1, ++k) {
        if (r->Phase != FilesFinding && SamePath(at, r->OpenFile)) {
            r->OpenMatched = true;
            continue;
        }
        r->Names.push_back(at);
        r->NameFile.push_back(k);
    }
}

void RunFiles(FilesRun* r) {
    try {
        if (r->Names.empty() && !r->Walked) ListFiles(r);
        FilesSearch s;
        s.Options = r->Options;
        s.Options.Pattern = r->Pattern.c_str();
        s.Replacement = r->Phase == FilesReplacing ? r->With.c_str() : nullptr;
        s.Files = r->Names.data();
        s.FileCount = r->Names.size();
        s.Stop = &r->Stop;
        s.Each = TakeOutcome;
        s.Context = r;
        SearchFiles(s);
    } catch (...) {  // memory for the list of files ran out: what was done is told
    }
    PostMessageA(r->Dialog, kFilesEndedMessage, 0, 0);
}

void Begin(FindReplaceDialog* d, FilesRun* r, FilesPhase phase) {
    r->Phase = phase;
    r->Done = r->Matched = r->Failed = 0;
    r->Matches = 0;
    r->Stop = false;
    d->Busy = true;
    d->StopAsked = false;
    SendDlgItemMessageA(d->Window, IDC_FIND_PROGRESS, PBM_SETRANGE32, 0, 1000);
    SendDlgItemMessageA(d->Window, IDC_FIND_PROGRESS, PBM_SETPOS, 0, 0);
    ShowWalkControls(d, true);
    try {
        r->Thread = std::thread(RunFiles, r);
    } catch (...) {
        PostMessageA(d->Window, kFilesEndedMessage, 0, 0);
    }
}

// A new run from the controls; nullptr after a refusal (said).
FilesRun* NewRun(FindReplaceDialog* d, FilesPhase phase) {
    std::string pattern = DialogText(d->Window, IDC_FIND_WHAT);
    Finder* finder = StartFindAction(d, pattern);  // a pattern that is refused is refused once, here
    if (!finder) return nullptr;
    FreeFinder(finder);
    std::string folder = DialogText(d->Window, IDC_FILES_FOLDER);
    if (folder.empty()) {
        SetFindStatus(d, "Type the folder to look in, or choose it with the ... button.");
        return nullptr;
    }
    StoreSettings(d);
    EndFilesRun(d);
    ShowFilesLines(d, 0);
    FilesRun* r = new FilesRun();
    r->Dialog = d->Window;
    r->Phase = phase;
    r->Pattern = pattern;
    r->With = DialogText(d->Window, IDC_REPLACE_WITH);
    r->Options = ReadFindOptions(d, r->Pattern);
    r->Folder = folder;
    r->Patterns = DialogText(d->Window, IDC_FILES_PATTERN);
    r->Subfolders = Ticked(d->Window, IDC_FILES_SUBFOLDERS);
    r->OpenFile = d->E->Doc.FileName;
    d->Files = r;
    return r;
}

std::string Plural(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "Stopped after 40 of 100 files: " when a stop ended the run early.
std::string StoppedPrefix(const FilesRun* r) {
    if (!r->Stop || (r->Done >= r->Names.size() && r->Walked)) return "";
    return "Stopped after " + std::to_string(r->Done) + " of " + Plural(r->Names.size(), "file", "files") + ": ";
}

std::string FoundSummary(const FilesRun* r) {
    std::string text = StoppedPrefix(r) + Plural(r->Matches, "match", "matches") + " in " +
                       Plural(r->Matched, "file", "files") + " (" + Plural(r->Done, "file", "files") + " searched)";
    size_t unread = r->Failed + r->Listing.Problems.size();
    if (unread) text += "; " + std::to_string(unread) + " could not be read";
    return text + ".";
}

std::string ReplacedSummary(const FilesRun* r, int32_t inEditor, bool editorRefused) {
    std::string text = StoppedPrefix(r) + Plural(r->Matched, "file", "files") + " changed, " +
                       Plural(r->Matches, "value", "values") + " replaced";
    if (r->Failed) text += ", " + Plural(r->Failed, "file", "files") + " refused (listed)";
    text += ".";
    if (inEditor > 0) text += " In the open file " + Plural(inEditor, "value", "values") + " replaced, not yet saved.";
    if (editorRefused) text += " The open file was left as it is.";
    return text;
}

// The editor's own file, replaced as one change Undo takes back; -1 when
// it refused (said).
int32_t ReplaceInEditor(FindReplaceDialog* d, const FilesRun* r) {
    Editor* e = d->E;
    Finder* finder = MakeFinder(&e->Doc, r->Options);
    int32_t replaced = 0;
    WalkResult result =
        finder ? ReplaceAllMatches(finder, &e->Doc, r->With.c_str(), &replaced, Progress()) : WalkFailed;
    FreeFinder(finder);
    if (result != WalkDone) return -1;
    if (replaced > 0) e->AfterChange(e, ChangedValues, e->PaneChunk);
    return replaced;
}

int64_t MatchesInEditor(FindReplaceDialog* d, const FilesRun* r) {
    if (!r->OpenMatched) return 0;
    Finder* finder = MakeFinder(&d->E->Doc, r->Options);
    std::vector<int32_t> found;
    if (finder) FindAllMatches(finder, &d->E->Doc, &found, Progress());
    FreeFinder(finder);
    return static_cast<int64_t>(found.size());
}

// The count is in: the question, then the replace (the editor's file
// first, in the editor), or nothing.
void AskToReplace(FindReplaceDialog* d, FilesRun* r) {
    int64_t inEditor = MatchesInEditor(d, r);
    int64_t values = r->Matches + inEditor;
    size_t files = r->Matched + (inEditor > 0);
    if (r->Stop || values == 0) {
        SetFindStatus(d, r->Stop ? "Stopped: nothing was replaced." : "Nothing matches: nothing was replaced.");
        return;
    }
    std::string question =
        "Replace " + Plural(values, "value", "values") + " in " + Plural(files, "file", "files") + "?";
    if (AskUser(d->E, question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        SetFindStatus(d, "Nothing was replaced.");
        return;
    }
    int32_t replaced = inEditor > 0 ? ReplaceInEditor(d, r) : 0;
    ShowFilesLines(d, 0);
    r->Lines.clear();
    r->Text.clear();
    r->InEditor = replaced;
    Begin(d, r, FilesReplacing);
}

}  // namespace

void InitFilesScope(FindReplaceDialog* d) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, d->E->Recent.Key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
    SetDlgItemTextA(d->Window, IDC_FILES_FOLDER, StoredText(key, kFolderValue, "").c_str());
    SetDlgItemTextA(d->Window, IDC_FILES_PATTERN, StoredText(key, kPatternsValue, kDefaultPatterns).c_str());
    DWORD subfolders = 1, type = 0, size = sizeof subfolders;
    if (key && (RegQueryValueExA(key, kSubfoldersValue, nullptr, &type, reinterpret_cast<BYTE*>(&subfolders), &size) !=
                    ERROR_SUCCESS ||
                type != REG_DWORD))
        subfolders = 1;
    if (key) RegCloseKey(key);
    CheckDlgButton(d->Window, IDC_FILES_SUBFOLDERS, subfolders ? BST_CHECKED : BST_UNCHECKED);
    InitFilesList(d);
    ShowScopeControls(d);
}

bool FilesScopeChosen(const FindReplaceDialog* d) { return Ticked(d->Window, IDC_SCOPE_FILES); }

// Find Next, Find Previous and Replace go from a selection, which files
// have none of; each scope shows its own list.
void ShowScopeControls(FindReplaceDialog* d) {
    bool files = FilesScopeChosen(d);
    for (int id : {IDC_FIND_NEXT, IDC_FIND_PREVIOUS, IDC_REPLACE}) EnableWindow(GetDlgItem(d->Window, id), !files);
    for (int id : {IDC_FILES_FOLDER, IDC_FILES_BROWSE, IDC_FILES_SUBFOLDERS, IDC_FILES_PATTERN})
        EnableWindow(GetDlgItem(d->Window, id), files);
    ShowWindow(GetDlgItem(d->Window, IDC_FIND_RESULTS), files ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(d->Window, IDC_FILES_RESULTS), files ? SW_SHOW : SW_HIDE);
    SendMessageA(d->Window, DM_SETDEFID, files ? IDC_FIND_ALL : IDC_FIND_NEXT, 0);
}

void BrowseForFolder(FindReplaceDialog* d) {
    std::string start = DialogText(d->Window, IDC_FILES_FOLDER);
    BROWSEINFOA browse = {};
    browse.hwndOwner = d->Window;
    browse.lpszTitle = "The folder to look in";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = [](HWND picker, UINT message, LPARAM, LPARAM data) -> int {
        if (message == BFFM_INITIALIZED && data) SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, data);
        return 0;
    };
    browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the picker's new style is made of COM objects
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
    char folder[MAX_PATH];
    if (chosen && SHGetPathFromIDListA(chosen, folder)) SetDlgItemTextA(d->Window, IDC_FILES_FOLDER, folder);
    CoTaskMemFree(chosen);
    if (SUCCEEDED(com)) CoUninitialize();
}

void FindAllInFiles(FindReplaceDialog* d) {
    if (FilesRun* r = NewRun(d, FilesFinding)) Begin(d, r, FilesFinding);
}

void ReplaceAllInFiles(FindReplaceDialog* d) {
    if (FilesRun* r = NewRun(d, FilesCounting)) {
        RememberText(d->Window, IDC_REPLACE_WITH, r->With);
        Begin(d, r, FilesCounting);
    }
}

void StopFilesRun(FindReplaceDialog* d) {
    if (d->Files) d->Files->Stop = true;
}

void TakeFilesMessage(FindReplaceDialog* d, UINT message) {
    FilesRun* r = d->Files;
    if (!r) return;
    std::string status;
    size_t lines, total;
    {
        std::lock_guard<std::mutex> hold(r->Lock);
        r->Posted = false;
        lines = r->Lines.size();
        total = r->Names.size();
        status = (r->Phase == FilesReplacing ? "Replacing: " : "Searching: ") + std::to_string(r->Done) + " of " +
                 std::to_string(total) + " files done. " + r->Current;
        SendDlgItemMessageA(d->Window, IDC_FIND_PROGRESS, PBM_SETPOS, total ? r->Done * 1000 / total : 0, 0);
    }
    if (!d->Busy) return;  // a stopped run's last word, after its end
    if (r->Phase != FilesCounting) ShowFilesLines(d, lines);
    if (message != kFilesEndedMessage) return SetFindStatus(d, status.c_str());
    if (r->Thread.joinable()) r->Thread.join();
    d->Busy = false;
    ShowWalkControls(d, false);
    ShowScopeControls(d);
    if (r->Phase == FilesFinding) SetFindStatus(d, FoundSummary(r).c_str());
    if (r->Phase == FilesReplacing) SetFindStatus(d, ReplacedSummary(r, r->InEditor, r->InEditor < 0).c_str());
    if (r->Phase == FilesCounting) {
        KeepKeys keep(d->Window);
        AskToReplace(d, r);
    }
}

void EndFilesRun(FindReplaceDialog* d) {
    FilesRun* r = d->Files;
    if (!r) return;
    r->Stop = true;
    if (r->Thread.joinable()) r->Thread.join();
    ShowFilesLines(d, 0);
    d->Files = nullptr;
    delete r;
}
