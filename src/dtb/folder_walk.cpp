#include "folder_walk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// One pattern, [p, end), against the whole of name. '*' is tried with the
// shortest run first and widened on a mismatch: only the last '*' seen is
// ever widened again, which is enough for a match and never exponential.
bool WildcardMatch(const char* p, const char* end, const char* name) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (p < end && (*p == '?' || Lower(*p) == Lower(*name))) {
            ++p;
            ++name;
        } else if (p < end && *p == '*') {
            star = ++p;
            resume = name;
        } else if (star) {
            p = star;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (p < end && *p == '*') ++p;
    return p == end;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool NameBefore(const FolderEntry& a, const FolderEntry& b) {
    return std::lexicographical_compare(a.Name.begin(), a.Name.end(), b.Name.begin(), b.Name.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

std::string ReadProblem(const std::string& folder, int32_t code) {
    char text[kMessageSize];
    std::snprintf(text, sizeof text, "Could not read folder %s (%d)", folder.c_str(), static_cast<int>(code));
    return text;
}

// The files of Root + relative (empty or ending in a separator), then those
// of its folders when asked; false when this folder could not be read.
bool Walk(const std::string& relative, const char* patterns, bool subfolders, FolderFiles* out,
          const std::atomic<bool>* stop) {
    if (stop && stop->load()) return false;
    std::vector<FolderEntry> entries;
    int32_t code = ListFolder(out->Root + relative, &entries);
    if (code != 0) {
        out->Problems.push_back(ReadProblem(out->Root + relative, code));
        return false;
    }
    std::sort(entries.begin(), entries.end(), NameBefore);
    for (const FolderEntry& entry : entries)
        if (!entry.IsFolder && NameMatchesPatterns(entry.Name.c_str(), patterns))
            out->Files.push_back(relative + entry.Name);
    for (const FolderEntry& entry : entries) {
        if (!subfolders || !entry.IsFolder) continue;
        Walk(relative + entry.Name + kPathSeparator, patterns, subfolders, out, stop);
        if (stop && stop->load()) return false;
    }
    return true;
}

}  // namespace

bool NameMatchesPatterns(const char* name, const char* patterns) {
    bool any = false;
    for (const char* p = patterns;; ++p) {
        const char* end = p + std::strcspn(p, ";");
        const char* first = p;
        const char* last = end;
        while (first < last && IsBlank(*first)) ++first;
        while (last > first && IsBlank(last[-1])) --last;
        if (first < last) {
            any = true;
            if (WildcardMatch(first, last, name)) return true;
        }
        if (!*end) return !any;
        p = end;
    }
}

bool ListMatchingFiles(const char* folder, const char* patterns, bool subfolders, FolderFiles* out,
                       const std::atomic<bool>* stop) {
    try {
        out->Root = folder;
        if (out->Root.empty()) out->Root = ".";
        if (!IsSeparator(out->Root.back())) out->Root += kPathSeparator;
        return Walk("", patterns, subfolders, out, stop);
    } catch (...) {  // a list that could not grow
        out->Files.clear();
        try {
            out->Problems.assign(1, kOutOfMemory);
        } catch (...) {
        }
        return false;
    }
}
