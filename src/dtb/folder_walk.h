// The files a search over a folder looks in: those whose names match a
// list of wildcard patterns, in the folder and, when asked, in every folder
// under it. The listing of one folder is the platform's (os/).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Whether name matches one of patterns: wildcard patterns separated by ';'
// ('*' any run of characters, '?' any one), blanks around each ignored,
// letters matched in either case as Windows matches file names. A list of
// no pattern matches every name.
bool NameMatchesPatterns(const char* name, const char* patterns);

struct FolderEntry {
    std::string Name;
    bool IsFolder;
};
// The platform's separator in the paths made here.
extern const char kPathSeparator;
// The entries of folder (a path that ends in a separator) but "." and "..";
// a link to a folder is left out, so that a walk never goes round in a
// loop. 0, or the platform's code for why it could not be read.
int32_t ListFolder(const std::string& folder, std::vector<FolderEntry>* entries);

struct FolderFiles {
    std::string Root;                // the folder, ending in a separator
    std::vector<std::string> Files;  // relative to Root: each folder's files by name, then its folders'
    // The folders that could not be looked through, each with the reason.
    std::vector<std::string> Problems;
};

// Lists the matching files under folder. False when the folder itself
// cannot be read (Problems says why) or stop was raised; a folder below
// that cannot be read is a problem of its own, and the walk goes on.
bool ListMatchingFiles(const char* folder, const char* patterns, bool subfolders, FolderFiles* out,
                       const std::atomic<bool>* stop = nullptr);
