// Saving with each step of the platform failing in turn; what a real file system does is the tool tests' part.
#include <gtest/gtest.h>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include "dtb_kit.h"
#include "file_layer.h"
#include "safe_save.h"

namespace fs = std::filesystem;

enum Fault {
    FailCreate,
    FailWrite,
    FailFlush,
    FailClose,
    FailReplace,
    InUse,
    InUseNoRewrite,
    InUseNoRoom,
    InUseWriteFails
};
static Fault g_fault;
static int g_writes, g_failingWrite;  // the write that fails, counted from 1; 0 for none

template <class T>
static T Fail(int code, T result) {
    return errno = code, result;
}

// The platform's layer, but for the step that fails. The third write holds the first chunks: of the save, or of the
// rewrite in place that follows a refused swap (which counts afresh).
static FileLayer FaultyLayer() {
    static const FileLayer& os = *PlatformFileLayer();
    FileLayer layer = os;
    layer.LastError = [] { return static_cast<int32_t>(errno); };
    layer.CreateTemporary = [](const char* target, char** temporary) {
        return g_fault != FailCreate ? os.CreateTemporary(target, temporary)
                                     : Fail(ENOSPC, (*temporary = nullptr, kNoFile));
    };
    layer.Write = [](NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
        return ++g_writes != g_failingWrite ? os.Write(file, buffer, count, written)
                                            : Fail(ENOSPC, os.Write(file, buffer, count / 2, written) && false);
    };
    layer.Flush = [](NativeHandle file) { return g_fault != FailFlush ? os.Flush(file) : Fail(EIO, false); };
    layer.Close = [](NativeHandle file) { return os.Close(file) && (g_fault != FailClose || Fail(ENOSPC, false)); };
    layer.ReplaceWith = [](const char* temporary, const char* target) {
        if (g_fault < FailReplace) return os.ReplaceWith(temporary, target);
        g_writes = 0;
        g_failingWrite = g_fault == InUseWriteFails ? 3 : 0;
        return g_fault == FailReplace ? Fail(EXDEV, ReplaceFailed) : Fail(EBUSY, ReplaceInUse);
    };
    layer.OpenForRewrite = [](const char* path) {
        return g_fault != InUseNoRewrite ? os.OpenForRewrite(path) : Fail(EACCES, kNoFile);
    };
    layer.Reserve = [](NativeHandle file, int64_t size) {
        return g_fault != InUseNoRoom ? os.Reserve(file, size) : Fail(ENOSPC, false);
    };
    return layer;
}

TEST(SafeSave, EachStepThatFailsLeavesTheOldFile) {
    const fs::path folder = fs::temp_directory_path() / ("dtb_save_" + std::to_string(std::random_device{}()));
    const std::string path = (folder / "a.dtb").string(), full = std::to_string(ENOSPC) + ")\n";
    const std::vector<uint8_t> old = DtbBuilder().Top(1).Scalar(0, 7).File(0x1234);
    const DtbBuilder content = DtbBuilder().Top(2).Node(16, 1, 4).Text(5, "saved").Text(33, std::string(9000, 'n'));
    const struct {
        Fault fault;
        std::string log;
    } cases[] = {
        {FailCreate, "0:SAVE FAILED: Could not create file " + path + " (" + full},
        {FailWrite, "0:Could not write chunks to file (" + full},
        {FailFlush, "0:SAVE FAILED: Could not write file " + path + " (" + std::to_string(EIO) + ")\n"},
        {FailClose, "0:SAVE FAILED: Could not write file " + path + " (" + full},
        {InUse, ""},
        {FailReplace, "0:SAVE FAILED: Could not replace file " + path + " (" + std::to_string(EXDEV) + ")\n"},
        {InUseNoRewrite,
         "0:SAVE FAILED: Could not replace file " + path + " (" + std::to_string(EBUSY) + ")\n"},  // not the open's
        {InUseNoRoom, "0:SAVE FAILED: Could not write file " + path + " (" + full},
        // When even the rewrite in place fails, the temporary is the only whole copy of the document: it stays, and
        // the message says where.
        {InUseWriteFails, "0:Could not write chunks to file (" + full + "0:SAVE FAILED: Could not write file " + path +
                              " (" + std::to_string(ENOSPC) + "). The saved document is kept in "}};
    TestDocument doc;
    doc.Load(content);
    doc->Key = 0xBEEF;
    const FileLayer layer = FaultyLayer();
    doc->Files = &layer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_TRUE(SaveFile(path, old));
        doc.messages.clear();
        g_fault = c.fault, g_writes = 0, g_failingWrite = c.fault == FailWrite ? 3 : 0;
        NativeHandle held = FileOpenRead(path.c_str());
        EXPECT_EQ(SaveDocumentSafely(doc.get(), path.c_str(), &held), c.fault == InUse ? 0 : -1);
        if (held != kNoFile) PlatformFileLayer()->Close(held);
        EXPECT_EQ(held == kNoFile, c.fault >= FailReplace);  // closed just before the swap, and only then
        std::vector<fs::path> left(fs::directory_iterator(folder), {});
        ASSERT_EQ(left.size(), c.fault == InUseWriteFails ? 2u : 1u);
        const fs::path kept = left[left[0] == path ? 1 % left.size() : 0];
        EXPECT_EQ(doc.log(), c.log + (c.fault == InUseWriteFails ? kept.string() + ".\n" : ""));
        std::ifstream in(kept, std::ios::binary);  // the file, or the temporary kept
        EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}),
                  c.fault == InUse || c.fault == InUseWriteFails ? content.File(0xBEEF) : old);
        EXPECT_EQ(kept.filename().string().substr(0, 4) + kept.extension().string(),
                  left.size() > 1 ? "~dtb.tmp" : "a.dt.dtb");
    }
    fs::remove_all(folder);
}
