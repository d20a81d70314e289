#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "chunk_path.h"
#include "dtb_kit.h"
#include "files_search.h"
#include "folder_walk.h"

namespace fs = std::filesystem;

namespace {

struct Scratch {
    fs::path root = fs::temp_directory_path() / ("dtb_files_" + std::to_string(std::random_device{}()));
    Scratch() { fs::create_directories(root); }
    ~Scratch() { fs::remove_all(root); }
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes = {}) {
        fs::path path = root / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path.string();
    }
};

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> TextsFile(const std::vector<std::string>& texts) {
    DtbBuilder b;
    b.Top(static_cast<uint16_t>(texts.size()));
    for (const std::string& t : texts) b.Text(0x20, t);
    return b.File(0x1234);
}

// Every outcome as "index:matches/replaced[:first message]", in the order handed over.
struct Log {
    std::string lines;
    std::atomic<bool> stop{false};
    size_t stopAfter = SIZE_MAX;
};

void Record(void* context, const FileOutcome& o) {
    Log* log = static_cast<Log*>(context);
    std::string message(o.Messages);
    log->lines += std::to_string(o.Index) + ":" + std::to_string(o.Found->size()) + "/" + std::to_string(o.Replaced) +
                  (o.Failed ? ":" + message.substr(0, message.find_first_of("(\n")) : "") + "\n";
    if (o.Index + 1 >= log->stopAfter) log->stop = true;
}

size_t Search(const std::vector<std::string>& files, const char* pattern, const char* with, Log* log) {
    std::vector<const char*> names;
    for (const std::string& f : files) names.push_back(f.c_str());
    FilesSearch s;
    s.Options.Pattern = pattern;
    s.Options.LookIn = LookTexts | LookIntegers;
    s.Replacement = with;
    s.Files = names.data();
    s.FileCount = names.size();
    s.Stop = &log->stop;
    s.Each = Record;
    s.Context = log;
    return SearchFiles(s);
}

}  // namespace

TEST(FolderWalk, PatternsMatchWholeNamesInEitherCase) {
    const struct {
        const char *patterns, *name;
        bool match;
    } cases[] = {{"*.dtb", "a.DTB", true},
                 {"*.dtb", "a.dtb.bak", false},
                 {"*.dtb", ".dtb", true},
                 {"*.bin; *.dtb", "x.dtb", true},
                 {" *.bin ;x?.dtb", "xy.dtb", true},
                 {"x?.dtb", "x.dtb", false},
                 {"a*b*c", "aXbYbc", true},
                 {"a*b*c", "aXbYbcd", false},
                 {"", "any", true},
                 {" ; ", "any", true},
                 {"*.dtb;", "a.txt", false},
                 {"**x", "x", true}};
    std::string wrong;
    for (const auto& c : cases)
        if (NameMatchesPatterns(c.name, c.patterns) != c.match)
            wrong += std::string(c.patterns) + " | " + c.name + "\n";
    EXPECT_EQ(wrong, "");
}

TEST(FolderWalk, ListsMatchingFilesFolderByFolder) {
    Scratch s;
    for (const char* name : {"b.dtb", "A.dtb", "c.txt", "sub/d.DTB", "sub/deeper/e.dtb", "sub/f.bin", "empty/"})
        s.Put(name);
    const std::string sep(1, kPathSeparator);
    auto listed = [&](bool subfolders, const char* patterns) {
        FolderFiles found;
        bool whole = ListMatchingFiles(s.root.string().c_str(), patterns, subfolders, &found);
        std::string text = whole ? "" : "not whole ";
        for (const std::string& f : found.Files) text += f + " ";
        for (const std::string& p : found.Problems) text += "problem: " + p;
        return text;
    };
    EXPECT_EQ(listed(true, "*.dtb"), "A.dtb b.dtb sub" + sep + "d.DTB sub" + sep + "deeper" + sep + "e.dtb ");
    EXPECT_EQ(listed(false, "*.dtb;*.bin"), "A.dtb b.dtb ");
    EXPECT_EQ(listed(true, "*.none"), "");

    FolderFiles missing;
    EXPECT_FALSE(ListMatchingFiles((s.root / "gone").string().c_str(), "*", true, &missing));
    ASSERT_EQ(missing.Problems.size(), 1u);
    EXPECT_EQ(missing.Problems[0].substr(0, 26), "Could not read folder " + s.root.string().substr(0, 4));
    std::atomic<bool> stop{true};
    FolderFiles stopped;
    EXPECT_FALSE(ListMatchingFiles(s.root.string().c_str(), "*", true, &stopped, &stop));
}

