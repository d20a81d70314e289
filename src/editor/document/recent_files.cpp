#include "recent_files.h"

#include <cstdio>
#include <cstring>

namespace {

// The registry value of entry k: File1 to File8.
void ValueName(int32_t k, char (&name)[8]) { std::snprintf(name, sizeof name, "File%d", static_cast<int>(k + 1)); }

// The menu shows the list as it is, after a separator below Exit.
void ShowRecentFiles(Editor* e) {
    HMENU file = GetSubMenu(GetMenu(e->Window), 0);
    while (GetMenuItemCount(file) > e->Recent.FixedItems) DeleteMenu(file, e->Recent.FixedItems, MF_BYPOSITION);
    if (e->Recent.Count > 0) AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    for (int32_t k = 0; k < e->Recent.Count; ++k) {
        char label[2 * kFileNameSize + 8];
        int n = std::snprintf(label, sizeof label, "&%d ", static_cast<int>(k + 1));
        for (const char* p = e->Recent.Paths[k]; *p; ++p) {
            if (*p == '&') label[n++] = '&';  // a path's own & is no access key
            label[n++] = *p;
        }
        label[n] = '\0';
        AppendMenuA(file, MF_STRING, static_cast<UINT_PTR>(IDM_RECENT_FIRST + k), label);
    }
}

// The registry follows the list: values File1 to File8, no more than it holds.
void StoreRecentFiles(const Editor* e) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, e->Recent.Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;  // the list lives on for this run
    for (int32_t k = 0; k < kRecentCount; ++k) {
        char name[8];
        ValueName(k, name);
        const char* path = e->Recent.Paths[k];
        if (k < e->Recent.Count) {
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                           static_cast<DWORD>(std::strlen(path) + 1));
        } else {
            RegDeleteValueA(key, name);
        }
    }
    RegCloseKey(key);
}

}  // namespace

void LoadRecentFiles(Editor* e) {
    e->Recent.FixedItems = GetMenuItemCount(GetSubMenu(GetMenu(e->Window), 0));
    e->Recent.Count = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, e->Recent.Key, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        for (int32_t k = 0; k < kRecentCount; ++k) {
            char name[8];
            ValueName(k, name);
            char* path = e->Recent.Paths[e->Recent.Count];
            DWORD type = 0, size = kFileNameSize - 1;
            if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
                type != REG_SZ || size < 2)
                continue;
            path[size] = '\0';  // the registry does not promise the terminating zero
            ++e->Recent.Count;
        }
        RegCloseKey(key);
    }
    ShowRecentFiles(e);
}

void AddRecentFile(Editor* e, const char* path) {
    RecentFiles& r = e->Recent;
    int32_t at = 0;
    while (at < r.Count && lstrcmpiA(r.Paths[at], path) != 0) ++at;
    if (at == r.Count && r.Count < kRecentCount) ++r.Count;
    if (at == kRecentCount) at = kRecentCount - 1;  // the oldest goes
    for (int32_t k = at; k > 0; --k) std::memcpy(r.Paths[k], r.Paths[k - 1], kFileNameSize);
    std::snprintf(r.Paths[0], kFileNameSize, "%s", path);
    StoreRecentFiles(e);
    ShowRecentFiles(e);
}

void RemoveRecentFile(Editor* e, int32_t k) {
    RecentFiles& r = e->Recent;
    if (k < 0 || k >= r.Count) return;
    for (int32_t i = k; i + 1 < r.Count; ++i) std::memcpy(r.Paths[i], r.Paths[i + 1], kFileNameSize);
    --r.Count;
    StoreRecentFiles(e);
    ShowRecentFiles(e);
}
