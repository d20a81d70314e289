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
// The disk's state: the step that fails, and the writes so far.
struct Disk {
    Fault fault;
    int writes, failingWrite;  // the write that fails, counted from 1; 0 for none
};
static Disk& DiskOf(void* context) { return *static_cast<Disk*>(context); }

template <class T>
static T Fail(int code, T result) {
    return errno = code, result;
}

// The platform's layer, but for the step that fails. The third write holds the first chunks: of the save, or of the
// rewrite in place that follows a refused swap (which counts afresh).
static FileLayer FaultyLayer(Disk* disk) {
    static const FileLayer& os = *PlatformFileLayer();
    FileLayer layer = os;
    layer.Context = disk;
    layer.LastError = [](void*) { return static_cast<int32_t>(errno); };
    layer.CreateTemporary = [](void* disk, const char* target, char** temporary) {
        return DiskOf(disk).fault != FailCreate ? os.CreateTemporary(os.Context, target, temporary)
                                                : Fail(ENOSPC, (*temporary = nullptr, kNoFile));
    };
    layer.Write = [](void* disk, NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
        return ++DiskOf(disk).writes != DiskOf(disk).failingWrite
                   ? os.Write(os.Context, file, buffer, count, written)
                   : Fail(ENOSPC, os.Write(os.Context, file, buffer, count / 2, written) && false);
    };
    layer.Flush = [](void* disk, NativeHandle file) {
        return DiskOf(disk).fault != FailFlush ? os.Flush(os.Context, file) : Fail(EIO, false);
    };
    layer.Close = [](void* disk, NativeHandle file) {
        return os.Close(os.Context, file) && (DiskOf(disk).fault != FailClose || Fail(ENOSPC, false));
    };
    layer.ReplaceWith = [](void* context, const char* temporary, const char* target) {
        Disk& disk = DiskOf(context);
        if (disk.fault < FailReplace) return os.ReplaceWith(os.Context, temporary, target);
        disk.writes = 0;
        disk.failingWrite = disk.fault == InUseWriteFails ? 3 : 0;
        return disk.fault == FailReplace ? Fail(EXDEV, ReplaceFailed) : Fail(EBUSY, ReplaceInUse);
    };
    layer.OpenForRewrite = [](void* disk, const char* path) {
        return DiskOf(disk).fault != InUseNoRewrite ? os.OpenForRewrite(os.Context, path) : Fail(EACCES, kNoFile);
    };
    layer.Reserve = [](void* disk, NativeHandle file, int64_t size) {
        return DiskOf(disk).fault != InUseNoRoom ? os.Reserve(os.Context, file, size) : Fail(ENOSPC, false);
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
    Disk disk;
    const FileLayer layer = FaultyLayer(&disk);
    doc->Files = &layer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_TRUE(SaveFile(path, old));
        doc.messages.clear();
        disk = {c.fault, 0, c.fault == FailWrite ? 3 : 0};
        NativeHandle held = FileOpenRead(path.c_str());
        EXPECT_EQ(SaveDocumentSafely(doc.get(), path.c_str(), &held), c.fault == InUse ? 0 : -1);
        if (held != kNoFile) PlatformFileLayer()->Close(nullptr, held);
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
