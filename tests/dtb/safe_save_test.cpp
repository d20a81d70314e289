// Saving through a temporary: each step failing in turn, and the real file
// system's cases. After every failure the old file is checked byte for byte.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "file_layer.h"
#include "safe_save.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

DtbBuilder NewContent() {
    return DtbBuilder().Top(2).Node(16, 1, 4).Text(5, "saved").Text(33, std::string(9000, 'n'));
}

// A fresh folder with a.dtb holding an old document, and a document loaded
// with new content to save over it.
class SafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("dtb_save_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        target = folder / "a.dtb";
        old = DtbBuilder().Top(1).Scalar(0, 7).File(0x1234);
        Put(target, old);
        doc.Load(NewContent());
        doc->Key = 0xBEEF;
        saved = NewContent().File(0xBEEF);
    }
    void TearDown() override {
        SetFileLayer(nullptr);
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add | fs::perm_options::nofollow, ignored);
        fs::remove_all(folder);
    }
    int32_t Save(const fs::path& path) { return SaveDocumentSafely(doc.get(), path.string().c_str(), nullptr); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Message& m : doc.messages) texts.push_back(m.text);
        return texts;
    }

    fs::path folder, target;
    std::vector<uint8_t> old, saved;
    TestDocument doc;
};

// The step that fails, and how.
enum Fault {
    FailCreate, FailWrite, FailFlush, FailClose, FailReplace, InUse, InUseNoRewrite, InUseNoRoom, InUseWriteFails
};
Fault g_fault;
int g_writes;
int g_failingWrite;  // the write that fails, counted from 1; 0 for none

void Fail(int code) { errno = code; }

FileLayer FaultyLayer() {
    FileLayer layer = *PlatformFileLayer();
    layer.LastError = [] { return static_cast<int32_t>(errno); };
    layer.CreateTemporary = [](const char* target, char** temporary) {
        if (g_fault != FailCreate) return PlatformFileLayer()->CreateTemporary(target, temporary);
        *temporary = nullptr;
        Fail(ENOSPC);
        return kNoFile;
    };
    layer.Write = [](NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
        // The third write holds the first chunks: of the save, or of the
        // rewrite in place that follows a refused swap (which counts afresh).
        if (++g_writes != g_failingWrite) return PlatformFileLayer()->Write(file, buffer, count, written);
        PlatformFileLayer()->Write(file, buffer, count / 2, written);
        Fail(ENOSPC);
        return false;
    };
    layer.Flush = [](NativeHandle file) {
        if (g_fault != FailFlush) return PlatformFileLayer()->Flush(file);
        Fail(EIO);
        return false;
    };
    layer.Close = [](NativeHandle file) {
        bool closed = PlatformFileLayer()->Close(file);
        if (g_fault == FailClose) Fail(ENOSPC);
        return closed && g_fault != FailClose;
    };
    layer.ReplaceWith = [](const char* temporary, const char* target) {
        if (g_fault < FailReplace) return PlatformFileLayer()->ReplaceWith(temporary, target);
        g_writes = 0;
        g_failingWrite = g_fault == InUseWriteFails ? 3 : 0;
        Fail(g_fault == FailReplace ? EXDEV : EBUSY);
        return g_fault == FailReplace ? ReplaceFailed : ReplaceInUse;
    };
    layer.OpenForRewrite = [](const char* target) {
        if (g_fault != InUseNoRewrite) return PlatformFileLayer()->OpenForRewrite(target);
        Fail(EACCES);
        return kNoFile;
    };
    layer.Reserve = [](NativeHandle file, int64_t size) {
        if (g_fault != InUseNoRoom) return PlatformFileLayer()->Reserve(file, size);
        Fail(ENOSPC);
        return false;
    };
    return layer;
}