// Outcomes come in the order of the list however the threads finish: the first file, slow to read, holds up the
// hand-over of the many done ahead of it, none of which is lost; a file that cannot be read is one outcome among them.
TEST(FilesSearch, FindsInEveryFileInTheOrderGiven) {
    Scratch s;
    std::vector<std::string> files;
    auto count = [](int k) { return k == 0 ? 60000 : k % 4; };
    for (int k = 0; k < 150; ++k)
        files.push_back(k == 5 ? (s.root / "missing.dtb").string()
                               : s.Put("f" + std::to_string(k) + ".dtb",
                                       TextsFile(std::vector<std::string>(size_t(count(k)), "4a"))));
    Log log;
    EXPECT_EQ(Search(files, "4", nullptr, &log), 150u);
    std::string want;
    for (int k = 0; k < 150; ++k)
        want += std::to_string(k) + ":" +
                (k == 5 ? "0/0:Could not open file " + files[5] + " " : std::to_string(count(k)) + "/0") + "\n";
    EXPECT_EQ(log.lines, want);
}

// A value that refuses leaves its whole file as it was; the others are saved.
TEST(FilesSearch, ReplacesEachFileWholeOrNotAtAll) {
    Scratch s;
    DtbBuilder refusing;
    refusing.Top(2).Text(0x20, "a4").Scalar(0, 4);
    std::vector<uint8_t> before = refusing.File(7);
    std::vector<std::string> files = {s.Put("a.dtb", TextsFile({"a4", "b"})), s.Put("b.dtb", before),
                                      s.Put("c.dtb", TextsFile({"4", "44"})), s.Put("d.dtb", TextsFile({"none"}))};
    Log log;
    EXPECT_EQ(Search(files, "4", "x", &log), 4u);
    EXPECT_EQ(log.lines.substr(0, log.lines.find("chunk at")), "0:0/1\n1:0/0:Nothing was replaced: the ");
    EXPECT_EQ(log.lines.substr(log.lines.find('\n', log.lines.find("chunk at"))), "\n2:0/2\n3:0/0\n");
    EXPECT_EQ(Bytes(files[0]), TextsFile({"ax", "b"}));
    EXPECT_EQ(Bytes(files[1]), before);
    EXPECT_EQ(Bytes(files[2]), TextsFile({"x", "xx"}));
    EXPECT_EQ(Bytes(files[3]), TextsFile({"none"}));
}

// A stop ends at a file boundary: the files handed over are replaced, the
// rest never begun, and no file is left between the two.
TEST(FilesSearch, StopLeavesEveryFileReplacedOrUntouched) {
    Scratch s;
    std::vector<std::string> files;
    for (int k = 0; k < 200; ++k) files.push_back(s.Put("f" + std::to_string(k) + ".dtb", TextsFile({"a4"})));
    Log log;
    log.stopAfter = 3;
    size_t done = Search(files, "4", "x", &log);
    ASSERT_GE(done, 3u);
    ASSERT_LT(done, 200u);
    std::string states, want;
    for (size_t k = 0; k < files.size(); ++k) {
        states += Bytes(files[k]) == TextsFile({"ax"}) ? 'r' : Bytes(files[k]) == TextsFile({"a4"}) ? '-' : '?';
        want += k < done ? 'r' : '-';
    }
    EXPECT_EQ(states, want);
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), '\n'), static_cast<long>(done));
}