TEST_F(SafeSave, EachStepThatFailsLeavesTheOldFileAndNoTemporary) {
    struct Case {
        Fault fault;
        int32_t result;
        std::vector<std::string> messages;  // "%s" stands for the path
    };
    const Case cases[] = {
        {FailCreate, -1, {"SAVE FAILED: Could not create file %s (" + std::to_string(ENOSPC) + ")"}},
        {FailWrite, -1, {"Could not write chunks to file (" + std::to_string(ENOSPC) + ")"}},
        {FailFlush, -1, {"SAVE FAILED: Could not write file %s (" + std::to_string(EIO) + ")"}},
        {FailClose, -1, {"SAVE FAILED: Could not write file %s (" + std::to_string(ENOSPC) + ")"}},
        {FailReplace, -1, {"SAVE FAILED: Could not replace file %s (" + std::to_string(EXDEV) + ")"}},
        {InUse, 0, {}},
        // The refusal's own reason, not the failed open's.
        {InUseNoRewrite, -1, {"SAVE FAILED: Could not replace file %s (" + std::to_string(EBUSY) + ")"}},
        {InUseNoRoom, -1, {"SAVE FAILED: Could not write file %s (" + std::to_string(ENOSPC) + ")"}},
    };
    const FileLayer layer = FaultyLayer();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Put(target, old);
        doc.messages.clear();
        g_fault = c.fault;
        g_writes = 0;
        g_failingWrite = c.fault == FailWrite ? 3 : 0;
        SetFileLayer(&layer);
        EXPECT_EQ(Save(target), c.result);
        SetFileLayer(nullptr);
        std::vector<std::string> expected = c.messages;
        for (std::string& m : expected)
            if (m.find("%s") != std::string::npos) m.replace(m.find("%s"), 2, target.string());
        EXPECT_EQ(Texts(), expected);
        EXPECT_EQ(Bytes(target), c.result == 0 ? saved : old);
        EXPECT_EQ(Names(), std::vector<std::string>{"a.dtb"});
    }
}

// When even the rewrite in place fails, the temporary is the only whole copy
// of the document: it stays, and the message says where.
TEST_F(SafeSave, ARewriteThatFailsKeepsTheTemporaryAndNamesIt) {
    const FileLayer layer = FaultyLayer();
    g_fault = InUseWriteFails;
    g_writes = g_failingWrite = 0;
    SetFileLayer(&layer);
    EXPECT_EQ(Save(target), -1);
    SetFileLayer(nullptr);
    std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 2u);
    const std::string& kept = names[1];
    EXPECT_EQ(kept.substr(0, 4) + kept.substr(kept.size() - 4), "~dtb.tmp");
    EXPECT_EQ(Bytes(folder / kept), saved);
    EXPECT_EQ(Texts(), std::vector<std::string>({"Could not write chunks to file (" + std::to_string(ENOSPC) + ")",
                                                 "SAVE FAILED: Could not write file " + target.string() + " (" +
                                                     std::to_string(ENOSPC) + "). The saved document is kept in " +
                                                     (folder / kept).string() + "."}));
}

// A temporary that a crash left behind is removed by the next save of the
// same file; one that a save in progress still holds, a user's file with a
// name like it, and another file's temporary stay.
TEST_F(SafeSave, LeftoverTemporariesNeverBlockAndAreCleanedUp) {
    Put(folder / "a.dtb.new", {1, 2, 3});
    Put(folder / "a.dtb.new0", {4});
    char* stale = nullptr;
    FileClose(FileCreateTemporary(target.string().c_str(), &stale));  // a killed save
    char* busy = nullptr;
    NativeHandle held = FileCreateTemporary(target.string().c_str(), &busy);
    char* other = nullptr;
    FileClose(FileCreateTemporary((folder / "b.dtb").string().c_str(), &other));
    EXPECT_NE(fs::path(stale).filename(), fs::path(other).filename());

    EXPECT_EQ(Save(target), 0);
    EXPECT_TRUE(doc.messages.empty());
    EXPECT_EQ(Bytes(target), saved);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(busy) && fs::exists(other));
    EXPECT_EQ(Bytes(folder / "a.dtb.new"), std::vector<uint8_t>({1, 2, 3}));
    FileClose(held);
    for (char* p : {stale, busy, other}) std::free(p);
}

// The longest name a folder entry may have, deep enough that the whole path
// passes any fixed buffer: the temporary's name is short whatever the file's.
TEST_F(SafeSave, TheLongestNamesSaveLikeAnyOther) {
#if defined(_WIN32)
    // 259 characters, the most the editor's path holds.
    fs::path deep = folder / std::string(200 - folder.string().size() % 100, 'd');
    fs::create_directories(deep);
    fs::path longest = deep / std::string(259 - deep.string().size() - 1, 'n');
    ASSERT_EQ(longest.string().size(), 259u);
#else
    fs::path deep = folder / std::string(200, 'd') / std::string(200, 'e');
    fs::create_directories(deep);
    fs::path longest = deep / (std::string(251, 'n') + ".dtb");
#endif
    Put(longest, old);
    EXPECT_EQ(Save(longest), 0);
    EXPECT_TRUE(doc.messages.empty()) << doc.last();
    EXPECT_EQ(Bytes(longest), saved);
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 1);
}

TEST_F(SafeSave, WhatIsNotAWritableFileIsRefusedUntouched) {
    fs::create_directory(folder / "sub");
    EXPECT_EQ(Save(folder / "sub"), -1);
    EXPECT_EQ(doc.last(), "SAVE FAILED: " + (folder / "sub").string() + " is not a regular file");
    EXPECT_TRUE(fs::is_directory(folder / "sub"));

    fs::path missing = folder / "no" / "b.dtb";
    EXPECT_EQ(Save(missing), -1);
#if defined(_WIN32)
    const int kNoFolder = 3;  // ERROR_PATH_NOT_FOUND
#else
    const int kNoFolder = ENOENT;
#endif
    EXPECT_EQ(doc.last(), "SAVE FAILED: Could not create file " + missing.string() + " (" + std::to_string(kNoFolder) + ")");

    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(Save(target), -1);
#if defined(_WIN32)
    const int kDenied = 5;  // ERROR_ACCESS_DENIED
#else
    const int kDenied = EACCES;
#endif
    EXPECT_EQ(doc.last(), "SAVE FAILED: Could not create file " + target.string() + " (" + std::to_string(kDenied) + ")");
    EXPECT_EQ(Bytes(target), old);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(doc.messages.size(), 3u);
    EXPECT_EQ(Names(), std::vector<std::string>({"a.dtb", "sub"}));
}

#if !defined(_WIN32)
// What makes the file the user's survives: its mode, and a link to it.
TEST_F(SafeSave, TheModeAndASymbolicLinkSurvive) {
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("a.dtb", folder / "link.dtb");
    EXPECT_EQ(Save(folder / "link.dtb"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link.dtb"));
    EXPECT_EQ(Bytes(target), saved);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Names(), std::vector<std::string>({"a.dtb", "link.dtb"}));

    // A link to a file that does not exist yet creates it, and stays a link.
    fs::create_symlink("made.dtb", folder / "dangling.dtb");
    EXPECT_EQ(Save(folder / "dangling.dtb"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.dtb"));
    EXPECT_EQ(Bytes(folder / "made.dtb"), saved);
    EXPECT_TRUE(doc.messages.empty());
}

// A pipe is refused before anything opens it, so the save never waits on it.
TEST_F(SafeSave, APipeIsRefusedWithoutBlocking) {
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(Save(folder / "pipe"), -1);
    EXPECT_EQ(doc.last(), "SAVE FAILED: " + (folder / "pipe").string() + " is not a regular file");
    EXPECT_EQ(Names(), std::vector<std::string>({"a.dtb", "pipe"}));
}
#endif

}  // namespace
